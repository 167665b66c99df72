// The folder and group commands of replace all, and the read-replace-write step per file.
#include "findreplace/DiskSearch.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <cstdint>
#include <new>
#include <set>
#include <utility>

#include "documents/Page.h"
#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/ConfinedFolder.h"
#include "findreplace/EngineMessages.h"
#include "findreplace/FolderEnumerator.h"
#include "findreplace/LineBreakWriter.h"
#include "findreplace/LineBreaks.h"
#include "groups/GroupFile.h"
#include "platform/Ui.h"
#include "text/AtomicWriteBatch.h"
#include "text/FileIo.h"
#include "text/FileMask.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"

namespace norra {

namespace {

// The identity of a regular file (links followed), or false when the path names none.
bool RegularFileId(const std::string& path, std::pair<dev_t, ino_t>& id) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  id = {st.st_dev, st.st_ino};
  return true;
}

// The message with a count line added when the count is above zero.
std::string WithCount(std::string message, std::string_view label, int count) {
  if (count > 0) message += "\n" + std::string(label) + std::to_string(count) + ")";
  return message;
}

// How many bytes of temporaries may wait beside the file: a quarter of the room left on its
// file system, so that a nearly full disk puts files in place before the next no longer fits.
std::size_t RoomForWaiting(const std::string& path) {
  struct statvfs info {};
  const std::string folder = FolderPart(path);
  if (::statvfs(folder.empty() ? "." : folder.c_str(), &info) != 0) return SIZE_MAX;
  return static_cast<std::size_t>(info.f_bavail) * info.f_frsize / 4;
}

// The reason a file could not take its new content, with where its old content was kept when
// it was being written in place.
std::string WriteFailure(FileError error, const std::string& backup) {
  std::string text = FileErrorReason(error);
  if (!backup.empty()) text += " (元の内容 : " + backup + ")";
  return text;
}

}  // namespace

DiskSearch::DiskSearch(SearchEngine& engine, Ui& ui) : engine_(engine), ui_(ui) {}

