// Pages' file operations on the real file system.
#include "documents/DiskFileStore.h"

#include "documents/PageFiles.h"
#include "text/PathUtil.h"

namespace norra {

std::int64_t DiskFileStore::QueryFileSize(const std::string& path) { return norra::QueryFileSize(path); }

FileError DiskFileStore::Read(const std::string& path, std::string& bytes) { return ReadWholeFile(path, bytes); }

FileError DiskFileStore::Write(const std::string& path, std::string_view bytes) {
  return WriteFileAtomic(path, bytes, &leftBackup_);
}

bool DiskFileStore::Exists(const std::string& path) { return IsFile(path) || IsFolder(path); }

}  // namespace norra
