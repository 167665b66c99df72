// The keys the program handles itself in a Page, one case a line: text and selection before,
// keys, text and selection after (and after one undo step).
#include "AppHarness.h"
#include "documents/TextKeys.h"

namespace norra::testing {
namespace {

struct KeyCase {
  bool tabs;  // UseTabCode: TAB indents, else spaces (TabStop 4)
  const char* before;
  const char* keys;
  const char* after;
};

class PageKeysTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteCurrentSettings();
    Start();
  }
  void Run(const std::vector<KeyCase>& cases) {
    for (const KeyCase& c : cases) {
      window->Log().SetIndent(c.tabs, 4);
      SetMarked(c.before);
      Keys(c.keys);
      EXPECT_EQ(Show(), c.after) << "\"" << c.before << "\" " << c.keys;
    }
  }
};

TEST_F(PageKeysTest, HomeGoesToTheIndentFirstAndThenToTheLineStart) {
  Run({
      {false, "    abc|", "<Home>", "    |abc"},
      {false, "    abc|", "<Home><Home>", "|    abc"},
      {false, "    abc|", "<Home><Home><Home>", "    |abc"},
      {false, "  |  abc", "<Home>", "|    abc"},  // inside the indent
      {false, "abc|", "<Home>", "|abc"},
      {false, "x\r\n    ab|c\r\ny", "<Home>", "x\r\n    |abc\r\ny"},
      {false, "[    ab]c", "<Home>", "    |abc"},  // from the selection start, nothing selected
      {false, "\t\tab|c", "<Home>", "|\t\tabc"},    // spaces are the indent, tabs are not
      {true, "\t\tab|c", "<Home>", "\t\t|abc"},
      {true, "  ab|", "<Home>", "|  ab"},
      {false, "ab\r\ncd|", "<C-Home>", "|ab\r\ncd"},
      {false, "    abc|", "<Shift><S-Home>", "    {abc}"},
      {false, "    abc|", "<Shift><S-Home><S-Home>", "{    abc}"},
      {false, "x\r\n  a|b", "<Shift><S-Up><S-Home>", "{x\r\n  a}b"},
      {false, "  a|b\r\n  cd", "<Shift><S-Down><S-Home>", "  a[b\r\n  ]cd"},
      {false, "ab\r\ncd|", "<Shift><CS-Home>", "{ab\r\ncd}"},
  });
}

TEST_F(PageKeysTest, EndGoesBeforeTheLineBreak) {
  Run({
      {false, "ab|c\r\nd", "<End>", "abc|\r\nd"},
      {false, "ab\r\n|cd", "<End>", "ab\r\ncd|"},
      {false, "a[bc\r\nd]e", "<End>", "abc\r\nde|"},  // the line of the selection end
      {false, "ab|c\nd", "<End>", "abc|\nd"},         // a lone LF is one byte of break
      {false, "|ab\r\ncd", "<C-End>", "ab\r\ncd|"},
      {false, "a|bc\r\nd", "<Shift><S-End>", "a[bc]\r\nd"},
      {false, "a|bc\r\nd", "<Shift><S-End><S-End>", "a[bc]\r\nd"},
      {false, "ab\r\nc|d", "<Shift><S-Up><S-End>", "ab{\r\nc}d"},
      {false, "|ab\r\ncd", "<Shift><CS-End>", "[ab\r\ncd]"},
      {false, "あい|う\r\nx", "<End>", "あいう|\r\nx"},
  });
}

TEST_F(PageKeysTest, EnterRepeatsTheIndentUpToTheCaret) {
  Run({
      {true, "\t\tab|", "<Enter>", "\t\tab\r\n\t\t|"},
      {true, "\t\t|ab", "<Enter>", "\t\t\r\n\t\t|ab"},
      {true, "\t|\tab", "<Enter>", "\t\r\n\t|\tab"},
      {true, "\t\tab|", "<S-Enter>", "\t\tab\r\n|"},
      {true, "  ab|", "<Enter>", "  ab\r\n|"},
      {false, "  x|", "<Enter>", "  x\r\n  |"},
      {false, "　 a|", "<Enter>", "　 a\r\n|"},  // a full-width space is no indent
      {false, "  a[bc]d", "<Enter>", "  a\r\n  |d"},
      {false, "  ab|", "<C-Enter>", "  ab\r\n|"},  // the control's own line break
  });
}

