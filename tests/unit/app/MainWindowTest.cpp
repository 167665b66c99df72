// The main window driven as a view would drive it: start-up, command line, status texts,
// enabling, exit and shutdown, dropped files, the page list, find window and help routing.
#include "AppHarness.h"
#include "documents/PageDiskWatch.h"
#include "engine/TagTable.h"

namespace norra::testing {
namespace {

class MainWindowTest : public AppTest {
 protected:
  // The settings as the file on disk holds them now.
  std::unique_ptr<Settings> SavedSettings() {
    savedTags = std::make_unique<TagTable>();
    EXPECT_TRUE(savedTags->Build());
    auto saved = std::make_unique<Settings>(*savedTags, (root / "config" / "Norra.ini").string(), "", ScreenSize{1920, 1080});
    EXPECT_TRUE(saved->Load());
    return saved;
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const PageListEntry& entry : window->Docs().List().Entries()) names.push_back(entry.page->DisplayName());
    return names;
  }
  std::unique_ptr<TagTable> savedTags;
};

TEST_F(MainWindowTest, WithoutArgumentsOneUntitledPageIsReadyForInput) {
  WriteCurrentSettings();
  Start();
  ASSERT_NE(Active(), nullptr);
  EXPECT_EQ(Names(), (std::vector<std::string>{"無題1"}));
  EXPECT_EQ(view.title, "無題1");
  EXPECT_EQ(view.caption, "Norra - [無題1]");
  EXPECT_EQ(view.status[1], "1/1ﾌｧｲﾙ");
  EXPECT_EQ(view.status[2], "0ﾊﾞｲﾄ");
  EXPECT_EQ(view.status[3], "1/1行");
  EXPECT_EQ(view.status[4], "1/1列");
  EXPECT_EQ(view.status[5], "挿入");
  // The start mode of the input method once, then the user's own from there on.
  EXPECT_EQ(view.imeModes, (std::vector<int>{6, MainWindow::kImeDontCare}));
  EXPECT_EQ(view.focused, Active());
  EXPECT_TRUE(view.painting);
  EXPECT_TRUE(options.pages.empty());  // the settings file is current
  EXPECT_TRUE(ui.Boxes().empty());

  // Untitled numbering carries on from the command line's Page.
  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_EQ(Names(), (std::vector<std::string>{"無題2", "無題1"}));
  EXPECT_EQ(view.status[1], "1/2ﾌｧｲﾙ");
  EXPECT_EQ(view.pageList, (std::vector<std::string>{"無題2", "無題1"}));
  EXPECT_EQ(view.pageListSelected, 0u);

  // The first show runs once.
  window->Show();
  EXPECT_EQ(window->Docs().PageCount(), 2u);
}

TEST_F(MainWindowTest, CommandLineFilesOpenInOrderAndSplitPathsJoin) {
  WriteCurrentSettings();
  const std::string a = MakeFile("a.txt", "AAA");
  const std::string spaced = MakeFile("my file.txt", "0123456789");
  Start({"a.txt", (root / "work" / "my").string(), "file.txt"});
  EXPECT_EQ(Names(), (std::vector<std::string>{"my file.txt", "a.txt"}));
  EXPECT_EQ(window->Docs().List().At(1).text, a);
  EXPECT_EQ(view.status[2], "10ﾊﾞｲﾄ");
  EXPECT_EQ(window->Docs().UntitledCounter(), 0);
  // Both went to the recent-file list, oldest first.
  EXPECT_EQ(window->Prefs().File.RecentFiles, (std::vector<std::string>{a, spaced}));
}

// The view watches the open files; what it misses, the main window's activation finds.
TEST_F(MainWindowTest, AFileChangedBehindItsPageIsAskedAboutOnceOnActivation) {
  WriteCurrentSettings();
  const std::string a = MakeFile("a.txt", "AAA");
  Start({"a.txt"});
  EXPECT_EQ(view.watched, std::vector<std::string>{a});
  const std::size_t before = ui.Boxes().size();
  window->Activated();
  EXPECT_EQ(ui.Boxes().size(), before);
  MakeFile("a.txt", "BBBB");
  ui.QueueAnswer(IDNO);
  window->Activated();
  ASSERT_EQ(ui.Boxes().size(), before + 1);
  window->Activated();
  window->FileChangedOnDisk(a);
  ASSERT_EQ(ui.Boxes().size(), before + 1);
  EXPECT_EQ(ui.Boxes().back().text, PageDiskWatch::ChangedText(a));
  EXPECT_EQ(Active()->Control().Text(), "AAA");
  // Closing the kept text asks to save it.
  EXPECT_TRUE(Active()->Modified());
}

TEST_F(MainWindowTest, SettingsOptionNamesTheSettingsFileAndIsNoFile) {
  WriteFile(root / "other.ini", "[Norra]\r\nIniVersion=3500\r\n[Vision]\r\nToolBar=0\r\n");
  const std::string a = MakeFile("a.txt", "A");
  Start({"-F", (root / "other.ini").string(), "a.txt"});
  EXPECT_EQ(window->Prefs().FilePath(), (root / "other.ini").string());
  EXPECT_FALSE(view.toolBar);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt"}));
  window.reset();

  // Without an argument ending the settings name in ".ini" nothing is opened but one untitled Page.
  Start({"-F", "settings.txt", "a.txt"});
  EXPECT_EQ(Names(), (std::vector<std::string>{"無題1"}));
}

TEST_F(MainWindowTest, MissingCommandLineFileLeavesTheEmptyState) {
  WriteCurrentSettings();
  Start({"gone.txt"});
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "ﾌｧｲﾙが存在しません");
  EXPECT_EQ(window->Docs().PageCount(), 0u);
  EXPECT_EQ(view.title, "No File");
  EXPECT_EQ(view.status[1], "0/0ﾌｧｲﾙ");
  EXPECT_EQ(view.status[2], "0ﾊﾞｲﾄ");
  EXPECT_EQ(view.status[5], "");
  EXPECT_FALSE(view.Enabled(UiItem::mnuCloseFile));
  EXPECT_FALSE(view.Enabled(UiItem::SaveBtn));
  // Commands that need a Page do nothing.
  for (UiItem item : {UiItem::mnuUndo, UiItem::PasteItem, UiItem::mnuInsertDateTime, UiItem::mnuBookmark,
                      UiItem::mnuJumpToBookmark, UiItem::mnuWordWrap, UiItem::mnuPrintAll, UiItem::mnuMovePage,
                      UiItem::mnuCascadeChildren, UiItem::mnuHelpKeyWord2}) {
    window->Execute(item);
  }
  EXPECT_EQ(ui.Boxes().size(), 1u);
  EXPECT_TRUE(dialogs.runs.empty());
  EXPECT_TRUE(view.arranged.empty());
}

