// Home, End, Enter, Tab and Shift+Tab as the program does them: planned on a text control's
// state, then applied (a Page records the edit for undo; a plain edit box just applies it).
#pragma once

#include <cstddef>
#include <string>

namespace norra {

class TextControl;

struct IndentStyle {
  char indentChar = ' ';  // TAB or a space
  int tabStop = 4;
};

struct KeyPlan {
  enum class Action {
    None,     // the key changes nothing
    Select,   // select [start, start + length), caret at start when backwards
    Replace,  // put text in place of [start, start + length)
  };
  Action action = Action::None;
  std::size_t start = 0;
  std::size_t length = 0;
  bool backwards = false;
  std::string text;  // Replace: CP932
  int undoKind = 0;  // Replace: the kind of its undo record

  bool operator==(const KeyPlan&) const = default;
};

// What Delete, Backspace and Insert with modifiers do in a Page (Insert alone toggles overwrite;
// Delete and Backspace alone are the control's, captured for undo).
enum class EditKey {
  Control,          // left to the control (Shift+Backspace, Ctrl+Backspace, Ctrl+Delete)
  Cut,              // Shift+Delete
  Copy,             // Ctrl+Insert
  Paste,            // Shift+Insert
  Undo,             // Alt+Backspace
  DeleteSelection,  // Ctrl+Backspace or Ctrl+Delete over a selection
  Ignored,          // any other combination: swallowed, does nothing
};
EditKey MapEditKey(int key, unsigned shift, bool selection);

// anchor is the caret offset taken when Shift went down; shift holds ShiftFlag bits.
KeyPlan PlanHome(const TextControl& control, unsigned shift, std::size_t anchor, char indentChar);
KeyPlan PlanEnd(const TextControl& control, unsigned shift, std::size_t anchor);
KeyPlan PlanEnter(const TextControl& control, unsigned shift, char indentChar);
KeyPlan PlanTab(const TextControl& control, unsigned shift, const IndentStyle& style);

// The Home target of the line holding offset: the end of the line's indent, or the line start
// when offset lies inside the indent or at its end.
std::size_t HomeTarget(const TextControl& control, std::size_t offset, char indentChar);

// Applies a plan without undo; false when an edit was refused (the text stays as it was).
bool ApplyKeyPlan(TextControl& control, const KeyPlan& plan);

}  // namespace norra
