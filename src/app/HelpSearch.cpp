// A light reading of HTML and plain text for the keyword search of a help file.
#include "app/HelpSearch.h"

#include <array>
#include <cstdint>
#include <utility>

#include "text/AsciiCase.h"
#include "text/Encoding.h"
#include "text/Escape.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

std::string_view TrimBlanks(std::string_view text) {
  for (;;) {
    if (!text.empty() && IsBlank(text.front())) {
      text.remove_prefix(1);
    } else if (text.starts_with(kIdeographicSpace)) {
      text.remove_prefix(kIdeographicSpace.size());
    } else {
      break;
    }
  }
  for (;;) {
    if (!text.empty() && IsBlank(text.back())) {
      text.remove_suffix(1);
    } else if (text.ends_with(kIdeographicSpace)) {
      text.remove_suffix(kIdeographicSpace.size());
    } else {
      break;
    }
  }
  return text;
}

// The bytes of the blanks (full-width ones too) a line begins with.
std::size_t IndentOf(std::string_view line) {
  std::size_t at = 0;
  for (;;) {
    if (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
      ++at;
    } else if (line.substr(at).starts_with(kIdeographicSpace)) {
      at += kIdeographicSpace.size();
    } else {
      return at;
    }
  }
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == ':';
}

// Tags that do not break a line of text: a word may run through them.
bool IsInlineTag(std::string_view name) {
  static constexpr std::array<std::string_view, 16> kInline = {
      "a",   "b",    "i",     "u",   "em",  "strong", "code", "span",
      "kbd", "samp", "small", "sub", "sup", "tt",     "font", "var"};
  for (std::string_view tag : kInline) {
    if (name == tag) return true;
  }
  return false;
}

bool IsHeadingTag(std::string_view name) {
  return name == "dt" || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

// One entity at text[i] ("&amp;", "&#x41;"); appends its text and returns its length, 0 when
// it is none that the search needs to know.
std::size_t DecodeEntity(std::string_view text, std::size_t i, std::string& out) {
  const std::size_t end = text.find(';', i);
  if (end == std::string_view::npos || end - i > 10) return 0;
  const std::string_view name = text.substr(i + 1, end - i - 1);
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNamed = {
      {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}}};
  for (const auto& [entity, value] : kNamed) {
    if (name == entity) {
      out += value;
      return end - i + 1;
    }
  }
  if (name.size() >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    std::uint32_t code = 0;
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty()) return 0;
    for (char c : digits) {
      int value = -1;
      if (c >= '0' && c <= '9') value = c - '0';
      if (hex && c >= 'a' && c <= 'f') value = c - 'a' + 10;
      if (hex && c >= 'A' && c <= 'F') value = c - 'A' + 10;
      if (value < 0 || code > 0x10FFFF) return 0;
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
    }
    if (code == 0 || code > 0x10FFFF) return 0;
    AppendUtf8(static_cast<char32_t>(code), out);
    return end - i + 1;
  }
  return 0;
}

