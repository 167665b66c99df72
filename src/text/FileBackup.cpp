// Backups of files about to be saved over.
#include "text/FileBackup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "text/Descriptor.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"

namespace norra {

std::string BackupPathOf(const std::string& path, const std::string& folder) {
  const std::string name = FileNamePart(path) + ".bak";
  if (folder.empty()) return FolderPart(path) + name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool MayReplaceFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

namespace {

FileError CopyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got == 0) return FileError::None;
    if (got < 0) {
      if (errno == EINTR) continue;
      return FileErrorFromErrno(errno, FileError::ReadFailed);
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return FileErrorFromErrno(errno, FileError::WriteFailed);
      }
      done += put;
    }
  }
}

}  // namespace

FileError CopyToBackup(const std::string& source, const std::string& backup) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return FileErrorFromErrno(errno, FileError::ReadFailed);
  const Descriptor input(in);
  struct stat info {};
  if (::fstat(in, &info) != 0) return FileErrorFromErrno(errno, FileError::ReadFailed);
  if (!S_ISREG(info.st_mode)) return FileError::NotRegularFile;

  const std::string temporary = ReplacementTemporaryPath(backup);
  const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (out < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
  int open = out;  // -1 once closed
  auto fail = [&temporary, &open](FileError error) {
    if (open >= 0) ::close(std::exchange(open, -1));
    ::unlink(temporary.c_str());
    return error;
  };
  if (const FileError error = CopyBytes(in, out); error != FileError::None) return fail(error);
  // Owner and group first (a change of owner clears permission bits), then the bits.
  const bool sameOwner = info.st_uid == ::geteuid() && info.st_gid == ::getegid();
  const bool ownerKept = sameOwner || ::fchown(out, info.st_uid, info.st_gid) == 0 ||
                         ::fchown(out, static_cast<uid_t>(-1), info.st_gid) == 0;
  const mode_t mode = ownerKept ? (info.st_mode & 0777) : (info.st_mode & 0700);
  if (::fchmod(out, mode) != 0) return fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  ::futimens(out, times);  // a courtesy: the copy is whole without it
  if (::fsync(out) != 0) return fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  if (::close(std::exchange(open, -1)) != 0) return fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  if (::rename(temporary.c_str(), backup.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return error == EISDIR ? FileError::IsFolder : FileErrorFromErrno(error, FileError::RenameFailed);
  }
  ReplacementFile::SyncFolderOf(backup);
  return FileError::None;
}

}  // namespace norra
