// Temporary file beside its target, then rename: the steps of atomic replacement.
#include "text/ReplacementFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "text/InPlaceWrite.h"
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

std::string RandomLetters() {
  // One per thread: a folder run writes files on several.
  thread_local std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kLetters)) - 2);
  std::string letters;
  for (std::size_t i = 0; i < kRandomLetters; ++i) letters += kLetters[pick(generator)];
  return letters;
}

// "." + name + ".norra-" + pid + "-" + random letters + ".tmp": hidden, never a text file a
// mask means, and the writer's process id tells whether the writer still runs.
std::string TemporaryName(const std::string& target) {
  std::string name = FileNamePart(target);
  if (name.size() > 200) name.resize(200);  // keep the whole name within NAME_MAX
  return FolderPart(target) + "." + name + std::string(kMarker) + std::to_string(::getpid()) + "-" +
         RandomLetters() + std::string(kSuffix);
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
// once per folder and process.
void RemoveStaleTemporaries(const std::string& folder) {
  static std::mutex guard;  // a folder run writes files on several threads
  static std::set<std::string> cleaned;
  bool first = false;
  {
    const std::lock_guard<std::mutex> lock(guard);
    first = cleaned.insert(folder).second;
  }
  if (first) RemoveTemporariesOfEndedWriters(folder);
}

// Gives the open file every extended attribute of `from`, access control lists included; false
// when one of them cannot be copied.
bool CopyAttributes(const std::string& from, int to, bool follow) {
  const auto list = follow ? ::listxattr : ::llistxattr;
  const auto get = follow ? ::getxattr : ::lgetxattr;
  ssize_t length = list(from.c_str(), nullptr, 0);
  if (length < 0) return errno == ENOTSUP;  // a file system without attributes: none to lose
  std::string names(static_cast<std::size_t>(length), '\0');
  length = list(from.c_str(), names.data(), names.size());
  if (length < 0) return false;
  names.resize(static_cast<std::size_t>(length));
  std::string value;
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const char* name = names.c_str() + at;
    ssize_t size = get(from.c_str(), name, nullptr, 0);
    if (size < 0) return false;
    value.resize(static_cast<std::size_t>(size));
    size = get(from.c_str(), name, value.data(), value.size());
    if (size < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

pid_t ReplacementTemporaryWriter(std::string_view fileName) {
  return PidOfTemporaryName(fileName);
}

void RemoveTemporariesOfEndedWriters(const std::string& folder) {
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

std::string ReplacementTemporaryPath(const std::string& target) { return TemporaryName(target); }

bool IsReplacementTemporaryName(std::string_view fileName) {
  if (PidOfTemporaryName(fileName) != 0) return true;
  // The form of earlier versions, "." + name + ".norra-" + random letters: still never input,
  // but without a process id never removed either.
  if (fileName.size() < 2 + kMarker.size() + kRandomLetters || fileName.front() != '.') {
    return false;
  }
  const std::string_view letters = fileName.substr(fileName.size() - kRandomLetters);
  const bool random = std::all_of(letters.begin(), letters.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  });
  return random && fileName.substr(0, fileName.size() - kRandomLetters).ends_with(kMarker);
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
    inPlace_ = other.inPlace_;
    written_ = other.written_;
    leftBackup_ = std::move(other.leftBackup_);
    folder_ = std::move(other.folder_);
    name_ = std::move(other.name_);
    temporaryAt_ = other.temporaryAt_;
    other.target_.clear();
    other.temporary_.clear();
  }
  return *this;
}

FileError ReplacementFile::Fail(FileError error) {
  Discard();
  return error;
}

std::string ReplacementFile::BackupFolder() {
  std::string folder = XdgProgramFolder("XDG_CACHE_HOME", ".cache");
  // Made with its missing parents; only its user may look into it.
  for (std::size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  return folder + "/";
}

int ReplacementFile::FolderFd() const {
  return folder_ ? folder_->Get() : AT_FDCWD;
}

FileError ReplacementFile::Open(const std::string& path) {
  Discard();
  folder_.reset();
  name_.clear();
  return OpenTarget(path);
}

FileError ReplacementFile::OpenIn(std::shared_ptr<const Descriptor> folder,
                                  const std::string& folderPath, const std::string& name) {
  Discard();
  if (!folder || folder->Get() < 0 || name.empty() || name.find('/') != std::string::npos)
    return FileError::NotFound;
  folder_ = std::move(folder);
  name_ = name;
  return OpenTarget(folderPath + name);
}

FileError ReplacementFile::OpenTarget(const std::string& path) {
  inPlace_ = false;
  written_ = 0;
  leftBackup_.clear();
  if (path.empty()) return FileError::NotFound;
  target_ = path;
  struct stat old {};
  if (folder_) {
    exists_ = ::fstatat(FolderFd(), name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists_ && S_ISLNK(old.st_mode)) return FileError::IsLink;
  } else if (!ResolveLinks(target_, old, exists_)) {
    return FileError::NotFound;
  }
  if (target_.back() == '/') return FileError::IsFolder;
  if (exists_) {
    if (S_ISDIR(old.st_mode)) return FileError::IsFolder;
    if (!S_ISREG(old.st_mode)) return FileError::NotRegularFile;
    // Renaming would bypass the file's own write permission; honour it.
    if (::faccessat(FolderFd(), folder_ ? name_.c_str() : target_.c_str(), W_OK, AT_EACCESS) !=
        0) {
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

  // A rename would leave the file's other names with the old text.
  if (exists_ && old.st_nlink > 1) return OpenInPlace();
  // No one may read the new text who could not read the old: the temporary starts with at
  // most the old file's owner bits and gets the rest only when finished.
  const int error =
      CreateTemporary(FolderPart(target_), FolderFd(), exists_ ? (mode_ & 0600) : 0644);
  if (error != 0) {
    // A folder that takes no new file, holding a file we may write.
    if (exists_ && (error == EACCES || error == EPERM)) return OpenInPlace();
    return FileErrorFromErrno(error, FileError::WriteFailed);
  }
  if (!exists_) {
    struct stat made {};
    if (::fstat(fd_, &made) != 0) return Fail(FileError::WriteFailed);
    device_ = made.st_dev;
    return FileError::None;
  }
  // Owner first: a change of owner clears set-id bits and some attributes.
  static const uid_t euid = ::geteuid();
  static const gid_t egid = ::getegid();
  const bool ownerKept = (uid_ == euid && gid_ == egid) || ::fchown(fd_, uid_, gid_) == 0;
  if (!ownerKept || !CopyAttributes(target_, fd_, !folder_)) {
    Discard();
    return OpenInPlace();
  }
  return FileError::None;
}

int ReplacementFile::CreateTemporary(const std::string& folder, int at, mode_t mode) {
  const std::string besides = folder + FileNamePart(target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TemporaryName(besides);
    const std::string opened = at == AT_FDCWD ? name : FileNamePart(name);
    fd_ = ::openat(at, opened.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                   mode);
    if (fd_ >= 0) {
      temporary_ = std::move(name);
      temporaryAt_ = at;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

FileError ReplacementFile::OpenInPlace() {
  const std::string folder = BackupFolder();
  if (folder.empty()) return FileError::AccessDenied;
  RemoveStaleTemporaries(folder);
  // The new content waits in the cache folder, readable by its writer only.
  if (const int error = CreateTemporary(folder, AT_FDCWD, 0600); error != 0) {
    return FileErrorFromErrno(error, FileError::WriteFailed);
  }
  struct stat made {};
  if (::fstat(fd_, &made) != 0) return Fail(FileError::WriteFailed);
  device_ = made.st_dev;
  inPlace_ = true;
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
    written_ += static_cast<std::uint64_t>(written);
  }
  return FileError::None;
}

FileError ReplacementFile::Finish(bool flush) {
  if (fd_ < 0) return FileError::WriteFailed;
  if (exists_ && !inPlace_ && ::fchmod(fd_, mode_ & 07777) != 0) {
    return Fail(FileError::WriteFailed);
  }
  if (flush && ::fsync(fd_) != 0) return Fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  if (::close(std::exchange(fd_, -1)) != 0)
    return Fail(FileErrorFromErrno(errno, FileError::WriteFailed));
  return FileError::None;
}

FileError ReplacementFile::Replace(const FileIdentity* read, bool journaled) {
  if (fd_ >= 0 || temporary_.empty()) return FileError::WriteFailed;
  if (read != nullptr && exists_ &&
      !(folder_ ? IsFileUnchangedAt(FolderFd(), name_, *read) : IsFileUnchanged(target_, *read)))
    return Fail(FileError::Changed);
  if (inPlace_) return Fail(WriteInPlace(temporary_, target_, journaled, leftBackup_));
  const int renamed =
      folder_ ? ::renameat(FolderFd(), FileNamePart(temporary_).c_str(), FolderFd(), name_.c_str())
              : ::rename(temporary_.c_str(), target_.c_str());
  if (renamed != 0) {
    return Fail(FileErrorFromErrno(errno, FileError::RenameFailed));
  }
  temporary_.clear();
  return FileError::None;
}

void ReplacementFile::Discard() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) {
    if (temporaryAt_ == AT_FDCWD || !folder_) {
      ::unlink(temporary_.c_str());
    } else {
      ::unlinkat(temporaryAt_, FileNamePart(temporary_).c_str(), 0);
    }
    temporary_.clear();
  }
}

int ReplacementFile::OpenTemporary() const {
  if (temporary_.empty()) return -1;
  const std::string name = temporaryAt_ == AT_FDCWD ? temporary_ : FileNamePart(temporary_);
  return ::openat(temporaryAt_, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
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
