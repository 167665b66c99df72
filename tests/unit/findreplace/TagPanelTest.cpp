// The tag panel, the insertion of tags at a box's caret and the boxes' clipboard menu.
#include <gtest/gtest.h>

#include "findreplace/TagInsertion.h"
#include "findreplace/TagPanel.h"
#include "findreplace/TextBoxClipboard.h"
#include "platform/MemoryClipboard.h"
#include "platform/MemoryTextControl.h"
#include "text/Encoding.h"

namespace norra {
namespace {

using Texts = std::vector<std::string>;

// Text and selection in one string: "ab|c" a caret, "a<bc>d" a selection. Tag brackets keep
// their usual look this way.
void SetMarked(MemoryTextControl& box, std::string_view notation) {
  std::string text;
  std::size_t start = 0;
  std::size_t end = std::string::npos;
  for (char c : notation) {
    if (c == '|' || c == '<') {
      start = text.size();
    } else if (c == '>') {
      end = text.size();
    } else {
      text += c;
    }
  }
  box.SetText(Utf8ToCp932(text));
  start = Utf8ToCp932(text.substr(0, start)).size();
  box.SetSelection(start,
                   end == std::string::npos ? 0 : Utf8ToCp932(text.substr(0, end)).size() - start);
}

std::string Marked(const MemoryTextControl& box) {
  const std::string text = box.Text();
  const std::size_t start = box.SelStart();
  const std::size_t end = start + box.SelLength();
  const std::string head = Cp932ToUtf8(text.substr(0, start));
  if (start == end) return head + "|" + Cp932ToUtf8(text.substr(start));
  return head + "<" + Cp932ToUtf8(text.substr(start, end - start)) + ">" +
         Cp932ToUtf8(text.substr(end));
}

TEST(TagPanelTest, ListsTheTagsOfTheBoxWithTheSymbolsInForce) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  TagSymbols symbols = table.BuiltInSymbols();
  symbols[TAG_BRACKET1] = "(";
  symbols[TAG_BRACKET2] = ")";
  symbols[TAG_STR] = "%%";
  table.AttachSymbols(&symbols);

  TagPanel panel(table);
  EXPECT_EQ(panel.Mode(), TagPanelMode::Closed);
  panel.Open(TagClass::Find);
  EXPECT_EQ(panel.Mode(), TagPanelMode::FindTags);
  EXPECT_EQ(panel.Caption(), "◆検索ﾀｸﾞ");
  EXPECT_EQ(panel.TagIndexes(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 16}));
  EXPECT_EQ(panel.Rows(), (Texts{"*csv", "%%", "?", "#", "into", "/to", "repeat", "/repeat",
                                 "which", "not", "(", ")"}));
  EXPECT_EQ(panel.SelectedRow(), 0);
  EXPECT_EQ(Cp932ToUtf8(panel.Sample()), "氏名:(*csv)住所:(*csv)TEL:");
  panel.SelectRow(8);
  EXPECT_EQ(panel.Sample().substr(0, 7), "(which(");
  panel.SelectRow(99);  // ignored
  EXPECT_EQ(panel.SelectedRow(), 8);

  panel.Open(TagClass::Replace);
  EXPECT_EQ(panel.Caption(), "◆置換ﾀｸﾞ");
  EXPECT_EQ(panel.Rows(), (Texts{"from", "fcount", "rcount", "now", "(", ")"}));
  EXPECT_EQ(panel.SelectedRow(), 0);

  // A symbol changed while the panel is closed shows at the next opening.
  panel.Close();
  symbols[TAG_OUTFROM] = "out";
  panel.Open(TagClass::Replace);
  EXPECT_EQ(panel.Rows().front(), "out");

  MemoryTextControl box;
  panel.Close();
  EXPECT_FALSE(panel.InsertRow(0, box));  // only while open
  EXPECT_EQ(panel.Caption(), "");
}

