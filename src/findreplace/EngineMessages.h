// The words, caption and icon the user gets for each refusal of the search engine, shared by
// the find window, disk search and the command-line tools.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/EngineError.h"
#include "engine/TagTable.h"

namespace norra {

class Ui;

struct EngineMessage {
  std::string text;  // UTF-8
  unsigned flags = 0;
  std::string caption;
};

// The message for an error; none for a refusal the engine makes without a word (a find text
// that compiles to nothing). `symbols` are those the error was made with.
std::optional<EngineMessage> MessageFor(const EngineError& error, const TagSymbols& symbols);

// Shows the error's message, if it has one.
void ShowEngineError(Ui& ui, const EngineError& error, const TagSymbols& symbols);

// Refusals of a replace that the engine leaves to whoever applies its new text to a Page.
constexpr std::string_view kTooLongForPage =
    "置換後の全文がﾌｧｲﾙｻｲｽﾞ最大値を超えるため、置換しません";
constexpr std::string_view kReplaceEditFailed = "置換処理中にｴﾗｰ発生";
// Shows one of them: caption "Norra", error icon.
void ShowReplaceRefusal(Ui& ui, std::string_view text);

}  // namespace norra
