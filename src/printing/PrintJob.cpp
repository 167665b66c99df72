// The print run: layout, pagination, the sheet count question and the sheets in their order.
#include "printing/PrintJob.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <new>

#include "platform/Clock.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/Encoding.h"

namespace norra {

namespace {

constexpr const char* kPrinterUnreachable = "ﾌﾟﾘﾝﾀｰへｱｸｾｽできません";
constexpr const char* kCopiesBelowOne = "印刷部数を 1以上 に設定して下さい";
constexpr const char* kOutOfMemory = "ﾒﾓﾘが足りません";
constexpr const char* kNothingToPrint = "印刷対象が 0 文字です";
// No text fits between the margins: the layout would divide by its line count.
constexpr const char* kAreaTooSmall =
    "印刷できる範囲に1行も入りません\n(余白・ﾍｯﾀﾞｰ/ﾌｯﾀｰ位置・印刷文字ｻｲｽﾞを確認して下さい)";

int ToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min() / 2,
                                                   std::numeric_limits<int>::max() / 2));
}

// Clears the run's state however the run ends.
class RunGuard {
 public:
  RunGuard(bool& running, PrintTemplate& header, PrintTemplate& footer)
      : running_(running), header_(header), footer_(footer) {
    running_ = true;
  }
  ~RunGuard() {
    header_.Clear();
    footer_.Clear();
    running_ = false;
  }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

 private:
  bool& running_;
  PrintTemplate& header_;
  PrintTemplate& footer_;
};

}  // namespace

PrintJob::PrintJob(PrinterDevice& printer, Ui& ui, const Clock& clock)
    : device_(printer), ui_(ui), clock_(clock) {}

const char* PrintJob::OrientationText(PaperOrientation orientation) {
  switch (orientation) {
    case PaperOrientation::Portrait:
      return "タテ";
    case PaperOrientation::Landscape:
      return "ヨコ";
    default:
      return "不明";
  }
}

bool PrintJob::ReadPrinterInfo() {
  printer_ = PrinterInfo{};
  if (device_.InstalledPrinters().empty()) return false;
  PrinterMetrics m;
  if (!device_.ReadMetrics(m)) return false;
  if (m.printableHeightPx < 1 || m.printableWidthPx < 1 || m.printableHeightMm < 1 ||
      m.printableWidthMm < 1) {
    return false;
  }
  PrinterInfo& p = printer_;
  p.name = m.name;
  p.port = m.port;
  p.paperName = m.paperName;
  p.orientation = OrientationText(m.orientation);
  p.printableHeightPx = m.printableHeightPx;
  p.printableWidthPx = m.printableWidthPx;
  p.printableHeightMm = m.printableHeightMm;
  p.printableWidthMm = m.printableWidthMm;
  p.physicalHeightPx = m.physicalHeightPx;
  p.physicalWidthPx = m.physicalWidthPx;
  const std::int64_t hpx = m.printableHeightPx, wpx = m.printableWidthPx;
  const std::int64_t hmm = m.printableHeightMm, wmm = m.printableWidthMm;
  p.paperLengthMm = ToInt(m.physicalHeightPx * hmm / hpx);
  p.paperWidthMm = ToInt(m.physicalWidthPx * wmm / wpx);
  p.topPx = m.offsetYPx;
  p.bottomPx = m.physicalHeightPx - m.printableHeightPx - m.offsetYPx;
  p.leftPx = m.offsetXPx;
  p.rightPx = m.physicalWidthPx - m.printableWidthPx - m.offsetXPx;
  p.topMm = ToInt(p.topPx * hmm / hpx);
  p.bottomMm = ToInt(p.bottomPx * hmm / hpx);
  p.leftMm = ToInt(p.leftPx * wmm / wpx);
  p.rightMm = ToInt(p.rightPx * wmm / wpx);
  return true;
}

bool PrintJob::PaperSize(int& lengthMm, int& widthMm) {
  if (!ReadPrinterInfo()) return false;
  lengthMm = printer_.paperLengthMm;
  widthMm = printer_.paperWidthMm;
  return true;
}

PrintOrder PrintJob::OrderFromSetting(int value) {
  if (value == 2) return PrintOrder::ByPage;
  if (value == 3) return PrintOrder::ByCopy;
  return PrintOrder::ByFile;
}

