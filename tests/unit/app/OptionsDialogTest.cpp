// The options dialog's logic over a running main window: checks and messages, what applying a
// page changes, OK over several pages, the print-code insertion and the tag-symbol table.
#include "AppHarness.h"
#include "app/OptionsDialog.h"
#include "engine/TagTable.h"

namespace norra::testing {
namespace {

using enum OptionControl;

class OptionsDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteCurrentSettings();
    Start();
    dialog = std::make_unique<OptionsDialog>(
        OptionsContext{window->Prefs(), window->Log(), window->Docs(), window->Tags(), ui, *window,
                       [this] { return printer; }, "1.2.3"});
    ui.ClearBoxes();
  }
  void TearDown() override {
    dialog.reset();
    AppTest::TearDown();
  }
  std::string SavedFile() { return ReadFile(root / "config" / "Norra.ini"); }

  std::optional<PrinterInformation> printer =
      PrinterInformation{"Office", "A4", "lp0", true, 297, 210};
  std::unique_ptr<OptionsDialog> dialog;
};

struct Case {
  std::vector<std::pair<OptionControl, std::string>> edits;
  std::string message;  // empty: accepted
  std::function<int(const Settings&)> applied;
  int expected = 0;  // the applied value when accepted
};

TEST_F(OptionsDialogTest, EachPageChecksItsRangesWithItsMessagesAndTakesWhatPasses) {
  auto maxLength = [](const Settings& s) { return s.File.MaxLength; };
  auto recentMax = [](const Settings& s) { return s.File.RecentMax; };
  auto autoReload = [](const Settings& s) { return static_cast<int>(s.File.AutoReload); };
  auto makeBackup = [](const Settings& s) { return static_cast<int>(s.File.MakeBackup); };
  auto backupFolderSet = [](const Settings& s) { return static_cast<int>(!s.File.BackupFolder.empty()); };
  auto pageTabs = [](const Settings& s) { return static_cast<int>(s.Vision.PageTabs); };
  const char* const badFolder = "ﾊﾞｯｸｱｯﾌﾟ先のﾌｫﾙﾀﾞは、存在するﾌｫﾙﾀﾞをﾌﾙﾊﾟｽで指定して下さい。";
  auto tabStop = [](const Settings& s) { return s.Edit.TabStop; };
  auto endClear = [](const Settings& s) { return s.Edit.LostBytesEndClear; };
  auto maxLog = [](const Settings& s) { return s.Edit.MaxLogBytes; };
  auto leftBlank = [](const Settings& s) { return s.Vision.LeftBlank; };
  auto fontSize = [](const Settings& s) { return s.Vision.FontSize; };
  auto markGreen = [](const Settings& s) { return s.Vision.MarkGreen; };
  auto wrapColumns = [](const Settings& s) { return s.Vision.WrapColumns; };
  auto showMarks = [](const Settings& s) { return static_cast<int>(s.Vision.ShowMarks); };
  auto printFont = [](const Settings& s) { return s.Print.PrintFontSize; };
  auto columns = [](const Settings& s) { return s.Print.ColumnsPerLine; };
  auto headPos = [](const Settings& s) { return s.Print.HeadLinePosition; };
  const std::vector<Case> cases = {
      {{{txtMaxLength, "1023"}},
       "ﾌｧｲﾙの最大ｻｲｽﾞは 1024 ～ 104857600 ﾊﾞｲﾄに設定して下さい。",
       maxLength},
      {{{txtMaxLength, "1024"}}, "", maxLength, 1024},
      {{{txtMaxLength, "104857600"}}, "", maxLength, 104857600},
      {{{txtMaxLength, "104857601"}},
       "ﾌｧｲﾙの最大ｻｲｽﾞは 1024 ～ 104857600 ﾊﾞｲﾄに設定して下さい。",
       maxLength},
      {{{txtMaxLength, ""}},
       "ﾌｧｲﾙの最大ｻｲｽﾞは 1024 ～ 104857600 ﾊﾞｲﾄに設定して下さい。",
       maxLength},
      {{{txtRecentMax, "3"}}, "最近使ったﾌｧｲﾙの記憶数は 4 ～ 99 に設定して下さい。", recentMax},
      {{{txtRecentMax, "99"}}, "", recentMax, 99},
      {{{txtRecentMax, "100"}}, "最近使ったﾌｧｲﾙの記憶数は 4 ～ 99 に設定して下さい。", recentMax},
      {{{chkAutoReload, "1"}}, "", autoReload, 1},
      {{{chkMakeBackup, "1"}}, "", makeBackup, 1},
      {{{chkMakeBackup, "1"}, {txtBackupFolder, "/no/such/folder"}}, badFolder, backupFolderSet},
      {{{txtBackupFolder, "work"}}, badFolder, backupFolderSet},  // relative to nothing sure
      {{{txtBackupFolder, Work()}}, "", backupFolderSet, 1},
      {{{txtBackupFolder, ""}}, "", backupFolderSet, 0},  // back to beside each file
      {{{txtHeadLinePosition, "298"}},
       "ﾍｯﾀﾞｰと用紙上端との距離は 0 ～ 用紙長 に設定して下さい。",
       headPos},
      {{{txtHeadLinePosition, "297"}}, "", headPos, 297},
      {{{txtFootLinePosition, "-1"}},
       "ﾌｯﾀｰと用紙下端との距離は 0 ～ 用紙長 に設定して下さい。",
       headPos},
      {{{txtPrintFontSize, "129"}}, "印刷文字ｻｲｽﾞは 1 ～ 128 に設定して下さい。", printFont},
      {{{txtPrintFontSize, "128"}}, "", printFont, 128},
      {{{txtM_Top, "-1"}}, "上余白の値が小さすぎます。", printFont},
      {{{txtM_Bottom, "-1"}}, "下余白の値が小さすぎます。", printFont},
      {{{txtM_Left, "-1"}}, "左余白の値が小さすぎます。", printFont},
      {{{txtM_Right, "-1"}}, "右余白の値が小さすぎます", printFont},
      {{{txtLinePerPage, "0"}}, "1ﾍﾟｰｼﾞあたりの行数は 1以上 に設定して下さい", columns},
      {{{txtColumnsPerLine, "1"}}, "1行あたりの字数は 2以上 に設定して下さい", columns},
      {{{txtColumnsPerLine, "2"}}, "", columns, 2},
      {{{txtTabStop, "0"}}, "ﾀﾌﾞ間隔は 1 ～ 99 に設定して下さい。", tabStop},
      {{{txtTabStop, "99"}}, "", tabStop, 99},
      {{{txtLostBytesStartClear, "2047"}, {txtLostBytesEndClear, "0"}},
       "[戻す]記録を減らし始める文字数は 2048以上 にして下さい",
       endClear},
      {{{txtLostBytesStartClear, "10000"}, {txtLostBytesEndClear, "8000"}}, "", endClear, 8000},
      {{{txtLostBytesStartClear, "10000"}, {txtLostBytesEndClear, "8001"}},
       "[戻す]記録を減らし終える文字数は 8000(減らし始める文字数の80%)以下 にして下さい",
       endClear},
      {{{txtLostBytesStartClear, "10000"}, {txtLostBytesEndClear, "-5"}}, "", endClear, 0},
      // A changed start alone is checked against the end in force (8388608).
      {{{txtLostBytesStartClear, "5000"}},
       "[戻す]記録を減らし終える文字数は 4000(減らし始める文字数の80%)以下 にして下さい",
       endClear},
      {{{txtLostBytesEndClear, "8388609"}},
       "[戻す]記録を減らし終える文字数は 8388608(減らし始める文字数の80%)以下 にして下さい",
       endClear},
      {{{txtLostBytesEndClear, "8388608"}}, "", endClear, 8388608},
      // An emptied end box is no number: refused like one too large.
      {{{txtLostBytesEndClear, ""}},
       "[戻す]記録を減らし終える文字数は 8388608(減らし始める文字数の80%)以下 にして下さい",
       endClear},
      {{{txtMaxLogBytes, "255"}},
       "1動作で[戻す]記録を全ｸﾘｱさせる最低文字数は 256以上 にして下さい",
       maxLog},
      {{{txtMaxLogBytes, "256"}}, "", maxLog, 256},
      {{{txtLeftBlank, "100"}}, "左余白は 0 ～ 99 に設定して下さい。", leftBlank},
      {{{txtLeftBlank, "0"}}, "", leftBlank, 0},
      {{{txtFontSize, "0"}}, "文字ｻｲｽﾞは 1 ～ 128 に設定して下さい。", fontSize},
      {{{txtFontSize, "128"}}, "", fontSize, 128},
      {{{chkPageTabs, "1"}}, "", pageTabs, 1},
      {{{txtMarkGreen, "256"}}, "記号の色は 0 ～ 255 に設定して下さい。", markGreen},
      {{{txtMarkGreen, "255"}}, "", markGreen, 255},
      {{{txtWrapColumns, "3"}}, "折返し桁数は 4 ～ 999 に設定して下さい。", wrapColumns},
      {{{txtWrapColumns, "40"}}, "", wrapColumns, 40},
      {{{chkShowMarks, "1"}}, "", showMarks, 1},
  };
  for (const Case& c : cases) {
    const OptionControl first = c.edits.front().first;
    SCOPED_TRACE(std::string(NameOf(first)) + "=" + c.edits.front().second);
    const int page = PageOf(first);
    // Every case starts from the defaults.
    Settings& prefs = window->Prefs();
    prefs.File.MaxLength = FileSettings{}.MaxLength;
    prefs.File.RecentMax = FileSettings{}.RecentMax;
    prefs.Print = PrintSettings{};
    prefs.Edit = EditSettings{};
    prefs.Vision = VisionSettings{};
    const int before = c.applied(window->Prefs());
    dialog->Open(page);
    for (const auto& [control, value] : c.edits) dialog->Edit(control, value);
    ui.ClearBoxes();
    const bool applied = dialog->Apply();
    if (c.message.empty()) {
      EXPECT_TRUE(applied);
      EXPECT_TRUE(ui.Boxes().empty());
      EXPECT_EQ(c.applied(window->Prefs()), c.expected);
      EXPECT_FALSE(dialog->Changed(page));
    } else {
      EXPECT_FALSE(applied);
      ASSERT_EQ(ui.Boxes().size(), 1u);
      EXPECT_EQ(ui.LastBox().text, c.message);
      EXPECT_EQ(ui.LastBox().caption, OptionsDialog::GroupCaption(page));
      EXPECT_EQ(ui.LastBox().flags & kMbIconMask, MB_ICONWARNING);
      EXPECT_EQ(c.applied(window->Prefs()), before);
      EXPECT_TRUE(dialog->Changed(page));  // the edits stay for correction
      const auto focus = dialog->TakeFocusRequest();
      ASSERT_TRUE(focus.has_value());
      EXPECT_EQ(PageOf(focus->control), page);
    }
  }
}

