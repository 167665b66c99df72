// GroupMode: the group file's members in the file-list dialog, and what is done to them.
#include "groups/GroupMode.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/FileStore.h"
#include "documents/Page.h"
#include "documents/PageList.h"
#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"
#include "groups/GroupFile.h"
#include "groups/GroupFileNames.h"
#include "groups/RedrawHold.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr const char* kNewGroup = "新グループ";
constexpr const char* kDiskState = "DISK";
constexpr const char* kLostState = "LOST";
constexpr const char* kShownState = "表示";
constexpr const char* kChangedState = "変更";

}  // namespace

GroupMode::GroupMode(FileListDialog& dialog) : dialog_(dialog), context_(dialog.Context()) {}

void GroupMode::SetUp() {
  using C = FileListControl;
  dialog_.SetControl(C::lblGroupName, kNewGroup, true);
  dialog_.SetControl(C::cmdMakeNewGroup, "新規作成(&N)", true);
  dialog_.SetControl(C::cmdOpenGroup, "読み込む(&L)...", true);
  dialog_.SetControl(C::cmdUpdateGroup, "上書き保存(&S)...", true);
  dialog_.SetControl(C::cmdSaveAsGroup, "名前を付けて保存(&Q)...", true);
  dialog_.SetControl(C::cmdAddFileFromDisk, "ﾃﾞｨｽｸから追加(&P)...", true);
  dialog_.SetControl(C::cmdAddFileFromWindow, "子ｳｲﾝﾄﾞｳを全て追加(&W)", true);
  dialog_.SetControl(C::cmdEditByEditor, "手作業で編集(&H)", true);
  groupName_ = kNewGroup;
  const std::string& path = context_.settings.File.GroupPath;
  if (!path.empty() && IsFile(path)) LoadGroupFile(path);
  groupChanged_ = false;
}

void GroupMode::SetGroupName(const std::string& name) {
  groupName_ = name;
  dialog_.Mutable(FileListControl::lblGroupName).caption = name;
  dialog_.View().ControlsChanged();
}

void GroupMode::ClearRows() {
  dialog_.rows_.clear();
  dialog_.focused_ = FileListDialog::npos;
  dialog_.View().RowsChanged();
  dialog_.SelectionChangedHandler();
  dialog_.RefreshStatus();
}

bool GroupMode::AddMember(const std::string& path) {
  if (path.empty()) return false;
  const std::string key = GroupFileNames::CaseKey(path);
  Page* page = nullptr;
  for (const PageListEntry& entry : context_.documents.List().Entries()) {
    if (entry.page != nullptr && GroupFileNames::CaseKey(entry.page->FilePath()) == key) {
      page = entry.page;
      break;
    }
  }
  std::string state;
  if (page != nullptr) {
    state = page->Modified() ? kChangedState : kShownState;
  } else {
    // A line with a control character names no file the system could open by that name.
    const bool onDisk = GroupFile::IsMemberPath(path) && IsFile(WithoutTrailingSlash(path));
    state = onDisk ? kDiskState : kLostState;
  }
  dialog_.rows_.push_back(FileListRow::Make(path, PageKind::File, page, state, dialog_.rows_.size() + 1));
  return true;
}

bool GroupMode::LoadGroupFile(const std::string& path, bool replaceRows) {
  std::vector<std::string> members;
  const GroupFileStatus status = GroupFile::Read(path, members);
  if (status != GroupFileStatus::Ok) {
    // Either way its members are unknown, and writing the list there would destroy the file.
    if (status == GroupFileStatus::ReadFailed || status == GroupFileStatus::NotMemberList)
      dialog_.Memory().unreadableGroups.insert(path);
    dialog_.Message(status == GroupFileStatus::NotMemberList ? GroupFile::NotMemberListMessage(path)
                                                             : path + "\nの読込み処理中にｴﾗｰ発生",
                    MB_OK | MB_ICONERROR);
    return false;
  }
  if (replaceRows) ClearRows();
  for (const std::string& member : members) AddMember(member);
  // By state, ascending, and the direction left ascending.
  dialog_.sortDirection_ = 1;
  dialog_.SortBy(FileListRow::kState);
  dialog_.sortDirection_ = 1;
  if (!dialog_.rows_.empty()) {
    dialog_.focused_ = 0;
    dialog_.View().RowFocused(0);
  }
  dialog_.SelectionChangedHandler();
  context_.settings.AddRecentGroup(path);
  SetGroupName(path);
  return true;
}

