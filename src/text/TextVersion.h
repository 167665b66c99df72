// Version numbers for texts that change, so a holder of a copy can tell it is still current.
#pragma once

#include <atomic>
#include <cstdint>

namespace norra {

// Every change of any text in the process takes a new number, never handed out before (and
// never 0): two equal numbers mean the same text, unchanged since.
inline std::uint64_t NewTextVersion() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

}  // namespace norra