TEST_F(OptionsDialogTest, MarginsTooLongForThePaperKeepTheirOldValuesWhileTheLaterChecksStillRun) {
  dialog->Open(OptionsDialog::kPagePrint);
  dialog->Edit(txtM_Top, "100");
  dialog->Edit(txtM_Bottom, "200");
  dialog->Edit(txtLinePerPage, "50");
  EXPECT_FALSE(dialog->Apply());
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "上余白と下余白の合計が用紙長を越えています");
  EXPECT_EQ(ui.LastBox().caption, "設定 - [印刷]");
  const PrintSettings& print = window->Prefs().Print;
  EXPECT_EQ(print.M_Top, 15);
  EXPECT_EQ(print.M_Bottom, 15);
  EXPECT_EQ(print.LinePerPage, 50);
  // The page shows the settings again.
  EXPECT_EQ(dialog->Value(txtM_Top), "15");
  EXPECT_EQ(dialog->Value(txtLinePerPage), "50");

  // Without a printer the paper counts as 99999 mm: the same margins fit.
  printer.reset();
  ui.ClearBoxes();
  dialog->Edit(txtM_Top, "100");
  dialog->Edit(txtM_Bottom, "200");
  EXPECT_TRUE(dialog->Apply());
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_EQ(print.M_Top, 100);
  EXPECT_EQ(print.M_Bottom, 200);
  EXPECT_EQ(dialog->PrinterLabels().at(4), "用紙長 : 99999mm");
}

