// The controls each running action of the file-list dialog listens to.
#include "groups/FileListAction.h"

#include "groups/FileListDialog.h"

namespace norra {

bool ClickLiveDuring(FileListAction action, FileListControl control) {
  switch (action) {
    case FileListAction::None:
      return true;
    case FileListAction::PrintRun:
      return control == FileListControl::cmdDo;
    case FileListAction::Plain:
    case FileListAction::RenameRun:
      return false;
  }
  return false;
}

bool KeysLiveDuring(FileListAction action) {
  return action == FileListAction::None || action == FileListAction::RenameRun;
}

}  // namespace norra
