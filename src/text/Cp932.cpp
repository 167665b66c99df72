// Shift-JIS (CP932) character stepping.
#include "text/Cp932.h"

namespace norra {

std::size_t CharStartAt(std::string_view text, std::size_t offset) {
  std::size_t i = 0;
  while (i < offset && i < text.size()) {
    std::size_t next = i + CharStepAt(text, i);
    if (next > offset) return i;
    i = next;
  }
  return offset;
}

bool IsTrailByteAt(std::string_view text, std::size_t offset) {
  return offset < text.size() && CharStartAt(text, offset) != offset;
}

}  // namespace norra
