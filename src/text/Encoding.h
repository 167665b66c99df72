// Conversion between CP932 (Shift-JIS) bytes and UTF-8, lossless for every byte sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norra {

// The tables behind these come from the C library's iconv on first use (thread-safe); when
// it has no CP932 converter, every call throws std::runtime_error.

// Byte b that is not valid CP932 decodes to the code point kEscapeBase + b (plane 15,
// private use); such a code point encodes back to the byte b.
constexpr char32_t kEscapeBase = 0xF0000;

// CP932 → UTF-8. Undecodable bytes become escapes, so nothing is lost.
// A lead byte that does not form a character with the byte after it is escaped on its own and
// that next byte is decoded afresh (so a CR or LF after a stray lead byte stays a line break).
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 → CP932. Escapes become their bytes again; a character CP932 cannot hold (and any
// malformed UTF-8 sequence) becomes "?". Look-alikes of CP932 characters take their bytes:
// "〜" that of "～", "¥" and "‾" the bytes 0x5C and 0x7E (which decode as "\" and "~").
// Characters CP932 holds twice (NEC row 13, IBM extensions) come out as the preferred pair:
// JIS rows first, then NEC row 13, then the IBM extensions 0xFA40-0xFC4B, never 0xED/0xEE.
std::string Utf8ToCp932(std::string_view utf8);

// True when every character of the UTF-8 text has a CP932 encoding (escapes count as such).
bool CanEncodeCp932(std::string_view utf8);

// The characters of the UTF-8 text that CP932 cannot hold, each once, in the order they first
// appear (UTF-8); empty when it can hold them all.
std::string UnencodableCp932(std::string_view utf8);

// True when the CP932 form of the text reads back as the same text, whether a reader takes it
// as CP932 or, because the bytes happen to be valid UTF-8, as UTF-8. Not so for a character
// CP932 holds only as a look-alike ("¥" as "\", "〜" as "～"). Files the program owns are
// written in CP932 only when this holds, in UTF-8 otherwise.
bool Cp932KeepsText(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Decodes the character that starts at 0-based offset (the same way Cp932ToUtf8 does when it
// reaches that offset) and returns the number of bytes it takes: 1 or 2, or 0 when offset is
// at or past the end.
int DecodeCp932Char(std::string_view cp932, std::size_t offset, char32_t& codePoint);

// Appends the CP932 bytes of one code point (1 or 2 bytes; one byte for an escape). Returns
// false and appends nothing when CP932 has no encoding for it.
bool EncodeCp932Char(char32_t codePoint, std::string& out);

// Appends the UTF-8 form of a code point (no checks beyond the 21-bit range).
void AppendUtf8(char32_t codePoint, std::string& out);

}  // namespace norra
