// File-list dialog logic: the mode table, rows and columns, sorting, selection, status texts
// and keys.
#include <gtest/gtest.h>

#include <map>

#include "FileListDialogHarness.h"

namespace norra::testing {
namespace {

using C = FileListControl;

class FileListDialogTest : public ListDialogTest {
 protected:
  // Three Pages opened c, b, a order so the window order (active first) reads a, b, c... and
  // columns that sort differently by each key.
  void ThreePages() {
    Launch();
    OpenFile("z/c.md", "c");
    OpenFile("x/b.TXT", "b");
    OpenFile("y/a.txt", "a");
    Edit(*Active(), "changed");
  }
  std::vector<std::string> Column(const FileListDialog& dialog, int column) {
    std::vector<std::string> texts;
    for (const FileListRow& row : dialog.Rows())
      texts.push_back(row.columns[static_cast<std::size_t>(column)]);
    return texts;
  }
};

TEST_F(FileListDialogTest, RowsCarryNameFolderExtensionStateAndNumber) {
  ThreePages();
  FileListDialog dialog(Context(), ListDialogMode::CloseAll);
  ASSERT_EQ(dialog.Rows().size(), 3u);
  const FileListRow& first = dialog.Rows()[0];
  EXPECT_EQ(first.columns[FileListRow::kName], "a.txt");
  EXPECT_EQ(first.columns[FileListRow::kFolder], WorkPath("y"));
  EXPECT_EQ(first.columns[FileListRow::kExtension], "TXT");
  EXPECT_EQ(first.columns[FileListRow::kState], "変更");
  EXPECT_EQ(first.columns[FileListRow::kId], "001");
  EXPECT_EQ(first.page, Active());
  EXPECT_EQ(Column(dialog, FileListRow::kState), (std::vector<std::string>{"変更", "", ""}));
  EXPECT_EQ(Column(dialog, FileListRow::kId), (std::vector<std::string>{"001", "002", "003"}));

  // Untitled Pages have no folder; a file at the root shows "/" rather than looking untitled.
  const FileListRow untitled = FileListRow::Make("無題3", PageKind::Untitled, nullptr, "", 12);
  EXPECT_EQ(untitled.columns[FileListRow::kFolder], "");
  EXPECT_EQ(untitled.columns[FileListRow::kExtension], "");
  EXPECT_EQ(untitled.columns[FileListRow::kId], "012");
  EXPECT_TRUE(untitled.NeedsName());
  const FileListRow atRoot = FileListRow::Make("/notes", PageKind::File, nullptr, "", 1000);
  EXPECT_EQ(atRoot.columns[FileListRow::kFolder], "/");
  EXPECT_EQ(atRoot.columns[FileListRow::kName], "notes");
  EXPECT_EQ(atRoot.columns[FileListRow::kId], "1000");
  EXPECT_FALSE(atRoot.NeedsName());
  EXPECT_EQ(atRoot.TargetFolder(), "/");
  // A dot in a folder name counts for the extension.
  EXPECT_EQ(FileListRow::Make("/w/ver.2/readme", PageKind::File, nullptr, "", 1)
                .columns[FileListRow::kExtension],
            "2/README");
}

TEST_F(FileListDialogTest, ARowNeedsANameUntilItsPageNamesAFile) {
  Launch();
  Page& file = OpenFile("kept.txt", "k");
  Page& untitled = NewUntitled();
  FileListDialog dialog(Context(), ListDialogMode::SaveAsAll);
  ASSERT_EQ(dialog.Rows().size(), 2u);
  EXPECT_EQ(dialog.Rows()[0].page, &untitled);
  EXPECT_EQ(dialog.Rows()[0].kind, PageKind::Untitled);
  EXPECT_TRUE(dialog.Rows()[0].NeedsName());
  EXPECT_EQ(dialog.Rows()[1].page, &file);
  EXPECT_FALSE(dialog.Rows()[1].NeedsName());

  // The "(Err)" in a failed Page's path is only shown; the chosen name makes the row a file.
  FileListRow failed = FileListRow::Make("(Err)/w/a.txt", PageKind::LoadFailed, nullptr, "", 1);
  EXPECT_EQ(failed.columns[FileListRow::kFolder], "(Err)/w");
  EXPECT_TRUE(failed.NeedsName());
  failed.TakePath("/w/b.txt");
  EXPECT_EQ(failed.kind, PageKind::File);
  EXPECT_EQ(failed.TargetFolder(), "/w");
}

TEST_F(FileListDialogTest, ModeTableSetsCaptionsPromptsButtonsAndPanels) {
  ThreePages();
  struct Expect {
    ListDialogMode mode;
    const char* caption;
    const char* first;
    const char* second;  // nullptr: hidden
    const char* prompt;
    C panel;
    int help;
    C focus;
  };
  const std::vector<Expect> table = {
      {ListDialogMode::SaveAll, "まとめて上書き保存", "保存(&S)", nullptr,
       "ﾌｧｲﾙを選択して [保存] を押して下さい(複数選択可)", C::kCount, 0, C::lvwFileName},
      {ListDialogMode::SaveAsAll, "まとめて別名保存", "確認保存(&B)", "上書き(&S)",
       "ﾌｧｲﾙを選択して [確認保存] 又は [上書き] を押して下さい(複数選択可)", C::fraSaveAsAll, 1013,
       C::lvwFileName},
      {ListDialogMode::PrintAll, "まとめて印刷", "印刷(&P)", nullptr,
       "ﾌｧｲﾙを選択して [印刷] を押して下さい(複数選択可)", C::fraPrintAll, 1011, C::lvwFileName},
      {ListDialogMode::QuoteAll, "まとめて引用", "引用(&Q)", nullptr,
       "現在のﾌｧｲﾙのｶｰｿﾙ位置へ引用します(複数選択可)", C::fraQuotationAll, 1012, C::lvwFileName},
      {ListDialogMode::Jump, "指定位置へｼﾞｬﾝﾌﾟ", "ｼﾞｬﾝﾌﾟ(&J)", nullptr,
       "選択したﾌｧｲﾙの行番号へ [ｼﾞｬﾝﾌﾟ] します", C::fraJump, 1014, C::txtRow},
      {ListDialogMode::SortList, "▼ﾌｧｲﾙ名ﾘｽﾄ並べ替え", "並べ替え(&S)", nullptr,
       "「現在のﾌｧｲﾙ選択ﾎﾞｯｸｽ」のﾘｽﾄを [並べ替え] ます(選択ﾌｧｲﾙへｼﾞｬﾝﾌﾟ)", C::kCount, 1015,
       C::lvwFileName},
      {ListDialogMode::Exit, "Norraの終了", "はい(&Y)", "いいえ(&N)",
       "次のﾌｧｲﾙは変更されています。保存しますか?", C::kCount, 0, C::cmdDo},
      {ListDialogMode::ReloadAll, "まとめて再読込み", "再読込み(&R)", nullptr,
       "選択したﾌｧｲﾙをﾃﾞｨｽｸから [再読込み] します(複数選択可)", C::kCount, 1016, C::lvwFileName},
      {ListDialogMode::CloseAll, "まとめて閉じる", "はい(&Y)", "いいえ(&N)",
       "変更されているﾌｧｲﾙは保存しますか?", C::kCount, 0, C::cmdDo},
      {kGroupMode, "グループから開く", "開く(&O)", "再読込み(&R)",
       "ﾌｧｲﾙを選択して [開く] 又は [再読込み] を押して下さい(複数選択可)", C::fraOpenFromGroup,
       1017, C::lvwFileName},
  };
  for (const Expect& e : table) {
    SCOPED_TRACE(static_cast<int>(e.mode));
    FileListDialog dialog(Context(), e.mode);
    EXPECT_EQ(dialog.DialogResult(), kListDialogCancelled);
    EXPECT_EQ(dialog.Caption(), e.caption);
    EXPECT_EQ(dialog.Prompt(), e.prompt);
    EXPECT_EQ(dialog.Control(C::cmdDo).caption, e.first);
    EXPECT_EQ(dialog.Control(C::cmdWithout).visible, e.second != nullptr);
    if (e.second != nullptr) {
      EXPECT_EQ(dialog.Control(C::cmdWithout).caption, e.second);
    }
    for (C panel :
         {C::fraQuotationAll, C::fraJump, C::fraSaveAsAll, C::fraPrintAll, C::fraOpenFromGroup}) {
      EXPECT_EQ(dialog.Control(panel).visible, panel == e.panel)
          << FileListDialog::ControlName(panel);
    }
    EXPECT_EQ(dialog.HelpContext(), e.help);
    EXPECT_EQ(dialog.Control(C::cmdHelp).visible, e.help != 0);
    EXPECT_EQ(dialog.FocusTarget(), e.focus);
    const int code = static_cast<int>(e.mode);
    EXPECT_EQ(dialog.StateColumnHidden(), code == 220 || code == 227);
    EXPECT_EQ(dialog.Control(C::cmdSelectAll).visible, code != 225 && code != 226);
    EXPECT_EQ(dialog.MultiSelect(), code != 225 && code != 226);
    EXPECT_EQ(dialog.Control(C::cmdCancel).caption, "ｷｬﾝｾﾙ");
    EXPECT_EQ(dialog.Control(C::cmdHelp).caption, "ﾍﾙﾌﾟ(&H) F1");
    EXPECT_EQ(dialog.SortDirection(), 1);
  }

  // Which rows each mode lists and preselects.
  FileListDialog save(Context(), ListDialogMode::SaveAll);
  EXPECT_EQ(Column(save, 0), (std::vector<std::string>{"a.txt"}));
  FileListDialog quote(Context(), ListDialogMode::QuoteAll);
  EXPECT_EQ(Column(quote, 0),
            (std::vector<std::string>{"b.TXT", "c.md"}));  // the active Page is the target
  EXPECT_EQ(quote.SelectedCount(), 0u);
  FileListDialog jump(Context(), ListDialogMode::Jump);
  EXPECT_EQ(jump.SelectedRows(), (std::vector<std::size_t>{0}));
  EXPECT_EQ(jump.Control(C::lblRows).caption, "/ 1");
  FileListDialog close(Context(), ListDialogMode::CloseAll);
  EXPECT_EQ(close.SelectedCount(), 3u);

  // Close all without a modified Page closes straight away.
  Active()->SetModified(false);
  FileListDialog plainClose(Context(), ListDialogMode::CloseAll);
  EXPECT_EQ(plainClose.Control(C::cmdDo).caption, "閉じる(&C)");
  EXPECT_FALSE(plainClose.Control(C::cmdWithout).visible);
  EXPECT_EQ(plainClose.Prompt(), "ﾌｧｲﾙを選択して [閉じる] を押して下さい(複数選択可)");
  EXPECT_EQ(plainClose.FocusTarget(), C::lvwFileName);
}

TEST_F(FileListDialogTest, NothingToShowFollowsEachModesRule) {
  Launch();
  std::map<ListDialogMode, int> none;
  for (ListDialogMode mode :
       {ListDialogMode::SaveAll, ListDialogMode::SaveAsAll, ListDialogMode::PrintAll,
        ListDialogMode::QuoteAll, ListDialogMode::Jump, ListDialogMode::SortList,
        ListDialogMode::Exit, ListDialogMode::CloseAll}) {
    EXPECT_EQ(FileListDialog(Context(), mode).DialogResult(), kListDialogNothingToShow)
        << static_cast<int>(mode);
  }
  EXPECT_EQ(FileListDialog(Context(), kGroupMode).DialogResult(), kListDialogCancelled);

  OpenFile("one.txt", "1");
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::SaveAll).DialogResult(),
            kListDialogNothingToShow);
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::Exit).DialogResult(),
            kListDialogNothingToShow);
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::QuoteAll).DialogResult(),
            kListDialogNothingToShow);
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::SortList).DialogResult(),
            kListDialogNothingToShow);
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::CloseAll).DialogResult(),
            kListDialogCancelled);
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::Jump).DialogResult(), kListDialogCancelled);
  Edit(*Active(), "x");
  EXPECT_EQ(FileListDialog(Context(), ListDialogMode::SaveAll).DialogResult(),
            kListDialogCancelled);
  EXPECT_TRUE(ui.Boxes().empty());

  EXPECT_THROW(FileListDialog(Context(), static_cast<ListDialogMode>(229)), std::invalid_argument);
}

