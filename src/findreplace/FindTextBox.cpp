// FindTextBox: plans the program's own keys on a box and applies them without undo.
#include "findreplace/FindTextBox.h"

#include "documents/TextKeys.h"
#include "documents/UndoLog.h"

namespace norra {

FindTextBox::FindTextBox(TextControl& control, const UndoLog& log, std::function<void()> changed,
                         std::function<void(const std::string&)> refused)
    : control_(control), log_(log), changed_(std::move(changed)), refused_(std::move(refused)) {
  control_.SetEvents(this);
  undo_.Reset(control_);
}

FindTextBox::~FindTextBox() {
  if (control_.Events() == this) control_.SetEvents(nullptr);
}

bool FindTextBox::KeyDown(int key, unsigned shift) {
  KeyPlan plan;
  switch (key) {
    case kKeyShift: {
      const bool back = control_.SelectionBackwards();
      anchor_ = back ? control_.SelStart() : control_.SelStart() + control_.SelLength();
      return false;
    }
    case kKeyHome:
      plan = PlanHome(control_, shift, anchor_, log_.IndentChar());
      break;
    case kKeyEnd:
      plan = PlanEnd(control_, shift, anchor_);
      break;
    case kKeyReturn:
      if ((shift & kCtrlKey) != 0) return false;
      plan = PlanEnter(control_, shift, log_.IndentChar());
      break;
    case kKeyTab:
      // Without WantTabs, Tab moves the focus on: the control's own business.
      if (!control_.WantTabs() || (shift & (kCtrlKey | kAltKey)) != 0) return false;
      plan = PlanTab(control_, shift, IndentStyle{log_.IndentChar(), log_.TabStop()});
      break;
    default:
      return false;
  }
  if (ApplyKeyPlan(control_, plan) && plan.action == KeyPlan::Action::Replace && changed_)
    changed_();
  return true;
}

bool FindTextBox::KeyPress(int character) {
  // Tab and Enter were planned at key down; their characters must not go in a second time.
  return (character == 9 && control_.WantTabs()) || character == 13;
}

void FindTextBox::TextChanged() {
  undo_.TextChanged(control_);
  if (changed_) changed_();
}

void FindTextBox::SelectionChanged() {
  undo_.SelectionChanged(control_);
}

void FindTextBox::TextRefused(const std::string& characters) {
  if (refused_) refused_(characters);
}

}  // namespace norra
