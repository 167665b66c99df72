// Home, End, Enter and Tab in a Page: the plan of TextKeys applied under the command protocol;
// the clipboard keys of Delete and Insert run the menu commands.
#include "app/PageKeys.h"

#include <exception>

#include "documents/TextKeys.h"
#include "documents/PageEdit.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "platform/TextControl.h"

namespace norra {

PageKeys::PageKeys(UndoLog& log, std::function<void()> escape, std::function<void(UiItem)> command,
                   std::function<void()> changed)
    : log_(log),
      escape_(std::move(escape)),
      command_(std::move(command)),
      changed_(std::move(changed)) {}

bool PageKeys::HandleEditKey(Page& page, int key, unsigned shift) {
  TextControl& control = page.Control();
  auto run = [this](UiItem item) {
    if (command_) command_(item);
    return true;
  };
  switch (MapEditKey(key, shift, control.SelLength() > 0)) {
    case EditKey::Control:
      return false;
    case EditKey::Cut:
      return run(UiItem::CutItem);
    case EditKey::Copy:
      return run(UiItem::CopyItem);
    case EditKey::Paste:
      return run(UiItem::PasteItem);
    case EditKey::Undo:
      return run(UiItem::mnuUndo);
    case EditKey::Ignored:
      return true;
    case EditKey::DeleteSelection: {
      KeyPlan plan;
      plan.action = KeyPlan::Action::Replace;
      plan.start = control.SelStart();
      plan.length = control.SelLength();
      plan.undoKind = key == kKeyBack ? kUndoBackspace : kUndoDelete;
      log_.SetPendingKind(key == kKeyBack ? kPendingBackward : kPendingAfterChar);
      Apply(page, plan, false);
      log_.EmulateOverwrite();
      if (changed_) changed_();
      return true;
    }
  }
  return false;
}

void PageKeys::Apply(Page& page, const KeyPlan& plan, bool suspendPainting) {
  TextControl& control = page.Control();
  if (plan.action == KeyPlan::Action::Select) {
    PaintingSuspension painting(control);
    ApplyKeyPlan(control, plan);
    control.ResetCaretColumn();
    return;
  }
  if (plan.action != KeyPlan::Action::Replace) return;
  try {
    EditPage(
        log_, page, plan.undoKind, KeepText::Selection,
        [&](PageEdit& edit) {
          if (plan.undoKind == kUndoUnindentAfter || plan.undoKind == kUndoUnindentBefore) {
            // The record keeps the removed indent and the selection as it was.
            edit.Target().keptText = control.TextRange(plan.start, plan.length);
          }
          return ApplyKeyPlan(control, plan) ? EditOutcome::Changed : EditOutcome::Unchanged;
        },
        suspendPainting);
  } catch (const std::exception&) {
    // The edit cleared the history; a key goes no further than its Page.
  }
  control.ResetCaretColumn();
}

bool PageKeys::HandleKey(Page& page, int key, unsigned shift) {
  TextControl& control = page.Control();
  KeyPlan plan;
  switch (key) {
    case kKeyEscape:
      if (escape_) escape_();
      return false;
    case kKeyDelete:
    case kKeyBack:
    case kKeyInsert:
      return HandleEditKey(page, key, shift);
    case kKeyHome:
      plan = PlanHome(control, shift, log_.SelectionAnchor(), log_.IndentChar());
      break;
    case kKeyEnd:
      plan = PlanEnd(control, shift, log_.SelectionAnchor());
      break;
    case kKeyReturn:
      if ((shift & kCtrlKey) != 0)
        return false;  // the control's own line break, captured as typing
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
  Apply(page, plan, key == kKeyTab && (shift & kShiftKey) != 0);
  log_.EmulateOverwrite();
  if (plan.action != KeyPlan::Action::None && changed_) changed_();
  return true;
}

}  // namespace norra