PrintRange PrintJob::RangeFromSetting(int value) {
  return value == 2 ? PrintRange::Selection : PrintRange::WholeText;
}

void PrintJob::TakeSettings(const Settings& settings) {
  const PrintSettings& s = settings.Print;
  PrintParameters& p = parameters_;
  p.fontName = s.PrintFontName;
  p.fontSize = s.PrintFontSize;
  p.marginTop = s.M_Top;
  p.marginBottom = s.M_Bottom;
  p.marginLeft = s.M_Left;
  p.marginRight = s.M_Right;
  p.headLinePosition = s.HeadLinePosition;
  p.footLinePosition = s.FootLinePosition;
  p.printHeadLine = s.PrintHeadLine;
  p.printFootLine = s.PrintFootLine;
  p.headLine = s.HeadLine;
  p.footLine = s.FootLine;
  p.linePerPage = s.LinePerPage;
  p.columnsPerLine = s.ColumnsPerLine;
  p.userName = settings.General.UserName;
  p.tabWidth = settings.Edit.TabStop;
}

std::int64_t PrintJob::MmToPxY(std::int64_t mm) const {
  return mm * printer_.printableHeightPx / printer_.printableHeightMm;
}

std::int64_t PrintJob::MmToPxX(std::int64_t mm) const {
  return mm * printer_.printableWidthPx / printer_.printableWidthMm;
}

bool PrintJob::EventsThenStop() {
  ui_.ProcessPendingEvents();
  if (!abort_ && stopCheck_ && stopCheck_()) abort_ = true;
  return abort_;
}

void PrintJob::PrinterFailed() {
  std::string text = kPrinterUnreachable;
  const std::string detail = device_.LastError();
  if (!detail.empty()) text += "\n\n" + detail;
  ui_.ShowMessageBox(text, MB_OK | MB_ICONERROR, "Norra");
}

bool PrintJob::Measure() {
  const PrintParameters& p = parameters_;
  const PrinterInfo& info = printer_;
  PrintLayout& l = layout_;
  l = PrintLayout{};
  // The options dialog allows 1 to 128 points; a file edited by hand may say anything.
  device_.SetFont(p.fontName, std::clamp(p.fontSize, 1, kMaxFontSize));
  l.lineHeight = device_.TextHeight(" ");
  if (l.lineHeight < 1 || info.paperLengthMm < 1 || info.paperWidthMm < 1) {
    PrinterFailed();
    return false;
  }
  const auto effective = [](int margin, int border) { return margin > border ? margin : border; };
  const std::int64_t top = effective(p.marginTop, info.topMm);
  const std::int64_t bottom = effective(p.marginBottom, info.bottomMm);
  const std::int64_t left = effective(p.marginLeft, info.leftMm);
  const std::int64_t right = effective(p.marginRight, info.rightMm);
  const std::int64_t offY = info.topPx, offX = info.leftPx;
  // A margin or position within the unprintable border starts at that border.
  l.textTop = p.marginTop > info.topMm ? ToInt(MmToPxY(p.marginTop) - offY) : 0;
  l.textLeft = p.marginLeft > info.leftMm ? ToInt(MmToPxX(p.marginLeft) - offX) : 0;
  l.headerTop = p.headLinePosition > info.topMm ? ToInt(MmToPxY(p.headLinePosition) - offY) : 0;
  const std::int64_t footGap =
      p.footLinePosition > info.bottomMm ? MmToPxY(p.footLinePosition) : info.bottomPx;
  l.footerTop = ToInt(info.physicalHeightPx - l.lineHeight - footGap - offY);
  const std::int64_t textHeight =
      info.physicalHeightPx - (MmToPxY(top) + MmToPxY(bottom)) - l.lineHeight;
  const std::int64_t textWidth = info.physicalWidthPx - (MmToPxX(left) + MmToPxX(right));
  if (textHeight < l.lineHeight || textWidth < device_.TextWidth("WW")) {
    ui_.ShowMessageBox(kAreaTooSmall, MB_OK | MB_ICONWARNING, "Norra");
    return false;
  }
  l.textHeight = ToInt(textHeight);
  l.textWidth = ToInt(textWidth);

  const std::int64_t fit = textHeight / l.lineHeight;
  l.linesPerPage = p.linePerPage < 1 ? 1 : ToInt(std::min<std::int64_t>(p.linePerPage, fit));

  if (p.columnsPerLine < 2) {
    l.columnsPerLine = 2;
  } else {
    // Count the "W"s that fit, starting near the estimate from one "W"'s width; a character
    // narrower than a pixel is no real font, so the count never passes the width in pixels.
    const std::int64_t limit =
        std::max<std::int64_t>(2, std::min<std::int64_t>(p.columnsPerLine, textWidth));
    const int oneW = device_.TextWidth("W");
    std::int64_t n = std::clamp<std::int64_t>(oneW > 0 ? textWidth / oneW : limit, 2, limit);
    const auto fits = [this, textWidth](std::int64_t count) {
      return device_.TextWidth(std::string(static_cast<std::size_t>(count), 'W')) <= textWidth;
    };
    while (n > 2 && !fits(n)) --n;
    while (n < limit && fits(n + 1)) ++n;
    l.columnsPerLine = ToInt(n);
  }
  return true;
}

