// Replace all over files on disk: every file of a folder, or every member of a group.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "findreplace/LineBreakWriter.h"
#include "text/FileIo.h"
#include "text/SearchFileText.h"
#include "text/ReplaceJournal.h"
#include "text/ReplacementFile.h"

namespace norra {

class AtomicWriteBatch;
class ReplaceJournalWriter;
class ConfinedFolder;
class Page;
class SearchEngine;
class Ui;

// What the folder and group commands take from the window.
struct DiskSearchRequest {
  std::string folderText;              // folder to search (UTF-8), as typed
  bool subFolders = true;              // include sub-folders at any depth
  std::string groupPath;               // the group member-list file (UTF-8)
  std::vector<std::string> fileMasks;  // the FileMaskList: upper-cased CP932 masks
  bool dryRun = false;                 // count replacements, write nothing
};

enum class DiskSearchEnd {
  Completed,  // every file was visited and the end-of-run message shown
  Refused,    // no such folder or group, or an empty group: its message was shown
  NoFiles,    // the folder holds no file the masks accept: its message was shown
  Stopped,    // a file could not be read or written, or the engine abandoned the run
};

struct DiskSearchResult {
  DiskSearchEnd end = DiskSearchEnd::Completed;
  std::int64_t replaceCount = 0;  // the run's ReplaceCount (taken before the run reset)
  int filesVisited = 0;           // files read (binary ones included)
  int filesChanged = 0;           // files rewritten (or, dry, that would have been)
  int filesNotText = 0;           // files skipped for holding a NUL byte
  int foldersUnreadable = 0;      // folders the listing could not read
  std::string stoppedAt;          // Stopped: the file the run ended at
  std::string stopReason;         // Stopped: the reason in words
  // Files another program changed after they were read: left with that program's content,
  // their replacements not counted.
  std::vector<std::string> leftChanged;
  // Files whose encoding cannot hold a replacement they would have got: left as they were.
  std::vector<std::string> leftNotHeld;
  std::string journal;  // the journal that can take the run back; empty when none was kept
};

// What happened to one file.
enum class FileOutcome {
  Unchanged,     // nothing replaced; the file was not touched
  NotText,       // the file holds a NUL byte: not text, so not searched and not touched
  Replaced,      // replaced and rewritten (dry run: only counted)
  ReadFailed,    // the file could not be read
  WriteFailed,   // the new text could not be written; the file is as it was
  Linked,        // a folder run found the name turned into a link (or its folder gone): the
                 // file was not touched, and the run names it
  NotHeld,       // the file's encoding cannot hold a replacement: not touched, and the run
                 // names it
};

class DiskSearch {
 public:
  // The engine must hold compiled find and replace texts; its counters are the run's.
  DiskSearch(SearchEngine& engine, Ui& ui);

  // The folder command.
  DiskSearchResult RunFolder(const DiskSearchRequest& request);
  // The group command.
  DiskSearchResult RunGroup(const DiskSearchRequest& request);
  // Replace in each of the given files, in order, as the two commands do: one file named
  // twice (or by two names) is visited once. The end-of-run message carries caption and
  // counts, when there are any, the binary files skipped and the unreadableFolders given.
  DiskSearchResult RunFiles(const std::vector<std::string>& files, bool dryRun,
                            std::string_view caption, int unreadableFolders = 0);

  // The files the folder command visits. Refusals (no folder, no file) show their message
  // and return Refused or NoFiles; otherwise Completed. With unreadableFolders, the number of
  // folders that could not be listed is put there.
  DiskSearchEnd CollectFolderFiles(const DiskSearchRequest& request,
                                   std::vector<std::string>& files,
                                   int* unreadableFolders = nullptr);
  // The members the group command visits: lines the masks accept that name a regular file,
  // each file once. Refusals show their message and return Refused; a group file that cannot
  // be read returns Stopped.
  DiskSearchEnd CollectGroupFiles(const DiskSearchRequest& request,
                                  std::vector<std::string>& files);

  // Replace in one file, rewriting it at once. With newText, the resulting file content is put
  // there (the old content when nothing was replaced) and nothing is written. May throw
  // EngineAbort.
  FileOutcome ReplaceInFile(const std::string& path, bool dryRun, std::string* newText = nullptr);

  // Takes a piece of a file's content on; false when it could not.
  using ContentOutput = std::function<bool(std::string_view)>;
  // Replace in one file without writing it: the resulting content (the old content when
  // nothing was replaced) goes to `output` in pieces as it is made. WriteFailed when the output
  // refused a piece. May throw EngineAbort.
  FileOutcome ReplaceInFileTo(const std::string& path, const ContentOutput& output);

