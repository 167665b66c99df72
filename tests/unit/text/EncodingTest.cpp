// Tests of CP932 ↔ UTF-8 conversion: losslessness, preferred pairs, escapes and "?".
#include "text/Encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace norra {
namespace {

std::string Bytes(std::initializer_list<unsigned> bytes) {
  std::string s;
  for (unsigned b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

std::string Pair(unsigned code) { return Bytes({code >> 8, code & 0xFF}); }

// Independent UTF-8 encoder for expected values.
std::string Utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string Escape(unsigned b) { return Utf8(kEscapeBase + b); }

std::string Hex(const std::string& bytes) {
  std::string s;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    s += buf;
  }
  return s;
}

// The n-th two-byte code of a lead-byte block, counting valid trail bytes 0x40-0x7E, 0x80-0xFC
// (188 per lead byte).
unsigned NthCode(unsigned firstLead, unsigned n) {
  unsigned lead = firstLead + n / 188;
  unsigned t = n % 188;
  return lead << 8 | (t < 63 ? 0x40 + t : 0x41 + t);
}

// Every two-byte sequence CP932 encodes a second time, with the pair a fresh encoding of its
// character gives (JIS rows, then NEC row 13, then IBM extensions FAxx-FCxx).
std::map<unsigned, unsigned> ExpectedDoubleEncodings() {
  std::map<unsigned, unsigned> m;
  // NEC row 13 symbols that JIS row 2 also holds: ≒ ≡ ∫ √ ⊥ ∠ ∵ ∩ ∪.
  m[0x8790] = 0x81E0;
  m[0x8791] = 0x81DF;
  m[0x8792] = 0x81E7;
  m[0x8795] = 0x81E3;
  m[0x8796] = 0x81DB;
  m[0x8797] = 0x81DA;
  m[0x879A] = 0x81E6;
  m[0x879B] = 0x81BF;
  m[0x879C] = 0x81BE;
  // NEC-selected IBM kanji 0xED40-0xEEEC repeat the IBM kanji from 0xFA5C on, in order.
  for (unsigned k = 0; k < 188 + 172; ++k) m[NthCode(0xED, k)] = NthCode(0xFA, 28 + k);
  // NEC-selected ⅰ-ⅹ, ￢, ￤, ＇, ＂.
  for (unsigned i = 0; i < 10; ++i) m[0xEEEF + i] = 0xFA40 + i;
  m[0xEEF9] = 0x81CA;
  m[0xEEFA] = 0xFA55;
  m[0xEEFB] = 0xFA56;
  m[0xEEFC] = 0xFA57;
  // IBM copies of Ⅰ-Ⅹ (NEC row 13), ￢ (JIS), ㈱ № ℡ (NEC row 13), ∵ (JIS).
  for (unsigned i = 0; i < 10; ++i) m[0xFA4A + i] = 0x8754 + i;
  m[0xFA54] = 0x81CA;
  m[0xFA58] = 0x878A;
  m[0xFA59] = 0x8782;
  m[0xFA5A] = 0x8784;
  m[0xFA5B] = 0x81E6;
  return m;
}

TEST(EncodingTest, UnencodableCp932NamesEachCharacterCp932LacksOnce) {
  struct Case {
    const char* utf8;
    const char* lacking;
  };
  for (const Case& c : std::vector<Case>{{"絵文字😀と한글と𠮷野家", "😀한글𠮷"},
                                         {"😀a😀", "😀"},
                                         {"abc ｶﾀｶﾅ ≒ ①", ""},
                                         {"", ""},
                                         {"\xF3\xB0\x82\x85", ""}}) {  // the escape of 0x85
    EXPECT_EQ(UnencodableCp932(c.utf8), c.lacking) << c.utf8;
    EXPECT_EQ(CanEncodeCp932(c.utf8), std::string(c.lacking).empty()) << c.utf8;
  }
}

TEST(EncodingTest, EverySingleByteSurvivesAndDecodesAsCp932Says) {
  for (unsigned b = 0; b < 256; ++b) {
    const std::string s = Bytes({b});
    const std::string utf8 = Cp932ToUtf8(s);
    std::string expected;
    if (b < 0x80) {
      expected = s;
    } else if (b >= 0xA1 && b <= 0xDF) {  // half-width katakana
      expected = Utf8(0xFF61 + (b - 0xA1));
    } else {  // 0x80, 0xA0, 0xFD-0xFF and a lead byte on its own
      expected = Escape(b);
    }
    EXPECT_EQ(Hex(utf8), Hex(expected)) << "byte " << b;
    EXPECT_EQ(Hex(Utf8ToCp932(utf8)), Hex(s)) << "byte " << b;
  }
  EXPECT_EQ(Escape(0x85), "\xF3\xB0\x82\x85");
}

TEST(EncodingTest, EveryPairSurvivesExceptTheDoubleEncodingsWhichTakeThePreferredPair) {
  std::map<unsigned, unsigned> changed;
  std::string badLength;
  for (unsigned code = 0; code < 0x10000; ++code) {
    const std::string s = Pair(code);
    const std::string utf8 = Cp932ToUtf8(s);
    ASSERT_TRUE(IsValidUtf8(utf8)) << Hex(s);
    const std::string back = Utf8ToCp932(utf8);
    if (back == s) continue;
    if (back.size() != 2) {
      badLength += Hex(s) + "->" + Hex(back) + " ";
      continue;
    }
    changed[code] = static_cast<unsigned char>(back[0]) << 8 | static_cast<unsigned char>(back[1]);
    // The duplicate and its preferred pair are the same character.
    EXPECT_EQ(utf8, Cp932ToUtf8(back)) << Hex(s);
  }
  EXPECT_EQ(badLength, "");

  const std::map<unsigned, unsigned> expected = ExpectedDoubleEncodings();
  EXPECT_EQ(expected.size(), 398u);
  std::string differences;
  for (auto [code, preferred] : expected) {
    auto it = changed.find(code);
    if (it == changed.end()) {
      differences += "missing " + Hex(Pair(code)) + " ";
    } else if (it->second != preferred) {
      differences += Hex(Pair(code)) + "->" + Hex(Pair(it->second)) + " ";
    }
  }
  for (auto [code, back] : changed) {
    if (!expected.count(code)) differences += "unexpected " + Hex(Pair(code)) + " ";
  }
  EXPECT_EQ(differences, "");

  // A few characters by name, so a swapped table cannot pass the rules above.
  EXPECT_EQ(Cp932ToUtf8(Pair(0x8790)), "≒");
  EXPECT_EQ(Cp932ToUtf8(Pair(0xED40)), "纊");
  EXPECT_EQ(Cp932ToUtf8(Pair(0xFA5C)), "纊");
  EXPECT_EQ(Cp932ToUtf8(Pair(0xFC4B)), "黑");
  EXPECT_EQ(Cp932ToUtf8(Pair(0xEEEF)), "ⅰ");
  EXPECT_EQ(Utf8ToCp932("≒∵ⅰⅠ￢㈱纊"),
            Pair(0x81E0) + Pair(0x81E6) + Pair(0xFA40) + Pair(0x8754) + Pair(0x81CA) +
                Pair(0x878A) + Pair(0xFA5C));
}

TEST(EncodingTest, UsesTheMicrosoftMappingOfShiftJis) {
  EXPECT_EQ(Cp932ToUtf8(Pair(0x82A0)), "あ");
  EXPECT_EQ(Cp932ToUtf8(Pair(0x8ABF)), "漢");
  EXPECT_EQ(Cp932ToUtf8(Pair(0x8140)), "　");
  EXPECT_EQ(Cp932ToUtf8("\\~"), "\\~");
  EXPECT_EQ(Cp932ToUtf8(Pair(0x8160)), "～");  // U+FF5E, not the wave dash U+301C
  EXPECT_EQ(Cp932ToUtf8(Pair(0x8161)), "∥");
  EXPECT_EQ(Cp932ToUtf8(Pair(0x817C)), "－");
  EXPECT_EQ(Cp932ToUtf8(Pair(0x815C)), "―");
  EXPECT_EQ(Cp932ToUtf8(Pair(0x8191) + Pair(0x8192) + Pair(0x81CA)), "￠￡￢");
  EXPECT_EQ(Cp932ToUtf8(Pair(0xF040) + Pair(0xF9FC)), "\uE000\uE757");  // user-defined area

  // The same characters as other Japanese mappings write them go to the CP932 character...
  EXPECT_EQ(Utf8ToCp932("〜−‖—¢£¬"), Pair(0x8160) + Pair(0x817C) + Pair(0x8161) +
                                             Pair(0x815C) + Pair(0x8191) + Pair(0x8192) +
                                             Pair(0x81CA));
  EXPECT_TRUE(CanEncodeCp932("〜−‖—¢£¬"));
}

TEST(EncodingTest, YenSignAndOverlineBecomeTheBytesJapaneseSystemsShowAsThem) {
  EXPECT_EQ(Utf8ToCp932("C:¥temp ‾x‾"), "C:\\temp ~x~");
  EXPECT_TRUE(CanEncodeCp932("¥‾"));
  std::string one;
  EXPECT_TRUE(EncodeCp932Char(U'¥', one));
  EXPECT_TRUE(EncodeCp932Char(U'‾', one));
  EXPECT_EQ(one, "\\~");
  // The bytes read back as backslash and tilde, so a file keeps what it held.
  EXPECT_EQ(Cp932ToUtf8("\\~"), "\\~");
  EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8("a\\b~c")), "a\\b~c");
}

