// An INI file held in memory as UTF-8 lines, read and written with the Windows profile rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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

  // Lines and index entries looked at by lookups and edits since the contents were last
  // replaced: a measure of work for tests, which expect it to grow with the file, not faster.
  std::uint64_t Work() const { return work_; }

  // GetPrivateProfileInt's reading of a value: optional blanks, an optional sign, then the
  // leading decimal digits; anything after them is ignored. No digits gives def. A value
  // beyond the int range is clamped to INT_MIN or INT_MAX.
  static int ParseProfileInt(std::string_view text, int def);

 private:
  enum class LineKind {
    Other,    // comment, blank or unrecognised line: kept as it is
    Section,  // [name]
    Entry,    // key=value
    Removed,  // a deleted entry awaiting compaction: never written
  };
  struct Line {
    LineKind kind = LineKind::Other;
    std::string text;   // the whole line as it stands in the file
    std::string name;   // section name or key, blanks trimmed
    std::string value;  // raw value text of an entry, blanks trimmed
  };
  // The lines from one section header up to the next; the first block holds the lines before
  // any header. Each block indexes its keys, so a lookup costs the same in a file of any size.
  struct Block {
    std::vector<Line> lines;  // lines[0] is the header, except in the first block
    // Upper-cased key -> indexes in lines of every entry with that key, in file order.
    std::unordered_map<std::string, std::vector<std::size_t>> keys;
    std::size_t removed = 0;  // lines of kind Removed
  };
  struct Position {
    std::size_t block = npos;
    std::size_t line = npos;
  };
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  static Line ParseLine(std::string text);
  // Every line followed by CR LF, in UTF-8.
  std::string JoinedText() const;
  // Index of the first block with a header of that name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // The first entry with that key in the first section of that name.
  Position FindEntry(std::string_view section, std::string_view key) const;
  // Drops the removed lines of a block and re-indexes its keys.
  void Compact(Block& block);
  void IndexKeys(Block& block);
  void IndexSections();

  std::string path_;
  std::vector<Block> blocks_ = std::vector<Block>(1);
  // Upper-cased section name -> index of the first block of that name.
  std::unordered_map<std::string, std::size_t> sections_;
  mutable std::uint64_t work_ = 0;
};

}  // namespace norra
