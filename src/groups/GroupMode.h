// The group mode of the file-list dialog: the members of a group file as the dialog's rows,
// the group file read and written, and the members opened or reloaded.
#pragma once

#include <string>

#include "groups/FileListModes.h"

namespace norra {

class FileListDialog;
struct FileListDialogContext;

class GroupMode {
 public:
  explicit GroupMode(FileListDialog& dialog);

  // The group of the settings' GroupPath, if that file exists; otherwise a new one.
  void SetUp();
  // The group's name (its file's path, or "新グループ") and whether its members changed since
  // they were last written.
  const std::string& Name() const { return groupName_; }
  bool Changed() const { return groupChanged_; }

  // The panel's buttons (cmdMakeNewGroup ... cmdEditByEditor, cmdReleaseFileFromGroup).
  void Command(FileListControl control);
  // cmdDo: the group is written, then its selected members still on the disk open.
  void OpenMembers();
  // cmdWithout: the group is written, then its selected members open or reload from the disk.
  void ReloadMembers();

 private:
  bool AddMember(const std::string& path);
  // With replaceRows, the rows go only once the file was read: a failed load keeps the group.
  bool LoadGroupFile(const std::string& path, bool replaceRows = false);
  int SaveGroupFile();
  int SaveGroupFileAs();
  int WriteGroupTo(const std::string& path);
  bool AskToKeepGroup();
  void SetGroupName(const std::string& name);
  void ClearRows();

  FileListDialog& dialog_;
  const FileListDialogContext& context_;
  std::string groupName_;
  bool groupChanged_ = false;
};

}  // namespace norra
