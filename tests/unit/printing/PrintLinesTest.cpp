// Splitting text into print lines: columns, the two-byte rule, tabs, long and empty lines.
#include <gtest/gtest.h>

#include <string>

#include "printing/PrintLines.h"
#include "text/Encoding.h"

namespace norra {
namespace {

// The print lines joined by "|", in UTF-8.
std::string Split(const std::string& utf8, int columns, int tabWidth = 4) {
  PrintLines lines;
  lines.Split(Utf8ToCp932(utf8), columns, tabWidth);
  std::string joined;
  for (std::size_t i = 0; i < lines.Count(); ++i) {
    if (i > 0) joined += '|';
    joined += Cp932ToUtf8(lines.Line(i));
  }
  return joined;
}

TEST(PrintLinesTest, Table) {
  struct Case {
    const char* text;
    int columns;
    const char* expected;
  };
  const std::string eighty(80, 'x');
  const Case cases[] = {
      {"abc", 80, "abc"},
      {"abc\r\n", 80, "abc"},
      {"\r\n", 80, ""},
      {"a\r\n\r\nb", 80, "a||b"},
      {"a\r\n\r\n", 80, "a|"},
      {"abcdefg", 3, "abc|def|g"},
      {"abcdef", 3, "abc|def"},
      // A two-byte character that would end past the column moves to the next line.
      {"abあい", 3, "ab|あ|い"},
      {"aあ", 2, "a|あ"},
      {"ああ", 3, "あ|あ"},
      {"ｱｲｳｴ", 3, "ｱｲｳ|ｴ"},  // half-width katakana are one byte
      // Tabs fill to the next stop (4 here), and a stop past the line's end ends there.
      {"\tx", 80, "    x"},
      {"ab\tc", 80, "ab  c"},
      {"abc\td", 5, "abc d"},
      {"abcd\tx", 6, "abcd  |x"},
      {"abcde\tf", 5, "abcde|    f"},
      // The line-break rules: no print line begins with 。 or a small kana, none ends with 「,
      // and a run they cannot break is cut where it overflows.
      {"あいう。え", 6, "あい|う。え"},
      {"ああっ", 4, "あ|あっ"},
      {"ab「cd", 3, "ab|「c|d"},
      {"。。。", 4, "。。|。"},
      // Lone CR or LF are no line breaks.
      {"a\nb\rc", 80, "a\nb\rc"},
  };
  for (const Case& c : cases) EXPECT_EQ(Split(c.text, c.columns), c.expected) << c.text;
}

TEST(PrintLinesTest, EightyOneBytesAtEightyColumns) {
  EXPECT_EQ(Split(std::string(81, 'x'), 80), std::string(80, 'x') + "|x");
  // Byte 80 starts a two-byte character: 79 bytes, then the character.
  EXPECT_EQ(Split(std::string(79, 'x') + "あ", 80), std::string(79, 'x') + "|あ");
}

TEST(PrintLinesTest, ALongLineBecomesManyAndColumnsBelowTwoCountAsTwo) {
  PrintLines lines;
  lines.Split(std::string(1000000, 'y') + "\r\nz", 100, 8);
  ASSERT_EQ(lines.Count(), 10001u);
  EXPECT_EQ(lines.Line(9999), std::string(100, 'y'));
  EXPECT_EQ(lines.Line(10000), "z");
  EXPECT_EQ(Split("abcde", 0), "ab|cd|e");
}

}  // namespace
}  // namespace norra
