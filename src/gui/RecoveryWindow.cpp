// The recovery dialog's window: the rows, their check marks and two buttons.
#include "gui/RecoveryWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/RecoveryDialog.h"

namespace norra {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

RecoveryWindow::RecoveryWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmRecovery"));
  setWindowTitle(QString::fromUtf8(RecoveryDialog::kCaption));
  setModal(true);
  prompt_ = new QLabel(QString::fromUtf8(RecoveryDialog::kPrompt), this);
  prompt_->setObjectName(QStringLiteral("lblRecovery"));
  prompt_->setWordWrap(true);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("lvwRecovery"));
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHeaderLabels({QString::fromUtf8("ﾌｧｲﾙ名"), QString::fromUtf8("ﾌｫﾙﾀﾞ"), QString::fromUtf8("日時"),
                          QString::fromUtf8("ｻｲｽﾞ")});
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  restore_ = new QPushButton(QString::fromUtf8("復元(&R)"), this);
  restore_->setObjectName(QStringLiteral("cmdRestore"));
  restore_->setDefault(true);
  cancel_ = new QPushButton(QString::fromUtf8("復元しない(&N)"), this);
  cancel_->setObjectName(QStringLiteral("cmdCancel"));
  connect(restore_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(restore_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(620, 300);
}

void RecoveryWindow::Present(const RecoveryDialog& dialog) {
  list_->clear();
  for (const RecoveryRow& row : dialog.Rows()) {
    auto* item = new QTreeWidgetItem(list_, {Q(row.name), Q(row.folder), Q(row.time), Q(row.size)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
  }
  for (int column = 0; column < list_->columnCount(); ++column) list_->resizeColumnToContents(column);
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
  restore_->setFocus();
}

void RecoveryWindow::TakeChecks(RecoveryDialog& dialog) const {
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    dialog.SetChecked(static_cast<std::size_t>(row), list_->topLevelItem(row)->checkState(0) == Qt::Checked);
  }
}

bool RecoveryWindow::Run(RecoveryDialog& dialog) {
  Present(dialog);
  const bool accepted = exec() == QDialog::Accepted;
  if (accepted) TakeChecks(dialog);
  return accepted;
}

}  // namespace norra
