// Encodings of searched files: the detection table, byte-exact EUC-JP held in UTF-8, a
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

TEST(SearchFileTextTest, DetectionDecidesEachEncoding) {
  struct Case {
    std::string bytes;
    FileEncoding expected;
  } const cases[] = {
      {"", FileEncoding::Cp932},
      {"plain ASCII\r\n", FileEncoding::Cp932},
      {"\xEF\xBB\xBF", FileEncoding::Utf8},
      {"\xEF\xBB\xBF\x82\xA0", FileEncoding::Utf8},  // a mark decides, whatever follows
      {"日本語のテキスト😀", FileEncoding::Utf8},
      {"x\xC3\xA9", FileEncoding::Utf8},
      {Utf8ToCp932("日本語のテキスト、ｶﾅ"), FileEncoding::Cp932},
      {Utf8ToCp932("ｱｲｳｴｵｶｷｸｹｺ"), FileEncoding::Cp932},
      {kEuc, FileEncoding::EucJp},
      {"\xA4\xA2", FileEncoding::EucJp},  // "あ": also two half-width kana in CP932
      {"\xA4\xA2\x85", FileEncoding::Cp932},  // no EUC-JP
      {"\xFE\xFE\xA4\xA2", FileEncoding::EucJp},  // no CP932
      {"abc\xE9", FileEncoding::Cp932},  // a cut-off UTF-8 sequence
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectFileEncoding(c.bytes), c.expected) << c.bytes;
  }
}

// The block check of long texts takes exactly what the one-character decoder takes, at every
// place a malformed sequence may stand in or across sixteen-byte blocks.
TEST(SearchFileTextTest, LongTextsAreUtf8ExactlyWhenEveryCharacterIs) {
  static const char* pieces[] = {"a", "\r\n", "é", "あ", "😀", "\xEF\xBC\x90", "\xF4\x8F\xBF\xBF",
                                 "\xED\x9F\xBF", "\xEE\x80\x80", "\xC2\x80"};
  static const char* wrong[] = {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                "\xF0\x80\x80\x80", "\x80", "\xBF", "\xE3\x81", "\xF0\x9F\x98",
                                "\xC3", "\xF5\x80\x80\x80", "\xFF", "\xE3\x81\x82\x82"};
  std::mt19937 rng(18);
  int utf8 = 0;
  int other = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t size = 64 + rng() % 200;
    while (text.size() < size) text += pieces[rng() % std::size(pieces)];
    if (round % 3 != 0) {
      const std::string bad = wrong[rng() % std::size(wrong)];
      text.insert(rng() % (text.size() + 1), bad);
    }
    const bool expected = IsValidUtf8(text) && text.find_first_of("\x80\xC2\xC3\xE3\xED\xEE\xEF\xF0\xF4", 0) != std::string::npos;
    const bool isUtf8 = DetectFileEncoding(text) == FileEncoding::Utf8;
    ASSERT_EQ(isUtf8, expected) << round;
    (isUtf8 ? utf8 : other) += 1;
  }
  EXPECT_GT(utf8, 900);
  EXPECT_GT(other, 900);
}

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
  EXPECT_EQ(file.Encoding(), FileEncoding::Utf8);
  EXPECT_EQ(file.TextCharset(), Charset::Utf8);
  EXPECT_EQ(file.Text(), "あa");
  std::string out;
  std::string notHeld;
  ASSERT_TRUE(file.ToFileBytes("い😀", out, notHeld));
  EXPECT_EQ(out, "\xEF\xBB\xBFい😀");

  file.Hold(kEuc, EncodingChoice::Auto);
  EXPECT_EQ(file.Encoding(), FileEncoding::EucJp);
  EXPECT_TRUE(file.Converted());
  EXPECT_EQ(file.Text(), "日本語のテキスト、ｶﾅ");
  EXPECT_FALSE(file.ToFileBytes("日本😀語①😀", out, notHeld));
  EXPECT_EQ(notHeld, "😀①");
  notHeld.clear();
  ASSERT_TRUE(file.ToFileBytes("日本語のテキスト、ｶﾅ", out, notHeld));
  EXPECT_EQ(out, kEuc);

  // A named encoding is taken whatever the bytes look like.
  file.Hold(kEuc, EncodingChoice::Cp932);
  EXPECT_EQ(file.Encoding(), FileEncoding::Cp932);
  EXPECT_EQ(file.Text(), kEuc);
}

}  // namespace
}  // namespace norra
