// Group member-list files (".tgp"): one member path per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

enum class GroupFileStatus {
  Ok = 0,           // read or written
  Missing = 1,      // no file at the path (reading)
  ReadFailed = 2,   // the file exists but could not be read
  BadMember = 3,    // a member holds a line break and cannot be written as one line
  WriteFailed = 4,  // the file could not be written; an old file there is unchanged
};

// The file holds the members in CP932, each followed by CR LF. A member CP932 cannot hold
// makes the whole file UTF-8 instead; readers accept both. Member paths in memory are UTF-8.
class GroupFile {
 public:
  // The members of a file's bytes: lines end at CR LF, CR or LF; empty lines give no member;
  // other lines are kept unchanged (no trimming). Valid UTF-8 (a leading byte-order mark is
  // dropped) is read as UTF-8, anything else as CP932.
  static std::vector<std::string> ParseMembers(std::string_view bytes);

  // The file's bytes for the members, in order. Empty members are left out (they could not be
  // read back). False when a member holds CR or LF, which would split it into two.
  static bool FormatMembers(const std::vector<std::string>& members, std::string& bytes);

  // Reads the members of the file at path (UTF-8).
  static GroupFileStatus Read(const std::string& path, std::vector<std::string>& members);

  // Writes the members to path, replacing any old file atomically.
  static GroupFileStatus Write(const std::string& path, const std::vector<std::string>& members);

  // A name with no "." anywhere in the whole path gets ".tgp" appended; any other is kept.
  static std::string WithDefaultExtension(std::string path);
};

}  // namespace norra
