// The print mode of the file-list dialog: the panel's values from the settings, the print
// button's checks and run, and the same button cancelling a run.
#include <gtest/gtest.h>

#include "FileListDialogHarness.h"
#include "groups/FileListPrintPanel.h"
#include "platform/MemoryPrinter.h"
#include "printing/PrintJob.h"

namespace norra::testing {
namespace {

using C = FileListControl;

class PrintAllTest : public ListDialogTest {
 protected:
  // Two Pages, a.txt active (first row) and b.txt, each two print lines at 1 line a page.
  void TwoPages() {
    Launch();
    OpenFile("b.txt", "b1\r\nb2");
    OpenFile("a.txt", "a1\r\na2");
    PrintSettings& print = window->Prefs().Print;
    print.LinePerPage = 1;
    print.HeadLine = "[filename] [copyindex[1]]";
    print.FootLine = "";
  }
  FileListDialogContext PrintContext() {
    FileListDialogContext context = Context();
    context.printJob = &job;
    context.printOptions = [this] { ++optionsShown; };
    return context;
  }

  MemoryPrinter printer;
  PrintJob job{printer, ui, clock};
  int optionsShown = 0;
};

TEST_F(PrintAllTest, ThePanelStartsFromTheSettingsAndShowsThePrinter) {
  TwoPages();
  window->Prefs().Print.Copies = 3;
  window->Prefs().Print.PrintOrder = 2;
  window->Prefs().Print.PrintRange = 2;
  FileListDialog dialog(PrintContext(), ListDialogMode::PrintAll);
  FileListPrintPanel* panel = dialog.PrintPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->CopiesText(), "3");
  EXPECT_EQ(panel->Order(), PrintOrder::ByPage);
  EXPECT_EQ(panel->Range(), PrintRange::Selection);
  EXPECT_EQ(panel->PrinterLabels(),
            (std::array<std::string, 4>{"ﾌﾟﾘﾝﾀ名 : Memory printer", "用紙ｻｲｽﾞ : A4",
                                        "印刷方向 : タテ", "場所 : memory:"}));
  // F6: the options, then the labels again; a printer gone leaves the bare captions.
  printer.SetInstalled(false);
  EXPECT_TRUE(dialog.KeyDown(0x75, 0));
  EXPECT_EQ(optionsShown, 1);
  EXPECT_EQ(panel->PrinterLabels()[0], "ﾌﾟﾘﾝﾀ名 : ");
  EXPECT_EQ(panel->PrinterLabels()[3], "場所 : ");

  window->Prefs().Print.PrintOrder = 7;
  window->Prefs().Print.PrintRange = 0;
  FileListDialog other(PrintContext(), ListDialogMode::PrintAll);
  EXPECT_EQ(other.PrintPanel()->Order(), PrintOrder::ByFile);
  EXPECT_EQ(other.PrintPanel()->Range(), PrintRange::WholeText);
  FileListDialog jump(PrintContext(), ListDialogMode::Jump);
  EXPECT_EQ(jump.PrintPanel(), nullptr);
}

TEST_F(PrintAllTest, PrintingTheSelectedRowsStoresTheChoicesAndFinishes) {
  TwoPages();
  FileListDialog dialog(PrintContext(), ListDialogMode::PrintAll);
  dialog.SelectRow(0, true);
  dialog.SelectRow(1, true);
  FileListPrintPanel& panel = *dialog.PrintPanel();

  for (const char* copies : {"", "0", "00000"}) {
    ui.ClearBoxes();
    panel.SetCopiesText(copies);
    dialog.Click(C::cmdDo);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"印刷部数を 1以上 に設定して下さい"}))
        << copies;
    EXPECT_FALSE(dialog.Closed());
    EXPECT_FALSE(printer.Begun());
  }

  ui.ClearBoxes();
  panel.SetCopiesText("2");
  panel.SetOrder(PrintOrder::ByCopy);
  dialog.Click(C::cmdDo);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"印刷に必要な用紙枚数 : 8\n\n印刷を開始します"}));
  ASSERT_TRUE(printer.Ended());
  std::vector<std::string> headers;
  for (const PrintedSheet& sheet : printer.Sheets()) headers.push_back(sheet.header.at(0).text);
  EXPECT_EQ(headers, (std::vector<std::string>{"a.txt 1", "a.txt 1", "b.txt 1", "b.txt 1",
                                               "a.txt 2", "a.txt 2", "b.txt 2", "b.txt 2"}));
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
  const PrintSettings& print = window->Prefs().Print;
  EXPECT_EQ(print.Copies, 2);
  EXPECT_EQ(print.PrintOrder, 3);
  EXPECT_EQ(print.PrintRange, 1);
}

TEST_F(PrintAllTest, ThePrintButtonCancelsTheRunningPrint) {
  TwoPages();
  FileListDialog dialog(PrintContext(), ListDialogMode::PrintAll);
  dialog.SelectRow(0, true);
  dialog.PrintPanel()->SetCopiesText("3");
  struct During {
    std::string doCaption;
    bool doEnabled = false;
    bool cancelEnabled = true;
    bool panelEnabled = true;
  } during;
  ui.SetOnProcessEvents([&] {
    if (!job.Running() || job.SheetsSent() != 2) return;
    // The rows belong to the run; the button is the one control that acts.
    dialog.SelectRow(0, false);
    dialog.Click(C::cmdSelectAll);
    during = {dialog.Control(C::cmdDo).caption, dialog.Control(C::cmdDo).enabled,
              dialog.Control(C::cmdCancel).enabled, dialog.Control(C::fraPrintAll).enabled};
    dialog.Click(C::cmdDo);
  });
  dialog.Click(C::cmdDo);
  EXPECT_EQ(during.doCaption, "印刷中止(&P)");
  EXPECT_TRUE(during.doEnabled);
  EXPECT_FALSE(during.cancelEnabled);
  EXPECT_FALSE(during.panelEnabled);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"印刷に必要な用紙枚数 : 6\n\n印刷を開始します",
                                                  "印刷処理は中断されました"}));
  EXPECT_EQ(ui.LastBox().flags, MB_OK);
  EXPECT_TRUE(printer.Aborted());
  EXPECT_FALSE(printer.Ended());
  EXPECT_EQ(job.SheetsSent(), 2);
  // The dialog stays open with its controls back; the copies were stored all the same.
  EXPECT_FALSE(dialog.Closed());
  EXPECT_EQ(dialog.DialogResult(), kListDialogCancelled);
  EXPECT_EQ(dialog.Control(C::cmdDo).caption, "印刷(&P)");
  EXPECT_TRUE(dialog.Control(C::cmdCancel).enabled);
  EXPECT_TRUE(dialog.Control(C::fraPrintAll).enabled);
  EXPECT_TRUE(dialog.Control(C::cmdDo).enabled);
  EXPECT_EQ(dialog.SelectedRows(), (std::vector<std::size_t>{0}));
  EXPECT_EQ(window->Prefs().Print.Copies, 3);

  // Esc and the close box wait for the run rather than closing the dialog under it.
  ui.ClearBoxes();
  ui.SetOnProcessEvents([&] {
    if (!job.Running() || job.SheetsSent() != 1) return;
    EXPECT_TRUE(dialog.KeyDown(kKeyEscape, 0));
    dialog.CloseBox();
    EXPECT_FALSE(dialog.Closed());
  });
  dialog.Click(C::cmdDo);
  EXPECT_EQ(job.SheetsSent(), 6);
  EXPECT_TRUE(printer.Ended());
  EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
}

}  // namespace
}  // namespace norra::testing
