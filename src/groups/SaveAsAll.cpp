// Save-as all: the folder change, the reset, the rename run and the checked save.
#include "groups/SaveAsAll.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/FileStore.h"
#include "documents/Page.h"
#include "documents/PageFiles.h"
#include "documents/UndoLog.h"
#include "groups/BatchSave.h"
#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"
#include "platform/FolderChooser.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"

namespace norra {

void SaveAsAll::SetRowPath(std::size_t row, const std::string& path) {
  dialog_.SetRowPath(row, path);
}

// ---- the plan ----

void SaveAsAll::ChangeFolder() {
  const FileListDialogContext& context = dialog_.Context();
  if (dialog_.SelectedCount() == 0 || context.folders == nullptr) return;
  Settings& settings = context.settings;
  std::optional<std::string> chosen = context.folders->ChooseFolder(settings.File.CurrentDir);
  if (!chosen) return;
  std::string folder = *chosen;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  for (std::size_t row : dialog_.SelectedRows())
    SetRowPath(row, folder + "/" + dialog_.Rows()[row].columns[FileListRow::kName]);
  settings.File.CurrentDir = folder + "/";
}

void SaveAsAll::Reset() {
  if (dialog_.SelectedCount() == 0) return;
  const int answer = dialog_.Message("選択されているﾌｧｲﾙの保存先を元に戻します。\nよろしいですか?",
                                     MB_OKCANCEL | MB_ICONQUESTION);
  if (answer != IDOK) return;
  for (std::size_t row : dialog_.SelectedRows()) {
    const Page* page = dialog_.Rows()[row].page;
    if (page != nullptr) SetRowPath(row, page->FilePath());
  }
}

// ---- the rename run ----

void SaveAsAll::StartRename() {
  const std::vector<std::size_t> selected = dialog_.SelectedRows();
  if (selected.empty() || Renaming()) return;
  const FileListDialogContext& context = dialog_.Context();
  FileListDialogView& view = dialog_.View();
  plan_.starting.clear();
  for (const FileListRow& row : dialog_.Rows()) plan_.starting.push_back(row.path);
  plan_.planned = plan_.starting;
  first_ = selected.front();
  last_ = selected.back();
  extension_ = RenamePlan::NormalExtension(addExtension_);
  dialog_.SetRunning(FileListAction::RenameRun);
  view.MoveLeftEdge(context.ui.Screen().width - view.NameColumnWidth() - 5);
  editor_.row = first_;
  ShowEditor();
}

void SaveAsAll::ShowEditor() {
  const std::size_t row = editor_.row;
  dialog_.ShowRow(row);
  if (Page* page = dialog_.Rows()[row].page) dialog_.Context().documents.ActivatePage(page);
  editor_.text = RenamePlan::Propose(dialog_.Rows()[row].path, rule_, extension_);
  const auto [start, length] = RenamePlan::BaseName(editor_.text);
  editor_.selStart = start;
  editor_.selLength = length;
  editor_.visible = true;
  dialog_.View().RenameEditorChanged();
}

void SaveAsAll::EditorTextChanged(std::string text) {
  if (Renaming()) editor_.text = std::move(text);
}

void SaveAsAll::Commit() {
  plan_.planned[editor_.row] = editor_.text;
  SetRowPath(editor_.row, editor_.text);
}

void SaveAsAll::Advance(int step) {
  std::size_t row = editor_.row;
  do {
    row = step > 0 ? row + 1 : row - 1;
  } while (row > first_ && row < last_ && !dialog_.Rows()[row].selected);
  editor_.row = row;
  ShowEditor();
}

bool SaveAsAll::EditorKey(int key) {
  if (!Renaming()) return false;
  // Two rows aimed at one file cannot both be saved: the text must be unique to go on.
  const bool taken = plan_.TakenByOther(editor_.text, editor_.row);
  switch (key) {
    case kKeyReturn:
      if (!taken) {
        Commit();
        EndRun();
      }
      return true;
    case kKeyDown:
      if (!taken && editor_.row != last_) {
        Commit();
        Advance(+1);
      }
      return true;
    case kKeyUp:
      if (!taken && editor_.row != first_) {
        Commit();
        Advance(-1);
      }
      return true;
    case kKeyEscape:
      Abandon();
      return true;
    default:
      return false;
  }
}

void SaveAsAll::EditorLostFocus() {
  if (Renaming()) Abandon();
}

void SaveAsAll::Abandon() {
  const std::size_t count = std::min(plan_.starting.size(), dialog_.Rows().size());
  for (std::size_t row = 0; row < count; ++row) {
    if (dialog_.Rows()[row].selected && dialog_.Rows()[row].path != plan_.starting[row])
      SetRowPath(row, plan_.starting[row]);
  }
  EndRun();
}

void SaveAsAll::EndRun() {
  editor_.visible = false;
  FileListDialogView& view = dialog_.View();
  view.RenameEditorChanged();
  dialog_.SetRunning(FileListAction::None);
  view.RestorePosition();
  view.FocusControl(FileListControl::lvwFileName);
}

// ---- the save ----

bool SaveAsAll::Check() {
  const std::vector<std::size_t> selected = dialog_.SelectedRows();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    const std::string& path = dialog_.Rows()[*it].path;
    if (!RenamePlan::HasFolder(path)) {
      dialog_.ShowRow(*it);
      dialog_.Message(path + "\n (ID:" + Id(*it) + ")の保存先が未指定です", MB_OK | MB_ICONWARNING);
      return false;
    }
    const std::string folder = RenamePlan::FolderOf(path);
    if (!BatchSave::EnsureFolder(folder)) {
      dialog_.ShowRow(*it);
      dialog_.Message("保存先フォルダ\n" + folder + "\n (ID:" + Id(*it) + ")の作成に失敗しました",
                      MB_OK | MB_ICONERROR);
      return false;
    }
    if (plan_.TakenByOther(path, *it) || StaysAt(path, *it)) {
      dialog_.ShowRow(*it);
      dialog_.Message(path + "\n (ID:" + Id(*it) + ")が重複しています", MB_OK | MB_ICONWARNING);
      return false;
    }
  }
  return true;
}

