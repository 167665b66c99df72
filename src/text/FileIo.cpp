// Reading whole files, and replacing one atomically (temporary file, fsync, rename).
#include "text/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "text/Descriptor.h"
#include "text/LargeBuffer.h"
#include "text/ReplacementFile.h"

namespace norra {

namespace {

FileIdentity IdentityOf(const struct stat& info) {
  FileIdentity identity;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  identity.size = static_cast<std::int64_t>(info.st_size);
  identity.modifiedNs =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return identity;
}

}  // namespace

// The readers' common body: the entry `path` of `folderFd` opened with `flags` added.
static FileError ReadWholeFileFrom(int folderFd, const std::string& path, int flags,
                                   std::string& bytes, FileIdentity* identity,
                                   const std::function<void(std::size_t end)>& arrived);

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  identity = IdentityOf(info);
  return true;
}

bool IsFileUnchanged(const std::string& path, const FileIdentity& read) {
  if (read.size < 0) return true;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;  // gone, or renamed away
  const FileIdentity now = IdentityOf(info);
  // The status-change time is left out: a chmod or a new hard link is no change of content.
  return now == read && now.size == read.size && now.modifiedNs == read.modifiedNs;
}

bool IsFileUnchangedAt(int folderFd, const std::string& name, const FileIdentity& read) {
  if (read.size < 0) return true;
  struct stat info {};
  if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
  const FileIdentity now = IdentityOf(info);
  return now == read && now.size == read.size && now.modifiedNs == read.modifiedNs;
}

FileError FileErrorFromErrno(int error, FileError otherwise) {
  switch (error) {
    case ENOENT:
      return FileError::NotFound;
    case ENOTDIR:
      return FileError::NotAFolder;
    case EISDIR:
      return FileError::IsFolder;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return FileError::AccessDenied;
    case ENOSPC:
    case EDQUOT:
      return FileError::NoSpace;
    case ENOMEM:
      return FileError::OutOfMemory;
    case EFBIG:
      return FileError::TooLarge;
    default:
      return otherwise;
  }
}

const char* FileErrorName(FileError error) {
  switch (error) {
    case FileError::None: return "no error";
    case FileError::NotFound: return "not found";
    case FileError::IsFolder: return "is a folder";
    case FileError::NotRegularFile: return "not a regular file";
    case FileError::NotAFolder: return "a path part is not a folder";
    case FileError::AccessDenied: return "access denied";
    case FileError::TooLarge: return "too large";
    case FileError::OutOfMemory: return "out of memory";
    case FileError::ReadFailed: return "read failed";
    case FileError::NoSpace: return "no space left on the disk";
    case FileError::WriteFailed: return "write failed";
    case FileError::RenameFailed: return "rename failed";
    case FileError::Changed: return "changed by another program after it was read";
    case FileError::IsLink: return "a symbolic link";
    case FileError::NotEncodable: return "characters the file's encoding cannot hold";
  }
  return "unknown error";
}

const char* FileErrorReason(FileError error) {
  switch (error) {
    case FileError::None: return "ｴﾗｰはありません";
    case FileError::NotFound: return "ﾌｧｲﾙが存在しません";
    case FileError::IsFolder: return "ﾌｫﾙﾀﾞです";
    case FileError::NotRegularFile: return "通常のﾌｧｲﾙではありません";
    case FileError::NotAFolder: return "ﾊﾟｽの途中がﾌｫﾙﾀﾞではありません";
    case FileError::AccessDenied: return "ｱｸｾｽ権がありません";
    case FileError::TooLarge: return "ﾌｧｲﾙｻｲｽﾞが大き過ぎます";
    case FileError::OutOfMemory: return "ﾒﾓﾘが足りません";
    case FileError::ReadFailed: return "読込みｴﾗｰ";
    case FileError::NoSpace: return "ﾃﾞｨｽｸの空き容量が足りません";
    case FileError::WriteFailed: return "書込みｴﾗｰ";
    case FileError::RenameFailed: return "ﾌｧｲﾙを置き換えられません";
    case FileError::Changed: return "読込み後に他のﾌﾟﾛｸﾞﾗﾑが変更しました";
    case FileError::IsLink: return "ｼﾝﾎﾞﾘｯｸﾘﾝｸです";
    case FileError::NotEncodable: return "ﾌｧｲﾙの文字ｺｰﾄﾞで表せない文字があります";
  }
  return "不明なｴﾗｰ";
}

