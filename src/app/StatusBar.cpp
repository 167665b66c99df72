// The status panels' texts.
#include "app/StatusBar.h"

#include "app/MainView.h"
#include "documents/TextLines.h"
#include "platform/TextControl.h"

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

void StatusBar::ShowPage(const TextControl& control, std::size_t position, std::size_t count) {
  ShowPosition(position, count);
  const std::size_t selection = control.SelLength();
  Set(2, selection > 0 ? "選択" + std::to_string(selection)
                       : std::to_string(control.TextLength()) + "ﾊﾞｲﾄ");
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
  Set(3, "");
  Set(4, "");
  Set(5, "");
  Set(6, "");
  shownInsert_.reset();
  shownModified_.reset();
}

}  // namespace norra
