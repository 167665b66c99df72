// The printer port on Qt Print Support: the installed printers through the print system, plus
// a "PDF file" printer that is always there and writes its file atomically.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <functional>
#include <memory>
#include <string>

#include "platform/PrinterDevice.h"

class QPdfWriter;
class QSaveFile;
class QWidget;

namespace norra {

class QtPrinterDevice : public PrinterDevice {
 public:
  static constexpr const char* kPdfPrinterName = "PDF file";
  // Pixels per inch of the PDF file printer.
  static constexpr int kPdfResolution = 600;

  // Starts on the print system's default printer, or the PDF file printer without one.
  QtPrinterDevice();
  ~QtPrinterDevice() override;
  QtPrinterDevice(const QtPrinterDevice&) = delete;
  QtPrinterDevice& operator=(const QtPrinterDevice&) = delete;

  std::vector<std::string> InstalledPrinters() const override;
  bool ReadMetrics(PrinterMetrics& out) override;
  void SetFont(const std::string& name, int points) override;
  int TextHeight(std::string_view utf8) override;
  int TextWidth(std::string_view utf8) override;
  bool BeginDocument(const std::string& title) override;
  bool NewSheet() override;
  void DrawText(PrintTextRole role, int x, int y, std::string_view utf8) override;
  bool EndDocument() override;
  void AbortDocument() override;
  std::string LastError() const override { return lastError_; }

  // Makes the named printer current (an installed one, or kPdfPrinterName); false when there
  // is no such printer.
  bool SelectPrinter(const std::string& name);
  bool PdfSelected() const;
  // Where the PDF file printer writes: the last file chosen, or one set here.
  void SetPdfPath(const std::string& path);
  std::string PdfPath() const;
  // With an asker, every document of the PDF file printer asks for its file, proposing the
  // last one; an empty answer gives the document up. Without one, PdfPath() is written.
  void SetAskPdfPath(std::function<std::string(const std::string& last)> ask) {
    askPdfPath_ = std::move(ask);
  }

  // The printer set-up dialog over the current printer; true when the user accepted.
  bool ShowSetupDialog(QWidget* parent);
  // Documents go to this printer (a preview's) until it is set back to null.
  void SetTarget(QPrinter* target) { target_ = target; }
  QPrinter& Printer() { return printer_; }
  // The font the text is drawn in, as the print system resolved the name.
  QFont ResolvedFont() const { return font_; }

 private:
  QPaintDevice* MeasuringDevice();

  QPrinter printer_{QPrinter::HighResolution};
  QPrinter* target_ = nullptr;
  QFont font_;
  QPainter painter_;
  int ascent_ = 0;  // of the font on the open document's device
  std::unique_ptr<QSaveFile> pdfFile_;
  std::unique_ptr<QPdfWriter> pdfWriter_;
  QPagedPaintDevice* device_ = nullptr;  // the one the open document paints on
  std::function<std::string(const std::string&)> askPdfPath_;
  std::string lastError_;
};

}  // namespace norra
