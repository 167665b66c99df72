// The batch modes end to end through the main window: exit, close all, save all, reload all.
#include <gtest/gtest.h>

#include <fstream>

#include "FileListDialogHarness.h"

namespace norra::testing {
namespace {

using C = FileListControl;

class BatchSaveTest : public ListDialogTest {
 protected:
  void Press(C control) {
    Script([control](FileListDialog& d) { d.Click(control); });
  }
  // A file's path turned into a folder: nothing can be written there any more.
  void BlockWrites(const std::string& path) {
    fs::remove(path);
    fs::create_directories(path);
  }
};

// ---- closing the program ----

TEST_F(BatchSaveTest, ExitAsksOnlyWithAModifiedPageAndItsCancelKeepsEverythingOpen) {
  Launch();
  OpenFile("a.txt", "old a");
  OpenFile("b.txt", "old b");
  EXPECT_TRUE(window->CloseQuery());  // nothing modified: no dialog
  EXPECT_TRUE(listView.shows.empty());

  Launch();
  Page& edited = OpenFile("a.txt", "old a");
  OpenFile("b.txt", "old b");
  Edit(edited, "new a");
  Press(C::cmdCancel);
  EXPECT_FALSE(window->CloseQuery());
  ASSERT_EQ(listView.shows.size(), 1u);
  const ShownDialog& shown = listView.shows[0];
  EXPECT_EQ(shown.mode, ListDialogMode::Exit);
  EXPECT_EQ(shown.caption, "Norraの終了");
  EXPECT_EQ(shown.prompt, "次のﾌｧｲﾙは変更されています。保存しますか?");
  EXPECT_EQ(shown.doCaption, "はい(&Y)");
  EXPECT_EQ(shown.withoutCaption, "いいえ(&N)");
  EXPECT_EQ(shown.names, (std::vector<std::string>{"a.txt"}));  // modified Pages only
  EXPECT_EQ(shown.selected, (std::vector<bool>{true}));
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogCancelled}));
  EXPECT_EQ(window->Docs().PageCount(), 2u);
  EXPECT_TRUE(edited.Modified());
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "old a");
  EXPECT_TRUE(ui.Boxes().empty());

  // Esc and the close box cancel the same way.
  Script([](FileListDialog& d) { d.KeyDown(kKeyEscape, 0); });
  EXPECT_FALSE(window->CloseQuery());
  Script([](FileListDialog& d) { d.CloseBox(); });
  EXPECT_FALSE(window->CloseQuery());
  EXPECT_TRUE(edited.Modified());
}

TEST_F(BatchSaveTest, ExitYesSavesEveryListedPageAndNamesUntitledOnes) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& untitled = NewUntitled();
  Edit(a, "new a");
  Edit(untitled, "fresh");
  window->Prefs().File.CurrentDir = WorkPath("");
  ui.QueueDialogFiles({WorkPath("named")});
  Press(C::cmdDo);
  EXPECT_TRUE(window->CloseQuery());

  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDone}));
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  // No dot and the text-file filter: ".txt" is added.
  EXPECT_EQ(ReadFile(WorkPath("named.txt")), "fresh");
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  const FileDialogRequest& request = ui.Dialogs()[0].request;
  EXPECT_TRUE(ui.Dialogs()[0].save);
  EXPECT_EQ(request.fileName, "無題2.txt");
  EXPECT_EQ(request.filterIndex, 2);
  EXPECT_EQ(request.initialFolder, WorkPath(""));
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "すべてのﾌｧｲﾙ (*.*)");
  EXPECT_EQ(request.filters[1].description, "ﾃｷｽﾄﾌｧｲﾙ(*.txt)");
  // While the name was asked, the dialog stood aside at the right edge of the screen.
  EXPECT_EQ(listView.moves, (std::vector<int>{1920 - 120}));
  EXPECT_EQ(listView.restores, 1);
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_FALSE(view.visible);
}

