// EUC-JP characters: decoding and encoding one at a time, only where the two agree.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norra {

// The tables come from the C library's iconv EUC-JP converter on first use (thread-safe);
// without one, every call throws std::runtime_error. JIS X 0208, half-width katakana (0x8E)
// and JIS X 0212 (0x8F) are taken; a sequence whose character encodes to other bytes counts as
// invalid, so every decoded character comes back as its own bytes.

// Decodes the character at 0-based offset: its length (1 to 3; 0 at or past the end). A byte
// that starts no valid character is 1 byte decoding to the escape kEscapeBase + byte.
int DecodeEucJpChar(std::string_view bytes, std::size_t offset, char32_t& codePoint);

// Appends the EUC-JP bytes of a code point; false, nothing appended, when EUC-JP lacks it.
// Escapes are not characters here.
bool EncodeEucJpChar(char32_t codePoint, std::string& out);

}  // namespace norra
