// The write journal: record format, the live record, and finishing a killed writer's plan.
#include "text/WriteJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <random>
#include <utility>

#include "text/Descriptor.h"
#include "text/Escape.h"
#include "text/InPlaceWrite.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"

namespace norra {

namespace {

constexpr std::string_view kHeader = "norra-write-journal 1\n";
constexpr std::string_view kRecordSuffix = ".journal";
constexpr std::string_view kPartSuffix = ".new";
constexpr std::string_view kSetAside = ".unreadable";
// A record of many thousand files is some megabytes; anything far larger is not one of ours.
constexpr off_t kLargestRecord = off_t{256} << 20;

// Names may hold spaces, line breaks and any byte but NUL: those that would split a line or a
// field are written as %XX. A name is never empty.
bool Unescape(std::string_view text, std::string& out) {
  return UnescapeField(text, out) && !out.empty() && out.find('\0') == std::string::npos;
}


template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string FormatState(const JournalStep& step) {
  if (!step.present) return "-";
  const FileIdentity& s = step.state;
  return std::to_string(s.device) + ":" + std::to_string(s.inode) + ":" + std::to_string(s.size) +
         ":" + std::to_string(s.modifiedNs);
}

bool ParseState(std::string_view text, JournalStep& step) {
  step.present = text != "-";
  if (!step.present) return true;
  std::string_view parts[4];
  for (int i = 0; i < 4; ++i) {
    const std::size_t colon = i < 3 ? text.find(':') : text.size();
    if (colon == std::string_view::npos) return false;
    parts[i] = text.substr(0, colon);
    text.remove_prefix(i < 3 ? colon + 1 : colon);
  }
  FileIdentity& s = step.state;
  return ParseNumber(parts[0], s.device) && ParseNumber(parts[1], s.inode) &&
         ParseNumber(parts[2], s.size) && ParseNumber(parts[3], s.modifiedNs);
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const std::size_t space = line.find(' ');
    fields.push_back(line.substr(0, space));
    if (space == std::string_view::npos) break;
    line.remove_prefix(space + 1);
    if (line.empty()) fields.emplace_back();  // a trailing space: an empty field
  }
  return fields;
}

std::string RandomLetters() {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kLetters)) - 2);
  std::string letters;
  for (int i = 0; i < 8; ++i) letters += kLetters[pick(generator)];
  return letters;
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  std::getline(in, text, '\0');
  return text;
}

// Field 22 of /proc/PID/stat, after the command name in parentheses (which may hold spaces).
std::uint64_t StartTimeOf(pid_t pid) {
  const std::string stat = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t paren = stat.rfind(')');
  if (paren == std::string::npos) return 0;
  std::string_view rest = std::string_view(stat).substr(paren + 1);
  for (int field = 2; field < 22; ++field) {
    const std::size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) return 0;
    rest.remove_prefix(start);
    if (field == 21) break;
    const std::size_t end = rest.find(' ');
    if (end == std::string_view::npos) return 0;
    rest.remove_prefix(end);
  }
  std::uint64_t started = 0;
  return ParseNumber(rest.substr(0, rest.find(' ')), started) ? started : 0;
}

std::string BootId() {
  std::string boot = ReadSmallFile("/proc/sys/kernel/random/boot_id");
  while (!boot.empty() && (boot.back() == '\n' || boot.back() == ' ')) boot.pop_back();
  return boot.find_first_of(" %\n") == std::string::npos ? boot : std::string();
}

bool ProcessGone(pid_t pid) { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; }

// The process id in "write-PID-LETTERS.journal" (or .new), 0 when the name is not that.
pid_t PidOfRecordName(std::string_view name) {
  if (!name.starts_with("write-")) return 0;
  name.remove_prefix(6);
  const std::size_t dash = name.find('-');
  pid_t pid = 0;
  return dash != std::string_view::npos && ParseNumber(name.substr(0, dash), pid) ? pid : 0;
}

// The process id in a backup's name "NAME.norra-backup-PID-LETTERS.part", 0 when not that.
pid_t PidOfBackupPart(std::string_view name) {
  if (!name.ends_with(".part")) return 0;
  const std::size_t at = name.rfind(".norra-backup-");
  if (at == std::string_view::npos) return 0;
  name.remove_prefix(at + 14);
  const std::size_t dash = name.find('-');
  pid_t pid = 0;
  return dash != std::string_view::npos && ParseNumber(name.substr(0, dash), pid) ? pid : 0;
}

