// An INI file held in memory as UTF-8 lines, read and written with the Windows profile rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

// Sections and keys compare without regard to ASCII case; the first of duplicate sections
// or keys is the one that counts; comments, blank lines and lines that are neither a
// section header nor a key=value line are kept as they are when the file is written back.
// Reading accepts UTF-8 (taken as such when the bytes are valid UTF-8) and CP932. Writing
// produces CP932 with CR LF, or UTF-8 when some line cannot be held in CP932.
class IniFile {
 public:
  enum class LoadResult {
    Read,     // the file was read
    Missing,  // no such file: the contents are empty
    Failed,   // the file exists but could not be read: the contents are empty
  };

  IniFile() = default;
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }

  // Replaces the contents with the file's.
  LoadResult Load();
  // The same, also handing back the bytes read (empty unless the result is Read).
  LoadResult Load(std::string& bytes);
  // Writes the contents to the file atomically; on failure the file is left as it was.
  bool Save() const;

  // Replaces the contents with the lines of a file's bytes (CP932 or UTF-8).
  void Parse(std::string_view bytes);
  // The bytes Save writes.
  std::string Serialize() const;
  // True when the file is written in UTF-8: some line cannot be held in CP932, or its CP932
  // bytes would not read back as the same text.
  bool NeedsUtf8() const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // The keys of the first section of that name, each once (first spelling), in file order.
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;

  // The value, without the blanks around it and without one pair of enclosing quotes.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // See ParseProfileInt; a missing key gives def.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // Integer values; anything but 0 is true.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Replaces the key's value in place in its section, or appends the key to the section, or
  // appends the section at the end. False, changing nothing, for a name or value that the
  // file cannot hold (empty names, line breaks, malformed UTF-8, "=" in a key, "]" in a
  // section name).
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);

  // True when WriteString accepts the value: well-formed UTF-8 without line breaks.
  static bool CanHoldValue(std::string_view value);

  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);
  // Removes the key (every occurrence) from the first section of that name.
  void DeleteKey(std::string_view section, std::string_view key);

  // GetPrivateProfileInt's reading of a value: optional blanks, an optional sign, then the
  // leading decimal digits; anything after them is ignored. No digits gives def. A value
  // beyond the int range is clamped to INT_MIN or INT_MAX.
  static int ParseProfileInt(std::string_view text, int def);

 private:
  enum class LineKind {
    Other,    // comment, blank or unrecognised line: kept as it is
    Section,  // [name]
    Entry,    // key=value
  };
  struct Line {
    LineKind kind = LineKind::Other;
    std::string text;   // the whole line as it stands in the file
    std::string name;   // section name or key, blanks trimmed
    std::string value;  // raw value text of an entry, blanks trimmed
  };

  static Line ParseLine(std::string text);
  // Every line followed by CR LF, in UTF-8.
  std::string JoinedText() const;
  // Index of the header of the first section of that name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // One past the last line of the section whose header is at index header.
  std::size_t SectionEnd(std::size_t header) const;
  // Index of the first entry with that key in the first section of that name, or npos.
  std::size_t FindEntry(std::string_view section, std::string_view key) const;

  std::string path_;
  std::vector<Line> lines_;
};

}  // namespace norra