TEST_F(MainWindowTest, WindowSizeIsCorrectedAndWrittenBack) {
  WriteCurrentSettings("[Window]\r\nTop=7\r\nLeft=9\r\nWidth=0\r\nHeight=500\r\n");
  Start();
  EXPECT_EQ(view.placement.width, MainWindow::kDefaultWidth);
  EXPECT_EQ(view.placement.height, 500);
  EXPECT_EQ(view.placement.top, 7);
  EXPECT_EQ(view.placement.left, 9);
  EXPECT_EQ(window->Prefs().Window.Width, 580);

  window.reset();
  WriteCurrentSettings("[Window]\r\nTop=7\r\nLeft=9\r\nWidth=0\r\nHeight=5000\r\n");
  Start();
  EXPECT_EQ(view.placement.height, 1080);
  EXPECT_EQ(window->Prefs().Window.Width, 580);
  EXPECT_EQ(window->Prefs().Window.Height, 1080);
  EXPECT_GE(view.nudges, 1);  // the first show forces a layout

  window.reset();
  WriteCurrentSettings("[Window]\r\nWidth=3000\r\nHeight=-1\r\n");
  Start();
  EXPECT_EQ(view.placement.width, 1920);
  EXPECT_EQ(view.placement.height, MainWindow::kDefaultHeight);
}

TEST_F(MainWindowTest, WindowPositionIsClampedToTheScreen) {
  struct Case {
    std::string stored;
    int top;
    int left;
  };
  const std::vector<Case> cases = {
      {"Top=32767\r\nLeft=32767\r\n", 1080 - 400, 1920 - 600},
      {"Top=-32767\r\nLeft=-32767\r\n", 0, 0},
      {"Top=30\r\nLeft=40\r\n", 30, 40},
      {"Top=700\r\nLeft=1400\r\n", 680, 1320},
  };
  for (const Case& c : cases) {
    window.reset();
    WriteCurrentSettings("[Window]\r\nWidth=600\r\nHeight=400\r\n" + c.stored);
    Start();
    EXPECT_EQ(view.placement.top, c.top) << c.stored;
    EXPECT_EQ(view.placement.left, c.left) << c.stored;
    EXPECT_EQ(window->Prefs().Window.Top, c.top) << c.stored;
    EXPECT_EQ(window->Prefs().Window.Left, c.left) << c.stored;
  }
}

TEST_F(MainWindowTest, CreationFailureIsReportedAndNothingRuns) {
  view.failPlacement = true;
  window = std::make_unique<MainWindow>(Ports(), Options({}));
  EXPECT_FALSE(window->Create());
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "Norra起動時にｴﾗｰ発生");
  EXPECT_EQ(ui.LastBox().caption, "Norra - [起動時ｴﾗｰ]");
  EXPECT_EQ(ui.LastBox().flags & kMbIconMask, MB_ICONERROR);
  EXPECT_FALSE(window->Created());
  window->Show();
  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_TRUE(view.windows.empty());
  EXPECT_TRUE(window->CloseQuery());
}

TEST_F(MainWindowTest, UnreadableSettingsFileLeavesDefaultsInForce) {
  fs::create_directories(root / "config" / "Norra.ini");  // a folder where the file should be
  Start();
  EXPECT_TRUE(window->Created());
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_EQ(window->Prefs().Edit.TabStop, 4);
  EXPECT_EQ(window->Docs().PageCount(), 1u);
}

TEST_F(MainWindowTest, OlderSettingsFileOffersTheOptionsOnce) {
  WriteFile(root / "config" / "Norra.ini", "[Norra]\r\nIniVersion=3400\r\n");
  view.showsUntilVisible = 3;
  Start();
  EXPECT_EQ(options.pages, (std::vector<int>{0}));
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.showCalls, 3);
  window->Show();
  EXPECT_EQ(options.pages.size(), 1u);
}

TEST_F(MainWindowTest, SavedWindowStatesAreRestoredAtTheFirstShow) {
  WriteFile(root / "config" / "Norra.ini",
            "[Norra]\r\nIniVersion=3500\r\nDispUserName=1\r\nUserName=Ken\r\n[Window]\r\nChildWindowState=0\r\nWindowState=2\r\n");
  Start();
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.placement.state, kPageMaximized);
  EXPECT_EQ(view.caption, "Norra for Ken - [無題1]");
}

