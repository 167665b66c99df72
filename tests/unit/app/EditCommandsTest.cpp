// The edit and display commands as the menus run them: undo across Pages, the clipboard,
// insertions, select all, word wrap, the bookmark and clearing the history.
#include "AppHarness.h"

namespace norra::testing {
namespace {

class EditCommandsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteCurrentSettings();
    Start();
  }
  void Do(UiItem item) { window->Execute(item); }
};

TEST_F(EditCommandsTest, UndoTakesBackTheNewestChangeAndBringsItsPageForward) {
  Page& first = *Active();
  Keys("abc");
  Page& second = NewPage();
  Keys("x");
  window->Docs().ActivatePage(&first);
  ASSERT_EQ(view.title, "無題1");

  Do(UiItem::mnuUndo);  // the newest change is the second Page's
  EXPECT_EQ(Active(), &second);
  EXPECT_EQ(view.title, "無題2");
  EXPECT_EQ(Show(second), "|");
  EXPECT_EQ(view.status[1], "1/2ﾌｧｲﾙ");

  Do(UiItem::mnuUndo);
  EXPECT_EQ(Active(), &first);
  EXPECT_EQ(view.title, "無題1");
  EXPECT_EQ(Show(first), "|");
  EXPECT_EQ(view.status[1], "2/2ﾌｧｲﾙ");

  Do(UiItem::mnuUndo);  // nothing left
  EXPECT_EQ(Active(), &first);
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(EditCommandsTest, RedoMakesTheChangeAgainBringsItsPageForwardAndNamesIt) {
  Page& first = *Active();
  Keys("abc");
  Page& second = NewPage();
  Keys("x");
  window->MenuOpening(MenuKind::Edit);
  EXPECT_EQ(view.Caption(UiItem::mnuRedo), "やり直し");
  EXPECT_FALSE(view.Enabled(UiItem::mnuRedo));
  Do(UiItem::mnuRedo);  // nothing to redo
  EXPECT_EQ(Show(second), "x|");

  Do(UiItem::mnuUndo);
  Do(UiItem::mnuUndo);
  ASSERT_EQ(Active(), &first);
  window->MenuOpening(MenuKind::Edit);
  EXPECT_TRUE(view.Enabled(UiItem::mnuRedo));
  EXPECT_EQ(view.Caption(UiItem::mnuRedo), "やり直し 挿入");

  Do(UiItem::mnuRedo);
  EXPECT_EQ(Show(first), "abc|");
  window->MenuOpening(MenuKind::Edit);
  EXPECT_EQ(view.Caption(UiItem::mnuRedo), "やり直し 挿入 - [無題2]");
  Do(UiItem::mnuRedo);
  EXPECT_EQ(Active(), &second);
  EXPECT_EQ(view.title, "無題2");
  EXPECT_EQ(Show(second), "x|");
  window->MenuOpening(MenuKind::Edit);
  EXPECT_FALSE(view.Enabled(UiItem::mnuRedo));

  // A new edit leaves nothing to redo.
  Do(UiItem::mnuUndo);
  window->MenuOpening(MenuKind::Edit);
  EXPECT_TRUE(view.Enabled(UiItem::mnuRedo));
  Keys("y");
  window->MenuOpening(MenuKind::Edit);
  EXPECT_FALSE(view.Enabled(UiItem::mnuRedo));
  EXPECT_EQ(InfoOf(UiItem::mnuRedo).shortcut, "Ctrl+Y");
}

TEST_F(EditCommandsTest, CutCopyAndPasteUseTheClipboardAndUndoAsOneStep) {
  SetMarked("a[bc]d");
  Do(UiItem::CopyItem);
  EXPECT_EQ(clipboard.GetText(), "bc");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_FALSE(Active()->Modified());

  Do(UiItem::CutItem);
  EXPECT_EQ(Show(), "a|d");
  EXPECT_TRUE(Active()->Modified());
  EXPECT_EQ(view.status[2], "2ﾊﾞｲﾄ");
  EXPECT_EQ(window->Log().DescribeUndo().caption, "戻す(&U) 切り取り");
  Do(UiItem::mnuUndo);
  EXPECT_EQ(Show(), "a{bc}d");

  clipboard.SetText(Utf8ToCp932("XあY"));
  SetMarked("a[b]c");
  Do(UiItem::popPaste);
  EXPECT_EQ(Show(), "aXあY|c");
  EXPECT_EQ(window->Log().DescribeUndo().caption, "戻す(&U) 貼り付け");
  Do(UiItem::mnuUndo);
  EXPECT_EQ(Show(), "a{b}c");

  // Nothing to cut, copy or paste: nothing happens.
  const std::size_t sets = clipboard.SetCount();
  SetMarked("ab|c");
  Do(UiItem::CutItem);
  Do(UiItem::CopyItem);
  clipboard.Clear();
  Do(UiItem::PasteItem);
  clipboard.SetText("");
  Do(UiItem::PasteItem);
  EXPECT_EQ(Show(), "ab|c");
  EXPECT_EQ(clipboard.SetCount(), sets + 1);
}

TEST_F(EditCommandsTest, ACutTheClipboardRefusesKeepsTheText) {
  SetMarked("a[bc]d");
  clipboard.refuse = true;
  Do(UiItem::CutItem);
  EXPECT_EQ(Show(), "a[bc]d");
  EXPECT_EQ(ui.LastBox().text, "切り取り処理中にｴﾗｰ発生");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
}

TEST_F(EditCommandsTest, APasteBeyondTheLengthLimitChangesNothing) {
  SetMarked("ab|");
  Memory(*Active()).SetMaxLength(4);
  clipboard.SetText("xyz");
  Do(UiItem::PasteItem);
  EXPECT_EQ(Show(), "ab|");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_FALSE(Active()->Modified());
}

TEST_F(EditCommandsTest, PastingCharactersCp932LacksIsRefusedNamingThem) {
  SetMarked("ab|");
  clipboard.SetForeignText("絵文字😀と한글と𠮷野家");
  Do(UiItem::PasteItem);
  EXPECT_EQ(Show(), "ab|");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_FALSE(Active()->Modified());
  EXPECT_EQ(ui.LastBox().text,
            "次の文字は Shift-JIS で保存できないため、入力できません。\n😀 한 글 𠮷");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONWARNING);
  // Text it can hold pastes as before.
  clipboard.SetForeignText("絵文字");
  Do(UiItem::PasteItem);
  EXPECT_EQ(Cp932ToUtf8(Memory(*Active()).Buffer()), "ab絵文字");
}

