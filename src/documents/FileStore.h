// The file operations Pages are loaded and saved with, as a port so failures can be staged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/FileEncoding.h"
#include "text/FileIo.h"

namespace norra {

// Several files written as one operation: each first to a temporary, then all put in place
// together (see FileStore::WriteTogether).
class FileSetWrite {
 public:
  virtual ~FileSetWrite() = default;
  // Writes the new content of `path` to a temporary; the file itself does not change yet.
  // With `removeAfter`, that old name of the file goes once every file is in place.
  virtual FileError Add(const std::string& path, std::string_view bytes,
                        const std::string& removeAfter = {}) = 0;
  // Puts the added files in place in the order added, then removes the old names. `done`
  // tells how many are in place; on failure the rest keep their old content and no old name
  // goes. Nothing is written afterwards.
  virtual FileError Commit(std::size_t& done) = 0;
  // Commit after adding stopped with `error` (None when every file was added): the error to
  // report is the first one.
  FileError CommitAfter(FileError error, std::size_t& done) {
    const FileError committed = Commit(done);
    return error != FileError::None ? error : committed;
  }
  // After a failed Commit: as FileStore::LeftBackup.
  virtual std::string LeftBackup() const { return {}; }
};

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
  // Starts writing several files together, to the paths given (in any order), so that a crash
  // at any moment leaves every file, after the next start, with its old or its new content
  // and never loses a text when files swap names.
  virtual std::unique_ptr<FileSetWrite> WriteTogether(const std::vector<std::string>& paths) = 0;
  // Whether something (a file or a folder) exists at the path.
  virtual bool Exists(const std::string& path) = 0;
  // The state this program last read or wrote the file in; false when it knows none.
  virtual bool KnownState(const std::string& /*path*/, FileIdentity& /*state*/) { return false; }
  // The encoding an `.editorconfig` names for the file at path (which need not exist).
  virtual std::optional<FileEncoding> ConfiguredEncoding(const std::string& /*path*/) { return std::nullopt; }
  // The file's state now; false when there is none.
  virtual bool StateNow(const std::string& path, FileIdentity& state) { return IdentifyFile(path, state); }
};

}  // namespace norra
