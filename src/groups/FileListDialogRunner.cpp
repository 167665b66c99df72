// One modal run of the batch file-list dialog.
#include "groups/FileListDialogRunner.h"

#include <exception>

#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"

namespace norra {

int FileListDialogRunner::Run(ListDialogMode mode) {
  if (!context_) return kListDialogFailed;
  try {
    FileListDialog dialog(*context_, mode);
    if (dialog.DialogResult() == kListDialogNothingToShow) return kListDialogNothingToShow;
    dialog.AttachView(&view_);
    dialog.Showing();
    view_.ShowModal(dialog);
    const int result = dialog.DialogResult();
    dialog.AttachView(nullptr);
    return result;
  } catch (const std::exception&) {
    return kListDialogFailed;
  }
}

}  // namespace norra
