// The status panels' texts.
#include "app/StatusBar.h"

#include <algorithm>

#include "app/MainView.h"
#include "documents/TextLines.h"
#include "platform/TextControl.h"
#include "text/CharacterCount.h"

namespace norra {

void StatusBar::Set(int panel, const std::string& text) {
  auto& shown = shown_.at(static_cast<std::size_t>(panel));
  if (shown == text) return;
  shown = text;
  view_.SetStatusText(panel, text);
}

void StatusBar::ShowPosition(std::size_t position, std::size_t count) {
  Set(1, std::to_string(position) + "/" + std::to_string(count) + "ﾌｧｲﾙ");
}

std::size_t StatusBar::Characters(const TextControl& control, Charset charset) {
  const std::uint64_t version = control.TextVersion();
  const std::size_t selection = control.SelLength();
  const std::size_t start = selection > 0 ? control.SelStart() : 0;
  const std::size_t length = selection > 0 ? selection : control.TextLength();
  if (version != 0 && memo_.control == &control && memo_.version == version &&
      memo_.charset == charset && memo_.start == start && memo_.length == length) {
    return memo_.count;
  }
  const std::string_view text = control.TextView();
  const std::size_t count =
      CountCharacters(charset, text.substr(std::min(start, text.size()), length));
  memo_ = CountMemo{&control, version, charset, start, length, count};
  return count;
}

void StatusBar::ShowPage(const TextControl& control, std::size_t position, std::size_t count,
                         Charset charset) {
  ShowPosition(position, count);
  const std::size_t selection = control.SelLength();
  Set(2, selection > 0 ? "選択" + std::to_string(selection)
                       : std::to_string(control.TextLength()) + "ﾊﾞｲﾄ");
  Set(kCharactersPanel,
      (selection > 0 ? "選択" : "") + std::to_string(Characters(control, charset)) + "文字");
  const std::size_t caret = control.SelStart();
  const LineSpan line = LineAt(control, caret);
  Set(3, std::to_string(line.line + 1) + "/" + std::to_string(control.LineCount()) + "行");
  // The line's length counts the caret positions on it, the one before its line break included.
  Set(4, std::to_string(caret - line.start + 1) + "/" + std::to_string(line.end - line.start + 1) +
             "列");
}

void StatusBar::ShowInsertState(bool insert, bool modified) {
  if (shownInsert_ != insert || shownModified_ != modified) ForceInsertState(insert, modified);
}

void StatusBar::ForceInsertState(bool insert, bool modified) {
  Set(5, std::string(insert ? "挿入" : "上書き") + (modified ? " / 変更" : ""));
  shownInsert_ = insert;
  shownModified_ = modified;
}

std::string StatusBar::EncodingText(const FileEncoding& encoding, LineBreakKind breaks) {
  std::string text = FileEncodingName(encoding);
  if (breaks != LineBreakKind::None) text += std::string(" ") + LineBreakName(breaks);
  return text;
}

void StatusBar::ShowEmpty() {
  Set(0, "");
  Set(1, "0/0ﾌｧｲﾙ");
  Set(2, "0ﾊﾞｲﾄ");
  Set(kCharactersPanel, "0文字");
  memo_ = CountMemo{};
  Set(3, "");
  Set(4, "");
  Set(5, "");
  Set(kEncodingPanel, "");
  shownInsert_.reset();
  shownModified_.reset();
}

}  // namespace norra
