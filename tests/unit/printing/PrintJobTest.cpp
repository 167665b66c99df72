// The print run over the recording printer: layout, the three orders with copies, every
// header and footer counter over a two-file, two-copy run, ranges, messages and cancelling.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FixedClock.h"
#include "platform/MemoryPrinter.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "printing/PrintJob.h"
#include "text/Encoding.h"

namespace norra {
namespace {

constexpr const char* kPrinterUnreachable = "ﾌﾟﾘﾝﾀｰへｱｸｾｽできません";

// "prefix1\r\n" ... "prefixN\r\n"
std::string NumberedLines(const std::string& prefix, int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += prefix + std::to_string(i) + "\r\n";
  return text;
}

class PrintJobTest : public ::testing::Test {
 protected:
  PrintJobTest() : clock_(Time()), job_(printer_, ui_, clock_) {
    PrintParameters& p = job_.Parameters();
    p.headLine = "";
    p.footLine = "";
  }

  static DateTime Time() {
    DateTime dt;
    dt.year = 2001;
    dt.month = 12;
    dt.day = 24;
    dt.hour = 18;
    dt.minute = 30;
    return dt;
  }

  // Adds a Page of CP932 text.
  MemoryTextControl& AddPage(const std::string& text, const std::string& name) {
    controls_.push_back(std::make_unique<MemoryTextControl>(text));
    sources_.push_back({controls_.back().get(), name, "/doc/" + name});
    job_.SetSources(sources_);
    return *controls_.back();
  }

  // The first body line of every sheet sent.
  std::vector<std::string> FirstLines() const {
    std::vector<std::string> lines;
    for (const PrintedSheet& sheet : printer_.Sheets())
      lines.push_back(sheet.lines.empty() ? "" : sheet.lines.front().text);
    return lines;
  }

  std::vector<std::string> Headers() const {
    std::vector<std::string> lines;
    for (const PrintedSheet& sheet : printer_.Sheets())
      lines.push_back(sheet.header.empty() ? "-" : sheet.header.front().text);
    return lines;
  }

