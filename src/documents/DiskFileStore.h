// The file store of the real file system.
#pragma once

#include <map>

#include "documents/FileStore.h"

namespace norra {

// A file written over is expected in the state this program last read or wrote it in (through
// any store: the batch dialogs have their own): when another program changed it meanwhile,
// the write leaves it alone once (Changed), and a second write overwrites it.
class DiskFileStore : public FileStore {
 public:
  std::int64_t QueryFileSize(const std::string& path) override;
  FileError Read(const std::string& path, std::string& bytes) override;
  FileError Write(const std::string& path, std::string_view bytes) override;
  std::unique_ptr<FileSetWrite> WriteTogether(const std::vector<std::string>& paths) override;
  bool Exists(const std::string& path) override;
  bool KnownState(const std::string& path, FileIdentity& state) override;
  std::string LeftBackup() const override { return leftBackup_; }
  std::optional<FileEncoding> ConfiguredEncoding(const std::string& path) override;

 private:
  class DiskFileSet;

  // Path → state last read or written by this process.
  static std::map<std::string, FileIdentity>& Known();

  std::string leftBackup_;  // of the last write
};

}  // namespace norra