// $XDG_CACHE_HOME/norra/ or ~/.cache/norra/ when it exists, without making it.
std::string ExistingCacheFolder() {
  const std::string folder = XdgProgramFolder("XDG_CACHE_HOME", ".cache") + "/";
  return IsFolder(folder) ? folder : std::string();
}

void SyncFolder(const std::string& folder) { ReplacementFile::SyncFolderOf(folder); }

// Calls `each` with the name of every entry of the folder.
template <typename Each>
void ForEachEntry(const std::string& folder, Each each) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  for (const std::string& name : names) each(name);
}

bool IsRegular(const std::string& path, struct stat& info) {
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool SameFile(const struct stat& info, const FileIdentity& state) {
  return static_cast<std::uint64_t>(info.st_dev) == state.device &&
         static_cast<std::uint64_t>(info.st_ino) == state.inode;
}

// Whether the name is in the state the plan found it in (absent, or the same file unchanged).
bool AsPlanned(const std::string& path, const JournalStep& step) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return !step.present && errno == ENOENT;
  if (!step.present || !SameFile(info, step.state)) return false;
  const std::int64_t modified =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return static_cast<std::int64_t>(info.st_size) == step.state.size &&
         modified == step.state.modifiedNs;
}

class Finisher {
 public:
  explicit Finisher(std::vector<JournalFinding>& findings) : findings_(findings) {}

  void Finish(const JournalRecord& record) {
    bool complete = true;  // every file of the plan ended with its new content
    for (const JournalStep& step : record.steps) {
      switch (step.kind) {
        case JournalStep::Kind::Restore:
          RollBack(step);
          break;
        case JournalStep::Kind::Rename:
          complete = RollForwardRename(step) && complete;
          break;
        case JournalStep::Kind::InPlace:
          complete = RollForwardInPlace(step) && complete;
          break;
        case JournalStep::Kind::Remove:
          break;
      }
    }
    // An old name goes only when no text would go with it.
    for (const JournalStep& step : record.steps) {
      if (step.kind == JournalStep::Kind::Remove && complete && AsPlanned(step.target, step))
        ::unlink(step.target.c_str());
    }
    // Temporaries made before the plan was complete, or dropped from it.
    if (ProcessGone(record.owner.pid)) {
      for (const std::string& folder : record.folders) {
        ForEachEntry(folder, [&](const std::string& name) {
          struct stat info {};
          if (ReplacementTemporaryWriter(name) == record.owner.pid &&
              IsRegular(folder + name, info))
            ::unlink((folder + name).c_str());
        });
      }
    }
  }

 private:
  void Tell(JournalFinding::Kind kind, const std::string& file, std::string detail = {}) {
    findings_.push_back({kind, file, std::move(detail)});
  }

