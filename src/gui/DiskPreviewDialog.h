// The preview of a folder or group replace: the folder and the number of files, each file with
// its count and each hit with its text before and after, checkboxes to leave files and hits
// out, and run / cancel. A thin view: the checks go back into the logic's preview.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace norra {

struct DiskReplacePreview;

class DiskPreviewDialog : public QDialog {
  Q_OBJECT

 public:
  DiskPreviewDialog(QWidget* parent, DiskReplacePreview& preview);

  // The hit's text for the list: CP932 bytes shown as text, line breaks as marks.
  static QString HitText(const std::string& cp932);

 private:
  // The checks of the list into the preview.
  void TakeChecks();

  DiskReplacePreview& preview_;
  QLabel* heading_ = nullptr;
  QTreeWidget* tree_ = nullptr;
};

}  // namespace norra