  MemoryPrinter printer_;
  MemoryUi ui_;
  FixedClock clock_;
  PrintJob job_;
  std::vector<std::unique_ptr<MemoryTextControl>> controls_;
  std::vector<PrintSource> sources_;
};

TEST_F(PrintJobTest, PrinterInformationAndLayoutFromTheMeasurements) {
  printer_.Metrics().offsetYPx = 40;  // 4 mm at the top, 6 at the bottom
  ASSERT_TRUE(job_.ReadPrinterInfo());
  const PrinterInfo& info = job_.Printer();
  EXPECT_EQ(info.name, "Memory printer");
  EXPECT_EQ(info.orientation, "タテ");
  EXPECT_EQ(info.paperLengthMm, 297);
  EXPECT_EQ(info.paperWidthMm, 210);
  EXPECT_EQ(info.topPx, 40);
  EXPECT_EQ(info.bottomPx, 60);
  EXPECT_EQ(info.topMm, 4);
  EXPECT_EQ(info.bottomMm, 6);
  int length = 0, width = 0;
  EXPECT_TRUE(job_.PaperSize(length, width));
  EXPECT_EQ(length, 297);
  EXPECT_EQ(width, 210);

  // 15 mm margins; a 9 point line is 36 pixels high, a byte 18 wide.
  job_.Parameters().headLinePosition = 10;
  job_.Parameters().footLinePosition = 3;  // within the bottom border: the border counts
  ASSERT_TRUE(job_.Measure());
  const PrintLayout& l = job_.Layout();
  EXPECT_EQ(l.lineHeight, 36);
  EXPECT_EQ(l.textTop, 150 - 40);
  EXPECT_EQ(l.textLeft, 150 - 50);
  EXPECT_EQ(l.headerTop, 100 - 40);
  EXPECT_EQ(l.footerTop, 2970 - 36 - 60 - 40);
  EXPECT_EQ(l.textHeight, 2970 - 300 - 36);
  EXPECT_EQ(l.textWidth, 2100 - 300);
  EXPECT_EQ(l.linesPerPage, (2970 - 300 - 36) / 36);
  EXPECT_EQ(l.columnsPerLine, 1800 / 18);

  // Margins within the border start at the border; the settings' limits cap the counts.
  job_.Parameters().marginTop = -5;
  job_.Parameters().marginLeft = 0;
  job_.Parameters().linePerPage = 10;
  job_.Parameters().columnsPerLine = 1;
  ASSERT_TRUE(job_.Measure());
  EXPECT_EQ(job_.Layout().textTop, 0);
  EXPECT_EQ(job_.Layout().textLeft, 0);
  EXPECT_EQ(job_.Layout().textHeight, 2970 - 40 - 150 - 36);
  EXPECT_EQ(job_.Layout().linesPerPage, 10);
  EXPECT_EQ(job_.Layout().columnsPerLine, 2);
}

TEST_F(PrintJobTest, AbsurdSettingsAreClampedOrRefused) {
  PrintParameters& p = job_.Parameters();
  p.linePerPage = INT_MAX;
  p.columnsPerLine = INT_MAX;
  p.fontSize = 0;  // counts as 1 point: 4 pixels high, 2 wide
  p.headLinePosition = INT_MAX;
  p.footLinePosition = INT_MIN;
  ASSERT_TRUE(job_.ReadPrinterInfo());
  ASSERT_TRUE(job_.Measure());
  EXPECT_EQ(job_.Layout().lineHeight, 4);
  EXPECT_EQ(job_.Layout().linesPerPage, (2970 - 300 - 4) / 4);
  EXPECT_EQ(job_.Layout().columnsPerLine, 1800 / 2);
  EXPECT_EQ(printer_.FontPoints(), 1);

  p.fontSize = 100000;
  ASSERT_TRUE(job_.Measure());
  EXPECT_EQ(printer_.FontPoints(), PrintJob::kMaxFontSize);

  // No line fits between the margins: a message instead of a division by zero.
  AddPage("text", "a.txt");
  for (int top : {1485, 2000, INT_MAX}) {
    ui_.ClearBoxes();
    p.fontSize = 9;
    p.marginTop = top;
    EXPECT_FALSE(job_.Run()) << top;
    ASSERT_EQ(ui_.Boxes().size(), 1u) << top;
    EXPECT_EQ(ui_.LastBox().flags, MB_OK | MB_ICONWARNING);
  }
  p.marginTop = 15;
  p.marginLeft = 104;  // 2100 - 1040 - 1040 = 20 pixels: not two "W"s wide
  p.marginRight = 104;
  ui_.ClearBoxes();
  EXPECT_FALSE(job_.Run());
  EXPECT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_FALSE(printer_.Begun());
}

TEST_F(PrintJobTest, OrdersWithCopies) {
  // L = 2: a.txt has 2 pages (a1 a2 | a3), b.txt 1 (b1).
  AddPage(NumberedLines("a", 3), "a.txt");
  AddPage(NumberedLines("b", 1), "b.txt");
  job_.Parameters().linePerPage = 2;
  job_.Parameters().copies = 2;
  struct Case {
    PrintOrder order;
    std::vector<std::string> firstLines;
  };
  const Case cases[] = {
      {PrintOrder::ByFile, {"a1", "a3", "a1", "a3", "b1", "b1"}},
      {PrintOrder::ByPage, {"a1", "a1", "a3", "a3", "b1", "b1"}},
      {PrintOrder::ByCopy, {"a1", "a3", "b1", "a1", "a3", "b1"}},
  };
  for (const Case& c : cases) {
    ui_.ClearBoxes();
    job_.Parameters().order = c.order;
    EXPECT_TRUE(job_.Run());
    EXPECT_EQ(FirstLines(), c.firstLines) << static_cast<int>(c.order);
    EXPECT_TRUE(printer_.Ended());
    EXPECT_EQ(job_.SheetsSent(), 6);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.LastBox().text, "印刷に必要な用紙枚数 : 6\n\n印刷を開始します");
    EXPECT_EQ(ui_.LastBox().flags, MB_OKCANCEL | MB_ICONQUESTION);
  }
  // The second line of a sheet sits at the bottom of the text area (L = 2).
  const PrintedSheet& sheet = printer_.Sheets().front();
  ASSERT_EQ(sheet.lines.size(), 2u);
  EXPECT_EQ(sheet.lines[0].y, job_.Layout().textTop);
  EXPECT_EQ(sheet.lines[1].y, job_.Layout().textTop + job_.Layout().textHeight);
}

TEST_F(PrintJobTest, EveryCounterOverATwoFileTwoCopyRun) {
  AddPage(NumberedLines("a", 3), "a.txt");
  AddPage(NumberedLines("b", 1), "b.txt");
  PrintParameters& p = job_.Parameters();
  p.linePerPage = 2;
  p.copies = 2;
  p.order = PrintOrder::ByCopy;
  p.userName = "山田";
  p.headLine =
      "[filename] f[fileindex[1]]/[filecount[0]] c[copyindex[1]]/[copycount[0]] "
      "s[pageindex[1]]/[pagecount[0]] p[pageindex_file[1]]/[pagecount_file[0]] "
      "k[pageindex_copy[1]]/[pagecount_copy[0]]";
  p.footLine = "[pathname] [now[yyyy/mm/dd hh:nn]] [username]";
  ASSERT_TRUE(job_.Run());
  const std::vector<std::string> expected = {
      "a.txt f1/2 c1/2 s1/6 p1/2 k1/3", "a.txt f1/2 c1/2 s2/6 p2/2 k2/3",
      "b.txt f2/2 c1/2 s3/6 p1/1 k3/3", "a.txt f1/2 c2/2 s4/6 p1/2 k1/3",
      "a.txt f1/2 c2/2 s5/6 p2/2 k2/3", "b.txt f2/2 c2/2 s6/6 p1/1 k3/3"};
  EXPECT_EQ(Headers(), expected);
  ASSERT_EQ(printer_.Sheets().size(), 6u);
  const PrintedSheet& last = printer_.Sheets().back();
  ASSERT_EQ(last.footer.size(), 1u);
  EXPECT_EQ(last.footer.front().text, "/doc/b.txt 2001/12/24 18:30 山田");
  EXPECT_EQ(last.header.front().x, job_.Layout().textLeft);
  EXPECT_EQ(last.footer.front().y, job_.Layout().footerTop);

  // In the page order the two sheets of page 1 are copies 1 and 2, sheets 1 and 2.
  p.order = PrintOrder::ByPage;
  p.headLine = "[copyindex[1]]:[pageindex[1]]";
  ASSERT_TRUE(job_.Run());
  EXPECT_EQ(Headers(), (std::vector<std::string>{"1:1", "2:2", "1:3", "2:4", "1:5", "2:6"}));
}

TEST_F(PrintJobTest, SpecialTextsAndHeaderFooterSwitches) {
  // 250 short lines at 100 a page: 3 pages.
  job_.Parameters().fontSize = 4;  // 16 pixels a line: room for 100
  job_.Parameters().linePerPage = 100;
  AddPage(NumberedLines("x", 250), "a.txt");
  ASSERT_TRUE(job_.Run());
  EXPECT_EQ(printer_.Sheets().size(), 3u);
  EXPECT_EQ(printer_.Sheets()[2].lines.size(), 50u);

  // One CR LF: one empty sheet with header and footer.
  controls_.front()->SetText("\r\n");
  job_.Parameters().headLine = "H";
  job_.Parameters().footLine = "F";
  ASSERT_TRUE(job_.Run());
  ASSERT_EQ(printer_.Sheets().size(), 1u);
  EXPECT_EQ(printer_.Sheets()[0].header.size(), 1u);
  EXPECT_EQ(printer_.Sheets()[0].footer.size(), 1u);
  ASSERT_EQ(printer_.Sheets()[0].lines.size(), 1u);
  EXPECT_EQ(printer_.Sheets()[0].lines[0].text, "");

  // LinePerPage 1: every line alone at the text top; without header and footer.
  controls_.front()->SetText("one\r\ntwo");
  job_.Parameters().linePerPage = 1;
  job_.Parameters().printHeadLine = false;
  job_.Parameters().printFootLine = false;
  ASSERT_TRUE(job_.Run());
  ASSERT_EQ(printer_.Sheets().size(), 2u);
  for (const PrintedSheet& sheet : printer_.Sheets()) {
    EXPECT_TRUE(sheet.header.empty());
    EXPECT_TRUE(sheet.footer.empty());
    ASSERT_EQ(sheet.lines.size(), 1u);
    EXPECT_EQ(sheet.lines[0].y, job_.Layout().textTop);
  }
}

TEST_F(PrintJobTest, SelectionRangeSkipsPagesWithoutOne) {
  MemoryTextControl& a = AddPage("alpha beta", "a.txt");
  AddPage("gamma", "b.txt");
  job_.Parameters().range = PrintRange::Selection;
  EXPECT_FALSE(job_.Run());
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, "印刷対象が 0 文字です");
  EXPECT_EQ(ui_.LastBox().flags, MB_OK | MB_ICONINFORMATION);