TEST_F(FileListDialogTest, RecentFilesListsFilesOnDiskThatAreNotOpenOnce) {
  Launch();
  const std::string open = OpenFile("open.txt", "o").FilePath();
  const std::string closedOne = MakeFile("closed1.txt", "1");
  const std::string closedTwo = MakeFile("closed2.txt", "2");
  auto& recent = window->Prefs().File.RecentFiles;
  recent = {closedOne, WorkPath("gone.txt"), closedTwo, open, WorkPath("")};
  FileListDialog dialog(Context(), ListDialogMode::RecentFiles);
  EXPECT_EQ(Column(dialog, 0),
            (std::vector<std::string>{"closed2.txt", "closed1.txt"}));  // newest first
  EXPECT_EQ(dialog.Rows()[0].page, nullptr);
  EXPECT_TRUE(dialog.StateColumnHidden());

  // Every recent file on disk already open: a message, no dialog.
  recent = {open, WorkPath("gone.txt")};
  FileListDialog none(Context(), ListDialogMode::RecentFiles);
  EXPECT_EQ(none.DialogResult(), kListDialogNothingToShow);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "ﾃﾞｨｽｸ上に存在する\n｢最近使ったﾌｧｲﾙ｣は全てﾛｰﾄﾞ済みです");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(ui.LastBox().caption, "Norra");
}

