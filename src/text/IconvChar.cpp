// One character at a time through iconv.
#include "text/IconvChar.h"

#include <cstdint>
#include <cstring>

namespace norra {

std::optional<char16_t> IconvBmpChar(iconv_t cd, const unsigned char* bytes, std::size_t count) {
  char in[4];
  if (count > sizeof in) return std::nullopt;
  std::memcpy(in, bytes, count);
  unsigned char out[8];
  char* inPtr = in;
  std::size_t inLeft = count;
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  if (inLeft != 0 || sizeof out - outLeft != 4) return std::nullopt;
  const std::uint32_t cp = (std::uint32_t{out[0]} << 24) | (std::uint32_t{out[1]} << 16) |
                           (std::uint32_t{out[2]} << 8) | out[3];
  if (cp >= 0xFFFF) return std::nullopt;
  return static_cast<char16_t>(cp);
}

}  // namespace norra
