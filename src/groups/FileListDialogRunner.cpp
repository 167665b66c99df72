// One modal run of the batch file-list dialog.
#include "groups/FileListDialogRunner.h"

#include <exception>

#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"
#include "groups/GroupMenuCommands.h"

namespace norra {

int FileListDialogRunner::Run(ListDialogMode mode) {
  if (!context_) return kListDialogFailed;
  try {
    FileListDialogContext context = *context_;
    if (context.memory == nullptr) context.memory = &memory_;
    FileListDialog dialog(context, mode);
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

void FileListDialogRunner::AddPageToGroup() {
  if (!context_) return;
  GroupMenuCommands(*context_, context_->memory != nullptr ? *context_->memory : memory_)
      .AddPageToGroup();
}

void FileListDialogRunner::SaveAsMemberList() {
  if (!context_) return;
  GroupMenuCommands(*context_, context_->memory != nullptr ? *context_->memory : memory_)
      .SaveAsMemberList();
}

}  // namespace norra
