// INI files with the Windows profile rules: parsing, lookup, editing and atomic writing.
#include "text/IniFile.h"

#include <climits>
#include <cstdint>
#include <string>

#include "text/AsciiCase.h"
#include "text/Encoding.h"
#include "text/FileIo.h"

namespace norra {
namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// ASCII-only folding is enough: in UTF-8 no byte of a multi-byte character is ASCII.
bool SameName(std::string_view a, std::string_view b) { return EqualsIgnoringAsciiCase(a, b); }

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != npos;
}

bool ValidSectionName(std::string_view s) {
  return !s.empty() && Trim(s).size() == s.size() && !HasLineBreak(s) && s.find(']') == npos;
}

bool ValidKey(std::string_view s) {
  return !s.empty() && Trim(s).size() == s.size() && !HasLineBreak(s) && s.find('=') == npos &&
         s.front() != '[' && s.front() != ';';
}

// A value with blanks at either end, or one that reading would unquote, is quoted so that it
// reads back exactly.
std::string QuoteValue(std::string_view value) {
  bool quote = false;
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) quote = true;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quote = true;
  }
  if (!quote) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  out += value;
  out += '"';
  return out;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile::LoadResult IniFile::Load() {
  std::string bytes;
  return Load(bytes);
}

IniFile::LoadResult IniFile::Load(std::string& bytes) {
  FileError error = ReadWholeFile(path_, bytes);
  Parse(bytes);
  if (error == FileError::None) return LoadResult::Read;
  bytes.clear();
  // A path through a regular file cannot hold a file either: nothing there to lose.
  if (error == FileError::NotFound || error == FileError::NotAFolder) return LoadResult::Missing;
  lines_.clear();
  return LoadResult::Failed;
}

bool IniFile::Save() const {
  if (path_.empty()) return false;
  return WriteFileAtomic(path_, Serialize()) == FileError::None;
}

void IniFile::Parse(std::string_view bytes) {
  lines_.clear();
  // A byte-order mark only ever starts a UTF-8 file; in a CP932 file those are bytes to keep.
  const bool utf8 = IsValidUtf8(bytes);
  if (utf8 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::string text = utf8 ? std::string(bytes) : Cp932ToUtf8(bytes);
  // CR LF, LF and a lone CR all end a line.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == npos) {
      lines_.push_back(ParseLine(text.substr(start)));
      break;
    }
    lines_.push_back(ParseLine(text.substr(start, end - start)));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

IniFile::Line IniFile::ParseLine(std::string text) {
  Line line;
  std::string_view t = Trim(text);
  if (!t.empty() && t.front() == '[') {
    std::string_view name = t.substr(1);
    std::size_t close = name.find(']');
    if (close != npos) name = name.substr(0, close);
    line.kind = LineKind::Section;
    line.name = std::string(Trim(name));
  } else if (!t.empty() && t.front() != ';') {
    std::size_t eq = t.find('=');
    if (eq != npos && !Trim(t.substr(0, eq)).empty()) {
      line.kind = LineKind::Entry;
      line.name = std::string(Trim(t.substr(0, eq)));
      line.value = std::string(Trim(t.substr(eq + 1)));
    }
  }
  line.text = std::move(text);
  return line;
}

std::string IniFile::JoinedText() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += "\r\n";
  }
  return text;
}

std::string IniFile::Serialize() const {
  std::string text = JoinedText();
  if (!NeedsUtf8()) return Utf8ToCp932(text);
  // Readers drop one leading byte-order mark: a first line starting with one keeps it behind
  // a mark of the file's own.
  return text.starts_with("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" + text : text;
}

bool IniFile::NeedsUtf8() const {
  for (const Line& line : lines_) {
    if (!CanEncodeCp932(line.text)) return true;
  }
  // CP932 only when it reads back as the same text: readers take valid UTF-8 as UTF-8, so
  // CP932 bytes that happen to be valid UTF-8 would be misread; and a character CP932 holds
  // twice, re-encoded next to an escaped stray byte, can pair up with it differently.
  std::string text = JoinedText();
  std::string cp932 = Utf8ToCp932(text);
  return cp932 != text && (IsValidUtf8(cp932) || Cp932ToUtf8(cp932) != text);
}

std::size_t IniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::Section && SameName(lines_[i].name, section)) return i;
  }
  return npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != LineKind::Section) ++i;
  return i;
}

std::size_t IniFile::FindEntry(std::string_view section, std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == npos) return npos;
  std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind == LineKind::Entry && SameName(lines_[i].name, key)) return i;
  }
  return npos;
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != npos;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != npos;
}

std::vector<std::string> IniFile::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  std::size_t header = FindSection(section);
  if (header == npos) return keys;
  std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind != LineKind::Entry) continue;
    bool seen = false;
    for (const std::string& k : keys) {
      if (SameName(k, lines_[i].name)) {
        seen = true;
        break;
      }
    }
    if (!seen) keys.push_back(lines_[i].name);
  }
  return keys;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::size_t i = FindEntry(section, key);
  if (i == npos) return std::string(def);
  return std::string(Unquote(lines_[i].value));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  std::size_t i = FindEntry(section, key);
  if (i == npos) return def;
  return ParseProfileInt(Unquote(lines_[i].value), def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

int IniFile::ParseProfileInt(std::string_view text, int def) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return def;
  // Accumulate as a magnitude that saturates just beyond the int range.
  constexpr std::int64_t limit = static_cast<std::int64_t>(INT_MAX) + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  if (negative) return static_cast<int>(-magnitude);  // -limit is INT_MIN
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

bool IniFile::CanHoldValue(std::string_view value) {
  return !HasLineBreak(value) && IsValidUtf8(value);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSectionName(section) || !ValidKey(key) || !CanHoldValue(value) ||
      !IsValidUtf8(section) || !IsValidUtf8(key)) {
    return false;
  }
  Line entry;
  entry.kind = LineKind::Entry;
  entry.name = std::string(key);
  entry.value = QuoteValue(value);
  entry.text = entry.name + "=" + entry.value;

  std::size_t header = FindSection(section);
  if (header == npos) {
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Line{});
    Line head;
    head.kind = LineKind::Section;
    head.name = std::string(section);
    head.text = "[" + head.name + "]";
    lines_.push_back(std::move(head));
    lines_.push_back(std::move(entry));
    return true;
  }
  std::size_t i = FindEntry(section, key);
  if (i != npos) {
    lines_[i] = std::move(entry);
    return true;
  }
  // After the section's last non-blank line, so blank separator lines stay below it.
  std::size_t at = SectionEnd(header);
  while (at > header + 1 && Trim(lines_[at - 1].text).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
  return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section) {
  for (std::size_t header = FindSection(section); header != npos; header = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
  }
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  for (std::size_t i = FindEntry(section, key); i != npos; i = FindEntry(section, key)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace norra
