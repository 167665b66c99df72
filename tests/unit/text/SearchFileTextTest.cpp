// Encodings of searched files: byte-exact EUC-JP held in UTF-8, a
// byte-order mark kept, and characters an encoding cannot hold named.
#include "text/SearchFileText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/Encoding.h"

namespace norra {
namespace {

// "日本語のテキスト、ｶﾅ" in EUC-JP.
const std::string kEuc =
    "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8\xA1\xA2\x8E\xB6\x8E\xC5";

TEST(SearchFileTextTest, ChoicesAreParsedByName) {
  EncodingChoice choice{};
  struct Case {
    const char* name;
    EncodingChoice expected;
  } const cases[] = {{"auto", EncodingChoice::Auto},   {"CP932", EncodingChoice::Cp932},
                     {"sjis", EncodingChoice::Cp932},  {"utf-8", EncodingChoice::Utf8},
                     {"UTF8", EncodingChoice::Utf8},   {"euc-jp", EncodingChoice::EucJp}};
  for (const Case& c : cases) {
    ASSERT_TRUE(ParseEncodingChoice(c.name, choice)) << c.name;
    EXPECT_EQ(choice, c.expected) << c.name;
  }
  EXPECT_FALSE(ParseEncodingChoice("latin1", choice));
}

// Every byte sequence comes back as it was, valid EUC-JP or not.
TEST(SearchFileTextTest, EucJpHeldInUtf8ComesBackByteForByte) {
  const std::string samples[] = {
      kEuc,
      kEuc + "\r\nabc\xA4",      // a cut-off character at the end
      "\x8F\xB0\xA1\x8E\xE0\xFF\x80\xA1\x41",  // JIS X 0212, and bytes no character takes
  };
  for (const std::string& bytes : samples) {
    const std::string held = EucJpToUtf8(bytes);
    EXPECT_TRUE(IsValidUtf8(held));
    std::string back;
    std::string notHeld;
    ASSERT_TRUE(Utf8ToEucJp(held, back, notHeld)) << notHeld;
    EXPECT_EQ(back, bytes);
  }
  EXPECT_EQ(EucJpToUtf8(kEuc), "日本語のテキスト、ｶﾅ");
  // Every two-byte code whose character converts back is held as that character.
  int characters = 0;
  for (unsigned a = 0xA1; a <= 0xFE; ++a) {
    for (unsigned b = 0xA1; b <= 0xFE; ++b) {
      const std::string bytes = {static_cast<char>(a), static_cast<char>(b)};
      const std::string held = EucJpToUtf8(bytes);
      std::string back;
      std::string notHeld;
      ASSERT_TRUE(Utf8ToEucJp(held, back, notHeld));
      ASSERT_EQ(back, bytes);
      if (held.size() <= 3) ++characters;
    }
  }
  EXPECT_GT(characters, 6800);  // JIS X 0208
}

TEST(SearchFileTextTest, HoldingKeepsTheMarkAndConvertsBack) {
  SearchFileText file;
  const std::string utf8 = "\xEF\xBB\xBFあa";
  file.Hold(utf8, EncodingChoice::Auto);
  EXPECT_EQ(file.Encoding(), FileCharset::Utf8);
  EXPECT_EQ(file.TextCharset(), Charset::Utf8);
  EXPECT_EQ(file.Text(), "あa");
  std::string out;
  std::string notHeld;
  ASSERT_TRUE(file.ToFileBytes("い😀", out, notHeld));
  EXPECT_EQ(out, "\xEF\xBB\xBFい😀");

  file.Hold(kEuc, EncodingChoice::Auto);
  EXPECT_EQ(file.Encoding(), FileCharset::EucJp);
  EXPECT_TRUE(file.Converted());
  EXPECT_EQ(file.Text(), "日本語のテキスト、ｶﾅ");
  EXPECT_FALSE(file.ToFileBytes("日本😀語①😀", out, notHeld));
  EXPECT_EQ(notHeld, "😀①");
  notHeld.clear();
  ASSERT_TRUE(file.ToFileBytes("日本語のテキスト、ｶﾅ", out, notHeld));
  EXPECT_EQ(out, kEuc);

  // A named encoding is taken whatever the bytes look like.
  file.Hold(kEuc, EncodingChoice::Cp932);
  EXPECT_EQ(file.Encoding(), FileCharset::Cp932);
  EXPECT_EQ(file.Text(), kEuc);
}

}  // namespace
}  // namespace norra
