// Conversion between CP932 (Shift-JIS) bytes and UTF-8, lossless for every byte sequence.
#pragma once

#include <string>
#include <string_view>

namespace norra {

// Byte b that is not valid CP932 decodes to the code point kEscapeBase + b (plane 15,
// private use); such a code point encodes back to the byte b.
constexpr char32_t kEscapeBase = 0xF0000;

// CP932 → UTF-8. Undecodable bytes become escapes, so nothing is lost.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 → CP932. Escapes become their bytes again; a character CP932 cannot hold (and any
// malformed UTF-8 sequence) becomes "?".
std::string Utf8ToCp932(std::string_view utf8);

// True when every character of the UTF-8 text has a CP932 encoding (escapes count as such).
bool CanEncodeCp932(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace norra
