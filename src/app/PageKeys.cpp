// Home, End, Enter and Tab in a Page: the plan of TextKeys applied under the command protocol.
#include "app/PageKeys.h"

#include "app/TextKeys.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "platform/TextControl.h"

namespace norra {

PageKeys::PageKeys(UndoLog& log, std::function<void()> escape, std::function<void()> changed)
    : log_(log), escape_(std::move(escape)), changed_(std::move(changed)) {}

bool PageKeys::HandleKey(Page& page, int key, unsigned shift) {
  TextControl& control = page.Control();
  KeyPlan plan;
  switch (key) {
    case kKeyEscape:
      if (escape_) escape_();
      return false;
    case kKeyHome:
      plan = PlanHome(control, shift, log_.SelectionAnchor(), log_.IndentChar());
      break;
    case kKeyEnd:
      plan = PlanEnd(control, shift, log_.SelectionAnchor());
      break;
    case kKeyReturn:
      if ((shift & kCtrlKey) != 0) return false;  // the control's own line break, captured as typing
      plan = PlanEnter(control, shift, log_.IndentChar());
      break;
    case kKeyTab:
      plan = PlanTab(control, shift, IndentStyle{log_.IndentChar(), log_.TabStop()});
      break;
    default:
      return false;
  }

  // Every caret move of these keys leaves overwrite mode looking at the character after it
  // (set first, so the selection change below already sees it).
  log_.SetPendingKind(kPendingAfterChar);
  if (plan.action == KeyPlan::Action::Select) {
    control.SuspendPainting();
    ApplyKeyPlan(control, plan);
    control.ResumePainting();
  } else if (plan.action == KeyPlan::Action::Replace) {
    log_.SetCommandTarget(page, KeepText::Selection);
    if (plan.undoKind == kUndoUnindentAfter || plan.undoKind == kUndoUnindentBefore) {
      // The record keeps the removed indent and the selection as it was.
      log_.Target().keptText = control.TextRange(plan.start, plan.length);
    }
    const bool painting = key == kKeyTab && (shift & kShiftKey) != 0;
    if (painting) control.SuspendPainting();
    log_.SuspendCapture();
    const bool ok = ApplyKeyPlan(control, plan);
    if (ok) {
      log_.TakeSelectionAfter();
      page.SetModified(true);
      log_.RecordCommand(plan.undoKind);
    }
    log_.ResumeCapture();
    if (painting) control.ResumePainting();
  }
  log_.EmulateOverwrite();
  if (plan.action != KeyPlan::Action::None && changed_) changed_();
  return true;
}

}  // namespace norra