TEST_F(MainWindowTest, StatusPanelsFollowCaretSelectionAndState) {
  WriteCurrentSettings();
  Start();
  SetMarked("|0123456789");
  window->Idle();
  EXPECT_EQ(view.status[2], "10ﾊﾞｲﾄ");
  Memory(*Active()).SetSelection(2, 3);
  window->Idle();
  EXPECT_EQ(view.status[2], "選択3");

  SetMarked("a|b\r\ncde");
  window->Idle();
  EXPECT_EQ(view.status[2], "7ﾊﾞｲﾄ");
  EXPECT_EQ(view.status[3], "1/2行");
  EXPECT_EQ(view.status[4], "2/3列");
  SetMarked("ab\r\ncd|e");
  window->Idle();
  EXPECT_EQ(view.status[3], "2/2行");
  EXPECT_EQ(view.status[4], "3/4列");  // the last line has no line break: length + 1
  SetMarked("あい|\r\n");
  window->Idle();
  EXPECT_EQ(view.status[2], "6ﾊﾞｲﾄ");
  EXPECT_EQ(view.status[4], "5/5列");
  // A lone LF in the middle ends its line too.
  SetMarked("ab\n|cd\r\nx");
  window->Idle();
  EXPECT_EQ(view.status[3], "2/3行");
  EXPECT_EQ(view.status[4], "1/3列");

  // Typing marks the Page modified; Insert switches to overwrite.
  Keys("x");
  window->Idle();
  EXPECT_EQ(view.status[5], "挿入 / 変更");
  Keys("<Ins>");
  window->Idle();
  EXPECT_EQ(view.status[5], "上書き / 変更");
  Keys("<Ins>");

  // The Page's position in the list: the newest is first.
  Page& first = *Active();
  NewPage("abc|");
  window->Idle();
  EXPECT_EQ(view.status[1], "1/2ﾌｧｲﾙ");
  EXPECT_EQ(view.status[5], "挿入");
  window->Docs().ActivatePage(&first);
  EXPECT_EQ(view.status[1], "2/2ﾌｧｲﾙ");
  EXPECT_EQ(view.status[5], "挿入 / 変更");
  EXPECT_EQ(view.title, "無題1");

  // The hint hook writes panel 0.
  window->ShowHint("新規ﾌｧｲﾙの作成");
  EXPECT_EQ(view.status[0], "新規ﾌｧｲﾙの作成");
}

TEST_F(MainWindowTest, StartUpMessagesShowTheEmptyStatusBehindThem) {
  WriteCurrentSettings();
  std::vector<std::string> statusWhileShown;
  std::string captionWhileShown;
  ui.whileShown = [&](std::string_view) {
    statusWhileShown.assign(view.status.begin(), view.status.end());
    captionWhileShown = view.caption;
  };
  Start({"gone.txt"});
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(statusWhileShown, (std::vector<std::string>{"", "0/0ﾌｧｲﾙ", "0ﾊﾞｲﾄ", "", "", "", "0文字", ""}));
  EXPECT_EQ(captionWhileShown, "Norra - [No File]");
}

TEST_F(MainWindowTest, TheCaptionNamesTheActivePageAtEveryChange) {
  WriteCurrentSettings();
  const std::string a = MakeFile("a.txt", "A");
  const std::string b = MakeFile("b.txt", "B");
  const std::string c = MakeFile("c.txt", "C");
  Start({a, b, c});
  EXPECT_EQ(view.caption, "Norra - [c.txt]");
  Page& pageB = *window->Docs().List().At(1).page;
  window->PageWindowActivated(pageB);
  EXPECT_EQ(view.caption, "Norra - [b.txt]");
  EXPECT_EQ(window->ApplicationTitle(), "b.txt");

  // Saved under another name, the Page is named anew.
  ui.QueueDialogFiles({(root / "work" / "d.txt").string()});
  window->Execute(UiItem::mnuSaveAsFile);
  EXPECT_EQ(view.caption, "Norra - [d.txt]");

  // Closing names the Page that becomes active, and at last none.
  window->Execute(UiItem::mnuCloseFile);
  EXPECT_EQ(view.caption, "Norra - [" + Active()->DisplayName() + "]");
  window->Execute(UiItem::mnuCloseFile);
  window->Execute(UiItem::mnuCloseFile);
  ASSERT_EQ(window->Docs().PageCount(), 0u);
  EXPECT_EQ(view.caption, "Norra - [No File]");
  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_EQ(view.caption, "Norra - [無題1]");
}

TEST_F(MainWindowTest, ClosingTheLastPageShowsTheEmptyState) {
  WriteCurrentSettings();
  Start();
  Keys("abc");
  window->Idle();
  ASSERT_EQ(window->Log().RecordCount(), 1u);
  ui.QueueAnswer(IDNO);  // do not save
  window->Execute(UiItem::mnuCloseFile);
  EXPECT_EQ(window->Docs().PageCount(), 0u);
  EXPECT_EQ(view.title, "No File");
  EXPECT_EQ(view.status[1], "0/0ﾌｧｲﾙ");
  EXPECT_EQ(view.status[3], "");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_TRUE(view.windows.empty());
  EXPECT_FALSE(view.Enabled(UiItem::mnuCloseFile));
  EXPECT_FALSE(view.Enabled(UiItem::mnuUndo));
  // A new Page after the empty state shows panel 5 again.
  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_EQ(view.status[5], "挿入");
  EXPECT_EQ(view.title, "無題2");
}

