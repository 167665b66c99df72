// The printer port on Qt Print Support.
#include "gui/QtPrinterDevice.h"

#include <QFontMetrics>
#include <QMarginsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QSaveFile>

namespace norra {

namespace {

QString FromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// What a printer without a border of its own leaves unprinted: like a common office printer.
constexpr qreal kPdfBorderMm = 5.0;

}  // namespace

QtPrinterDevice::QtPrinterDevice() {
  const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
  if (fallback.isNull() || !SelectPrinter(fallback.printerName().toStdString()))
    SelectPrinter(kPdfPrinterName);
  font_.setPointSize(9);
}

QtPrinterDevice::~QtPrinterDevice() {
  if (painter_.isActive()) AbortDocument();
}

std::vector<std::string> QtPrinterDevice::InstalledPrinters() const {
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames())
    names.push_back(name.toStdString());
  names.emplace_back(kPdfPrinterName);
  return names;
}

bool QtPrinterDevice::SelectPrinter(const std::string& name) {
  if (name == kPdfPrinterName) {
    const QString path = printer_.outputFileName();
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setResolution(kPdfResolution);
    printer_.setOutputFileName(path);
    printer_.setPageSize(QPageSize(QPageSize::A4));
    printer_.setPageMargins(QMarginsF(kPdfBorderMm, kPdfBorderMm, kPdfBorderMm, kPdfBorderMm),
                            QPageLayout::Millimeter);
    return true;
  }
  const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name));
  if (info.isNull()) return false;
  printer_.setOutputFormat(QPrinter::NativeFormat);
  printer_.setPrinterName(info.printerName());
  return printer_.isValid();
}

bool QtPrinterDevice::PdfSelected() const {
  return printer_.outputFormat() == QPrinter::PdfFormat;
}

void QtPrinterDevice::SetPdfPath(const std::string& path) {
  if (!PdfSelected()) SelectPrinter(kPdfPrinterName);
  printer_.setOutputFileName(QString::fromStdString(path));
}

std::string QtPrinterDevice::PdfPath() const {
  return printer_.outputFileName().toStdString();
}

bool QtPrinterDevice::ShowSetupDialog(QWidget* parent) {
  QPrintDialog dialog(&printer_, parent);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // Copies and their order are the print panel's; the print system prints each sheet once.
  printer_.setCopyCount(1);
  if (PdfSelected()) printer_.setResolution(kPdfResolution);
  return accepted;
}

bool QtPrinterDevice::ReadMetrics(PrinterMetrics& out) {
  QPrinter& p = printer_;
  if (!PdfSelected() && !p.isValid()) return false;
  const QRectF paper = p.paperRect(QPrinter::DevicePixel);
  const QRectF page = p.pageRect(QPrinter::DevicePixel);
  const QRectF pageMm = p.pageRect(QPrinter::Millimeter);
  out = PrinterMetrics{};
  out.name = PdfSelected() ? kPdfPrinterName : p.printerName().toStdString();
  if (PdfSelected()) {
    out.port = p.outputFileName().isEmpty() ? std::string("PDF") : p.outputFileName().toStdString();
  } else {
    const QPrinterInfo info(p);
    out.port =
        info.location().isEmpty() ? p.printerName().toStdString() : info.location().toStdString();
  }
  out.paperName = p.pageLayout().pageSize().name().toStdString();
  switch (p.pageLayout().orientation()) {
    case QPageLayout::Portrait:
      out.orientation = PaperOrientation::Portrait;
      break;
    case QPageLayout::Landscape:
      out.orientation = PaperOrientation::Landscape;
      break;
  }
  out.physicalWidthPx = qRound(paper.width());
  out.physicalHeightPx = qRound(paper.height());
  out.printableWidthPx = qRound(page.width());
  out.printableHeightPx = qRound(page.height());
  out.printableWidthMm = qRound(pageMm.width());
  out.printableHeightMm = qRound(pageMm.height());
  out.offsetXPx = qRound(page.left() - paper.left());
  out.offsetYPx = qRound(page.top() - paper.top());
  return out.printableWidthPx > 0 && out.printableHeightPx > 0;
}

QPaintDevice* QtPrinterDevice::MeasuringDevice() {
  if (painter_.isActive()) return painter_.device();
  return target_ != nullptr ? static_cast<QPaintDevice*>(target_) : &printer_;
}

