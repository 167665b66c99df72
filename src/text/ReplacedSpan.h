// One replacement made by a replace-all: where the old bytes were and how long both sides are.
#pragma once

#include <cstddef>

namespace norra {

// Offsets are in the text that was searched; the spans of one run are in order and apart.
struct ReplacedSpan {
  std::size_t oldStart = 0;
  std::size_t oldLength = 0;
  std::size_t newLength = 0;
  friend bool operator==(const ReplacedSpan&, const ReplacedSpan&) = default;
};

}  // namespace norra
