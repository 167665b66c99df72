// Planning and applying the program's own keys of a text.
#include "documents/TextKeys.h"

#include <algorithm>

#include "documents/TextLines.h"
#include "documents/UndoRecord.h"
#include "platform/TextControl.h"

namespace norra {

namespace {

KeyPlan Select(std::size_t from, std::size_t to) {
  KeyPlan plan;
  plan.action = KeyPlan::Action::Select;
  plan.start = std::min(from, to);
  plan.length = from > to ? from - to : to - from;
  plan.backwards = to < from;
  return plan;
}

KeyPlan Caret(std::size_t at) { return Select(at, at); }

KeyPlan Replace(std::size_t start, std::size_t length, std::string text, int kind) {
  KeyPlan plan;
  plan.action = KeyPlan::Action::Replace;
  plan.start = start;
  plan.length = length;
  plan.text = std::move(text);
  plan.undoKind = kind;
  return plan;
}

// A selection plan that would leave the selection as it is changes nothing.
KeyPlan UnlessCurrent(const TextControl& control, KeyPlan plan) {
  const bool same = plan.start == control.SelStart() && plan.length == control.SelLength() &&
                    (plan.length == 0 || plan.backwards == control.SelectionBackwards());
  return same ? KeyPlan{} : plan;
}

std::size_t CountLeading(const std::string& text, char c) {
  std::size_t n = 0;
  while (n < text.size() && text[n] == c) ++n;
  return n;
}

std::size_t CountTrailing(const std::string& text, char c) {
  std::size_t n = 0;
  while (n < text.size() && text[text.size() - 1 - n] == c) ++n;
  return n;
}

// How many indent characters one Tab is worth at this column.
std::size_t TabWidth(std::size_t column, const IndentStyle& style) {
  if (style.indentChar == '\t') return 1;
  const std::size_t stop = static_cast<std::size_t>(std::max(style.tabStop, 1));
  return stop - column % stop;
}

}  // namespace

EditKey MapEditKey(int key, unsigned shift, bool selection) {
  const unsigned mods = shift & (kShiftKey | kCtrlKey | kAltKey);
  switch (key) {
    case kKeyInsert:
      if (mods == 0) return EditKey::Control;  // overwrite mode, the undo log's
      if (mods == kShiftKey) return EditKey::Paste;
      if (mods == kCtrlKey) return EditKey::Copy;
      return EditKey::Ignored;
    case kKeyDelete:
    case kKeyBack:
      if (mods == kShiftKey) return key == kKeyDelete ? EditKey::Cut : EditKey::Control;
      if (mods == kAltKey && key == kKeyBack) return EditKey::Undo;
      // The control's word deletion ignores a selection; the selection goes instead.
      if ((mods & ~kShiftKey) == kCtrlKey && selection) return EditKey::DeleteSelection;
      if (mods == 0 || mods == kCtrlKey) return EditKey::Control;
      return EditKey::Ignored;
    default:
      return EditKey::Control;
  }
}

std::size_t HomeTarget(const TextControl& control, std::size_t offset, char indentChar) {
  const LineSpan line = LineAt(control, offset);
  const std::size_t indentEnd = line.start + CountLeading(control.TextRange(line.start, line.end - line.start), indentChar);
  offset = std::min(offset, control.TextLength());
  if (offset == line.start || offset > indentEnd) return indentEnd;
  return line.start;
}

KeyPlan PlanHome(const TextControl& control, unsigned shift, std::size_t anchor, char indentChar) {
  const bool withShift = (shift & kShiftKey) != 0;
  const std::size_t selStart = control.SelStart();
  const std::size_t selEnd = selStart + control.SelLength();
  anchor = std::min(anchor, control.TextLength());
  if ((shift & kCtrlKey) != 0) return UnlessCurrent(control, withShift ? Select(anchor, 0) : Caret(0));
  if (!withShift) return UnlessCurrent(control, Caret(HomeTarget(control, selStart, indentChar)));
  // The end away from the anchor moves: the start when the selection begins before the anchor
  // (also on the anchor's own line, so a second Shift+Home goes on to the line start).
  const bool startMoves = selStart < anchor;
  const std::size_t target = HomeTarget(control, startMoves ? selStart : selEnd, indentChar);
  return UnlessCurrent(control, Select(anchor, target));
}

KeyPlan PlanEnd(const TextControl& control, unsigned shift, std::size_t anchor) {
  const bool withShift = (shift & kShiftKey) != 0;
  const std::size_t selStart = control.SelStart();
  const std::size_t selEnd = selStart + control.SelLength();
  const std::size_t length = control.TextLength();
  anchor = std::min(anchor, length);
  if ((shift & kCtrlKey) != 0) return UnlessCurrent(control, withShift ? Select(anchor, length) : Caret(length));
  if (!withShift) return UnlessCurrent(control, Caret(LineAt(control, selEnd).end));
  const bool startMoves = control.LineFromOffset(selStart) < control.LineFromOffset(anchor);
  const std::size_t target = LineAt(control, startMoves ? selStart : selEnd).end;
  return UnlessCurrent(control, Select(anchor, target));
}

KeyPlan PlanEnter(const TextControl& control, unsigned shift, char indentChar) {
  const std::size_t caret = control.SelStart();
  std::size_t count = 0;
  if ((shift & kShiftKey) == 0) {
    const LineSpan line = LineAt(control, caret);
    // A double-byte character never equals the indent character, so counting stops there.
    count = CountLeading(control.TextRange(line.start, caret - line.start), indentChar);
  }
  return Replace(caret, control.SelLength(), "\r\n" + std::string(count, indentChar), kUndoEnter);
}

KeyPlan PlanTab(const TextControl& control, unsigned shift, const IndentStyle& style) {
  const std::size_t caret = control.SelStart();
  const std::size_t column = caret - LineAt(control, caret).start;
  const std::size_t n = TabWidth(column, style);
  if ((shift & kShiftKey) == 0) {
    return Replace(caret, control.SelLength(), std::string(n, style.indentChar), kUndoTab);
  }
  const std::size_t after = CountLeading(control.TextRange(caret, n), style.indentChar);
  if (after > 0) return Replace(caret, after, std::string(), kUndoUnindentAfter);
  std::size_t m = 1;
  if (style.indentChar != '\t') {
    const std::size_t stop = static_cast<std::size_t>(std::max(style.tabStop, 1));
    m = column % stop == 0 ? stop : column % stop;
  }
  m = std::min(m, column);
  // Indent characters are never second bytes, so counting back from the caret is safe.
  const std::size_t before = CountTrailing(control.TextRange(caret - m, m), style.indentChar);
  if (before > 0) return Replace(caret - before, before, std::string(), kUndoUnindentBefore);
  return {};
}

bool ApplyKeyPlan(TextControl& control, const KeyPlan& plan) {
  switch (plan.action) {
    case KeyPlan::Action::None:
      return true;
    case KeyPlan::Action::Select:
      if (plan.backwards) {
        control.SetSelectionBackwards(plan.start, plan.length);
      } else {
        control.SetSelection(plan.start, plan.length);
      }
      return true;
    case KeyPlan::Action::Replace:
      control.SetSelection(plan.start, plan.length);
      return control.ReplaceSelection(plan.text);
  }
  return false;
}

}  // namespace norra
