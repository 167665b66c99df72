// The engine's refusals as the user reads them: text, caption and icon for every error code,
// with the symbols in force.
#include <gtest/gtest.h>

#include "engine/TagTable.h"
#include "findreplace/EngineMessages.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"

namespace norra {
namespace {

TagSymbols BuiltIn() {
  TagTable table;
  table.Build();
  return table.BuiltInSymbols();
}

TEST(EngineMessagesTest, EveryRefusalHasItsWordsCaptionAndIcon) {
  using C = EngineErrorCode;
  const std::string engine = "◆KARVO検索置換ｼｽﾃﾑ";
  struct Case {
    EngineErrorCode code;
    const char* fragmentUtf8;
    const char* text;
    std::string caption;
  } cases[] = {
      {C::ConsecutiveNot, "not", "検索タグ not を連続してオーダーすることはできません", engine},
      {C::InfiniteLoop, "", "「検索する文」の中に無限ループが含まれています。", engine},
      {C::IntoInsideRepeat, "into", "repeat ～ /repeat の間で into をｵｰﾀﾞｰすることはできません",
       engine},
      {C::DuplicateArea, "into", "検索ﾀｸﾞ into の記憶領域(a ～ z)は重複指定禁止です", engine},
      {C::NestingTooDeep, "", "検索ﾀｸﾞ repeat と into の入れ子は 200 段までにして下さい", engine},
      {C::AreaName, "into", "検索ﾀｸﾞ into の保存領域名を a ～ z にｾｯﾄして下さい", engine},
      {C::MinimumCount, "repeat", "検索ﾀｸﾞ repeat の最低繰り返し回数を 1 以上にｾｯﾄして下さい",
       engine},
      {C::RepeatCount, "repeat", "検索ﾀｸﾞ repeat の最低繰り返し回数を数字で指定して下さい", engine},
      {C::WhichWithoutAlternatives, "which", "検索ﾀｸﾞ which の括弧内に検索する文字列がありません",
       engine},
      {C::DateFormat, "'yy", "時間ﾌｫｰﾏｯﾄ ''yy' は解析不能です", "Norra"},
      {C::EmptyPattern, "", "検索する文が0文字です。", "Norra"},
  };
  const TagSymbols symbols = BuiltIn();
  for (const Case& c : cases) {
    MemoryUi ui;
    ShowEngineError(ui, EngineError(c.code, Utf8ToCp932(c.fragmentUtf8)), symbols);
    ASSERT_EQ(ui.Boxes().size(), 1u) << c.text;
    EXPECT_EQ(ui.LastBox().text, c.text);
    EXPECT_EQ(ui.LastBox().caption, c.caption) << c.text;
    EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR) << c.text;
  }
  // A find text that compiles to nothing is refused without a word.
  MemoryUi ui;
  ShowEngineError(ui, EngineError(C::NothingToFind), symbols);
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST(EngineMessagesTest, MessagesNameTheSymbolsInForce) {
  TagSymbols symbols = BuiltIn();
  symbols[TAG_REPEAT] = "rep";
  symbols[TAG_ENDREPEAT] = Utf8ToCp932("／rep");
  const auto text = [&symbols](EngineErrorCode code, const char* fragmentUtf8) {
    return MessageFor(EngineError(code, Utf8ToCp932(fragmentUtf8)), symbols)->text;
  };
  EXPECT_EQ(text(EngineErrorCode::ConsecutiveNot, "ない"),
            "検索タグ ない を連続してオーダーすることはできません");
  EXPECT_EQ(text(EngineErrorCode::MinimumCount, "rep"),
            "検索ﾀｸﾞ rep の最低繰り返し回数を 1 以上にｾｯﾄして下さい");
  EXPECT_EQ(text(EngineErrorCode::IntoInsideRepeat, "into"),
            "rep ～ ／rep の間で into をｵｰﾀﾞｰすることはできません");
  EXPECT_EQ(text(EngineErrorCode::NestingTooDeep, ""),
            "検索ﾀｸﾞ rep と into の入れ子は 200 段までにして下さい");
}

// Characters a text's charset cannot hold are named as they are; a fragment made in UTF-8 is
// shown as it is, not read as CP932.
TEST(EngineMessagesTest, TextsACharsetCannotHoldAreNamed) {
  const TagSymbols symbols = BuiltIn();
  const auto text = [&symbols](const EngineError& error) {
    return MessageFor(error, symbols)->text;
  };
  EXPECT_EQ(text(EngineError(EngineErrorCode::FindTextNotHeld, "😀𠮷", Charset::Cp932)),
            "「検索する文」の 😀 𠮷 は Shift_JIS(CP932) のﾌｧｲﾙでは表せないため、検索しません");
  EXPECT_EQ(text(EngineError(EngineErrorCode::ReplaceTextNotHeld, "\xF3\xB0\x82\x85",
                             Charset::Utf8)),
            "「置換する文」の \xF3\xB0\x82\x85 は UTF-8 のﾌｧｲﾙでは表せないため、置換しません");
  EXPECT_EQ(text(EngineError(EngineErrorCode::MinimumCount, "ｒｅｐ", Charset::Utf8)),
            "検索ﾀｸﾞ ｒｅｐ の最低繰り返し回数を 1 以上にｾｯﾄして下さい");
}

}  // namespace
}  // namespace norra
