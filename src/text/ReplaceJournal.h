// The journal of a replace over files on disk: kept after the run in the user's state folder,
// so that the replace can be taken back later. Per file it holds the file's identity, the old
// bytes of each replaced span and fingerprints of the old and the new content.
// Limits: only the replaced spans are kept, so a file is given back only while it holds
// exactly what the replace wrote; journals beyond the count and size bounds are dropped,
// oldest first (the journal of the run in progress never is).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/FileIo.h"

namespace norra {

// A content's size and a 64-bit hash of it: enough to tell whether a file still holds what a
// run wrote (a check against mistakes, not against someone forging content).
struct ContentPrint {
  std::int64_t size = -1;
  std::uint64_t hash = 0;
  friend bool operator==(const ContentPrint&, const ContentPrint&) = default;
};

// Builds a ContentPrint from pieces; how the content is cut into pieces does not matter.
class ContentPrinter {
 public:
  void Add(std::string_view bytes);
  ContentPrint Done() const;

 private:
  void Block(const unsigned char* p);
  std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                             0x27D4EB2F165667C5ull};
  unsigned char tail_[32] = {};
  std::size_t tailSize_ = 0;
  std::uint64_t size_ = 0;
};

ContentPrint PrintOf(std::string_view bytes);

// One replaced span: where it starts in the old content, its old bytes and the length of
// what replaced them.
struct JournalSpan {
  std::uint64_t oldStart = 0;
  std::string oldBytes;
  std::uint64_t newLength = 0;
  friend bool operator==(const JournalSpan&, const JournalSpan&) = default;
};

struct JournalFile {
  std::string path;
  FileIdentity identity;  // the old file as it was read
  ContentPrint oldPrint;
  ContentPrint newPrint;
  std::vector<JournalSpan> spans;  // in order, apart
  friend bool operator==(const JournalFile& a, const JournalFile& b) {
    return a.path == b.path && a.identity == b.identity && a.oldPrint == b.oldPrint &&
           a.newPrint == b.newPrint && a.spans == b.spans;
  }
};

// The old content from the new one and the spans; nothing when the spans do not fit it.
std::optional<std::string> OldContentOf(std::string_view newContent,
                                        const std::vector<JournalSpan>& spans);

struct ReplaceJournalContent {
  std::int64_t time = 0;     // seconds since the epoch when the run started
  std::string description;  // what was replaced where (UTF-8, one line)
  std::vector<JournalFile> files;  // the files the run wrote
  bool undone = false;             // an undo gave every file back
};

// The text of a journal; entries appended later (files, "left" marks, the undone mark) follow.
std::string FormatJournalHeader(std::int64_t time, std::string_view description);
std::string FormatJournalFile(std::size_t index, const JournalFile& file);
std::string FormatJournalLeft(std::size_t index);
std::string FormatJournalUndone();
// Reads a journal's text. A last entry cut short (a writer killed while appending) is dropped;
// nothing when the text is not a journal.
std::optional<ReplaceJournalContent> ParseReplaceJournal(std::string_view text);

// Journals kept at most, and their total size: the oldest beyond either go.
constexpr std::size_t kJournalsKept = 20;
constexpr std::uint64_t kJournalBytesKept = std::uint64_t{256} << 20;

struct JournalSummary {
  std::string path;
  std::int64_t time = 0;
  std::string description;
  std::size_t files = 0;
  bool undone = false;
  std::uint64_t bytes = 0;
  std::int64_t made = 0;  // when the journal last changed (ns)
};

// The journals in `folder` (JournalFolder when empty), oldest first. Without `counted`, only
// their headers are read: files and undone are not known.
std::vector<JournalSummary> ListReplaceJournals(const std::string& folder = {},
                                                bool counted = true);
// Drops the oldest journals of `folder` until at most `count` remain and they take at most
// `bytes`; the journal `keep` is never dropped.
void PruneReplaceJournals(const std::string& folder, std::size_t count, std::uint64_t bytes,
                          const std::string& keep = {});
// Reads a whole journal; nothing when it cannot be read or is not one.
std::optional<ReplaceJournalContent> ReadReplaceJournal(const std::string& path);
// Marks a journal as undone.
FileError MarkJournalUndone(const std::string& path);

// The journal of one run, written as it goes: the header when it begins, then the files of
// each batch before any of them is put in place.
class ReplaceJournalWriter {
 public:
  ReplaceJournalWriter() = default;
  ~ReplaceJournalWriter();
  ReplaceJournalWriter(const ReplaceJournalWriter&) = delete;
  ReplaceJournalWriter& operator=(const ReplaceJournalWriter&) = delete;

  // Makes the journal (0600) in `folder` (JournalFolder when empty), after dropping old ones.
  FileError Begin(std::string_view description, const std::string& folder = {});
  bool Active() const { return fd_ >= 0; }
  // The file at the place `index` of the run will be written; kept until Flush.
  void Add(std::size_t index, const JournalFile& file);
  // A file added before was not written after all.
  void Left(std::size_t index);
  // Puts what was added on disk, flushed: call before the files it names are put in place.
  FileError Flush();
  // Flushes, closes, and removes the journal when it names no file written.
  void End();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string folder_;
  int fd_ = -1;
  std::string pending_;
  std::size_t files_ = 0;  // files added, less those left
};

}  // namespace norra
