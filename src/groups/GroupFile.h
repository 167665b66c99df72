// Group member-list files (".tgp"): one member path per line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

enum class GroupFileStatus {
  Ok = 0,             // read or written
  Missing = 1,        // no file at the path (reading)
  ReadFailed = 2,     // the file exists but could not be read
  BadMember = 3,      // a member holds a line break or a NUL byte and cannot be written
  WriteFailed = 4,    // the file could not be written; an old file there is unchanged
  NotMemberList = 5,  // the file holds a NUL byte or a line no path can be: not a group
};

// The file holds the members in CP932, each followed by CR LF. A member CP932 cannot hold
// makes the whole file UTF-8 behind a byte-order mark instead (see OwnFileText). Member paths
// in memory are UTF-8.
class GroupFile {
 public:
  // The longest line a member list holds: a path is never longer.
  static constexpr std::size_t kMaxLineBytes = 4096;

  // Whether bytes can be a member list: no NUL byte and no line longer than kMaxLineBytes.
  // Anything else is a program, an image or some other file chosen by mistake, which must
  // neither be listed nor written back as a group.
  static bool IsMemberList(std::string_view bytes);

  // Whether a member line can name a file: no control character but TAB. A line that cannot
  // is never opened (the system would read it up to its first NUL, a different name).
  static bool IsMemberPath(std::string_view member);

  // The members of a file's bytes: lines end at CR LF, CR or LF; empty lines give no member;
  // other lines are kept unchanged (no trimming).
  static std::vector<std::string> ParseMembers(std::string_view bytes);

  // The file's bytes for the members, in order. Empty members are left out (they could not be
  // read back). False when a member holds CR, LF or NUL, which could not be read back.
  static bool FormatMembers(const std::vector<std::string>& members, std::string& bytes);

  // Reads the members of the file at path (UTF-8).
  static GroupFileStatus Read(const std::string& path, std::vector<std::string>& members);

  // Writes the members to path, replacing any old file atomically.
  static GroupFileStatus Write(const std::string& path, const std::vector<std::string>& members);

  // A name with no "." anywhere in the whole path gets ".tgp" appended; any other is kept.
  static std::string WithDefaultExtension(std::string path);

  // The message for a file Read found to be no member list.
  static std::string NotMemberListMessage(const std::string& path);
};

}  // namespace norra
