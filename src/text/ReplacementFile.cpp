// Temporary file beside its target, then rename: the steps of atomic replacement.
#include "text/ReplacementFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <set>
#include <utility>

#include "text/PathUtil.h"

namespace norra {

namespace {

// Follows a chain of symbolic links lexically, so that a dangling link still names the file
// it would create. Returns false for a loop. `exists` tells whether `info` describes the
// final path; otherwise errno says why not.
bool ResolveLinks(std::string& path, struct stat& info, bool& exists) {
  for (int depth = 0; depth < 40; ++depth) {
    exists = ::lstat(path.c_str(), &info) == 0;
    if (!exists || !S_ISLNK(info.st_mode)) return true;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) {
      exists = ::stat(path.c_str(), &info) == 0;
      return true;
    }
    target.resize(static_cast<std::size_t>(length));
    path = target.front() == '/' ? target : FolderPart(path) + target;
  }
  return false;
}

constexpr std::string_view kMarker = ".norra-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kRandomLetters = 8;

// "." + name + ".norra-" + pid + "-" + random letters + ".tmp": hidden, never a text file a
// mask means, and the writer's process id tells whether the writer still runs.
std::string TemporaryName(const std::string& target) {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = FileNamePart(target);
  if (name.size() > 200) name.resize(200);  // keep the whole name within NAME_MAX
  std::string result =
      FolderPart(target) + "." + name + std::string(kMarker) + std::to_string(::getpid()) + "-";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kLetters)) - 2);
  for (std::size_t i = 0; i < kRandomLetters; ++i) result += kLetters[pick(generator)];
  result += kSuffix;
  return result;
}

// The process id a temporary's name carries, or 0 when the name is not one of ours.
pid_t PidOfTemporaryName(std::string_view name) {
  if (name.size() < 2 || name.front() != '.' || !name.ends_with(kSuffix)) return 0;
  name.remove_suffix(kSuffix.size());
  if (name.size() < kRandomLetters + 1) return 0;
  const std::string_view letters = name.substr(name.size() - kRandomLetters);
  for (const char c : letters) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return 0;
  }
  name.remove_suffix(kRandomLetters);
  if (name.back() != '-') return 0;
  name.remove_suffix(1);
  // The digits of the process id, then the marker right before them.
  std::size_t digits = 0;
  while (digits < name.size() && digits < 10 && name[name.size() - 1 - digits] >= '0' &&
         name[name.size() - 1 - digits] <= '9') {
    ++digits;
  }
  if (digits == 0) return 0;
  const std::string_view number = name.substr(name.size() - digits);
  name.remove_suffix(digits);
  if (!name.ends_with(kMarker) || name.size() < kMarker.size() + 2) return 0;
  long long pid = 0;
  for (const char c : number) pid = pid * 10 + (c - '0');
  if (pid <= 0 || pid > INT_MAX) return 0;
  return static_cast<pid_t>(pid);
}

// Removes temporaries of ours in `folder` whose writer no longer runs (a killed save or run),
// once per folder and process. Nothing else is touched.
void RemoveStaleTemporaries(const std::string& folder) {
  static std::set<std::string> cleaned;
  if (!cleaned.insert(folder).second) return;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = PidOfTemporaryName(entry->d_name);
    if (pid == 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to judge
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode)) continue;
    ::unlinkat(dirFd, entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

bool IsReplacementTemporaryName(std::string_view fileName) {
  return PidOfTemporaryName(fileName) != 0;
}

ReplacementFile::~ReplacementFile() {
  Discard();
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept {
  *this = std::move(other);
}

ReplacementFile& ReplacementFile::operator=(ReplacementFile&& other) noexcept {
  if (this != &other) {
    Discard();
    target_ = std::move(other.target_);
    temporary_ = std::move(other.temporary_);
    fd_ = std::exchange(other.fd_, -1);
    exists_ = other.exists_;
    mode_ = other.mode_;
    uid_ = other.uid_;
    gid_ = other.gid_;
    device_ = other.device_;
    other.target_.clear();
    other.temporary_.clear();
  }
  return *this;
}

FileError ReplacementFile::Fail(FileError error) {
  Discard();
  return error;
}

FileError ReplacementFile::Open(const std::string& path) {
  Discard();
  if (path.empty()) return FileError::NotFound;
  target_ = path;
  struct stat old {};
  if (!ResolveLinks(target_, old, exists_)) return FileError::NotFound;
  if (target_.back() == '/') return FileError::IsFolder;
  if (exists_) {
    if (S_ISDIR(old.st_mode)) return FileError::IsFolder;
    if (!S_ISREG(old.st_mode)) return FileError::NotRegularFile;
    // Renaming would bypass the file's own write permission; honour it.
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
      return FileErrorFromErrno(errno, FileError::AccessDenied);
    }
    mode_ = old.st_mode;
    uid_ = old.st_uid;
    gid_ = old.st_gid;
    device_ = old.st_dev;
  } else if (errno != ENOENT) {
    return FileErrorFromErrno(errno, FileError::WriteFailed);
  }
  RemoveStaleTemporaries(FolderPart(target_));

  // No one may read the new text who could not read the old: the temporary starts with at
  // most the old file's owner bits and gets the rest only when finished.
  const mode_t createMode = exists_ ? (mode_ & 0600) : 0644;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    std::string name = TemporaryName(target_);
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
    if (fd_ >= 0) {
      temporary_ = std::move(name);
    } else if (errno != EEXIST) {
      return FileErrorFromErrno(errno, FileError::WriteFailed);
    }
  }
  if (fd_ < 0) return FileError::WriteFailed;
  if (!exists_) {
    struct stat made {};
    if (::fstat(fd_, &made) != 0) return Fail(FileError::WriteFailed);
    device_ = made.st_dev;
  }
  return FileError::None;
}

FileError ReplacementFile::Write(std::string_view bytes) {
  if (fd_ < 0) return FileError::WriteFailed;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail(FileErrorFromErrno(errno, FileError::WriteFailed));
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return FileError::None;
}

FileError ReplacementFile::Finish(bool flush) {
  if (fd_ < 0) return FileError::WriteFailed;
  if (exists_) {
    // Owner first: a change of owner clears set-id bits that fchmod then restores.
    static const uid_t euid = ::geteuid();
    static const gid_t egid = ::getegid();
    if (uid_ != euid || gid_ != egid) {
      if (::fchown(fd_, uid_, gid_) != 0) {
        // Not allowed for an ordinary user; the file then belongs to the writer, as after any save.
      }
    }
    if (::fchmod(fd_, mode_ & 07777) != 0) return Fail(FileError::WriteFailed);
  }
  if (flush && ::fsync(fd_) != 0) return Fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  if (::close(std::exchange(fd_, -1)) != 0)
    return Fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  return FileError::None;
}

FileError ReplacementFile::Replace(const FileIdentity* read) {
  if (fd_ >= 0 || temporary_.empty()) return FileError::WriteFailed;
  if (read != nullptr && exists_ && !IsFileUnchanged(target_, *read))
    return Fail(FileError::Changed);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return Fail(FileErrorFromErrno(errno, FileError::RenameFailed));
  }
  temporary_.clear();
  return FileError::None;
}

void ReplacementFile::Discard() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

void ReplacementFile::SyncFolderOf(const std::string& file) {
  const std::string folder = FolderPart(file);
  const char* name = folder.empty() ? "." : folder.c_str();
  const int fd = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);  // durability only; the rename already happened
    ::close(fd);
  }
}

}  // namespace norra
