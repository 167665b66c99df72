// The key behaviour of the find window's two text boxes: a Page's Home, End, Enter and Tab,
// outside the Pages' undo log, and their changes reported to the window. Each box keeps its
// own undo (Ctrl+Z, Ctrl+Y there act on its text alone).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "findreplace/TextBoxUndo.h"
#include "platform/TextControl.h"

namespace norra {

class UndoLog;

class FindTextBox : public TextControlEvents {
 public:
  // The indent settings are the log's, as in a Page; changed runs after each change of the
  // text, refused when the control refused characters CP932 cannot hold (UTF-8).
  FindTextBox(TextControl& control, const UndoLog& log, std::function<void()> changed,
              std::function<void(const std::string&)> refused = {});
  ~FindTextBox() override;
  FindTextBox(const FindTextBox&) = delete;
  FindTextBox& operator=(const FindTextBox&) = delete;

  TextControl& Control() { return control_; }

  bool KeyDown(int key, unsigned shift) override;
  bool KeyPress(int character) override;
  void TextChanged() override;
  void SelectionChanged() override;
  void TextRefused(const std::string& characters) override;

  // One step of the box's own undo back, or forward again; false when there is none.
  bool Undo() { return undo_.Undo(control_); }
  bool Redo() { return undo_.Redo(control_); }
  TextBoxUndo& UndoSteps() { return undo_; }

 private:
  TextControl& control_;
  const UndoLog& log_;
  std::function<void()> changed_;
  std::function<void(const std::string&)> refused_;
  std::size_t anchor_ = 0;  // caret when Shift went down
  TextBoxUndo undo_;
};

}  // namespace norra
