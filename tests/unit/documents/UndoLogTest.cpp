// The undo log driven through a Page's in-memory control as a user and the commands would.
#include <gtest/gtest.h>

#include "documents/EditingKeys.h"
#include "documents/UndoLog.h"
#include "DocumentsHarness.h"

namespace norra::testing {
namespace {

// One line per case: text before, keys, text after.
struct KeyCase {
  const char* before;
  const char* keys;
  const char* after;
};

class UndoLogTest : public DocumentsTestBase {
 protected:
  // Each case on a fresh Page with an empty log.
  void RunCases(const std::vector<KeyCase>& cases) {
    for (const KeyCase& c : cases) {
      if (!log->InsertMode()) log->ToggleInsertMode();  // one mode for all Pages
      Page& page = NewPage(c.before);
      log->ClearUndoLog();
      Keys(page, c.keys);
      EXPECT_EQ(Show(page), c.after) << "before " << c.before << " keys " << c.keys;
    }
  }
};

#define RUN_CASES(cases) RunCases(cases)

TEST_F(UndoLogTest, TypingRunsAndTheirUndoSteps) {
  RUN_CASES((std::vector<KeyCase>{
      {"|", "abc<Undo>", "|"},                       // one run, one step
      {"x|y", "abc<Undo>", "x|y"},                   // in the middle
      {"|", "ab<Click 0>c<Undo>", "|ab"},            // a click ends the run
      {"|", "ab<Click 0>c<Undo><Undo>", "|"},        // ... so two steps
      {"|", "ab<Left>c<Undo>", "a|b"},               // so does a move
      {"|", "ab<Shift>c<Undo>", "ab|"},              // and Shift
      {"a[bc]d", "xy<Undo>", "ax|d"},                // the first key replaces, the rest is a run
      {"a[bc]d", "xy<Undo><Undo>", "a{bc}d"},        // the replaced text comes back selected
      {"|", "a<Enter>b<Undo>", "|"},                 // Enter is typing when nothing handles it
      {"|", "a<C-Enter>b<Undo>", "|"},
  }));
}

TEST_F(UndoLogTest, BackspaceAndDeleteRestoreWholeCharacters) {
  RUN_CASES((std::vector<KeyCase>{
      {"あ|", "<BS>", "|"},
      {"あ|", "<BS><Undo>", "あ|"},                  // both bytes
      {"ab|", "<BS><Undo>", "ab|"},                  // one byte
      {"xab|", "<BS><BS><Undo>", "xa|"},             // each Backspace is its own step
      {"亜a|", "<BS><Undo>", "亜a|"},                // 亜 ends in 0x9F, a lead-byte value
      {"a\r\n|b", "<BS>", "a|b"},
      {"a\r\n|b", "<BS><Undo>", "a\r\n|b"},
      {"a[bc]d", "<BS><Undo>", "a{bc}d"},
      {"|ab", "<BS><Undo>", "|ab"},                  // nothing to remove, nothing recorded
      {"a|あb", "<Del>", "a|b"},
      {"a|あb", "<Del><Undo>", "a|あb"},
      {"a|亜b", "<Del><Undo>", "a|亜b"},
      {"a|b\r\nc", "<Del><Del><Undo>", "a|\r\nc"},
      {"a[bc]d", "<Del><Undo>", "a[bc]d"},
      {"ab|", "<Del>", "ab|"},                       // swallowed at the end
      {"a|bc def", "<C-Del>", "a|def"},
      {"a|bc def", "<C-Del><Undo>", "a|bc def"},
      {"abc defgh|", "<C-BS>", "abc |"},
      {"abc defgh|", "<C-BS><Undo>", "abc defgh|"},  // the whole word, not two bytes
      {"x  日本語|", "<C-BS><Undo>", "x  日本語|"},
  }));
  // Nothing was recorded for a key that removed nothing.
  Page& page = NewPage("|ab");
  Keys(page, "<BS>");
  Keys(page, "<End><Del>");
  EXPECT_EQ(log->RecordCount(), 0u);
}

TEST_F(UndoLogTest, CompositionIsOneRecord) {
  RUN_CASES((std::vector<KeyCase>{
      {"a|c", "<Ime 漢字>", "a漢字|c"},
      {"a|c", "<Ime 漢字><Undo>", "a|c"},
      {"a[b]c", "<Ime 漢字><Undo>", "a{b}c"},
      {"a|c", "x<Ime 漢字>y<Undo>", "ax漢字|c"},  // the composition ended the run
  }));
  Page& page = NewPage("[ab]");
  log->ClearUndoLog();
  Keys(page, "<Ime 字>");
  ASSERT_EQ(log->RecordCount(), 1u);
  EXPECT_EQ(log->Records().back().kind, kUndoComposition);
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) 上書き");
  // A composition that commits nothing leaves nothing to undo.
  Page& other = NewPage("ab|");
  log->ClearUndoLog();
  Keys(other, "<Ime >");
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(Show(other), "ab|");
}

TEST_F(UndoLogTest, OverwriteEmulationSelectsTheCharacterUnderTheCaret) {
  RUN_CASES((std::vector<KeyCase>{
      {"|abc", "<Ins>", "[a]bc"},
      {"|abc", "<Ins>xy", "xy[c]"},
      {"|aあc", "<Ins>xy", "xy[c]"},                 // a double-byte character is replaced whole
      {"|aあc", "<Ins>x", "x[あ]c"},
      {"ab|\r\ncd", "<Ins>", "ab|\r\ncd"},           // a line break is never selected
      {"|ab\r\ncd", "<Ins>xyz", "xyz|\r\ncd"},       // typing at the line end inserts
      {"ab|c", "<Ins><Left>", "a{b}c"},
      {"aあ|c", "<Ins><Left>", "a{あ}c"},
      {"|abc", "<Ins><Ins>", "|abc"},                // back to insert: the selection goes
      {"|abc", "<Ins>xy<Undo>", "x{b}c"},
      {"|abc", "<Ins>xy<Undo><Undo>", "{a}bc"},
  }));
}

TEST_F(UndoLogTest, NavigationKeysAtTheEdgesAreSwallowed) {
  Page& page = NewPage("|ab\r\ncd");
  MemoryTextControl& control = Memory(page);
  EXPECT_FALSE(control.PressKey(kKeyLeft));
  EXPECT_FALSE(control.PressKey(kKeyUp));
  EXPECT_FALSE(control.PressKey(kKeyPageUp));
  EXPECT_TRUE(control.PressKey(kKeyRight));
  EXPECT_TRUE(control.PressKey(kKeyDown));
  EXPECT_EQ(Show(page), "ab\r\nc|d");
  EXPECT_FALSE(control.PressKey(kKeyDown));
  EXPECT_TRUE(control.PressKey(kKeyRight));
  EXPECT_FALSE(control.PressKey(kKeyRight));
  EXPECT_FALSE(control.PressKey(kKeyPageDown));
  // With a selection the keys reach the control.
  control.SetSelection(0, 2);
  EXPECT_TRUE(control.PressKey(kKeyLeft));
  EXPECT_EQ(Show(page), "|ab\r\ncd");
}

// Runs a command the way every editing command does.
void PasteCommand(UndoLog& log, Page& page, std::string_view text) {
  log.SetCommandTarget(page, KeepText::Selection);
  log.SuspendCapture();
  page.Control().ReplaceSelection(text);
  log.TakeSelectionAfter();
  log.RecordCommand(kUndoPaste);
  log.ResumeCapture();
}

TEST_F(UndoLogTest, ACommandBetweenKeysEndsTheTypingRun) {
  Page& page = NewPage("|");
  Keys(page, "ab");
  PasteCommand(*log, page, "P");  // from the menu: no key, no click in between
  Keys(page, "cd");
  EXPECT_EQ(log->RecordCount(), 3u);
  Keys(page, "<Undo>");
  EXPECT_EQ(Show(page), "abP|");
  Keys(page, "<Undo>");
  EXPECT_EQ(Show(page), "ab|");
  Keys(page, "<Undo>");
  EXPECT_EQ(Show(page), "|");
}

TEST_F(UndoLogTest, ProgramKeysHandOverAndSwallowTheirCharacter) {
  struct Handler : EditingKeys {
    explicit Handler(UndoLog& l) : log(l) {}
    bool HandleKey(Page& page, int key, unsigned shift) override {
      seen.push_back(key);
      if (key != kKeyReturn || (shift & kShiftKey) != 0) return false;
      // Enter: a line break recorded as its own kind, as the program's Enter does.
      log.SetCommandTarget(page, KeepText::Selection);
      log.SuspendCapture();
      page.Control().ReplaceSelection("\r\n");
      log.TakeSelectionAfter();
      log.RecordCommand(kUndoEnter);
      log.ResumeCapture();
      return true;
    }
    UndoLog& log;
    std::vector<int> seen;
  } handler(*log);
  log->SetEditingKeys(&handler);
  Page& page = NewPage("|");
  Keys(page, "ab<Enter>cd");
  EXPECT_EQ(Show(page), "ab\r\ncd|");  // one line break: the CR character was swallowed
  EXPECT_EQ(handler.seen, std::vector<int>{kKeyReturn});
  EXPECT_EQ(log->RecordCount(), 3u);  // "ab", the Enter, "cd"
  Keys(page, "<Undo><Undo>");
  EXPECT_EQ(Show(page), "ab|");
  log->SetEditingKeys(nullptr);
}

TEST_F(UndoLogTest, AChangeNoKeyAnnouncedClearsTheLog) {
  Page& page = NewPage("|");
  Keys(page, "abc");
  // A command that forgot to suspend capture: its change cannot be taken back.
  page.Control().SetSelection(0, 1);
  page.Control().ReplaceSelection("zz");
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(Memory(page).Buffer(), "zzbc");
  EXPECT_TRUE(page.Modified());

  // A Ctrl key that typed nothing announces nothing for a change coming after it.
  Keys(page, "<Click 4>ab");
  Memory(page).PressKey('W', kCtrlKey);
  page.Control().SetSelection(0, 0);
  page.Control().ReplaceSelection("y");
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(Memory(page).Buffer(), "yzzbcab");
}

TEST_F(UndoLogTest, KeysOfOtherPagesAndSuspendedCaptureAreNotRecorded) {
  Page& a = NewPage("|");
  Page& b = NewPage("|");  // current
  Keys(a, "abc");
  EXPECT_EQ(log->RecordCount(), 0u);
  log->SuspendCapture();
  Keys(b, "abc");
  log->ResumeCapture();
  EXPECT_EQ(log->RecordCount(), 0u);
  Keys(b, "d");
  EXPECT_EQ(log->RecordCount(), 1u);
  log->UndoLast();
  EXPECT_EQ(Show(b), "abc|");
}

}  // namespace
}  // namespace norra::testing

namespace norra::testing {
namespace {

TEST_F(UndoLogTest, EditSettingsConfigureTheLog) {
  EditSettings edit;
  edit.UseTabCode = true;
  edit.TabStop = 8;
  edit.ClearLogsAllByBigChange = true;
  edit.MaxLogBytes = 300;
  log->Configure(edit);
  EXPECT_EQ(log->IndentChar(), '\t');
  EXPECT_EQ(log->TabStop(), 8);
  Page& page = NewPage("[" + std::string(300, 'x') + "]");
  EXPECT_EQ(Memory(page).TabWidth(), 8);  // a TAB is drawn as wide as Tab indents
  edit.TabStop = 3;
  log->Configure(edit);
  EXPECT_EQ(Memory(page).TabWidth(), 3);
  Keys(page, "y");  // typing over 300 bytes is a big change too
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(Show(page), "y|");
  edit.WriteUndoLog = false;
  log->Configure(edit);
  EXPECT_FALSE(log->Enabled());
  EXPECT_EQ(log->UndoLast(), nullptr);
}

}  // namespace
}  // namespace norra::testing