void QtPrinterDevice::SetFont(const std::string& name, int points) {
  // The settings name Windows fonts; the application maps them onto installed ones.
  font_ = QFont(QString::fromStdString(name));
  font_.setStyleHint(QFont::TypeWriter);
  font_.setPointSize(points > 0 ? points : 1);
  if (painter_.isActive()) {
    painter_.setFont(font_);
    ascent_ = QFontMetrics(font_, painter_.device()).ascent();
  }
}

int QtPrinterDevice::TextHeight(std::string_view /*utf8*/) {
  return QFontMetrics(font_, MeasuringDevice()).height();
}

int QtPrinterDevice::TextWidth(std::string_view utf8) {
  return QFontMetrics(font_, MeasuringDevice()).horizontalAdvance(FromUtf8(utf8));
}

bool QtPrinterDevice::BeginDocument(const std::string& title) {
  lastError_.clear();
  if (painter_.isActive()) AbortDocument();
  if (target_ != nullptr) {
    device_ = target_;
  } else if (PdfSelected()) {
    if (askPdfPath_) {
      const std::string path = askPdfPath_(printer_.outputFileName().toStdString());
      if (path.empty()) {
        lastError_ = "PDFﾌｧｲﾙが指定されていません";
        return false;
      }
      printer_.setOutputFileName(QString::fromStdString(path));
    }
    if (printer_.outputFileName().isEmpty()) {
      lastError_ = "PDFﾌｧｲﾙが指定されていません";
      return false;
    }
    // Written beside the target and renamed over it at the end: a dropped or failed document
    // leaves no partial file, and an older file stays as it was.
    pdfFile_ = std::make_unique<QSaveFile>(printer_.outputFileName());
    if (!pdfFile_->open(QIODevice::WriteOnly)) {
      lastError_ =
          printer_.outputFileName().toStdString() + "\n" + pdfFile_->errorString().toStdString();
      pdfFile_.reset();
      return false;
    }
    pdfWriter_ = std::make_unique<QPdfWriter>(pdfFile_.get());
    pdfWriter_->setResolution(printer_.resolution());
    pdfWriter_->setPageLayout(printer_.pageLayout());
    pdfWriter_->setTitle(QString::fromStdString(title));
    pdfWriter_->setCreator(QStringLiteral("Norra"));
    device_ = pdfWriter_.get();
  } else {
    printer_.setDocName(QString::fromStdString(title));
    device_ = &printer_;
  }
  if (!painter_.begin(device_)) {
    if (lastError_.empty()) lastError_ = "印刷を開始できません";
    if (pdfFile_) pdfFile_->cancelWriting();
    pdfWriter_.reset();
    pdfFile_.reset();
    device_ = nullptr;
    return false;
  }
  painter_.setFont(font_);
  painter_.setPen(Qt::black);
  ascent_ = QFontMetrics(font_, device_).ascent();
  return true;
}

bool QtPrinterDevice::NewSheet() {
  if (!painter_.isActive() || device_ == nullptr) return false;
  return device_->newPage();
}

void QtPrinterDevice::DrawText(PrintTextRole /*role*/, int x, int y, std::string_view utf8) {
  if (!painter_.isActive()) return;
  painter_.drawText(x, y + ascent_, FromUtf8(utf8));
}

bool QtPrinterDevice::EndDocument() {
  if (!painter_.isActive()) return false;
  bool ok = painter_.end();
  if (pdfFile_) {
    pdfWriter_.reset();  // flushes the last page into the file
    if (!pdfFile_->commit()) {
      ok = false;
      lastError_ =
          printer_.outputFileName().toStdString() + "\n" + pdfFile_->errorString().toStdString();
    }
    pdfFile_.reset();
  }
  device_ = nullptr;
  if (!ok && lastError_.empty()) lastError_ = "印刷を完了できません";
  return ok;
}

void QtPrinterDevice::AbortDocument() {
  if (device_ == &printer_) printer_.abort();
  if (painter_.isActive()) painter_.end();
  if (pdfFile_) {
    pdfWriter_.reset();
    pdfFile_->cancelWriting();
    pdfFile_.reset();
  }
  device_ = nullptr;
}

}  // namespace norra