// Writing there would overwrite the text that Page shows and leave two Pages on one file.
bool SaveAsAll::StaysAt(const std::string& path, std::size_t row) const {
  const std::vector<FileListRow>& rows = dialog_.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Page* page = rows[i].page;
    if (i != row && !rows[i].selected && page != nullptr && page->HasFile() &&
        page->FilePath() == path)
      return true;
  }
  return false;
}

bool SaveAsAll::Confirm() {
  const FileListDialogContext& context = dialog_.Context();
  for (std::size_t row : dialog_.SelectedRows()) {
    const std::string path = dialog_.Rows()[row].path;
    if (!dialog_.Files().Exists(path)) continue;
    dialog_.ShowRow(row);
    const int answer = context.ui.ShowMessageBox(
        path + "\n (ID:" + Id(row) + ")はﾃﾞｨｽｸ上に既に存在します。\n上書きしますか?",
        MB_YESNOCANCEL | MB_ICONQUESTION, "確認保存");
    if (answer == IDNO) {
      dialog_.SetRowSelected(row, false);
    } else if (answer != IDYES) {
      return false;
    }
  }
  return true;
}

bool SaveAsAll::Write() {
  const FileListDialogContext& context = dialog_.Context();
  Settings& settings = context.settings;
  std::vector<std::string> paths;
  const std::vector<std::size_t> rows = dialog_.SelectedRowsLastFirst(paths);

  // Every text goes to a temporary first; then all take their names together, so that rows
  // that swap files never leave one text only in memory, whatever moment the program dies at.
  const std::unique_ptr<FileSetWrite> files = dialog_.Files().WriteTogether(paths);
  std::size_t added = 0;
  bool failed = false;
  FileError error = FileError::None;
  for (; added < rows.size(); ++added) {
    const std::size_t row = rows[added];
    const std::string& path = paths[added];
    const Page* page = dialog_.Rows()[row].page;
    // Only a Page that names a file of its own has an old file. An old path that another row
    // aims at (rows swapping files), or one that reaches the file written (another letter
    // case on a case-insensitive disk, a link), is a new file and stays.
    std::string removeAfter;
    if (page != nullptr && !keepOldFiles_ && page->HasFile()) {
      const std::string& old = page->FilePath();
      std::error_code ignored;
      if (path != old && !plan_.TakenByOther(old, row) && !std::filesystem::equivalent(old, path, ignored))
        removeAfter = old;
    }
    error = page == nullptr                      ? FileError::WriteFailed
            : !Documents::FileHoldsText(*page) ? FileError::NotEncodable
                                                : files->Add(path, Documents::FileBytes(*page), removeAfter);
    if (error != FileError::None) {
      failed = true;
      break;
    }
  }
  std::size_t done = 0;
  error = files->CommitAfter(error, done);
  failed = error != FileError::None;

  for (std::size_t i = 0; i < done; ++i) {
    const std::size_t row = rows[i];
    Page* page = dialog_.Rows()[row].page;
    const std::string& path = paths[i];
    page->SetModified(false);
    if (!settings.Edit.KeepLogAfterSave) context.log.DropPageUndo(*page);
    if (!keepOldFiles_) {
      const std::string old = page->FilePath();
      auto& recent = settings.File.RecentFiles;
      recent.erase(std::remove(recent.begin(), recent.end(), old), recent.end());
    }
    settings.AddRecentFile(path);
    context.documents.RenamePage(*page, path);
  }
  if (failed) {
    const std::size_t row = rows[done];
    dialog_.ShowRow(row);
    dialog_.Message(BatchSaveErrorText(paths[done] + "\n (ID:" + Id(row) + ")", error),
                    MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void SaveAsAll::Save(bool confirm) {
  if (dialog_.SelectedCount() == 0 || Renaming()) return;
  plan_.planned.clear();
  for (const FileListRow& row : dialog_.Rows()) plan_.planned.push_back(row.path);
  if (!Check()) return;
  // A row left out at a question stays on its file: the targets are checked again.
  if (confirm && (!Confirm() || !Check())) return;
  const bool written = Write();
  dialog_.Context().host.UpdateStatusBar();
  if (written) dialog_.Finish(confirm ? kListDialogDone : kListDialogDoneSecond);
}

}  // namespace norra