bool PrintJob::CompileTemplates(const DateTime& printTime) {
  struct Template {
    PrintTemplate& compiled;
    const std::string& text;
    const char* which;
  };
  for (const Template& t : {Template{header_, parameters_.headLine, "ﾍｯﾀﾞｰ"},
                            Template{footer_, parameters_.footLine, "ﾌｯﾀｰ"}}) {
    if (t.compiled.Compile(Utf8ToCp932(t.text), printTime, parameters_.userName)) continue;
    if (t.compiled.Error()) {
      ui_.ShowMessageBox(PrintTemplate::ErrorMessage(t.which, *t.compiled.Error()),
                         MB_OK | MB_ICONWARNING, "Norra");
    }
    header_.Clear();
    footer_.Clear();
    return false;
  }
  return true;
}

bool PrintJob::CheckTemplates() {
  const bool ok = CompileTemplates(clock_.Now());
  if (!running_) {
    header_.Clear();
    footer_.Clear();
  }
  return ok;
}

bool PrintJob::Paginate(std::vector<RunFile>& files, std::int64_t& pagesOfCopy) {
  pagesOfCopy = 0;
  const std::int64_t perPage = layout_.linesPerPage;
  for (const PrintSource& source : sources_) {
    if (source.control != nullptr) {
      std::string text;
      if (parameters_.range == PrintRange::Selection) {
        if (source.control->SelLength() > 0) text = source.control->SelText();
      } else {
        text = source.control->Text();
      }
      if (!text.empty()) {
        RunFile& file = files.emplace_back();
        file.lines.Split(text, layout_.columnsPerLine, parameters_.tabWidth);
        const std::int64_t count = static_cast<std::int64_t>(file.lines.Count());
        file.pages = (count + perPage - 1) / perPage;
        file.displayName = source.displayName;
        file.filePath = source.filePath;
        pagesOfCopy += file.pages;
      }
    }
    if (EventsThenStop()) return false;
  }
  return true;
}

bool PrintJob::PrintSheet(const RunFile& file, PrintCounters& counters) {
  if (counters.sheetIndex == 1) {
    if (!device_.BeginDocument("Norra")) {
      PrinterFailed();
      return false;
    }
    documentOpen_ = true;
  } else if (!device_.NewSheet()) {
    device_.AbortDocument();
    documentOpen_ = false;
    PrinterFailed();
    return false;
  }
  const PrintLayout& l = layout_;
  if (parameters_.printHeadLine) {
    device_.DrawText(PrintTextRole::Header, l.textLeft, l.headerTop,
                     header_.Render(counters, l.columnsPerLine));
  }
  if (parameters_.printFootLine) {
    device_.DrawText(PrintTextRole::Footer, l.textLeft, l.footerTop,
                     footer_.Render(counters, l.columnsPerLine));
  }
  const std::size_t perPage = static_cast<std::size_t>(l.linesPerPage);
  const std::size_t first = static_cast<std::size_t>(counters.pageInFile - 1) * perPage;
  const std::size_t end = std::min(first + perPage, file.lines.Count());
  for (std::size_t i = first; i < end; ++i) {
    const std::int64_t k = static_cast<std::int64_t>(i - first);
    // Lines spread evenly, so a sheet's last possible line ends at the text area's bottom.
    const std::int64_t y = l.linesPerPage < 2
                               ? l.textTop
                               : l.textTop + std::int64_t{l.textHeight} * k / (l.linesPerPage - 1);
    device_.DrawText(PrintTextRole::Body, l.textLeft, ToInt(y), Cp932ToUtf8(file.lines.Line(i)));
  }
  ++sheetsSent_;
  ++counters.sheetIndex;
  if (EventsThenStop()) {
    device_.AbortDocument();
    documentOpen_ = false;
    return false;
  }
  return true;
}