TEST_F(OptionsDialogTest, OkTriesEveryChangedPageSavesAndStaysOnTheFirstThatFailed) {
  dialog->Open(OptionsDialog::kPageFile);
  dialog->Edit(txtMaxLength, "5");
  dialog->SwitchTo(OptionsDialog::kPageVision);
  dialog->Edit(txtLeftBlank, "7");
  EXPECT_EQ(dialog->MenuCaption(OptionsDialog::kPageVision), "▼表示(&V)");
  EXPECT_EQ(dialog->MenuCaption(OptionsDialog::kPageFile), "ﾌｧｲﾙ(&F)");

  EXPECT_FALSE(dialog->Ok());
  EXPECT_EQ(dialog->Closing(), OptionsDialog::Result::Cancel);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().caption, "設定 - [ﾌｧｲﾙ]");
  EXPECT_EQ(dialog->CurrentPage(), OptionsDialog::kPageFile);
  EXPECT_EQ(dialog->Value(txtMaxLength), "5");  // kept for correction
  EXPECT_EQ(dialog->TakeFocusRequest(), (OptionFocus{txtMaxLength, 0}));
  EXPECT_TRUE(dialog->Changed(OptionsDialog::kPageFile));
  EXPECT_FALSE(dialog->Changed(OptionsDialog::kPageVision));
  EXPECT_EQ(window->Prefs().Vision.LeftBlank, 7);
  EXPECT_NE(SavedFile().find("LeftBlank=7\r\n"), std::string::npos);

  // A shown page that fails keeps the dialog where it is, though an earlier one failed too.
  dialog->SwitchTo(OptionsDialog::kPageVision);
  dialog->Edit(txtLeftBlank, "100");
  ui.ClearBoxes();
  EXPECT_FALSE(dialog->Ok());
  EXPECT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(dialog->CurrentPage(), OptionsDialog::kPageVision);
  EXPECT_EQ(dialog->TakeFocusRequest(), (OptionFocus{txtLeftBlank, 0}));

  dialog->Edit(txtLeftBlank, "7");
  dialog->Edit(txtMaxLength, "4096");
  EXPECT_TRUE(dialog->Ok());
  EXPECT_EQ(dialog->Closing(), OptionsDialog::Result::Ok);
  EXPECT_NE(SavedFile().find("MaxLength=4096\r\n"), std::string::npos);
}