// Appends text with runs of blanks shown as one space, as a browser shows them.
void AppendCollapsed(std::string& out, std::string_view text) {
  for (char c : text) {
    if (IsBlank(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
}

struct IndexKey {
  std::string text;    // an id, or a heading's text
  std::string anchor;  // where it is opened
  bool heading = false;
};

// What the search needs of a page: its index keys, its text and where each anchor starts.
struct PageReading {
  std::vector<IndexKey> keys;
  std::string text;
  std::vector<std::pair<std::size_t, std::string>> anchorsAt;  // text offset, id
};

struct Tag {
  std::string name;  // lower case
  bool closing = false;
  std::string id;  // id, or the name of an <a>
};

// Reads the tag that starts at html[i] ("<"); returns the offset after it.
std::size_t ReadTag(std::string_view html, std::size_t i, Tag& tag) {
  std::size_t p = i + 1;
  if (p < html.size() && html[p] == '/') {
    tag.closing = true;
    ++p;
  }
  while (p < html.size() && IsNameChar(html[p])) tag.name += AsciiLower(html[p++]);
  while (p < html.size() && html[p] != '>') {
    if (IsBlank(html[p]) || html[p] == '/') {
      ++p;
      continue;
    }
    std::string attribute;
    while (p < html.size() && !IsBlank(html[p]) && html[p] != '=' && html[p] != '>') {
      attribute += AsciiLower(html[p++]);
    }
    while (p < html.size() && IsBlank(html[p])) ++p;
    if (p >= html.size() || html[p] != '=') continue;
    ++p;
    while (p < html.size() && IsBlank(html[p])) ++p;
    std::string value;
    if (p < html.size() && (html[p] == '"' || html[p] == '\'')) {
      const char quote = html[p++];
      const std::size_t end = html.find(quote, p);
      value = html.substr(p, (end == std::string_view::npos ? html.size() : end) - p);
      p = end == std::string_view::npos ? html.size() : end + 1;
    } else {
      while (p < html.size() && !IsBlank(html[p]) && html[p] != '>') value += html[p++];
    }
    if (attribute == "id" || (attribute == "name" && tag.name == "a")) {
      std::string decoded;
      for (std::size_t k = 0; k < value.size();) {
        const std::size_t used = value[k] == '&' ? DecodeEntity(value, k, decoded) : 0;
        if (used == 0) decoded += value[k++];
        k += used;
      }
      if (tag.id.empty()) tag.id = std::string(TrimBlanks(decoded));
    }
  }
  return p < html.size() ? p + 1 : html.size();
}

// Where the text of a <script> or <style> element that begins at `from` ends: at its closing
// tag, whatever the case of its name.
std::size_t EndOfRawText(std::string_view html, std::size_t from, std::string_view name) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos;
       at = html.find("</", at + 2)) {
    if (AsciiLowered(html.substr(at + 2, name.size())) == name) return at;
  }
  return html.size();
}

PageReading ReadPage(std::string_view html) {
  PageReading page;
  std::string lastAnchor;
  bool inHeading = false;
  std::string headingText;
  std::string headingAnchor;
  std::size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (c == '<') {
      if (html.substr(i, 4) == "<!--") {
        const std::size_t end = html.find("-->", i + 4);
        i = end == std::string_view::npos ? html.size() : end + 3;
        continue;
      }
      if (i + 1 < html.size() && (html[i + 1] == '!' || html[i + 1] == '?')) {
        const std::size_t end = html.find('>', i);
        i = end == std::string_view::npos ? html.size() : end + 1;
        continue;
      }
      if (i + 1 >= html.size() || !(IsNameChar(html[i + 1]) || html[i + 1] == '/')) {
        page.text += c;  // a lone "<" is text
        if (inHeading) headingText += c;
        ++i;
        continue;
      }
      Tag tag;
      i = ReadTag(html, i, tag);
      if (!tag.closing && (tag.name == "script" || tag.name == "style")) {
        i = EndOfRawText(html, i, tag.name);
        continue;
      }
      if (!IsInlineTag(tag.name)) {
        AppendCollapsed(page.text, " ");
        if (inHeading) AppendCollapsed(headingText, " ");
      }
      if (!tag.id.empty()) {
        page.keys.push_back({tag.id, tag.id, false});
        page.anchorsAt.emplace_back(page.text.size(), tag.id);
        lastAnchor = tag.id;
      }
      if (IsHeadingTag(tag.name)) {
        if (!tag.closing) {
          inHeading = true;
          headingText.clear();
          headingAnchor = lastAnchor;
        } else if (inHeading) {
          inHeading = false;
          const std::string_view heading = TrimBlanks(headingText);
          if (!heading.empty()) page.keys.push_back({std::string(heading), headingAnchor, true});
        }
      }
      continue;
    }
    std::string piece;
    if (c == '&') {
      const std::size_t used = DecodeEntity(html, i, piece);
      if (used > 0) {
        i += used;
      } else {
        piece = c;
        ++i;
      }
    } else {
      piece = c;
      ++i;
    }
    AppendCollapsed(page.text, piece);
    if (inHeading) AppendCollapsed(headingText, piece);
  }
  return page;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::string HelpSearchKey(std::string_view keywordUtf8) {
  const std::size_t lineEnd = keywordUtf8.find_first_of("\r\n");
  return std::string(TrimBlanks(keywordUtf8.substr(0, lineEnd)));
}

HelpHit SearchHtmlHelp(std::string_view htmlUtf8, std::string_view keywordUtf8) {
  HelpHit hit;
  const std::string key = AsciiLowered(HelpSearchKey(keywordUtf8));
  if (key.empty()) return hit;
  const PageReading page = ReadPage(htmlUtf8);
  auto take = [&hit](const IndexKey& entry) {
    hit.found = true;
    hit.anchor = entry.anchor;
    if (entry.heading) hit.highlight = entry.text;
    return hit;
  };
  for (const IndexKey& entry : page.keys) {
    if (AsciiLowered(entry.text) == key) return take(entry);
  }
  for (const IndexKey& entry : page.keys) {
    if (AsciiLowered(entry.text).starts_with(key)) return take(entry);
  }
  const std::size_t at = AsciiLowered(page.text).find(key);
  if (at == std::string::npos) return hit;
  hit.found = true;
  hit.highlight = page.text.substr(at, key.size());
  for (const auto& [offset, id] : page.anchorsAt) {
    if (offset > at) break;
    hit.anchor = id;
  }
  return hit;
}

HelpHit SearchTextHelp(std::string_view textUtf8, std::string_view keywordUtf8) {
  HelpHit hit;
  const std::string key = AsciiLowered(HelpSearchKey(keywordUtf8));
  if (key.empty()) return hit;
  const std::vector<std::string_view> lines = SplitLines(textUtf8);
  int holding = 0;
  std::size_t holdingAt = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string lowered = AsciiLowered(lines[n]);
    const std::size_t indent = IndentOf(lines[n]);
    if (std::string_view(lowered).substr(indent).starts_with(key)) {
      holding = static_cast<int>(n) + 1;
      holdingAt = indent;
      break;
    }
    const std::size_t at = lowered.find(key);
    if (holding == 0 && at != std::string::npos) {
      holding = static_cast<int>(n) + 1;
      holdingAt = at;
    }
  }
  if (holding == 0) return hit;
  hit.found = true;
  hit.line = holding;
  hit.anchor = "L" + std::to_string(holding);
  hit.highlight =
      std::string(lines[static_cast<std::size_t>(holding - 1)].substr(holdingAt, key.size()));
  return hit;
}