TEST_F(BatchSaveTest, ExitLeavesADeselectedPageUnsavedWithoutAskingAgain) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("b.txt", "old b");
  Edit(a, "new a");
  Edit(b, "new b");
  Script([](FileListDialog& d) {
    ASSERT_EQ(d.Rows()[0].columns[FileListRow::kName], "b.txt");
    d.SelectRow(0, false);
    d.Click(C::cmdDo);
  });
  EXPECT_TRUE(window->CloseQuery());
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_EQ(ReadFile(WorkPath("b.txt")), "old b");
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(BatchSaveTest, ExitNoClosesWithoutWritingAnything) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& untitled = NewUntitled();
  Edit(a, "new a");
  Edit(untitled, "fresh");
  Press(C::cmdWithout);
  EXPECT_TRUE(window->CloseQuery());
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDoneSecond}));
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "old a");
  EXPECT_TRUE(ui.Dialogs().empty());
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(BatchSaveTest, ExitKeepsAPageWhoseNamedFileTheUserWouldNotOverwrite) {
  Launch();
  MakeFile("taken.txt", "keep me");
  Page& untitled = NewUntitled();
  Edit(untitled, "unsaved words");
  ui.QueueDialogFiles({WorkPath("taken.txt")});
  ui.QueueAnswer(IDNO);      // do not overwrite taken.txt
  ui.QueueAnswer(IDCANCEL);  // the main window asks about the Page again: keep it open
  Press(C::cmdDo);
  EXPECT_FALSE(window->CloseQuery());
  EXPECT_EQ(ReadFile(WorkPath("taken.txt")), "keep me");
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{WorkPath("taken.txt") + "\nは既に存在します。上書きしますか?",
                                      "無題2\nは変更されています。保存しますか?"}));
  EXPECT_EQ(ui.Boxes()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(ui.Boxes()[0].caption, "Norra");
  EXPECT_TRUE(untitled.Modified());
  EXPECT_EQ(TextOf(untitled), "unsaved words");
}

TEST_F(BatchSaveTest, ExitWithAFailedWriteSaysWhyAndAsksAboutTheUnsavedPage) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("b.txt", "old b");
  Edit(a, "new a");
  Edit(b, "new b");
  BlockWrites(WorkPath("b.txt"));
  ui.QueueAnswer(IDOK);      // the write error
  ui.QueueAnswer(IDCANCEL);  // the main window's question about b.txt
  Press(C::cmdDo);
  EXPECT_FALSE(window->CloseQuery());
  ASSERT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(ui.Boxes()[0].text, WorkPath("b.txt") + "\nの保存処理中にｴﾗｰ発生\nﾌｫﾙﾀﾞです");
  EXPECT_EQ(ui.Boxes()[0].flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(ui.Boxes()[1].text, WorkPath("b.txt") + "\nは変更されています。保存しますか?");
  // Rows (b active, then a) are written from the last to the first: a is saved, b is not.
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_FALSE(a.Modified());
  EXPECT_TRUE(b.Modified());
  EXPECT_EQ(TextOf(b), "new b");
}

TEST_F(BatchSaveTest, ExitSavingAFileChangedOnDiskSaysSo) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Edit(a, "new a");
  std::ofstream(WorkPath("a.txt"), std::ios::binary) << "another program's longer text";
  ui.QueueAnswer(IDOK);      // the refusal
  ui.QueueAnswer(IDCANCEL);  // the main window's question about a.txt
  Press(C::cmdDo);
  EXPECT_FALSE(window->CloseQuery());
  ASSERT_GE(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, WorkPath("a.txt") +
                                    "\nの保存処理中にｴﾗｰ発生\n読込み後に他のﾌﾟﾛｸﾞﾗﾑが変更しました\n"
                                    "もう一度保存すると上書きします。");
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "another program's longer text");
}

// ---- close all ----

TEST_F(BatchSaveTest, CloseAllNoClosesTheSelectedPagesWithoutWriting) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("b.txt", "old b");
  Page& c = OpenFile("c.txt", "old c");
  Edit(a, "new a");
  Script([](FileListDialog& d) {
    // Rows: c (active), b, a.
    d.SelectRow(1, false);
    d.Click(C::cmdWithout);
  });
  window->Execute(UiItem::mnuCloseAll);
  const ShownDialog& shown = listView.shows.at(0);
  EXPECT_EQ(shown.caption, "まとめて閉じる");
  EXPECT_EQ(shown.prompt, "変更されているﾌｧｲﾙは保存しますか?");
  EXPECT_EQ(shown.doCaption, "はい(&Y)");
  EXPECT_EQ(shown.withoutCaption, "いいえ(&N)");
  EXPECT_EQ(shown.names, (std::vector<std::string>{"c.txt", "b.txt", "a.txt"}));
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDoneSecond}));
  EXPECT_EQ(PagePaths(), (std::vector<std::string>{WorkPath("b.txt")}));
  EXPECT_EQ(Active(), &b);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "old a");
  EXPECT_TRUE(ui.Boxes().empty());
  (void)c;
}

