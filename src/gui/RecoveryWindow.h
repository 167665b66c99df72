// The recovery dialog's window (frmRecovery): a Qt view over RecoveryDialog.
#pragma once

#include <QDialog>

#include "app/RecoveryDialogPort.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace norra {

// Every control's objectName is its component name: lblRecovery, lvwRecovery (one checkable
// row per copy), cmdRestore (the default button: Enter restores), cmdCancel.
class RecoveryWindow : public QDialog, public RecoveryDialogPort {
  Q_OBJECT

 public:
  explicit RecoveryWindow(QWidget* parent = nullptr);

  // RecoveryDialogPort
  bool Run(RecoveryDialog& dialog) override;

  // The rows of `dialog` shown, without a modal loop (tests); Run uses it.
  void Present(const RecoveryDialog& dialog);
  // The check marks passed on to `dialog`.
  void TakeChecks(RecoveryDialog& dialog) const;

 private:
  QLabel* prompt_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* restore_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace norra
