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

// The form names are compared and indexed in. ASCII-only folding is enough: in UTF-8 no byte
// of a multi-byte character is ASCII.
std::string Folded(std::string_view name) { return AsciiUppered(name); }

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
  blocks_.assign(1, Block{});
  sections_.clear();
  return LoadResult::Failed;
}

bool IniFile::Save() const {
  if (path_.empty()) return false;
  return WriteFileAtomic(path_, Serialize()) == FileError::None;
}

void IniFile::Parse(std::string_view bytes) {
  work_ = 0;
  blocks_.clear();
  blocks_.emplace_back();
  // A byte-order mark only ever starts a UTF-8 file; in a CP932 file those are bytes to keep.
  const bool utf8 = IsValidUtf8(bytes);
  if (utf8 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::string text = utf8 ? std::string(bytes) : Cp932ToUtf8(bytes);
  auto add = [this](Line line) {
    if (line.kind == LineKind::Section) blocks_.emplace_back();
    blocks_.back().lines.push_back(std::move(line));
  };
  // CR LF, LF and a lone CR all end a line.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == npos) {
      add(ParseLine(text.substr(start)));
      break;
    }
    add(ParseLine(text.substr(start, end - start)));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  for (Block& block : blocks_) IndexKeys(block);
  IndexSections();
}

void IniFile::IndexKeys(Block& block) {
  block.keys.clear();
  work_ += block.lines.size();
  for (std::size_t i = 0; i < block.lines.size(); ++i) {
    if (block.lines[i].kind == LineKind::Entry) block.keys[Folded(block.lines[i].name)].push_back(i);
  }
}

void IniFile::IndexSections() {
  sections_.clear();
  work_ += blocks_.size();
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    const std::vector<Line>& lines = blocks_[b].lines;
    if (!lines.empty() && lines.front().kind == LineKind::Section)
      sections_.try_emplace(Folded(lines.front().name), b);
  }
}

void IniFile::Compact(Block& block) {
  if (block.removed == 0) return;
  std::erase_if(block.lines, [](const Line& line) { return line.kind == LineKind::Removed; });
  block.removed = 0;
  IndexKeys(block);
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
  for (const Block& block : blocks_) {
    for (const Line& line : block.lines) {
      if (line.kind == LineKind::Removed) continue;
      text += line.text;
      text += "\r\n";
    }
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
  for (const Block& block : blocks_) {
    for (const Line& line : block.lines) {
      if (line.kind != LineKind::Removed && !CanEncodeCp932(line.text)) return true;
    }
  }
  // CP932 only when it reads back as the same text: readers take valid UTF-8 as UTF-8, so
  // CP932 bytes that happen to be valid UTF-8 would be misread; and a character CP932 holds
  // twice, re-encoded next to an escaped stray byte, can pair up with it differently.
  std::string text = JoinedText();
  std::string cp932 = Utf8ToCp932(text);
  return cp932 != text && (IsValidUtf8(cp932) || Cp932ToUtf8(cp932) != text);
}

std::size_t IniFile::FindSection(std::string_view section) const {
  ++work_;
  const auto it = sections_.find(Folded(section));
  return it == sections_.end() ? npos : it->second;
}

IniFile::Position IniFile::FindEntry(std::string_view section, std::string_view key) const {
  const std::size_t b = FindSection(section);
  if (b == npos) return {};
  const auto it = blocks_[b].keys.find(Folded(key));
  if (it == blocks_[b].keys.end() || it->second.empty()) return {};
  return {b, it->second.front()};
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != npos;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key).block != npos;
}

std::vector<std::string> IniFile::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  const std::size_t b = FindSection(section);
  if (b == npos) return keys;
  const Block& block = blocks_[b];
  work_ += block.lines.size();
  for (std::size_t i = 1; i < block.lines.size(); ++i) {
    const Line& line = block.lines[i];
    if (line.kind != LineKind::Entry) continue;
    // Each key once, in the spelling of its first entry.
    if (block.keys.at(Folded(line.name)).front() == i) keys.push_back(line.name);
  }
  return keys;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  const Position at = FindEntry(section, key);
  if (at.block == npos) return std::string(def);
  return std::string(Unquote(blocks_[at.block].lines[at.line].value));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const Position at = FindEntry(section, key);
  if (at.block == npos) return def;
  return ParseProfileInt(Unquote(blocks_[at.block].lines[at.line].value), def);
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

  const std::size_t b = FindSection(section);
  if (b == npos) {
    Compact(blocks_.back());
    const std::vector<Line>& last = blocks_.back().lines;
    if (!last.empty() && !Trim(last.back().text).empty()) blocks_.back().lines.push_back(Line{});
    Line head;
    head.kind = LineKind::Section;
    head.name = std::string(section);
    head.text = "[" + head.name + "]";
    Block& added = blocks_.emplace_back();
    added.lines.push_back(std::move(head));
    added.keys[Folded(key)].push_back(1);
    added.lines.push_back(std::move(entry));
    sections_.try_emplace(Folded(section), blocks_.size() - 1);
    return true;
  }
  Block& block = blocks_[b];
  const Position found = FindEntry(section, key);
  if (found.block != npos) {
    block.lines[found.line] = std::move(entry);
    return true;
  }
  // After the section's last non-blank line, so blank separator lines stay below it; only
  // blank lines follow, so no entry's index moves.
  Compact(block);
  std::size_t at = block.lines.size();
  while (at > 1 && Trim(block.lines[at - 1].text).empty()) --at;
  work_ += block.lines.size() - at + 1;
  block.keys[Folded(key)].push_back(at);
  block.lines.insert(block.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
  return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section) {
  if (FindSection(section) == npos) return;
  const std::string name = Folded(section);
  std::erase_if(blocks_, [&name](const Block& block) {
    return !block.lines.empty() && block.lines.front().kind == LineKind::Section &&
           Folded(block.lines.front().name) == name;
  });
  IndexSections();
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  const std::size_t b = FindSection(section);
  if (b == npos) return;
  Block& block = blocks_[b];
  const auto it = block.keys.find(Folded(key));
  if (it == block.keys.end()) return;
  // Marked now, dropped in one pass later: deleting many keys stays linear.
  work_ += it->second.size();
  for (std::size_t i : it->second) {
    block.lines[i] = Line{LineKind::Removed, {}, {}, {}};
    ++block.removed;
  }
  block.keys.erase(it);
  if (block.removed * 2 > block.lines.size()) Compact(block);
}

}  // namespace norra
