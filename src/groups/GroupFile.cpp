// Reading and writing group member-list files.
#include "groups/GroupFile.h"

#include "text/Encoding.h"
#include "text/FileIo.h"

namespace norra {

namespace {

// The text of a file's bytes: valid UTF-8 without its byte-order mark, else CP932.
std::string DecodeFile(std::string_view bytes) {
  if (!IsValidUtf8(bytes)) return Cp932ToUtf8(bytes);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

}  // namespace

std::vector<std::string> GroupFile::ParseMembers(std::string_view bytes) {
  const std::string utf8 = DecodeFile(bytes);
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
  // CP932 only when it reads back as the same text: bytes that happen to be valid UTF-8 would
  // be misread, and a character CP932 holds twice, re-encoded next to an escaped stray byte,
  // can pair up with it differently.
  if (cp932) {
    bytes = Utf8ToCp932(utf8);
    if (DecodeFile(bytes) == utf8) return true;
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