bool PrintJob::PrintSheets(std::vector<RunFile>& files, std::int64_t pagesOfCopy) {
  const std::int64_t copies = parameters_.copies;
  PrintCounters c;
  c.fileCount = static_cast<std::int64_t>(files.size());
  c.copyCount = copies;
  c.sheetIndex = 1;
  c.sheetCount = pagesOfCopy * copies;
  c.pagesOfCopy = pagesOfCopy;
  std::vector<std::int64_t> pagesBefore(files.size(), 0);
  for (std::size_t f = 1; f < files.size(); ++f)
    pagesBefore[f] = pagesBefore[f - 1] + files[f - 1].pages;

  const auto sheet = [&](std::size_t f, std::int64_t copy, std::int64_t page) {
    const RunFile& file = files[f];
    c.fileName = file.displayName;
    c.pathName = file.filePath;
    c.fileIndex = static_cast<std::int64_t>(f);
    c.copyIndex = copy;
    c.pageInFile = page;
    c.pagesOfFile = file.pages;
    c.pagesBeforeFile = pagesBefore[f];
    return PrintSheet(file, c);
  };

  switch (parameters_.order) {
    case PrintOrder::ByPage:
      for (std::size_t f = 0; f < files.size(); ++f)
        for (std::int64_t page = 1; page <= files[f].pages; ++page)
          for (std::int64_t copy = 1; copy <= copies; ++copy)
            if (!sheet(f, copy, page)) return false;
      break;
    case PrintOrder::ByCopy:
      for (std::int64_t copy = 1; copy <= copies; ++copy)
        for (std::size_t f = 0; f < files.size(); ++f)
          for (std::int64_t page = 1; page <= files[f].pages; ++page)
            if (!sheet(f, copy, page)) return false;
      break;
    default:
      for (std::size_t f = 0; f < files.size(); ++f)
        for (std::int64_t copy = 1; copy <= copies; ++copy)
          for (std::int64_t page = 1; page <= files[f].pages; ++page)
            if (!sheet(f, copy, page)) return false;
      break;
  }
  documentOpen_ = false;
  if (!device_.EndDocument()) {
    PrinterFailed();
    return false;
  }
  return true;
}

bool PrintJob::Run(RunKind kind) {
  if (running_) return false;
  const RunGuard guard(running_, header_, footer_);
  sheetsSent_ = 0;
  documentOpen_ = false;
  try {
    if (!ReadPrinterInfo()) {
      PrinterFailed();
      return false;
    }
    if (parameters_.copies < 1) {
      ui_.ShowMessageBox(kCopiesBelowOne, MB_OK | MB_ICONWARNING, "Norra");
      return false;
    }
    const DateTime printTime = clock_.Now();
    if (!Measure()) return false;

    std::vector<RunFile> files;
    std::int64_t pagesOfCopy = 0;
    if (!Paginate(files, pagesOfCopy)) return false;
    if (files.empty()) {
      ui_.ShowMessageBox(kNothingToPrint, MB_OK | MB_ICONINFORMATION, "Norra");
      return false;
    }
    // A bad template is reported before the user is asked to start.
    if (!CheckTemplates()) return false;
    const std::int64_t total = pagesOfCopy * parameters_.copies;
    if (kind == RunKind::Print) {
      const int answer = ui_.ShowMessageBox(
          "印刷に必要な用紙枚数 : " + std::to_string(total) + "\n\n印刷を開始します",
          MB_OKCANCEL | MB_ICONQUESTION, "Norra");
      if (answer != IDOK) return false;
    }

    if (!CompileTemplates(printTime)) return false;
    return PrintSheets(files, pagesOfCopy);
  } catch (const std::bad_alloc&) {
    if (documentOpen_) device_.AbortDocument();
    documentOpen_ = false;
    ui_.ShowMessageBox(kOutOfMemory, MB_OK | MB_ICONERROR, "Norra");
    return false;
  } catch (const std::exception&) {
    if (documentOpen_) device_.AbortDocument();
    documentOpen_ = false;
    PrinterFailed();
    return false;
  }
}

}  // namespace norra
