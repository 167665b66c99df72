// Where a replace-all over a text in memory sends the new text, piece by piece, so that the
// caller can write it out without the whole result ever being held in one string.
#pragma once

#include <cstddef>
#include <string_view>

namespace norra {

class ReplaceSink {
 public:
  virtual ~ReplaceSink() = default;
  // Bytes of the searched text that stay as they are (a view into it).
  virtual void Copy(std::string_view original) = 0;
  // The replacement of one match that was `matchLength` bytes long.
  virtual void Insert(std::string_view replacement, std::size_t matchLength) = 0;
};

}  // namespace norra
