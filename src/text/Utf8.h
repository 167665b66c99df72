// Strict UTF-8 decoding of one character, shared by the converter and the widget's mirror so
// that both take the same bytes as malformed.
#pragma once

#include <cstddef>

namespace norra {

// The character at s (avail bytes readable, at least 1), read strictly: no overlong forms,
// surrogates or values past U+10FFFF. Returns its length, or 0 when the bytes there start no
// well-formed sequence (cp is then left as it was).
inline int DecodeUtf8(const unsigned char* s, std::size_t avail, char32_t& cp) {
  const unsigned c = s[0];
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  const auto cont = [s](int k) { return (s[k] & 0xC0) == 0x80; };
  if (c < 0xC2) return 0;
  if (c < 0xE0) {
    if (avail < 2 || !cont(1)) return 0;
    cp = ((c & 0x1F) << 6) | (s[1] & 0x3F);
    return 2;
  }
  if (c < 0xF0) {
    const unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned hi = c == 0xED ? 0x9F : 0xBF;
    if (avail < 3 || s[1] < lo || s[1] > hi || !cont(2)) return 0;
    cp = ((c & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
    return 3;
  }
  if (c < 0xF5) {
    const unsigned lo = c == 0xF0 ? 0x90 : 0x80;
    const unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
    if (avail < 4 || s[1] < lo || s[1] > hi || !cont(2) || !cont(3)) return 0;
    cp = ((c & 0x07) << 18) | ((s[1] & 0x3F) << 12) | ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
    return 4;
  }
  return 0;
}

}  // namespace norra
