// Lists every hit of a compiled pattern in a list of files (or open Pages' texts) on a pool of
// worker threads: each file is read and matched on whichever worker is free, and the results
// are handed out in the files' own order, a batch at a time, while the run goes on.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/EngineError.h"
#include "engine/TagTable.h"
#include "text/FileIo.h"

#include "text/Charset.h"
#include "text/WidthKanaFold.h"

namespace norra {

class Clock;
class SearchEngine;

// One thing a list searches: a file on disk, or a text held in memory (an open Page's).
struct HitSource {
  std::string path;           // UTF-8: the file, or the name the Page shows
  const void* page = nullptr;  // the Page the text came from; null for a file on disk
  bool hasText = false;        // text is searched instead of the file
  bool modified = false;       // that text holds edits not yet saved
  std::string text;            // with hasText, in `charset`
  Charset charset = Charset::Cp932;
};

// The text of a Page open with edits not yet saved: a file of the list that is this Page's file
// is searched in it.
struct OpenPageText {
  std::string path;  // the Page's file (UTF-8)
  const void* page = nullptr;
  std::string text;  // in `charset`
  Charset charset = Charset::Cp932;
};

// How a file of the list was searched.
enum class ListedFileState {
  Searched,    // its bytes on disk
  PageText,    // the text of its open Page
  NotText,     // it holds a NUL byte: not text, not searched
  Unreadable,  // it could not be read (gone, no permission, a link put in its place)
};

// One hit: where it is, and the line it stands on.
struct ListedHit {
  std::uint32_t file = 0;    // index of its file in the list
  std::uint32_t line = 1;    // 1-based
  std::uint32_t column = 1;  // 1-based byte column in the line
  std::uint32_t length = 0;  // bytes of the file's (or Page's) text the hit covers
  // The line (UTF-8), or a bounded piece of a long one, and the hit within it in its bytes.
  std::string excerpt;
  std::uint32_t markStart = 0;
  std::uint32_t markLength = 0;
};

struct ListedFile {
  std::string path;  // UTF-8
  const void* page = nullptr;  // the Page the text came from, if it did
  ListedFileState state = ListedFileState::Searched;
  bool modified = false;  // searched in a Page's text that holds unsaved edits
  std::size_t hits = 0;
};

// Files finished since the last batch, in list order, and their hits in order.
struct HitBatch {
  std::vector<ListedFile> files;
  std::vector<ListedHit> hits;  // their `file` is the index in the whole list
};

struct HitListProgress {
  std::size_t filesDone = 0;
  std::size_t filesTotal = 0;
  std::size_t hits = 0;
  bool finished = false;  // every worker has ended (all files done, or the run stopped)
  bool stopped = false;   // the run was stopped before the end
  friend bool operator==(const HitListProgress&, const HitListProgress&) = default;
};

class HitListRun {
 public:
  // The pattern the workers look for: each has an engine of its own, compiled alike (an
  // engine keeps the state of its last match, so one engine is never shared by two threads).
  struct Pattern {
    std::string findText;  // CP932
    bool matchCase = false;
    WidthKanaFolds folds;
    TagSymbols symbols{};
  };

  // workers: how many threads; 0 takes one per processor. folderRun: the files lie below
  // this folder (ending in "/"), and are reached through it without following a link.
  HitListRun(std::vector<HitSource> sources, Pattern pattern, unsigned workers = 0,
             std::string folderRun = {});
  ~HitListRun();  // stops and waits for the workers
  HitListRun(const HitListRun&) = delete;
  HitListRun& operator=(const HitListRun&) = delete;

  // Texts of Pages with unsaved edits; before Start.
  void UsePageTexts(std::vector<OpenPageText> pages) { pageTexts_ = std::move(pages); }

  // Compiles the pattern for every worker; the error of the first refusal otherwise.
  CompileResult Compile(const Clock& clock);
  // Starts the workers (after a successful Compile).
  void Start();
  // Asks the workers to stop after the file each is on; what was finished stays to be taken.
  void Stop();
  // Waits until every worker has ended.
  void Wait();

  // Moves the files finished since the last call (only those with every earlier file
  // finished too) and their hits into batch; false when there was none. The batch ends after
  // the file that brings it to maxHits hits, so a window can take a long list in bites.
  bool TakeBatch(HitBatch& batch, std::size_t maxHits = SIZE_MAX);
  HitListProgress Progress() const;
  std::size_t FileCount() const { return sources_.size(); }
  unsigned Workers() const { return static_cast<unsigned>(engines_.size()); }

 private:
  struct Result {
    ListedFile file;
    std::vector<ListedHit> hits;
  };

  void Work(std::size_t worker);
  Result Search(std::size_t index, SearchEngine& engine, class ConfinedFolder* folder);
  const OpenPageText* PageTextFor(const std::string& path) const;

  std::vector<HitSource> sources_;
  Pattern pattern_;
  std::string folderRun_;
  std::vector<OpenPageText> pageTexts_;
  std::vector<FileIdentity> pageIdentities_;
  std::vector<std::unique_ptr<SearchEngine>> engines_;
  std::vector<std::thread> threads_;

  std::atomic<std::size_t> next_{0};  // the next file a worker takes
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> filesDone_{0};
  std::atomic<std::size_t> hits_{0};
  std::atomic<unsigned> running_{0};

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Result>> results_;  // by file index, until taken
  std::size_t taken_ = 0;                         // files handed out so far
};

}  // namespace norra
