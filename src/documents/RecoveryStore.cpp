// Recovery copies on disk: the file format, this run's locked folder, and taking over the
// folders of runs that ended.
#include "documents/RecoveryStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <random>
#include <string_view>
#include <utility>

#include "text/Descriptor.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr std::string_view kHeader = "norra-recovery 1\n";
constexpr std::string_view kCopySuffix = ".copy";
constexpr std::string_view kPartSuffix = ".copy.part";
constexpr const char* kLockName = "lock";
// A folder being made is hidden until its lock is held.
constexpr std::string_view kNewPrefix = ".new-";
constexpr std::size_t kPiece = 1 << 20;

std::uint64_t Checksum(std::string_view bytes) {
  // FNV-1a over eight bytes at a time: it only has to tell a torn or altered copy.
  std::uint64_t hash = 14695981039346656037ull;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word = 0;
    for (int b = 7; b >= 0; --b) word = (word << 8) | static_cast<unsigned char>(bytes[i + b]);
    hash = (hash ^ word) * 1099511628211ull;
    hash ^= hash >> 29;
  }
  for (; i < bytes.size(); ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
  return hash ^ bytes.size();
}

std::string Escape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '%' || u == 0x7F) {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size()) return false;
    const auto [at, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (error != std::errc() || at != text.data() + i + 3) return false;
    out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && at == text.data() + text.size() && !text.empty();
}

const char* KindName(PageKind kind) {
  switch (kind) {
    case PageKind::File: return "file";
    case PageKind::Untitled: return "untitled";
    case PageKind::LoadFailed: return "failed";
  }
  return "untitled";
}

std::string RandomLetters() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kLetters)) - 2);
  std::string letters;
  for (int i = 0; i < 8; ++i) letters += kLetters[pick(generator)];
  return letters;
}

bool ProcessGone(pid_t pid) { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; }

// The process id at the start of a run's folder name "PID-LETTERS" (after the hidden prefix
// of one being made); 0 when the name is not that.
pid_t PidOfFolderName(std::string_view name) {
  if (name.starts_with(kNewPrefix)) name.remove_prefix(kNewPrefix.size());
  pid_t pid = 0;
  const std::size_t dash = name.find('-');
  return dash != std::string_view::npos && ParseNumber(name.substr(0, dash), pid) ? pid : 0;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void SyncFolder(const std::string& folder) {
  const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() >= 0) ::fsync(fd.Get());
}

// Removes a folder of copies whose lock this process holds (or that has none).
void RemoveFolder(const std::string& folder) {
  for (const std::string& name : Entries(folder)) {
    if (name != kLockName) ::unlink((folder + name).c_str());
  }
  // The lock last: a run that finds the folder meanwhile sees it taken until then.
  ::unlink((folder + kLockName).c_str());
  ::rmdir(folder.c_str());
}

FileError WriteAll(int fd, std::string_view bytes, std::size_t& written,
                   const std::function<void(std::size_t)>& progress) {
  while (!bytes.empty()) {
    const std::size_t piece = std::min(bytes.size(), kPiece);
    const ssize_t put = ::write(fd, bytes.data(), piece);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
    bytes.remove_prefix(static_cast<std::size_t>(put));
    written += static_cast<std::size_t>(put);
    if (progress) progress(written);
  }
  return FileError::None;
}

}  // namespace

// ---- the file format ----

std::string FormatRecoveryCopy(const RecoveryCopy& copy) {
  std::string text(kHeader);
  text += "kind ";
  text += KindName(copy.kind);
  text += "\nencoding " + std::to_string(static_cast<int>(copy.encoding.charset));
  text += copy.encoding.byteOrderMark ? " bom" : "";
  text += "\nlf ";
  text += copy.lfLineBreaks ? "1" : "0";
  text += "\ntime " + std::to_string(copy.time);
  text += "\npath " + Escape(copy.path);
  text += "\nsize " + std::to_string(copy.text.size());
  text += "\nsum " + std::to_string(Checksum(copy.text) ^ Checksum(copy.path));
  text += "\n\n";
  return text;  // the text follows
}

