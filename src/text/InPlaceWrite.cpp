// In-place writes: backup, journal record, copy, and the old content put back on failure.
#include "text/InPlaceWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "text/Descriptor.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"
#include "text/WriteJournal.h"

namespace norra {

namespace {

// Copies the whole content of one open file over the start of another; `size` tells how much.
FileError CopyContent(int from, int to, off_t& size) {
  std::vector<char> buffer(std::size_t{1} << 20);
  size = 0;
  for (;;) {
    const ssize_t got = ::pread(from, buffer.data(), buffer.size(), size);
    if (got < 0) {
      if (errno == EINTR) continue;
      return FileErrorFromErrno(errno, FileError::ReadFailed);
    }
    if (got == 0) return FileError::None;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put =
          ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done), size + done);
      if (put < 0) {
        if (errno == EINTR) continue;
        return FileErrorFromErrno(errno, FileError::WriteFailed);
      }
      done += put;
    }
    size += got;
  }
}

// The whole of `from` into the open `to`, cut to its length and flushed.
FileError CopyInto(int from, int to) {
  off_t size = 0;
  FileError error = CopyContent(from, to, size);
  if (error == FileError::None && ::ftruncate(to, size) != 0)
    error = FileErrorFromErrno(errno, FileError::WriteFailed);
  if (error == FileError::None && ::fsync(to) != 0)
    error = FileErrorFromErrno(errno, FileError::WriteFailed);
  return error;
}

// A flushed copy of the open file `from` at `path`, which appears under that name only once
// complete: a backup that exists is a whole one.
FileError MakeBackup(int from, const std::string& path) {
  const std::string part = path + ".part";
  FileError error = FileError::None;
  {
    const Descriptor kept(
        ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (kept.Get() < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
    off_t size = 0;
    error = CopyContent(from, kept.Get(), size);
    if (error == FileError::None && ::fsync(kept.Get()) != 0)
      error = FileErrorFromErrno(errno, FileError::WriteFailed);
  }
  if (error == FileError::None && ::rename(part.c_str(), path.c_str()) != 0)
    error = FileErrorFromErrno(errno, FileError::WriteFailed);
  if (error != FileError::None) {
    ::unlink(part.c_str());
    return error;
  }
  ReplacementFile::SyncFolderOf(path);
  return FileError::None;
}

}  // namespace

std::string InPlaceBackupOf(const std::string& content) {
  // ".name.norra-PID-LETTERS.tmp" → "name.norra-backup-PID-LETTERS": the same writer and
  // letters, so a record that names the content names its backup too.
  std::string name = FileNamePart(content);
  if (!name.empty() && name.front() == '.') name.erase(0, 1);
  if (name.ends_with(".tmp")) name.resize(name.size() - 4);
  const std::size_t marker = name.rfind(".norra-");
  if (marker != std::string::npos) {
    name.insert(marker + 7, "backup-");
  } else {
    name += ".norra-backup";
  }
  return FolderPart(content) + name;
}

FileError CopyFileInto(const std::string& from, int target) {
  const Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (source.Get() < 0) return FileErrorFromErrno(errno, FileError::ReadFailed);
  return CopyInto(source.Get(), target);
}

FileError WriteInPlace(const std::string& content, const std::string& target, bool journaled,
                       std::string& leftBackup) {
  leftBackup.clear();
  const Descriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
  const Descriptor source(::open(content.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (source.Get() < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return FileErrorFromErrno(errno, FileError::WriteFailed);

  const std::string backup = InPlaceBackupOf(content);
  WriteJournal journal;
  if (!journaled) {
    // Named before it is made: a backup that exists when the writer is gone is complete, and
    // the file may have been changed part-way.
    JournalStep step;
    step.kind = JournalStep::Kind::Restore;
    step.from = backup;
    step.target = target;
    step.temporary = content;
    step.present = true;
    step.state.device = static_cast<std::uint64_t>(info.st_dev);
    step.state.inode = static_cast<std::uint64_t>(info.st_ino);
    step.size = static_cast<std::int64_t>(info.st_size);
    JournalRecord record;
    record.steps.push_back(std::move(step));
    if (const FileError error = journal.Record(std::move(record)); error != FileError::None)
      return error;
  }
  if (const FileError error = MakeBackup(file.Get(), backup); error != FileError::None)
    return error;

  const FileError error = CopyInto(source.Get(), file.Get());
  if (error != FileError::None) {
    // The file may hold part of each: it gets its old content back from the backup.
    const Descriptor kept(::open(backup.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (kept.Get() < 0 || CopyInto(kept.Get(), file.Get()) != FileError::None) {
      leftBackup = backup;
      journal.End();  // the user is told where the old content is; no later start rolls back
      return error;
    }
  }
  ::unlink(backup.c_str());
  journal.End();
  return error;
}

}  // namespace norra