std::vector<std::string> HtmlAnchors(std::string_view htmlUtf8) {
  std::vector<std::string> anchors;
  for (auto& [offset, id] : ReadPage(htmlUtf8).anchorsAt) anchors.push_back(std::move(id));
  return anchors;
}

std::string HelpTextToUtf8(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);
}

bool IsHtmlHelp(std::string_view path, std::string_view bytes) {
  const std::string extension = ExtensionOf(FileNamePart(path));
  if (extension == "HTML" || extension == "HTM" || extension == "XHTML" || extension == "SHTML")
    return true;
  if (extension == "TXT" || extension == "TEXT") return false;
  std::string_view head = bytes.substr(0, 1024);
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  head = TrimBlanks(head);
  const std::string lowered = AsciiLowered(head);
  return lowered.starts_with("<!doctype html") || lowered.starts_with("<html") ||
         lowered.find("<html") != std::string::npos;
}

std::string TextHelpPage(std::string_view textUtf8, std::string_view title) {
  std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
  AppendEscapedHtml(page, title);
  page +=
      "</title>\n<style>pre { white-space: pre-wrap; } :target { background: #ffe8a0; }</style>\n"
      "</head>\n<body>\n<pre>\n";
  int n = 0;
  for (std::string_view line : SplitLines(textUtf8)) {
    page += "<span id=\"L" + std::to_string(++n) + "\">";
    AppendEscapedHtml(page, line);
    page += "</span>\n";
  }
  page += "</pre>\n</body>\n</html>\n";
  return page;
}

}  // namespace norra
