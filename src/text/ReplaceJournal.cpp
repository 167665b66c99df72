// The disk-replace journal: fingerprints, the record format, the folder of journals and the
// writer of one run.
#include "text/ReplaceJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <map>
#include <utility>

#include "text/Escape.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"
#include "text/WriteJournal.h"

namespace norra {

namespace {

constexpr std::string_view kHeader = "norra-replace-journal 1\n";
constexpr std::string_view kPrefix = "replace-";
constexpr std::string_view kSuffix = ".undo";

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

std::uint64_t Word(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}




template <typename T>
bool Number(std::string_view text, T& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const std::size_t space = line.find(' ');
    fields.push_back(line.substr(0, space));
    if (space == std::string_view::npos) break;
    line.remove_prefix(space + 1);
  }
  return fields;
}

// Reads lines and raw stretches off the front of a text.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool Line(std::string_view& line) {
    const std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) return false;
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }
  bool Raw(std::size_t length, std::string& out) {
    if (text_.size() - pos_ < length + 1 || text_[pos_ + length] != '\n') return false;
    out.assign(text_.substr(pos_, length));
    pos_ += length + 1;
    return true;
  }
  std::size_t Pos() const { return pos_; }
  std::string_view Between(std::size_t from, std::size_t to) const {
    return text_.substr(from, to - from);
  }
  bool AtEnd() const { return pos_ >= text_.size(); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// One file entry from "file ..." to its "end" line; false when cut short or altered.
bool ParseFileEntry(Reader& reader, std::string_view first, std::size_t start,
                    std::size_t& index, JournalFile& file) {
  const std::vector<std::string_view> f = Fields(first);
  std::size_t spans = 0;
  if (f.size() != 12 || f[0] != "file" || !Number(f[1], index) || !UnescapeField(f[2], file.path) ||
      !Number(f[3], file.identity.device) || !Number(f[4], file.identity.inode) ||
      !Number(f[5], file.identity.size) || !Number(f[6], file.identity.modifiedNs) ||
      !Number(f[7], file.oldPrint.size) || !Number(f[8], file.oldPrint.hash) ||
      !Number(f[9], file.newPrint.size) || !Number(f[10], file.newPrint.hash) ||
      !Number(f[11], spans)) {
    return false;
  }
  file.spans.clear();
  for (std::size_t k = 0; k < spans; ++k) {
    std::string_view line;
    if (!reader.Line(line)) return false;
    const std::vector<std::string_view> s = Fields(line);
    JournalSpan span;
    std::size_t oldLength = 0;
    if (s.size() != 4 || s[0] != "span" || !Number(s[1], span.oldStart) ||
        !Number(s[2], span.newLength) || !Number(s[3], oldLength) ||
        !reader.Raw(oldLength, span.oldBytes)) {
      return false;
    }
    file.spans.push_back(std::move(span));
  }
  const std::size_t beforeEnd = reader.Pos();
  std::string_view line;
  std::uint64_t sum = 0;
  if (!reader.Line(line) || !line.starts_with("end ") || !Number(line.substr(4), sum))
    return false;
  return sum == Fnv1a(reader.Between(start, beforeEnd));
}

bool IsJournalName(std::string_view name) {
  return name.starts_with(kPrefix) && name.ends_with(kSuffix);
}

std::string FolderOrDefault(const std::string& folder, bool make) {
  if (!folder.empty()) return folder.back() == '/' ? folder : folder + "/";
  return JournalFolder(make);
}

FileError WriteAll(int fd, std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
    done += static_cast<std::size_t>(put);
  }
  return FileError::None;
}

}  // namespace

void ContentPrinter::Block(const unsigned char* p) {
  for (int k = 0; k < 4; ++k) {
    lanes_[k] = Rotl(lanes_[k] + Word(p + 8 * k) * kPrime2, 31) * kPrime1;
  }
}

void ContentPrinter::Add(std::string_view bytes) {
  auto p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  size_ += n;
  if (tailSize_ > 0) {
    const std::size_t take = std::min(n, sizeof tail_ - tailSize_);
    std::memcpy(tail_ + tailSize_, p, take);
    tailSize_ += take;
    p += take;
    n -= take;
    if (tailSize_ < sizeof tail_) return;
    Block(tail_);
    tailSize_ = 0;
  }
  for (; n >= 32; p += 32, n -= 32) Block(p);
  std::memcpy(tail_, p, n);
  tailSize_ = n;
}

ContentPrint ContentPrinter::Done() const {
  std::uint64_t h = Rotl(lanes_[0], 1) + Rotl(lanes_[1], 7) + Rotl(lanes_[2], 12) +
                    Rotl(lanes_[3], 18);
  for (std::size_t k = 0; k < tailSize_; ++k) h = (h ^ tail_[k]) * 1099511628211ull;
  h ^= size_;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  return ContentPrint{static_cast<std::int64_t>(size_), h};
}

