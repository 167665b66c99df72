// Tests of CP932 case mapping: which characters fold, lengths kept, trail bytes untouched.
#include "text/CaseMap.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cwctype>
#include <map>
#include <random>
#include <string>

#include "text/Cp932.h"

#include "text/Encoding.h"

namespace norra {
namespace {

std::string Pair(unsigned code) {
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

std::string Hex(const std::string& bytes) {
  std::string s;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    s += buf;
  }
  return s;
}

// Switches LC_CTYPE to a UTF-8 locale for the C library's wide-character case tables.
class Utf8Ctype {
 public:
  Utf8Ctype() : old_(std::setlocale(LC_CTYPE, nullptr)) {
    ok_ = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
  }
  ~Utf8Ctype() { std::setlocale(LC_CTYPE, old_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string old_;
  bool ok_ = false;
};

TEST(CaseMapTest, AsciiLettersFoldAtEveryAlignment) {
  std::string all;
  for (int c = 0; c < 128; ++c) all.push_back(static_cast<char>(c));
  for (std::size_t shift = 0; shift < 9; ++shift) {
    const std::string text = std::string(shift, '.') + all + all;
    std::string upper = text;
    std::string lower = text;
    ToUpperCp932(upper);
    ToLowerCp932(lower);
    ASSERT_EQ(upper.size(), text.size());
    ASSERT_EQ(lower.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      EXPECT_EQ(upper[i], c >= 'a' && c <= 'z' ? c - 32 : c) << shift << " " << i;
      EXPECT_EQ(lower[i], c >= 'A' && c <= 'Z' ? c + 32 : c) << shift << " " << i;
    }
  }
}

TEST(CaseMapTest, FullWidthGreekCyrillicAndRomanNumeralsFold) {
  const std::string lowerUtf8 =
      "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"
      "αβγδεζηθικλμνξοπρστυφχψω"
      "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"
      "ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹ";
  const std::string upperUtf8 =
      "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
      "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"
      "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
      "ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ";
  const std::string lower = Utf8ToCp932(lowerUtf8);
  const std::string upper = Utf8ToCp932(upperUtf8);
  ASSERT_EQ(lower.size(), (26 + 24 + 33 + 10) * 2u);
  EXPECT_EQ(Cp932ToUtf8(ToUpperCp932(std::string_view(lower))), upperUtf8);
  EXPECT_EQ(Cp932ToUtf8(ToLowerCp932(std::string_view(upper))), lowerUtf8);

  // Both encodings of each Roman numeral fold to one: Ⅰ-Ⅹ at 0x8754, ⅰ-ⅹ at 0xFA40.
  for (unsigned i = 0; i < 10; ++i) {
    for (unsigned code : {0x8754 + i, 0xFA4A + i, 0xFA40 + i, 0xEEEF + i}) {
      EXPECT_EQ(Hex(ToUpperCp932Copy(Pair(code))), Hex(Pair(0x8754 + i)));
      EXPECT_EQ(Hex(ToLowerCp932Copy(Pair(code))), Hex(Pair(0xFA40 + i)));
    }
  }
  // Kana, katakana and kanji stay.
  const std::string kana = Utf8ToCp932("あアｱ漢字ー・");
  EXPECT_EQ(ToUpperCp932Copy(kana), kana);
  EXPECT_EQ(ToLowerCp932Copy(kana), kana);
}

TEST(CaseMapTest, TrailBytesAreNeverTakenForLetters) {
  EXPECT_EQ(ToUpperCp932Copy("\x82" "a"), "\x82" "a");  // Ｂ stays: its trail byte is 'a'
  EXPECT_EQ(ToLowerCp932Copy("\x82" "a"), "\x82\x82");  // Ｂ → ｂ
  EXPECT_EQ(ToUpperCp932Copy("\x81" "a"), "\x81" "a");  // ∥
  EXPECT_EQ(ToLowerCp932Copy("\x83" "A"), "\x83" "A");  // ャ
  EXPECT_EQ(ToUpperCp932Copy("\x85" "abc"), "\x85" "aBC");  // lead of an empty row still pairs
  EXPECT_EQ(ToUpperCp932Copy("abc\x82"), "ABC\x82");   // lead byte at the end
  EXPECT_EQ(ToUpperCp932Copy("abcdefg\x82" "abcdefgh"), "ABCDEFG\x82" "aBCDEFGH");

  std::string text = "x";
  for (int i = 0; i < 40; ++i) text += "\x8A" "a";  // 海-like pairs whose trail is 'a'
  std::string expected = "X";
  for (int i = 0; i < 40; ++i) expected += "\x8A" "a";
  EXPECT_EQ(ToUpperCp932Copy(text), expected);

  const std::string original = "mixed ａ text";
  const std::string copy = ToUpperCp932(original);  // const input: the value form
  EXPECT_EQ(original, "mixed ａ text");
  EXPECT_EQ(Cp932ToUtf8(ToUpperCp932Copy(Utf8ToCp932(original))), "MIXED Ａ TEXT");
  EXPECT_EQ(copy, ToUpperCp932Copy(original));
}

// Long texts go through a faster path than single characters; both must step alike. Runs of
// lead-range bytes of every length and parity are where stepping goes wrong.
TEST(CaseMapTest, LongTextsMapLikeTheirCharactersOneByOne) {
  std::mt19937 rng(7);
  const unsigned char pool[] = {'a', 'z', 'A', 'Z', 'm', ' ', '\r', '\n', 0x82, 0x83, 0x84, 0x87,
                                0xEE, 0xFA, 0x81, 0x9F, 0xE0, 0xFC, 0x60, 0x79, 0x9A, 0x91,
                                0x4A, 0xEF, 0xB1, 0x80, 0xA0, 0xFD, 0x40, 0x54, 0x70, 0xBF};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const std::size_t length = rng() % (round < 100 ? 200 : 5000);
    const bool asciiHeavy = round % 3 == 0;
    while (text.size() < length) {
      if (asciiHeavy && rng() % 4 != 0) {
        text += static_cast<char>('A' + rng() % 58);
      } else {
        text += static_cast<char>(pool[rng() % sizeof pool]);
      }
    }
    std::string upperByChar;
    std::string lowerByChar;
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t step = CharStepAt(text, i);
      upperByChar += ToUpperCp932Copy(text.substr(i, step));
      lowerByChar += ToLowerCp932Copy(text.substr(i, step));
      i += step;
    }
    std::string upper = text;
    ToUpperCp932(upper);
    ASSERT_EQ(Hex(upper), Hex(upperByChar)) << "round " << round;
    std::string lower = text;
    ToLowerCp932(lower);
    ASSERT_EQ(Hex(lower), Hex(lowerByChar)) << "round " << round;
  }
}

// Against the C library's Unicode case tables: every CP932 character whose upper (lower) case
// CP932 also holds maps to it, every other character is left alone, lengths never change.
TEST(CaseMapTest, EveryCp932CharacterAgreesWithUnicodeCaseMapping) {
  Utf8Ctype ctype;
  if (!ctype.ok()) GTEST_SKIP() << "no C.UTF-8 locale for the reference case tables";

  std::string text;
  std::string expectedUpper;
  std::string expectedLower;
  std::map<unsigned, unsigned> upperOverrides;  // Roman numerals: one encoding each
  for (unsigned i = 0; i < 10; ++i) upperOverrides[0xFA4A + i] = 0x8754 + i;
  std::map<unsigned, unsigned> lowerOverrides;
  for (unsigned i = 0; i < 10; ++i) lowerOverrides[0xEEEF + i] = 0xFA40 + i;

  auto expect = [](const std::string& ch, char32_t cp, wint_t mapped, const auto& overrides,
                   unsigned code) {
    auto it = overrides.find(code);
    if (it != overrides.end()) return Pair(it->second);
    if (static_cast<char32_t>(mapped) == cp) return ch;
    std::string encoded;
    if (!EncodeCp932Char(static_cast<char32_t>(mapped), encoded) || encoded.size() != ch.size()) {
      return ch;  // CP932 lacks the other case, or it has another length: left alone
    }
    return encoded;
  };

  int folded = 0;
  for (unsigned code = 0; code < 0x10000; ++code) {
    std::string ch = code < 0x100 ? std::string(1, static_cast<char>(code)) : Pair(code);
    char32_t cp = 0;
    if (DecodeCp932Char(ch, 0, cp) != static_cast<int>(ch.size()) || cp >= kEscapeBase) continue;
    const std::string up = expect(ch, cp, std::towupper(cp), upperOverrides, code);
    const std::string low = expect(ch, cp, std::towlower(cp), lowerOverrides, code);
    EXPECT_EQ(Hex(ToUpperCp932Copy(ch)), Hex(up)) << Hex(ch);
    EXPECT_EQ(Hex(ToLowerCp932Copy(ch)), Hex(low)) << Hex(ch);
    if (up != ch) ++folded;
    // The same inside a longer text, behind ASCII runs of changing length.
    const std::string filler = std::string("aBcDeFgHiJkLm").substr(0, code % 13);
    text += filler + ch;
    expectedUpper += ToUpperCp932Copy(filler) + up;
    expectedLower += ToLowerCp932Copy(filler) + low;
  }
  EXPECT_EQ(folded, 26 + 26 + 24 + 33 + 10 + 10 + 10);  // ASCII, ａ-ｚ, Greek, Cyrillic, ⅰ-ⅹ ×2, IBM Ⅰ-Ⅹ
  std::string upper = text;
  ToUpperCp932(upper);
  EXPECT_TRUE(upper == expectedUpper);
  std::string lower = text;
  ToLowerCp932(lower.data(), lower.size());
  EXPECT_TRUE(lower == expectedLower);
}

}  // namespace
}  // namespace norra