int GroupMode::WriteGroupTo(const std::string& path) {
  if (dialog_.Memory().unreadableGroups.count(path) != 0) {
    dialog_.Message(path + "\nは読み込めなかったｸﾞﾙｰﾌﾟﾌｧｲﾙのため、上書きしません", MB_OK | MB_ICONERROR);
    return 16;
  }
  std::vector<std::string> members;
  members.reserve(dialog_.rows_.size());
  for (const FileListRow& row : dialog_.rows_) {
    if (row.selected) members.push_back(row.path);
  }
  for (const FileListRow& row : dialog_.rows_) {
    if (!row.selected) members.push_back(row.path);
  }
  if (GroupFile::Write(path, members) != GroupFileStatus::Ok) {
    dialog_.Message(path + "\nの保存処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR);
    return 16;
  }
  return 1;
}

int GroupMode::SaveGroupFile() {
  if (groupName_ == kNewGroup || !IsFile(groupName_)) return SaveGroupFileAs();
  if (WriteGroupTo(groupName_) != 1) return 16;
  context_.settings.File.GroupPath = groupName_;
  context_.settings.AddRecentGroup(groupName_);
  groupChanged_ = false;
  return 1;
}

int GroupMode::SaveGroupFileAs() {
  std::string proposed = FileNamePart(groupName_);
  if (proposed.empty()) return 16;
  if (proposed.find('.') == std::string::npos) proposed += ".tgp";
  FileDialogRequest request;
  request.fileName = proposed;
  request.initialFolder =
      groupName_ == kNewGroup ? context_.settings.File.CurrentDir : FolderPart(groupName_);
  request.filters = GroupFileNames::SaveFilters();
  request.overwritePrompt = true;
  const FileDialogResult chosen = context_.ui.ShowSaveDialog(request);
  if (!chosen.accepted || chosen.files.empty()) return 2;
  const std::string path = GroupFile::WithDefaultExtension(chosen.files.front());
  // The dialog asked about the name as typed, not about the one with ".tgp" added.
  if (path != chosen.files.front() && dialog_.files_.Exists(path) &&
      dialog_.Message(path + "\nは既に存在します。上書きしますか?", MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES)
    return 2;
  if (WriteGroupTo(path) != 1) return 16;
  groupChanged_ = false;
  SetGroupName(path);
  context_.settings.File.GroupPath = path;
  context_.settings.AddRecentGroup(path);
  return 1;
}

bool GroupMode::AskToKeepGroup() {
  if (!groupChanged_) return true;
  const int answer =
      dialog_.Message(groupName_ + "は変更されています。保存しますか？", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDNO) return true;
  if (answer == IDYES) return SaveGroupFile() == 1;
  return false;
}

void GroupMode::Command(FileListControl control) {
  using C = FileListControl;
  switch (control) {
    case C::cmdMakeNewGroup:
      if (!AskToKeepGroup()) return;
      ClearRows();
      SetGroupName(kNewGroup);
      break;
    case C::cmdOpenGroup: {
      if (!AskToKeepGroup()) return;
      FileDialogRequest request;
      request.filters = GroupFileNames::LoadFilters();
      request.mustExist = true;
      request.initialFolder = groupName_ == kNewGroup ? std::string() : FolderPart(groupName_);
      const FileDialogResult chosen = context_.ui.ShowOpenDialog(request);
      if (!chosen.accepted || chosen.files.empty()) return;
      LoadGroupFile(chosen.files.front(), true);
      dialog_.View().RowsChanged();
      break;
    }
    case C::cmdUpdateGroup:
      SaveGroupFile();
      break;
    case C::cmdSaveAsGroup:
      SaveGroupFileAs();
      break;
    case C::cmdAddFileFromDisk: {
      FileDialogRequest request;
      request.filters = {{"すべてのﾌｧｲﾙ", "*.*"}, {"ﾃｷｽﾄﾌｧｲﾙ", "*.txt"}};
      request.multiSelect = true;
      request.mustExist = true;
      request.initialFolder = context_.settings.File.CurrentDir;
      const FileDialogResult chosen = context_.ui.ShowOpenDialog(request);
      if (!chosen.accepted || chosen.files.empty()) return;
      for (const std::string& file : chosen.files) AddMember(file);
      dialog_.View().RowsChanged();
      dialog_.View().FocusControl(C::lvwFileName);
      groupChanged_ = true;
      dialog_.RefreshStatus();
      break;
    }
    case C::cmdAddFileFromWindow: {
      std::vector<std::string> listed;
      listed.reserve(dialog_.rows_.size());
      for (const FileListRow& row : dialog_.rows_) listed.push_back(GroupFileNames::CaseKey(row.path));
      for (const PageListEntry& entry : context_.documents.List().Entries()) {
        if (entry.page == nullptr || !entry.page->HasFile()) continue;  // untitled Pages
        const std::string& path = entry.page->FilePath();
        if (std::find(listed.begin(), listed.end(), GroupFileNames::CaseKey(path)) != listed.end())
          continue;
        AddMember(path);
      }
      dialog_.View().RowsChanged();
      dialog_.RefreshStatus();
      break;
    }
    case C::cmdReleaseFileFromGroup: {
      // In one pass: a long list with every other row selected stays quick.
      std::vector<FileListRow>& rows = dialog_.rows_;
      std::erase_if(rows, [](const FileListRow& row) { return row.selected; });
      if (dialog_.focused_ >= rows.size()) dialog_.focused_ = rows.empty() ? FileListDialog::npos : rows.size() - 1;
      groupChanged_ = true;
      dialog_.View().RowsChanged();
      dialog_.SelectionChangedHandler();
      dialog_.RefreshStatus();
      break;
    }
    case C::cmdEditByEditor: {
      for (std::size_t i = 0; i < dialog_.rows_.size(); ++i) dialog_.SetRowSelected(i, false);
      if (SaveGroupFile() != 1) return;
      RedrawHold hold(dialog_);
      context_.documents.OpenPage(context_.settings.File.GroupPath, true);
      hold.Finish(kListDialogDone);
      break;
    }
    default:
      break;
  }
}

void GroupMode::OpenMembers() {
  if (SaveGroupFile() != 1) return;
  Documents& documents = context_.documents;
  RedrawHold hold(dialog_);
  const std::vector<std::size_t> selected = dialog_.SelectedRows();
  try {
    // Members already open, or gone from the disk, are skipped; a file gone since the list was
    // made is reported by the open itself.
    Documents::OpenBatch batch(documents);
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
      const FileListRow& row = dialog_.rows_[*it];
      if (row.columns[FileListRow::kState] == kDiskState) documents.OpenPage(row.path, true);
    }
  } catch (const std::exception&) {
    // An unexpected failure ends the loop; what opened stays open.
  }
  hold.Finish(kListDialogDone);
}

void GroupMode::ReloadMembers() {
  if (SaveGroupFile() != 1) return;
  for (std::size_t i = dialog_.rows_.size(); i-- > 0;) {
    const FileListRow& row = dialog_.rows_[i];
    if (!row.selected || row.columns[FileListRow::kState] != kChangedState) continue;
    dialog_.ShowRow(i);
    const int answer = dialog_.Message(row.path +
                                   "\nは変更されています。\nﾃﾞｨｽｸから再読込みすると\n現在の変更は"
                                   "失われます\nよろしいですか?",
                               MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) {
      dialog_.SetRowSelected(i, false);
    } else if (answer != IDYES) {
      return;  // the dialog stays open, nothing reloaded
    }
  }

  Documents& documents = context_.documents;
  RedrawHold hold(dialog_);
  const std::vector<std::size_t> selected = dialog_.SelectedRows();
  const FileListRow* failed = nullptr;
  {
    Documents::OpenBatch batch(documents);
    for (auto it = selected.rbegin(); it != selected.rend() && failed == nullptr; ++it) {
      const FileListRow& row = dialog_.rows_[*it];
      const std::string& state = row.columns[FileListRow::kState];
      if (state == kLostState) continue;
      bool ok = true;
      try {
        if (state == kDiskState) {
          documents.OpenPage(row.path, true);
        } else if (row.page != nullptr) {
          ok = dialog_.ReloadWithinLimit(*row.page);
        }
      } catch (const std::exception&) {
        ok = false;
      }
      if (!ok) {
        dialog_.ShowRow(*it);
        failed = &row;
      }
    }
  }
  if (failed != nullptr)
    dialog_.Message(failed->path + "\nの読込み処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR);
  hold.Finish(kListDialogDone);
}

}  // namespace norra
