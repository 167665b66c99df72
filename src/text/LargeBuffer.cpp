// Large string capacity with a huge-page hint where the system offers one.
#include "text/LargeBuffer.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace norra {

void ReserveLargeBuffer(std::string& buffer, std::size_t capacity) {
  if (capacity <= buffer.capacity()) return;
  buffer.reserve(capacity);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  if (capacity < 2 * kHuge) return;
  // Only the whole huge pages inside the new storage; pages already written stay as they are.
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t last = (begin + capacity) & ~(kHuge - 1);
  if (last > first) {
    // A hint: a system without transparent huge pages refuses it and nothing changes.
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#endif
}

}  // namespace norra