TEST(EncodingTest, Cp932KeepsTextOnlyWhenItReadsBackTheSame) {
  struct Case {
    const char* utf8;
    bool kept;
  };
  const Case cases[] = {
      {"", true},           {"/home/u/a.txt", true}, {"/文書/表.txt ≒ ﾃﾞｰﾀ", true},
      {"/u/¥/a", false},     // reads back as "\"
      {"x‾", false},         // reads back as "~"
      {"/u/〜.txt", false},  // reads back as the full-width tilde
      {"café", false},       // no CP932 form at all
      {"ﾌｧ", false},         // its CP932 bytes pass for UTF-8
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932KeepsText(c.utf8), c.kept) << c.utf8;
}

TEST(EncodingTest, UndecodableBytesBecomeEscapesAndComeBack) {
  struct Case {
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"\x81\r\n", Escape(0x81) + "\r\n"},  // a stray lead byte keeps the line break
      {"ab\x82", "ab" + Escape(0x82)},      // lead byte as the last byte
      {"\x85\x40", Escape(0x85) + "@"},     // lead byte of an empty row
      {"\x85\x81\x40", Escape(0x85) + "　"},  // the byte after it starts a character
      {"\x81\x7F", Escape(0x81) + "\x7F"},
      {"\x80\xA0\xFD\xFE\xFF", Escape(0x80) + Escape(0xA0) + Escape(0xFD) + Escape(0xFE) +
                                   Escape(0xFF)},
      {"\xEE\xED", Escape(0xEE) + Escape(0xED)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(Cp932ToUtf8(c.cp932)), Hex(c.utf8)) << Hex(c.cp932);
    EXPECT_EQ(Hex(Utf8ToCp932(c.utf8)), Hex(c.cp932)) << Hex(c.cp932);
  }
  for (unsigned b = 0; b < 256; ++b) {
    EXPECT_EQ(Utf8ToCp932(Escape(b)), Bytes({b})) << b;
    EXPECT_TRUE(CanEncodeCp932(Escape(b)));
  }
  // Just outside the escape range is an ordinary character CP932 lacks.
  EXPECT_EQ(Utf8ToCp932(Utf8(kEscapeBase - 1) + Utf8(kEscapeBase + 0x100)), "??");
}

