// The kept upper-cased copy equals a fresh fold of the text after every kind of edit.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/CaseMap.h"
#include "text/Encoding.h"
#include "text/FoldedText.h"

namespace norra {
namespace {

struct Edit {
  std::size_t offset;
  std::size_t removed;
  std::string inserted;  // CP932 bytes
};

// Applies an edit to the text and reports it, the text read in two pieces split at `split`.
void Apply(std::string& text, FoldedText& folded, const Edit& e, std::size_t split) {
  text.replace(e.offset, e.removed, e.inserted);
  const std::string_view view = text;
  split = std::min(split, text.size());
  folded.Replace(e.offset, e.removed, e.inserted.size(),
                 SplitText{view.substr(0, split), view.substr(split)});
}

std::string_view ViewOf(FoldedText& folded, const std::string& text) {
  return folded.View(SplitText{text, {}});
}

TEST(FoldedTextTest, EditsAtTheEdgesOfTwoByteCharacters) {
  const std::string a = Utf8ToCp932("ａ");  // 82 81: a trail byte that is also a lead byte
  const std::string alpha = Utf8ToCp932("α");
  const std::string ka = Utf8ToCp932("カ");  // 83 4A
  struct Case {
    const char* what;
    std::string text;
    Edit edit;
  };
  const Case cases[] = {
      {"typing a letter", "abc", {1, 0, "x"}},
      {"typing a full-width letter between two", a + a, {2, 0, a}},
      {"deleting a lead byte: its trail pairs with the next", a + a + "b", {0, 1, ""}},
      {"deleting a trail byte: the lead pairs with the next", a + "b" + a, {1, 1, ""}},
      {"inserting a lead byte before a letter", "xbc", {1, 0, "\x82"}},
      {"inserting a lone lead byte at the end", "xyz", {3, 0, "\x82"}},
      {"completing a lone lead byte at the end", "xyz\x82", {4, 0, "\x81"}},
      {"deleting the byte after a lone lead byte",
       "x\x82"
       "a",
       {2, 1, ""}},
      {"replacing the middle of a run of lead bytes", a + alpha + a + alpha, {3, 2, "q"}},
      {"replacing a selection with a two-byte character", "abc" + ka + "def", {2, 3, alpha}},
      {"deleting everything", a + "b", {0, 3, ""}},
      {"inserting into an empty text", "", {0, 0, a + "b"}},
      {"the same Roman numeral in its three spellings", "\xFA\x40\xEE\xEF\x87\x54", {2, 0, "\xFA"}},
  };
  for (const Case& c : cases) {
    for (std::size_t split : {std::size_t{0}, std::size_t{2}, std::string::npos}) {
      std::string text = c.text;
      FoldedText folded;
      ASSERT_EQ(ViewOf(folded, text), ToUpperCp932Copy(text)) << c.what;
      Apply(text, folded, c.edit, split);
      EXPECT_EQ(ViewOf(folded, text), ToUpperCp932Copy(text)) << c.what << ", split " << split;
    }
  }
}

TEST(FoldedTextTest, StaysRightThroughManyRandomEdits) {
  // Bytes that make cased pairs, lead bytes, trail bytes that look like letters and breaks.
  const std::string alphabet =
      "aZq\r\n \x82\x81\x60\x9a\x83\xbf\x9f\x84\x70\x4f\xfa\x40\x4a\xee\xef\x87\x54";
  std::mt19937 rng(7);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
  auto bytes = [&](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += alphabet[pick(alphabet.size() - 1)];
    return s;
  };
  std::string text = bytes(3000);
  FoldedText folded;
  ASSERT_EQ(ViewOf(folded, text), ToUpperCp932Copy(text));
  for (int round = 0; round < 3000; ++round) {
    const std::size_t offset = pick(text.size());
    const std::size_t removed = std::min(pick(6), text.size() - offset);
    Apply(text, folded, {offset, removed, bytes(pick(5))}, pick(text.size()));
    // Searches come now and then; the copy must be right whenever one looks.
    if (round % 7 == 0) {
      ASSERT_EQ(ViewOf(folded, text), ToUpperCp932Copy(text)) << round;
    }
  }
  EXPECT_EQ(ViewOf(folded, text), ToUpperCp932Copy(text));
}

TEST(FoldedTextTest, NothingIsKeptBeforeTheFirstViewAndAfterAWholeNewText) {
  std::string text(200000, 'a');
  FoldedText folded;
  Apply(text, folded, {0, 0, "b"}, 0);
  EXPECT_FALSE(folded.Built());
  EXPECT_EQ(ViewOf(folded, text), ToUpperCp932Copy(text));
  EXPECT_TRUE(folded.Built());
  // A replace-all sized change drops the copy; the next look folds the new text.
  Apply(text, folded, {0, text.size(), std::string(150000, 'c')}, 0);
  EXPECT_FALSE(folded.Built());
  EXPECT_EQ(ViewOf(folded, text), std::string(150000, 'C'));
  // A report that cannot belong to the copy is not trusted either.
  folded.Replace(0, 5, 0, SplitText{text, {}});
  EXPECT_FALSE(folded.Built());
}

}  // namespace
}  // namespace norra