TEST_F(BatchSaveTest, CloseAllOfEveryPageLeavesAnEmptyPageList) {
  Launch();
  OpenFile("a.txt", "a");
  Keys("typed");  // undo records of a Page that goes
  OpenFile("b.txt", "b");
  for (const PageListEntry& e : window->Docs().List().Entries()) e.page->SetModified(false);
  Script([](FileListDialog& d) {
    EXPECT_EQ(d.Control(C::cmdDo).caption, "閉じる(&C)");
    EXPECT_FALSE(d.Control(C::cmdWithout).visible);
    d.Click(C::cmdDo);
  });
  window->Execute(UiItem::mnuCloseAll);
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDoneSecond}));
  EXPECT_EQ(window->Docs().PageCount(), 0u);
  EXPECT_TRUE(view.pageList.empty());
  EXPECT_EQ(view.title, "No File");
  EXPECT_EQ(view.status[1], "0/0ﾌｧｲﾙ");
  EXPECT_EQ(view.status[3], "");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "a");
  EXPECT_TRUE(window->RedrawEnabled());
}

TEST_F(BatchSaveTest, CloseAllYesWritesModifiedPagesThenClosesThem) {
  Launch();
  Page& keep = OpenFile("keep.txt", "k");
  Page& a = OpenFile("a.txt", "old a");
  Page& untitled = NewUntitled();
  Page& plain = OpenFile("plain.txt", "p");
  Edit(a, "new a");
  Edit(untitled, "fresh");
  window->Docs().ActivatePage(&keep);
  ui.QueueDialogFiles({WorkPath("sub/fresh.txt")});
  fs::create_directories(WorkPath("sub"));
  Script([](FileListDialog& d) {
    // Rows: keep (active), plain, untitled, a.
    d.SelectRow(0, false);
    d.Click(C::cmdDo);
  });
  window->Execute(UiItem::mnuCloseAll);
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDone}));
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_EQ(ReadFile(WorkPath("sub/fresh.txt")), "fresh");
  EXPECT_EQ(ReadFile(WorkPath("plain.txt")), "p");
  EXPECT_EQ(PagePaths(), (std::vector<std::string>{WorkPath("keep.txt")}));
  EXPECT_EQ(Active(), &keep);
  const auto& recent = window->Prefs().File.RecentFiles;
  EXPECT_NE(std::find(recent.begin(), recent.end(), WorkPath("sub/fresh.txt")), recent.end());
  EXPECT_TRUE(ui.Boxes().empty());
  (void)plain;
}

TEST_F(BatchSaveTest, CloseAllKeepsAPageWhoseWriteFailed) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("b.txt", "old b");
  Page& c = OpenFile("c.txt", "old c");
  Edit(a, "new a");
  Edit(b, "new b");
  BlockWrites(WorkPath("b.txt"));
  Press(C::cmdDo);
  window->Execute(UiItem::mnuCloseAll);
  // Last to first: a is written and closed, b fails and stays, c is not reached.
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{WorkPath("b.txt") + "\nを閉じる処理中にｴﾗｰ発生\nﾌｫﾙﾀﾞです"}));
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDone}));
  EXPECT_EQ(window->Docs().PageCount(), 2u);
  EXPECT_TRUE(b.Modified());
  EXPECT_EQ(TextOf(b), "new b");
  EXPECT_TRUE(window->RedrawEnabled());
  (void)c;
}

TEST_F(BatchSaveTest, CloseAllAbandonedByTheFileDialogClosesNothing) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& untitled = NewUntitled();
  Edit(a, "new a");
  Edit(untitled, "fresh");
  ui.QueueDialogCancel();
  Script([this](FileListDialog& d) {
    d.Click(C::cmdDo);
    EXPECT_FALSE(d.Closed());
    EXPECT_FALSE(d.Rows()[0].selected);  // the untitled row
    EXPECT_EQ(window->Docs().PageCount(), 2u);
    d.Click(C::cmdCancel);
  });
  window->Execute(UiItem::mnuCloseAll);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "old a");
  EXPECT_EQ(window->Docs().PageCount(), 2u);
  EXPECT_EQ(listView.restores, 1);
}

