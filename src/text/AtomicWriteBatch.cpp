// A batch of atomic replacements: unflushed temporaries, one flush, renames, folder syncs.
#include "text/AtomicWriteBatch.h"

#include <fcntl.h>
#include <sys/stat.h>
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

void AtomicWriteBatch::RemoveAfter(const std::string& path) { removals_.push_back(path); }

FileError AtomicWriteBatch::Expect(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
      folders_.push_back(folder);
  }
  JournalRecord record;
  record.folders = folders_;
  return journal_.Record(std::move(record));
}

bool AtomicWriteBatch::Holds(const FileIdentity& target) const {
  return std::find(targets_.begin(), targets_.end(), target) != targets_.end();
}

void AtomicWriteBatch::Discard() {
  files_.clear();  // each discards its temporary file
  targets_.clear();
  removals_.clear();
  folders_.clear();
  journal_.End();
}

namespace {

// The name as it is now: `present` false when there is none.
JournalStep StateOf(JournalStep::Kind kind, const std::string& path) {
  JournalStep step;
  step.kind = kind;
  step.target = path;
  struct stat info {};
  step.present = ::lstat(path.c_str(), &info) == 0;
  if (step.present) {
    step.state.device = static_cast<std::uint64_t>(info.st_dev);
    step.state.inode = static_cast<std::uint64_t>(info.st_ino);
    step.state.size = static_cast<std::int64_t>(info.st_size);
    step.state.modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  }
  return step;
}

bool Unchanged(const JournalStep& planned) {
  const JournalStep now = StateOf(planned.kind, planned.target);
  return now == planned;
}

}  // namespace

JournalRecord AtomicWriteBatch::Plan(const std::vector<bool>& alone) const {
  JournalRecord record;
  record.folders = folders_;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const ReplacementFile& file = files_[i];
    const std::string folder = FolderPart(file.Temporary());
    if (std::find(record.folders.begin(), record.folders.end(), folder) == record.folders.end())
      record.folders.push_back(folder);
    if (alone[i]) continue;
    JournalStep step = StateOf(
        file.WritesInPlace() ? JournalStep::Kind::InPlace : JournalStep::Kind::Rename,
        file.Target());
    step.from = file.Temporary();
    step.size = static_cast<std::int64_t>(file.Written());
    record.steps.push_back(std::move(step));
  }
  for (const std::string& path : removals_) {
    JournalStep step = StateOf(JournalStep::Kind::Remove, path);
    if (step.present) record.steps.push_back(std::move(step));
  }
  return record;
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
  if (files_.empty()) {
    Discard();
    return FileError::None;
  }
  FileError error = Flush();
  // Targets another program changed since they were read are left alone before the plan is
  // made, so that no later start puts our content over theirs.
  std::vector<bool> alone(files_.size(), false);
  std::size_t placing = 0;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    alone[i] = !IsFileUnchanged(files_[i].Target(), targets_[i]);
    if (!alone[i]) ++placing;
  }
  // One rename alone is atomic by itself, and one in-place write keeps a record of its own.
  const bool journaled = placing > 1 || !removals_.empty();
  const JournalRecord plan = Plan(alone);
  if (error == FileError::None && journaled) error = journal_.Record(plan);
  std::unordered_set<std::string> folders;
  std::vector<std::string> files;  // one file in each folder
  if (error == FileError::None) {
    for (; done < files_.size(); ++done) {
      ReplacementFile& file = files_[done];
      error = alone[done] ? FileError::Changed : file.Replace(&targets_[done], journaled);
      if (error == FileError::Changed) {
        file.Discard();
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
  // The old names of moved files go only when every new file is in place.
  if (error == FileError::None && leftAlone_.empty() && !removals_.empty()) {
    std::unordered_set<std::string> removedFrom;
    for (const JournalStep& step : plan.steps) {
      if (step.kind == JournalStep::Kind::Remove && Unchanged(step) &&
          ::unlink(step.target.c_str()) == 0)
        removedFrom.insert(FolderPart(step.target));
    }
    for (const std::string& folder : removedFrom) ReplacementFile::SyncFolderOf(folder);
  }
  Discard();
  return error;
}

}  // namespace norra
