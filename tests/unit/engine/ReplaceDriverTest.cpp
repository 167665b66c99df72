// Replace-all drivers: page, selection and text; counters, selection bookkeeping, the size
// refusal, one edit per page, empty matches.
#include "engine/ReplaceDriver.h"

#include "EngineTestSupport.h"
#include "platform/MemoryTextControl.h"
#include "text/CaseMap.h"

namespace norra {
namespace {

using testing::EngineTest;
using testing::Sj;
using testing::U8;

class DriverTest : public EngineTest {
 protected:
  void Prepare(const char* find, const char* replace) {
    ASSERT_TRUE(CompileFind(find));
    ASSERT_TRUE(engine.CompileReplace(Sj(replace)));
    engine.RunReset();
  }
  MemoryTextControl page;
};

TEST_F(DriverTest, PageWithoutAMatchIsLeftAlone) {
  Prepare("zzz", "y");
  page.SetText("abc abc");
  page.SetSelection(2, 3);
  engine.ReplaceCount = 7;
  EXPECT_TRUE(engine.ReplaceAllInPage(page));
  EXPECT_EQ(page.Buffer(), "abc abc");
  EXPECT_EQ(page.EditCount(), 0u);
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(page.SelStart(), 2u);
  EXPECT_EQ(page.SelLength(), 3u);
  EXPECT_EQ(engine.ReplaceCount, 7);
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(DriverTest, PageGetsTheWholeResultInOneEdit) {
  Prepare("abc", "[rcount]");
  page.SetText("abc-ABC-abc");
  EXPECT_TRUE(engine.ReplaceAllInPage(page));
  EXPECT_EQ(page.Buffer(), "1-2-3");
  EXPECT_EQ(page.EditCount(), 1u);
  EXPECT_TRUE(page.Modified());
  EXPECT_EQ(page.ScrollCount(), 1u);
  EXPECT_GE(ui.ProcessEventsCount(), 1u);
  EXPECT_EQ(engine.FindCount, 3);
  EXPECT_EQ(engine.ReplaceCount, 3);
  EXPECT_TRUE(engine.PreFoldedText);
}

TEST_F(DriverTest, PageSelectionFollowsTheReplacements) {
  // Caret after the last match, longer and shorter replacements.
  for (const char* replace : {"LONGER", "s"}) {
    Prepare("ab", replace);
    page.SetText("ab ab tail");
    page.SetSelection(6, 0);  // before "tail"
    ASSERT_TRUE(engine.ReplaceAllInPage(page));
    EXPECT_EQ(page.Buffer().substr(page.SelStart()), "tail") << replace;
    EXPECT_EQ(page.SelLength(), 0u);
  }
  // A selection that is exactly one match becomes exactly its replacement.
  Prepare("ab", "xyz");
  page.SetText("ab ab ab");
  page.SetSelection(3, 2);
  ASSERT_TRUE(engine.ReplaceAllInPage(page));
  EXPECT_EQ(page.Buffer(), "xyz xyz xyz");
  EXPECT_EQ(page.SelStart(), 4u);
  EXPECT_EQ(page.SelLength(), 3u);
  // A selection that only overlaps a match keeps its start and length.
  Prepare("bc", "");
  page.SetText("abcd");
  page.SetSelection(0, 2);
  ASSERT_TRUE(engine.ReplaceAllInPage(page));
  EXPECT_EQ(page.Buffer(), "ad");
  EXPECT_EQ(page.SelStart(), 0u);
  EXPECT_EQ(page.SelLength(), 2u);
}

TEST_F(DriverTest, PageResultBeyondTheMaximumLengthIsRefused) {
  Prepare("a", "aaaa");
  page.SetText("xaxaxaxa");  // 4 matches: 8 bytes become 20
  page.SetMaxLength(16);
  engine.ReplaceCount = 3;
  engine.FindCount = 3;
  EXPECT_TRUE(engine.ReplaceAllInPage(page));  // a run over all pages goes on
  EXPECT_EQ(page.Buffer(), "xaxaxaxa");
  EXPECT_EQ(page.EditCount(), 0u);
  EXPECT_EQ(engine.ReplaceCount, 3);
  EXPECT_EQ(engine.FindCount, 7);  // finds are not taken back
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "置換後の全文がﾌｧｲﾙｻｲｽﾞ最大値を超えるため、置換しません");
  EXPECT_EQ(ui.LastBox().caption, "Norra");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  page.SetMaxLength(20);  // exactly fits
  EXPECT_TRUE(engine.ReplaceAllInPage(page));
  EXPECT_EQ(page.Buffer(), "xaaaaxaaaaxaaaaxaaaa");
}

TEST_F(DriverTest, PageEditThatFailsIsReported) {
  Prepare("a", "b");
  page.SetText("aa");
  page.SetSelection(1, 1);
  page.SetFailEdits(true);
  EXPECT_FALSE(engine.ReplaceAllInPage(page));
  EXPECT_EQ(page.Buffer(), "aa");
  EXPECT_EQ(page.SelStart(), 1u);
  EXPECT_EQ(page.SelLength(), 1u);
  EXPECT_EQ(engine.ReplaceCount, 0);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "置換処理中にｴﾗｰ発生");
}

TEST_F(DriverTest, DriversRefuseToRunWithoutAPattern) {
  EXPECT_FALSE(CompileFind(""));
  page.SetText("");
  EXPECT_TRUE(engine.ReplaceAllInPage(page));  // an empty page is done before looking
  std::string empty;
  EXPECT_TRUE(engine.ReplaceAllInText(empty));
  EXPECT_TRUE(ui.Boxes().empty());

  page.SetText("abc");
  page.SetSelection(0, 1);
  std::string text = "abc";
  for (int driver = 0; driver < 3; ++driver) {
    ui.ClearBoxes();
    try {
      if (driver == 0) engine.ReplaceAllInPage(page);
      if (driver == 1) engine.ReplaceAllInSelection(page);
      if (driver == 2) engine.ReplaceAllInText(text);
      ADD_FAILURE() << "driver " << driver << " ran";
    } catch (const EngineAbort& abort) {
      EXPECT_EQ(abort.Reason(), AbortReason::EmptyPattern);
    }
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.LastBox().text, "検索する文が0文字です。");
    EXPECT_EQ(ui.LastBox().caption, "Norra");
  }
  EXPECT_EQ(page.Buffer(), "abc");
  EXPECT_EQ(text, "abc");
}

