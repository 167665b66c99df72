// The backup step of a save.
#include "documents/SaveBackup.h"

#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/FileBackup.h"
#include "text/PathUtil.h"

namespace norra {

bool BackupBeforeSave(const FileSettings& file, Ui& ui, const std::string& path) {
  if (!file.MakeBackup || !IsFile(path) || !MayReplaceFile(path)) return true;
  const std::string backup = BackupPathOf(path, file.BackupFolder);
  const FileError error = CopyToBackup(path, backup);
  if (error == FileError::None) return true;
  const int answer = ui.ShowMessageBox("ﾊﾞｯｸｱｯﾌﾟを作成できません。\n" + backup + "\n(" +
                                           FileErrorReason(error) + ")\n\nﾊﾞｯｸｱｯﾌﾟ無しで保存しますか?",
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, "Norra");
  return answer == IDYES;
}

}  // namespace norra
