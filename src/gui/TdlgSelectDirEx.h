// The folder selection dialog (TdlgSelectDirEx): a Qt view over FolderDialog.
#pragma once

#include <QDialog>

#include "folderdialog/FolderDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace norra {

// Each control's objectName is its component name. The tree mirrors the logic's nodes: an
// item carries its node's id (kNodeRole) and image index (kIconRole).
class TdlgSelectDirEx : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kNodeRole = Qt::UserRole + 1;
  static constexpr int kIconRole = Qt::UserRole + 2;

  TdlgSelectDirEx(FolderDialog& logic, QWidget* parent = nullptr);

  QTreeWidget* Tree() const { return tree_; }
  QLineEdit* DirBox() const { return dirBox_; }

  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Rebuilds the items below `item` where they no longer match the logic's nodes.
  void Sync(QTreeWidgetItem* item);
  void SetNodeIcon(QTreeWidgetItem* item, bool selected);
  QTreeWidgetItem* ItemOf(int id) const;
  void Expanded(QTreeWidgetItem* item);
  void CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void DirEdited(const QString& text);

  FolderDialog& logic_;
  QTreeWidget* tree_ = nullptr;
  QLineEdit* dirBox_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool syncing_ = false;  // the view changes itself: its signals are not the user's
  bool opened_ = false;
};

}  // namespace norra
