// The actions of quote all, recent files, jump and sort the page list: what each main button
// does, with every message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "FileListDialogHarness.h"
#include "documents/UndoLog.h"
#include "text/PathUtil.h"

namespace norra::testing {
namespace {

using C = FileListControl;

class ListModeActionsTest : public ListDialogTest {
 protected:
  std::vector<std::string> Names(const FileListDialog& dialog) {
    std::vector<std::string> names;
    for (const FileListRow& row : dialog.Rows()) names.push_back(row.columns[FileListRow::kName]);
    return names;
  }
  FileListMemory memory;
  FileListDialogContext Remembering() {
    FileListDialogContext context = Context();
    context.memory = &memory;
    return context;
  }
};

TEST_F(ListModeActionsTest, QuoteAllInsertsEachChoiceWithItsLineBreaksAsOneUndoStep) {
  Launch();
  Page& a = OpenFile("a.txt", "alpha");
  Page& b = OpenFile("b.txt", "beta");
  Page& target = OpenFile("t.txt", "xy");
  const std::string pathA = a.FilePath();
  const std::string pathB = b.FilePath();

  struct Case {
    QuoteRange range;
    const char* lineBreaks;
    const char* selectionA;  // marked text of the two sources
    const char* selectionB;
    int maxLength;
    std::string inserted;  // empty: refused with the message
    const char* message;
    unsigned flags = 0;
  };
  const std::vector<Case> cases = {
      {QuoteRange::Text, "1", "alpha|", "beta|", 100, "beta\r\nalpha\r\n", nullptr},
      {QuoteRange::Text, "2", "alpha|", "beta|", 100, "beta\r\n\r\nalpha\r\n\r\n", nullptr},
      {QuoteRange::Text, "0", "alpha|", "beta|", 100, "betaalpha", nullptr},
      {QuoteRange::Text, "", "alpha|", "beta|", 100, "beta\r\nalpha\r\n", nullptr},
      {QuoteRange::Text, "1", "|", "|", 100, "", "引用文が 0文字 です", MB_ICONINFORMATION},
      {QuoteRange::SelText, "1", "al[p]ha", "b[et]a", 100, "et\r\np\r\n", nullptr},
      {QuoteRange::SelText, "1", "al|pha", "b|eta", 100, "", "引用文が 0文字 です",
       MB_ICONINFORMATION},
      {QuoteRange::PathName, "0", "|", "|", 1000, pathB + pathA, nullptr},
      {QuoteRange::Text, "1", "alpha|", "beta|", 12, "", "引用文のｻｲｽﾞが大きすぎます",
       MB_ICONWARNING},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lineBreaks) + " " + c.selectionA + " " + c.selectionB);
    window->Prefs().File.MaxLength = c.maxLength;
    SetMarked(a, c.selectionA);
    SetMarked(b, c.selectionB);
    SetMarked(target, "[x]y");
    ui.ClearBoxes();
    const std::size_t records = window->Log().RecordCount();

    FileListDialog dialog(Context(), ListDialogMode::QuoteAll);
    ASSERT_EQ(Names(dialog), (std::vector<std::string>{"b.txt", "a.txt"}));
    EXPECT_EQ(dialog.Control(C::txtCRLFCount).caption, "1");
    dialog.SelectRow(0, true);
    dialog.SelectRow(1, true);
    dialog.SetQuoteChoice(c.range);
    dialog.SetBoxText(C::txtCRLFCount, c.lineBreaks);
    dialog.Click(C::cmdDo);

    if (c.message != nullptr) {
      ASSERT_EQ(ui.Boxes().size(), 1u);
      EXPECT_EQ(ui.LastBox().text, c.message);
      EXPECT_EQ(ui.LastBox().caption, "Norra");
      EXPECT_EQ(ui.LastBox().flags, MB_OK | c.flags);
      EXPECT_FALSE(dialog.Closed());
      EXPECT_EQ(TextOf(target), "xy");
      EXPECT_FALSE(target.Modified());
      continue;
    }
    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_TRUE(dialog.Closed());
    EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
    EXPECT_EQ(Show(target), c.inserted + "|y");
    EXPECT_TRUE(target.Modified());
    EXPECT_EQ(window->Log().RecordCount(), records + 1);
    EXPECT_NE(window->Log().DescribeUndo().caption.find("まとめて引用"), std::string::npos);
    window->Execute(UiItem::mnuUndo);
    EXPECT_EQ(TextOf(target), "xy");
  }
}