std::string DiskSearch::FolderOf(std::string_view folderText) {
  std::string folder(folderText);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string DiskSearch::StartFolder(const Page* active, const std::string& currentDir) {
  std::string folder;
  if (active != nullptr && active->HasFile()) folder = FolderPart(active->FilePath());
  if (folder.empty() || !IsFolder(folder)) folder = currentDir;
  if (folder.empty() || !IsFolder(folder)) folder = HomeFolder();
  return folder == "/" ? folder : WithoutTrailingSlash(folder);
}

std::string DiskSearch::DoneMessage(std::int64_t replaceCount) {
  return "置換終了しました。\n(現在の条件での置換数 : " + std::to_string(replaceCount) + ")";
}

std::string DiskSearch::EndMessage(std::int64_t replaceCount, int filesNotText,
                                   int foldersUnreadable) {
  std::string message = replaceCount > 0 ? DoneMessage(replaceCount) : std::string(kNotFound);
  message = WithCount(std::move(message), kNotTextCount, filesNotText);
  return WithCount(std::move(message), kUnreadableCount, foldersUnreadable);
}

std::vector<std::string> DiskSearch::DistinctFiles(const std::vector<std::string>& files) {
  std::vector<std::string> distinct;
  distinct.reserve(files.size());
  std::set<std::pair<dev_t, ino_t>> seen;  // a folder may hold many thousands of files
  for (const std::string& path : files) {
    std::pair<dev_t, ino_t> id;
    if (RegularFileId(path, id) && !seen.insert(id).second) continue;
    distinct.push_back(path);
  }
  return distinct;
}

namespace {

std::string NamedFiles(std::string_view heading, const std::vector<std::string>& files) {
  if (files.empty()) return {};
  std::string lines = "\n" + std::string(heading) + std::to_string(files.size()) + "個)";
  constexpr std::size_t kNamed = 5;  // a message box shows a few names, not a list
  for (std::size_t i = 0; i < files.size() && i < kNamed; ++i) lines += "\n" + files[i];
  if (files.size() > kNamed) lines += "\n...";
  return lines;
}

// Puts the engine back to the charset it had, whatever a run over files switched it to.
class CharsetRestore {
 public:
  explicit CharsetRestore(SearchEngine& engine) : engine_(engine), saved_(engine.TextCharset()) {}
  ~CharsetRestore() { engine_.SetCharset(saved_); }
  CharsetRestore(const CharsetRestore&) = delete;
  CharsetRestore& operator=(const CharsetRestore&) = delete;

 private:
  SearchEngine& engine_;
  Charset saved_;
};

}  // namespace

std::string DiskSearch::LeftChangedLines(const std::vector<std::string>& files) {
  return NamedFiles(kLeftChanged, files);
}

std::string DiskSearch::LeftNotHeldLines(const std::vector<std::string>& files) {
  return NamedFiles(kLeftNotHeld, files);
}

bool DiskSearch::EngineFor(SearchEngine& engine, const SearchFileText& held,
                           std::string_view text, FileOutcome& outcome, std::string& failure) {
  const CompileResult compiled = engine.SetCharset(held.TextCharset());
  if (compiled) return true;
  outcome = FileOutcome::Unchanged;
  if (compiled.error.code != EngineErrorCode::ReplaceTextNotHeld) return false;
  // The find text is held: whether the file would have changed decides whether it is named.
  const std::int64_t findCount = engine.FindCount;
  const bool matches = !engine.ListMatchesInText(text).empty();
  engine.FindCount = findCount;
  if (matches) {
    outcome = FileOutcome::NotHeld;
    failure = "the file's encoding (" + std::string(FileCharsetName(held.Encoding())) +
                   ") cannot hold " + compiled.error.fragment;
  }
  return false;
}

DiskSearchEnd DiskSearch::CollectFolderFiles(const DiskSearchRequest& request,
                                             std::vector<std::string>& files,
                                             int* unreadableFolders) {
  if (unreadableFolders != nullptr) *unreadableFolders = 0;
  files.clear();
  const std::string folder = FolderOf(request.folderText);
  if (folder.empty() || !IsFolder(folder)) {
    ui_.ShowMessageBox(kNoFolder, MB_OK | MB_ICONWARNING, kCaptionFolder);
    return DiskSearchEnd::Refused;
  }
  // An empty list would list nothing at all; the window always gives at least "*".
  std::vector<std::string> masks = request.fileMasks;
  if (masks.empty()) masks.push_back("*");
  int unreadable = 0;
  files = EnumerateFolderFiles(folder, masks, request.subFolders, &unreadable);
  if (unreadableFolders != nullptr) *unreadableFolders = unreadable;
  if (files.empty()) {
    ui_.ShowMessageBox(WithCount(std::string(kNoFiles), kUnreadableCount, unreadable),
                       MB_OK | MB_ICONINFORMATION, kCaptionFolder);
    return DiskSearchEnd::NoFiles;
  }
  return DiskSearchEnd::Completed;
}

DiskSearchEnd DiskSearch::CollectGroupFiles(const DiskSearchRequest& request,
                                            std::vector<std::string>& files) {
  files.clear();
  lastFailure_.clear();
  if (request.groupPath.empty() || !IsFile(request.groupPath)) {
    ui_.ShowMessageBox(kNoGroup, MB_OK | MB_ICONWARNING, kCaptionGroup);
    return DiskSearchEnd::Refused;
  }
  std::vector<std::string> members;
  GroupFileStatus status = GroupFile::Read(request.groupPath, members);
  if (status == GroupFileStatus::NotMemberList) {
    ui_.ShowMessageBox(GroupFile::NotMemberListMessage(request.groupPath),
                       MB_OK | MB_ICONWARNING, kCaptionGroup);
    return DiskSearchEnd::Refused;
  }
  if (status != GroupFileStatus::Ok) {
    lastFailure_ = "the group file cannot be read";
    return DiskSearchEnd::Stopped;
  }
  if (members.empty()) {
    ui_.ShowMessageBox(kEmptyGroup, MB_OK | MB_ICONWARNING, kCaptionGroup);
    return DiskSearchEnd::Refused;
  }
  // A member is visited once however often it is listed. Sameness is judged by the file
  // itself, not by spelling: two spellings of one file (other case on a case-blind mount,
  // "./" or a link) are one member, while names differing only in case on an ordinary Linux
  // file system are two files and both are visited.
  std::set<std::pair<dev_t, ino_t>> seen;  // a group may list a hundred thousand members
  for (const std::string& line : members) {
    // A line with a control character is no path: the system would stop at a NUL and open
    // another file than the one the masks judged by its whole name.
    if (!GroupFile::IsMemberPath(line)) continue;
    if (!MatchesAnyMaskUtf8Name(line, request.fileMasks)) continue;
    std::pair<dev_t, ino_t> id;
    if (!RegularFileId(line, id)) continue;  // not a file: skipped without a message
    if (!seen.insert(id).second) continue;
    files.push_back(line);
  }
  return DiskSearchEnd::Completed;
}

FileOutcome DiskSearch::ReplaceInFile(const std::string& path, bool dryRun, std::string* newText) {
  if (newText != nullptr) {
    newText->clear();
    const ContentOutput append = [newText](std::string_view piece) {
      newText->append(piece);
      return true;
    };
    return ReplaceInFileTo(path, append);
  }
  const CharsetRestore restore(engine_);
  AtomicWriteBatch* const saved = std::exchange(batch_, nullptr);
  const FileOutcome outcome = ReplaceOne(path, dryRun, nullptr);
  batch_ = saved;
  return outcome;
}

FileOutcome DiskSearch::ReplaceInFileTo(const std::string& path, const ContentOutput& output) {
  const CharsetRestore restore(engine_);
  AtomicWriteBatch* const saved = std::exchange(batch_, nullptr);
  const FileOutcome outcome = ReplaceOne(path, false, &output);
  batch_ = saved;
  return outcome;
}

FileOutcome DiskSearch::ReplaceOne(const std::string& path, bool dryRun,
                                   const ContentOutput* output) {
  Lane lane;
  lane.engine = &engine_;
  lane.confined = confined_;
  lane.batch = batch_;
  lane.journaled = journal_ != nullptr && output == nullptr && !dryRun;
  lane.encoding = encodingChoice_;
  lane.preview = preview_;
  return Absorb(lane, ReplaceWith(lane, path, dryRun, output), false);
}

FileOutcome DiskSearch::Absorb(Lane& lane, FileOutcome outcome, bool fromWorker) {
  lastFailure_ = std::move(lane.failure);
  lastError_ = lane.error;
  needsCommit_ = lane.needsCommit;
  if (fromWorker && batch_ != nullptr && lane.pending && batch_->Holds(lane.identity)) {
    // Another name of a file whose new content is still waiting: that must be in place first,
    // and this one is done again after it.
    lane.file.Discard();
    needsCommit_ = true;
    return FileOutcome::Unchanged;
  }
  if (fromWorker && outcome == FileOutcome::Replaced) engine_.ReplaceCount += lane.count;
  if (lane.previewReady && preview_ != nullptr)
    (*preview_)(lane.path, lane.previewBytes, lane.identity, lane.previewSpans);
  if (!lane.pending) return outcome;
  lastCount_ = lane.count;
  lastBytes_ = lane.bytes;
  newFolder_ = lane.folder != lastFolder_;
  lastFolder_ = lane.folder;
  lastJournal_ = std::move(lane.journal);
  batch_->Add(std::move(lane.file), lane.identity);
  return outcome;
}

FileOutcome DiskSearch::ReplaceWith(Lane& lane, const std::string& path, bool dryRun,
                                    const ContentOutput* output) {
  SearchEngine& engine = *lane.engine;
  const bool batched = output == nullptr && !dryRun && (lane.batch != nullptr || lane.worker);
  std::string bytes;
  FileIdentity identity;
  // In a folder run the file is reached through the run's folder, never through a link: one
  // put in its place (or in a sub-folder's) meanwhile leads outside, where the run must not
  // write.
  std::shared_ptr<const Descriptor> folder;
  std::string name;
  if (lane.confined != nullptr && !lane.confined->Locate(path, folder, name)) {
    lane.failure = FileErrorReason(FileError::Changed);
    return FileOutcome::Linked;
  }
  const FileError readError = folder ? ReadWholeFileAt(folder->Get(), name, bytes, &identity)
                                     : ReadWholeFile(path, bytes, &identity);
  if (readError == FileError::IsLink) {
    lane.failure = FileErrorReason(readError);
    return FileOutcome::Linked;
  }
  if (readError != FileError::None) {
    lane.failure = FileErrorReason(readError);
    return FileOutcome::ReadFailed;
  }
  if (lane.batch != nullptr && lane.batch->Holds(identity)) {
    // Another name of a file whose new content is still waiting: that must be in place first.
    lane.needsCommit = true;
    return FileOutcome::Unchanged;
  }
  // The file's content when it stays as it is.
  auto keepOriginal = [&] {
    if (output != nullptr && !(*output)(bytes)) {
      lane.failure = "the content could not be handed on";
      return FileOutcome::WriteFailed;
    }
    return FileOutcome::Unchanged;
  };
  // A NUL byte never stands in text: such a file is a program, an image or an archive, and
  // rewriting it would spoil it.
  const TextForm form = ExamineText(bytes);
  if (form.hasNul) {
    const FileOutcome kept = keepOriginal();
    return kept == FileOutcome::Unchanged ? FileOutcome::NotText : kept;
  }
  // The text in the file's own encoding: its bytes after any byte-order mark, or (EUC-JP)
  // their UTF-8 form, which goes back to the file's bytes when written.
  SearchFileText held;
  held.Hold(bytes, lane.encoding);
  const std::string_view own = held.Text();
  // The engine sees every line ended by CR LF. A file already in that form is not copied;
  // the file's own bytes are kept either way, as the rewrite copies them where nothing was
  // replaced.
  std::string joined;
  const bool textIsOriginal =
      held.Converted() ? ExamineText(own).joinedWithCrLf : form.joinedWithCrLf;
  if (!textIsOriginal) joined = JoinLinesWith(own, kCrLf);
  const std::string_view text = textIsOriginal ? own : std::string_view(joined);
  if (FileOutcome left{}; !EngineFor(engine, held, text, left, lane.failure)) {
    if (left == FileOutcome::NotHeld) return left;
    return keepOriginal();
  }

  // The new text streams out as the engine makes it: to the caller, nowhere in a dry run, or
  // into a temporary file made at its first byte.
  ReplacementFile file;
  FileError fileError = FileError::None;
  const ContentOutput toFile = [&](std::string_view piece) {
    if (fileError == FileError::None && !file.IsOpen())
      fileError = folder ? file.OpenIn(folder, FolderPart(path), name) : file.Open(path);
    if (fileError == FileError::None) fileError = file.Write(piece);
    return fileError == FileError::None;
  };
  const ContentOutput discard = [](std::string_view) { return true; };
  const ContentOutput& sink = output != nullptr ? *output : (dryRun ? discard : toFile);
  // A kept byte-order mark goes first; a converted text is gathered whole and written in the
  // file's encoding only once every character of it is known to have a form there. A
  // journaled write and a preview learn where each replacement went; the journal also learns
  // what the new content is, as it goes out.
  const bool journaled = lane.journaled;
  std::vector<WrittenSpan> spans;
  ContentPrinter printer;
  const ContentOutput out = [&](std::string_view piece) {
    if (journaled) printer.Add(piece);
    return sink(piece);
  };
  std::string newText;
  bool prefixed = held.Prefix().empty();
  const ContentOutput ownSink = [&](std::string_view piece) {
    if (held.Converted()) {
      newText.append(piece);
      return true;
    }
    if (!prefixed) {
      prefixed = true;
      if (!out(held.Prefix())) return false;
    }
    return out(piece);
  };
  LineBreakWriter writer(own, textIsOriginal, ownSink);
  if (journaled || lane.preview != nullptr) writer.RecordSpans(&spans, lane.preview != nullptr);

  const std::int64_t before = engine.ReplaceCount;
  std::int64_t made = 0;
  try {
    // The joined copy is the engine's alone, and the writer takes the file's own bytes: it may
    // be folded in place rather than copied once more.
    made = textIsOriginal ? engine.ReplaceAllInText(text, writer)
                          : engine.ReplaceAllInFoldableText(joined, writer);
  } catch (...) {
    engine.ReplaceCount = before;  // the count names only replacements that reached a file
    throw;
  }
  if (made <= 0) return keepOriginal();

  bool handedOn = writer.Finish();
  if (handedOn && held.Converted()) {
    std::string fileBytes;
    std::string notHeld;
    if (!held.ToFileBytes(newText, fileBytes, notHeld)) {
      engine.ReplaceCount = before;
      lane.failure = "the file's encoding (" + std::string(FileCharsetName(held.Encoding())) +
                     ") cannot hold " + notHeld;
      return FileOutcome::NotHeld;
    }
    std::string().swap(newText);
    // The spans are of the converted text: the journal and a preview take the file whole.
    spans.assign(1, WrittenSpan{0, bytes.size(), 0, fileBytes.size(), {}});
    if (lane.preview != nullptr) spans.front().newBytes = fileBytes;
    handedOn = out(fileBytes);
  } else if (handedOn && !prefixed) {
    handedOn = out(held.Prefix());  // a new text of no bytes keeps the mark
  }
  if (!held.Converted() && !held.Prefix().empty()) {
    // Offsets of the text after the mark become offsets of the file.
    for (WrittenSpan& span : spans) {
      span.oldStart += held.Prefix().size();
      span.newStart += held.Prefix().size();
    }
  }
  // A new text of no bytes at all still replaces the file.
  if (handedOn && output == nullptr && !dryRun && !file.IsOpen()) toFile({});
  if (fileError == FileError::IsLink) {
    engine.ReplaceCount = before;
    lane.failure = FileErrorReason(fileError);
    return FileOutcome::Linked;
  }
  if (!handedOn || fileError != FileError::None) {
    engine.ReplaceCount = before;  // nothing of this file reached the disk
    lane.error = fileError;
    lane.failure =
        output != nullptr
            ? "the content could not be handed on"
            : FileErrorReason(fileError != FileError::None ? fileError : FileError::WriteFailed);
    return FileOutcome::WriteFailed;
  }
  lane.count = engine.ReplaceCount - before;
  if (lane.preview != nullptr && lane.worker) {
    // The run's thread hands it on, in the run's order.
    lane.path = path;
    lane.identity = identity;
    lane.previewBytes = std::move(bytes);
    lane.previewSpans = std::move(spans);
    lane.previewReady = true;
    return FileOutcome::Replaced;
  }
  if (lane.preview != nullptr) (*lane.preview)(path, bytes, identity, spans);
  if (output != nullptr || dryRun) return FileOutcome::Replaced;
  if (journaled) {
    lane.journal.path = path;
    lane.journal.identity = identity;
    lane.journal.oldPrint = PrintOf(bytes);
    lane.journal.newPrint = printer.Done();
    lane.journal.spans.clear();
    lane.journal.spans.reserve(spans.size());
    for (const WrittenSpan& span : spans) {
      lane.journal.spans.push_back(
          {span.oldStart, bytes.substr(span.oldStart, span.oldLength), span.newLength});
    }
  }

  // Alone, the file is flushed and put in place now; in a run, the batch does both later.
  FileError e = file.Finish(!batched);
  if (e == FileError::None && !batched) e = file.Replace(&identity);
  if (e != FileError::None) {
    engine.ReplaceCount = before;
    lane.error = e;
    lane.failure = WriteFailure(e, file.LeftBackup());
    return FileOutcome::WriteFailed;
  }
  if (!batched) {
    ReplacementFile::SyncFolderOf(file.Target());
    return FileOutcome::Replaced;
  }
  lane.count = engine.ReplaceCount - before;
  lane.bytes = static_cast<std::size_t>(file.Written());
  lane.folder = FolderPart(path);
  lane.identity = identity;
  lane.file = std::move(file);
  lane.pending = true;
  return FileOutcome::Replaced;
}

bool DiskSearch::FilesIndependent() const {
  for (const PatternNode& node : engine_.ReplaceList()) {
    if (node.kind == TAG_FCOUNT || node.kind == TAG_RCOUNT) return false;
    if (node.kind == TAG_OUTFROM && !engine_.HasAreaGroup(node.argument)) return false;
  }
  return true;
}

// The files of a run read, replaced and written to their temporaries on worker threads, a
// little ahead of the run's own thread, which takes them in the run's order: what it does with
// them (batch, journal, messages) is the same as for a file it replaced itself.
class DiskSearch::Workers {
 public:
  Workers(DiskSearch& search, const std::vector<std::string>& files, bool dryRun)
      : search_(search), files_(files), dryRun_(dryRun), slots_(files.size()) {}

  ~Workers() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    room_.notify_all();
    for (std::thread& t : threads_) t.join();
    // Files done ahead and never taken: their temporaries go with their lanes.
  }

  // Starts `count` workers; false when an engine could not be made.
  bool Start(unsigned count) {
    for (unsigned k = 0; k < count; ++k) {
      std::unique_ptr<SearchEngine> engine = search_.makeEngine_ ? search_.makeEngine_() : nullptr;
      if (!engine) return false;
      engine->PreFoldedText = true;
      engines_.push_back(std::move(engine));
      if (search_.confined_ != nullptr)
        folders_.push_back(std::make_unique<ConfinedFolder>(*search_.confined_));
    }
    for (unsigned k = 0; k < count; ++k) threads_.emplace_back([this, k] { Work(k); });
    return true;
  }

  // The outcome of file k, taken into the run; the run's Ui is served while it waits.
  FileOutcome Take(std::size_t k) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!slots_[k].ready) {
      if (ready_.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout) {
        lock.unlock();
        search_.ui_.ProcessPendingEvents();
        lock.lock();
      }
    }
    Slot slot = std::move(slots_[k]);
    taken_ = k + 1;
    // Wakes the workers only when one waits for room: a wake-up per file costs more than the
    // file on a busy machine.
    const bool wake = idle_ > 0;
    lock.unlock();
    if (wake) room_.notify_all();
    if (slot.error) std::rethrow_exception(slot.error);
    return search_.Absorb(*slot.lane, slot.outcome, true);
  }

 private:
  // How far the workers may run ahead of the run's thread: bounds the temporaries waiting.
  static constexpr std::size_t kAhead = 64;

  struct Slot {
    std::unique_ptr<Lane> lane;
    FileOutcome outcome = FileOutcome::Unchanged;
    std::exception_ptr error;
    bool ready = false;
  };

  void Work(unsigned k) {
    for (;;) {
      std::size_t next = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ++idle_;
        room_.wait(lock, [&] {
          return stop_ || next_ >= files_.size() || next_ < taken_ + kAhead;
        });
        --idle_;
        if (stop_ || next_ >= files_.size()) return;
        next = next_++;
      }
      auto lane = std::make_unique<Lane>();
      lane->engine = engines_[k].get();
      lane->confined = folders_.empty() ? nullptr : folders_[k].get();
      lane->worker = true;
      lane->journaled = search_.journal_ != nullptr && !dryRun_;
      lane->encoding = search_.encodingChoice_;
      lane->preview = search_.preview_;
      Slot slot;
      try {
        slot.outcome = ReplaceWith(*lane, files_[next], dryRun_, nullptr);
      } catch (...) {
        slot.error = std::current_exception();
      }
      slot.lane = std::move(lane);
      slot.ready = true;
      bool wanted = false;  // the file the run's thread waits for
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        slots_[next] = std::move(slot);
        wanted = next == taken_;
      }
      if (wanted) ready_.notify_one();
    }
  }

  DiskSearch& search_;
  const std::vector<std::string>& files_;
  bool dryRun_;
  std::vector<Slot> slots_;
  std::vector<std::unique_ptr<SearchEngine>> engines_;
  std::vector<std::unique_ptr<ConfinedFolder>> folders_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable ready_;  // a file the run's thread waits for is done
  std::condition_variable room_;   // the run's thread took a file: workers may go on
  std::size_t idle_ = 0;           // workers waiting for room
  std::size_t next_ = 0;   // the next file a worker takes
  std::size_t taken_ = 0;  // files the run's thread has taken
  bool stop_ = false;
};