TEST_F(PageKeysTest, TabIndentsToTheNextStopAndShiftTabTakesItBack) {
  Run({
      {false, "a|", "<Tab>", "a   |"},
      {false, "abcd|", "<Tab>", "abcd    |"},
      {false, "|x", "<Tab>", "    |x"},
      {false, "あ|", "<Tab>", "あ  |"},  // columns are bytes
      {true, "a|", "<Tab>", "a\t|"},
      {false, "a[bc]d", "<Tab>", "a   |d"},
      {false, "|        x", "<S-Tab>", "|    x"},
      {false, "ab|  x", "<S-Tab>", "ab|x"},  // at most to the next stop
      {false, "    |x", "<S-Tab>", "|x"},
      {false, "      |x", "<S-Tab>", "    |x"},
      {false, "a  |x", "<S-Tab>", "a|x"},
      {false, "ab|c", "<S-Tab>", "ab|c"},
      {true, "\t\t|x", "<S-Tab>", "\t|x"},
      {true, "|\t\tx", "<S-Tab>", "|\tx"},
  });
}

TEST_F(PageKeysTest, EachEditingKeyIsOneUndoStep) {
  const std::vector<KeyCase> cases = {
      {true, "\t\tab|", "<Enter>", "\t\tab|"},
      {false, "  a[bc]d", "<Enter>", "  a{bc}d"},
      {false, "a[bc]d", "<Tab>", "a{bc}d"},
      {false, "a|", "<Tab><Tab>", "a   |"},
      {false, "|        x", "<S-Tab>", "|        x"},
      {false, "x[      ]y", "<S-Tab>", "x[      ]y"},
      {false, "      |x", "<S-Tab>", "      |x"},
      {false, "  ab|", "<C-Enter>", "  ab|"},
  };
  for (const KeyCase& c : cases) {
    window->Log().SetIndent(c.tabs, 4);
    window->Log().ClearUndoLog();
    SetMarked(c.before);
    Keys(c.keys);
    EXPECT_TRUE(Active()->Modified()) << c.before << c.keys;
    window->Execute(UiItem::mnuUndo);
    EXPECT_EQ(Show(), c.after) << "\"" << c.before << "\" " << c.keys << " then undo";
  }
  // The record of an indent reads as an insertion, its removal as a deletion.
  SetMarked("a|");
  Keys("<Tab>");
  EXPECT_EQ(window->Log().DescribeUndo().caption, "戻す(&U) 挿入");
  Keys("<S-Tab>");
  EXPECT_EQ(window->Log().DescribeUndo().caption, "戻す(&U) 削除");
  // Moving keys record nothing.
  window->Log().ClearUndoLog();
  SetMarked("  a|b");
  Keys("<Home><End><S-Home><C-Home>");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_FALSE(Active()->Modified());
}

TEST_F(PageKeysTest, KeysAtTheEdgesAreSwallowedAndOverwriteModeFollowsTheCaret) {
  Run({
      {false, "|ab", "<Left><Up><PgUp>", "|ab"},
      {false, "ab|", "<Right><Down><PgDn>", "ab|"},
      {false, "ab|cd", "<Ins>", "ab[c]d"},
      {false, "    ab|c", "<Home>", "    [a]bc"},  // still in overwrite mode
      {false, "a|bc\r\nx", "<End>", "abc|\r\nx"},   // the line break is never overwritten
      {false, "あ|い", "<Right>", "あい|"},
      {false, "a|bc", "z", "az[c]"},
      {false, "ab|c", "<Ins>", "ab|c"},  // back to insert mode
  });
}

TEST_F(PageKeysTest, DeleteBackspaceAndInsertWithModifiers) {
  // Text before, keys, text after, and after taking back every record.
  struct Case {
    const char* before;
    const char* keys;
    const char* after;
    const char* undone;
  };
  const Case cases[] = {
      {"a[bc]d", "<S-Del>", "a|d", "a{bc}d"},        // cut
      {"a|d", "<S-Ins>", "aXY|d", "a|d"},             // paste
      {"a[bc]d", "<C-Ins>", "a[bc]d", "a[bc]d"},      // copy
      {"ab|c", "<S-BS>", "a|c", "ab|c"},              // Backspace all the same
      {"abc def|", "<C-BS>", "abc |", "abc def|"},    // the word before the caret
      {"abc [de]f", "<C-BS>", "abc |f", "abc {de}f"},  // a selection goes instead
      {"a[bc]d", "<C-Del>", "a|d", "a[bc]d"},
      {"a{bc}d", "<CS-Del>", "a|d", "a[bc]d"},
      {"a|bc def", "<C-Del>", "a|def", "a|bc def"},
      {"ab|c", "<CS-BS><CS-Del><A-Del><CS-Ins><A-Ins>", "ab|c", "ab|c"},  // nothing at all
      {"ab|", "x<A-BS>", "ab|", "ab|"},               // undo
  };
  for (const Case& c : cases) {
    window->Log().ClearUndoLog();
    clipboard.SetText("XY");
    SetMarked(c.before);
    Keys(c.keys);
    EXPECT_EQ(Show(), c.after) << c.before << " " << c.keys;
    EXPECT_TRUE(window->Log().InsertMode()) << c.keys;
    while (window->Log().RecordCount() > 0) window->Execute(UiItem::mnuUndo);
    EXPECT_EQ(Show(), c.undone) << c.before << " " << c.keys << " then undo";
  }
  // The cut and the copy put CP932 on the clipboard; the paste takes its bytes as they are.
  SetMarked("|");
  Memory(*Active()).SetText("\x87\x90");
  Memory(*Active()).SetSelection(0, 2);
  Keys("<C-Ins>");
  EXPECT_EQ(clipboard.GetText(), "\x87\x90");
  SetMarked("x|");
  Keys("<S-Ins>");
  EXPECT_EQ(Memory(*Active()).Buffer(), "x\x87\x90");
}