TEST_F(ListModeActionsTest, RecentFilesOpensTheChosenFilesAndReportsOneGoneSince) {
  Launch();
  const std::string one = MakeFile("one.txt", "1");
  const std::string two = MakeFile("two.txt", "2");
  const std::string three = MakeFile("three.txt", "3");
  window->Prefs().File.RecentFiles = {one, two, three};
  FileListDialog dialog(Context(), ListDialogMode::RecentFiles);
  ASSERT_EQ(Names(dialog), (std::vector<std::string>{"three.txt", "two.txt", "one.txt"}));
  EXPECT_FALSE(dialog.Control(C::cmdDo).enabled);
  dialog.SelectRow(0, true);
  dialog.SelectRow(2, true);
  std::filesystem::remove(one);  // gone after the list was made
  dialog.Click(C::cmdDo);

  EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
  EXPECT_EQ(PagePaths(), (std::vector<std::string>{three}));
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_NE(ui.LastBox().text.find("ﾌｧｲﾙが存在しません"), std::string::npos);
  const auto& recent = window->Prefs().File.RecentFiles;
  EXPECT_EQ(std::count(recent.begin(), recent.end(), one), 0);
  EXPECT_EQ(recent.back(), three);

  // From the menu: no recent file at all is a message of the main window, and no dialog.
  window->Prefs().File.RecentFiles.clear();
  ui.ClearBoxes();
  window->Execute(UiItem::mnuRecentFiles);
  EXPECT_TRUE(listView.shows.empty());
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "｢最近使ったﾌｧｲﾙ｣の記録数は 0件 です");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(ListModeActionsTest, JumpPutsTheCaretAtTheLineAndRemembersIt) {
  Launch();
  Page& other = OpenFile("other.txt", "o1\r\no2");
  Page& page = OpenFile("page.txt", "l1\r\nl2\r\nl3");
  struct Case {
    const char* row;
    std::size_t caret;
  };
  for (const Case& c : std::vector<Case>{{"0", 0}, {"1", 0}, {"2", 4}, {"3", 8}}) {
    SCOPED_TRACE(c.row);
    FileListDialog dialog(Context(), ListDialogMode::Jump);
    ASSERT_EQ(dialog.SelectedRows(), (std::vector<std::size_t>{0}));
    dialog.SetBoxText(C::txtRow, c.row);
    dialog.Click(C::cmdDo);
    EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
    EXPECT_EQ(page.Control().SelStart(), c.caret);
    EXPECT_EQ(page.Control().SelLength(), 0u);
  }
  EXPECT_TRUE(ui.Boxes().empty());

  // An empty box is refused and the dialog stays.
  FileListDialog empty(Context(), ListDialogMode::Jump);
  empty.SetBoxText(C::txtRow, "");
  empty.Click(C::cmdDo);
  EXPECT_FALSE(empty.Closed());
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "行番号には数値を入力して下さい");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONWARNING);

  // Another Page becomes active; the next jump dialog starts from that Page and line.
  runner.Bind(Remembering());
  FileListDialog first(Remembering(), ListDialogMode::Jump);
  EXPECT_EQ(first.Control(C::txtRow).caption, "1");
  first.SelectRow(1, true);
  first.SetBoxText(C::txtRow, "2");
  first.Click(C::cmdDo);
  EXPECT_EQ(Active(), &other);
  EXPECT_EQ(other.Control().SelStart(), 4u);
  FileListDialog again(Remembering(), ListDialogMode::Jump);
  EXPECT_EQ(again.Rows()[again.SelectedRows().at(0)].page, &other);
  EXPECT_EQ(again.FocusedRow(), again.SelectedRows().at(0));
  EXPECT_EQ(again.Control(C::txtRow).caption, "2");
  // The line is remembered as given, at least 1.
  again.SetBoxText(C::txtRow, "0");
  again.Click(C::cmdDo);
  EXPECT_EQ(memory.jumpLine, 1u);
  // A remembered Page that has gone leaves the first row chosen.
  ASSERT_EQ(memory.jumpPage, &other);
  window->Docs().DestroyPage(other);
  EXPECT_EQ(memory.jumpPage, nullptr);  // a new Page may be made at its address
  FileListDialog gone(Remembering(), ListDialogMode::Jump);
  EXPECT_EQ(gone.SelectedRows(), (std::vector<std::size_t>{0}));
}