bool DiskSearch::FlushJournal(const std::vector<std::string>& files, DiskSearchResult& result) {
  if (journal_ == nullptr || waiting_.empty()) return true;
  const FileError e = journal_->Flush();
  if (e == FileError::None) return true;
  // Nothing is put in place that could not be taken back.
  batch_->Discard();
  for (const Waiting& w : waiting_) {
    engine_.ReplaceCount -= w.count;
    --result.filesChanged;
    journal_->Left(w.index);
  }
  const std::size_t index = waiting_.front().index;
  result.end = DiskSearchEnd::Stopped;
  result.stoppedAt = files[index];
  result.stopReason = "the journal of the replace could not be written: ";
  result.stopReason += FileErrorReason(e);
  result.filesVisited = static_cast<int>(index);
  result.replaceCount = engine_.ReplaceCount;
  waiting_.clear();
  waitingBytes_ = 0;
  waitingFolders_ = 0;
  lastFolder_.clear();
  return false;
}

bool DiskSearch::CommitWaiting(const std::vector<std::string>& files, DiskSearchResult& result) {
  if (!FlushJournal(files, result)) return false;
  std::size_t replaced = 0;
  const FileError e = batch_->Commit(replaced);
  // Files another program changed meanwhile kept that program's content, not ours.
  for (const std::size_t i : batch_->LeftAlone()) {
    engine_.ReplaceCount -= waiting_[i].count;
    --result.filesChanged;
    result.leftChanged.push_back(files[waiting_[i].index]);
    if (journal_ != nullptr) journal_->Left(waiting_[i].index);
  }
  waitingFolders_ = 0;
  lastFolder_.clear();
  if (e == FileError::None) {
    waiting_.clear();
    waitingBytes_ = 0;
    return true;
  }
  // The run ends at the file that could not be put in place; it and the later waiting files
  // keep their old content, and their replacements are not counted.
  for (std::size_t i = replaced; i < waiting_.size(); ++i) {
    engine_.ReplaceCount -= waiting_[i].count;
    --result.filesChanged;
    if (journal_ != nullptr) journal_->Left(waiting_[i].index);
  }
  const std::size_t index = waiting_[replaced].index;
  result.end = DiskSearchEnd::Stopped;
  result.stoppedAt = files[index];
  result.stopReason = WriteFailure(e, batch_->LeftBackup());
  result.filesVisited = static_cast<int>(index);
  result.replaceCount = engine_.ReplaceCount;
  waiting_.clear();
  waitingBytes_ = 0;
  return false;
}