TEST_F(MainWindowTest, CommandsAreEnabledByPagesSelectionClipboardAndHistory) {
  WriteCurrentSettings();
  Start();
  window->UpdateMenuItems();
  EXPECT_TRUE(view.Enabled(UiItem::mnuCloseFile));
  EXPECT_TRUE(view.Enabled(UiItem::PrintBtn));
  EXPECT_TRUE(view.Enabled(UiItem::mnuSelectAll));
  EXPECT_FALSE(view.Enabled(UiItem::mnuCascadeChildren));
  EXPECT_FALSE(view.Enabled(UiItem::CutItem));
  EXPECT_FALSE(view.Enabled(UiItem::PasteItem));
  EXPECT_FALSE(view.Enabled(UiItem::mnuUndo));

  clipboard.SetText("x");
  window->ClipboardChanged();
  EXPECT_TRUE(view.Enabled(UiItem::PasteItem));
  Keys("ab<Shift><S-Left>");
  window->Idle();
  EXPECT_TRUE(view.Enabled(UiItem::CutItem));
  EXPECT_TRUE(view.Enabled(UiItem::CopyItem));
  EXPECT_TRUE(view.Enabled(UiItem::mnuUndo));

  window->MenuOpening(MenuKind::Edit);
  EXPECT_EQ(view.Caption(UiItem::mnuUndo), "戻す(&U) 挿入");
  EXPECT_TRUE(view.Enabled(UiItem::mnuClearUndoLog));
  EXPECT_FALSE(view.Enabled(UiItem::mnuFindNext));  // no find window yet
  EXPECT_FALSE(view.Enabled(UiItem::mnuQuotationAll));
  EXPECT_EQ(view.helpFile, window->Prefs().Help.MainHelpFile);

  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_TRUE(view.Enabled(UiItem::mnuCascadeChildren));
  EXPECT_FALSE(view.Enabled(UiItem::CutItem));
  window->Execute(UiItem::mnuFind);
  window->MenuOpening(MenuKind::Edit);
  EXPECT_TRUE(view.Enabled(UiItem::mnuFindNext));
  EXPECT_TRUE(view.Enabled(UiItem::mnuQuotationAll));
  // The newest record belongs to the other Page now.
  EXPECT_EQ(view.Caption(UiItem::mnuUndo), "戻す(&U) 挿入 - [無題1]");

  window->MenuOpening(MenuKind::Popup);
  EXPECT_TRUE(view.Enabled(UiItem::popSelectAll));
  EXPECT_TRUE(view.Enabled(UiItem::popPaste));
  EXPECT_FALSE(view.Enabled(UiItem::popCopy));

  window->Log().ClearUndoLog();
  window->MenuOpening(MenuKind::Edit);
  EXPECT_EQ(view.Caption(UiItem::mnuUndo), "元に戻せません");
  EXPECT_FALSE(view.Enabled(UiItem::mnuUndo));
}

TEST_F(MainWindowTest, DisplayAndWindowMenusFollowBookmarkWrapAndToolbar) {
  WriteCurrentSettings();
  Start();
  window->MenuOpening(MenuKind::Display);
  EXPECT_FALSE(view.Enabled(UiItem::mnuJumpToBookmark));
  EXPECT_EQ(view.Caption(UiItem::mnuJumpToBookmark), "ﾌﾞｯｸﾏｰｸ無し");
  EXPECT_FALSE(view.Checked(UiItem::mnuWordWrap));
  EXPECT_TRUE(view.Checked(UiItem::mnuDispToolBar));

  SetMarked("a\r\nb|c");
  window->Execute(UiItem::mnuBookmark);
  window->Execute(UiItem::mnuWordWrap);
  window->MenuOpening(MenuKind::Display);
  EXPECT_TRUE(view.Enabled(UiItem::mnuJumpToBookmark));
  EXPECT_EQ(view.Caption(UiItem::mnuJumpToBookmark), "ﾌﾞｯｸﾏｰｸ(&J) - [無題1] 2行");
  EXPECT_TRUE(view.Checked(UiItem::mnuWordWrap));

  window->Execute(UiItem::mnuMakeNewFile);
  window->MenuOpening(MenuKind::Window);
  EXPECT_TRUE(view.items[UiItem::mnuMovePage].visible.value_or(false));
  EXPECT_TRUE(view.Enabled(UiItem::mnuMovePage));
  EXPECT_TRUE(view.Enabled(UiItem::mnuTileChildrenV));

  window->Execute(UiItem::mnuDispToolBar);
  EXPECT_FALSE(view.toolBar);
  EXPECT_TRUE(view.painting);
  window->MenuOpening(MenuKind::Window);
  EXPECT_FALSE(view.items[UiItem::mnuMovePage].visible.value_or(true));
  EXPECT_FALSE(view.items[UiItem::mnuMovePageSeparator].visible.value_or(true));
  EXPECT_FALSE(view.items[UiItem::mnuSortCombo].visible.value_or(true));
  EXPECT_FALSE(view.Enabled(UiItem::mnuMovePage));
  EXPECT_FALSE(SavedSettings()->Vision.ToolBar);  // written at once

  window->Execute(UiItem::mnuDispStatusBar);
  EXPECT_FALSE(view.statusBar);
  EXPECT_FALSE(SavedSettings()->Vision.StatusBar);
}

