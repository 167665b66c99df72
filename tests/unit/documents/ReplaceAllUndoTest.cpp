// Undo of replace all when its record keeps only what the replacements changed: byte for byte
// back, memory bounded by the bytes changed, and a refusal rather than a wrong text.
#include <gtest/gtest.h>

#include "DocumentsHarness.h"
#include "documents/ReplaceDelta.h"
#include "documents/UndoLog.h"
#include "engine/SearchEngine.h"

namespace norra::testing {
namespace {

class ReplaceAllUndoTest : public DocumentsTestBase {
 protected:
  void Prepare(const char* findUtf8, const char* replaceUtf8) {
    ASSERT_TRUE(engine_.Compile(Utf8ToCp932(findUtf8)));
    ASSERT_TRUE(engine_.CompileReplace(Utf8ToCp932(replaceUtf8)));
  }
  // A replace all as the find window runs it; returns the bytes the replaced spans held, or
  // 0 when nothing was replaced (and nothing recorded).
  std::size_t ReplaceAll(Page& page, int kind) {
    const bool selection = kind == kUndoReplaceSelection;
    TextControl& control = page.Control();
    const std::size_t start = selection ? control.SelStart() : 0;
    const std::size_t length = selection ? control.SelLength() : control.TextLength();
    engine_.ReplaceCount = 0;
    ReplaceResult result = engine_.ReplaceAll(control.TextView().substr(start, length),
                                              {true, control.SelStart(), control.SelLength()});
    if (!result.Replaced()) return 0;
    std::size_t changed = 0;
    for (const ReplacedSpan& span : result.spans) changed += span.oldLength;
    log->SetCommandTarget(page, selection ? KeepText::Selection : KeepText::WholeText);
    log->Target().replaced = std::move(result.spans);
    log->SuspendCapture();
    control.SetSelection(start, length);
    EXPECT_TRUE(control.ReplaceSelection(result.text));
    if (selection) {
      control.SetSelection(start, result.text.size());
    } else {
      control.SetSelection(result.selStart, result.selLength);
    }
    log->TakeSelectionAfter();
    log->RecordCommand(kind);
    log->ResumeCapture();
    return changed;
  }

