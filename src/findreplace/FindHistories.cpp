// Reading and writing the find window's histories.
#include "findreplace/FindHistories.h"

#include <filesystem>
#include <system_error>

#include "text/Encoding.h"
#include "text/FileIo.h"
#include "text/IniFile.h"
#include "text/OwnFileText.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr std::string_view kFindSection = "FindHistory";
constexpr std::string_view kReplaceSection = "ReplaceHistory";
// Values carry their form first (the file quotes those that need it): "t:" the
// text with escapes, "b:" the bytes in hex for an entry whose CP932 bytes would not come back
// from its text (a character CP932 holds twice, kept in its less usual pair).
constexpr std::string_view kTextForm = "t:";
constexpr std::string_view kHexForm = "b:";

std::string EncodeEntry(const std::string& cp932) {
  const std::string utf8 = Cp932ToUtf8(cp932);
  std::string value;
  if (Utf8ToCp932(utf8) == cp932) {
    value += kTextForm;
    for (char c : utf8) {
      const auto u = static_cast<unsigned char>(c);
      if (c == '\\') {
        value += "\\\\";
      } else if (c == '\r') {
        value += "\\r";
      } else if (c == '\n') {
        value += "\\n";
      } else if (u < 0x20 || u == 0x7F) {
        static const char kHex[] = "0123456789ABCDEF";
        value += "\\x";
        value += kHex[u >> 4];
        value += kHex[u & 0xF];
      } else {
        value += c;
      }
    }
  } else {
    value += kHexForm;
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : cp932) {
      const auto u = static_cast<unsigned char>(c);
      value += kHex[u >> 4];
      value += kHex[u & 0xF];
    }
  }
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// False for a value this program did not write.
bool DecodeEntry(std::string_view value, std::string& cp932) {
  if (value.starts_with(kHexForm)) {
    value.remove_prefix(kHexForm.size());
    if (value.size() % 2 != 0) return false;
    std::string bytes;
    for (std::size_t i = 0; i < value.size(); i += 2) {
      const int hi = HexDigit(value[i]);
      const int lo = HexDigit(value[i + 1]);
      if (hi < 0 || lo < 0) return false;
      bytes += static_cast<char>(hi * 16 + lo);
    }
    cp932 = std::move(bytes);
    return true;
  }
  if (!value.starts_with(kTextForm)) return false;
  value.remove_prefix(kTextForm.size());
  std::string utf8;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      utf8 += value[i];
      continue;
    }
    if (++i >= value.size()) return false;
    switch (value[i]) {
      case '\\':
        utf8 += '\\';
        break;
      case 'r':
        utf8 += '\r';
        break;
      case 'n':
        utf8 += '\n';
        break;
      case 'x': {
        if (i + 2 >= value.size()) return false;
        const int hi = HexDigit(value[i + 1]);
        const int lo = HexDigit(value[i + 2]);
        if (hi < 0 || lo < 0) return false;
        utf8 += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  if (!IsValidUtf8(utf8)) return false;
  cp932 = Utf8ToCp932(utf8);
  return true;
}

void WriteSection(IniFile& file, std::string_view section, const std::vector<std::string>& list) {
  int key = 0;
  for (const std::string& entry : list)
    file.WriteString(section, std::to_string(++key), EncodeEntry(entry));
}

std::vector<std::string> ReadSection(const IniFile& file, std::string_view section) {
  std::vector<std::string> list;
  for (const std::string& key : file.ReadSectionKeys(section)) {
    std::string entry;
    if (DecodeEntry(file.ReadString(section, key, ""), entry)) list.push_back(std::move(entry));
  }
  return list;
}

}  // namespace

std::string FindHistories::FilePathBeside(std::string_view settingsPath) {
  return FolderPart(settingsPath) + std::string(kFileName);
}

std::string FindHistories::Serialize(const std::vector<std::string>& find,
                                     const std::vector<std::string>& replace) {
  IniFile file;
  WriteSection(file, kFindSection, find);
  WriteSection(file, kReplaceSection, replace);
  const std::string bytes = file.Serialize();
  if (!file.NeedsUtf8()) return bytes;
  // The INI writer chose UTF-8 (its text starts with a section, never a mark): written as the
  // program's own files are, CP932 whenever it reads back the same, else marked UTF-8.
  return EncodeOwnFileText(bytes);
}

void FindHistories::Parse(std::string_view bytes, std::vector<std::string>& find,
                          std::vector<std::string>& replace) {
  IniFile file;
  // Decoded here, so that CP932 bytes that happen to be valid UTF-8 still read as CP932.
  file.Parse(DecodeOwnFileText(bytes));
  find = ReadSection(file, kFindSection);
  replace = ReadSection(file, kReplaceSection);
}

void FindHistories::Load() {
  std::vector<std::string> find;
  std::vector<std::string> replace;
  std::string bytes;
  if (!path_.empty() && ReadWholeFile(path_, bytes) == FileError::None) {
    try {
      Parse(bytes, find, replace);
    } catch (const std::exception&) {
      // Histories are a convenience: whatever cannot be read is simply not there.
      find.clear();
      replace.clear();
    }
  }
  Find.Restore(std::move(find));
  Replace.Restore(std::move(replace));
  changed_ = false;
}

bool FindHistories::Save() const {
  if (path_.empty()) return false;
  const std::string folder = FolderPart(path_);
  if (!folder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  try {
    return WriteFileAtomic(path_, Serialize(Find.Entries(), Replace.Entries())) == FileError::None;
  } catch (const std::exception&) {
    return false;  // no converter or no memory: the old file stays
  }
}

bool FindHistories::SaveIfChanged() {
  if (!changed_) return true;
  if (!Save()) return false;
  changed_ = false;
  return true;
}

}  // namespace norra