TEST_F(OptionsDialogTest, OkRewritesOnlyTheKeysTheUserChanged) {
  // A complete file as the program writes it, with colours of neither family.
  Settings& s = window->Prefs();
  s.Vision.ForeRed = 12;
  s.Vision.ForeGreen = 34;
  s.Vision.ForeBlue = 56;
  s.Print.M_Top = 20;
  ASSERT_TRUE(s.Save());
  const auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
      out.push_back(text.substr(at, end - at));
    return out;
  };
  const std::vector<std::string> before = lines(SavedFile());

  dialog->Open(OptionsDialog::kPageFile);
  dialog->Edit(txtRecentMax, "12");
  dialog->SwitchTo(OptionsDialog::kPagePrint);
  dialog->Edit(txtHeadLine, "H");
  dialog->SwitchTo(OptionsDialog::kPageEdit);
  dialog->Edit(txtTabStop, "7");
  dialog->SwitchTo(OptionsDialog::kPageVision);
  dialog->Edit(txtFontSize, std::to_string(s.Vision.FontSize + 1));
  dialog->SwitchTo(OptionsDialog::kPageFindReplace);
  const bool wantTabs = !s.FindReplace.WantTabs;
  dialog->EditChecked(chkWantTabs, wantTabs);
  ASSERT_TRUE(dialog->Ok());

  const std::vector<std::string> after = lines(SavedFile());
  ASSERT_EQ(after.size(), before.size());
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (after[i] != before[i]) changed.push_back(after[i]);
  }
  EXPECT_EQ(changed, (std::vector<std::string>{"RecentMax=12", "HeadLine=H", "TabStop=7",
                                               "FontSize=" + std::to_string(s.Vision.FontSize),
                                               std::string("WantTabs=") + (wantTabs ? "1" : "0")}));
}