// ---- save all ----

TEST_F(BatchSaveTest, SaveAllNamesUntitledPagesOnceEachAndRemakesMissingFolders) {
  Launch();
  Page& deep = OpenFile("gone/deeper/d.txt", "old d");
  Keys("x");  // an undo record that the save drops
  Page& first = NewUntitled();
  Page& second = NewUntitled();
  Edit(deep, "new d");
  Edit(first, "one");
  Edit(second, "two");
  fs::remove_all(WorkPath("gone"));
  window->Prefs().File.CurrentDir = WorkPath("");
  // Rows: second (active), first, deep. The second row asks for the first row's name.
  ui.QueueDialogFiles({WorkPath("same.txt")});
  ui.QueueDialogFiles({WorkPath("SAME.txt")});
  ui.QueueDialogFiles({WorkPath("other.txt")});
  Press(C::cmdDo);
  window->Execute(UiItem::mnuUpdateAll);

  const ShownDialog& shown = listView.shows.at(0);
  EXPECT_EQ(shown.caption, "まとめて上書き保存");
  EXPECT_EQ(shown.doCaption, "保存(&S)");
  EXPECT_FALSE(shown.withoutVisible);
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDone}));
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{WorkPath("SAME.txt") + "\n (ID:2)が重複しています"}));
  EXPECT_EQ(ui.Boxes()[0].flags, MB_OK | MB_ICONWARNING);
  ASSERT_EQ(ui.Dialogs().size(), 3u);
  EXPECT_EQ(ui.Dialogs()[1].request.fileName, "無題2.txt");
  EXPECT_EQ(ui.Dialogs()[2].request.fileName, WorkPath("SAME.txt"));  // asked again
  EXPECT_EQ(ReadFile(WorkPath("same.txt")), "two");
  EXPECT_EQ(ReadFile(WorkPath("other.txt")), "one");
  EXPECT_EQ(ReadFile(WorkPath("gone/deeper/d.txt")), "new d");
  EXPECT_FALSE(fs::exists(WorkPath("SAME.txt")));

  EXPECT_EQ(second.FilePath(), WorkPath("same.txt"));
  EXPECT_EQ(second.DisplayName(), "same.txt");
  EXPECT_EQ(first.FilePath(), WorkPath("other.txt"));
  for (Page* page : {&deep, &first, &second}) EXPECT_FALSE(page->Modified());
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_EQ(view.pageList, (std::vector<std::string>{WorkPath("same.txt"), WorkPath("other.txt"),
                                                     WorkPath("gone/deeper/d.txt")}));
  const auto& recent = window->Prefs().File.RecentFiles;
  EXPECT_EQ(std::vector<std::string>(recent.end() - 3, recent.end()),
            (std::vector<std::string>{WorkPath("gone/deeper/d.txt"), WorkPath("other.txt"),
                                      WorkPath("same.txt")}));
  EXPECT_EQ(window->Prefs().File.CurrentDir, WorkPath(""));
}

TEST_F(BatchSaveTest, SaveAllKeepsUndoRecordsWhenAskedTo) {
  Launch();
  OpenFile("a.txt", "a");
  Keys("bc");
  window->Prefs().Edit.KeepLogAfterSave = true;
  Press(C::cmdDo);
  window->Execute(UiItem::mnuUpdateAll);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "bca");
  EXPECT_EQ(window->Log().RecordCount(), 1u);
  EXPECT_FALSE(Active()->Modified());
}

TEST_F(BatchSaveTest, SaveAllKeepsTheOldFilesWhenAskedToAndABackupRefusedWritesNothing) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("b.txt", "old b");
  Edit(a, "new a");
  Edit(b, "new b");
  window->Prefs().File.MakeBackup = true;
  Press(C::cmdDo);
  window->Execute(UiItem::mnuUpdateAll);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_EQ(ReadFile(WorkPath("a.txt.bak")), "old a");
  EXPECT_EQ(ReadFile(WorkPath("b.txt.bak")), "old b");

  // A backup that cannot be made, and the user will not do without: no file changes.
  Edit(a, "newer a");
  Edit(b, "newer b");
  BlockWrites(WorkPath("a.txt.bak"));
  ui.ClearBoxes();
  ui.QueueAnswer(IDNO);
  Press(C::cmdDo);
  window->Execute(UiItem::mnuUpdateAll);
  ASSERT_FALSE(ui.Boxes().empty());
  EXPECT_EQ(ui.Boxes().front().text.rfind("ﾊﾞｯｸｱｯﾌﾟを作成できません。\n" + WorkPath("a.txt.bak"), 0), 0u);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_EQ(ReadFile(WorkPath("b.txt")), "new b");
  EXPECT_TRUE(a.Modified());
  EXPECT_TRUE(b.Modified());
}

