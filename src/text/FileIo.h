// Reading whole files and replacing them atomically, with failures as values.
#pragma once

#include <cstdint>
#include <functional>
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
  TooLarge,        // larger than a std::string can hold, or than the system lets a file grow
  OutOfMemory,     // memory ran out while reading
  ReadFailed,      // an input error while reading
  NoSpace,         // the disk (or the user's quota) is full
  WriteFailed,     // creating, writing or flushing the new content failed otherwise
  RenameFailed,    // the finished temporary file could not take the old file's place
  Changed,         // another program changed the file after it was read; it was left alone
  IsLink,          // opened without following links, the name is a symbolic link
  NotEncodable,    // the text holds characters the file's encoding cannot: nothing written
};

// A short English name of the error, for logs.
const char* FileErrorName(FileError error);

// The cause in words for the user's messages (Japanese, in the program's style).
const char* FileErrorReason(FileError error);

// The error an errno value names; `otherwise` for those without a kind of their own.
FileError FileErrorFromErrno(int error, FileError otherwise);

// Which file a path led to, so that two names of one file can be told to be one, and the
// state it was in, so that a change by another program can be noticed before overwriting it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = -1;  // -1: the state is not known and not compared
  std::int64_t modifiedNs = 0;
  // The same file, whatever its state.
  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode;
  }
};

// The identity and state of the file at `path` (links followed); false when there is none.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

// Whether the file at `path` (links followed) is still the file `read` describes, in the state
// it had then. Always true when `read` carries no state.
bool IsFileUnchanged(const std::string& path, const FileIdentity& read);

// The same for the entry `name` of the open folder `folderFd`, not following a link there.
bool IsFileUnchangedAt(int folderFd, const std::string& name, const FileIdentity& read);

// Reads the whole file into bytes (replaced, also on failure: then empty). With `identity`,
// also tells which file was read and its state when it was opened.
FileError ReadWholeFile(const std::string& path, std::string& bytes,
                        FileIdentity* identity = nullptr);

// The same, reading a piece at a time and calling `arrived` with the end of what is in `bytes`
// so far after each piece, so the caller can look at each piece while it is still in the
// processor's cache. `bytes` may move between calls; what arrived before keeps its offsets.
FileError ReadWholeFile(const std::string& path, std::string& bytes, FileIdentity* identity,
                        const std::function<void(std::size_t end)>& arrived);

// ReadWholeFile for the entry `name` of the open folder `folderFd`: a symbolic link there is
// not followed (IsLink).
FileError ReadWholeFileAt(int folderFd, const std::string& name, std::string& bytes,
                          FileIdentity* identity);

// Size in bytes of the regular file at path, or -1 when it is not one or cannot be examined.
std::int64_t FileSize(const std::string& path);

// Replaces the file's content with bytes, atomically: the bytes go to a temporary file in the
// same folder, which is flushed to disk and renamed over the old file. The result keeps the old
// file's permission bits, owner, extended attributes and hard links; where a rename cannot keep
// them, the file is written in place after a backup of its old content (see ReplacementFile).
// A new file gets 0644 less the umask. A path that is a symbolic link writes the file the link
// points to and keeps the link. On any failure the temporary file is removed and the old file
// stays exactly as it was, except when writing in place stopped part-way and the old content
// could not be copied back: then `leftBackup` names the backup that holds it. With `read`, a file changed since it was in
// that state is left alone (Changed).
FileError WriteFileAtomic(const std::string& path, std::string_view bytes,
                          std::string* leftBackup = nullptr, const FileIdentity* read = nullptr);

}  // namespace norra
