// Escaping of text that goes into a page address or an HTML page the program writes.
#pragma once

#include <string>
#include <string_view>

namespace norra {

// Appends text with every byte percent-encoded ("%2F") except ASCII letters, digits, ".", "_",
// "~" and the characters of alsoPlain.
void AppendPercentEncoded(std::string& out, std::string_view text, std::string_view alsoPlain = {});

// Appends text with "&", "<", ">" and '"' written as entities; every other byte as it is.
void AppendEscapedHtml(std::string& out, std::string_view text);

}  // namespace norra