TEST_F(PageKeysTest, UpAndDownStartAfreshWhereTheProgramMovedTheCaret) {
  Run({
      {false, "abcd|ef\r\nxy\r\nabcdef", "<Down><Home><Down>", "abcdef\r\nxy\r\n|abcdef"},
      {false, "ab|cdef\r\nxyz\r\nabcdef", "<Down><End><Down>", "abcdef\r\nxyz\r\nabc|def"},
      {false, "abcd|ef\r\nxy\r\nabcdef", "<Down><C-Home><Down>", "abcdef\r\n|xy\r\nabcdef"},
      {false, "abcd|ef\r\nxy\r\nabcdef", "<Down><Down>", "abcdef\r\nxy\r\nabcd|ef"},  // kept
  });
}

TEST_F(PageKeysTest, AKeyWhoseEditThrowsLeavesCaptureAndPaintingOn) {
  SetMarked("  ab|");
  Keys("x");
  Memory(*Active()).SetThrowOnEdit(true);
  Keys("<Enter>");
  Keys("<S-Tab>");
  Memory(*Active()).SetThrowOnEdit(false);
  EXPECT_EQ(window->Log().RecordCount(), 0u);
  EXPECT_FALSE(window->Log().CaptureSuspended());
  EXPECT_EQ(Memory(*Active()).PaintingSuspendDepth(), 0u);
  Keys("y<Enter>");
  EXPECT_EQ(Show(), "  abxy\r\n  |");
  window->Execute(UiItem::mnuUndo);
  window->Execute(UiItem::mnuUndo);
  EXPECT_EQ(Show(), "  abx|");
}

TEST_F(PageKeysTest, StatusBarFollowsTheKeys) {
  SetMarked("ab|");
  Keys("<Enter>");
  EXPECT_EQ(view.status[3], "2/2行");
  EXPECT_EQ(view.status[2], "4ﾊﾞｲﾄ");
  Keys("<Home>");
  EXPECT_EQ(view.status[4], "1/1列");
}

TEST_F(PageKeysTest, PlansApplyToAPlainEditBoxWithoutUndo) {
  MemoryTextControl box;
  box.SetText("\tfind");
  box.SetSelection(5, 0);
  ASSERT_TRUE(ApplyKeyPlan(box, PlanEnter(box, 0, '\t')));
  EXPECT_EQ(box.Buffer(), "\tfind\r\n\t");
  ASSERT_TRUE(ApplyKeyPlan(box, PlanHome(box, 0, 0, '\t')));
  EXPECT_EQ(box.SelStart(), 7u);
  ASSERT_TRUE(ApplyKeyPlan(box, PlanTab(box, kShiftKey, IndentStyle{'\t', 4})));
  EXPECT_EQ(box.Buffer(), "\tfind\r\n");
  // A Tab that would pass the length limit changes nothing.
  box.SetMaxLength(box.TextLength());
  EXPECT_FALSE(ApplyKeyPlan(box, PlanTab(box, 0, IndentStyle{' ', 4})));
  EXPECT_EQ(box.Buffer(), "\tfind\r\n");
  EXPECT_EQ(PlanEnd(box, 0, 0), KeyPlan{});  // already at the end
}

TEST_F(PageKeysTest, AKeyTheTextLimitRefusesLeavesTextAndHistoryAlone) {
  SetMarked("ab|");
  Memory(*Active()).SetMaxLength(3);
  window->Log().ClearUndoLog();
  Keys("<Enter><Tab>");
  EXPECT_EQ(Show(), "ab|");
  EXPECT_EQ(window->Log().RecordCount(), 0u);
}

}  // namespace
}  // namespace norra::testing
