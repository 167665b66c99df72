// Escaping of text that goes into a page address, an HTML page or a record file the program
// writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norra {

// Appends text with every byte percent-encoded ("%2F") except ASCII letters, digits, ".", "_",
// "~" and the characters of alsoPlain.
void AppendPercentEncoded(std::string& out, std::string_view text, std::string_view alsoPlain = {});

// Appends text with "&", "<", ">" and '"' written as entities; every other byte as it is.
void AppendEscapedHtml(std::string& out, std::string_view text);

// A field of a line-based record: every byte that would split a line or a field (controls,
// space, DEL) and "%" written as %XX, so a name may hold any byte.
std::string EscapeField(std::string_view text);
// The inverse; false for a malformed %XX.
bool UnescapeField(std::string_view text, std::string& out);

// FNV-1a of the bytes: enough to tell a record cut short or altered.
std::uint64_t Fnv1a(std::string_view bytes);

}  // namespace norra
