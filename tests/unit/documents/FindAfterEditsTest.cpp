// Find in a Page after every kind of edit: the upper-cased text its control keeps for searches
// that ignore case must follow typing, replacing, undo and reloading.
#include <functional>

#include "DocumentsHarness.h"
#include "documents/TextInsertion.h"
#include "engine/SearchEngine.h"

namespace norra::testing {
namespace {

class FindAfterEditsTest : public DocumentsTestBase {
 protected:
  // Every hit MatchInControl reports from every start, compared with a match on a copy of the
  // text folded afresh, for the find text with and without letter case. The finder is the one
  // that searched before the edit, so what it kept from then must not be taken for the text.
  void ExpectFindsAsInAFreshCopy(Page& page, const char* findUtf8, const std::string& what) {
    for (bool matchCase : {false, true}) {
      SearchEngine fresh(symbols_);
      for (SearchEngine* engine : {finder_.get(), &fresh}) {
        engine->MatchCase = matchCase;
        ASSERT_TRUE(engine->Compile(Utf8ToCp932(findUtf8))) << findUtf8;
      }
      const std::string text = page.Control().Text();
      int hits = 0;
      for (std::size_t start = 1; start <= text.size(); ++start) {
        finder_->PreFoldedText = false;
        finder_->StartPos = static_cast<std::int64_t>(start);
        const bool found = finder_->MatchInControl(page.Control());
        ASSERT_EQ(finder_->WorkingText(), text) << what;
        fresh.PreFoldedText = false;
        fresh.StartPos = static_cast<std::int64_t>(start);
        fresh.SetWorkingText(text);
        const std::string where =
            what + ", case " + (matchCase ? "on" : "off") + ", from " + std::to_string(start);
        ASSERT_EQ(fresh.Match(), found) << where;
        ASSERT_EQ(fresh.MatchPos, finder_->MatchPos) << where;
        ASSERT_EQ(fresh.MatchLen, finder_->MatchLen) << where;
        hits += found ? 1 : 0;
      }
      if (!matchCase) {
        EXPECT_GT(hits, 0) << what << ": the case-folded find must hit";
      }
    }
  }

  // Searches once, with letters folded and without, so that the control keeps its
  // upper-cased text and the finder a copy of the text; then the test edits.
  void Prime(Page& page) {
    symbols_ = tags.BuiltInSymbols();
    finder_ = std::make_unique<SearchEngine>(symbols_);
    ASSERT_TRUE(finder_->Compile("x"));
    for (bool matchCase : {false, true}) {
      finder_->MatchCase = matchCase;
      finder_->MatchInControl(page.Control());
    }
  }

  TagSymbols symbols_{};
  std::unique_ptr<SearchEngine> finder_;
};

TEST_F(FindAfterEditsTest, FindAfterEveryKindOfEditSeesTheTextAsItIsNow) {
  struct Case {
    const char* what;
    const char* before;  // marked text: "|" caret, "[...]" selection
    std::function<void(Page&)> edit;
    const char* find;
  };
  const auto keys = [this](const char* script) {
    return [this, script](Page& page) { Keys(page, script); };
  };
  const auto insert = [this](const char* utf8) {
    return [this, utf8](Page& page) {
      ASSERT_TRUE(InsertTextAtCaret(*log, page, Utf8ToCp932(utf8), -13));
    };
  };
  const Case cases[] = {
      {"typing a letter into a word", "ab|d abd", keys("c"), "ABC"},
      {"typing a full-width letter beside full-width letters", "ａ|ｃ", keys("ｂ"), "ＡＢＣ"},
      {"typing a kanji before a letter", "|ｚ", keys("漢"), "漢Ｚ"},
      {"Backspace over a two-byte character", "xｂ|ｃ", keys("<BS>"), "XＣ"},
      {"Delete of a two-byte character", "ｘ|αβ", keys("<Del>"), "ｘΒ"},
      {"a composition committed over a selection", "a[bc]d", keys("<Ime ＢＣ>"), "aｂｃD"},
      {"overtyping a selected letter", "ab[c]", keys("d"), "ABD"},
      {"replacing a match with a two-byte text", "x[abc]y", insert("ΑΒ"), "XαβY"},
      {"replacing two letters with a two-byte letter", "x[ab]y", insert("ａ"), "XＡY"},
      {"replacing a two-byte selection with a letter", "ａ[ｂ]ｃ", insert("q"), "ａQｃ"},
      {"undo of typing", "abc|", keys("ｄｅ<Undo>"), "ABC"},
      {"undo of a replacement", "x[ab]y",
       [this](Page& page) {
         ASSERT_TRUE(InsertTextAtCaret(*log, page, Utf8ToCp932("ｚ"), -13));
         log->UndoLast();
       },
       "XABY"},
  };
  for (const Case& c : cases) {
    Page& page = NewPage(c.before);
    Prime(page);
    c.edit(page);
    ExpectFindsAsInAFreshCopy(page, c.find, c.what);
  }
}

TEST_F(FindAfterEditsTest, FindAfterReloadAndReplaceAllSeesTheNewText) {
  const std::string path = MakeFile("re.txt", Utf8ToCp932("old ａｂｃ"));
  ASSERT_EQ(docs->OpenPage(path, false), 1);
  Page& page = *docs->ActivePage();
  Prime(page);
  MakeFile("re.txt", Utf8ToCp932("new ｘｙｚ abc\r\n"));
  ASSERT_TRUE(docs->ReloadPage(page));
  ExpectFindsAsInAFreshCopy(page, "ＸＹＺ", "reload");

  SearchEngine engine(symbols_);  // the engine keeps a reference to its symbols
  ASSERT_TRUE(engine.Compile(Utf8ToCp932("abc")));
  ASSERT_TRUE(engine.CompileReplace(Utf8ToCp932("ＡＢＣ")));
  const ReplaceResult result = engine.ReplaceAll(page.Control().TextView());
  ASSERT_TRUE(result.Replaced());
  ASSERT_TRUE(page.ReplaceWholeText(result.text));
  ExpectFindsAsInAFreshCopy(page, "ｘｙｚ ａｂｃ", "replace all");
}

}  // namespace
}  // namespace norra::testing
