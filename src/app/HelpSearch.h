// Keyword search in a help file that is a page of HTML or plain text, as a help index would do it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

// Where a keyword was found. Texts are UTF-8.
struct HelpHit {
  bool found = false;
  std::string anchor;     // the element id to open the page at; empty for the top
  std::string highlight;  // the text the viewer may mark; empty for none
  int line = 0;           // plain text: the 1-based line of the hit
};

// The keyword as searched: cut at its first line break, blanks (also full-width) trimmed.
std::string HelpSearchKey(std::string_view keywordUtf8);

// HTML: an id or heading equal to the keyword, else the first one that begins with it (the
// partial key), else the first occurrence in the page's text, found at the anchor before it.
// ASCII letters compare without case.
HelpHit SearchHtmlHelp(std::string_view htmlUtf8, std::string_view keywordUtf8);

// Plain text: the first line that begins with the keyword (after its indent), else the first
// line holding it. The anchor is the line's id in TextHelpPage ("L" and the line number).
HelpHit SearchTextHelp(std::string_view textUtf8, std::string_view keywordUtf8);

// The ids and <a name>s of a page, in page order.
std::vector<std::string> HtmlAnchors(std::string_view htmlUtf8);

// A help file's bytes as UTF-8: valid UTF-8 stays, anything else is read as CP932.
std::string HelpTextToUtf8(std::string_view bytes);

// Whether a help file is a page of HTML: by its extension, else by how it begins.
bool IsHtmlHelp(std::string_view path, std::string_view bytes);

// A plain-text help file shown as a page: every line in its own element with the id "L" + n.
std::string TextHelpPage(std::string_view textUtf8, std::string_view title);

}  // namespace norra