// Line numbers, the caret line, marks and wrapping at the columns are options of every Page's
// view: each item restyles every Page and is written to the settings at once.
TEST_F(MainWindowTest, ViewOptionsOfTheDisplayMenuRestyleEveryPageAndAreKept) {
  WriteCurrentSettings();
  Start();
  window->Execute(UiItem::mnuMakeNewFile);
  struct Row {
    UiItem item;
    bool VisionSettings::*option;
  };
  const Row rows[] = {{UiItem::mnuLineNumbers, &VisionSettings::LineNumbers},
                      {UiItem::mnuCaretLine, &VisionSettings::CaretLine},
                      {UiItem::mnuShowMarks, &VisionSettings::ShowMarks},
                      {UiItem::mnuWrapAtColumns, &VisionSettings::WrapAtColumns}};
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.item));
    EXPECT_TRUE(view.Enabled(row.item));
    window->MenuOpening(MenuKind::Display);
    EXPECT_FALSE(view.Checked(row.item));
    view.styled.clear();
    window->Execute(row.item);
    ASSERT_EQ(view.styled.size(), 2u);
    EXPECT_TRUE(view.styled[0].second.*row.option);
    EXPECT_TRUE(SavedSettings()->Vision.*row.option);
    window->MenuOpening(MenuKind::Display);
    EXPECT_TRUE(view.Checked(row.item));
  }
  // Wrapping at the columns makes the active Page wrap; the caption names the columns.
  EXPECT_TRUE(Active()->Control().WordWrap());
  EXPECT_EQ(view.Caption(UiItem::mnuWrapAtColumns), "80桁で折返す(&C)");
  window->Execute(UiItem::mnuLineNumbers);
  EXPECT_FALSE(SavedSettings()->Vision.LineNumbers);
}

TEST_F(MainWindowTest, RedrawBracketsStopTheRightPartsAndRelayoutMaximizedPages) {
  WriteCurrentSettings();
  Start();
  Page* page = Active();
  view.calls.clear();
  window->SetRedraw(false);
  window->SetRedraw(false);  // ignored
  window->SetRedraw(true, page);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"paint off", "paint on +bars"}));
  EXPECT_EQ(view.relayouts.back(), page);

  window->Prefs().Window.ChildWindowState = kPageNormal;
  view.calls.clear();
  view.relayouts.clear();
  window->SetRedraw(false);
  window->SetRedraw(true, page);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"paint off +bars", "paint on +bars"}));
  EXPECT_TRUE(view.relayouts.empty());

  // A Page window resized by the user sets the state new Pages open in; not during a batch.
  window->PageWindowStateChanged(*page, kPageMinimized);
  EXPECT_EQ(window->Prefs().Window.ChildWindowState, kPageMinimized);
  window->SetRedraw(false);
  window->PageWindowStateChanged(*page, kPageMaximized);
  window->SetRedraw(true);
  EXPECT_EQ(window->Prefs().Window.ChildWindowState, kPageMinimized);
}

TEST_F(MainWindowTest, PagesShownWhileOthersAreMaximizedAreMaximizedToo) {
  WriteCurrentSettings("[Window]\r\nChildWindowState=2\r\n");
  Start();
  Page& first = *Active();
  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_EQ(Active()->WindowState(), kPageMaximized);
  // The frame restored the other window while it arranged its children (repainting held).
  window->SetRedraw(false);
  window->PageWindowStateChanged(first, kPageNormal);
  window->SetRedraw(true);
  window->Docs().ActivatePage(&first);
  EXPECT_EQ(view.shown, &first);
  EXPECT_EQ(first.WindowState(), kPageMaximized);

  // Once the user restored one, none is shown maximized any more.
  window->PageWindowStateChanged(first, kPageNormal);
  Page& second = *window->Docs().List().At(0).page;
  window->Docs().ActivatePage(&second);
  EXPECT_EQ(second.WindowState(), kPageNormal);
  window->Execute(UiItem::mnuMakeNewFile);
  EXPECT_EQ(Active()->WindowState(), kPageNormal);
}

TEST_F(MainWindowTest, ExitWithoutModifiedPagesClosesAtOnceAndStoresThePlacement) {
  WriteCurrentSettings();
  Start();
  view.placement = WindowPlacement{11, 22, 800, 600, kPageNormal};
  window->Docs().StoreChildWindowState(*Active(), kPageNormal);
  Active()->SetWindowState(kPageMinimized);
  view.visible = true;
  EXPECT_TRUE(window->CloseQuery());
  EXPECT_TRUE(dialogs.runs.empty());
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_FALSE(view.visible);
  const WindowSettings& stored = window->Prefs().Window;
  EXPECT_EQ(stored.Top, 11);
  EXPECT_EQ(stored.Left, 22);
  EXPECT_EQ(stored.Width, 800);
  EXPECT_EQ(stored.Height, 600);
  EXPECT_EQ(stored.ChildWindowState, kPageMinimized);

  // Destruction writes the settings, then lets the objects go.
  window->Destroy();
  EXPECT_EQ(SavedSettings()->Window.Width, 800);
  EXPECT_EQ(SavedSettings()->Window.Top, 11);
}

