// The file store of the real file system.
#pragma once

#include "documents/FileStore.h"

namespace norra {

class DiskFileStore : public FileStore {
 public:
  std::int64_t QueryFileSize(const std::string& path) override;
  FileError Read(const std::string& path, std::string& bytes) override;
  FileError Write(const std::string& path, std::string_view bytes) override;
  bool Exists(const std::string& path) override;
  std::string LeftBackup() const override { return leftBackup_; }

 private:
  std::string leftBackup_;  // of the last write
};

}  // namespace norra
