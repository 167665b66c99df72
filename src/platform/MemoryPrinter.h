// A printer that keeps what it was sent: every sheet's header, footer and lines, for tests and
// for measuring pagination without a print system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PrinterDevice.h"

namespace norra {

struct PrintedText {
  int x = 0;
  int y = 0;
  std::string text;  // UTF-8
};

struct PrintedSheet {
  std::vector<PrintedText> header;  // at most one each, unless a caller draws more
  std::vector<PrintedText> footer;
  std::vector<PrintedText> lines;
};

class MemoryPrinter : public PrinterDevice {
 public:
  // One installed printer with A4 paper at 10 pixels per millimetre and a 5 mm border all
  // round; the font is 4 pixels high per point and 2 pixels wide per byte and point.
  MemoryPrinter();

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

  // ---- set-up ----
  PrinterMetrics& Metrics() { return metrics_; }
  void SetInstalled(bool installed) { installed_ = installed; }
  void SetMetricsReadable(bool readable) { readable_ = readable; }
  void SetRefuseBegin(bool refuse) { refuseBegin_ = refuse; }
  void SetRefuseEnd(bool refuse) { refuseEnd_ = refuse; }
  // Pixels of the font per point: line height, and width of one byte.
  void SetFontScale(int heightPerPoint, int widthPerPoint);
  // With keepSheets off only the counts are kept (benchmarks of big runs).
  void SetKeepSheets(bool keep) { keepSheets_ = keep; }

  // ---- what was sent ----
  const std::vector<PrintedSheet>& Sheets() const { return sheets_; }
  std::size_t SheetCount() const { return sheetCount_; }
  std::size_t DrawCount() const { return drawCount_; }
  bool Begun() const { return begun_; }
  bool Ended() const { return ended_; }  // the last document was delivered
  bool Aborted() const { return aborted_; }
  const std::string& Title() const { return title_; }
  const std::string& FontName() const { return fontName_; }
  int FontPoints() const { return fontPoints_; }
  // The sheets' body lines one after another, each sheet's joined by "\n", sheets by "\f".
  std::string BodyText() const;

 private:
  PrinterMetrics metrics_;
  bool installed_ = true;
  bool readable_ = true;
  bool refuseBegin_ = false;
  bool refuseEnd_ = false;
  bool keepSheets_ = true;
  int heightPerPoint_ = 4;
  int widthPerPoint_ = 2;
  std::string fontName_;
  int fontPoints_ = 9;
  std::string title_;
  std::string lastError_;
  bool open_ = false;
  bool begun_ = false;
  bool ended_ = false;
  bool aborted_ = false;
  std::vector<PrintedSheet> sheets_;
  std::size_t sheetCount_ = 0;
  std::size_t drawCount_ = 0;
};

}  // namespace norra
