// The print panel's widgets, kept in step with FileListPrintPanel.
#include "gui/FileListPrintPanelView.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "groups/FileListDialog.h"
#include "groups/FileListPrintPanel.h"
#include "gui/QtPrinterDevice.h"
#include "printing/PrintJob.h"

namespace norra {

namespace {

QRadioButton* Option(const char* name, const char* caption, QWidget* parent, QLayout* layout) {
  auto* option = new QRadioButton(QString::fromUtf8(caption), parent);
  option->setObjectName(QString::fromLatin1(name));
  layout->addWidget(option);
  return option;
}

}  // namespace

FileListPrintPanelView::FileListPrintPanelView(QFrame* frame, QHBoxLayout* row)
    : QObject(frame), frame_(frame) {
  auto* range = new QGroupBox(QString::fromUtf8("印刷範囲"), frame);
  range->setObjectName(QStringLiteral("fraPrintRange"));
  auto* rangeColumn = new QVBoxLayout(range);
  printText_ = Option("optPrintText", "全文(&Z)", range, rangeColumn);
  printSelText_ = Option("optPrintSelText", "選択された文(&T)", range, rangeColumn);
  row->addWidget(range);

  auto* order = new QGroupBox(QString::fromUtf8("部数/出力順"), frame);
  order->setObjectName(QStringLiteral("fraPrintOrder"));
  auto* orderColumn = new QVBoxLayout(order);
  auto* copiesRow = new QHBoxLayout;
  copies_ = new QLineEdit(order);
  copies_->setMaxLength(FileListPrintPanel::kCopiesMaxDigits);
  copies_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), copies_));
  copies_->setInputMethodHints(Qt::ImhDigitsOnly);
  auto* copiesLabel = new QLabel(QString::fromUtf8("部数(&C)"), order);
  copiesLabel->setBuddy(copies_);
  copiesRow->addWidget(copiesLabel);
  copiesRow->addWidget(copies_);
  orderColumn->addLayout(copiesRow);
  byPage_ = Option("optPrintByPage", "ﾍﾟｰｼﾞ順に印刷(&Q)", order, orderColumn);
  byFile_ = Option("optPrintByFile", "ﾌｧｲﾙ順に印刷(&W)", order, orderColumn);
  byCopy_ = Option("optPrintByCopy", "部順に印刷(&B)", order, orderColumn);
  row->addWidget(order);

  auto* printer = new QGroupBox(QString::fromUtf8("ﾌﾟﾘﾝﾀ"), frame);
  printer->setObjectName(QStringLiteral("fraPrinter"));
  auto* printerColumn = new QVBoxLayout(printer);
  constexpr std::array<const char*, 4> names = {"lblPrinterName", "lblPaperSize", "lblOrientation",
                                                "lblPort"};
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    labels_[i] = new QLabel(QString::fromUtf8(FileListPrintPanel::kPrinterCaptions[i]), printer);
    labels_[i]->setObjectName(QString::fromLatin1(names[i]));
    printerColumn->addWidget(labels_[i]);
  }
  auto* buttons = new QHBoxLayout;
  option_ = new QPushButton(QString::fromUtf8("ｵﾌﾟｼｮﾝ(&O) F6"), printer);
  option_->setObjectName(QStringLiteral("cmdOption"));
  option_->setAutoDefault(false);
  preview_ = new QPushButton(QString::fromUtf8("ﾌﾟﾚﾋﾞｭｰ(&V)..."), printer);
  preview_->setObjectName(QStringLiteral("cmdPreview"));
  preview_->setAutoDefault(false);
  buttons->addWidget(option_);
  buttons->addWidget(preview_);
  buttons->addStretch(1);
  printerColumn->addLayout(buttons);
  row->addWidget(printer, 1);

  const auto tell = [this](auto change) {
    return [this, change](bool checked) {
      if (syncing_ || !checked || dialog_ == nullptr || dialog_->PrintPanel() == nullptr) return;
      change(*dialog_->PrintPanel());
    };
  };
  connect(printText_, &QRadioButton::toggled, this,
          tell([](FileListPrintPanel& p) { p.SetRange(PrintRange::WholeText); }));
  connect(printSelText_, &QRadioButton::toggled, this,
          tell([](FileListPrintPanel& p) { p.SetRange(PrintRange::Selection); }));
  connect(byPage_, &QRadioButton::toggled, this,
          tell([](FileListPrintPanel& p) { p.SetOrder(PrintOrder::ByPage); }));
  connect(byFile_, &QRadioButton::toggled, this,
          tell([](FileListPrintPanel& p) { p.SetOrder(PrintOrder::ByFile); }));
  connect(byCopy_, &QRadioButton::toggled, this,
          tell([](FileListPrintPanel& p) { p.SetOrder(PrintOrder::ByCopy); }));
  connect(copies_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!syncing_ && dialog_ != nullptr && dialog_->PrintPanel() != nullptr)
      dialog_->PrintPanel()->SetCopiesText(text.toStdString());
  });
  connect(option_, &QPushButton::clicked, this, [this] {
    if (Idle()) dialog_->PrintOptions();
  });
  connect(preview_, &QPushButton::clicked, this, &FileListPrintPanelView::Preview);
}

bool FileListPrintPanelView::Idle() const {
  return dialog_ != nullptr && dialog_->PrintPanel() != nullptr &&
         dialog_->Running() == FileListAction::None;
}

void FileListPrintPanelView::Load(FileListDialog* dialog) {
  dialog_ = dialog;
  Refresh();
}

void FileListPrintPanelView::Refresh() {
  const FileListPrintPanel* panel = dialog_ != nullptr ? dialog_->PrintPanel() : nullptr;
  if (panel == nullptr) return;
  syncing_ = true;
  if (copies_->text().toStdString() != panel->CopiesText())
    copies_->setText(QString::fromStdString(panel->CopiesText()));
  (panel->Range() == PrintRange::Selection ? printSelText_ : printText_)->setChecked(true);
  switch (panel->Order()) {
    case PrintOrder::ByPage:
      byPage_->setChecked(true);
      break;
    case PrintOrder::ByCopy:
      byCopy_->setChecked(true);
      break;
    default:
      byFile_->setChecked(true);
      break;
  }
  for (std::size_t i = 0; i < labels_.size(); ++i)
    labels_[i]->setText(QString::fromStdString(panel->PrinterLabels()[i]));
  preview_->setEnabled(panel->Job() != nullptr &&
                       dynamic_cast<QtPrinterDevice*>(&panel->Job()->Device()) != nullptr);
  syncing_ = false;
}

void FileListPrintPanelView::Preview() {
  if (!Idle()) return;
  FileListDialog& dialog = *dialog_;
  PrintJob* job = dialog.PrintPanel()->Job();
  auto* device = job != nullptr ? dynamic_cast<QtPrinterDevice*>(&job->Device()) : nullptr;
  // A template that does not compile is reported here rather than previewed as blank sheets.
  if (device == nullptr || !dialog.PreparePrint() || !job->CheckTemplates()) return;
  // The preview draws the same sheets on its own printer; its print button sends them to the
  // current printer only when the user presses it.
  QPrintPreviewDialog preview(&device->Printer(), frame_->window());
  preview.setObjectName(QStringLiteral("dlgPrintPreview"));
  connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
          [job, device](QPrinter* printer) {
            device->SetTarget(printer);
            job->Run(PrintJob::RunKind::Preview);
            device->SetTarget(nullptr);
          });
  preview.exec();
  device->SetTarget(nullptr);
}

}  // namespace norra