ContentPrint PrintOf(std::string_view bytes) {
  ContentPrinter printer;
  printer.Add(bytes);
  return printer.Done();
}

std::optional<std::string> OldContentOf(std::string_view newContent,
                                        const std::vector<JournalSpan>& spans) {
  std::string old;
  std::uint64_t oldPos = 0;  // what of the old content is made
  std::uint64_t newPos = 0;  // what of the new content is used
  for (const JournalSpan& span : spans) {
    if (span.oldStart < oldPos) return std::nullopt;
    const std::uint64_t same = span.oldStart - oldPos;
    if (newContent.size() - newPos < same + span.newLength || newPos > newContent.size())
      return std::nullopt;
    old.append(newContent.substr(newPos, same));
    old.append(span.oldBytes);
    newPos += same + span.newLength;
    oldPos = span.oldStart + span.oldBytes.size();
  }
  old.append(newContent.substr(newPos));
  return old;
}

std::string FormatJournalHeader(std::int64_t time, std::string_view description) {
  return std::string(kHeader) + "time " + std::to_string(time) + "\nwhat " +
         EscapeField(description) + "\n";
}

std::string FormatJournalFile(std::size_t index, const JournalFile& file) {
  std::string text = "file " + std::to_string(index) + " " + EscapeField(file.path);
  for (const std::int64_t n :
       {static_cast<std::int64_t>(file.identity.device),
        static_cast<std::int64_t>(file.identity.inode), file.identity.size,
        file.identity.modifiedNs, file.oldPrint.size}) {
    text += " " + std::to_string(n);
  }
  text += " " + std::to_string(file.oldPrint.hash) + " " + std::to_string(file.newPrint.size) +
          " " + std::to_string(file.newPrint.hash) + " " + std::to_string(file.spans.size()) +
          "\n";
  for (const JournalSpan& span : file.spans) {
    text += "span " + std::to_string(span.oldStart) + " " + std::to_string(span.newLength) + " " +
            std::to_string(span.oldBytes.size()) + "\n";
    text += span.oldBytes;
    text += '\n';
  }
  text += "end " + std::to_string(Fnv1a(text)) + "\n";
  return text;
}

std::string FormatJournalLeft(std::size_t index) { return "left " + std::to_string(index) + "\n"; }

std::string FormatJournalUndone() { return "undone\n"; }

std::optional<ReplaceJournalContent> ParseReplaceJournal(std::string_view text) {
  if (!text.starts_with(kHeader)) return std::nullopt;
  Reader reader(text.substr(kHeader.size()));
  ReplaceJournalContent content;
  std::string_view line;
  if (!reader.Line(line) || !line.starts_with("time ") || !Number(line.substr(5), content.time))
    return std::nullopt;
  if (!reader.Line(line) || !line.starts_with("what ") ||
      !UnescapeField(line.substr(5), content.description)) {
    return std::nullopt;
  }
  std::map<std::size_t, JournalFile> files;  // by the place in the run
  while (!reader.AtEnd()) {
    const std::size_t start = reader.Pos();
    if (!reader.Line(line)) break;  // cut short
    if (line.starts_with("file ")) {
      std::size_t index = 0;
      JournalFile file;
      if (!ParseFileEntry(reader, line, start, index, file)) break;
      files[index] = std::move(file);
    } else if (line.starts_with("left ")) {
      std::size_t index = 0;
      if (Number(line.substr(5), index)) files.erase(index);
    } else if (line == "undone") {
      content.undone = true;
    } else {
      break;
    }
  }
  for (auto& [index, file] : files) content.files.push_back(std::move(file));
  return content;
}

std::optional<ReplaceJournalContent> ReadReplaceJournal(const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) != FileError::None) return std::nullopt;
  return ParseReplaceJournal(bytes);
}

namespace {

// The first bytes of a file: enough for a journal's header.
std::string ReadHead(const std::string& path, std::size_t size) {
  std::string head(size, '\0');
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {};
  const ssize_t got = ::read(fd, head.data(), size);
  ::close(fd);
  head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return head;
}

}  // namespace