bool ParseRecoveryCopy(std::string_view bytes, RecoveryCopy& copy) {
  if (!bytes.starts_with(kHeader)) return false;
  const std::size_t end = bytes.find("\n\n");
  if (end == std::string_view::npos) return false;
  std::string_view header = bytes.substr(kHeader.size(), end + 1 - kHeader.size());
  const std::string_view text = bytes.substr(end + 2);
  RecoveryCopy read;
  std::size_t size = 0;
  std::uint64_t sum = 0;
  int fields = 0;
  while (!header.empty()) {
    const std::size_t newline = header.find('\n');
    const std::string_view line = header.substr(0, newline);
    header.remove_prefix(newline + 1);
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, space);
    const std::string_view value = line.substr(space + 1);
    bool ok = true;
    if (key == "kind") {
      if (value == "file") read.kind = PageKind::File;
      else if (value == "untitled") read.kind = PageKind::Untitled;
      else if (value == "failed") read.kind = PageKind::LoadFailed;
      else ok = false;
    } else if (key == "encoding") {
      // The file charset's number, and " bom" when a byte-order mark leads.
      const bool bom = value.ends_with(" bom");
      const std::string_view number = bom ? value.substr(0, value.size() - 4) : value;
      ok = number.size() == 1 && number[0] >= '0' &&
           number[0] <= '0' + static_cast<int>(FileCharset::Utf16Be);
      if (ok) read.encoding = {static_cast<FileCharset>(number[0] - '0'), bom};
    } else if (key == "lf") {
      ok = value == "0" || value == "1";
      read.lfLineBreaks = value == "1";
    } else if (key == "time") {
      ok = ParseNumber(value, read.time);
    } else if (key == "path") {
      ok = Unescape(value, read.path);
    } else if (key == "size") {
      ok = ParseNumber(value, size);
    } else if (key == "sum") {
      ok = ParseNumber(value, sum);
    } else {
      continue;  // a field of a later version
    }
    if (!ok) return false;
    ++fields;
  }
  if (fields != 7 || size != text.size()) return false;
  read.text.assign(text);
  if ((Checksum(read.text) ^ Checksum(read.path)) != sum) return false;
  copy = std::move(read);
  return true;
}

// ---- this run's copies ----

RecoveryStore::RecoveryStore(std::string root) : root_(std::move(root)) {
  if (!root_.empty() && root_.back() != '/') root_ += '/';
}

RecoveryStore::~RecoveryStore() {
  if (lock_ >= 0) ::close(lock_);
}

std::string RecoveryStore::DefaultRoot() {
  return XdgProgramFolder("XDG_STATE_HOME", ".local/state") + "/recovery/";
}