  // How each file's encoding is decided: the detection rule (the default) or one for all.
  void SetEncodingChoice(EncodingChoice choice) { encodingChoice_ = choice; }
  // A file a preview would change: its path, its content and state as read, and where each
  // replacement goes (with its new bytes).
  using PreviewEach = std::function<void(const std::string& path, std::string_view oldBytes,
                                         const FileIdentity& identity,
                                         const std::vector<WrittenSpan>& spans)>;
  // The folder or group command (`group`) as a dry run that shows no end-of-run message and
  // hands each file it would change to `each`, in order.
  DiskSearchResult Preview(const DiskSearchRequest& request, bool group, const PreviewEach& each);
  // The same over the given files.
  DiskSearchResult PreviewFiles(const std::vector<std::string>& files, const PreviewEach& each,
                                int unreadableFolders = 0);

  // Whether a run that writes keeps a journal to take it back (on by default; the journal's
  // description names the run). Off only to measure what the journal costs.
  void SetJournaling(bool on) { journaling_ = on; }
  void SetJournalDescription(std::string text) { journalDescription_ = std::move(text); }
  // Where journals go (the user's state folder when empty).
  void SetJournalFolder(std::string folder) { journalFolder_ = std::move(folder); }

  // Makes an engine like the run's (same texts, symbols, options), for a worker: with it, a
  // run reads, matches and writes files on every core, with the same results and messages.
  using EngineMaker = std::function<std::unique_ptr<SearchEngine>()>;
  void SetWorkerEngines(EngineMaker make, unsigned workers = 0) {
    makeEngine_ = std::move(make);
    workers_ = workers;
  }

  // The reason the last ReplaceInFile failed (a short English text), empty after success.
  const std::string& LastFailure() const { return lastFailure_; }

  // The files in order with each file once: a later name of a file already listed (the same
  // name again, or another link to it) is dropped. Names that lead to no file are kept.
  static std::vector<std::string> DistinctFiles(const std::vector<std::string>& files);

  // The folder the folder command searches: "/" appended unless the text already ends in
  // one or is empty.
  static std::string FolderOf(std::string_view folderText);

  // The folder text a new find window starts with: the folder of the active Page's file, else
  // currentDir, else the home folder (without its trailing "/"). Never "/" unless it is one of
  // those: a run over the whole machine is only ever chosen.
  static std::string StartFolder(const Page* active, const std::string& currentDir);

  // Texts of the messages and captions.
  static constexpr std::string_view kCaptionFolder = "◆全て置換 - [ﾌｫﾙﾀﾞ(DISK)]";
  static constexpr std::string_view kCaptionGroup = "◆全て置換 - [ｸﾞﾙｰﾌﾟ(DISK)]";
  static constexpr std::string_view kNoFolder = "検索するﾌｫﾙﾀﾞを指定して下さい";
  static constexpr std::string_view kNoFiles = "検索するﾌｧｲﾙが0個です";
  static constexpr std::string_view kNoGroup = "検索するｸﾞﾙｰﾌﾟを指定して下さい";
  static constexpr std::string_view kEmptyGroup = "検索するｸﾞﾙｰﾌﾟはﾒﾝﾊﾞが0個です";
  static constexpr std::string_view kNotFound = "検索文字列が見つかりません。";
  static constexpr std::string_view kNotTextCount = "(ﾊﾞｲﾅﾘﾌｧｲﾙとして飛ばしたﾌｧｲﾙ数 : ";
  static constexpr std::string_view kUnreadableCount = "(読めずに飛ばしたﾌｫﾙﾀﾞ数 : ";
  // The end-of-run text for a count above zero.
  static std::string DoneMessage(std::int64_t replaceCount);
  // The whole end-of-run text: DoneMessage or kNotFound, then a line for each count of
  // skipped files or folders that is above zero.
  static std::string EndMessage(std::int64_t replaceCount, int filesNotText, int foldersUnreadable);
  // Lines added to the end-of-run text naming the files left alone because another program
  // changed them; empty when there are none.
  static std::string LeftChangedLines(const std::vector<std::string>& files);
  static constexpr std::string_view kLeftChanged = "(他のﾌﾟﾛｸﾞﾗﾑが変更したため置換しなかったﾌｧｲﾙ : ";
  // The same for the files whose encoding cannot hold a replacement.
  static std::string LeftNotHeldLines(const std::vector<std::string>& files);
  static constexpr std::string_view kLeftNotHeld = "(文字ｺｰﾄﾞが置換後の文字を表せないため置換しなかったﾌｧｲﾙ : ";

