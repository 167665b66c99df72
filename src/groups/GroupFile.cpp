// Reading and writing group member-list files.
#include "groups/GroupFile.h"

#include "text/Encoding.h"
#include "text/FileIo.h"

namespace norra {

std::vector<std::string> GroupFile::ParseMembers(std::string_view bytes) {
  std::string utf8;
  if (IsValidUtf8(bytes)) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    utf8.assign(bytes);
  } else {
    utf8 = Cp932ToUtf8(bytes);
  }
  std::vector<std::string> members;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t end = utf8.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = utf8.size();
    if (end > pos) members.push_back(utf8.substr(pos, end - pos));
    pos = end;
    if (pos < utf8.size() && utf8[pos] == '\r') ++pos;
    if (pos < utf8.size() && utf8[pos] == '\n') ++pos;
  }
  return members;
}

bool GroupFile::FormatMembers(const std::vector<std::string>& members, std::string& bytes) {
  std::string text;
  for (const std::string& m : members) {
    if (m.find_first_of("\r\n") != std::string::npos) return false;
    if (m.empty()) continue;
    text += m;
    text += "\r\n";
  }
  // UTF-8 when CP932 would read back as other paths ("¥" as "\", or bytes that pass for UTF-8).
  bytes = Cp932KeepsText(text) ? Utf8ToCp932(text) : text;
  return true;
}

GroupFileStatus GroupFile::Read(const std::string& path, std::vector<std::string>& members) {
  std::string bytes;
  FileError r = ReadWholeFile(path, bytes);
  if (r == FileError::NotFound) return GroupFileStatus::Missing;
  if (r != FileError::None) return GroupFileStatus::ReadFailed;
  members = ParseMembers(bytes);
  return GroupFileStatus::Ok;
}

GroupFileStatus GroupFile::Write(const std::string& path, const std::vector<std::string>& members) {
  std::string bytes;
  if (!FormatMembers(members, bytes)) return GroupFileStatus::BadMember;
  return WriteFileAtomic(path, bytes) == FileError::None ? GroupFileStatus::Ok
                                                         : GroupFileStatus::WriteFailed;
}

std::string GroupFile::WithDefaultExtension(std::string path) {
  if (path.find('.') == std::string::npos) path += ".tgp";
  return path;
}

}  // namespace norra