TEST_F(ListModeActionsTest, AJumpPastTheLastLineSaysSoAndTheDialogStays) {
  Launch();
  Page& page = OpenFile("page.txt", "l1\r\nl2\r\nl3");
  page.Control().SetSelection(2, 0);
  for (const char* row : {"4", "999999999999999999999999999"}) {
    SCOPED_TRACE(row);
    FileListDialog past(Context(), ListDialogMode::Jump);
    past.SetBoxText(C::txtRow, row);
    past.Click(C::cmdDo);
    EXPECT_FALSE(past.Closed());
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.LastBox().text, "行番号は 1 ～ 3 の範囲で入力して下さい");
    EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(page.Control().SelStart(), 2u);
    ui.ClearBoxes();
  }
  // The number is typed again over the box's text: Ctrl+A there selects it, not the rows.
  EXPECT_TRUE(FileListDialog::NumberBoxOwnsKey('A', kCtrlKey));
  EXPECT_FALSE(FileListDialog::NumberBoxOwnsKey('A', kCtrlKey | kAltKey));
  EXPECT_FALSE(FileListDialog::NumberBoxOwnsKey('A', 0));
}

TEST_F(ListModeActionsTest, SortPageListTakesTheRowOrderOfEachColumnAndDirection) {
  Launch();
  Page* pc = &OpenFile("z/c.md", "c");
  Page* pb = &OpenFile("x/b.TXT", "b");
  Page* pa = &OpenFile("y/a.txt", "a");
  Edit(*pa, "changed");
  struct Case {
    std::vector<C> clicks;
    std::vector<std::string> order;
  };
  const std::vector<Case> cases = {
      {{C::cmdFile}, {"a.txt", "b.TXT", "c.md"}},
      {{C::cmdFile, C::cmdFile}, {"c.md", "b.TXT", "a.txt"}},
      {{C::cmdDirectory}, {"b.TXT", "a.txt", "c.md"}},
      {{C::cmdDirectory, C::cmdDirectory}, {"c.md", "a.txt", "b.TXT"}},
      {{C::cmdExp}, {"c.md", "a.txt", "b.TXT"}},
      {{C::cmdExp, C::cmdExp}, {"a.txt", "b.TXT", "c.md"}},
      {{C::cmdModified}, {"b.TXT", "c.md", "a.txt"}},
      {{C::cmdModified, C::cmdModified}, {"a.txt", "b.TXT", "c.md"}},
      {{C::cmdID}, {"a.txt", "b.TXT", "c.md"}},
      {{C::cmdID, C::cmdID}, {"c.md", "b.TXT", "a.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order.front() + " first, " + std::to_string(c.clicks.size()) + " clicks");
    // The rows start in window order each time: a, b, c.
    for (Page* page : {pc, pb, pa}) window->Docs().ActivatePage(page);
    window->Docs().List().Reorder(window->Docs().WindowOrder());
    FileListDialog dialog(Context(), ListDialogMode::SortList);
    for (C click : c.clicks) dialog.Click(click);
    ASSERT_EQ(Names(dialog), c.order);
    dialog.SelectRow(1, true);
    Page* chosen = dialog.Rows()[1].page;
    dialog.Click(C::cmdDo);
    EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
    std::vector<std::string> listed;
    for (const std::string& path : PagePaths()) listed.push_back(FileNamePart(path));
    EXPECT_EQ(listed, c.order);
    EXPECT_EQ(Active(), chosen);
    EXPECT_EQ(window->Docs().List().SelectedPage(), chosen);
    EXPECT_EQ(view.pageList.size(), 3u);
    EXPECT_EQ(FileNamePart(view.pageList.at(view.pageListSelected)),
              FileNamePart(chosen->FilePath()));
  }
}

}  // namespace
}  // namespace norra::testing
