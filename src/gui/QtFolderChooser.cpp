// Shows the folder selection dialog modally and reads the confirmed folder from it.
#include "gui/QtFolderChooser.h"

#include <QApplication>

#include "folderdialog/DiskFolderSystem.h"
#include "folderdialog/FolderDialog.h"
#include "gui/TdlgSelectDirEx.h"

namespace norra {

std::optional<std::string> QtFolderChooser::ChooseFolder(const std::string& startPath) {
  DiskFolderSystem disk;
  FolderDialog logic(disk, ui_, startPath);
  if (logic.FolderState() != FolderDialog::kReady) return std::nullopt;
  TdlgSelectDirEx dialog(logic, owner_ ? owner_.data() : QApplication::activeWindow());
  dialog.exec();
  if (logic.FolderState() != FolderDialog::kReady) return std::nullopt;
  return logic.DirText();
}

}  // namespace norra
