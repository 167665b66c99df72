// The key behaviour of the find window's two text boxes: a Page's Home, End, Enter and Tab,
// applied without undo, and their changes reported to the window.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/TextControl.h"

namespace norra {

class UndoLog;

class FindTextBox : public TextControlEvents {
 public:
  // The indent settings are the log's, as in a Page; changed runs after each change of the text.
  FindTextBox(TextControl& control, const UndoLog& log, std::function<void()> changed);
  ~FindTextBox() override;
  FindTextBox(const FindTextBox&) = delete;
  FindTextBox& operator=(const FindTextBox&) = delete;

  TextControl& Control() { return control_; }

  bool KeyDown(int key, unsigned shift) override;
  bool KeyPress(int character) override;
  void TextChanged() override;

 private:
  TextControl& control_;
  const UndoLog& log_;
  std::function<void()> changed_;
  std::size_t anchor_ = 0;  // caret when Shift went down
};

}  // namespace norra