FileError RecoveryStore::Open() {
  if (lock_ >= 0) return FileError::None;
  if (root_.empty()) return FileError::NotFound;
  for (std::size_t slash = root_.find('/', 1); slash != std::string::npos; slash = root_.find('/', slash + 1))
    ::mkdir(root_.substr(0, slash).c_str(), 0700);
  if (!IsFolder(root_)) return FileError::NotFound;
  const std::string name = std::to_string(::getpid()) + "-" + RandomLetters();
  const std::string making = root_ + std::string(kNewPrefix) + name + "/";
  if (::mkdir(making.c_str(), 0700) != 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
  const int fd = ::open((making + kLockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const FileError error = FileErrorFromErrno(errno, FileError::WriteFailed);
    if (fd >= 0) ::close(fd);
    RemoveFolder(making);
    return error;
  }
  const std::string folder = root_ + name + "/";
  if (::rename(making.c_str(), folder.c_str()) != 0) {
    const FileError error = FileErrorFromErrno(errno, FileError::WriteFailed);
    ::close(fd);
    RemoveFolder(making);
    return error;
  }
  SyncFolder(root_);
  lock_ = fd;
  folder_ = folder;
  return FileError::None;
}

FileError RecoveryStore::Write(std::uint64_t id, const RecoveryCopy& copy) {
  if (lock_ < 0) return FileError::NotFound;
  const std::string target = folder_ + std::to_string(id) + std::string(kCopySuffix);
  const std::string part = folder_ + std::to_string(id) + std::string(kPartSuffix);
  const std::string header = FormatRecoveryCopy(copy);
  FileError error = FileError::None;
  {
    const Descriptor fd(::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.Get() < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
    std::size_t written = 0;
    error = WriteAll(fd.Get(), header, written, nullptr);
    if (error == FileError::None) error = WriteAll(fd.Get(), copy.text, written, progress_);
    if (error == FileError::None && ::fsync(fd.Get()) != 0) error = FileErrorFromErrno(errno, FileError::WriteFailed);
  }
  if (error == FileError::None && ::rename(part.c_str(), target.c_str()) != 0)
    error = FileErrorFromErrno(errno, FileError::RenameFailed);
  if (error != FileError::None) {
    ::unlink(part.c_str());
    return error;
  }
  SyncFolder(folder_);
  return FileError::None;
}

void RecoveryStore::Remove(std::uint64_t id) {
  if (lock_ < 0) return;
  if (::unlink((folder_ + std::to_string(id) + std::string(kCopySuffix)).c_str()) == 0) SyncFolder(folder_);
  ::unlink((folder_ + std::to_string(id) + std::string(kPartSuffix)).c_str());
}

void RecoveryStore::RemoveAll() {
  if (lock_ < 0) return;
  RemoveFolder(folder_);
  ::close(std::exchange(lock_, -1));
  SyncFolder(root_);
  folder_.clear();
}

// ---- the copies of ended runs ----

RecoveryClaim::RecoveryClaim(RecoveryClaim&& other) noexcept
    : folders_(std::exchange(other.folders_, {})),
      copies_(std::exchange(other.copies_, {})),
      discarded_(std::exchange(other.discarded_, {})) {}

RecoveryClaim& RecoveryClaim::operator=(RecoveryClaim&& other) noexcept {
  if (this != &other) {
    Release();
    folders_ = std::exchange(other.folders_, {});
    copies_ = std::exchange(other.copies_, {});
    discarded_ = std::exchange(other.discarded_, {});
  }
  return *this;
}

RecoveryClaim RecoveryClaim::Take(const std::string& rootIn) {
  RecoveryClaim claim;
  if (rootIn.empty()) return claim;
  const std::string root = rootIn.back() == '/' ? rootIn : rootIn + "/";
  for (const std::string& name : Entries(root)) {
    const std::string folder = root + name + "/";
    struct stat info {};
    if (::lstat((root + name).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    if (name.starts_with('.')) {
      // Made by a run killed before its lock was held: it holds no copy.
      if (name.starts_with(kNewPrefix) && ProcessGone(PidOfFolderName(name))) RemoveFolder(folder);
      continue;
    }
    const int fd = ::open((folder + kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      // A folder never lacks its lock while its run lives; one left half removed goes.
      if (errno == ENOENT && ProcessGone(PidOfFolderName(name))) RemoveFolder(folder);
      continue;
    }
    struct stat opened {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 || opened.st_nlink == 0) {
      ::close(fd);  // a running Norra's, or another start took it first
      continue;
    }
    claim.folders_.push_back({folder, fd});
    for (const std::string& entry : Entries(folder)) {
      if (entry.ends_with(kPartSuffix)) {
        ::unlink((folder + entry).c_str());  // a write the kill cut short: the older copy holds
        continue;
      }
      if (!entry.ends_with(kCopySuffix)) continue;
      std::string bytes;
      RecoverableCopy found;
      if (ReadWholeFileAt(AT_FDCWD, folder + entry, bytes, nullptr) != FileError::None ||
          !ParseRecoveryCopy(bytes, found.copy))
        continue;
      found.file = folder + entry;
      claim.copies_.push_back(std::move(found));
    }
  }
  std::stable_sort(claim.copies_.begin(), claim.copies_.end(),
                   [](const RecoverableCopy& a, const RecoverableCopy& b) { return a.copy.time < b.copy.time; });
  claim.discarded_.assign(claim.copies_.size(), false);
  return claim;
}

void RecoveryClaim::Discard(std::size_t index) {
  if (index >= copies_.size() || discarded_[index]) return;
  discarded_[index] = true;
  ::unlink(copies_[index].file.c_str());
  SyncFolder(FolderPart(copies_[index].file));
}

void RecoveryClaim::Release() {
  for (const Folder& folder : folders_) {
    bool empty = true;
    for (const std::string& name : Entries(folder.path)) empty = empty && name == kLockName;
    if (empty) RemoveFolder(folder.path);
    ::close(folder.lock);
  }
  folders_.clear();
  copies_.clear();
  discarded_.clear();
}

}  // namespace norra