TEST_F(FileListDialogTest, ColumnSortUsesOneDirectionForAllColumns) {
  ThreePages();  // rows: a.txt (y, TXT, 変更, 001), b.TXT (x, TXT, , 002), c.md (z, MD, , 003)
  FileListDialog dialog(Context(), ListDialogMode::CloseAll);

  dialog.ColumnClicked(0);
  EXPECT_EQ(Column(dialog, 0), (std::vector<std::string>{"a.txt", "b.TXT", "c.md"}));
  EXPECT_EQ(dialog.SortDirection(), -1);
  dialog.ColumnClicked(0);
  EXPECT_EQ(Column(dialog, 0), (std::vector<std::string>{"c.md", "b.TXT", "a.txt"}));
  // The ID column keeps each row's first number.
  EXPECT_EQ(Column(dialog, 4), (std::vector<std::string>{"003", "002", "001"}));

  dialog.ColumnClicked(1);  // folder, ascending again: x, y, z
  EXPECT_EQ(Column(dialog, 0), (std::vector<std::string>{"b.TXT", "a.txt", "c.md"}));
  EXPECT_EQ(dialog.SortColumn(), 0);
  dialog.ColumnClicked(1);
  EXPECT_EQ(Column(dialog, 0), (std::vector<std::string>{"c.md", "a.txt", "b.TXT"}));

  dialog.ColumnClicked(2);  // extension ascending: MD before TXT
  EXPECT_EQ(Column(dialog, 2), (std::vector<std::string>{"MD", "TXT", "TXT"}));
  EXPECT_EQ(dialog.SortColumn(), 1);
  dialog.ColumnClicked(2);
  EXPECT_EQ(Column(dialog, 2), (std::vector<std::string>{"TXT", "TXT", "MD"}));

  dialog.ColumnClicked(3);  // state ascending: empty before "変更"
  EXPECT_EQ(Column(dialog, 3).back(), "変更");
  EXPECT_EQ(dialog.SortColumn(), 2);
  dialog.ColumnClicked(3);
  EXPECT_EQ(Column(dialog, 3).front(), "変更");

  dialog.ColumnClicked(4);
  EXPECT_EQ(Column(dialog, 4), (std::vector<std::string>{"001", "002", "003"}));
  EXPECT_EQ(dialog.SortColumn(), 3);
  dialog.ColumnClicked(4);
  EXPECT_EQ(Column(dialog, 4), (std::vector<std::string>{"003", "002", "001"}));

  // One file-name click, then the extension header: the extensions sort descending.
  FileListDialog fresh(Context(), ListDialogMode::CloseAll);
  fresh.ColumnClicked(0);
  fresh.ColumnClicked(2);
  EXPECT_EQ(Column(fresh, 2), (std::vector<std::string>{"TXT", "TXT", "MD"}));

  // The sort buttons sort their columns and give the list the focus; rows keep selection.
  FileListDialog buttons(Context(), ListDialogMode::CloseAll);
  buttons.SelectRow(2, false);  // c.md
  buttons.Click(C::cmdExp);
  EXPECT_EQ(Column(buttons, 0).front(), "c.md");
  EXPECT_FALSE(buttons.Rows().front().selected);
  buttons.Click(C::cmdID);
  EXPECT_EQ(Column(buttons, 4), (std::vector<std::string>{"003", "002", "001"}));
  buttons.Click(C::cmdFile);
  EXPECT_EQ(Column(buttons, 0), (std::vector<std::string>{"a.txt", "b.TXT", "c.md"}));
  buttons.Click(C::cmdDirectory);
  EXPECT_EQ(Column(buttons, 1),
            (std::vector<std::string>{WorkPath("z"), WorkPath("y"), WorkPath("x")}));
  buttons.Click(C::cmdModified);
  EXPECT_EQ(Column(buttons, 3).back(), "変更");
}