FileError ReadWholeFile(const std::string& path, std::string& bytes, FileIdentity* identity) {
  return ReadWholeFile(path, bytes, identity, nullptr);
}

FileError ReadWholeFile(const std::string& path, std::string& bytes, FileIdentity* identity,
                        const std::function<void(std::size_t end)>& arrived) {
  return ReadWholeFileFrom(AT_FDCWD, path, 0, bytes, identity, arrived);
}

FileError ReadWholeFileAt(int folderFd, const std::string& name, std::string& bytes,
                          FileIdentity* identity) {
  return ReadWholeFileFrom(folderFd, name, O_NOFOLLOW, bytes, identity, nullptr);
}

static FileError ReadWholeFileFrom(int folderFd, const std::string& path, int flags,
                                   std::string& bytes, FileIdentity* identity,
                                   const std::function<void(std::size_t end)>& arrived) {
  // Pieces small enough to stay in the cache between the read and the caller's look.
  constexpr std::size_t kPiece = 256 * 1024;
  bytes.clear();
  if (path.empty()) return FileError::NotFound;
  // O_NONBLOCK keeps a pipe without a writer from hanging the open; pipes are refused below.
  const Descriptor fd(
      ::openat(folderFd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | flags));
  if (fd.Get() < 0) {
    if (errno == ELOOP && (flags & O_NOFOLLOW) != 0) return FileError::IsLink;
    return FileErrorFromErrno(errno, FileError::ReadFailed);
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return FileError::ReadFailed;
  if (S_ISDIR(info.st_mode)) return FileError::IsFolder;
  if (!S_ISREG(info.st_mode)) return FileError::NotRegularFile;
  if (identity != nullptr) *identity = IdentityOf(info);
  try {
    // The expected size is read straight into the string; reading on to the end copes with
    // a file that grows or shrinks meanwhile.
    std::size_t expected = 0;
    if (info.st_size > 0) {
      if (static_cast<std::uint64_t>(info.st_size) >= bytes.max_size()) return FileError::TooLarge;
      expected = static_cast<std::size_t>(info.st_size);
      ReserveLargeBuffer(bytes, expected);
      bytes.resize(expected);
    }
    FileError error = FileError::None;
    auto readSome = [&fd, &error](char* into, std::size_t room) -> std::size_t {
      for (;;) {
        const ssize_t got = ::read(fd.Get(), into, room);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) {
          error = FileErrorFromErrno(errno, FileError::ReadFailed);
          return 0;
        }
      }
    };
    std::size_t filled = 0;
    while (filled < expected) {
      const std::size_t room = arrived ? std::min(expected - filled, kPiece) : expected - filled;
      const std::size_t got = readSome(bytes.data() + filled, room);
      if (got == 0) break;
      filled += got;
      if (arrived) arrived(filled);
    }
    bytes.resize(filled);
    if (error == FileError::None && filled == expected) {
      char buffer[65536];
      while (const std::size_t got = readSome(buffer, sizeof buffer)) {
        if (bytes.size() > bytes.max_size() - got) {
          bytes.clear();
          return FileError::TooLarge;
        }
        bytes.append(buffer, got);
        if (arrived) arrived(bytes.size());
      }
    }
    if (error != FileError::None) {
      bytes.clear();
      return error;
    }
  } catch (const std::bad_alloc&) {
    bytes.clear();
    bytes.shrink_to_fit();
    return FileError::OutOfMemory;
  } catch (const std::length_error&) {
    bytes.clear();
    return FileError::TooLarge;
  }
  return FileError::None;
}

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

FileError WriteFileAtomic(const std::string& path, std::string_view bytes,
                          std::string* leftBackup, const FileIdentity* read) {
  ReplacementFile file;
  FileError error = file.Open(path);
  if (error == FileError::None) error = file.Write(bytes);
  if (error == FileError::None) error = file.Finish(true);
  if (error == FileError::None) error = file.Replace(read);
  if (leftBackup != nullptr) *leftBackup = file.LeftBackup();
  if (error != FileError::None) return error;
  ReplacementFile::SyncFolderOf(file.Target());
  return FileError::None;
}

}  // namespace norra