DiskSearchResult DiskSearch::RunFiles(const std::vector<std::string>& given, bool dryRun,
                                      std::string_view caption, int unreadableFolders) {
  // Known by the file and not by its name, as each visit would replace again in the text the
  // one before had made.
  const std::vector<std::string> files = DistinctFiles(given);
  const CharsetRestore restore(engine_);
  DiskSearchResult result;
  result.foldersUnreadable = unreadableFolders;
  engine_.ReplaceCount = 0;
  engine_.PreFoldedText = true;  // a replace-all
  // Rewritten files wait in a batch, so that flushing to disk costs once per batch and not
  // once per file; whatever happens, files before a failure end up rewritten.
  AtomicWriteBatch batch;
  batch_ = dryRun ? nullptr : &batch;
  // The journal is made before the first file is written and kept after the run.
  ReplaceJournalWriter journal;
  if (!dryRun && journaling_) {
    const std::string description =
        journalDescription_.empty() ? std::string(caption) : journalDescription_;
    if (const FileError e = journal.Begin(description, journalFolder_); e != FileError::None) {
      result.end = DiskSearchEnd::Stopped;
      result.stopReason = "the journal of the replace could not be made: ";
      result.stopReason += FileErrorReason(e);
      return result;
    }
    journal_ = &journal;
  }
  waiting_.clear();
  waitingBytes_ = 0;
  waitingFolders_ = 0;
  lastFolder_.clear();
  struct Detach {
    AtomicWriteBatch*& batch;
    ReplaceJournalWriter*& journal;
    ~Detach() {
      batch = nullptr;
      journal = nullptr;
    }
  } detach{batch_, journal_};
  // The journal's name, once the run has written a file through it.
  auto done = [&]() -> DiskSearchResult {
    journal.End();
    if (!journal.Path().empty() && IsFile(journal.Path())) result.journal = journal.Path();
    return result;
  };
  auto commit = [&] { return batch_ == nullptr || CommitWaiting(files, result); };

  // On every core when files do not depend on each other.
  std::unique_ptr<Workers> workers;
  const unsigned cores = workers_ != 0 ? workers_ : std::thread::hardware_concurrency();
  if (makeEngine_ && cores > 1 && files.size() > 1 && FilesIndependent()) {
    workers = std::make_unique<Workers>(*this, files, dryRun);
    if (!workers->Start(std::min<unsigned>(cores, 16))) workers.reset();
  }

  try {
    for (std::size_t k = 0; k < files.size(); ++k) {
      const std::string& path = files[k];
      FileOutcome outcome = workers ? workers->Take(k) : ReplaceOne(path, dryRun, nullptr);
      if (needsCommit_) {
        if (!commit()) return done();
        outcome = ReplaceOne(path, dryRun, nullptr);
      }
      if (outcome == FileOutcome::WriteFailed && lastError_ == FileError::NoSpace &&
          !waiting_.empty()) {
        // The waiting temporaries may be what fills the disk: once in place, they free the
        // room of the old files.
        if (!commit()) return done();
        outcome = ReplaceOne(path, dryRun, nullptr);
      }
      if (outcome == FileOutcome::ReadFailed || outcome == FileOutcome::WriteFailed) {
        // The run ends here without a message; files rewritten before stay rewritten.
        const std::string reason = lastFailure_;
        if (!commit()) return done();  // an earlier file failed first
        result.end = DiskSearchEnd::Stopped;
        result.stoppedAt = path;
        result.stopReason = reason;
        result.replaceCount = engine_.ReplaceCount;
        return done();
      }
      ++result.filesVisited;
      if (outcome == FileOutcome::NotText) ++result.filesNotText;
      if (outcome == FileOutcome::Linked) result.leftChanged.push_back(path);
      if (outcome == FileOutcome::NotHeld) result.leftNotHeld.push_back(path);
      if (outcome == FileOutcome::Replaced) {
        ++result.filesChanged;
        if (batch_ != nullptr) {
          if (journal_ != nullptr) journal_->Add(k, lastJournal_);
          waiting_.push_back({k, lastCount_});
          waitingBytes_ += lastBytes_;
          if (newFolder_) ++waitingFolders_;
          // Bounded, so temporary files never take much room, many names or many open
          // folders at once.
          if (waiting_.size() >= kBatchFiles || waitingBytes_ >= kBatchBytes ||
              waitingFolders_ >= kBatchFolders ||
              waitingBytes_ > RoomForWaiting(path)) {
            if (!commit()) return done();
          }
        }
      }
      ui_.ProcessPendingEvents();
    }
    if (!commit()) return done();
  } catch (const EngineAbort& abort) {
    ShowEngineError(ui_, abort.Error(), engine_.Symbols());
    result.end = DiskSearchEnd::Stopped;
    result.stopReason = "the search engine abandoned the run";
  } catch (const std::bad_alloc&) {
    result.end = DiskSearchEnd::Stopped;
    result.stopReason = FileErrorReason(FileError::OutOfMemory);
  }
  if (result.end == DiskSearchEnd::Stopped) {
    const std::string reason = result.stopReason;
    const int visited = result.filesVisited;
    if (!commit()) return done();
    result.stopReason = reason;
    if (visited < static_cast<int>(files.size()))
      result.stoppedAt = files[static_cast<std::size_t>(visited)];
    result.replaceCount = engine_.ReplaceCount;
    return done();
  }

  result.replaceCount = engine_.ReplaceCount;
  if (preview_ != nullptr) {  // the preview's caller tells what it found
    engine_.RunReset();
    return done();
  }
  std::string message =
      EndMessage(engine_.ReplaceCount, result.filesNotText, result.foldersUnreadable);
  message += LeftChangedLines(result.leftChanged);
  message += LeftNotHeldLines(result.leftNotHeld);
  ui_.ShowMessageBox(message, MB_OK | MB_ICONINFORMATION, caption);
  engine_.RunReset();
  return done();
}

