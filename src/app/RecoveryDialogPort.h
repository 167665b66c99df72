// What the main window needs of the recovery dialog's window.
#pragma once

namespace norra {

class RecoveryDialog;

class RecoveryDialogPort {
 public:
  virtual ~RecoveryDialogPort() = default;
  // Shows the rows of `dialog` modally, passing the user's check marks on to it; true when the
  // user chose to restore, false when the dialog was cancelled. The caller then calls Finish.
  virtual bool Run(RecoveryDialog& dialog) = 0;
};

}  // namespace norra
