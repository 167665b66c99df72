// Pages' file operations on the real file system.
#include "documents/DiskFileStore.h"

#include "documents/PageFiles.h"
#include "text/PathUtil.h"

namespace norra {

std::int64_t DiskFileStore::QueryFileSize(const std::string& path) { return norra::QueryFileSize(path); }

std::map<std::string, FileIdentity>& DiskFileStore::Known() {
  static std::map<std::string, FileIdentity> known;
  return known;
}

FileError DiskFileStore::Read(const std::string& path, std::string& bytes) {
  FileIdentity identity;
  const FileError error = ReadWholeFile(path, bytes, &identity);
  if (error == FileError::None) Known()[path] = identity;
  return error;
}

FileError DiskFileStore::Write(const std::string& path, std::string_view bytes) {
  auto& states = Known();
  const auto known = states.find(path);
  const FileError error =
      WriteFileAtomic(path, bytes, &leftBackup_, known != states.end() ? &known->second : nullptr);
  if (error != FileError::None) {
    // Reported once: the next write is the user's answer.
    if (error == FileError::Changed) states.erase(known);
    return error;
  }
  FileIdentity written;
  if (IdentifyFile(path, written)) states[path] = written;
  return error;
}

bool DiskFileStore::Exists(const std::string& path) { return IsFile(path) || IsFolder(path); }

}  // namespace norra
