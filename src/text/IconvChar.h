// One character at a time through iconv, for building conversion tables.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <optional>

namespace norra {

// Closes an iconv descriptor held in a std::unique_ptr<void, IconvCloser>.
struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// The bytes (at most 4) through a converter opened to "UTF-32BE": the code point, when they
// are exactly one character of the Basic Multilingual Plane (U+FFFF excluded); nothing else.
std::optional<char16_t> IconvBmpChar(iconv_t cd, const unsigned char* bytes, std::size_t count);

}  // namespace norra