TEST_F(OptionsDialogTest, ResetUndoAndSwitchingKeepOrDropTheEditsAsTheButtonsSay) {
  dialog->Open(OptionsDialog::kPageEdit);
  EXPECT_TRUE(dialog->ApplyButtonsVisible());
  EXPECT_FALSE(dialog->ApplyButtonsEnabled());
  dialog->Reset();
  EXPECT_TRUE(dialog->ApplyButtonsEnabled());
  EXPECT_EQ(dialog->Value(txtTabStop), "4");

  dialog->Edit(txtTabStop, "8");
  dialog->SwitchTo(OptionsDialog::kPageFile);
  dialog->SwitchTo(OptionsDialog::kPageEdit);
  EXPECT_EQ(dialog->Value(txtTabStop), "8");  // unapplied changes survive a page switch
  dialog->Undo();
  EXPECT_EQ(dialog->Value(txtTabStop), "4");
  EXPECT_FALSE(dialog->ApplyButtonsEnabled());

  dialog->SwitchTo(OptionsDialog::kPageGeneral);
  EXPECT_FALSE(dialog->ApplyButtonsVisible());
  dialog->Cancel();
  EXPECT_EQ(dialog->Closing(), OptionsDialog::Result::Cancel);
}

TEST_F(OptionsDialogTest, UserNameAndItsSwitchChangeTheCaptionAtOnce) {
  dialog->Open(OptionsDialog::kPageGeneral);
  EXPECT_EQ(dialog->VersionText(), "Norra Version 1.2.3");
  dialog->Edit(txtUserName, "山田");
  EXPECT_EQ(view.caption, "Norra - [無題1]");
  dialog->EditChecked(chkDispUserName, true);
  EXPECT_EQ(view.caption, "Norra for 山田 - [無題1]");
  EXPECT_EQ(window->Prefs().General.UserName, "山田");
  EXPECT_TRUE(window->Prefs().General.DispUserName);
  dialog->Edit(txtUserName, "");
  EXPECT_EQ(view.caption, "Norra - [無題1]");
  // Cancel leaves what page 0 did.
  dialog->Cancel();
  EXPECT_TRUE(window->Prefs().General.DispUserName);
}

TEST_F(OptionsDialogTest, MaxLengthReachesEveryPageAndAnLfFileKeepsRoomForItsLineBreaks) {
  std::string lf;
  for (int i = 0; i < 500; ++i) lf += "a\n";  // 1000 bytes on disk, 1500 held
  ASSERT_EQ(window->Docs().OpenPage(MakeFile("lf.txt", lf), false), 1);
  Page& lfPage = *Active();
  ASSERT_EQ(lfPage.Control().TextLength(), 1500u);
  Page& crlfPage = NewPage("abc|");

  dialog->Open(OptionsDialog::kPageFile);
  dialog->Edit(txtMaxLength, "1024");
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(crlfPage.Control().MaxLength(), 1024u);
  EXPECT_EQ(lfPage.Control().MaxLength(), 1500u);
  EXPECT_EQ(lfPage.Control().TextLength(), 1500u);

  dialog->Edit(txtMaxLength, "4096");
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(lfPage.Control().MaxLength(), 4096u);
}

TEST_F(OptionsDialogTest, SmallerRecentMaxDropsTheOldestFiles) {
  Settings& s = window->Prefs();
  s.File.RecentFiles = {"/a", "/b", "/c", "/d", "/e", "/f"};  // "/f" is the most recent
  dialog->Open(OptionsDialog::kPageFile);
  dialog->Edit(txtRecentMax, "4");
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(s.File.RecentFiles, (std::vector<std::string>{"/c", "/d", "/e", "/f"}));
}

