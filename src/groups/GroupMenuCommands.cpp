// Adding the active Page to a group file, and saving the active Page as a member list.
#include "groups/GroupMenuCommands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "groups/FileListMemory.h"
#include "groups/GroupFile.h"
#include "groups/GroupFileNames.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/PathUtil.h"

namespace norra {

void GroupMenuCommands::AddPageToGroup() {
  Page* page = context_.documents.ActivePage();
  if (page == nullptr || !page->HasFile()) return;
  Ui& ui = context_.ui;
  FileDialogRequest request;
  request.filters = GroupFileNames::MenuFilters();
  request.initialFolder = FolderPart(context_.settings.File.GroupPath);
  const FileDialogResult chosen = ui.ShowOpenDialog(request);
  if (!chosen.accepted || chosen.files.empty()) return;
  std::string target = chosen.files.front();
  const std::string& path = page->FilePath();
  // A name typed without its ".tgp" may still name an existing group, whose members stay.
  if (!IsFile(target)) target = GroupFile::WithDefaultExtension(target);

  std::vector<std::string> members;
  if (IsFile(target)) {
    const GroupFileStatus status = GroupFile::Read(target, members);
    if (status != GroupFileStatus::Ok) {
      // Its members are unknown: writing the one path there would lose them.
      if (status == GroupFileStatus::ReadFailed || status == GroupFileStatus::NotMemberList)
        memory_.unreadableGroups.insert(target);
      ui.ShowMessageBox(status == GroupFileStatus::NotMemberList
                            ? GroupFile::NotMemberListMessage(target)
                            : target + "\nの読込み処理中にｴﾗｰ発生",
                        MB_OK | MB_ICONERROR, "Norra");
      return;
    }
    const std::string key = GroupFileNames::CaseKey(path);
    const bool listed = std::any_of(members.begin(), members.end(), [&key](const std::string& m) {
      return GroupFileNames::CaseKey(m) == key;
    });
    if (listed) {
      ui.ShowMessageBox(path + "\nは既に\n" + target + "\nのﾒﾝﾊﾞに含まれています",
                        MB_OK | MB_ICONINFORMATION, "Norra");
    } else {
      members.insert(members.begin(), path);
    }
  } else {
    members = {path};
  }
  if (memory_.unreadableGroups.count(target) != 0) {
    ui.ShowMessageBox(target + "\nは読み込めなかったｸﾞﾙｰﾌﾟﾌｧｲﾙのため、上書きしません",
                      MB_OK | MB_ICONERROR, "Norra");
    return;
  }
  if (GroupFile::Write(target, members) != GroupFileStatus::Ok) {
    ui.ShowMessageBox(target + "\nの保存処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra");
    return;
  }
  context_.settings.AddRecentGroup(target);
}

void GroupMenuCommands::SaveAsMemberList() {
  Page* page = context_.documents.ActivePage();
  if (page == nullptr) return;
  FileDialogRequest request;
  request.filters = GroupFileNames::SaveFilters();
  request.fileName = page->HasFile() ? FileNamePart(page->FilePath()) : std::string();
  request.initialFolder = FolderPart(context_.settings.File.GroupPath);
  request.overwritePrompt = true;
  const FileDialogResult chosen = context_.ui.ShowSaveDialog(request);
  if (!chosen.accepted || chosen.files.empty()) return;
  const std::string name = GroupFile::WithDefaultExtension(chosen.files.front());
  // The dialog asked about the name as typed, not about the one with ".tgp" added.
  if (name != chosen.files.front() && IsFile(name) &&
      context_.ui.ShowMessageBox(name + "\nは既に存在します。上書きしますか?",
                                 MB_YESNOCANCEL | MB_ICONQUESTION, "Norra") != IDYES)
    return;
  if (memory_.unreadableGroups.count(name) != 0) {
    context_.ui.ShowMessageBox(name + "\nは読み込めなかったｸﾞﾙｰﾌﾟﾌｧｲﾙのため、上書きしません",
                               MB_OK | MB_ICONERROR, "Norra");
    return;
  }
  context_.documents.RenamePage(*page, name);
  if (context_.documents.SavePage(*page) == SaveResult::SaveOk)
    context_.settings.AddRecentGroup(name);
  context_.host.UpdateStatusBar();
}

}  // namespace norra