TEST_F(FileListDialogTest, SortKeepsTheFocusedRowAndJapaneseNamesInCp932Order) {
  Launch();
  OpenFile("ｶ.txt", "");   // half-width katakana: single bytes 0xB6
  OpenFile("あ.txt", "");  // 0x82A0
  OpenFile("B.txt", "");
  OpenFile("a.txt", "");
  FileListDialog dialog(Context(), ListDialogMode::CloseAll);
  dialog.FocusRow(1);  // B.txt
  dialog.ColumnClicked(0);
  // Byte order of the CP932 texts: case-sensitive, ASCII, then kana by code.
  EXPECT_EQ(Column(dialog, 0), (std::vector<std::string>{"B.txt", "a.txt", "あ.txt", "ｶ.txt"}));
  EXPECT_EQ(dialog.FocusedRow(), 0u);
  dialog.Idle();
  EXPECT_EQ(dialog.StatusText(0), "1/4ﾌｧｲﾙ");
}

TEST_F(FileListDialogTest, SelectionEnablesButtonsAndStatusTexts) {
  ThreePages();
  FileListDialog dialog(Context(), ListDialogMode::CloseAll);
  dialog.Showing();
  EXPECT_EQ(dialog.StatusText(0), "1/3ﾌｧｲﾙ");
  EXPECT_EQ(dialog.StatusText(1), "処理対象 : 選択した 3個のﾌｧｲﾙ");
  EXPECT_FALSE(dialog.SelectAllState());  // every row selected: the button deselects
  EXPECT_EQ(dialog.Control(C::cmdSelectAll).caption, "全て非選択(&A)");

  dialog.SelectRow(0, false);
  dialog.SelectRow(1, false);
  EXPECT_TRUE(dialog.SelectionChangedFlag());
  EXPECT_EQ(dialog.StatusText(1), "処理対象 : 選択した 3個のﾌｧｲﾙ");  // until the next idle moment
  dialog.FocusRow(2);
  dialog.Idle();
  EXPECT_FALSE(dialog.SelectionChangedFlag());
  EXPECT_EQ(dialog.StatusText(0), "3/3ﾌｧｲﾙ");
  EXPECT_EQ(dialog.StatusText(1), "処理対象 : 選択した 1個のﾌｧｲﾙ");
  EXPECT_TRUE(dialog.Control(C::cmdDo).enabled);

  dialog.SelectRow(2, false);
  dialog.Idle();
  EXPECT_EQ(dialog.StatusText(1), "");
  EXPECT_FALSE(dialog.Control(C::cmdDo).enabled);
  EXPECT_FALSE(dialog.Control(C::cmdWithout).enabled);
  EXPECT_FALSE(dialog.DoIsDefault());
  // A disabled button does nothing.
  dialog.Click(C::cmdWithout);
  EXPECT_EQ(window->Docs().PageCount(), 3u);
  EXPECT_FALSE(dialog.Closed());

  // The button keeps its own state, set when the dialog showed every row selected: it
  // deselects first, then selects; Ctrl+A is the same.
  dialog.SelectRow(0, true);
  dialog.Click(C::cmdSelectAll);
  EXPECT_EQ(dialog.SelectedCount(), 0u);
  EXPECT_EQ(dialog.Control(C::cmdSelectAll).caption, "全て選択(&A)");
  EXPECT_EQ(dialog.StatusText(1), "");
  EXPECT_TRUE(dialog.KeyDown('A', kCtrlKey));
  EXPECT_EQ(dialog.SelectedCount(), 3u);
  EXPECT_EQ(dialog.Control(C::cmdSelectAll).caption, "全て非選択(&A)");
  EXPECT_EQ(dialog.StatusText(1), "処理対象 : 選択した 3個のﾌｧｲﾙ");
  EXPECT_TRUE(dialog.Control(C::cmdDo).enabled);
  EXPECT_FALSE(dialog.KeyDown('A', 0));

  // With no row focused, panel 0 shows the count alone.
  FileListDialog reload(Context(), ListDialogMode::ReloadAll);
  reload.RefreshStatus();
  EXPECT_EQ(reload.StatusText(0), "3ﾌｧｲﾙ");
  EXPECT_EQ(reload.StatusText(1), "");
  // Shown, the first row is focused and, with nothing preselected, selected.
  reload.Showing();
  EXPECT_EQ(reload.SelectedRows(), (std::vector<std::size_t>{0}));
  EXPECT_TRUE(reload.SelectAllState());
  EXPECT_EQ(reload.StatusText(0), "1/3ﾌｧｲﾙ");
  EXPECT_EQ(reload.StatusText(1), "処理対象 : 選択した 1個のﾌｧｲﾙ");

  // One row at a time in the jump list, and the line count of the chosen Page.
  Edit(*Active(), "1\r\n2\r\n3");
  FileListDialog jump(Context(), ListDialogMode::Jump);
  EXPECT_EQ(jump.Control(C::lblRows).caption, "/ 3");
  jump.SelectRow(2, true);
  EXPECT_EQ(jump.SelectedRows(), (std::vector<std::size_t>{2}));
  EXPECT_EQ(jump.Control(C::lblRows).caption, "/ 1");
  jump.SelectRow(2, false);
  EXPECT_EQ(jump.Control(C::lblRows).caption, "");
  EXPECT_FALSE(jump.Control(C::cmdDo).enabled);
  EXPECT_TRUE(jump.KeyDown('A', kCtrlKey));  // no select-all in a one-row list
  EXPECT_EQ(jump.SelectedCount(), 0u);
  FileListDialog sort(Context(), ListDialogMode::SortList);
  sort.SelectRow(0, false);
  EXPECT_TRUE(sort.Control(C::cmdDo).enabled);
}