TEST_F(MainWindowTest, ExitWithAModifiedPageAsksTheExitDialogAndItsCancelKeepsEverything) {
  WriteCurrentSettings();
  Start();
  Keys("abc");
  window->Execute(UiItem::mnuMakeNewFile);
  view.visible = true;
  dialogs.results = {kListDialogCancelled};
  EXPECT_FALSE(window->CloseQuery());
  EXPECT_EQ(dialogs.runs, (std::vector<ListDialogMode>{ListDialogMode::Exit}));
  EXPECT_EQ(window->Docs().PageCount(), 2u);
  EXPECT_TRUE(window->Docs().List().At(1).page->Modified());
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(window->Log().RecordCount(), 1u);

  // The dialog's "No": it clears the modified flags and the program closes.
  dialogs.results = {kListDialogDoneSecond};
  dialogs.during = [this](ListDialogMode) {
    for (const PageListEntry& entry : window->Docs().List().Entries()) entry.page->SetModified(false);
  };
  EXPECT_TRUE(window->CloseQuery());
  EXPECT_FALSE(view.visible);
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(MainWindowTest, APageTheExitDialogCouldNotSaveIsAskedAboutAgain) {
  WriteCurrentSettings();
  Start();
  Keys("abc");
  view.visible = true;
  dialogs.results = {kListDialogDone, kListDialogDone};  // "Yes", but the save failed
  ui.QueueAnswer(IDCANCEL);
  EXPECT_FALSE(window->CloseQuery());
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "無題1\nは変更されています。保存しますか?");
  EXPECT_EQ(window->Docs().PageCount(), 1u);
  EXPECT_TRUE(view.visible);

  ui.QueueAnswer(IDNO);
  EXPECT_TRUE(window->CloseQuery());
  EXPECT_FALSE(view.visible);
}

TEST_F(MainWindowTest, AnExitDialogThatCannotBePreparedAsksWhetherToStop) {
  WriteCurrentSettings();
  Start();
  Keys("abc");
  view.visible = true;
  dialogs.results = {kListDialogFailed, kListDialogFailed};
  ui.QueueAnswer(IDYES);
  EXPECT_FALSE(window->CloseQuery());
  EXPECT_EQ(ui.LastBox().text, "終了処理中にｴﾗｰ発生\n終了を中止しますか?");
  EXPECT_EQ(ui.LastBox().flags, MB_YESNO | MB_ICONERROR);
  EXPECT_TRUE(view.visible);
  ui.QueueAnswer(IDNO);
  view.placement.width = 700;
  EXPECT_TRUE(window->CloseQuery());
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(window->Prefs().Window.Width, 700);
}

TEST_F(MainWindowTest, DestructionSavesSettingsAndDestroysTheFindWindow) {
  WriteCurrentSettings();
  Start();
  window->Execute(UiItem::mnuFind);
  ASSERT_TRUE(window->FindWindowCreated());
  window->Prefs().Edit.TabStop = 8;
  int tabStopWhenFindWindowWent = 0;
  find.onDestroy = [&] { tabStopWhenFindWindowWent = SavedSettings()->Edit.TabStop; };
  window.reset();
  EXPECT_EQ(find.destroys, 1);
  EXPECT_EQ(tabStopWhenFindWindowWent, 8);  // the settings were written first
}

TEST_F(MainWindowTest, DroppedFilesOpenEachInItsOwnRedrawBracket) {
  WriteCurrentSettings();
  Start();
  const std::string a = MakeFile("a.txt", "A");
  const std::string b = MakeFile("b.txt", "B");
  find.visible = true;
  window->Execute(UiItem::mnuFind);
  view.calls.clear();
  window->FilesDropped({a, b});
  EXPECT_EQ(find.topmost, 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.txt", "a.txt", "無題1"}));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"front", "paint off", "paint on +bars", "paint off", "paint on +bars",
                                                  "list off", "focus", "list on"}));
  EXPECT_EQ(window->Prefs().File.RecentFiles, (std::vector<std::string>{a, b}));
}

TEST_F(MainWindowTest, F2SwitchesThroughThePageListOnlyOnEnter) {
  WriteCurrentSettings();
  Start();
  window->Execute(UiItem::mnuMakeNewFile);
  window->Execute(UiItem::mnuMakeNewFile);
  ASSERT_EQ(Names(), (std::vector<std::string>{"無題3", "無題2", "無題1"}));

  window->Execute(UiItem::mnuMovePage);
  EXPECT_TRUE(view.droppedDown);
  EXPECT_EQ(view.pageListSelected, 0u);
  window->PageListKeyUp(0x71, 0);  // the release of F2
  window->PageListKeyDown(kKeyDown);
  window->PageListSelectionChanged(1);
  EXPECT_EQ(view.status[1], "2/3ﾌｧｲﾙ");  // previewed
  EXPECT_EQ(Active()->DisplayName(), "無題3");
  window->PageListKeyUp(kKeyDown, 1);
  window->PageListKeyDown(kKeyDown);
  window->PageListSelectionChanged(2);
  window->PageListKeyUp(kKeyDown, 2);
  EXPECT_EQ(Active()->DisplayName(), "無題3");
  window->PageListKeyDown(kKeyReturn);
  window->PageListKeyUp(kKeyReturn, 2);
  EXPECT_EQ(Active()->DisplayName(), "無題1");
  EXPECT_EQ(view.status[1], "3/3ﾌｧｲﾙ");

  // Esc drops the choice and returns to the Page active before.
  window->Execute(UiItem::mnuMovePage);
  window->PageListKeyUp(0x71, 2);
  window->PageListKeyDown(kKeyUp);
  window->PageListSelectionChanged(1);
  window->PageListKeyUp(kKeyUp, 1);
  window->PageListKeyDown(kKeyEscape);
  window->PageListKeyUp(kKeyEscape, 1);
  EXPECT_EQ(Active()->DisplayName(), "無題1");
  EXPECT_EQ(view.pageListSelected, 2u);
  EXPECT_EQ(view.status[1], "3/3ﾌｧｲﾙ");

  // A choice with the mouse switches at once.
  window->PageListSelectionChanged(0);
  EXPECT_EQ(Active()->DisplayName(), "無題3");
}

