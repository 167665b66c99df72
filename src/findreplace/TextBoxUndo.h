// The undo of one find-window box: Ctrl+Z and Ctrl+Y there step through the box's own text,
// never the Pages, whose undo log is one for all of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace norra {

class TextControl;

// Each change of the box keeps the text and selection it replaced; a run of characters typed
// one after another at the caret is one step, as in an edit control (a paste, a tag, Enter
// are steps of their own). Limits: the steps are
// whole copies of the box's text (find texts are short), and only the newest kMaxSteps are
// kept.
class TextBoxUndo {
 public:
  static constexpr std::size_t kMaxSteps = 100;

  // Starts from the box as it is, with nothing to undo.
  void Reset(const TextControl& box);
  // The box's text changed (typed, pasted, inserted by the program): a step to undo.
  void TextChanged(const TextControl& box);
  // The caret or selection moved: a typing run ends when it moves elsewhere.
  void SelectionChanged(const TextControl& box);

  // Puts the box back one step, or forward again; false when there is none. The change is
  // made through the box, which reports it as any change; it is not recorded as a new step.
  bool Undo(TextControl& box);
  bool Redo(TextControl& box);
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }

 private:
  struct State {
    std::string text;  // CP932
    std::size_t selStart = 0;
    std::size_t selLength = 0;
  };
  static State Capture(const TextControl& box);
  // Whether `now` is `before` with one character typed over its selection (or at its caret).
  static bool OneCharacterTyped(const State& before, const State& now);
  void Restore(TextControl& box, const State& state);
  bool Step(TextControl& box, std::vector<State>& from, std::vector<State>& to);

  State current_;
  std::vector<State> undo_;
  std::vector<State> redo_;
  bool typing_ = false;  // the newest step is a typing run, which may grow
  bool restoring_ = false;
};

}  // namespace norra
