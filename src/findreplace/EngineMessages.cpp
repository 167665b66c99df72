// Engine errors turned into the program's messages.
#include "findreplace/EngineMessages.h"

#include "engine/PatternCompiler.h"
#include "platform/Ui.h"
#include "text/Encoding.h"

namespace norra {

namespace {

constexpr const char* kEngineCaption = "◆KARVO検索置換ｼｽﾃﾑ";

}  // namespace

std::optional<EngineMessage> MessageFor(const EngineError& error, const TagSymbols& symbols) {
  const std::string f = Cp932ToUtf8(error.fragment);
  auto symbol = [&symbols](int k) { return Cp932ToUtf8(symbols[k]); };
  std::string text;
  std::string caption = kEngineCaption;
  switch (error.code) {
    case EngineErrorCode::None:
    case EngineErrorCode::NothingToFind:
      return std::nullopt;
    case EngineErrorCode::ConsecutiveNot:
      text = "検索タグ " + f + " を連続してオーダーすることはできません";
      break;
    case EngineErrorCode::InfiniteLoop:
      text = "「検索する文」の中に無限ループが含まれています。";
      break;
    case EngineErrorCode::IntoInsideRepeat:
      text = symbol(TAG_REPEAT) + " ～ " + symbol(TAG_ENDREPEAT) + " の間で " + f +
             " をｵｰﾀﾞｰすることはできません";
      break;
    case EngineErrorCode::DuplicateArea:
      text = "検索ﾀｸﾞ " + f + " の記憶領域(a ～ z)は重複指定禁止です";
      break;
    case EngineErrorCode::NestingTooDeep:
      text = "検索ﾀｸﾞ " + symbol(TAG_REPEAT) + " と " + symbol(TAG_INTO) + " の入れ子は " +
             std::to_string(PatternCompiler::kMaxGroupDepth) + " 段までにして下さい";
      break;
    case EngineErrorCode::AreaName:
      text = "検索ﾀｸﾞ " + f + " の保存領域名を a ～ z にｾｯﾄして下さい";
      break;
    case EngineErrorCode::MinimumCount:
      text = "検索ﾀｸﾞ " + f + " の最低繰り返し回数を 1 以上にｾｯﾄして下さい";
      break;
    case EngineErrorCode::RepeatCount:
      text = "検索ﾀｸﾞ " + f + " の最低繰り返し回数を数字で指定して下さい";
      break;
    case EngineErrorCode::WhichWithoutAlternatives:
      text = "検索ﾀｸﾞ " + f + " の括弧内に検索する文字列がありません";
      break;
    case EngineErrorCode::DateFormat:
      text = "時間ﾌｫｰﾏｯﾄ '" + f + "' は解析不能です";
      caption = "Norra";
      break;
    case EngineErrorCode::EmptyPattern:
      text = "検索する文が0文字です。";
      caption = "Norra";
      break;
  }
  return EngineMessage{std::move(text), MB_OK | MB_ICONERROR, std::move(caption)};
}

void ShowEngineError(Ui& ui, const EngineError& error, const TagSymbols& symbols) {
  if (std::optional<EngineMessage> message = MessageFor(error, symbols)) {
    ui.ShowMessageBox(message->text, message->flags, message->caption);
  }
}

void ShowReplaceRefusal(Ui& ui, std::string_view text) {
  ui.ShowMessageBox(text, MB_OK | MB_ICONERROR, "Norra");
}

}  // namespace norra