TEST_F(MainWindowTest, AKeyWhoseReleaseWentElsewhereDoesNotBlockLaterMouseChoices) {
  WriteCurrentSettings();
  Start();
  window->Execute(UiItem::mnuMakeNewFile);
  window->Execute(UiItem::mnuMakeNewFile);
  window->Execute(UiItem::mnuMovePage);
  window->PageListKeyUp(0x71, 0);
  // Enter closed the list and chose on its way down; its release reached the Page.
  window->PageListKeyDown(kKeyReturn);
  window->PageListSelectionChanged(1);
  EXPECT_EQ(Active()->DisplayName(), "無題3");
  window->Docs().ActivatePage(window->Docs().List().At(1).page);
  // Later the user clicks into the list and chooses with the mouse.
  window->PageListFocused();
  window->PageListSelectionChanged(2);
  EXPECT_EQ(Active()->DisplayName(), "無題1");
  window->PageListFocused();
  window->PageListSelectionChanged(0);
  EXPECT_EQ(Active()->DisplayName(), "無題3");
}

TEST_F(MainWindowTest, F2WithOnePageKeepsItAndOpensNoList) {
  WriteCurrentSettings();
  Start();
  Page* page = Active();
  window->Execute(UiItem::mnuMovePage);
  EXPECT_FALSE(view.droppedDown);
  EXPECT_EQ(Active(), page);
  EXPECT_TRUE(view.painting);
}

TEST_F(MainWindowTest, FindWindowIsCreatedOnceAndEscClosesIt) {
  WriteCurrentSettings();
  Start();
  window->Execute(UiItem::mnuFind);
  window->Execute(UiItem::mnuReplaceSel);
  window->Execute(UiItem::popReplace);
  EXPECT_EQ(find.creates, 1);
  EXPECT_EQ(find.requests, (std::vector<FindRequest>{kFindRequestFind, kFindRequestReplaceSelection, kFindRequestReplace}));
  window->Execute(UiItem::mnuFindNext);
  EXPECT_EQ(find.findNexts, 1);

  view.pageListFocus = true;
  EXPECT_FALSE(window->KeyDown(kKeyEscape, 0));
  view.pageListFocus = false;
  find.historyShown = true;
  EXPECT_FALSE(window->KeyDown(kKeyEscape, 0));
  find.historyShown = false;
  EXPECT_TRUE(window->KeyDown(kKeyEscape, 0));
  EXPECT_FALSE(find.visible);

  // Esc in a Page closes it too.
  window->Execute(UiItem::mnuFind);
  ASSERT_TRUE(find.visible);
  Keys("<Esc>");
  EXPECT_FALSE(find.visible);
}

TEST_F(MainWindowTest, FailingToCreateTheFindWindowIsReportedAndRetriedLater) {
  WriteCurrentSettings();
  Start();
  find.createFails = true;
  window->Execute(UiItem::mnuFind);
  EXPECT_EQ(ui.LastBox().text, "ﾒﾓﾘが足りません");
  EXPECT_FALSE(window->FindWindowCreated());
  EXPECT_TRUE(find.requests.empty());
  find.createFails = false;
  window->Execute(UiItem::mnuFind);
  EXPECT_EQ(find.creates, 2);
  EXPECT_TRUE(window->FindWindowCreated());
}

TEST_F(MainWindowTest, ListDialogCommandsRunOnlyWhenTheirNeedIsMet) {
  WriteCurrentSettings();
  Start();
  window->Execute(UiItem::mnuUpdateAll);     // nothing modified
  window->Execute(UiItem::mnuQuotationAll);  // one Page only
  window->Execute(UiItem::mnuSortCombo);
  EXPECT_TRUE(dialogs.runs.empty());
  window->Execute(UiItem::mnuRecentFiles);
  EXPECT_EQ(ui.LastBox().text, "｢最近使ったﾌｧｲﾙ｣の記録数は 0件 です");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_TRUE(dialogs.runs.empty());

  Keys("x");
  window->Execute(UiItem::mnuMakeNewFile);
  window->Prefs().AddRecentFile("/somewhere/r.txt");
  for (UiItem item : {UiItem::mnuUpdateAll, UiItem::mnuSaveAsAll, UiItem::PrintBtn, UiItem::mnuQuotationAll,
                      UiItem::mnuRecentFiles, UiItem::mnuJump, UiItem::mnuSortCombo, UiItem::mnuReloadAll,
                      UiItem::mnuCloseAll}) {
    window->Execute(item);
  }
  using M = ListDialogMode;
  EXPECT_EQ(dialogs.runs, (std::vector<M>{M::SaveAll, M::SaveAsAll, M::PrintAll, M::QuoteAll, M::RecentFiles, M::Jump,
                                          M::SortList, M::ReloadAll, M::CloseAll}));
}

TEST_F(MainWindowTest, OptionsDialogRemembersItsPageAndItsChangesApply) {
  WriteCurrentSettings();
  Start();
  options.shownLast = 4;
  options.during = [this](int) { window->Prefs().Edit.UseTabCode = true; };
  window->Execute(UiItem::mnuOption);
  options.shownLast.reset();
  window->Execute(UiItem::mnuOption);
  window->Execute(UiItem::mnuSetPrinter);
  window->Execute(UiItem::HelpAboutItem);
  EXPECT_EQ(options.pages, (std::vector<int>{0, 4, 2, 0}));
  EXPECT_EQ(window->Log().IndentChar(), '\t');
}

