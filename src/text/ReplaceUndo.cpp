// Undo of a disk replace from its journal.
#include "text/ReplaceUndo.h"

#include <optional>

#include "text/ReplaceJournal.h"

namespace norra {

ReplaceUndoResult UndoDiskReplace(const std::string& path) {
  ReplaceUndoResult result;
  const std::optional<ReplaceJournalContent> journal = ReadReplaceJournal(path);
  if (!journal) return result;
  result.journalRead = true;
  for (const JournalFile& file : journal->files) {
    std::string bytes;
    FileIdentity read;
    const FileError e = ReadWholeFile(file.path, bytes, &read);
    if (e == FileError::NotFound) {
      result.leftChanged.push_back(file.path);
      continue;
    }
    if (e != FileError::None) {
      result.failed.emplace_back(file.path, FileErrorReason(e));
      continue;
    }
    const ContentPrint now = PrintOf(bytes);
    if (now == file.oldPrint) {
      ++result.restored;  // given back before (an undo that was interrupted)
      continue;
    }
    if (now != file.newPrint) {
      result.leftChanged.push_back(file.path);
      continue;
    }
    const std::optional<std::string> old = OldContentOf(bytes, file.spans);
    if (!old || PrintOf(*old) != file.oldPrint) {
      result.failed.emplace_back(file.path, "the journal does not fit the file");
      continue;
    }
    bytes.clear();
    bytes.shrink_to_fit();
    std::string leftBackup;
    const FileError w = WriteFileAtomic(file.path, *old, &leftBackup, &read);
    if (w == FileError::Changed) {
      result.leftChanged.push_back(file.path);  // changed while it was being read
    } else if (w != FileError::None) {
      std::string reason = FileErrorReason(w);
      if (!leftBackup.empty()) reason += " (" + leftBackup + ")";
      result.failed.emplace_back(file.path, reason);
    } else {
      ++result.restored;
    }
  }
  if (result.Complete()) MarkJournalUndone(path);
  return result;
}

std::string LatestUndoableJournal(const std::string& folder) {
  const std::vector<JournalSummary> list = ListReplaceJournals(folder);
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (!it->undone) return it->path;
  return {};
}

}  // namespace norra
