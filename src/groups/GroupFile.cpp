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
  bool cp932 = true;
  for (const std::string& m : members) {
    if (m.find_first_of("\r\n") != std::string::npos) return false;
    if (cp932 && !CanEncodeCp932(m)) cp932 = false;
  }
  std::string utf8;
  for (const std::string& m : members) {
    if (m.empty()) continue;
    utf8 += m;
    utf8 += "\r\n";
  }
  // CP932 bytes that happen to be valid UTF-8 would be misread, so such a file is UTF-8 too.
  if (cp932) {
    bytes = Utf8ToCp932(utf8);
    if (bytes == utf8 || !IsValidUtf8(bytes)) return true;
  }
  // The reader drops one leading byte-order mark: a first member starting with one keeps it
  // behind a mark of the file's own.
  bytes = utf8.starts_with("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" + utf8 : std::move(utf8);
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