TEST(EncodingTest, UnencodableAndMalformedUtf8BecomeQuestionMarks) {
  struct Case {
    std::string utf8;
    std::string cp932;
  };
  const Case cases[] = {
      {"é", "?"},
      {"a😀b", "a?b"},
      {"한국", "??"},
      {"日本", Pair(0x93FA) + Pair(0x967B)},
      {"\xE3\x81", "??"},          // cut short at the end
      {"\xE3\x81" "A", "??A"},     // cut short before ASCII
      {"\xC0\xAF", "??"},          // overlong
      {"\xE0\x80\xAF", "???"},     // overlong
      {"\xED\xA0\x80", "???"},     // surrogate
      {"\xF4\x90\x80\x80", "????"},  // past U+10FFFF
      {"\x80", "?"},
      {"\xFF\xFE", "??"},
      {"\xF0\x9F\x98", "???"},
      {"x\xE3\x81\x82\x80y", "x" + Pair(0x82A0) + "?y"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(Utf8ToCp932(c.utf8)), Hex(c.cp932)) << Hex(c.utf8);
  }
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain ascii text, long enough for the wide path"));
  EXPECT_TRUE(IsValidUtf8("日本語ｶﾅ😀é"));
  for (const char* bad : {"\xE3\x81", "abcdefgh\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\x80", "abc\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << Hex(bad);
    EXPECT_FALSE(CanEncodeCp932(bad)) << Hex(bad);
  }
  EXPECT_TRUE(CanEncodeCp932(""));
  EXPECT_TRUE(CanEncodeCp932("日本語ｶﾅabc\r\n"));
  EXPECT_FALSE(CanEncodeCp932("日本語é"));
  EXPECT_FALSE(CanEncodeCp932("😀"));
}

TEST(EncodingTest, SingleCharacterFunctionsAgreeWithWholeTextConversion) {
  // Every byte pair and single byte in one text of 128 KB.
  std::string text;
  for (unsigned code = 0; code < 0x10000; ++code) text += Pair(code);
  for (unsigned b = 0; b < 256; ++b) text += Bytes({b});

  std::string decoded;
  std::string reencoded;
  std::size_t offset = 0;
  while (offset < text.size()) {
    char32_t cp = 0;
    int len = DecodeCp932Char(text, offset, cp);
    ASSERT_TRUE(len == 1 || len == 2) << offset;
    AppendUtf8(cp, decoded);
    ASSERT_TRUE(EncodeCp932Char(cp, reencoded)) << offset;
    offset += len;
  }
  const std::string utf8 = Cp932ToUtf8(text);
  EXPECT_TRUE(decoded == utf8);
  EXPECT_TRUE(reencoded == Utf8ToCp932(utf8));

  char32_t cp = 0;
  EXPECT_EQ(DecodeCp932Char(text, text.size(), cp), 0);
  EXPECT_EQ(DecodeCp932Char("\x82\xA0", 0, cp), 2);
  EXPECT_EQ(cp, U'あ');
  EXPECT_EQ(DecodeCp932Char("\x82\xA0", 1, cp), 1);  // a trail byte read alone
  EXPECT_EQ(cp, kEscapeBase + 0xA0);
  EXPECT_EQ(DecodeCp932Char("\xB1", 0, cp), 1);
  EXPECT_EQ(cp, U'ｱ');

  std::string out = "x";
  for (char32_t missing :
       {char32_t{0xE9}, char32_t{0x1F600}, char32_t{0xD800}, char32_t{0x110000}, char32_t{0xA6}}) {
    EXPECT_FALSE(EncodeCp932Char(missing, out)) << static_cast<unsigned>(missing);
  }
  EXPECT_EQ(out, "x");
  EXPECT_TRUE(EncodeCp932Char(kEscapeBase + 0x85, out));
  EXPECT_TRUE(EncodeCp932Char(U'ｱ', out));
  EXPECT_TRUE(EncodeCp932Char(U'漢', out));
  EXPECT_EQ(out, "x\x85\xB1" + Pair(0x8ABF));

  std::string utf8Out;
  AppendUtf8(0xD800, utf8Out);
  AppendUtf8(0x1F600, utf8Out);
  EXPECT_EQ(utf8Out, "\uFFFD😀");
}

TEST(EncodingTest, LargeAndBinaryTextsRoundTrip) {
  std::mt19937 rng(20240607);
  // Random bytes without the lead bytes of double encodings always come back unchanged.
  std::string text;
  while (text.size() < 300000) {
    unsigned b = rng() & 0xFF;
    if (b == 0x87 || b == 0xED || b == 0xEE || b == 0xFA) continue;
    text.push_back(static_cast<char>(b));
  }
  std::string utf8 = Cp932ToUtf8(text);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_TRUE(Utf8ToCp932(utf8) == text);

  // Nothing but escapes: four bytes out for each byte in, past the first guess of the buffer.
  const std::string binary(300000, '\x80');
  utf8 = Cp932ToUtf8(binary);
  EXPECT_EQ(utf8.size(), 4 * binary.size());
  EXPECT_TRUE(Utf8ToCp932(utf8) == binary);

  // An odd start puts a character across every power-of-two offset, where a conversion done
  // in blocks could split it.
  std::string kana = "a";
  std::string kanaUtf8 = "a";
  for (int i = 0; i < 100000; ++i) {
    kana += "\x82\xA0";
    kanaUtf8 += "あ";
  }
  EXPECT_TRUE(Cp932ToUtf8(kana) == kanaUtf8);
  EXPECT_TRUE(Utf8ToCp932(kanaUtf8) == kana);

  EXPECT_EQ(Cp932ToUtf8(""), "");
  EXPECT_EQ(Utf8ToCp932(""), "");
}

}  // namespace
}  // namespace norra