TEST_F(BatchSaveTest, SaveAllAbandonedWritesNothingAndKeepsNamesAlreadyChosen) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& first = NewUntitled();
  Page& second = NewUntitled();
  Edit(a, "new a");
  Edit(first, "one");
  Edit(second, "two");
  window->Prefs().File.CurrentDir = WorkPath("");
  ui.QueueDialogFiles({WorkPath("two.txt")});
  ui.QueueDialogCancel();
  Script([this](FileListDialog& d) {
    d.Click(C::cmdDo);  // rows: second, first, a; the file dialog for "first" is cancelled
    EXPECT_FALSE(d.Closed());
    EXPECT_EQ(d.Rows()[0].path, WorkPath("two.txt"));
    EXPECT_EQ(d.Rows()[0].columns[FileListRow::kName], "two.txt");
    EXPECT_EQ(d.Rows()[0].columns[FileListRow::kExtension], "TXT");
    EXPECT_EQ(d.SelectedRows(), (std::vector<std::size_t>{0, 2}));
    EXPECT_FALSE(fs::exists(WorkPath("two.txt")));
    EXPECT_EQ(ReadFile(WorkPath("a.txt")), "old a");
    // Pressed again, the row that took a name is not asked for it again.
    d.Click(C::cmdDo);
    EXPECT_TRUE(d.Closed());
  });
  window->Execute(UiItem::mnuUpdateAll);
  EXPECT_EQ(ui.Dialogs().size(), 2u);
  EXPECT_EQ(ReadFile(WorkPath("two.txt")), "two");
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "new a");
  EXPECT_TRUE(first.Modified());
  EXPECT_FALSE(second.Modified());
}

TEST_F(BatchSaveTest, SaveAllStopsAtAFolderThatCannotBeMade) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("blocked/b.txt", "old b");
  Edit(a, "new a");
  Edit(b, "new b");
  fs::remove_all(WorkPath("blocked"));
  MakeFile("blocked", "a file where the folder was");
  Script([this](FileListDialog& d) {
    d.Click(C::cmdDo);
    EXPECT_FALSE(d.Closed());
    EXPECT_EQ(d.SelectedRows(), (std::vector<std::size_t>{1}));
    EXPECT_EQ(d.FocusedRow(), 0u);
    d.Click(C::cmdCancel);
  });
  window->Execute(UiItem::mnuUpdateAll);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"保存先ﾌｫﾙﾀﾞ\n" + WorkPath("blocked") +
                                                  "\nの作成に失敗しました"}));
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(ReadFile(WorkPath("a.txt")), "old a");
  EXPECT_TRUE(a.Modified());
  EXPECT_TRUE(b.Modified());
}

TEST_F(BatchSaveTest, SaveAllOverwriteQuestionYesTakesTheFileNoLeavesTheRowOut) {
  Launch();
  MakeFile("x.txt", "old x");
  MakeFile("y.txt", "old y");
  Page& first = NewUntitled();
  Page& second = NewUntitled();
  Edit(first, "one");
  Edit(second, "two");
  window->Prefs().File.CurrentDir = WorkPath("");
  ui.QueueDialogFiles({WorkPath("x.txt")});
  ui.QueueAnswer(IDYES);
  ui.QueueDialogFiles({"y.txt"});  // relative: taken from the current folder
  ui.QueueAnswer(IDNO);
  Press(C::cmdDo);
  window->Execute(UiItem::mnuUpdateAll);
  EXPECT_EQ(ReadFile(WorkPath("x.txt")), "two");
  EXPECT_EQ(ReadFile(WorkPath("y.txt")), "old y");
  EXPECT_FALSE(second.Modified());
  EXPECT_TRUE(first.Modified());
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{WorkPath("x.txt") + "\nは既に存在します。上書きしますか?",
                                      WorkPath("y.txt") + "\nは既に存在します。上書きしますか?"}));
}