TEST(TagPanelTest, InsertionsWithTheBuiltInAndChangedSymbols) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  const TagSymbols builtIn = table.BuiltInSymbols();
  TagSymbols round = builtIn;
  round[TAG_BRACKET1] = "(";
  round[TAG_BRACKET2] = ")";
  TagSymbols wide = builtIn;        // two-byte brackets and a longer symbol
  wide[TAG_BRACKET1] = "\x81\x79";  // 【
  wide[TAG_BRACKET2] = "\x81\x7a";  // 】
  wide[TAG_REPEAT] = "rep";

  // Box before, tag, box after (see SetMarked).
  const struct {
    const TagSymbols& symbols;
    const char* before;
    int tag;
    const char* after;
  } cases[] = {
      {builtIn, "|", TAG_REPEAT, "[repeat < >][/repeat]"},
      {builtIn, "|", TAG_WHICH, "[which[|][]]"},
      {builtIn, "|", TAG_NOT, "[not[|][]]"},
      {builtIn, "a|b", TAG_STR, "a[*]|b"},
      {builtIn, "find <word> here", TAG_STR, "find [*]| here"},
      {builtIn, "|", TAG_STRS, "[*csv]|"},
      {builtIn, "|", TAG_ENDREPEAT, "[/repeat]|"},
      {builtIn, "x|", TAG_INTO, "x[into < >][/to]"},
      {builtIn, "|", TAG_OUTFROM, "[from < >]"},
      {builtIn, "|", TAG_FCOUNT, "[fcount]|"},
      {builtIn, "|", TAG_NOWF, "[now[|]]"},
      {builtIn, "a|", TAG_BRACKET1, "a[|"},
      {builtIn, "a|", TAG_BRACKET2, "a]|"},
      {round, "|", TAG_WHICH, "(which(|)())"},
      {round, "|", TAG_REPEAT, "(repeat < >)(/repeat)"},
  };
  for (const auto& c : cases) {
    MemoryTextControl box;
    SetMarked(box, c.before);
    ASSERT_TRUE(InsertTag(box, c.tag, c.symbols)) << c.before << " " << c.tag;
    EXPECT_EQ(Marked(box), c.after) << c.tag;
  }
  // Two-byte brackets: the caret lands after whole characters.
  MemoryTextControl box;
  ASSERT_TRUE(InsertTag(box, TAG_REPEAT, wide));
  EXPECT_EQ(box.Text(), "\x81\x79rep  \x81\x7a\x81\x79/repeat\x81\x7a");
  EXPECT_EQ(box.SelStart(), 6u);
  EXPECT_EQ(box.SelLength(), 1u);

  EXPECT_FALSE(PlanTagInsertion(0, builtIn));
  EXPECT_FALSE(PlanTagInsertion(17, builtIn));
  MemoryTextControl refusing("abc");
  refusing.SetFailEdits(true);
  EXPECT_FALSE(InsertTag(refusing, TAG_STR, builtIn));
  EXPECT_EQ(refusing.Text(), "abc");
}

TEST(TagPanelTest, InsertingFromThePanelLeavesTheClipboardAlone) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  TagPanel panel(table);
  panel.Open(TagClass::Find);
  MemoryTextControl box;
  SetMarked(box, "<old>");
  ASSERT_TRUE(panel.InsertRow(2, box));  // the third row: CHAR
  EXPECT_EQ(Marked(box), "[?]|");
  EXPECT_FALSE(panel.InsertRow(12, box));
}

TEST(TagPanelTest, ClipboardMenuOfTheBoxes) {
  // Box (see SetMarked), clipboard text ("-" for none): enabled items, then each action.
  const struct {
    const char* box;
    const char* clip;
    ClipboardMenuState state;  // cut, copy, paste, select all
  } menus[] = {
      {"|", "-", {false, false, false, false}},
      {"ab|", "", {false, false, true, true}},
      {"a<b>", "x", {true, true, true, true}},
  };
  for (const auto& m : menus) {
    MemoryTextControl box;
    SetMarked(box, m.box);
    MemoryClipboard clipboard;
    if (std::string(m.clip) != "-") clipboard.SetText(m.clip);
    EXPECT_EQ(TextBoxClipboard::MenuState(box, clipboard), m.state) << m.box << m.clip;
  }

  MemoryTextControl box;
  MemoryClipboard clipboard;
  SetMarked(box, "ab<cd>ef");
  ASSERT_TRUE(TextBoxClipboard::Copy(box, clipboard));
  EXPECT_EQ(clipboard.GetText(), "cd");
  EXPECT_EQ(Marked(box), "ab<cd>ef");
  ASSERT_TRUE(TextBoxClipboard::Cut(box, clipboard));
  EXPECT_EQ(Marked(box), "ab|ef");
  EXPECT_FALSE(TextBoxClipboard::Cut(box, clipboard));  // no selection: nothing
  EXPECT_FALSE(TextBoxClipboard::Copy(box, clipboard));
  EXPECT_EQ(clipboard.GetText(), "cd");
  ASSERT_TRUE(TextBoxClipboard::Paste(box, clipboard));
  EXPECT_EQ(Marked(box), "abcd|ef");
  TextBoxClipboard::SelectAll(box);
  EXPECT_EQ(Marked(box), "<abcdef>");
  clipboard.SetText("");
  EXPECT_FALSE(TextBoxClipboard::Paste(box, clipboard));
  EXPECT_EQ(box.Text(), "abcdef");
}

}  // namespace
}  // namespace norra