  TagSymbols symbols_{};
  SearchEngine engine_{symbols_};
};

TEST_F(ReplaceAllUndoTest, EachReplaceAllIsUndoneByteForByteWithinTwiceTheBytesChanged) {
  struct Case {
    const char* what;
    const char* unit;  // repeated to make the Page's text
    int repeat;
    const char* find;
    const char* replace;
    int kind;
    bool delta;  // whether the record holds a delta rather than the whole text
  };
  const Case cases[] = {
      {"match at the start", "fox jumps over the dog\r\n", 40, "fox", "cat", kUndoReplaceAll, true},
      {"match at the end", "the dog jumps over the fox", 40, "fox", "cat", kUndoReplaceAll, true},
      {"adjacent matches", "foxfoxfox and some text ", 30, "fox", "c", kUndoReplaceAll, true},
      {"two-byte characters", "表ソ表ソａソ漢字かなカナ", 30, "ソ", "そそ", kUndoReplaceAll, true},
      {"growth", "x-some words-", 30, "x", "XXXXXXXXXX", kUndoReplaceAll, true},
      {"shrink", "hello world, hello there. ", 30, "hello", "hi", kUndoReplaceAll, true},
      {"empty replacement", "a,b,,c, and more,", 30, ",", "", kUndoReplaceAll, true},
      {"a Page of only matches", "ab", 50, "ab", "Z", kUndoReplaceAll, false},
      {"in the selection", "one-two-three ", 30, "-", "+", kUndoReplaceSelection, true},
      {"over every Page", "quick brown fox\r\n", 40, "fox", "vixen", kUndoReplaceAllPages, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log->ClearUndoLog();
    Prepare(c.find, c.replace);
    std::string text;
    for (int i = 0; i < c.repeat; ++i) text += Utf8ToCp932(c.unit);
    Page& page = NewPage("|");
    Memory(page).SetText(text);
    Memory(page).SetSelection(3, c.kind == kUndoReplaceSelection ? text.size() - 6 : 2);
    const std::size_t selStart = page.Control().SelStart();
    const std::size_t selLength = page.Control().SelLength();
    // A replace over every Page: one Page without a match is left as it is.
    Page& untouched = NewPage("plain [text] without a match");
    if (c.kind == kUndoReplaceAllPages) log->BeginCommandGroup();
    docs->ActivatePage(&page);
    const std::size_t changed = ReplaceAll(page, c.kind);
    if (c.kind == kUndoReplaceAllPages) {
      EXPECT_EQ(ReplaceAll(untouched, c.kind), 0u);
    }
    ASSERT_GT(changed, 0u);
    ASSERT_EQ(log->RecordCount(), 1u);
    ASSERT_NE(Memory(page).Buffer(), text);
    EXPECT_EQ(log->Records().back().delta, c.delta);
    const std::size_t held = page.UndoText().Size();
    EXPECT_EQ(log->TotalBytes(), held);  // trimming counts what is held
    // A few bytes of the delta's head on top of twice the bytes changed.
    EXPECT_LE(held, 2 * changed + 8) << "changed " << changed;

    EXPECT_EQ(log->UndoLast(), &page);
    EXPECT_EQ(Memory(page).Buffer(), text);
    EXPECT_EQ(page.Control().SelStart(), selStart);
    EXPECT_EQ(page.Control().SelLength(), selLength);
    EXPECT_EQ(Show(untouched), "plain [text] without a match");
    EXPECT_EQ(log->RecordCount(), 0u);
    EXPECT_EQ(page.UndoText().Size(), 0u);
  }
}

TEST_F(ReplaceAllUndoTest, ATextChangedBehindTheLogIsRefusedAndKeptAsItIs) {
  Prepare("fox", "cat");
  std::string text;
  for (int i = 0; i < 40; ++i) text += "the fox and the dog\r\n";
  Page& page = NewPage("|");
  Memory(page).SetText(text);
  ASSERT_GT(ReplaceAll(page, kUndoReplaceAll), 0u);
  ASSERT_TRUE(log->Records().back().delta);
  // Same length, one byte different: a rebuild from it would put wrong bytes in.
  std::string tampered = Memory(page).Buffer();
  tampered[10] = 'Q';
  Memory(page).SetText(tampered);
  EXPECT_EQ(log->UndoLast(), nullptr);
  EXPECT_EQ(Memory(page).Buffer(), tampered);
  EXPECT_EQ(log->RecordCount(), 0u);  // a failed step clears the log

  // In a group, one Page that no longer fits stops the step before any Page is touched.
  Page& other = NewPage("|");
  Memory(other).SetText(text);
  Memory(page).SetText(text);
  log->BeginCommandGroup();
  ASSERT_GT(ReplaceAll(page, kUndoReplaceAllPages), 0u);
  ASSERT_GT(ReplaceAll(other, kUndoReplaceAllPages), 0u);
  const std::string otherAfter = Memory(other).Buffer();
  tampered = Memory(page).Buffer() + "!";
  Memory(page).SetText(tampered);
  EXPECT_EQ(log->UndoLast(), nullptr);
  EXPECT_EQ(Memory(page).Buffer(), tampered);
  EXPECT_EQ(Memory(other).Buffer(), otherAfter);
  EXPECT_EQ(log->RecordCount(), 0u);
}

TEST_F(ReplaceAllUndoTest, BigChangeRuleWeighsTheWholeTextAsBefore) {
  log->SetClearOnBigChange(true, 256);
  Prepare("fox", "cat");
  Page& page = NewPage("|");
  Keys(page, "ab");
  Memory(page).SetText("fox" + std::string(300, 's'));
  ASSERT_GT(ReplaceAll(page, kUndoReplaceAll), 0u);
  EXPECT_EQ(Memory(page).Buffer(), "cat" + std::string(300, 's'));
  EXPECT_EQ(log->RecordCount(), 0u);  // the whole text removed was over the limit
}

TEST_F(ReplaceAllUndoTest, AMalformedDeltaIsRefused) {
  const std::string oldText = "a fox, a fox.";
  const std::vector<ReplacedSpan> spans{{2, 3, 5}, {9, 3, 5}};
  const std::string newText = "a vixen, a vixen.";
  const std::optional<std::string> delta = ReplaceDelta::Encode(spans, oldText);
  ASSERT_TRUE(delta);
  EXPECT_EQ(ReplaceDelta::Rebuild(newText, *delta), oldText);
  EXPECT_TRUE(ReplaceDelta::Rebuilds(newText, *delta, oldText));
  EXPECT_FALSE(ReplaceDelta::Rebuilds(newText, *delta, "a fox, a fox!"));
  EXPECT_FALSE(ReplaceDelta::Rebuilds(newText, *delta, oldText + "."));
  for (std::size_t n = 0; n < delta->size(); ++n)
    EXPECT_FALSE(ReplaceDelta::Rebuild(newText, delta->substr(0, n))) << n;
  EXPECT_FALSE(ReplaceDelta::Rebuild(newText, *delta + "x"));
  EXPECT_FALSE(ReplaceDelta::Rebuild("a vixen", *delta));  // too short for its spans
  // Spans out of order or beyond the text make no delta.
  EXPECT_FALSE(ReplaceDelta::Encode(std::vector<ReplacedSpan>{{9, 3, 5}, {2, 3, 5}}, oldText));
  EXPECT_FALSE(ReplaceDelta::Encode(std::vector<ReplacedSpan>{{12, 3, 5}}, oldText));
}

}  // namespace
}  // namespace norra::testing