DiskSearchResult DiskSearch::PreviewFiles(const std::vector<std::string>& files,
                                          const PreviewEach& each, int unreadableFolders) {
  struct Restore {
    const PreviewEach*& preview;
    ~Restore() { preview = nullptr; }
  } restore{preview_ = &each};
  return RunFiles(files, true, {}, unreadableFolders);
}

DiskSearchResult DiskSearch::Preview(const DiskSearchRequest& request, bool group,
                                     const PreviewEach& each) {
  struct Restore {
    const PreviewEach*& preview;
    ~Restore() { preview = nullptr; }
  } restore{preview_ = &each};
  DiskSearchRequest dry = request;
  dry.dryRun = true;
  return group ? RunGroup(dry) : RunFolder(dry);
}

DiskSearchResult DiskSearch::RunFolder(const DiskSearchRequest& request) {
  // Opened before it is listed, so that the files listed are the files written.
  ConfinedFolder folder(FolderOf(request.folderText));
  std::vector<std::string> files;
  int unreadable = 0;
  DiskSearchEnd end = CollectFolderFiles(request, files, &unreadable);
  if (end != DiskSearchEnd::Completed) {
    DiskSearchResult result;
    result.end = end;
    result.foldersUnreadable = unreadable;
    return result;
  }
  if (!folder.IsOpen()) {
    DiskSearchResult result;
    result.end = DiskSearchEnd::Stopped;
    result.stoppedAt = folder.Path();
    result.stopReason = FileErrorReason(FileError::AccessDenied);
    return result;
  }
  struct Confine {
    ConfinedFolder*& confined;
    ~Confine() { confined = nullptr; }
  } confine{confined_ = &folder};
  return RunFiles(files, request.dryRun, kCaptionFolder, unreadable);
}

DiskSearchResult DiskSearch::RunGroup(const DiskSearchRequest& request) {
  std::vector<std::string> files;
  DiskSearchEnd end = CollectGroupFiles(request, files);
  if (end != DiskSearchEnd::Completed) {
    DiskSearchResult result;
    result.end = end;
    if (end == DiskSearchEnd::Stopped) {
      result.stoppedAt = request.groupPath;
      result.stopReason = lastFailure_;
    }
    return result;
  }
  return RunFiles(files, request.dryRun, kCaptionGroup);
}

}  // namespace norra