TEST_F(DriverTest, SelectionDriverWorksInsideTheSelection) {
  Prepare("abc", "x");
  page.SetText("abc[abcabc]abc");
  page.SetSelection(4, 6);
  EXPECT_TRUE(engine.ReplaceAllInSelection(page));
  EXPECT_EQ(page.Buffer(), "abc[xx]abc");
  EXPECT_EQ(page.SelStart(), 4u);
  EXPECT_EQ(page.SelLength(), 2u);
  EXPECT_EQ(page.SelText(), "xx");
  EXPECT_EQ(page.EditCount(), 1u);
  EXPECT_EQ(engine.ReplaceCount, 2);

  // Nothing replaced: no edit, selection kept.
  Prepare("zzz", "x");
  page.SetSelection(0, 3);
  EXPECT_TRUE(engine.ReplaceAllInSelection(page));
  EXPECT_EQ(page.EditCount(), 1u);
  EXPECT_EQ(page.SelLength(), 3u);
}

TEST_F(DriverTest, SelectionDriverNeedsASelectionAndRoom) {
  Prepare("a", "bb");
  page.SetText("aaaa");
  page.SetSelection(2, 0);
  EXPECT_THROW(engine.ReplaceAllInSelection(page), EngineAbort);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "現在のﾌｧｲﾙに｢選択された文｣がありません。");

  // A paste that would not fit is refused rather than cut short.
  ui.ClearBoxes();
  page.SetSelection(0, 4);
  page.SetMaxLength(6);
  EXPECT_TRUE(engine.ReplaceAllInSelection(page));
  EXPECT_EQ(page.Buffer(), "aaaa");
  EXPECT_EQ(engine.ReplaceCount, 0);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "置換後の全文がﾌｧｲﾙｻｲｽﾞ最大値を超えるため、置換しません");
}

