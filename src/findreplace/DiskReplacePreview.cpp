// Building a disk-replace preview from a dry run, and running what the user left checked.
#include "findreplace/DiskReplacePreview.h"

#include <algorithm>
#include <utility>

#include "platform/Ui.h"
#include "text/AtomicWriteBatch.h"
#include "text/PathUtil.h"
#include "text/ReplaceJournal.h"
#include "text/ReplacementFile.h"

namespace norra {

std::size_t PreviewFile::CheckedHits() const {
  if (!checked) return 0;
  return static_cast<std::size_t>(
      std::count_if(hits.begin(), hits.end(), [](const PreviewHit& h) { return h.checked; }));
}

std::int64_t DiskReplacePreview::HitCount() const {
  std::int64_t count = 0;
  for (const PreviewFile& file : files) count += static_cast<std::int64_t>(file.hits.size());
  return count;
}

std::string DiskReplacePreview::Heading() const {
  return where + " : " + std::to_string(files.size()) + "個のﾌｧｲﾙ (" + std::to_string(HitCount()) +
         "箇所)";
}

std::vector<DiffSpan> CheckedSpans(const PreviewFile& file) {
  std::vector<DiffSpan> spans;
  if (!file.checked) return spans;
  for (const PreviewHit& hit : file.hits)
    if (hit.checked) spans.push_back({hit.oldStart, hit.before.size(), hit.after});
  return spans;
}

bool DiskReplacePreview::Build(DiskSearch& search, const DiskSearchRequest& request, bool isGroup) {
  group = isGroup;
  caption = std::string(isGroup ? DiskSearch::kCaptionGroup : DiskSearch::kCaptionFolder);
  where = isGroup ? request.groupPath : DiskSearch::FolderOf(request.folderText);
  files.clear();
  const DiskSearch::PreviewEach each = [this](const std::string& path, std::string_view old,
                                              const FileIdentity& identity,
                                              const std::vector<WrittenSpan>& spans) {
    PreviewFile file;
    file.path = path;
    file.identity = identity;
    std::size_t line = 1;
    std::size_t counted = 0;  // offset up to which lines are counted
    for (const WrittenSpan& span : spans) {
      line += static_cast<std::size_t>(
          std::count(old.begin() + static_cast<std::ptrdiff_t>(counted),
                     old.begin() + static_cast<std::ptrdiff_t>(span.oldStart), '\n'));
      counted = span.oldStart;
      file.hits.push_back({span.oldStart, line, std::string(old.substr(span.oldStart, span.oldLength)),
                           span.newBytes, true});
    }
    files.push_back(std::move(file));
  };
  found = search.Preview(request, isGroup, each);
  return found.end == DiskSearchEnd::Completed;
}

DiskSearchResult DiskReplacePreview::Run(Ui& ui, const std::string& journalFolder) const {
  DiskSearchResult result;
  result.filesNotText = found.filesNotText;
  result.foldersUnreadable = found.foldersUnreadable;
  ReplaceJournalWriter journal;
  if (const FileError e = journal.Begin(caption + " " + where, journalFolder); e != FileError::None) {
    result.end = DiskSearchEnd::Stopped;
    result.stopReason = "the journal of the replace could not be made: ";
    result.stopReason += FileErrorReason(e);
    return result;
  }
  AtomicWriteBatch batch;
  struct Waiting {
    std::size_t index;
    std::int64_t count;
  };
  std::vector<Waiting> waiting;
  bool stopped = false;
  auto commit = [&]() {
    if (waiting.empty()) return true;
    if (const FileError e = journal.Flush(); e != FileError::None) {
      batch.Discard();
      for (const Waiting& w : waiting) journal.Left(w.index);
      result.end = DiskSearchEnd::Stopped;
      result.stoppedAt = files[waiting.front().index].path;
      result.stopReason = "the journal of the replace could not be written: ";
      result.stopReason += FileErrorReason(e);
      waiting.clear();
      return false;
    }
    std::size_t done = 0;
    const FileError e = batch.Commit(done);
    std::vector<bool> alone(waiting.size(), false);
    for (const std::size_t i : batch.LeftAlone()) alone[i] = true;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      const PreviewFile& file = files[waiting[i].index];
      if (alone[i]) {
        result.leftChanged.push_back(file.path);
        journal.Left(waiting[i].index);
      } else if (e != FileError::None && i >= done) {
        journal.Left(waiting[i].index);
      } else {
        ++result.filesChanged;
        result.replaceCount += waiting[i].count;
      }
    }
    if (e != FileError::None) {
      result.end = DiskSearchEnd::Stopped;
      result.stoppedAt = files[waiting[done].index].path;
      result.stopReason = FileErrorReason(e);
    }
    waiting.clear();
    return e == FileError::None;
  };

  for (std::size_t k = 0; k < files.size() && !stopped; ++k) {
    const PreviewFile& file = files[k];
    const std::vector<DiffSpan> spans = CheckedSpans(file);
    ++result.filesVisited;
    if (spans.empty()) continue;
    std::string old;
    FileIdentity read;
    const FileError r = ReadWholeFile(file.path, old, &read);
    // The preview showed this content: anything else is another program's, and stays.
    if (r != FileError::None || !(read == file.identity) || read.size != file.identity.size ||
        read.modifiedNs != file.identity.modifiedNs) {
      result.leftChanged.push_back(file.path);
      continue;
    }
    const std::string changed = ApplySpans(old, spans);
    ReplacementFile out;
    FileError e = out.Open(file.path);
    if (e == FileError::None) e = out.Write(changed);
    if (e == FileError::None) e = out.Finish(false);
    if (e != FileError::None) {
      // Files before it are put in place; it and the rest stay as they are.
      commit();
      stopped = true;
      result.end = DiskSearchEnd::Stopped;
      result.stoppedAt = file.path;
      result.stopReason = FileErrorReason(e);
      break;
    }
    JournalFile entry;
    entry.path = file.path;
    entry.identity = read;
    entry.oldPrint = PrintOf(old);
    entry.newPrint = PrintOf(changed);
    for (const DiffSpan& span : spans)
      entry.spans.push_back({span.oldStart, old.substr(span.oldStart, span.oldLength),
                             span.newBytes.size()});
    journal.Add(k, entry);
    batch.Add(std::move(out), file.identity);
    waiting.push_back({k, static_cast<std::int64_t>(spans.size())});
    if (waiting.size() >= 1024 && !commit()) stopped = true;
  }
  if (!stopped) commit();
  journal.End();
  if (IsFile(journal.Path())) result.journal = journal.Path();
  if (result.end == DiskSearchEnd::Completed) {
    std::string message = DiskSearch::EndMessage(result.replaceCount, result.filesNotText,
                                                 result.foldersUnreadable);
    message += DiskSearch::LeftChangedLines(result.leftChanged);
    ui.ShowMessageBox(message, MB_OK | MB_ICONINFORMATION, caption);
  }
  return result;
}

}  // namespace norra
