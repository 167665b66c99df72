// Reading and writing group member-list files.
#include "groups/GroupFile.h"

#include <algorithm>

#include "text/FileIo.h"
#include "text/OwnFileText.h"

namespace norra {

bool GroupFile::IsMemberList(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
      if (bytes[end] == '\0') return false;
      ++end;
    }
    if (end - start > kMaxLineBytes) return false;
    start = end + 1;
  }
  return true;
}

bool GroupFile::IsMemberPath(std::string_view member) {
  return std::none_of(member.begin(), member.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
  });
}

std::vector<std::string> GroupFile::ParseMembers(std::string_view bytes) {
  const std::string utf8 = DecodeOwnFileText(bytes);
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
  std::string utf8;
  for (const std::string& m : members) {
    if (m.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
    if (m.empty()) continue;
    utf8 += m;
    utf8 += "\r\n";
  }
  bytes = EncodeOwnFileText(utf8);
  return true;
}

GroupFileStatus GroupFile::Read(const std::string& path, std::vector<std::string>& members) {
  std::string bytes;
  FileError r = ReadWholeFile(path, bytes);
  if (r == FileError::NotFound) return GroupFileStatus::Missing;
  if (r != FileError::None) return GroupFileStatus::ReadFailed;
  if (!IsMemberList(bytes)) return GroupFileStatus::NotMemberList;
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

std::string GroupFile::NotMemberListMessage(const std::string& path) {
  return path + "\nはﾒﾝﾊﾞﾘｽﾄではないため読み込みません\n(NULﾊﾞｲﾄか4096ﾊﾞｲﾄを超える行があります)";
}

}  // namespace norra
