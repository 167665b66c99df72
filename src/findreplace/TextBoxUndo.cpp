// TextBoxUndo: the steps of one box's text, kept as whole texts with their selections.
#include "findreplace/TextBoxUndo.h"

#include "platform/TextControl.h"
#include "text/Cp932.h"

namespace norra {

TextBoxUndo::State TextBoxUndo::Capture(const TextControl& box) {
  return State{box.Text(), box.SelStart(), box.SelLength()};
}

void TextBoxUndo::Reset(const TextControl& box) {
  current_ = Capture(box);
  undo_.clear();
  redo_.clear();
  typing_ = false;
}

bool TextBoxUndo::OneCharacterTyped(const State& before, const State& now) {
  if (now.selLength != 0 || now.text.size() + before.selLength <= before.text.size()) return false;
  const std::size_t added = now.text.size() + before.selLength - before.text.size();
  if (now.selStart != before.selStart + added) return false;
  if (added != static_cast<std::size_t>(CharStepAt(now.text, before.selStart))) return false;
  // Nothing but the selection, now the typed character, differs.
  const std::size_t after = before.selStart + before.selLength;
  return now.text.compare(0, before.selStart, before.text, 0, before.selStart) == 0 &&
         now.text.compare(now.selStart, std::string::npos, before.text, after,
                          std::string::npos) == 0;
}

void TextBoxUndo::TextChanged(const TextControl& box) {
  if (restoring_) return;
  State now = Capture(box);
  if (now.text == current_.text) {
    current_ = std::move(now);
    return;
  }
  const bool typed = OneCharacterTyped(current_, now);
  // A character typed right after the run the newest step holds joins it; anything else, a
  // character typed over a selection too, is a step of its own.
  const bool joins = typed && typing_ && current_.selLength == 0 && !undo_.empty();
  if (!joins) {
    undo_.push_back(std::move(current_));
    if (undo_.size() > kMaxSteps) undo_.erase(undo_.begin());
  }
  typing_ = typed;
  redo_.clear();
  current_ = std::move(now);
}

void TextBoxUndo::SelectionChanged(const TextControl& box) {
  if (restoring_) return;
  const std::size_t start = box.SelStart();
  const std::size_t length = box.SelLength();
  if (start == current_.selStart && length == current_.selLength) return;
  current_.selStart = start;
  current_.selLength = length;
  typing_ = false;
}

void TextBoxUndo::Restore(TextControl& box, const State& state) {
  restoring_ = true;
  box.SetSelection(0, box.TextLength());
  box.ReplaceSelection(state.text);
  box.SetSelection(state.selStart, state.selLength);
  restoring_ = false;
  current_ = Capture(box);
  typing_ = false;
}

bool TextBoxUndo::Undo(TextControl& box) {
  return Step(box, undo_, redo_);
}

bool TextBoxUndo::Redo(TextControl& box) {
  return Step(box, redo_, undo_);
}

// Takes the newest state of `from` back into the box; the box's state now goes to `to`.
bool TextBoxUndo::Step(TextControl& box, std::vector<State>& from, std::vector<State>& to) {
  if (from.empty()) return false;
  State back = std::move(from.back());
  from.pop_back();
  to.push_back(current_);
  Restore(box, back);
  return true;
}

}  // namespace norra
