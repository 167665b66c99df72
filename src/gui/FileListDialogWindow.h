// The batch file-list dialog window (TfrmFileListView): a Qt view over FileListDialog.
#pragma once

#include <QDialog>
#include <QPoint>
#include <array>
#include <cstddef>

#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"

class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStatusBar;
class QTreeWidget;

namespace norra {

class FileListPrintPanelView;

// One window serves every run of the dialog: each ShowModal rebuilds it from the logic it is
// given, and it forgets that logic when the run ends. Every control's objectName is its
// component name.
class FileListDialogWindow : public QDialog, public FileListDialogView {
  Q_OBJECT

 public:
  explicit FileListDialogWindow(QWidget* parent = nullptr);
  ~FileListDialogWindow() override;

  // FileListDialogView
  void ShowModal(FileListDialog& dialog) override;
  void Close() override;
  void RowsChanged() override;
  void SelectionChanged() override;
  void RowFocused(std::size_t row) override;
  void ControlsChanged() override;
  void StatusChanged() override;
  void FocusControl(FileListControl control) override;
  int NameColumnWidth() const override;
  void MoveLeftEdge(int x) override;
  void RestorePosition() override;
  void RenameEditorChanged() override;

  // The first half of ShowModal: the window shows the dialog's state and is shown, without
  // a modal loop of its own (tests drive it from here). Ends with Detach or Close.
  void Present(FileListDialog& dialog);
  // Forgets the dialog; notifications after this are ignored.
  void Detach();
  FileListDialog* Attached() const { return dialog_; }

  // The widget named after the control (null for kCount).
  QWidget* Widget(FileListControl control) const;
  QTreeWidget* List() const { return list_; }

  // The close box and every other way out of the window: the logic's cancel.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  // The window takes the dialog's state: caption, prompt, columns, rows, controls, status.
  void Load(FileListDialog& dialog);
  void FillRows();
  void ApplySelection();
  void ApplyFocusedRow(std::size_t row);
  void ApplyColumns();
  // The list's selection as the user left it, told to the logic row by row.
  void ListSelectionChanged();
  void ListCurrentChanged();
  // The logic's idle step runs once the events of a user action are through.
  void ScheduleIdle();
  // True when the key went to the logic and was used there.
  bool ForwardKey(QKeyEvent* event);
  // Number boxes take digits and backspace only.
  bool RefuseNumberKey(QObject* watched, QKeyEvent* event) const;
  // Save-as all: the panel's options and the rename editor (FileListDialogWindowSaveAs.cpp).
  void BuildSaveAsAllPanel(QFrame* panel, QHBoxLayout* row);
  void LoadSaveAsAll();
  // The rename editor losing the focus abandons the run.
  void RenameEditorFocusOut(QEvent* event);

  FileListDialog* dialog_ = nullptr;
  bool syncing_ = false;  // the view is copying the logic's state: no echo as user events
  bool idlePending_ = false;
  bool placedOnce_ = false;
  QPoint savedPosition_;

  std::array<QWidget*, static_cast<std::size_t>(FileListControl::kCount)> controls_{};
  QFrame* controlTable_ = nullptr;
  QLabel* prompt_ = nullptr;
  QLabel* icon_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  FileListPrintPanelView* printPanel_ = nullptr;
  std::array<QLabel*, 2> panels_{};
  std::array<int, FileListRow::kColumnCount> columnWidths_{};
  std::array<QRadioButton*, 3> quoteOptions_{};  // optText, optSelText, optPathName
  QLineEdit* renameEditor_ = nullptr;  // txtChangeFileName
  QLineEdit* addExtension_ = nullptr;  // txtAddExp
  QCheckBox* keepOldFiles_ = nullptr;  // chkDontDelFile
  std::array<QRadioButton*, 3> extensionRules_{};  // by ExtensionRule
};

}  // namespace norra
