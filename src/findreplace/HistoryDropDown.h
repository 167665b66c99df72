// How an open history drop-down list answers keys, mouse presses and clicks: the key last
// pressed decides whether a click (also raised when the keyboard moves the selection) recalls.
#pragma once

namespace norra {

enum class HistoryListAction {
  None,    // stay open
  Recall,  // recall the selected row's entry, focus its box, hide the list
  Close,   // focus its box, hide the list
  Hide,    // hide the list; the focus stays where the user put it
};

class HistoryDropDown {
 public:
  static constexpr int kMousePressed = -100;

  // The key code last pressed in an open list; kMousePressed after a mouse press; 0 otherwise.
  int Key() const { return key_; }

  void KeyDown(int key) { key_ = key; }
  // Enter recalls, Esc closes; every key up forgets the key.
  HistoryListAction KeyUp(int key);
  void MousePress() { key_ = kMousePressed; }
  // A click that follows a key still held down moved the selection only.
  HistoryListAction Click() const;
  // The list lost the focus: it hides, leaving the focus where it went, unless the focus
  // went to its own drop-down button, whose press then closes it.
  HistoryListAction FocusLost(bool toOwnButton);

 private:
  int key_ = 0;
};

}  // namespace norra