std::vector<JournalSummary> ListReplaceJournals(const std::string& given, bool counted) {
  std::vector<JournalSummary> list;
  const std::string folder = FolderOrDefault(given, false);
  if (folder.empty()) return list;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return list;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir))
    if (IsJournalName(entry->d_name)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  for (const std::string& name : names) {
    JournalSummary summary;
    summary.path = folder + name;
    // Without counting, only the header is read: dropping old journals must stay cheap.
    std::optional<ReplaceJournalContent> content;
    if (counted) {
      content = ReadReplaceJournal(summary.path);
    } else {
      const std::string head = ReadHead(summary.path, 4096);
      const std::size_t what = head.find("\nwhat ");
      const std::size_t end = what == std::string::npos ? what : head.find('\n', what + 1);
      if (end != std::string::npos) content = ParseReplaceJournal(head.substr(0, end + 1));
    }
    if (!content) continue;
    summary.time = content->time;
    summary.description = content->description;
    summary.files = content->files.size();
    summary.undone = content->undone;
    struct stat info {};
    if (::stat(summary.path.c_str(), &info) == 0) {
      summary.bytes = static_cast<std::uint64_t>(info.st_size);
      summary.made = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    }
    list.push_back(std::move(summary));
  }
  // By the start of their runs; runs started in one second by the order their journals were
  // made, which the name's sequence tells within one process.
  std::sort(list.begin(), list.end(), [](const JournalSummary& a, const JournalSummary& b) {
    if (a.time != b.time) return a.time < b.time;
    if (a.made != b.made) return a.made < b.made;
    return a.path < b.path;
  });
  return list;
}

void PruneReplaceJournals(const std::string& given, std::size_t count, std::uint64_t bytes,
                          const std::string& keep) {
  const std::string folder = FolderOrDefault(given, false);
  if (folder.empty()) return;
  std::vector<JournalSummary> list = ListReplaceJournals(folder, false);
  std::uint64_t total = 0;
  for (const JournalSummary& j : list) total += j.bytes;
  std::size_t left = list.size();
  for (const JournalSummary& j : list) {
    if (left <= count && total <= bytes) break;
    if (j.path == keep) continue;
    if (::unlink(j.path.c_str()) == 0) {
      --left;
      total -= j.bytes;
    }
  }
}

FileError MarkJournalUndone(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return FileErrorFromErrno(errno, FileError::WriteFailed);
  FileError e = WriteAll(fd, FormatJournalUndone());
  if (e == FileError::None && ::fdatasync(fd) != 0)
    e = FileErrorFromErrno(errno, FileError::WriteFailed);
  ::close(fd);
  return e;
}

ReplaceJournalWriter::~ReplaceJournalWriter() { End(); }

FileError ReplaceJournalWriter::Begin(std::string_view description, const std::string& given) {
  End();
  folder_ = FolderOrDefault(given, true);
  if (folder_.empty()) return FileError::AccessDenied;
  // Room for this one within the bounds.
  PruneReplaceJournals(folder_, kJournalsKept - 1, kJournalBytesKept);
  const std::int64_t now = static_cast<std::int64_t>(::time(nullptr));
  char stamp[32];
  std::tm tm {};
  const std::time_t t = static_cast<std::time_t>(now);
  ::gmtime_r(&t, &tm);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  for (int attempt = 0; attempt < 1000 && fd_ < 0; ++attempt) {
    path_ = folder_ + std::string(kPrefix) + stamp + "-" + std::to_string(::getpid()) + "-" +
            std::string(attempt < 10 ? "00" : attempt < 100 ? "0" : "") + std::to_string(attempt) +
            std::string(kSuffix);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const FileError e = FileErrorFromErrno(errno, FileError::WriteFailed);
    path_.clear();
    return e;
  }
  files_ = 0;
  pending_ = FormatJournalHeader(now, description);
  return FileError::None;
}

void ReplaceJournalWriter::Add(std::size_t index, const JournalFile& file) {
  pending_ += FormatJournalFile(index, file);
  ++files_;
}

void ReplaceJournalWriter::Left(std::size_t index) {
  pending_ += FormatJournalLeft(index);
  if (files_ > 0) --files_;
}

FileError ReplaceJournalWriter::Flush() {
  if (fd_ < 0) return FileError::None;
  if (pending_.empty()) return FileError::None;
  FileError e = WriteAll(fd_, pending_);
  if (e == FileError::None && ::fdatasync(fd_) != 0)
    e = FileErrorFromErrno(errno, FileError::WriteFailed);
  if (e != FileError::None) return e;
  // The first flush made the journal's name: the folder must keep it.
  const bool first = pending_.starts_with(kHeader);
  pending_.clear();
  if (first) ReplacementFile::SyncFolderOf(path_);
  return FileError::None;
}

void ReplaceJournalWriter::End() {
  if (fd_ < 0) return;
  Flush();
  ::close(fd_);
  fd_ = -1;
  // A run that wrote nothing has nothing to take back.
  if (files_ == 0) ::unlink(path_.c_str());
  else PruneReplaceJournals(folder_, kJournalsKept, kJournalBytesKept, path_);
}

}  // namespace norra