TEST_F(OptionsDialogTest, EditValuesConfigureTheUndoLogAndTheTabWidthOfThePages) {
  Page& page = *Active();
  dialog->Open(OptionsDialog::kPageEdit);
  dialog->Edit(txtTabStop, "8");
  dialog->EditChecked(chkUseTabCode, true);
  dialog->Edit(cboInitImeMode, "1");
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(window->Log().TabStop(), 8);
  EXPECT_EQ(window->Log().IndentChar(), '\t');
  EXPECT_EQ(Memory(page).TabWidth(), 8);
  EXPECT_EQ(window->Prefs().Edit.InitImeMode, 1);
  EXPECT_EQ(dialog->LogBytesLabel(), "現在の [戻す] ための記録文字数 : 0");
  EXPECT_EQ(dialog->UndoLogsLabel(), "現在 [戻す] ことが可能な動作数 : 0");
}

TEST_F(OptionsDialogTest, VisionRestylesEveryOpenPageAndTheBars) {
  Page& first = *Active();
  Page& second = NewPage();
  view.styled.clear();
  dialog->Open(OptionsDialog::kPageVision);
  // Defaults: black text, white background.
  EXPECT_EQ(dialog->ForeColour(), (OptionColour{0, 0, 0}));
  EXPECT_EQ(dialog->BackColour(), (OptionColour{255, 255, 255}));
  dialog->Edit(txtFontSize, "20");
  dialog->Edit(barBackColor, "128");
  dialog->EditChecked(optForeYellowWhite, true);
  dialog->EditChecked(optForeBlackBlue, false);
  dialog->Edit(barForeColor, "10");
  dialog->EditChecked(chkToolBar, false);
  ASSERT_TRUE(dialog->Apply());
  ASSERT_EQ(view.styled.size(), 2u);
  EXPECT_EQ(view.styled[0].first, &second);
  EXPECT_EQ(view.styled[1].first, &first);
  EXPECT_EQ(view.styled[1].second.FontSize, 20);
  const VisionSettings& v = window->Prefs().Vision;
  EXPECT_EQ((OptionColour{v.BackRed, v.BackGreen, v.BackBlue}), (OptionColour{255, 255, 128}));
  EXPECT_EQ((OptionColour{v.ForeRed, v.ForeGreen, v.ForeBlue}), (OptionColour{255, 255, 10}));
  EXPECT_FALSE(view.toolBar);
  EXPECT_TRUE(view.statusBar);
}

TEST_F(OptionsDialogTest, TagSymbolsTakeEffectForTheEngineAndTheExamplesAtOnce) {
  dialog->Open(OptionsDialog::kPageFindReplace);
  const TagSymbolRow row = dialog->TagRow(TAG_STR);
  EXPECT_EQ(row.symbol, "*");
  EXPECT_EQ(row.kind, "(検索)");
  EXPECT_EQ(row.example, "1997年の出来事 : [*](時事)");
  EXPECT_EQ(dialog->TagRow(TAG_NOWF).kind, "(置換)");
  EXPECT_EQ(dialog->TagRow(TAG_BRACKET1).kind, "(共通)");
  EXPECT_FALSE(dialog->TagRow(TAG_LITERAL).editable);

  dialog->Edit(txtTagSymbol, "", TAG_CHAR);
  dialog->Edit(txtTagSymbol, "", TAG_NUM);
  EXPECT_FALSE(dialog->Apply());
  ASSERT_EQ(ui.Boxes().size(), 1u);  // once, for the first empty one
  EXPECT_EQ(ui.LastBox().text, "ﾀｸﾞ記号は 1文字以上 を設定して下さい。");
  EXPECT_EQ(dialog->TakeFocusRequest(), (OptionFocus{txtTagSymbol, TAG_CHAR}));

  dialog->Undo();
  dialog->Edit(txtTagSymbol, "全", TAG_STR);
  dialog->Edit(txtTagSymbol, "<", TAG_BRACKET1);
  dialog->Edit(txtTagSymbol, ">", TAG_BRACKET2);
  dialog->EditChecked(chkWantTabs, true);
  ASSERT_TRUE(dialog->Apply());
  const FindReplaceSettings& fr = window->Prefs().FindReplace;
  EXPECT_EQ(fr.Symbols[TAG_STR], Utf8ToCp932("全"));
  EXPECT_TRUE(fr.SymbolChanged[TAG_STR]);
  EXPECT_FALSE(fr.SymbolChanged[TAG_CHAR]);
  EXPECT_TRUE(fr.WantTabs);
  EXPECT_EQ(window->Tags().Symbols(), &fr.Symbols);
  EXPECT_EQ(dialog->TagRow(TAG_STR).example, "1997年の出来事 : <全>(時事)");
  EXPECT_NE(SavedFile().find("[KARVOSystem]\r\nSTR="), std::string::npos);
}

