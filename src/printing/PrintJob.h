// The print job: printer information, the run's parameters, pagination into print lines and
// sheets, and the run that sends the sheets in one of three orders with header and footer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/PrinterDevice.h"
#include "printing/PrintLines.h"
#include "printing/PrintTemplate.h"

namespace norra {

class Clock;
class Settings;
class TextControl;
class Ui;

enum class PrintOrder : int {
  ByFile = 1,  // file, copy, page
  ByPage = 2,  // file, page, copy
  ByCopy = 3,  // copy, file, page
};

enum class PrintRange : int {
  WholeText = 1,
  Selection = 2,
};

// The current printer's measurements as the job uses them.
struct PrinterInfo {
  std::string name;         // UTF-8
  std::string port;         // UTF-8
  std::string paperName;    // UTF-8
  std::string orientation;  // "タテ", "ヨコ" or "不明"
  int printableHeightPx = 0, printableWidthPx = 0;
  int printableHeightMm = 0, printableWidthMm = 0;
  int physicalHeightPx = 0, physicalWidthPx = 0;
  int paperLengthMm = 0, paperWidthMm = 0;
  // The unprintable border at each edge.
  int topPx = 0, bottomPx = 0, leftPx = 0, rightPx = 0;
  int topMm = 0, bottomMm = 0, leftMm = 0, rightMm = 0;
};

// Everything a run takes from the Print settings and the panel.
struct PrintParameters {
  std::string fontName = "ＭＳ ゴシック";                                    // UTF-8
  int fontSize = 9;                                                          // points
  int marginTop = 15, marginBottom = 15, marginLeft = 15, marginRight = 15;  // mm
  int headLinePosition = 0;  // mm from the paper's top edge
  int footLinePosition = 0;  // mm from the paper's bottom edge
  bool printHeadLine = true;
  bool printFootLine = true;
  std::string headLine;  // templates, UTF-8
  std::string footLine;
  int linePerPage = 99999;
  int columnsPerLine = 99999;
  PrintOrder order = PrintOrder::ByFile;
  PrintRange range = PrintRange::WholeText;
  std::int64_t copies = 1;
  std::string userName = "DefaultUser";  // UTF-8
  int tabWidth = 8;                      // columns between tab stops
};

// One Page to print: its text control (whole text or selection) and its names (UTF-8).
struct PrintSource {
  const TextControl* control = nullptr;
  std::string displayName;
  std::string filePath;
};

// Where the text goes on every sheet, in printable-area pixels.
struct PrintLayout {
  int lineHeight = 0;
  int textTop = 0, textLeft = 0, textHeight = 0, textWidth = 0;
  int headerTop = 0, footerTop = 0;
  int linesPerPage = 0;    // L
  int columnsPerLine = 0;  // C
};

class PrintJob {
 public:
  static constexpr int kMaxFontSize = 128;
  static constexpr std::int64_t kMaxCopies = 99999;

  PrintJob(PrinterDevice& printer, Ui& ui, const Clock& clock);
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  // ---- printer information ----
  // Fills Printer() from the current printer; false when there is none or it cannot be read.
  bool ReadPrinterInfo();
  const PrinterInfo& Printer() const { return printer_; }
  // The paper's length and width in millimetres (reads the printer); false without one.
  bool PaperSize(int& lengthMm, int& widthMm);
  static const char* OrientationText(PaperOrientation orientation);
  PrinterDevice& Device() { return device_; }

  // ---- parameters ----
  PrintParameters& Parameters() { return parameters_; }
  const PrintParameters& Parameters() const { return parameters_; }
  // Font, margins, positions, header and footer, lines and columns from the Print settings,
  // the user name and the tab width; order, range and copies are left as they are.
  void TakeSettings(const Settings& settings);
  // Order and range as the settings store them (2 page, 3 copy, else file; 2 selection, else
  // whole text).
  static PrintOrder OrderFromSetting(int value);
  static PrintRange RangeFromSetting(int value);

  void SetSources(std::vector<PrintSource> sources) { sources_ = std::move(sources); }
  const std::vector<PrintSource>& Sources() const { return sources_; }

  // ---- the run ----
  // Paginates, asks for the sheet count, prints. True when every sheet was sent; false when
  // the user declined or cancelled, nothing was to print, or the printer failed (reported).
  // A preview run draws the same sheets without asking for the sheet count first.
  enum class RunKind { Print, Preview };
  bool Run(RunKind kind = RunKind::Print);
  // The cancel button: the run stops after the file or sheet in hand.
  void Abort() { abort_ = true; }
  void ClearAbort() { abort_ = false; }
  // Asked, besides the abort flag, whenever the run lets pending events run: true stops it
  // (a dialog whose stop button was pressed). None: only the flag counts.
  void SetStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }
  bool AbortRequested() const { return abort_; }
  bool Running() const { return running_; }

  // What the last run worked out (for the views and tests).
  const PrintLayout& Layout() const { return layout_; }
  std::int64_t SheetsSent() const { return sheetsSent_; }

  // Works out the layout from Printer() (read first) and the parameters; false with the
  // message already shown when the printer fails or the text area holds no line.
  bool Measure();
  // Compiles the header and footer templates for a run at printTime; false, with a message
  // naming the bad code and where it is, when one does not compile. A preview asks first,
  // so that it never shows sheets of an older template.
  bool CompileTemplates(const DateTime& printTime);
  // The same check outside a run, the tokens not kept.
  bool CheckTemplates();

 private:
  struct RunFile {
    PrintLines lines;
    std::string displayName;  // UTF-8, as the file system names it
    std::string filePath;     // UTF-8
    std::int64_t pages = 0;
  };

  bool Paginate(std::vector<RunFile>& files, std::int64_t& pagesOfCopy);
  bool PrintSheets(std::vector<RunFile>& files, std::int64_t pagesOfCopy);
  bool PrintSheet(const RunFile& file, PrintCounters& counters);
  void PrinterFailed();
  // Pending events run; true when the run is to stop.
  bool EventsThenStop();
  std::int64_t MmToPxY(std::int64_t mm) const;
  std::int64_t MmToPxX(std::int64_t mm) const;

  PrinterDevice& device_;
  Ui& ui_;
  const Clock& clock_;
  PrinterInfo printer_;
  PrintParameters parameters_;
  std::vector<PrintSource> sources_;
  PrintLayout layout_;
  PrintTemplate header_;
  PrintTemplate footer_;
  bool abort_ = false;
  std::function<bool()> stopCheck_;
  bool running_ = false;
  bool documentOpen_ = false;
  std::int64_t sheetsSent_ = 0;
};

}  // namespace norra
