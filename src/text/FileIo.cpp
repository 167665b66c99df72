// Reading whole files and replacing them atomically (temporary file, fsync, rename).
#include "text/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>
#include <random>
#include <stdexcept>

#include "text/LargeBuffer.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

FileError ErrorFromErrno(int error, FileError otherwise) {
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
    default:
      return otherwise;
  }
}

// Closes the descriptor when it goes out of scope unless released.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Follows a chain of symbolic links lexically, so that a dangling link still names the file
// it would create. Returns false for a loop.
bool ResolveLinks(std::string& path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return true;
    target.resize(static_cast<std::size_t>(length));
    path = target.front() == '/' ? target : FolderPart(path) + target;
  }
  return false;
}

std::string TemporaryName(const std::string& target) {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = FileNamePart(target);
  if (name.size() > 200) name.resize(200);  // keep the whole name within NAME_MAX
  std::string result = FolderPart(target) + "." + name + ".norra-";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kLetters)) - 2);
  for (int i = 0; i < 8; ++i) result += kLetters[pick(generator)];
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void SyncFolder(const std::string& target) {
  const std::string folder = FolderPart(target);
  const char* name = folder.empty() ? "." : folder.c_str();
  const Descriptor fd(::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() >= 0) ::fsync(fd.Get());  // durability only; the rename already happened
}

}  // namespace

const char* FileErrorName(FileError error) {
  switch (error) {
    case FileError::None: return "no error";
    case FileError::NotFound: return "not found";
    case FileError::IsFolder: return "is a folder";
    case FileError::NotRegularFile: return "not a regular file";
    case FileError::NotAFolder: return "a path part is not a folder";
    case FileError::AccessDenied: return "access denied";
    case FileError::TooLarge: return "too large";
    case FileError::ReadFailed: return "read failed";
    case FileError::WriteFailed: return "write failed";
    case FileError::RenameFailed: return "rename failed";
  }
  return "unknown error";
}

FileError ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  if (path.empty()) return FileError::NotFound;
  // O_NONBLOCK keeps a pipe without a writer from hanging the open; pipes are refused below.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.Get() < 0) return ErrorFromErrno(errno, FileError::ReadFailed);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return FileError::ReadFailed;
  if (S_ISDIR(info.st_mode)) return FileError::IsFolder;
  if (!S_ISREG(info.st_mode)) return FileError::NotRegularFile;
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
          error = ErrorFromErrno(errno, FileError::ReadFailed);
          return 0;
        }
      }
    };
    std::size_t filled = 0;
    while (filled < expected) {
      const std::size_t got = readSome(bytes.data() + filled, expected - filled);
      if (got == 0) break;
      filled += got;
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
      }
    }
    if (error != FileError::None) {
      bytes.clear();
      return error;
    }
  } catch (const std::bad_alloc&) {
    bytes.clear();
    bytes.shrink_to_fit();
    return FileError::TooLarge;
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

FileError WriteFileAtomic(const std::string& path, std::string_view bytes) {
  if (path.empty()) return FileError::NotFound;
  std::string target = path;
  if (!ResolveLinks(target)) return FileError::NotFound;
  if (target.back() == '/') return FileError::IsFolder;

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) return FileError::IsFolder;
    if (!S_ISREG(old.st_mode)) return FileError::NotRegularFile;
    // Renaming would bypass the file's own write permission; honour it.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
      return ErrorFromErrno(errno, FileError::AccessDenied);
    }
  } else if (errno != ENOENT) {
    return ErrorFromErrno(errno, FileError::WriteFailed);
  }

  std::string temporary;
  int rawFd = -1;
  for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
    temporary = TemporaryName(target);
    rawFd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (rawFd < 0 && errno != EEXIST) return ErrorFromErrno(errno, FileError::WriteFailed);
  }
  if (rawFd < 0) return FileError::WriteFailed;
  Descriptor fd(rawFd);

  auto fail = [&temporary, &fd](FileError error) {
    ::close(fd.Release());
    ::unlink(temporary.c_str());
    return error;
  };

  if (!WriteAll(fd.Get(), bytes)) return fail(FileError::WriteFailed);
  if (exists) {
    // Owner first: a change of owner clears set-id bits that fchmod then restores.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      if (::fchown(fd.Get(), old.st_uid, old.st_gid) != 0) {
        // Not allowed for an ordinary user; the file then belongs to the writer, as after any save.
      }
    }
    if (::fchmod(fd.Get(), old.st_mode & 07777) != 0) return fail(FileError::WriteFailed);
  }
  if (::fsync(fd.Get()) != 0) return fail(FileError::WriteFailed);
  if (::close(fd.Release()) != 0) {
    ::unlink(temporary.c_str());
    return FileError::WriteFailed;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return ErrorFromErrno(error, FileError::RenameFailed);
  }
  SyncFolder(target);
  return FileError::None;
}

}  // namespace norra