TEST_F(OptionsDialogTest, PrintCodesGoInAtTheCaretOnlyWhileTheTemplateStaysWithin255Characters) {
  dialog->Open(OptionsDialog::kPagePrint);
  EXPECT_TRUE(dialog->ToggleCodeList(txtHeadLine));
  EXPECT_TRUE(dialog->ToggleCodeList(txtFootLine));   // moves to the footer
  EXPECT_FALSE(dialog->ToggleCodeList(txtFootLine));  // the same button hides it
  EXPECT_FALSE(dialog->CodeListBox().has_value());
  EXPECT_FALSE(dialog->InsertPrintCode(0, 0, 0).has_value());

  dialog->Edit(txtHeadLine, "ﾍﾟｰｼﾞ:XX");
  dialog->ToggleCodeList(txtHeadLine);
  // "[filename]" over the selected "XX".
  EXPECT_EQ(dialog->InsertPrintCode(0, 6, 2), std::optional<std::size_t>(16));
  EXPECT_EQ(dialog->Value(txtHeadLine), "ﾍﾟｰｼﾞ:[filename]");

  dialog->Edit(txtHeadLine, std::string(245, 'x'));
  EXPECT_EQ(dialog->InsertPrintCode(0, 245, 0), std::optional<std::size_t>(255));
  EXPECT_EQ(dialog->Value(txtHeadLine).size(), 255u);
  dialog->Edit(txtHeadLine, std::string(246, 'x'));
  EXPECT_FALSE(dialog->InsertPrintCode(0, 0, 0).has_value());
  EXPECT_EQ(dialog->Value(txtHeadLine), std::string(246, 'x'));
}

TEST_F(OptionsDialogTest, SecondHelpThatDoesNotExistIsQuestionedAndAnExistingOneIsTaken) {
  dialog->Open(OptionsDialog::kPageHelp);
  const std::string missing = Work() + "/none.html";
  dialog->Edit(txtSecondHelp, missing);
  ui.QueueAnswer(IDYES);
  EXPECT_FALSE(dialog->Apply());
  EXPECT_EQ(ui.LastBox().text,
            "第2ﾍﾙﾌﾟﾌｧｲﾙに指定された\n" + missing + "\n  は存在しません。設定し直しますか?");
  EXPECT_EQ(ui.LastBox().caption, "設定 - [ﾍﾙﾌﾟ]");
  EXPECT_FALSE(window->Prefs().Help.HasSecondHelp());

  ui.QueueAnswer(IDNO);
  EXPECT_TRUE(dialog->Apply());
  EXPECT_FALSE(window->Prefs().Help.HasSecondHelp());
  EXPECT_EQ(dialog->Value(txtSecondHelp), "");

  const std::string help = MakeFile("guide.html", "<html></html>");
  ui.QueueDialogFiles({help});
  EXPECT_TRUE(dialog->BrowseSecondHelp());
  EXPECT_TRUE(dialog->Apply());
  EXPECT_EQ(window->Prefs().Help.SecondHelpFile, help);
  EXPECT_EQ(window->Prefs().Help.SecondHelpName, "guide.html");
}

}  // namespace
}  // namespace norra::testing
