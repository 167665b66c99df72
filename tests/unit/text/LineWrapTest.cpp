// Line-break rules: which characters may begin or end a wrapped line, widths, and where lines
// of CP932 and UTF-8 text wrap.
#include "text/LineWrap.h"

#include <gtest/gtest.h>

#include <string>

#include "text/Encoding.h"

namespace norra {
namespace {

char32_t First(const std::string& utf8) {
  int length = 0;
  return CodePointAt(Charset::Utf8, utf8, 0, length);
}

// One row per character: may a wrapped line begin with it, may one end with it.
TEST(LineWrapTest, WhichCharactersMayBeginOrEndAWrappedLine) {
  struct Row {
    const char* character;
    bool mayBegin;
    bool mayEnd;
  };
  const Row rows[] = {
      {"、", false, true}, {"。", false, true}, {"，", false, true}, {"．", false, true},
      {"）", false, true}, {"」", false, true}, {"』", false, true}, {"】", false, true},
      {"〕", false, true}, {"！", false, true}, {"？", false, true}, {"ー", false, true},
      {"ぁ", false, true}, {"ぃ", false, true}, {"ぅ", false, true}, {"ぇ", false, true},
      {"ぉ", false, true}, {"っ", false, true}, {"ゃ", false, true}, {"ゅ", false, true},
      {"ょ", false, true}, {"ゎ", false, true}, {"ァ", false, true}, {"ィ", false, true},
      {"ゥ", false, true}, {"ェ", false, true}, {"ォ", false, true}, {"ッ", false, true},
      {"ャ", false, true}, {"ュ", false, true}, {"ョ", false, true}, {"ヮ", false, true},
      {"ヵ", false, true}, {"ヶ", false, true}, {"ｧ", false, true}, {"ｯ", false, true},
      {"ｬ", false, true}, {"｡", false, true}, {"､", false, true}, {"｣", false, true},
      {"（", true, false}, {"「", true, false}, {"『", true, false}, {"【", true, false},
      {"〔", true, false}, {"｢", true, false},
      {"あ", true, true}, {"ア", true, true}, {"ｱ", true, true}, {"漢", true, true},
      {"a", true, true}, {"　", true, true}, {"つ", true, true}, {"ツ", true, true},
  };
  for (const Row& row : rows) {
    const char32_t c = First(row.character);
    EXPECT_EQ(MayBeginWrappedLine(c), row.mayBegin) << row.character;
    EXPECT_EQ(MayEndWrappedLine(c), row.mayEnd) << row.character;
  }
}

TEST(LineWrapTest, ColumnsCountFullWidthAsTwo) {
  EXPECT_EQ(ColumnsOf(U'a'), 1);
  EXPECT_EQ(ColumnsOf(U'ｱ'), 1);
  EXPECT_EQ(ColumnsOf(U'あ'), 2);
  EXPECT_EQ(ColumnsOf(U'　'), 2);
  EXPECT_EQ(ColumnsOf(U'α'), 2);    // two bytes in CP932
  EXPECT_EQ(ColumnsOf(U'한'), 2);   // not in CP932, wide
  EXPECT_EQ(ColumnsOf(U'é'), 1);    // not in CP932, narrow
}

// The wrapped lines joined by "|"; the same text in CP932 and in UTF-8 wraps alike.
std::string Wrap(const std::string& utf8, int columns) {
  std::string joined[2];
  const Charset charsets[] = {Charset::Cp932, Charset::Utf8};
  for (int k = 0; k < 2; ++k) {
    const std::string text = charsets[k] == Charset::Cp932 ? Utf8ToCp932(utf8) : utf8;
    std::size_t from = 0;
    for (std::size_t at : WrapPoints(charsets[k], text, columns, 4)) {
      joined[k] += text.substr(from, at - from) + "|";
      from = at;
    }
    joined[k] += text.substr(from);
    if (charsets[k] == Charset::Cp932) joined[k] = Cp932ToUtf8(joined[k]);
  }
  EXPECT_EQ(joined[0], joined[1]) << utf8;
  return joined[1];
}

TEST(LineWrapTest, WhereLinesWrap) {
  struct Case {
    const char* text;
    int columns;
    const char* expected;
  };
  const Case cases[] = {
      {"", 4, ""},
      {"あいう", 6, "あいう"},
      {"あいうえお", 4, "あい|うえ|お"},
      {"abcdef", 4, "abcd|ef"},
      {"abあい", 3, "ab|あ|い"},
      // A line does not begin with 。 or a small kana: the character before goes along.
      {"あい。うえ", 4, "あ|い。|うえ"},
      {"あいっう", 4, "あ|いっ|う"},
      {"ｱｲｳｯｴ", 3, "ｱｲ|ｳｯｴ"},
      // Nor ends with an opening bracket, which moves to the next line.
      {"あ「いう」", 4, "あ|「い|う」"},
      {"あい「う", 6, "あい|「う"},
      // Both rules at once.
      {"あ」「い", 4, "あ」|「い"},
      // A run the rules cannot break is broken where it overflows.
      {"。。。。。", 4, "。。|。。|。"},
      {"「「「「", 4, "「「|「「"},
      // Tabs: to the next stop, never past the width; at a full line the tab moves on.
      {"a\tb", 8, "a\tb"},
      {"abcde\tf", 5, "abcde|\tf"},
      {"abcd\tx", 6, "abcd\t|x"},
  };
  for (const Case& c : cases) EXPECT_EQ(Wrap(c.text, c.columns), c.expected) << c.text;
}

}  // namespace
}  // namespace norra