 private:
  // Files rewritten by a run wait in its batch; at most this many, or this many bytes.
  static constexpr std::size_t kBatchFiles = 1024;
  static constexpr std::size_t kBatchBytes = std::size_t{256} << 20;
  // and from at most this many folders, each of which a waiting file holds open.
  static constexpr std::size_t kBatchFolders = 256;

  // A rewritten file whose new content waits in the batch: its place in the run's file list
  // and the replacements it holds.
  struct Waiting {
    std::size_t index = 0;
    std::int64_t count = 0;
  };

  // What one file's read-replace-write needs, and what it leaves: the run's own thread and
  // each worker have their own.
  struct Lane {
    SearchEngine* engine = nullptr;
    ConfinedFolder* confined = nullptr;
    const AtomicWriteBatch* batch = nullptr;  // the run's batch, to check (never in a worker)
    bool worker = false;                      // new content waits to be added to the batch
    bool journaled = false;
    EncodingChoice encoding = EncodingChoice::Auto;
    const PreviewEach* preview = nullptr;
    // Of the file last done:
    std::string failure;
    FileError error = FileError::None;
    bool needsCommit = false;
    bool pending = false;  // `file` waits to be added to the batch
    ReplacementFile file;
    FileIdentity identity;
    std::int64_t count = 0;
    std::size_t bytes = 0;
    std::string folder;
    JournalFile journal;
    // A worker's file for a preview: handed on by the run's thread.
    bool previewReady = false;
    std::string path;
    std::string previewBytes;
    std::vector<WrittenSpan> previewSpans;
  };
  class Workers;

  // Replace in one file, its content going to `output` when given. Otherwise a rewritten file
  // is put in place at once, or with batch_ added to the batch, and a file the batch already
  // holds sets needsCommit_ and is left alone.
  FileOutcome ReplaceOne(const std::string& path, bool dryRun, const ContentOutput* output);
  // The same on a lane: a new content that waits for the batch is left in the lane.
  static FileOutcome ReplaceWith(Lane& lane, const std::string& path, bool dryRun,
                                 const ContentOutput* output);
  // Takes a lane's file into the run: its messages, and its new content into the batch.
  FileOutcome Absorb(Lane& lane, FileOutcome outcome, bool fromWorker);
  // Whether files can be replaced in any order with the same result: the replacement names
  // no counter of the run and no storage area a match may leave over from another file.
  bool FilesIndependent() const;
  // Puts the waiting files in place. On failure fills result as stopped at the file that
  // failed and returns false.
  bool CommitWaiting(const std::vector<std::string>& files, DiskSearchResult& result);

  // Sets the engine to the file's charset. False when the file is to be left alone: its
  // encoding cannot hold the find text (so it holds no match) or, when it has a match, the
  // replace text (outcome then says NotHeld).
  // `text` is the text the engine is to search.
  static bool EngineFor(SearchEngine& engine, const SearchFileText& held, std::string_view text,
                 FileOutcome& outcome, std::string& failure);

  // Puts the journal of the waiting files on disk; false (result filled as stopped) when it
  // could not be.
  bool FlushJournal(const std::vector<std::string>& files, DiskSearchResult& result);

  SearchEngine& engine_;
  Ui& ui_;
  EncodingChoice encodingChoice_ = EncodingChoice::Auto;
  bool journaling_ = true;
  EngineMaker makeEngine_;
  unsigned workers_ = 0;  // 0: one per core
  std::string journalDescription_;
  std::string journalFolder_;
  ReplaceJournalWriter* journal_ = nullptr;
  JournalFile lastJournal_;  // of the file ReplaceOne last added to the batch
  const PreviewEach* preview_ = nullptr;
  std::string lastFailure_;
  FileError lastError_ = FileError::None;  // of the last file's write, when it failed
  AtomicWriteBatch* batch_ = nullptr;
  bool needsCommit_ = false;
  std::int64_t lastCount_ = 0;  // replacements of the file ReplaceOne last added
  std::size_t lastBytes_ = 0;   // and its new size
  std::vector<Waiting> waiting_;
  std::size_t waitingBytes_ = 0;
  // A folder run's folder: its files are opened through it, no link followed.
  ConfinedFolder* confined_ = nullptr;
  std::string lastFolder_;  // the folder of the file ReplaceOne last added
  bool newFolder_ = false;            // and whether it differs from the one before
  std::size_t waitingFolders_ = 0;
};

}  // namespace norra
