// The preparation pass and the writes of the batch save modes.
#include "groups/BatchSave.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "documents/Documents.h"
#include "documents/FileStore.h"
#include "documents/Page.h"
#include "documents/PageFiles.h"
#include "documents/SaveBackup.h"
#include "documents/UndoLog.h"
#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/AsciiCase.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

bool SameName(const std::string& a, const std::string& b) { return EqualsIgnoringAsciiCase(a, b); }

}  // namespace

bool BatchSave::EnsureFolder(const std::string& folder) {
  if (folder.empty()) return false;
  if (IsFolder(folder)) return true;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return !error && IsFolder(folder);
}

bool BatchSave::Covers(std::size_t row) const {
  const FileListRow& r = dialog_.Rows()[row];
  return r.selected && r.page != nullptr && (!modifiedOnly_ || r.page->Modified());
}

bool BatchSave::TargetTaken(const std::string& path, std::size_t row) const {
  if (std::any_of(chosen_.begin(), chosen_.end(),
                  [&path](const std::string& c) { return SameName(c, path); }))
    return true;
  const auto& rows = dialog_.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i != row && Covers(i) && !rows[i].NeedsName() && SameName(rows[i].path, path)) return true;
  }
  return false;
}

bool BatchSave::NameUntitledRow(std::size_t row) {
  const FileListDialogContext& context = dialog_.Context();
  Settings& settings = context.settings;
  FileListDialogView& view = dialog_.View();

  view.MoveLeftEdge(context.ui.Screen().width - view.NameColumnWidth());
  dialog_.ShowRow(row);
  context.documents.ActivatePage(dialog_.Rows()[row].page);

  std::string proposed = dialog_.Rows()[row].columns[FileListRow::kName];
  // An untitled name never has a dot; a Page whose file failed to load keeps its own.
  if (proposed.find('.') == std::string::npos) proposed += ".txt";
  for (;;) {
    FileDialogRequest request;
    request.fileName = proposed;
    request.initialFolder = settings.File.CurrentDir;
    request.filters = Documents::FileFilters();
    request.filterIndex = 2;
    const FileDialogResult answer = context.ui.ShowSaveDialog(request);
    if (!answer.accepted || answer.files.empty() || answer.files.front().empty()) {
      dialog_.SetRowSelected(row, false);
      return false;
    }
    std::string path = answer.files.front();
    if (path.front() != '/')
      path = MakeAbsolute(path, settings.File.CurrentDir.empty() ? "/" : settings.File.CurrentDir);
    const int filterIndex = answer.filterIndex == 0 ? request.filterIndex : answer.filterIndex;
    // The dot is looked for in the name only: folders may well have one.
    if (FileNamePart(path).find('.') == std::string::npos && filterIndex == 2) path += ".txt";
    settings.File.CurrentDir = FolderPart(path);

    // Two Pages saved under one name would leave one of them marked saved while the file
    // holds the other's text: a name may serve one row only.
    if (TargetTaken(path, row)) {
      dialog_.Message(path + "\n (ID:" + std::to_string(row + 1) + ")が重複しています",
                      MB_OK | MB_ICONWARNING);
      proposed = path;
      continue;
    }
    if (!dialog_.Files().Exists(path)) {
      dialog_.SetRowPath(row, path);
      chosen_.push_back(path);
      return true;
    }
    const int overwrite = dialog_.Message(path + "\nは既に存在します。上書きしますか?",
                                          MB_YESNOCANCEL | MB_ICONQUESTION);
    if (overwrite == IDYES) {
      dialog_.SetRowPath(row, path);
      chosen_.push_back(path);
      return true;
    }
    dialog_.SetRowSelected(row, false);
    if (overwrite == IDNO) {
      declined_.push_back(dialog_.Rows()[row].page);
      return true;
    }
    return false;
  }
}

bool BatchSave::Prepare(bool modifiedOnly) {
  modifiedOnly_ = modifiedOnly;
  chosen_.clear();
  declined_.clear();
  bool moved = false;
  bool complete = true;
  for (std::size_t i = 0; i < dialog_.Rows().size() && complete; ++i) {
    if (!Covers(i)) continue;
    const FileListRow& row = dialog_.Rows()[i];
    if (row.NeedsName()) {
      moved = true;
      complete = NameUntitledRow(i);
      continue;
    }
    const std::string folder = row.TargetFolder();
    if (!EnsureFolder(folder)) {
      dialog_.ShowRow(i);
      dialog_.Message("保存先ﾌｫﾙﾀﾞ\n" + folder + "\nの作成に失敗しました", MB_OK | MB_ICONERROR);
      dialog_.SetRowSelected(i, false);
      complete = false;
    }
  }
  if (moved) dialog_.View().RestorePosition();
  return complete;
}

bool BatchSave::Save() {
  const FileListDialogContext& context = dialog_.Context();
  std::vector<std::string> paths;
  const std::vector<std::size_t> rows = dialog_.SelectedRowsLastFirst(paths);
  // The texts go to temporaries first and take their names together (see FileStore).
  const std::unique_ptr<FileSetWrite> files = dialog_.Files().WriteTogether(paths);
  FileError error = FileError::None;
  for (std::size_t i = 0; i < rows.size() && error == FileError::None; ++i) {
    const FileListRow& row = dialog_.Rows()[rows[i]];
    try {
      error = row.NeedsName()                           ? FileError::WriteFailed
              : !Documents::FileHoldsText(*row.page) ? FileError::NotEncodable
                                                      : files->Add(paths[i], Documents::FileBytes(*row.page));
    } catch (const std::exception&) {
      error = FileError::WriteFailed;
    }
  }
  // Every text is ready: the old files are kept (when the options say so) before any is
  // replaced. A backup the user will not do without stops the whole batch, nothing written.
  for (std::size_t i = 0; i < paths.size() && error == FileError::None; ++i) {
    if (!BackupBeforeSave(context.settings.File, context.ui, paths[i])) return false;
  }
  std::size_t done = 0;
  error = files->CommitAfter(error, done);
  for (std::size_t i = 0; i < done; ++i) {
    Page& page = *dialog_.Row(rows[i]).page;
    page.SetModified(false);
    if (!context.settings.Edit.KeepLogAfterSave) context.log.DropPageUndo(page);
    context.settings.AddRecentFile(paths[i]);
    context.documents.RenamePage(page, paths[i]);
  }
  if (error != FileError::None) {
    dialog_.Message(BatchSaveErrorText(paths[done] + "\n", error), MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

}  // namespace norra
