// The folder selection dialog's controls, kept in step with the logic's tree and edit box.
#include "gui/TdlgSelectDirEx.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

namespace norra {

namespace {

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QIcon IconOf(FolderIcon icon, const QStyle* style) {
  switch (icon) {
    case FolderIcon::Root:
      return style->standardIcon(QStyle::SP_ComputerIcon);
    case FolderIcon::Folder:
      return style->standardIcon(QStyle::SP_DirClosedIcon);
    case FolderIcon::FolderSelected:
      return style->standardIcon(QStyle::SP_DirOpenIcon);
    case FolderIcon::Removable:
      return style->standardIcon(QStyle::SP_DriveFDIcon);
    case FolderIcon::Network:
      return style->standardIcon(QStyle::SP_DriveNetIcon);
    case FolderIcon::CdRom:
      return style->standardIcon(QStyle::SP_DriveCDIcon);
    case FolderIcon::UnknownDrive:
    case FolderIcon::Fixed:
    case FolderIcon::RamDisk:
      break;
  }
  return style->standardIcon(QStyle::SP_DriveHDIcon);
}

}  // namespace

TdlgSelectDirEx::TdlgSelectDirEx(FolderDialog& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
  setObjectName(QStringLiteral("dlgSelectDirEx"));
  setWindowTitle(QStringLiteral("ﾌｫﾙﾀﾞの選択"));
  setModal(true);
  resize(340, 380);

  auto* label1 = new QLabel(QStringLiteral("ﾌｫﾙﾀﾞを選択して [OK] を押して下さい"), this);
  label1->setObjectName(QStringLiteral("Label1"));
  auto* label2 = new QLabel(QStringLiteral("現在のﾌｫﾙﾀﾞ構造(&T)"), this);
  label2->setObjectName(QStringLiteral("Label2"));
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("tvwDir"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setSortingEnabled(false);  // the logic keeps the children sorted
  label2->setBuddy(tree_);
  auto* label3 = new QLabel(QStringLiteral("選択したﾌｫﾙﾀﾞ(&D)"), this);
  label3->setObjectName(QStringLiteral("Label3"));
  dirBox_ = new QLineEdit(this);
  dirBox_->setObjectName(QStringLiteral("txtDir"));
  label3->setBuddy(dirBox_);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("cmdOK"));
  ok_->setDefault(true);
  ok_->setEnabled(logic_.OkEnabled());
  cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel_->setObjectName(QStringLiteral("cmdCancel"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addWidget(label2);
  layout->addWidget(tree_, 1);
  layout->addWidget(label3);
  layout->addWidget(dirBox_);
  layout->addLayout(buttons);

  // The root node and the drives, as built with the logic.
  auto* root = new QTreeWidgetItem(tree_);
  root->setData(0, kNodeRole, FolderDialog::kRoot);
  root->setText(0, Text(logic_.Node(FolderDialog::kRoot).caption));
  SetNodeIcon(root, false);
  Sync(root);

  connect(tree_, &QTreeWidget::itemExpanded, this, &TdlgSelectDirEx::Expanded);
  connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (!syncing_) logic_.Collapse(item->data(0, kNodeRole).toInt());
  });
  connect(tree_, &QTreeWidget::currentItemChanged, this, &TdlgSelectDirEx::CurrentChanged);
  connect(dirBox_, &QLineEdit::textChanged, this, &TdlgSelectDirEx::DirEdited);
  connect(ok_, &QPushButton::clicked, this, &TdlgSelectDirEx::accept);
  connect(cancel_, &QPushButton::clicked, this, &TdlgSelectDirEx::reject);
}

void TdlgSelectDirEx::SetNodeIcon(QTreeWidgetItem* item, bool selected) {
  const FolderNode& node = logic_.Node(item->data(0, kNodeRole).toInt());
  const FolderIcon icon = selected ? node.selectedIcon : node.icon;
  item->setIcon(0, IconOf(icon, style()));
  item->setData(0, kIconRole, static_cast<int>(icon));
}

void TdlgSelectDirEx::Sync(QTreeWidgetItem* item) {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  const int id = item->data(0, kNodeRole).toInt();
  const std::vector<int>& children = logic_.Node(id).children;
  bool same = item->childCount() == static_cast<int>(children.size());
  for (int i = 0; same && i < item->childCount(); ++i) {
    same = item->child(i)->data(0, kNodeRole).toInt() == children[i];
  }
  if (!same) {
    qDeleteAll(item->takeChildren());
    for (int child : children) {
      auto* childItem = new QTreeWidgetItem(item);
      childItem->setData(0, kNodeRole, child);
      childItem->setText(0, Text(logic_.Node(child).caption));
      SetNodeIcon(childItem, false);
    }
  }
  for (int i = 0; i < item->childCount(); ++i) Sync(item->child(i));
  item->setExpanded(logic_.Node(id).expanded && item->childCount() > 0);
  syncing_ = wasSyncing;
}

QTreeWidgetItem* TdlgSelectDirEx::ItemOf(int id) const {
  std::function<QTreeWidgetItem*(QTreeWidgetItem*)> find = [&](QTreeWidgetItem* item) {
    if (item->data(0, kNodeRole).toInt() == id) return item;
    for (int i = 0; i < item->childCount(); ++i) {
      if (QTreeWidgetItem* found = find(item->child(i))) return found;
    }
    return static_cast<QTreeWidgetItem*>(nullptr);
  };
  return tree_->topLevelItemCount() > 0 ? find(tree_->topLevelItem(0)) : nullptr;
}

void TdlgSelectDirEx::Expanded(QTreeWidgetItem* item) {
  if (syncing_) return;
  logic_.Expand(item->data(0, kNodeRole).toInt());
  Sync(item);
}

void TdlgSelectDirEx::CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (previous != nullptr) SetNodeIcon(previous, false);
  if (current == nullptr) return;
  SetNodeIcon(current, true);
  if (syncing_) return;
  logic_.Select(current->data(0, kNodeRole).toInt());
  const bool wasSyncing = syncing_;
  syncing_ = true;  // the box shows the logic's path; its bytes stay the logic's
  dirBox_->setText(Text(logic_.DirText()));
  dirBox_->setCursorPosition(dirBox_->text().size());
  syncing_ = wasSyncing;
  ok_->setEnabled(logic_.OkEnabled());
}

void TdlgSelectDirEx::DirEdited(const QString& text) {
  if (!syncing_) logic_.SetDirText(text.toUtf8().toStdString());
  ok_->setEnabled(logic_.OkEnabled());
}

void TdlgSelectDirEx::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (opened_) return;
  opened_ = true;
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  logic_.Show();
  Sync(tree_->topLevelItem(0));
  QTreeWidgetItem* selected = ItemOf(logic_.Selected());
  if (selected != nullptr) {
    tree_->setCurrentItem(selected);
    tree_->scrollToItem(selected);
  }
  // Selecting the root node leaves the box as it was; show the logic's text either way.
  syncing_ = true;
  dirBox_->setText(Text(logic_.DirText()));
  dirBox_->setCursorPosition(dirBox_->text().size());
  syncing_ = false;
  ok_->setEnabled(logic_.OkEnabled());
}

void TdlgSelectDirEx::accept() {
  const bool confirmed = logic_.Ok();
  // OK made a relative path absolute: the box shows the folder meant.
  syncing_ = true;
  dirBox_->setText(Text(logic_.DirText()));
  syncing_ = false;
  if (confirmed) QDialog::accept();
}

void TdlgSelectDirEx::reject() {
  logic_.Cancel();
  QDialog::reject();
}

}  // namespace norra
