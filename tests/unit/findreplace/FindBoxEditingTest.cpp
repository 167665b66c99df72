// The find window's boxes as editing controls: their own undo, the tag insertion's caret and
// focus, the selection they show while the tag panel is open, leaving a history list, and
// characters CP932 cannot hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FindWindowHarness.h"
#include "findreplace/HistoryDropDown.h"

namespace norra::testing {
namespace {

const FindBox kFind = FindBox::Find;

TEST_F(FindWindowTest, CtrlZInFindBoxUndoesOnlyTheBox) {
  OpenPages({"|ab ab"});
  window->Open(kReplaceMode);
  SetFind("ab");
  SetReplace("Q");
  window->ReplaceAll();
  TakeBoxes();
  ASSERT_EQ(Memory(*PageAt(0)).Buffer(), "Q Q");
  const std::size_t records = log->RecordCount();
  // Replace all left the find text selected; a stray key replaces it, Ctrl+Z brings it back.
  findBox.TypeText("cd");
  EXPECT_TRUE(window->KeyDown('Z', kCtrlKey, &kFind));
  EXPECT_EQ(findBox.Buffer(), "ab");
  EXPECT_EQ(Memory(*PageAt(0)).Buffer(), "Q Q");
  EXPECT_EQ(log->RecordCount(), records);
  EXPECT_TRUE(window->KeyDown('Y', kCtrlKey, &kFind));
  EXPECT_EQ(findBox.Buffer(), "cd");
  EXPECT_EQ(Memory(*PageAt(0)).Buffer(), "Q Q");
}

TEST_F(FindWindowTest, BoxUndoStepsAreTypingRunsAndEdits) {
  window->Open(kFindMode);
  const auto undo = [&] { window->Undo(kFind); };
  const auto redo = [&] { window->Redo(kFind); };
  findBox.TypeText("abc");       // one typing run
  findBox.PressKey(kKeyLeft);    // a caret move ends it
  findBox.TypeText("X");
  EXPECT_EQ(findBox.Buffer(), "abXc");
  undo();
  EXPECT_EQ(findBox.Buffer(), "abc");
  EXPECT_EQ(findBox.SelStart(), 2u);  // the caret where it was before the step
  undo();
  EXPECT_EQ(findBox.Buffer(), "");
  undo();  // nothing more
  EXPECT_EQ(findBox.Buffer(), "");
  redo();
  redo();
  EXPECT_EQ(findBox.Buffer(), "abXc");
  undo();
  findBox.TypeText("Y");  // a new edit forgets what could be redone
  redo();
  EXPECT_EQ(findBox.Buffer(), "abYc");
  // A paste and a tag insertion are one step each.
  clipboard.SetText("zz");
  window->Paste(kFind);
  window->InsFindTags();
  window->TagRowChosen(1);  // STR
  EXPECT_EQ(findBox.Buffer(), "abYzz[*]c");
  undo();
  EXPECT_EQ(findBox.Buffer(), "abYzzc");
  undo();
  EXPECT_EQ(findBox.Buffer(), "abYc");
}

TEST_F(FindWindowTest, InsertingATagLeavesTheCaretOfTheInsertionAndTheFocusAsIs) {
  OpenPages({"|ab"});
  window->Open(kFindMode);
  findBox.TypeText(Utf8ToCp932("代金は"));
  window->InsFindTags();
  // The target box shows where the tag goes while the list has the focus; the other does not.
  EXPECT_FALSE(findBox.HideSelection());
  EXPECT_TRUE(replaceBox.HideSelection());
  int repeat = -1;
  for (std::size_t row = 0; row < view.tagRows.size(); ++row)
    if (view.tagRows[row] == "repeat") repeat = static_cast<int>(row);
  ASSERT_GE(repeat, 0);
  view.focusCalls.clear();
  window->TagRowChosen(repeat);  // no control has the focus once the list is gone
  EXPECT_EQ(view.focusCalls, std::vector<std::string>{"txtFind as is"});
  EXPECT_EQ(findBox.SelStart(), Utf8ToCp932("代金は[repeat ").size());
  EXPECT_EQ(findBox.SelLength(), 1u);
  findBox.TypeText("3");
  EXPECT_EQ(Cp932ToUtf8(findBox.Buffer()), "代金は[repeat 3][/repeat]");
  EXPECT_TRUE(findBox.HideSelection());
  EXPECT_TRUE(replaceBox.HideSelection());

  // The replace tags: the other way round; leaving the list for a control keeps it there.
  window->InsReplaceTags();
  EXPECT_TRUE(findBox.HideSelection());
  EXPECT_FALSE(replaceBox.HideSelection());
  view.focusCalls.clear();
  view.controlFocused = true;
  window->CloseTagPanel();
  EXPECT_TRUE(view.focusCalls.empty());
  EXPECT_TRUE(replaceBox.HideSelection());
}

TEST_F(FindWindowTest, LeavingAnOpenHistoryListOnlyHidesIt) {
  HistoryDropDown drop;
  EXPECT_EQ(drop.FocusLost(false), HistoryListAction::Hide);
  EXPECT_EQ(drop.FocusLost(true), HistoryListAction::None);  // its button closes it

  OpenPages({"|ab cd"});
  window->Open(kFindMode);
  SetFind("ab");
  window->FindNext();
  SetFind("cd");
  findBox.SetSelection(1, 0);
  EXPECT_TRUE(window->KeyDown(kKeyF11, 0, nullptr));
  ASSERT_TRUE(view.HistoryListShown(kFind));
  view.focusCalls.clear();
  window->HideHistoryList(kFind);
  EXPECT_FALSE(view.HistoryListShown(kFind));
  EXPECT_TRUE(view.focusCalls.empty());
  EXPECT_EQ(findBox.SelStart(), 1u);
  EXPECT_EQ(findBox.SelLength(), 0u);
}

TEST_F(FindWindowTest, CharactersCp932LacksAreRefusedInTheBoxesNamingThem) {
  window->Open(kFindMode);
  SetFind("ab");
  clipboard.SetForeignText("絵文字😀と한글と𠮷野家");
  window->Paste(kFind);
  EXPECT_EQ(findBox.Buffer(), "ab");
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{
                             "Norra: 次の文字は Shift-JIS で保存できないため、入力できません。\n"
                             "😀 한 글 𠮷"});
  // The control refuses typed ones itself and reports them; the window names them.
  findBox.Events()->TextRefused("😀");
  EXPECT_EQ(TakeBoxes().size(), 1u);
  EXPECT_EQ(findBox.Buffer(), "ab");
}

}  // namespace
}  // namespace norra::testing
