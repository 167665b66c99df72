// Replacements put into the Pages: one edit per Page, the selection kept in step, the undo
// record, and the refusals of a text that would not fit or an edit the control refused.
#include "FindWindowHarness.h"

namespace norra::testing {
namespace {

const std::string kTooLong = "Norra: 置換後の全文がﾌｧｲﾙｻｲｽﾞ最大値を超えるため、置換しません";

class ReplaceOnPagesTest : public FindWindowTest {
 protected:
  void Start(const std::string& marked, FindRange range, const char* find, const char* replace) {
    OpenPages({marked});
    window->SetMode(kReplaceMode);
    window->ChooseRange(range);
    SetFind(find);
    SetReplace(replace);
    clipboard.SetText("kept");
  }
  MemoryTextControl& Active() { return Memory(*docs->ActivePage()); }
};

TEST_F(ReplaceOnPagesTest, ReplaceAllPutsTheNewTextInOneEditAndKeepsTheSelectionInStep) {
  struct Case {
    FindRange range;
    const char* before;
    const char* find;
    const char* replace;
    const char* after;
    std::size_t edits;
    UndoKind kind;
  } cases[] = {
      {FindRange::CurrentPad, "abc-ABC-|abc", "abc", "[rcount]", "1-2-|3", 1, kUndoReplaceAll},
      {FindRange::CurrentPad, "ab ab |tail", "ab", "LONGER", "LONGER LONGER |tail", 1,
       kUndoReplaceAll},
      {FindRange::CurrentPad, "ab [ab] ab", "ab", "xyz", "xyz [xyz] xyz", 1, kUndoReplaceAll},
      {FindRange::CurrentPad, "[ab]cd", "bc", "", "[ad]", 1, kUndoReplaceAll},
      {FindRange::CurrentPad, "abc [abc]", "zzz", "y", "abc [abc]", 0, kUndoReplaceAll},
      {FindRange::SelText, "abc[abcabc]abc", "abc", "x", "abc[xx]abc", 1, kUndoReplaceSelection},
      {FindRange::SelText, "abc[abc]abc", "zzz", "x", "abc[abc]abc", 0, kUndoReplaceSelection},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    TearDown();
    SetUp();
    ui.ClearBoxes();
    Start(c.before, c.range, c.find, c.replace);
    window->ReplaceAll();
    EXPECT_EQ(Show(), c.after);
    EXPECT_EQ(Active().EditCount(), c.edits);
    EXPECT_EQ(docs->ActivePage()->Modified(), c.edits > 0);
    EXPECT_GE(Active().ScrollCount(), c.edits);
    EXPECT_EQ(clipboard.GetText(), "kept");  // the clipboard plays no part
    ASSERT_EQ(log->RecordCount(), c.edits);
    if (c.edits > 0) {
      EXPECT_EQ(log->Records().back().kind, c.kind);
    }
  }
}

TEST_F(ReplaceOnPagesTest, AReplaceAllTooLongForTheCurrentFileShowsOnlyTheRefusal) {
  for (FindRange range : {FindRange::CurrentPad, FindRange::SelText}) {
    SCOPED_TRACE(static_cast<int>(range));
    TearDown();
    SetUp();
    Start("[xaxaxaxa]", range, "a", "aaaa");  // 4 matches: 8 bytes become 20
    Active().SetMaxLength(16);
    window->ReplaceAll();
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kTooLong});
    EXPECT_EQ(Show(), "[xaxaxaxa]");
    EXPECT_EQ(Active().EditCount(), 0u);
    EXPECT_FALSE(docs->ActivePage()->Modified());
    EXPECT_EQ(log->RecordCount(), 0u);
    EXPECT_EQ(window->Engine().ReplaceCount, 0);  // nothing reached the Page
    EXPECT_EQ(window->Engine().FindCount, 4);     // finds are not taken back
    EXPECT_EQ(host.status.back(), "");

    Active().SetMaxLength(20);  // exactly fits
    window->ReplaceAll();
    EXPECT_EQ(Active().Buffer(), "xaaaaxaaaaxaaaaxaaaa");
    TakeBoxes();
  }
}

TEST_F(ReplaceOnPagesTest, AnEditTheControlRefusesIsReportedAndLeavesThePageAsItWas) {
  for (FindRange range : {FindRange::CurrentPad, FindRange::SelText}) {
    SCOPED_TRACE(static_cast<int>(range));
    TearDown();
    SetUp();
    Start("a[a]a", range, "a", "b");
    Active().SetFailEdits(true);
    window->ReplaceAll();
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Norra: 置換処理中にｴﾗｰ発生"});
    EXPECT_EQ(Show(), "a[a]a");
    EXPECT_EQ(window->Engine().ReplaceCount, 0);
    EXPECT_EQ(log->RecordCount(), 0u);
  }
}

TEST_F(ReplaceOnPagesTest, ReplaceAndNextBeyondMaxLengthIsRefusedAndNotCounted) {
  Start("|ab ab", FindRange::CurrentPad, "ab", "XYZ");
  Active().SetMaxLength(5);
  window->ReplaceNext();
  EXPECT_EQ(Show(), "[ab] ab");
  EXPECT_TRUE(TakeBoxes().empty());
  window->ReplaceNext();  // "XYZ ab" would be 6 bytes
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kTooLong});
  EXPECT_EQ(Show(), "[ab] ab");
  EXPECT_EQ(window->Engine().ReplaceCount, 0);
  EXPECT_EQ(log->RecordCount(), 0u);
  // With room, the same press replaces and counts.
  Active().SetMaxLength(6);
  window->ReplaceNext();
  EXPECT_EQ(Show(), "XYZ [ab]");
  EXPECT_EQ(window->Engine().ReplaceCount, 1);
  EXPECT_EQ(log->RecordCount(), 1u);
}

}  // namespace
}  // namespace norra::testing