TEST_F(DriverTest, EmptyMatchesMoveOnByOneCharacter) {
  EXPECT_EQ(ReplaceAll("[*]", "|", "abc"), "|a|b|c");
  EXPECT_EQ(ReplaceAll("[*]", "|", "あい"), "|あ|い");
  EXPECT_EQ(engine.ReplaceCount, 2);
  EXPECT_EQ(ReplaceAll("[into a][*][/to]", "<[from a]>", "xy"), "<>x<>y");
  EXPECT_EQ(ReplaceAll("[not[b]]", "|", "ac"), "|a|c");
  EXPECT_EQ(ReplaceAll("[not[b]]", "|", "abc"), "abc");  // a "b" still lies ahead
  EXPECT_EQ(ReplaceAll("a[*]", "-", "aaa"), "---");
}

TEST_F(DriverTest, TextDriverFoldsOnceAndKeepsTheOriginalBytes) {
  EXPECT_EQ(ReplaceAll("abc", "x", "ABC abc aBc ＡＢＣ"), "x x x ＡＢＣ");
  EXPECT_EQ(ReplaceAll("ａｂ", "x", "ＡＢ ａｂ"), "x x");
  engine.MatchCase = true;
  EXPECT_EQ(ReplaceAll("abc", "x", "ABC abc"), "ABC x");
  engine.MatchCase = false;
  // Unchanged text stays the very same bytes, odd ones included.
  const std::string odd = "\x85\x40zz\xff";
  ASSERT_TRUE(CompileFind("zz"));
  ASSERT_TRUE(engine.CompileReplace("y"));
  std::string text = odd;
  EXPECT_TRUE(engine.ReplaceAllInText(text));
  EXPECT_EQ(text, "\x85\x40y\xff");
  // No match: the text is not touched and the count does not move.
  engine.RunReset();
  text = "nothing";
  EXPECT_TRUE(engine.ReplaceAllInText(text));
  EXPECT_EQ(text, "nothing");
  EXPECT_EQ(engine.ReplaceCount, 0);
}

TEST_F(DriverTest, ListingMatchesChangesNothing) {
  ASSERT_TRUE(CompileFind("a[*]c"));
  engine.RunReset();
  const std::string text = Sj("xabcあaxc");
  const auto spans = engine.ListMatchesInText(text);
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0], (MatchSpan{1, 3}));
  EXPECT_EQ(spans[1], (MatchSpan{6, 3}));
  EXPECT_EQ(engine.FindCount, 2);
  EXPECT_EQ(engine.ReplaceCount, 0);
  // The same spans a replace-all replaces.
  ASSERT_TRUE(engine.CompileReplace("#"));
  std::string copy = text;
  engine.ReplaceAllInText(copy);
  EXPECT_EQ(U8(copy), "x#あ#");
  EXPECT_TRUE(engine.ListMatchesInText("").empty());
}

TEST_F(DriverTest, ListingAFoldableOrFoldedTextFindsWhatListingACopyFinds) {
  // Case-folded and exact, with letters of every folding kind and a two-byte character whose
  // second byte looks like a letter.
  const std::string text = Sj("Abc ａｂｃ ＡＢＣ αβ ΑΒ abc ソabc");
  for (bool matchCase : {false, true}) {
    for (const char* find : {"abc", "ａｂｃ", "ΑΒ", "b[*]c"}) {
      engine.MatchCase = matchCase;
      ASSERT_TRUE(CompileFind(find));
      const auto expected = engine.ListMatchesInText(text);
      std::string own = text;
      EXPECT_EQ(engine.ListMatchesInFoldableText(own), expected) << find << " " << matchCase;
      EXPECT_EQ(own, matchCase ? text : ToUpperCp932Copy(text)) << find;
      if (!matchCase) {
        EXPECT_EQ(engine.ListMatchesInFoldedText(own), expected) << find;
      }
    }
  }
}

