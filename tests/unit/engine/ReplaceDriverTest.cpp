// The replace-all driver: new text, counters, spans, the selection kept in step, a missing
// pattern, empty matches, folding, listing matches.
#include "engine/ReplaceDriver.h"

#include "EngineTestSupport.h"
#include "platform/MemoryTextControl.h"
#include "text/ReplacedSpan.h"
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
};

TEST_F(DriverTest, ATextWithoutAMatchGivesNoNewText) {
  Prepare("zzz", "y");
  engine.ReplaceCount = 7;
  const ReplaceResult result = engine.ReplaceAll("abc abc", {true, 2, 3});
  EXPECT_FALSE(result.Replaced());
  EXPECT_EQ(result.count, 0);
  EXPECT_TRUE(result.text.empty());
  EXPECT_TRUE(result.spans.empty());
  EXPECT_EQ(result.selStart, 2u);
  EXPECT_EQ(result.selLength, 3u);
  EXPECT_EQ(engine.ReplaceCount, 7);
}

TEST_F(DriverTest, AReplaceAllReturnsTheNewTextItsCountAndItsSpans) {
  Prepare("abc", "[rcount]");
  engine.ReplaceCount = 2;
  const std::string text = "abc-ABC-abc";
  const ReplaceResult result = engine.ReplaceAll(text, {true});
  EXPECT_EQ(result.text, "3-4-5");
  EXPECT_EQ(text, "abc-ABC-abc");  // only read
  EXPECT_EQ(result.count, 3);
  EXPECT_EQ(engine.FindCount, 3);
  EXPECT_EQ(engine.ReplaceCount, 5);
  EXPECT_TRUE(engine.PreFoldedText);
  EXPECT_EQ(result.spans, (std::vector<ReplacedSpan>{{0, 3, 1}, {4, 3, 1}, {8, 3, 1}}));
  EXPECT_EQ(result.newLength, 5u);
  // Spans only when asked for.
  EXPECT_TRUE(engine.ReplaceAll(text).spans.empty());
}

TEST_F(DriverTest, AReplaceAllCanReturnOnlyTheReplacementsWithTheSameSpansAndSelection) {
  Prepare("abc", "wxyz");
  const std::string text = "-abc-ABC-abc";
  ReplaceRequest request{true, 9, 3};
  const ReplaceResult whole = engine.ReplaceAll(text, request);
  request.replacementsOnly = true;
  const ReplaceResult only = engine.ReplaceAll(text, request);
  EXPECT_EQ(whole.text, "-wxyz-wxyz-wxyz");
  EXPECT_EQ(only.text, "wxyzwxyzwxyz");
  EXPECT_EQ(only.newLength, whole.text.size());
  EXPECT_EQ(only.spans, whole.spans);
  EXPECT_EQ(only.selStart, 11u);
  EXPECT_EQ(only.selLength, 4u);
  EXPECT_EQ(only.selStart, whole.selStart);
  EXPECT_EQ(only.selLength, whole.selLength);
}

TEST_F(DriverTest, TheSelectionFollowsTheReplacements) {
  struct Case {
    const char* find;
    const char* replace;
    const char* text;
    std::size_t start, length;        // before
    std::size_t newStart, newLength;  // after
  } cases[] = {
      // The caret after the last match stays after the same text, longer or shorter.
      {"ab", "LONGER", "ab ab tail", 6, 0, 14, 0},
      {"ab", "s", "ab ab tail", 6, 0, 4, 0},
      // A selection that is exactly one match becomes exactly its replacement.
      {"ab", "xyz", "ab ab ab", 3, 2, 4, 3},
      // A selection that only overlaps a match keeps its start and length.
      {"bc", "", "abcd", 0, 2, 0, 2},
  };
  for (const Case& c : cases) {
    Prepare(c.find, c.replace);
    const ReplaceResult result = engine.ReplaceAll(c.text, {false, c.start, c.length});
    EXPECT_EQ(result.selStart, c.newStart) << c.text << " " << c.replace;
    EXPECT_EQ(result.selLength, c.newLength) << c.text << " " << c.replace;
  }
}

TEST_F(DriverTest, AReplaceAllWithoutAPatternIsAbandoned) {
  EXPECT_FALSE(CompileFind(""));
  EXPECT_EQ(engine.ReplaceAll("").count, 0);  // an empty text is done before looking
  try {
    engine.ReplaceAll("abc");
    ADD_FAILURE() << "the driver ran";
  } catch (const EngineAbort& abort) {
    EXPECT_EQ(abort.Reason(), EngineErrorCode::EmptyPattern);
  }
  struct Refusing : ReplaceSink {
    void Copy(std::string_view) override { ADD_FAILURE(); }
    void Insert(std::string_view, std::size_t) override { ADD_FAILURE(); }
  } sink;
  EXPECT_EQ(engine.ReplaceAllInText("", sink), 0);
  EXPECT_THROW(engine.ReplaceAllInText("abc", sink), EngineAbort);
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
  EXPECT_EQ(engine.ReplaceAll(odd).text, "\x85\x40y\xff");
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
  EXPECT_EQ(U8(engine.ReplaceAll(text).text), "x#あ#");
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
  EXPECT_THROW(engine.ReplaceAll("abc"), EngineAbort);
  EXPECT_EQ(engine.ReplaceCount, 5);
}

TEST_F(DriverTest, MatchInControlSearchesTheWholeTextFromStartPos) {
  MemoryTextControl page;
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
  engine.RunReset();
  EXPECT_FALSE(engine.ConditionsChanged);
  EXPECT_EQ(engine.FindCount, 0);
  EXPECT_EQ(engine.ReplaceCount, 0);
}

}  // namespace
}  // namespace norra