TEST_F(FileListDialogTest, KeysCancelHelpAndNumberBoxes) {
  ThreePages();
  FileListDialog reload(Context(), ListDialogMode::ReloadAll);
  EXPECT_TRUE(reload.KeyDown(0x70, 0));  // F1
  EXPECT_EQ(helpTopics, (std::vector<int>{1016}));
  reload.Click(C::cmdHelp);
  EXPECT_EQ(helpTopics, (std::vector<int>{1016, 1016}));
  EXPECT_FALSE(reload.KeyDown(0x75, 0));  // F6 without the print panel
  EXPECT_TRUE(reload.KeyDown(0x73, 0));   // F4: cancelled, still open
  EXPECT_EQ(reload.DialogResult(), kListDialogCancelled);
  EXPECT_FALSE(reload.Closed());
  EXPECT_TRUE(reload.KeyDown(kKeyEscape, 0));
  EXPECT_TRUE(reload.Closed());
  EXPECT_FALSE(reload.KeyDown(kKeyEscape, 0));  // closed dialogs hear nothing

  FileListDialog exit(Context(), ListDialogMode::Exit);
  EXPECT_TRUE(exit.KeyDown(0x70, 0));
  EXPECT_EQ(helpTopics.size(), 2u);  // no help topic in this mode
  exit.Click(C::cmdCancel);
  EXPECT_EQ(exit.DialogResult(), kListDialogCancelled);
  EXPECT_TRUE(exit.Closed());
  EXPECT_TRUE(Active()->Modified());

  FileListDialog close(Context(), ListDialogMode::CloseAll);
  close.CloseBox();
  EXPECT_EQ(close.DialogResult(), kListDialogCancelled);
  EXPECT_EQ(window->Docs().PageCount(), 3u);

  for (int c : {int{'0'}, int{'5'}, int{'9'}, int{kKeyBack}})
    EXPECT_TRUE(FileListDialog::NumberBoxAccepts(c)) << c;
  for (int c : {'a', '-', ' ', '.', '/', ':'})
    EXPECT_FALSE(FileListDialog::NumberBoxAccepts(c)) << c;
}

TEST_F(FileListDialogTest, RunnerNeedsItsContextAndSkipsEmptyDialogs) {
  Launch();
  FileListDialogRunner unbound(listView);
  EXPECT_EQ(unbound.Run(ListDialogMode::CloseAll), kListDialogFailed);
  EXPECT_EQ(runner.Run(ListDialogMode::CloseAll), kListDialogNothingToShow);
  EXPECT_TRUE(listView.shows.empty());
  EXPECT_EQ(runner.Run(static_cast<ListDialogMode>(231)), kListDialogFailed);

  OpenFile("a.txt", "a");
  EXPECT_EQ(runner.Run(ListDialogMode::CloseAll), kListDialogCancelled);  // the user closed it
  ASSERT_EQ(listView.shows.size(), 1u);
  EXPECT_EQ(listView.shows[0].caption, "まとめて閉じる");
  EXPECT_EQ(listView.shows[0].status0, "1/1ﾌｧｲﾙ");
  EXPECT_EQ(listView.shows[0].status1, "処理対象 : 選択した 1個のﾌｧｲﾙ");
  EXPECT_EQ(window->Docs().PageCount(), 1u);
}

}  // namespace
}  // namespace norra::testing
