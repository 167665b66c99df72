// The engine on UTF-8 texts: characters of one to four bytes, the same digits and letters as
// in CP932, symbols converted, replace tags inserting UTF-8, and find or replace texts the
// text's charset cannot hold refused by name.
#include <string>

#include "EngineTestSupport.h"
#include "engine/CharsetText.h"

namespace norra {
namespace {

using testing::EngineTest;
using testing::Sj;
using testing::U8;

class Utf8Test : public EngineTest {
 protected:
  Utf8Test() { engine.SetCharset(Charset::Utf8); }

  // The matched text, "<none>" when nothing matched.
  std::string Found8(std::string_view find, std::string_view text, std::int64_t start = 1) {
    EXPECT_TRUE(engine.Compile(find)) << find;
    engine.SetWorkingText(std::string(text));
    engine.StartPos = start;
    engine.PreFoldedText = false;
    if (!engine.Match()) return "<none>";
    return engine.WorkingText().substr(static_cast<std::size_t>(engine.MatchPos - 1),
                                       static_cast<std::size_t>(engine.MatchLen));
  }

  std::string Replace8(std::string_view find, std::string_view replace, std::string_view text) {
    EXPECT_TRUE(engine.Compile(find)) << find;
    EXPECT_TRUE(engine.CompileReplace(replace)) << replace;
    engine.RunReset();
    const ReplaceResult result = engine.ReplaceAll(text);
    return result.Replaced() ? result.text : std::string(text);
  }
};

TEST_F(Utf8Test, CharTakesOneCharacterWhateverItsBytes) {
  struct Case {
    const char* find;
    const char* text;
    const char* found;
  } const cases[] = {
      {"<[?]>", "<a>", "<a>"},        {"<[?]>", "<α>", "<α>"},
      {"<[?]>", "<あ>", "<あ>"},      {"<[?]>", "<𠮷>", "<𠮷>"},
      {"<[?]>", "<😀>", "<😀>"},      {"<[?][?]>", "<😀>", "<none>"},
      {"[?]>", "😀😀>", "😀>"},      {"<[?]", "<\xF0\x9F", "<\xF0"},  // a cut-off character
      {"[#][#]", "x1２", "1２"},      {"[#]", "ｘ", "<none>"},
      {"[repeat 3][#][/repeat]", "12 ３４５6", "３４５6"},
      {"abc", "xABC", "ABC"},         {"ａｂ", "ＡＢ", "ＡＢ"},
      {"αω", "ΑΩ", "ΑΩ"},             {"яё", "ЯЁ", "ЯЁ"},
      {"ⅰⅹ", "ⅠⅩ", "ⅠⅩ"},             {"ς", "Σ", "<none>"},  // CP932 has no final sigma
      {"a[*csv]!", "a😀\r\na😀!", "a😀!"},   {"[which[𠮷][😀]]!", "😀!", "😀!"},
  };
  for (const Case& c : cases) EXPECT_EQ(Found8(c.find, c.text), c.found) << c.find << " " << c.text;
}

TEST_F(Utf8Test, NoMatchSplitsACharacter) {
  // "あ" is E3 81 82: its last two bytes are no character of their own.
  EXPECT_EQ(Found8("\x81\x82", "あ"), "<none>");
  EXPECT_EQ(Found8("\x82", "あ\x82"), "\x82");  // a stray byte is a character
  // A start inside a character moves on to the next one.
  EXPECT_EQ(Found8("[?]", "𠮷い", 2), "い");
  EXPECT_EQ(Found8("[*]", "𠮷い", 3), "");
  EXPECT_EQ(engine.MatchPos, 5);
}

TEST_F(Utf8Test, ReplaceTagsInsertUtf8) {
  clock.Set(DateTime{2001, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(Replace8("[into a][?][/to]x", "[from a][rcount]", "😀xあx"), "😀1あ2");
  EXPECT_EQ(Replace8("d", "[now[yyyy年m月d日 dddd]]", "d"), "2001年2月3日 土曜日");
  EXPECT_EQ(Replace8("d", "[now[hh:nn 😀\xEE\x80\x80]]", "d"), "04:05 😀\xEE\x80\x80");
  EXPECT_EQ(Replace8("Ｘ", "[fcount]ｙ", "ｘｘ"), "1ｙ2ｙ");
}

TEST_F(Utf8Test, SymbolsFromTheSettingsAreConverted) {
  symbols[TAG_BRACKET1] = Sj("【");
  symbols[TAG_BRACKET2] = Sj("】");
  symbols[TAG_CHAR] = Sj("？");
  EXPECT_EQ(Found8("a【？】c", "abc"), "abc");
  EXPECT_EQ(Found8("a[?]c", "abc"), "<none>");
  EXPECT_EQ(Replace8("【into a】【？】【/to】", "【from a】【from a】", "𠮷"), "𠮷𠮷");
  ASSERT_FALSE(engine.Compile("【repeat 0】a【/repeat】"));
  EXPECT_EQ(engine.Compile("【repeat 0】a【/repeat】").error.fragment, "repeat");
}

// The same find and replace on a text and on its UTF-8 form give the same result.
TEST_F(EngineTest, ReplaceAllOnTheUtf8FormGivesTheUtf8FormOfTheResult) {
  SearchEngine utf8(symbols, clock);
  utf8.SetCharset(Charset::Utf8);
  struct Case {
    const char* find;
    const char* replace;
    const char* text;
  } const cases[] = {
      {"[into a][?][/to][#]", "<[from a][rcount]>", "あ1ｂ２α3"},
      {"[into a][*csv][/to]です", "[from a]さん[fcount]", "山田です\r\nａｂです"},
      {"[repeat 2][which[Ⅰ][ⅱ]][/repeat]", "[now[yyyy/mm/dd]]", "ⅠⅡⅲⅰⅱ"},
      {"[not[漢]][?]ｶ", "-", "字ｶ漢ｶ字ｶ"},
      {"[*]", "x", "アイ"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(engine.Compile(Sj(c.find)));
    ASSERT_TRUE(engine.CompileReplace(Sj(c.replace)));
    ASSERT_TRUE(utf8.Compile(c.find));
    ASSERT_TRUE(utf8.CompileReplace(c.replace));
    engine.RunReset();
    utf8.RunReset();
    const ReplaceResult cp932 = engine.ReplaceAll(Sj(c.text));
    const ReplaceResult u = utf8.ReplaceAll(c.text);
    EXPECT_EQ(cp932.count, u.count) << c.find;
    EXPECT_EQ(U8(cp932.text), u.text) << c.find;
  }
}

TEST_F(EngineTest, ATextTheCharsetCannotHoldIsRefusedNamingItsCharacters) {
  struct Case {
    Charset target;
    const char* text;  // UTF-8 or, for a CP932 source, converted
    Charset given;
    const char* named;  // "" when it converts
  } const cases[] = {
      {Charset::Cp932, "a😀b😀𠮷", Charset::Utf8, "😀𠮷"},
      {Charset::Cp932, "波〜", Charset::Utf8, "〜"},  // CP932 has only the look-alike ～
      {Charset::Cp932, "山ⅰ～", Charset::Utf8, ""},
      {Charset::Utf8, "山ⅰ～", Charset::Cp932, ""},
  };
  for (const Case& c : cases) {
    engine.SetCharset(c.target);
    const std::string text = c.given == Charset::Cp932 ? Sj(c.text) : std::string(c.text);
    const CompileResult find = engine.Compile(text, c.given);
    const CompileResult replace = engine.CompileReplace(text, c.given);
    if (*c.named == '\0') {
      EXPECT_TRUE(find) << c.text;
      EXPECT_TRUE(replace) << c.text;
      continue;
    }
    EXPECT_EQ(find.error.code, EngineErrorCode::FindTextNotHeld) << c.text;
    EXPECT_EQ(find.error.fragment, c.named);
    EXPECT_FALSE(engine.HasPattern());
    EXPECT_EQ(replace.error.code, EngineErrorCode::ReplaceTextNotHeld) << c.text;
    EXPECT_EQ(replace.error.fragment, c.named);
  }
  // A byte CP932 cannot read has no UTF-8 form either.
  engine.SetCharset(Charset::Utf8);
  EXPECT_EQ(engine.Compile("a\x85", Charset::Cp932).error.code, EngineErrorCode::FindTextNotHeld);
}

// A run over texts of both charsets switches the engine back and forth: the texts as given are
// compiled again for each, the counters go on, and a charset that cannot hold the replace
// text refuses until the engine switches back.
TEST_F(EngineTest, SwitchingTheCharsetCompilesTheGivenTextsAgain) {
  ASSERT_TRUE(engine.SetCharset(Charset::Utf8));
  ASSERT_TRUE(engine.Compile("[into a][?][/to]犬", Charset::Utf8));
  ASSERT_TRUE(engine.CompileReplace("[from a]🐕[rcount]", Charset::Utf8));
  engine.RunReset();
  EXPECT_EQ(engine.ReplaceAll("黒犬").text, "黒🐕1");
  const CompileResult back = engine.SetCharset(Charset::Cp932);
  EXPECT_EQ(back.error.code, EngineErrorCode::ReplaceTextNotHeld);
  EXPECT_EQ(back.error.fragment, "🐕");
  // The find text still finds; a replace-all refuses rather than delete what it finds.
  EXPECT_EQ(engine.ListMatchesInText(Sj("犬犬")).size(), 1u);
  try {
    engine.ReplaceAll(Sj("黒犬"));
    ADD_FAILURE() << "replaced without a replace text";
  } catch (const EngineAbort& abort) {
    EXPECT_EQ(abort.Reason(), EngineErrorCode::ReplaceTextNotHeld);
  }
  ASSERT_TRUE(engine.SetCharset(Charset::Utf8));
  EXPECT_EQ(engine.ReplaceAll("白犬").text, "白🐕2");
  ASSERT_TRUE(engine.CompileReplace(Sj("[from a]狗"), Charset::Cp932));
  ASSERT_TRUE(engine.SetCharset(Charset::Cp932));
  EXPECT_EQ(U8(engine.ReplaceAll(Sj("赤犬")).text), "赤狗");
}

}  // namespace
}  // namespace norra