  void RollBack(const JournalStep& step) {
    const std::string& backup = step.from;
    struct stat info {};
    // Without the backup the file was not touched yet, or holds all of its new content.
    if (IsRegular(backup, info)) {
      const Descriptor file(::open(step.target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
      struct stat now {};
      FileError error = FileError::NotFound;
      if (file.Get() >= 0 && ::fstat(file.Get(), &now) == 0) {
        error = SameFile(now, step.state) ? CopyFileInto(backup, file.Get()) : FileError::Changed;
      }
      if (error != FileError::None) {
        Tell(JournalFinding::Kind::NotRestored, step.target, backup);
        ::unlink(step.temporary.c_str());
        return;  // the backup stays: it is the old content
      }
      Tell(JournalFinding::Kind::RolledBack, step.target);
    }
    ::unlink(backup.c_str());
    ::unlink((backup + ".part").c_str());
    ::unlink(step.temporary.c_str());
  }

  bool RollForwardRename(const JournalStep& step) {
    struct stat info {};
    if (!IsRegular(step.from, info)) return true;  // renamed before the writer ended
    if (static_cast<std::int64_t>(info.st_size) != step.size) {
      ::unlink(step.from.c_str());
      Tell(JournalFinding::Kind::NotFinished, step.target, FileErrorReason(FileError::WriteFailed));
      return false;
    }
    if (!AsPlanned(step.target, step)) {
      ::unlink(step.from.c_str());
      Tell(JournalFinding::Kind::LeftAlone, step.target);
      return false;
    }
    if (::rename(step.from.c_str(), step.target.c_str()) != 0) {
      const int error = errno;
      ::unlink(step.from.c_str());
      Tell(JournalFinding::Kind::NotFinished, step.target,
           FileErrorReason(FileErrorFromErrno(error, FileError::RenameFailed)));
      return false;
    }
    ReplacementFile::SyncFolderOf(step.target);
    Tell(JournalFinding::Kind::RolledForward, step.target);
    return true;
  }

  bool RollForwardInPlace(const JournalStep& step) {
    const std::string backup = InPlaceBackupOf(step.from);
    auto cleanUp = [&] {
      ::unlink(step.from.c_str());
      ::unlink(backup.c_str());
      ::unlink((backup + ".part").c_str());
    };
    struct stat info {};
    if (!IsRegular(step.from, info)) {  // written before the writer ended
      cleanUp();
      return true;
    }
    FileError error = FileError::WriteFailed;
    if (static_cast<std::int64_t>(info.st_size) == step.size) {
      const Descriptor file(::open(step.target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
      struct stat now {};
      error = FileErrorFromErrno(errno, FileError::WriteFailed);
      if (file.Get() >= 0 && ::fstat(file.Get(), &now) == 0) {
        error = SameFile(now, step.state) ? CopyFileInto(step.from, file.Get()) : FileError::Changed;
      }
    }
    cleanUp();
    if (error == FileError::Changed) {
      Tell(JournalFinding::Kind::LeftAlone, step.target);
    } else if (error != FileError::None) {
      Tell(JournalFinding::Kind::NotFinished, step.target, FileErrorReason(error));
    } else {
      Tell(JournalFinding::Kind::RolledForward, step.target);
    }
    return error == FileError::None;
  }

  std::vector<JournalFinding>& findings_;
};

// Finishes the record at `path` when its writer is gone.
void FinishRecord(const std::string& path, std::vector<JournalFinding>& findings) {
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (fd.Get() < 0) return;
  // A running writer holds its record locked; so does another program finishing it now.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return;
  struct stat opened {};
  struct stat named {};
  if (::fstat(fd.Get(), &opened) != 0 || ::stat(path.c_str(), &named) != 0 ||
      opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
    return;  // replaced or finished meanwhile
  std::optional<JournalRecord> record;
  if (S_ISREG(opened.st_mode) && opened.st_size <= kLargestRecord) {
    std::string text(static_cast<std::size_t>(opened.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = ::pread(fd.Get(), text.data() + got, text.size() - got,
                                static_cast<off_t>(got));
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    record = ParseJournalRecord(text);
  }
  if (!record) {
    // Set aside under another name, so that it is named once and kept for a look.
    const std::string aside = path + std::string(kSetAside);
    if (::rename(path.c_str(), aside.c_str()) == 0) {
      findings.push_back({JournalFinding::Kind::Unreadable, aside, {}});
    }
    return;
  }
  if (record->owner == CurrentJournalOwner() || JournalOwnerRuns(record->owner)) return;
  Finisher(findings).Finish(*record);
  ::unlink(path.c_str());
  SyncFolder(path);
}

}  // namespace

std::string FormatJournalRecord(const JournalRecord& record) {
  std::string text(kHeader);
  text += "owner " + std::to_string(record.owner.pid) + " " + std::to_string(record.owner.started) +
          " " + (record.owner.boot.empty() ? std::string("-") : EscapeField(record.owner.boot)) + "\n";
  for (const std::string& folder : record.folders) text += "folder " + EscapeField(folder) + "\n";
  for (const JournalStep& step : record.steps) {
    switch (step.kind) {
      case JournalStep::Kind::Rename:
        text += "rename " + EscapeField(step.from) + " " + EscapeField(step.target) + " " +
                std::to_string(step.size) + " " + FormatState(step) + "\n";
        break;
      case JournalStep::Kind::InPlace:
        text += "inplace " + EscapeField(step.from) + " " + EscapeField(step.target) + " " +
                std::to_string(step.size) + " " + FormatState(step) + "\n";
        break;
      case JournalStep::Kind::Restore:
        text += "restore " + EscapeField(step.from) + " " + EscapeField(step.target) + " " +
                EscapeField(step.temporary) + " " + std::to_string(step.size) + " " + FormatState(step) +
                "\n";
        break;
      case JournalStep::Kind::Remove:
        text += "remove " + EscapeField(step.target) + " " + FormatState(step) + "\n";
        break;
    }
  }
  char sum[17];
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t hash = Fnv1a(text);
  for (int i = 15; i >= 0; --i, hash >>= 4) sum[i] = kHex[hash & 15];
  sum[16] = '\0';
  return text + "end " + sum + "\n";
}

std::optional<JournalRecord> ParseJournalRecord(std::string_view text) {
  if (!text.starts_with(kHeader) || !text.ends_with("\n")) return std::nullopt;
  // The last line is "end " + the checksum of everything before it.
  const std::size_t lastLine = text.rfind('\n', text.size() - 2);
  if (lastLine == std::string_view::npos) return std::nullopt;
  const std::string_view body = text.substr(0, lastLine + 1);
  const std::string_view end = text.substr(lastLine + 1, text.size() - lastLine - 2);
  std::uint64_t sum = 0;
  if (!end.starts_with("end ") || end.size() != 20) return std::nullopt;
  const auto [at, error] = std::from_chars(end.data() + 4, end.data() + end.size(), sum, 16);
  if (error != std::errc() || at != end.data() + end.size() || sum != Fnv1a(body))
    return std::nullopt;

  JournalRecord record;
  bool owned = false;
  std::string_view rest = body.substr(kHeader.size());
  while (!rest.empty()) {
    const std::size_t newline = rest.find('\n');
    const std::vector<std::string_view> f = Fields(rest.substr(0, newline));
    rest.remove_prefix(newline + 1);
    if (f.empty()) return std::nullopt;
    const std::string_view kind = f[0];
    if (kind == "owner" && f.size() == 4 && !owned) {
      owned = ParseNumber(f[1], record.owner.pid) && record.owner.pid > 0 &&
              ParseNumber(f[2], record.owner.started) &&
              (f[3] == "-" || Unescape(f[3], record.owner.boot));
      if (!owned) return std::nullopt;
      continue;
    }
    if (!owned) return std::nullopt;
    if (kind == "folder" && f.size() == 2) {
      std::string folder;
      if (!Unescape(f[1], folder)) return std::nullopt;
      record.folders.push_back(std::move(folder));
      continue;
    }
    JournalStep step;
    bool ok = false;
    if ((kind == "rename" || kind == "inplace") && f.size() == 5) {
      step.kind = kind == "rename" ? JournalStep::Kind::Rename : JournalStep::Kind::InPlace;
      ok = Unescape(f[1], step.from) && Unescape(f[2], step.target) &&
           ParseNumber(f[3], step.size) && ParseState(f[4], step);
    } else if (kind == "restore" && f.size() == 6) {
      step.kind = JournalStep::Kind::Restore;
      ok = Unescape(f[1], step.from) && Unescape(f[2], step.target) &&
           Unescape(f[3], step.temporary) && ParseNumber(f[4], step.size) &&
           ParseState(f[5], step);
    } else if (kind == "remove" && f.size() == 3) {
      step.kind = JournalStep::Kind::Remove;
      ok = Unescape(f[1], step.target) && ParseState(f[2], step);
    }
    if (!ok) return std::nullopt;
    record.steps.push_back(std::move(step));
  }
  if (!owned) return std::nullopt;
  return record;
}

const JournalOwner& CurrentJournalOwner() {
  // Forked children are owners of their own: the id is looked up again when it changed.
  static thread_local JournalOwner owner;
  const pid_t pid = ::getpid();
  if (owner.pid != pid) owner = JournalOwnerOf(pid);
  return owner;
}

JournalOwner JournalOwnerOf(pid_t pid) { return JournalOwner{pid, StartTimeOf(pid), BootId()}; }

bool JournalOwnerRuns(const JournalOwner& owner) {
  const std::string boot = BootId();
  if (!owner.boot.empty() && !boot.empty() && owner.boot != boot) return false;
  if (ProcessGone(owner.pid)) return false;
  const std::uint64_t started = StartTimeOf(owner.pid);
  return owner.started == 0 || started == 0 || started == owner.started;
}

std::string JournalFolder(bool make) {
  std::string folder = XdgProgramFolder("XDG_STATE_HOME", ".local/state");
  if (make) {
    for (std::size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1))
      ::mkdir(folder.substr(0, slash).c_str(), 0700);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  }
  return IsFolder(folder) ? folder + "/" : std::string();
}

FileError WriteJournal::Record(JournalRecord record) {
  const std::string folder = JournalFolder(true);
  if (folder.empty()) return FileError::AccessDenied;
  record.owner = CurrentJournalOwner();
  const std::string text = FormatJournalRecord(record);
  const std::string stem = folder + "write-" + std::to_string(record.owner.pid) + "-";
  if (path_.empty()) path_ = stem + RandomLetters() + std::string(kRecordSuffix);
  const std::string part = stem + RandomLetters() + std::string(kPartSuffix);
  const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    const FileError error = FileErrorFromErrno(errno, FileError::WriteFailed);
    if (lock_ < 0) path_.clear();
    return error;
  }
  // A file system without locks still has the process check to go by.
  ::flock(fd, LOCK_EX);
  FileError error = FileError::None;
  for (std::size_t done = 0; error == FileError::None && done < text.size();) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) error = FileErrorFromErrno(errno, FileError::WriteFailed);
    else done += static_cast<std::size_t>(put);
  }
  if (error == FileError::None && ::fsync(fd) != 0)
    error = FileErrorFromErrno(errno, FileError::WriteFailed);
  if (error == FileError::None && ::rename(part.c_str(), path_.c_str()) != 0)
    error = FileErrorFromErrno(errno, FileError::WriteFailed);
  if (error != FileError::None) {
    ::unlink(part.c_str());
    ::close(fd);
    if (lock_ < 0) path_.clear();
    return error;
  }
  SyncFolder(path_);
  if (lock_ >= 0) ::close(lock_);
  lock_ = fd;
  return FileError::None;
}

void WriteJournal::End() {
  if (lock_ < 0) return;
  // Unlinked while still locked: no one finishes it in between.
  ::unlink(path_.c_str());
  ::close(std::exchange(lock_, -1));
  path_.clear();
}

std::vector<JournalFinding> FinishInterruptedWrites() {
  std::vector<JournalFinding> findings;
  try {
    if (const std::string folder = JournalFolder(false); !folder.empty()) {
      ForEachEntry(folder, [&](const std::string& name) {
        if (name.ends_with(kRecordSuffix)) {
          FinishRecord(folder + name, findings);
        } else if (name.ends_with(kPartSuffix) && ProcessGone(PidOfRecordName(name))) {
          ::unlink((folder + name).c_str());  // a record its writer did not finish writing
        }
      });
    }
    // New content and partial backups of in-place writes whose writer is gone: the records
    // have taken what they name.
    if (const std::string cache = ExistingCacheFolder(); !cache.empty()) {
      RemoveTemporariesOfEndedWriters(cache);
      ForEachEntry(cache, [&](const std::string& name) {
        if (ProcessGone(PidOfBackupPart(name))) ::unlink((cache + name).c_str());
      });
    }
  } catch (const std::exception&) {
    // Out of memory at most: what is not finished now is at the next start.
  }
  return findings;
}

std::string JournalFindingsText(const std::vector<JournalFinding>& findings) {
  // A message box of thousands of files helps no one: the first ones and a count.
  constexpr std::size_t kShown = 20;
  std::string text;
  for (std::size_t i = 0; i < findings.size() && i < kShown; ++i) {
    const JournalFinding& f = findings[i];
    if (!text.empty()) text += "\n\n";
    switch (f.kind) {
      case JournalFinding::Kind::RolledBack:
        text += f.file + "\nは前回書込みの途中でNorraが終了したため、書込み前の内容に戻しました。";
        break;
      case JournalFinding::Kind::RolledForward:
        text += f.file + "\nは前回途中で終わった保存を完了しました。";
        break;
      case JournalFinding::Kind::LeftAlone:
        text += f.file +
                "\nは前回途中で終わった保存の後に変更されていたため、そのままにしました。";
        break;
      case JournalFinding::Kind::NotRestored:
        text += f.file +
                "\nは前回書込みの途中でNorraが終了しましたが、書込み前の内容に戻せませんでした。"
                "\n書込み前の内容: " +
                f.detail;
        break;
      case JournalFinding::Kind::NotFinished:
        text += f.file + "\nの途中で終わった保存を完了できませんでした(" + f.detail + ")。";
        break;
      case JournalFinding::Kind::Unreadable:
        text += "書込み記録\n" + f.file + "\nを読めないため無視しました。";
        break;
    }
  }
  if (findings.size() > kShown)
    text += "\n\n他" + std::to_string(findings.size() - kShown) + "件";
  return text;
}

}  // namespace norra
