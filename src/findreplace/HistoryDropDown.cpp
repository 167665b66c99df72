// Keys and clicks in an open history list.
#include "findreplace/HistoryDropDown.h"

#include "platform/TextControl.h"

namespace norra {

HistoryListAction HistoryDropDown::KeyUp(int key) {
  key_ = 0;
  if (key == kKeyReturn) return HistoryListAction::Recall;
  if (key == kKeyEscape) return HistoryListAction::Close;
  return HistoryListAction::None;
}

HistoryListAction HistoryDropDown::Click() const {
  return key_ > 0 ? HistoryListAction::None : HistoryListAction::Recall;
}

HistoryListAction HistoryDropDown::FocusLost(bool toOwnButton) {
  key_ = 0;
  return toOwnButton ? HistoryListAction::None : HistoryListAction::Hide;
}

}  // namespace norra
