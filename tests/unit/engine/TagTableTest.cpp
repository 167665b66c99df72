// Tag table: records, rendering of examples with the symbols in force, tag lists per box.
#include "engine/TagTable.h"

#include <gtest/gtest.h>

#include "text/Encoding.h"

namespace norra {
namespace {

std::string Render(const TagTable& table, int index) {
  std::string out = "untouched";
  EXPECT_TRUE(table.RenderExample(index, out));
  return Cp932ToUtf8(out);
}

TEST(TagTableTest, RecordsHoldNamesClassesAndSymbols) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  const char* names[] = {"LITERAL", "STRS",   "STR",     "CHAR",   "NUM",      "INTO",
                         "ENDTO",   "REPEAT", "ENDREPEAT", "WHICH", "NOT",     "OUTFROM",
                         "FCOUNT",  "RCOUNT", "NOWF",    "BRACKET1", "BRACKET2"};
  const char* symbols[] = {"",    "*csv",  "*",    "?",      "#",     "into",  "/to", "repeat", "/repeat",
                           "which", "not", "from", "fcount", "rcount", "now", "[",   "]"};
  for (int i = 0; i < kTagCount; ++i) {
    const TagRecord* rec = table.Record(i);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->index, i);
    EXPECT_EQ(rec->name, names[i]);
    EXPECT_EQ(rec->symbol, symbols[i]);
    TagClass expected = (i == 0 || i >= 15) ? TagClass::Structural
                        : (i <= 10)         ? TagClass::Find
                                            : TagClass::Replace;
    EXPECT_EQ(rec->tagClass, expected) << i;
    EXPECT_FALSE(rec->description.empty());
  }
  EXPECT_EQ(table.Record(2)->description, "任意長(0～∞)の文字列をﾋｯﾄ");
  EXPECT_EQ(table.Record(-1), nullptr);
  EXPECT_EQ(table.Record(17), nullptr);
  EXPECT_EQ(table.BuiltInSymbols()[TAG_NOWF], "now");
}

TEST(TagTableTest, ExamplesRenderWithBuiltInSymbols) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  EXPECT_EQ(Render(table, 0), "山田太郎");
  EXPECT_EQ(Render(table, 1), "氏名:[*csv]住所:[*csv]TEL:");
  EXPECT_EQ(Render(table, 3), "山田太郎、山田[?]郎、山[?]三郎、山田四郎");
  EXPECT_EQ(Render(table, 5), "初めまして、[into a][*][/to]です。( a に保存)");
  EXPECT_EQ(Render(table, 6), "( into の用例で使用)");  // the symbol of tag 5, bare
  EXPECT_EQ(Render(table, 7), "代金は、[repeat 3][#][/repeat]円です(3桁以上の数字)");
  EXPECT_EQ(Render(table, 11), "これは、[from a]さんへの返信です(検索ﾀｸﾞ into 参照)");
  EXPECT_EQ(Render(table, 12), "Text[fcount].Text = \"[fcount]番目のデータ\"");
  EXPECT_EQ(Render(table, 14), "送信日時 : [now[yyyy/mm/dd hh:nn]]");
  EXPECT_EQ(Render(table, 16), "(他のﾀｸﾞの用例で使用)");
}

TEST(TagTableTest, ExamplesFollowTheSymbolsInForce) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  TagSymbols symbols = table.BuiltInSymbols();
  table.AttachSymbols(&symbols);

  symbols[TAG_BRACKET1] = "(";
  symbols[TAG_BRACKET2] = ")";
  EXPECT_EQ(Render(table, 9), "(which(青森)(秋田)(岩手))県");

  symbols[TAG_BRACKET1] = "[";
  symbols[TAG_BRACKET2] = "]";
  symbols[TAG_STR] = "%%";
  EXPECT_EQ(Render(table, 2), "1997年の出来事 : [%%](時事)");
  EXPECT_EQ(Render(table, 7), "代金は、[repeat 3][#][/repeat]円です(3桁以上の数字)");

  // A double-byte bracket pair is taken as it is.
  symbols[TAG_BRACKET1] = Utf8ToCp932("｢");
  symbols[TAG_BRACKET2] = Utf8ToCp932("｣");
  EXPECT_EQ(Render(table, 4), "その1、その｢#｣、その｢#｣、その4");
}

TEST(TagTableTest, RenderOutsideTheTableFailsAndLeavesOutputAlone) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  for (int index : {-1, 17, 1000}) {
    std::string out = "kept";
    EXPECT_FALSE(table.RenderExample(index, out));
    EXPECT_EQ(out, "kept");
  }
}

TEST(TagTableTest, BoxesListTheirClassAndTheBrackets) {
  TagTable table;
  ASSERT_TRUE(table.Build());
  EXPECT_EQ(table.TagsForBox(TagClass::Find),
            (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 16}));
  EXPECT_EQ(table.TagsForBox(TagClass::Replace), (std::vector<int>{11, 12, 13, 14, 15, 16}));
}

}  // namespace
}  // namespace norra
