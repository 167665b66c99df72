// Tests of the small text helpers shared across layers: ASCII case, strict UTF-8 decoding,
// percent and HTML escaping.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "text/AsciiCase.h"
#include "text/Escape.h"
#include "text/Utf8.h"

namespace norra {
namespace {

TEST(AsciiCaseTest, FoldsOnlyAsciiLetters) {
  // CP932 "Ａ" (0x82 0x60) and UTF-8 "é" keep their bytes; so do digits and punctuation.
  const std::string mixed = "aZ09_\x82\x60\xC3\xA9[`{@";
  EXPECT_EQ(AsciiUppered(mixed), "AZ09_\x82\x60\xC3\xA9[`{@");
  EXPECT_EQ(AsciiLowered(mixed), "az09_\x82\x60\xC3\xA9[`{@");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Norra.INI", "norra.ini"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("a", "ab"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));  // 0x5B and 0x7B differ by the case bit only
  EXPECT_TRUE(EndsWithIgnoringAsciiCase("x.Ini", ".INI"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("INI", ".INI"));
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("am/pm", "AM/PM"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("A/", "A/P"));
}

TEST(Utf8Test, DecodesStrictly) {
  struct Case {
    std::string_view bytes;
    int length;  // 0: malformed
    char32_t cp;
  };
  const Case cases[] = {
      {"A", 1, U'A'},
      {"\xC3\xA9", 2, U'é'},
      {"\xE3\x81\x82", 3, U'あ'},
      {"\xF0\x9F\x98\x80", 4, U'\U0001F600'},
      {"\xEF\xBF\xBF", 3, U'\uFFFF'},
      {"\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
      {"\x80", 0, 0},                  // a continuation byte alone
      {"\xC0\xAF", 0, 0},              // overlong "/"
      {"\xC1\xBF", 0, 0},              // overlong
      {"\xE0\x9F\xBF", 0, 0},          // overlong three bytes
      {"\xED\xA0\x80", 0, 0},          // a surrogate
      {"\xF0\x8F\xBF\xBF", 0, 0},      // overlong four bytes
      {"\xF4\x90\x80\x80", 0, 0},      // past U+10FFFF
      {"\xF5\x80\x80\x80", 0, 0},      // no such lead byte
      {"\xE3\x81", 0, 0},              // cut short
      {"\xC3\x41", 0, 0},              // not followed by a continuation byte
  };
  for (const Case& c : cases) {
    char32_t cp = 0;
    const int length = DecodeUtf8(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), cp);
    EXPECT_EQ(length, c.length) << testing::PrintToString(std::string(c.bytes));
    if (c.length > 0) {
      EXPECT_EQ(cp, c.cp);
    }
  }
}

TEST(EscapeTest, PercentEncodesAllButUnreservedAndTheNamedOnes) {
  std::string out;
  AppendPercentEncoded(out, "/a b-c~._%\xE3\x81\x82", "/-");
  EXPECT_EQ(out, "/a%20b-c~._%25%E3%81%82");
  out.clear();
  AppendPercentEncoded(out, "a-b/c");
  EXPECT_EQ(out, "a%2Db%2Fc");
}

TEST(EscapeTest, HtmlEscapesTheFourSpecials) {
  std::string out = "<p>";
  AppendEscapedHtml(out, "a&b<c>d\"e'f");
  EXPECT_EQ(out, "<p>a&amp;b&lt;c&gt;d&quot;e'f");
}

}  // namespace
}  // namespace norra
