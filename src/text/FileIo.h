// Reading whole files and replacing them atomically, with failures as values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norra {

enum class FileError {
  None,            // success
  NotFound,        // the file, or a folder on its path, does not exist
  IsFolder,        // the path names a folder
  NotRegularFile,  // a device, pipe or socket: never read or replaced
  NotAFolder,      // a part of the path before the name is not a folder
  AccessDenied,    // permissions or a read-only file system refuse
  TooLarge,        // larger than a std::string can hold
  ReadFailed,      // an input error while reading
  WriteFailed,     // creating, writing or flushing the temporary file failed (disk full, ...)
  RenameFailed,    // the finished temporary file could not take the old file's place
};

// A short English name of the error, for logs and the command-line tools.
const char* FileErrorName(FileError error);

// The error an errno value names; `otherwise` for those without a kind of their own.
FileError FileErrorFromErrno(int error, FileError otherwise);

// Which file a path led to, so that two names of one file can be told to be one.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Reads the whole file into bytes (replaced, also on failure: then empty). With `identity`,
// also tells which file was read.
FileError ReadWholeFile(const std::string& path, std::string& bytes,
                        FileIdentity* identity = nullptr);

// Size in bytes of the regular file at path, or -1 when it is not one or cannot be examined.
std::int64_t FileSize(const std::string& path);

// Replaces the file's content with bytes, atomically: the bytes go to a temporary file in the
// same folder, which is flushed to disk and renamed over the old file. The result keeps the old
// file's permission bits (and owner, where allowed); a new file gets 0644 less the umask. A path
// that is a symbolic link writes the file the link points to and keeps the link. On any failure
// the temporary file is removed and the old file stays exactly as it was.
FileError WriteFileAtomic(const std::string& path, std::string_view bytes);

}  // namespace norra
