// Engine errors turned into the program's messages.
#include "findreplace/EngineMessages.h"

#include <utility>

#include "engine/PatternCompiler.h"
#include "platform/Ui.h"
#include "text/Encoding.h"

namespace norra {

namespace {

constexpr const char* kEngineCaption = "◆KARVO検索置換ｼｽﾃﾑ";

using C = EngineErrorCode;

// Refusals worded "検索ﾀｸﾞ " + the tag at fault + what is wrong with it.
constexpr std::pair<EngineErrorCode, const char*> kTagRefusals[] = {
    {C::DuplicateArea, " の記憶領域(a ～ z)は重複指定禁止です"},
    {C::AreaName, " の保存領域名を a ～ z にｾｯﾄして下さい"},
    {C::MinimumCount, " の最低繰り返し回数を 1 以上にｾｯﾄして下さい"},
    {C::RepeatCount, " の最低繰り返し回数を数字で指定して下さい"},
    {C::WhichWithoutAlternatives, " の括弧内に検索する文字列がありません"},
};

EngineMessage Error(std::string text, const char* caption = kEngineCaption) {
  return {std::move(text), MB_OK | MB_ICONERROR, caption};
}

const char* CharsetName(Charset charset) {
  return charset == Charset::Utf8 ? "UTF-8" : "Shift_JIS(CP932)";
}

// The characters of a UTF-8 text, one space between each two.
std::string Spaced(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto step = static_cast<std::size_t>(CharLengthAt(Charset::Utf8, utf8, i));
    if (!out.empty()) out += ' ';
    out.append(utf8.substr(i, step));
    i += step;
  }
  return out;
}

}  // namespace

std::optional<EngineMessage> MessageFor(const EngineError& error, const TagSymbols& symbols) {
  const std::string f =
      error.charset == Charset::Utf8 ? error.fragment : Cp932ToUtf8(error.fragment);
  auto symbol = [&symbols](int k) { return Cp932ToUtf8(symbols[k]); };
  for (const auto& [code, words] : kTagRefusals) {
    if (code == error.code) return Error("検索ﾀｸﾞ " + f + words);
  }
  switch (error.code) {
    case C::ConsecutiveNot:
      return Error("検索タグ " + f + " を連続してオーダーすることはできません");
    case C::InfiniteLoop:
      return Error("「検索する文」の中に無限ループが含まれています。");
    case C::IntoInsideRepeat:
      return Error(symbol(TAG_REPEAT) + " ～ " + symbol(TAG_ENDREPEAT) + " の間で " + f +
                   " をｵｰﾀﾞｰすることはできません");
    case C::NestingTooDeep:
      return Error("検索ﾀｸﾞ " + symbol(TAG_REPEAT) + " と " + symbol(TAG_INTO) + " の入れ子は " +
                   std::to_string(PatternCompiler::kMaxGroupDepth) + " 段までにして下さい");
    case C::DateFormat:
      return Error("時間ﾌｫｰﾏｯﾄ '" + f + "' は解析不能です", "Norra");
    case C::EmptyPattern:
      return Error("検索する文が0文字です。", "Norra");
    case C::FindTextNotHeld:
      return Error("「検索する文」の " + Spaced(error.fragment) + " は " +
                       CharsetName(error.charset) + " のﾌｧｲﾙでは表せないため、検索しません",
                   "Norra");
    case C::ReplaceTextNotHeld:
      return Error("「置換する文」の " + Spaced(error.fragment) + " は " +
                       CharsetName(error.charset) + " のﾌｧｲﾙでは表せないため、置換しません",
                   "Norra");
    default:
      return std::nullopt;  // None, NothingToFind: refused without a word
  }
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
