// The disk-replace preview window.
#include "gui/DiskPreviewDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "findreplace/DiskReplacePreview.h"
#include "text/Encoding.h"

namespace norra {

namespace {
constexpr std::size_t kShownBytes = 120;  // a hit longer than this is cut in the list
}

QString DiskPreviewDialog::HitText(const std::string& cp932) {
  std::string text = cp932.size() > kShownBytes ? cp932.substr(0, kShownBytes) : cp932;
  QString shown = QString::fromStdString(Cp932ToUtf8(text));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("↵")).replace(QLatin1Char('\n'), QStringLiteral("↵"));
  shown.replace(QLatin1Char('\r'), QStringLiteral("↵"));
  if (cp932.size() > kShownBytes) shown += QStringLiteral("...");
  return shown;
}

DiskPreviewDialog::DiskPreviewDialog(QWidget* parent, DiskReplacePreview& preview)
    : QDialog(parent), preview_(preview) {
  setObjectName(QStringLiteral("frmDiskPreview"));
  setWindowTitle(QString::fromStdString(preview.caption));
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(QString::fromStdString(preview.Heading()), this);
  heading_->setObjectName(QStringLiteral("lblDiskPreview"));
  layout->addWidget(heading_);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("tvwDiskPreview"));
  tree_->setColumnCount(3);
  tree_->setHeaderLabels({QStringLiteral("ﾌｧｲﾙ / 行"), QStringLiteral("置換前"),
                          QStringLiteral("置換後")});
  for (const PreviewFile& file : preview.files) {
    auto* fileItem = new QTreeWidgetItem(tree_);
    fileItem->setText(0, QString::fromStdString(file.path) +
                             QStringLiteral(" (%1)").arg(file.hits.size()));
    fileItem->setFlags(fileItem->flags() | Qt::ItemIsUserCheckable);
    fileItem->setCheckState(0, file.checked ? Qt::Checked : Qt::Unchecked);
    for (const PreviewHit& hit : file.hits) {
      auto* hitItem = new QTreeWidgetItem(fileItem);
      hitItem->setText(0, QString::number(hit.line));
      hitItem->setText(1, HitText(hit.before));
      hitItem->setText(2, HitText(hit.after));
      hitItem->setFlags(hitItem->flags() | Qt::ItemIsUserCheckable);
      hitItem->setCheckState(0, hit.checked ? Qt::Checked : Qt::Unchecked);
    }
  }
  tree_->header()->setSectionResizeMode(QHeaderView::Interactive);
  tree_->setColumnWidth(0, 360);
  layout->addWidget(tree_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* run = new QPushButton(QStringLiteral("置換実行(&R)"), this);
  run->setObjectName(QStringLiteral("cmdRun"));
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  buttons->addWidget(run);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  // Cancel is the default: Enter alone never writes files.
  cancel->setDefault(true);
  connect(run, &QPushButton::clicked, this, [this] {
    TakeChecks();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(760, 480);
}

void DiskPreviewDialog::TakeChecks() {
  for (int f = 0; f < tree_->topLevelItemCount() && f < static_cast<int>(preview_.files.size()); ++f) {
    QTreeWidgetItem* fileItem = tree_->topLevelItem(f);
    PreviewFile& file = preview_.files[static_cast<std::size_t>(f)];
    file.checked = fileItem->checkState(0) == Qt::Checked;
    for (int h = 0; h < fileItem->childCount() && h < static_cast<int>(file.hits.size()); ++h)
      file.hits[static_cast<std::size_t>(h)].checked = fileItem->child(h)->checkState(0) == Qt::Checked;
  }
}

}  // namespace norra