// The find window asks for the options dialog through the main window, as its own command
// does: the dialog's changes are shown, and applied options reach the open window.
TEST_F(MainWindowTest, OptionsFromTheFindWindowRefreshTheMainWindowAndReachTheFindWindow) {
  WriteCurrentSettings();
  Start();
  window->FindWindowOptionsChanged();
  EXPECT_EQ(find.optionsChanges, 0);  // no window yet
  window->Execute(UiItem::mnuFind);
  const std::string file = MakeFile("api.html", "<html></html>");
  options.during = [&](int) {
    window->Prefs().Help.SetSecondHelp(file);
    window->FindWindowOptionsChanged();  // as the dialog's Apply does
  };
  EXPECT_EQ(window->ShowOptions(kOptionsPageFindReplace), kOptionsPageFindReplace);
  EXPECT_EQ(options.pages, (std::vector<int>{kOptionsPageFindReplace}));
  EXPECT_EQ(find.optionsChanges, 1);
  EXPECT_EQ(view.Caption(UiItem::mnuHelpKeyWord2), "[api.html]のﾄﾋﾟｯｸ検索(&T)");
}

TEST_F(MainWindowTest, SecondHelpIsChosenFirstAndSearchedWithTheFirstLineOfTheSelection) {
  WriteCurrentSettings();
  Start();
  EXPECT_EQ(view.Caption(UiItem::mnuHelpKeyWord2), "[第2ﾍﾙﾌﾟ]のﾄﾋﾟｯｸ検索(&T)");
  const std::string file = MakeFile("api.html", "<html></html>");
  SetMarked("[one\r\ntwo\r\nthree]");
  options.during = [&](int page) {
    if (page == kOptionsPageHelp) window->Prefs().Help.SetSecondHelp(file);
  };
  window->Execute(UiItem::mnuHelpKeyWord2);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "[第2ﾍﾙﾌﾟ]のﾍﾙﾌﾟﾌｧｲﾙ名を指定して下さい。");
  EXPECT_EQ(ui.LastBox().caption, "第2ﾍﾙﾌﾟの設定");
  EXPECT_EQ(options.pages, (std::vector<int>{kOptionsPageHelp}));
  ASSERT_EQ(help.searches.size(), 1u);
  EXPECT_EQ(help.searches[0], std::make_pair(file, std::string("one")));
  EXPECT_EQ(view.Caption(UiItem::mnuHelpKeyWord2), "[api.html]のﾄﾋﾟｯｸ検索(&T)");
  EXPECT_EQ(view.items[UiItem::Help2Btn].hint, "[api.html]|[api.html]のﾄﾋﾟｯｸ検索");

  // Without a selection the contents open; a long keyword never splits a character.
  SetMarked("|abc");
  window->Execute(UiItem::Help2Btn);
  EXPECT_EQ(help.contents, (std::vector<std::string>{file}));
  SetMarked("[" + std::string(253, 'a') + "あいう]");
  window->Execute(UiItem::mnuHelpKeyWord2);
  EXPECT_EQ(help.searches.back().second, std::string(253, 'a') + "あ");
  SetMarked("[" + std::string(254, 'a') + "あいう]");
  window->Execute(UiItem::mnuHelpKeyWord2);
  EXPECT_EQ(help.searches.back().second, std::string(254, 'a'));

  // Choosing a file that does not exist is no usable choice: no search follows.
  options.during = [&](int) { window->Prefs().Help.SetSecondHelp((root / "none.html").string()); };
  const std::size_t searches = help.searches.size();
  window->Execute(UiItem::mnuChangeHelpFile2);
  EXPECT_EQ(help.searches.size(), searches);

  window->Execute(UiItem::mnuHelpContent);
  EXPECT_EQ(help.contents.back(), window->Prefs().Help.MainHelpFile);
}

TEST_F(MainWindowTest, IdleTrimsTheUndoLogOnceItGrowsPastItsLimit) {
  WriteCurrentSettings("[Edit]\r\nClearLogsByBytes=1\r\nLostBytesStartClear=2048\r\nLostBytesEndClear=1600\r\n");
  Start();
  SetMarked("[" + std::string(2100, 'a') + "]");
  clipboard.SetText("b");
  window->Execute(UiItem::PasteItem);
  ASSERT_EQ(window->Log().RecordCount(), 1u);
  ASSERT_EQ(window->Log().TotalBytes(), 2100u);
  window->Idle();
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_EQ(Show(), "b|");
}

TEST_F(MainWindowTest, UiItemTableNamesEveryItemByItsComponentName) {
  EXPECT_EQ(InfoOf(UiItem::mnuUndo).name, "mnuUndo");
  EXPECT_EQ(InfoOf(UiItem::mnuInsertDateTime).shortcut, "F8");
  EXPECT_EQ(InfoOf(UiItem::FindBtn).name, "FindBtn");
  EXPECT_EQ(UiItemNamed("CutItem"), UiItem::CutItem);
  EXPECT_FALSE(UiItemNamed("nothing").has_value());
  for (const UiItemInfo& info : UiItems()) EXPECT_EQ(UiItemNamed(info.name), info.item) << info.name;
}

}  // namespace
}  // namespace norra::testing
