// A batch of atomic replacements: unflushed temporaries, one flush, renames, folder syncs.
#include "text/AtomicWriteBatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>

#include "text/PathUtil.h"

namespace norra {

void AtomicWriteBatch::Add(ReplacementFile file, const FileIdentity& target) {
  files_.push_back(std::move(file));
  targets_.push_back(target);
}

bool AtomicWriteBatch::Holds(const FileIdentity& target) const {
  return std::find(targets_.begin(), targets_.end(), target) != targets_.end();
}

void AtomicWriteBatch::Discard() {
  files_.clear();  // each discards its temporary file
  targets_.clear();
}

FileError AtomicWriteBatch::Flush() {
  // A few files are synced one by one; more take one sync per file system, which writes every
  // temporary of it in one go (and reports a failed write-back of any of them).
  const bool each = files_.size() <= kFlushEachUpTo;
  std::vector<dev_t> done;
  for (const ReplacementFile& file : files_) {
    if (!each) {
      if (std::find(done.begin(), done.end(), file.Device()) != done.end()) continue;
      done.push_back(file.Device());
    }
    const int fd = file.OpenTemporary();
    if (fd < 0) return FileError::WriteFailed;
    const bool synced = (each ? ::fsync(fd) : ::syncfs(fd)) == 0;
    const int syncError = errno;
    ::close(fd);
    if (!synced) return FileErrorFromErrno(syncError, FileError::WriteFailed);
  }
  return FileError::None;
}

FileError AtomicWriteBatch::Commit(std::size_t& done) {
  done = 0;
  leftAlone_.clear();
  leftBackup_.clear();
  if (files_.empty()) return FileError::None;
  FileError error = Flush();
  std::unordered_set<std::string> folders;
  std::vector<std::string> files;  // one file in each folder
  if (error == FileError::None) {
    for (; done < files_.size(); ++done) {
      ReplacementFile& file = files_[done];
      error = file.Replace(&targets_[done]);
      if (error == FileError::Changed) {
        leftAlone_.push_back(done);
        error = FileError::None;
        continue;
      }
      if (error != FileError::None) {
        leftBackup_ = file.LeftBackup();
        break;
      }
      if (folders.insert(FolderPart(file.Target())).second) files.push_back(file.Target());
    }
  }
  for (const std::string& file : files) ReplacementFile::SyncFolderOf(file);
  Discard();
  return error;
}

}  // namespace norra