namespace norra {
namespace {

std::string Utf8Of(char32_t cp) {
  std::string s;
  AppendUtf8(cp, s);
  return s;
}

// Every pair of the UTF-8 case mapping keeps its UTF-8 length, and the two directions undo
// each other.
TEST(CaseMapUtf8Test, EveryPairKeepsItsUtf8Length) {
  int pairs = 0;
  for (char32_t cp = 0; cp < 0x110000; ++cp) {
    if (cp >= 0xD800 && cp < 0xE000) continue;
    const char32_t up = UpperOf(cp);
    if (up == cp) continue;
    ++pairs;
    ASSERT_EQ(Utf8Of(up).size(), Utf8Of(cp).size()) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(LowerOf(up), cp) << std::hex << static_cast<unsigned>(cp);
  }
  EXPECT_EQ(pairs, 26 + 26 + 24 + 33 + 10);
}

// UTF-8 folds exactly the letters CP932 folds: every CP932 character upper- and lower-cases
// to the same character in either form.
TEST(CaseMapUtf8Test, FoldsTheSameLettersAsCp932) {
  for (unsigned code = 0; code < 0x10000; ++code) {
    std::string cp932;
    if (code < 0x80 || (code >= 0xA1 && code <= 0xDF)) {
      cp932.push_back(static_cast<char>(code));
    } else if (code >= 0x100 && IsLeadByte(static_cast<unsigned char>(code >> 8)) &&
               (code & 0xFF) >= 0x40) {
      cp932 = Pair(code);
    } else {
      continue;
    }
    const std::string utf8 = Cp932ToUtf8(cp932);
    if (utf8.find('\xF3') != std::string::npos) continue;  // bytes CP932 cannot read
    std::string up = utf8;
    std::string low = utf8;
    ToUpperUtf8(up.data(), up.size());
    ToLowerUtf8(low.data(), low.size());
    ASSERT_EQ(up, Cp932ToUtf8(ToUpperCp932Copy(cp932))) << Hex(cp932);
    ASSERT_EQ(low, Cp932ToUtf8(ToLowerCp932Copy(cp932))) << Hex(cp932);
  }
}

// The block scan and the byte loop agree at every alignment, with cased characters cut by the
// end of a block and malformed bytes left alone.
TEST(CaseMapUtf8Test, LongTextsFoldAtEveryAlignment) {
  const std::string piece = "abXyzあａｚαωяЁⅰⅹ\xCE\xE2\x85 \xEF\xBD😀ς";
  std::string expected = "ABXYZあＡＺΑΩЯЁⅠⅩ\xCE\xE2\x85 \xEF\xBD😀ς";
  for (std::size_t shift = 0; shift < 17; ++shift) {
    std::string text = std::string(shift, '.');
    std::string want = text;
    for (int i = 0; i < 5; ++i) {
      text += piece;
      want += expected;
    }
    std::string up = text;
    ToUpperUtf8(up.data(), up.size());
    ASSERT_EQ(up, want) << shift;
    EXPECT_EQ(ToUpperCopyIn(Charset::Utf8, text), want);
    // Lower-casing the whole equals lower-casing each character alone.
    std::string low = up;
    ToLowerUtf8(low.data(), low.size());
    std::string lowEach;
    for (std::size_t i = 0; i < up.size();) {
      const auto step = static_cast<std::size_t>(CharLengthAt(Charset::Utf8, up, i));
      std::string one = up.substr(i, step);
      ToLowerUtf8(one.data(), one.size());
      lowEach += one;
      i += step;
    }
    ASSERT_EQ(low, lowEach) << shift;
    EXPECT_NE(low.find("ａｚαωяёⅰⅹ"), std::string::npos);
  }
}

}  // namespace
}  // namespace norra
