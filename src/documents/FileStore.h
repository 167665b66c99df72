// The file operations Pages are loaded and saved with, as a port so failures can be staged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/FileIo.h"

namespace norra {

class FileStore {
 public:
  virtual ~FileStore() = default;
  // -1 when the file cannot be opened for reading.
  virtual std::int64_t QueryFileSize(const std::string& path) = 0;
  virtual FileError Read(const std::string& path, std::string& bytes) = 0;
  // Atomic: a failed write leaves the old file as it was.
  virtual FileError Write(const std::string& path, std::string_view bytes) = 0;
  // After a failed Write: the file holding the old content when the write in place stopped
  // part-way, else empty.
  virtual std::string LeftBackup() const { return {}; }
  // Whether something (a file or a folder) exists at the path.
  virtual bool Exists(const std::string& path) = 0;
};

}  // namespace norra
