// The print panel (fraPrintAll) of the file-list dialog window: range, copies and order, the
// printer's labels, the options button and a print preview.
#pragma once

#include <QObject>
#include <array>

class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace norra {

class FileListDialog;

class FileListPrintPanelView : public QObject {
  Q_OBJECT

 public:
  // Builds the panel's widgets into the frame's row.
  FileListPrintPanelView(QFrame* frame, QHBoxLayout* row);

  QLineEdit* CopiesBox() const { return copies_; }
  // The panel shows this dialog's print state (null: none, the widgets tell nobody).
  void Load(FileListDialog* dialog);
  // The labels and captions again.
  void Refresh();

 private:
  bool Idle() const;  // no action of the dialog is running
  void Preview();

  FileListDialog* dialog_ = nullptr;
  bool syncing_ = false;
  QFrame* frame_;
  QRadioButton* printText_ = nullptr;
  QRadioButton* printSelText_ = nullptr;
  QRadioButton* byPage_ = nullptr;
  QRadioButton* byFile_ = nullptr;
  QRadioButton* byCopy_ = nullptr;
  QLineEdit* copies_ = nullptr;
  std::array<QLabel*, 4> labels_{};
  QPushButton* option_ = nullptr;
  QPushButton* preview_ = nullptr;
};

}  // namespace norra
