// The encoding of the files the program writes for itself (group member lists, histories):
// CP932, or UTF-8 behind a byte-order mark when CP932 cannot hold the text.
#pragma once

#include <string>
#include <string_view>

namespace norra {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The text (UTF-8) of such a file's bytes. A file that starts with the mark is UTF-8 (one mark
// dropped); any other is CP932 — except a file of earlier versions, unmarked UTF-8, which is
// taken as UTF-8 only when its bytes cannot be CP932. So CP932 bytes that happen to be valid
// UTF-8 still read as CP932.
std::string DecodeOwnFileText(std::string_view bytes);

// The bytes for the text: CP932 when it reads back as the same text, else the mark and UTF-8.
std::string EncodeOwnFileText(std::string_view utf8);

// True when every byte belongs to a character CP932 defines (no stray or unassigned bytes).
bool IsCp932Bytes(std::string_view bytes);

}  // namespace norra