  a.SetSelection(6, 4);
  ui_.ClearBoxes();
  ASSERT_TRUE(job_.Run());
  EXPECT_EQ(printer_.BodyText(), "beta");
  EXPECT_EQ(ui_.LastBox().text, "印刷に必要な用紙枚数 : 1\n\n印刷を開始します");
  // An empty Page is skipped in the whole-text range too: the file counters leave it out.
  AddPage("", "empty.txt");
  job_.Parameters().range = PrintRange::WholeText;
  job_.Parameters().headLine = "[fileindex[1]]/[filecount[0]]";
  ASSERT_TRUE(job_.Run());
  EXPECT_EQ(Headers(), (std::vector<std::string>{"1/2", "2/2"}));
}

TEST_F(PrintJobTest, RefusalsAndFailuresSendNothingOrDropTheDocument) {
  AddPage("text", "a.txt");
  struct Case {
    const char* what;
    std::function<void()> setUp;
    const char* message;  // null: no message after the question
    bool asked;           // the sheet count was asked
  };
  const Case cases[] = {
      {"no printer", [this] { printer_.SetInstalled(false); }, kPrinterUnreachable, false},
      {"unreadable", [this] { printer_.SetMetricsReadable(false); }, kPrinterUnreachable, false},
      {"no copies", [this] { job_.Parameters().copies = 0; }, "印刷部数を 1以上 に設定して下さい",
       false},
      {"declined", [this] { ui_.QueueAnswer(IDCANCEL); }, nullptr, true},
      {"bad header", [this] { job_.Parameters().headLine = "[pageindex_file[x]]"; },
       "ﾍｯﾀﾞｰの 1文字目の [pageindex_file[x]] は、番号が数値ではありません。", false},
      {"bad footer", [this] { job_.Parameters().footLine = "日付 [copycount[]x]]"; },
       "ﾌｯﾀｰの 4文字目の [copycount[]x]] は、", false},
      {"refused begin", [this] { printer_.SetRefuseBegin(true); }, kPrinterUnreachable, true},
      {"refused end", [this] { printer_.SetRefuseEnd(true); }, kPrinterUnreachable, true},
  };
  for (const Case& c : cases) {
    MemoryPrinter fresh;
    printer_ = fresh;
    job_.Parameters().copies = 1;
    job_.Parameters().headLine = "";
    job_.Parameters().footLine = "";
    ui_.ClearBoxes();
    c.setUp();
    EXPECT_FALSE(job_.Run()) << c.what;
    const bool asked =
        !ui_.Boxes().empty() && ui_.Boxes().front().flags == (MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(asked, c.asked) << c.what;
    EXPECT_EQ(ui_.Boxes().size(), (c.asked ? 1u : 0u) + (c.message != nullptr ? 1u : 0u)) << c.what;
    if (c.message != nullptr && !ui_.Boxes().empty()) {
      EXPECT_EQ(ui_.LastBox().text.substr(0, std::string(c.message).size()), c.message) << c.what;
    }
    EXPECT_FALSE(printer_.Ended()) << c.what;
  }
}

TEST_F(PrintJobTest, ABadTemplateCodeIsNamedInsteadOfPrintingNothingSilently) {
  AddPage("text", "a.txt");
  job_.Parameters().footLine = "[pathname] p[pageindex[one]]";
  for (const PrintJob::RunKind kind : {PrintJob::RunKind::Print, PrintJob::RunKind::Preview}) {
    ui_.ClearBoxes();
    EXPECT_FALSE(job_.Run(kind));
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.LastBox().text.substr(0, ui_.LastBox().text.find('\n')),
              "ﾌｯﾀｰの 13文字目の [pageindex[one]] は、番号が数値ではありません。");
    EXPECT_EQ(ui_.LastBox().flags, MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(printer_.Begun());
  }
  // The preview's own check says the same before any sheet is drawn.
  ui_.ClearBoxes();
  EXPECT_FALSE(job_.CheckTemplates());
  EXPECT_EQ(ui_.Boxes().size(), 1u);
  job_.Parameters().footLine = "[pathname]";
  EXPECT_TRUE(job_.CheckTemplates());
}

TEST_F(PrintJobTest, NamesOutsideCp932PrintAsTheyAreInHeaderAndFooter) {
  // Korean, a Polish user: neither is CP932, and neither may turn into "?".
  AddPage("text", "한글.txt");
  PrintParameters& p = job_.Parameters();
  p.userName = "Łukasz";
  p.headLine = "[filename]";
  p.footLine = "[pathname] [username]";
  ASSERT_TRUE(job_.Run());
  ASSERT_EQ(printer_.Sheets().size(), 1u);
  EXPECT_EQ(printer_.Sheets()[0].header.at(0).text, "한글.txt");
  EXPECT_EQ(printer_.Sheets()[0].footer.at(0).text, "/doc/한글.txt Łukasz");
  EXPECT_EQ(printer_.BodyText(), "text");
}

TEST_F(PrintJobTest, CancellingStopsAfterTheSheetInHandAndDropsTheDocument) {
  AddPage(NumberedLines("a", 10), "a.txt");
  job_.Parameters().linePerPage = 1;
  ui_.SetOnProcessEvents([this] {
    if (job_.Running() && job_.SheetsSent() == 3) job_.Abort();
  });
  EXPECT_FALSE(job_.Run());
  EXPECT_EQ(job_.SheetsSent(), 3);
  EXPECT_TRUE(printer_.Aborted());
  EXPECT_FALSE(printer_.Ended());
  EXPECT_FALSE(job_.Running());

  // An abort during pagination stops before the question.
  job_.ClearAbort();
  ui_.ClearBoxes();
  ui_.SetOnProcessEvents([this] { job_.Abort(); });
  EXPECT_FALSE(job_.Run());
  EXPECT_TRUE(ui_.Boxes().empty());
}

}  // namespace
}  // namespace norra
