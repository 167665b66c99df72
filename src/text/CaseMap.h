// Upper- and lower-casing of CP932 text that never changes a byte length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/Charset.h"

namespace norra {

// Letters with a case: ASCII a-z, full-width ａ-ｚ, Greek and Cyrillic, and the small Roman
// numerals ⅰ-ⅹ. Each character keeps its length; kana, half-width katakana and every other
// character stay as they are, and characters are stepped by the lead-byte rule so a trail
// byte that happens to look like an ASCII letter is never touched.
//
// Roman numerals fold to one encoding each, whichever of CP932's two encodings the text uses:
// upper-casing gives Ⅰ-Ⅹ as 0x8754-0x875D (also from the IBM copies 0xFA4A-0xFA53), and
// lower-casing gives ⅰ-ⅹ as 0xFA40-0xFA49 (also from the NEC-selected copies 0xEEEF-0xEEF8).
// So two texts that differ only in case or in the encoding of a numeral upper-case alike.

void ToUpperCp932(std::string& text);
void ToLowerCp932(std::string& text);
void ToUpperCp932(char* data, std::size_t size);
void ToLowerCp932(char* data, std::size_t size);

// Value-returning forms (a const string or a view is left alone).
[[nodiscard]] std::string ToUpperCp932(std::string_view text);
[[nodiscard]] std::string ToLowerCp932(std::string_view text);
[[nodiscard]] std::string ToUpperCp932Copy(std::string_view text);
[[nodiscard]] std::string ToLowerCp932Copy(std::string_view text);

// The same letters in UTF-8 text: a-z, ａ-ｚ (U+FF41-FF5A), the 24 Greek and 33 Cyrillic
// letters CP932 holds (final sigma stays as it is), and ⅰ-ⅹ (U+2170-2179). Each pair has the
// same UTF-8 length, so lengths and offsets are kept; malformed bytes stay as they are.
void ToUpperUtf8(char* data, std::size_t size);
void ToLowerUtf8(char* data, std::size_t size);
// One code point's partner (itself when it has none in the set above).
char32_t UpperOf(char32_t cp);
char32_t LowerOf(char32_t cp);

// Case mapping by the text's charset.
void ToUpperIn(Charset charset, char* data, std::size_t size);
[[nodiscard]] std::string ToUpperCopyIn(Charset charset, std::string_view text);

}  // namespace norra