TEST_F(EditCommandsTest, InsertionsGoInAsOneEditAndLeaveTheClipboardAlone) {
  clipboard.SetText("keep");
  const std::size_t sets = clipboard.SetCount();
  SetMarked("<[x]>");
  Do(UiItem::mnuInsertDateTime);
  EXPECT_EQ(Show(), "<2001/03/02 09:05:03|>");
  EXPECT_EQ(window->Log().DescribeUndo().caption, "戻す(&U) 日付と時刻");
  EXPECT_EQ(Memory(*Active()).EditCount(), 1u);

  Do(UiItem::mnuInsertFileName);
  EXPECT_EQ(Show(), "<2001/03/02 09:05:03無題1|>");
  EXPECT_EQ(window->Log().DescribeUndo().caption, "戻す(&U) ﾌｧｲﾙ名挿入");
  Do(UiItem::mnuUndo);
  Do(UiItem::mnuUndo);
  EXPECT_EQ(Show(), "<{x}>");

  Keys("<Enter><Tab>");
  EXPECT_EQ(clipboard.GetText(), "keep");
  EXPECT_EQ(clipboard.SetCount(), sets);

  // A file's path goes in as CP932.
  const std::string path = MakeFile("メモ.txt", "");
  window->FilesDropped({path});
  Do(UiItem::mnuInsertFileName);
  EXPECT_EQ(Show(), path + "|");
}

TEST_F(EditCommandsTest, SelectAllAndWordWrapLeaveTheTextAsItIs) {
  SetMarked("ab|c");
  Do(UiItem::mnuSelectAll);
  EXPECT_EQ(Show(), "[abc]");
  EXPECT_EQ(view.status[2], "選択3");

  SetMarked("a{bc}d");
  Do(UiItem::mnuWordWrap);
  EXPECT_TRUE(Active()->Control().WordWrap());
  EXPECT_FALSE(Active()->Modified());
  EXPECT_EQ(Show(), "a{bc}d");
  EXPECT_EQ(window->Log().RecordCount(), 0u);

  Keys("x");
  Do(UiItem::mnuWordWrap);
  EXPECT_FALSE(Active()->Control().WordWrap());
  EXPECT_TRUE(Active()->Modified());

  // New Pages start with the Vision setting.
  window->Prefs().Vision.WordWrap = true;
  NewPage();
  EXPECT_TRUE(Active()->Control().WordWrap());
}

TEST_F(EditCommandsTest, BookmarkReturnsToItsSelectionAdjustedToTheTextNow) {
  SetMarked("ab\r\nc[de]f");
  Do(UiItem::mnuBookmark);
  EXPECT_EQ(window->Edits().CurrentBookmark().line, 2u);
  Memory(*Active()).SetSelection(0, 0);
  Do(UiItem::mnuJumpToBookmark);
  EXPECT_EQ(Show(), "ab\r\nc[de]f");
  EXPECT_EQ(Memory(*Active()).ScrollCount(), 1u);
  EXPECT_EQ(view.status[2], "選択2");

  // The text got shorter than the bookmark's start: the caret goes to the text end.
  SetMarked("|a");
  Do(UiItem::mnuJumpToBookmark);
  EXPECT_EQ(Show(), "a|");
  EXPECT_EQ(window->Edits().CurrentBookmark().start, 1u);
  EXPECT_EQ(window->Edits().CurrentBookmark().line, 1u);

  // A selection running past the end is cut at it.
  SetMarked("abc|");
  Memory(*Active()).SetSelection(1, 2);
  Do(UiItem::mnuBookmark);
  SetMarked("ab|");
  Do(UiItem::mnuJumpToBookmark);
  EXPECT_EQ(Show(), "a[b]");
}