// A file's rewrite hands the engine a joined copy of its lines that nobody needs afterwards:
// it is folded in place instead of being copied once more (a whole file's worth of memory),
// unless a storage group must keep what it matched as it was.
TEST_F(DriverTest, ReplacingInAFoldableTextFoldsItInPlaceUnlessAStorageGroupNeedsItsCase) {
  struct Lengths : ReplaceSink {
    std::string out;  // copied stretches by their length, replacements as they are
    void Copy(std::string_view original) override { out += std::string(original.size(), '.'); }
    void Insert(std::string_view replacement, std::size_t) override { out += replacement; }
  };
  struct Case {
    const char* find;
    const char* replace;
    const char* text;
    bool matchCase;
    const char* out;
    const char* textAfter;
  } cases[] = {
      {"abc", "x", "Abc aBC y", false, "x.x..", "ABC ABC Y"},
      {"abc", "x", "Abc abc y", true, "....x..", "Abc abc y"},
      {"[into a]b[*]c[/to]", "<[from a]>", "aBxC", false, ".<BxC>", "aBxC"},
  };
  for (const Case& c : cases) {
    engine.MatchCase = c.matchCase;
    ASSERT_TRUE(CompileFind(c.find));
    ASSERT_TRUE(engine.CompileReplace(c.replace));
    engine.RunReset();
    std::string text = c.text;
    Lengths sink;
    EXPECT_TRUE(engine.ReplaceAllInFoldableText(text, sink));
    EXPECT_EQ(sink.out, c.out) << c.find;
    EXPECT_EQ(text, c.textAfter) << c.find;
  }
  engine.MatchCase = false;
}

TEST_F(DriverTest, AbandonedRunRestoresTheCount) {
  ASSERT_TRUE(CompileFind("b[which[]]"));
  ASSERT_TRUE(engine.CompileReplace("x"));
  engine.ReplaceCount = 5;
  page.SetText("abc");
  EXPECT_THROW(engine.ReplaceAllInPage(page), EngineAbort);
  EXPECT_EQ(engine.ReplaceCount, 5);
  EXPECT_EQ(page.Buffer(), "abc");
}

TEST_F(DriverTest, MatchInControlSearchesTheWholeTextFromStartPos) {
  ASSERT_TRUE(CompileFind("ab"));
  page.SetText("ab ab");
  engine.StartPos = 2;
  engine.PreFoldedText = false;
  EXPECT_TRUE(engine.MatchInControl(page));
  EXPECT_EQ(engine.MatchPos, 4);
  EXPECT_EQ(engine.MatchLen, 2);
  EXPECT_EQ(engine.WorkingText(), "ab ab");
  engine.StartPos = 5;
  EXPECT_FALSE(engine.MatchInControl(page));
  EXPECT_EQ(engine.MatchPos, 0);
}

TEST_F(DriverTest, RunResetClearsTheRun) {
  engine.ConditionsChanged = true;
  engine.FindCount = 4;
  engine.ReplaceCount = 2;
  engine.FirstHit = {1, 2, 3};
  engine.WrapCount = {1, 1, 1};
  engine.SelectionRegion = {5, 6};
  engine.RunReset();
  EXPECT_FALSE(engine.ConditionsChanged);
  EXPECT_EQ(engine.FindCount, 0);
  EXPECT_EQ(engine.ReplaceCount, 0);
  EXPECT_EQ(engine.FirstHit.position, 0);
  EXPECT_EQ(engine.WrapCount[2], 0);
  EXPECT_EQ(engine.SelectionRegion.length, 0);
}

}  // namespace
}  // namespace norra
