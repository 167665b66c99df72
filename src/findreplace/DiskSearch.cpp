// The folder and group commands of replace all, and the read-replace-write step per file.
#include "findreplace/DiskSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <new>
#include <utility>

#include "engine/SearchEngine.h"
#include "findreplace/FolderEnumerator.h"
#include "findreplace/LineBreaks.h"
#include "groups/GroupFile.h"
#include "platform/Ui.h"
#include "text/FileIo.h"
#include "text/FileMask.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

// The identity of a regular file (links followed), or false when the path names none.
bool RegularFileId(const std::string& path, std::pair<dev_t, ino_t>& id) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  id = {st.st_dev, st.st_ino};
  return true;
}

}  // namespace

DiskSearch::DiskSearch(SearchEngine& engine, Ui& ui) : engine_(engine), ui_(ui) {}

std::string DiskSearch::FolderOf(std::string_view folderText) {
  std::string folder(folderText);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string DiskSearch::DoneMessage(std::int64_t replaceCount) {
  return "置換終了しました。\n(現在の条件での置換数 : " + std::to_string(replaceCount) + ")";
}

DiskSearchEnd DiskSearch::CollectFolderFiles(const DiskSearchRequest& request,
                                             std::vector<std::string>& files) {
  files.clear();
  const std::string folder = FolderOf(request.folderText);
  if (folder.empty() || !IsFolder(folder)) {
    ui_.ShowMessageBox(kNoFolder, MB_OK | MB_ICONWARNING, kCaptionFolder);
    return DiskSearchEnd::Refused;
  }
  // An empty list would list nothing at all; the window always gives at least "*".
  std::vector<std::string> masks = request.fileMasks;
  if (masks.empty()) masks.push_back("*");
  files = EnumerateFolderFiles(folder, masks, request.subFolders);
  if (files.empty()) {
    ui_.ShowMessageBox(kNoFiles, MB_OK | MB_ICONINFORMATION, kCaptionFolder);
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
  std::vector<std::pair<dev_t, ino_t>> seen;
  for (const std::string& line : members) {
    if (!MatchesAnyMaskUtf8Name(line, request.fileMasks)) continue;
    std::pair<dev_t, ino_t> id;
    if (!RegularFileId(line, id)) continue;  // not a file: skipped without a message
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
    seen.push_back(id);
    files.push_back(line);
  }
  return DiskSearchEnd::Completed;
}

FileOutcome DiskSearch::ReplaceInFile(const std::string& path, bool dryRun, std::string* newText) {
  lastFailure_.clear();
  std::string bytes;
  if (FileError e = ReadWholeFile(path, bytes); e != FileError::None) {
    lastFailure_ = FileErrorName(e);
    return FileOutcome::ReadFailed;
  }
  const std::string_view lineBreak = RewriteLineBreak(bytes);
  // The engine sees every line ended by CR LF. A file already in that form is not copied;
  // otherwise the old bytes are dropped at once unless the caller wants them back.
  std::string text;
  const bool textIsOriginal = IsJoinedWith(bytes, kCrLf);
  if (textIsOriginal) {
    text = std::move(bytes);
  } else {
    text = JoinLinesWith(bytes, kCrLf);
    if (!newText) std::string().swap(bytes);
  }
  // The file's content when it stays as it is.
  auto keepOriginal = [&] {
    if (newText) *newText = textIsOriginal ? std::move(text) : std::move(bytes);
  };

  const std::int64_t before = engine_.ReplaceCount;
  bool replacedOk = false;
  try {
    replacedOk = engine_.ReplaceAllInText(text);
  } catch (...) {
    engine_.ReplaceCount = before;  // the count names only replacements that reached a file
    throw;
  }
  if (!replacedOk) {
    engine_.ReplaceCount = before;
    lastFailure_ = "the search engine failed on this file";
    keepOriginal();
    return FileOutcome::EngineFailed;
  }
  if (engine_.ReplaceCount <= before) {
    keepOriginal();  // the engine leaves the text alone when it replaced nothing
    return FileOutcome::Unchanged;
  }

  // Split the new text again and end every line with the file's break.
  if (!IsJoinedWith(text, lineBreak)) text = JoinLinesWith(text, lineBreak);
  if (newText) {
    *newText = std::move(text);
    return FileOutcome::Replaced;
  }
  if (dryRun) return FileOutcome::Replaced;
  if (FileError e = WriteFileAtomic(path, text); e != FileError::None) {
    engine_.ReplaceCount = before;  // nothing of this file reached the disk
    lastFailure_ = FileErrorName(e);
    return FileOutcome::WriteFailed;
  }
  return FileOutcome::Replaced;
}

DiskSearchResult DiskSearch::RunFiles(const std::vector<std::string>& files, bool dryRun,
                                      std::string_view caption) {
  DiskSearchResult result;
  engine_.ReplaceCount = 0;
  engine_.PreFoldedText = true;  // a replace-all
  try {
    for (const std::string& path : files) {
      FileOutcome outcome = ReplaceInFile(path, dryRun);
      if (outcome == FileOutcome::ReadFailed || outcome == FileOutcome::WriteFailed) {
        // The run ends here without a message; files rewritten before stay rewritten.
        result.end = DiskSearchEnd::Stopped;
        result.stoppedAt = path;
        result.stopReason = lastFailure_;
        result.replaceCount = engine_.ReplaceCount;
        return result;
      }
      ++result.filesVisited;
      if (outcome == FileOutcome::Replaced) ++result.filesChanged;
      ui_.ProcessPendingEvents();
    }
  } catch (const EngineAbort&) {
    result.end = DiskSearchEnd::Stopped;
    result.stopReason = "the search engine abandoned the run";
  } catch (const std::bad_alloc&) {
    result.end = DiskSearchEnd::Stopped;
    result.stopReason = "out of memory";
  }
  if (result.end == DiskSearchEnd::Stopped) {
    if (result.filesVisited < static_cast<int>(files.size()))
      result.stoppedAt = files[static_cast<std::size_t>(result.filesVisited)];
    result.replaceCount = engine_.ReplaceCount;
    return result;
  }

  result.replaceCount = engine_.ReplaceCount;
  if (engine_.ReplaceCount < 1) {
    ui_.ShowMessageBox(kNotFound, MB_OK | MB_ICONINFORMATION, caption);
  } else {
    ui_.ShowMessageBox(DoneMessage(engine_.ReplaceCount), MB_OK | MB_ICONINFORMATION, caption);
  }
  engine_.RunReset();
  return result;
}

DiskSearchResult DiskSearch::RunFolder(const DiskSearchRequest& request) {
  std::vector<std::string> files;
  DiskSearchEnd end = CollectFolderFiles(request, files);
  if (end != DiskSearchEnd::Completed) {
    DiskSearchResult result;
    result.end = end;
    return result;
  }
  return RunFiles(files, request.dryRun, kCaptionFolder);
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