TEST_F(EditCommandsTest, BookmarkNeverSplitsACharacterOrALineBreak) {
  struct Case {
    const char* text;
    std::size_t start, length;
    const char* after;
  };
  const Case cases[] = {
      {"あい", 1, 2, "|あい"},        // starts on a second byte: one back, nothing selected
      {"aあ", 0, 2, "|aあ"},          // ends on a second byte: nothing selected
      {"ab\r\ncd", 3, 1, "ab|\r\ncd"},  // starts on the LF
      {"ab\r\ncd", 1, 2, "a|b\r\ncd"},  // ends on the LF
      {"＝＝", 2, 2, "＝[＝]"},       // a character start, though the byte before looks like a lead byte
      {"＝＝", 3, 1, "＝|＝"},
  };
  for (const Case& c : cases) {
    SetMarked("|");
    Memory(*Active()).SetText(Utf8ToCp932(c.text));
    Memory(*Active()).SetSelection(c.start, c.length);
    Do(UiItem::mnuBookmark);
    Memory(*Active()).SetSelection(0, 0);
    Do(UiItem::mnuJumpToBookmark);
    EXPECT_EQ(Show(), c.after) << c.text << " " << c.start << "+" << c.length;
  }
}

TEST_F(EditCommandsTest, BookmarkInAnotherPageActivatesItAndGoesWithIt) {
  Page& marked = *Active();
  SetMarked("abc|");
  Do(UiItem::mnuBookmark);
  NewPage("x|");
  view.calls.clear();
  Do(UiItem::mnuJumpToBookmark);
  EXPECT_EQ(Active(), &marked);
  EXPECT_EQ(view.calls.front(), "paint off");
  EXPECT_EQ(view.calls.back(), "paint on +bars");

  window->MenuOpening(MenuKind::Display);
  EXPECT_EQ(view.Caption(UiItem::mnuJumpToBookmark), "ﾌﾞｯｸﾏｰｸ(&J) - [無題1] 1行");
  ui.QueueAnswer(IDNO);
  Keys("y");
  Do(UiItem::mnuCloseFile);
  ASSERT_NE(Active(), nullptr);
  window->MenuOpening(MenuKind::Display);
  EXPECT_EQ(view.Caption(UiItem::mnuJumpToBookmark), "ﾌﾞｯｸﾏｰｸ無し");
  EXPECT_FALSE(view.Enabled(UiItem::mnuJumpToBookmark));
  const std::string before = Show();
  Do(UiItem::mnuJumpToBookmark);
  EXPECT_EQ(Show(), before);
  EXPECT_EQ(window->Edits().CurrentBookmark().page, nullptr);
}

TEST_F(EditCommandsTest, ClearingTheHistoryAsksFirst) {
  Keys("abc");
  ui.QueueAnswer(IDCANCEL);
  Do(UiItem::mnuClearUndoLog);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "[元に戻す]ための記録(ﾒﾓﾘ)をｸﾘｱします。\nよろしいですか?");
  EXPECT_EQ(ui.LastBox().flags, MB_OKCANCEL | MB_ICONWARNING);
  EXPECT_EQ(window->Log().RecordCount(), 1u);
  ui.QueueAnswer(IDOK);
  Do(UiItem::mnuClearUndoLog);
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_EQ(Show(), "abc|");
}

TEST_F(EditCommandsTest, ACommandThatThrowsIsReportedByItsName) {
  // A control that gives up mid-edit: the failure is reported, never passed on.
  class ThrowingControl : public MemoryTextControl {
   public:
    bool ReplaceSelection(std::string_view) override { throw std::runtime_error("control failed"); }
  };
  class ThrowingView : public FakeView {
   public:
    std::unique_ptr<TextControl> CreateTextControl() override { return std::make_unique<ThrowingControl>(); }
  };
  ThrowingView throwing;
  MainWindow other(MainWindowPorts{throwing, ui, clipboard, clock, dialogs, find, options, help, nullptr},
                   Options({}));
  ASSERT_TRUE(other.Create());
  other.Show();
  ui.ClearBoxes();
  other.Execute(UiItem::mnuInsertDateTime);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "日付と時刻処理中にｴﾗｰ発生");
  // Capture is back on: typing is recorded again.
  EXPECT_FALSE(other.Log().CaptureSuspended());
}

TEST_F(EditCommandsTest, ACommandWhoseEditThrowsLeavesCaptureOnAndTheHistoryCleared) {
  SetMarked("ab|");
  Keys("c");
  clipboard.SetText("P");
  Memory(*Active()).SetThrowOnEdit(true);
  Do(UiItem::PasteItem);
  Memory(*Active()).SetThrowOnEdit(false);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes().back().text, "貼り付け処理中にｴﾗｰ発生");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_FALSE(window->Log().CaptureSuspended());
  Keys("d");
  Do(UiItem::mnuUndo);
  EXPECT_EQ(Show(), "abc|");
}

}  // namespace
}  // namespace norra::testing
