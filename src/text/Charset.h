// The two forms a text takes while it is edited and searched: CP932 bytes, as the program's
// own files and most Japanese Windows files are, or UTF-8. Files in other encodings (EUC-JP,
// UTF-16) are held in UTF-8 while open and written back in their own bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/Cp932.h"
#include "text/Utf8.h"

namespace norra {

enum class Charset : std::uint8_t { Cp932, Utf8 };

// Bytes of the character at 0-based offset. CP932: 2 for a lead byte that is not the last
// byte, else 1. UTF-8: the length of the well-formed sequence there, or 1 for a byte that
// starts none (such a byte is a character of its own, kept as it is). 1 at or past the end.
inline int CharLengthAt(Charset charset, std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return 1;
  if (charset == Charset::Cp932) return CharStepAt(text, offset);
  const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + offset;
  if (*s < 0x80) return 1;
  char32_t cp = 0;
  const int length = DecodeUtf8(s, text.size() - offset, cp);
  return length > 0 ? length : 1;
}

}  // namespace norra