// ---- reload all ----

TEST_F(BatchSaveTest, ReloadAllAsksBeforeDroppingChanges) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Page& b = OpenFile("b.txt", "old b");
  Page& c = OpenFile("c.txt", "old c");
  Edit(a, "edited a");
  Edit(b, "edited b");
  MakeFile("a.txt", "disk a");
  MakeFile("b.txt", "disk b");
  MakeFile("c.txt", "disk c");
  ui.QueueAnswer(IDNO);   // b
  ui.QueueAnswer(IDYES);  // a
  Script([](FileListDialog& d) {
    EXPECT_EQ(d.SelectedCount(), 1u);  // nothing preselected; showing selects the first row
    d.Click(C::cmdSelectAll);
    d.Click(C::cmdDo);
  });
  window->Execute(UiItem::mnuReloadAll);
  const ShownDialog& shown = listView.shows.at(0);
  EXPECT_EQ(shown.caption, "まとめて再読込み");
  EXPECT_EQ(shown.doCaption, "再読込み(&R)");
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            WorkPath("b.txt") + "\nは変更されています。\nﾃﾞｨｽｸから再読込みすると\n"
                                                "現在の変更は失われます\nよろしいですか?",
                            WorkPath("a.txt") + "\nは変更されています。\nﾃﾞｨｽｸから再読込みすると\n"
                                                "現在の変更は失われます\nよろしいですか?"}));
  EXPECT_EQ(ui.Boxes()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(TextOf(a), "disk a");
  EXPECT_FALSE(a.Modified());
  EXPECT_EQ(TextOf(b), "edited b");
  EXPECT_TRUE(b.Modified());
  EXPECT_EQ(TextOf(c), "disk c");
  EXPECT_EQ(listView.results, (std::vector<int>{kListDialogDone}));

  // Cancel ends the action with nothing reloaded; the dialog stays open.
  MakeFile("c.txt", "disk c 2");
  ui.QueueAnswer(IDCANCEL);
  Script([this, &c](FileListDialog& d) {
    d.Click(C::cmdSelectAll);
    d.Click(C::cmdDo);
    EXPECT_FALSE(d.Closed());
    EXPECT_EQ(TextOf(c), "disk c");
    d.Click(C::cmdCancel);
  });
  window->Execute(UiItem::mnuReloadAll);
  EXPECT_EQ(TextOf(c), "disk c");
}

TEST_F(BatchSaveTest, ReloadAllReportsAFileGoneSinceTheListWasMade) {
  Launch();
  Page& a = OpenFile("a.txt", "old a");
  Edit(a, "edited");
  Script([this](FileListDialog& d) {
    fs::remove(WorkPath("a.txt"));
    d.Click(C::cmdDo);
  });
  window->Execute(UiItem::mnuReloadAll);
  ASSERT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(ui.LastBox().text, WorkPath("a.txt") + "\nの再読込み処理中にｴﾗｰ発生");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(TextOf(a), "edited");
  EXPECT_TRUE(a.Modified());
  EXPECT_TRUE(window->RedrawEnabled());
}

TEST_F(BatchSaveTest, ReloadAllWithNothingToReloadCountsWhy) {
  Launch();
  NewUntitled();
  NewUntitled();
  window->Execute(UiItem::mnuReloadAll);
  EXPECT_TRUE(listView.shows.empty());
  EXPECT_EQ(
      BoxTexts(),
      (std::vector<std::string>{"現在ﾃﾞｨｽｸから再読込み可能なﾌｧｲﾙはありません\n　無題ﾌｧｲﾙ : 2"}));
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONINFORMATION);

  ui.ClearBoxes();
  OpenFile("gone.txt", "g");
  OpenFile("big.txt", "0123456789");
  fs::remove(WorkPath("gone.txt"));
  window->Prefs().File.MaxLength = 5;
  window->Execute(UiItem::mnuReloadAll);
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{"現在ﾃﾞｨｽｸから再読込み可能なﾌｧｲﾙはありません\n　無題ﾌｧｲﾙ : 2"
                                      "\n　ｱｸｾｽ不能ﾌｧｲﾙ : 1\n　ﾌｧｲﾙｻｲｽﾞ最大値ｵｰﾊﾞｰ : 1"}));
  EXPECT_TRUE(listView.shows.empty());
}

}  // namespace
}  // namespace norra::testing
