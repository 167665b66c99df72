// Typing capture and overwrite emulation of the current Page; undo steps around the history.
#include "documents/UndoLog.h"

#include <algorithm>

#include "documents/CaptureSuspension.h"
#include "documents/EditingKeys.h"
#include "documents/Page.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/Charset.h"
#include "text/Cp932.h"

namespace norra {

namespace {

bool IsBreakByte(char c) { return c == '\r' || c == '\n'; }

// Kinds that undo as typing does: select what went in, put back what was selected.
bool UndoesAsTyping(int kind) {
  switch (kind) {
    case kUndoBackspace:
    case kUndoDelete:
    case kUndoCut:
    case kUndoPaste:
    case kUndoReplaceOne:
    case kUndoReplaceAll:
    case kUndoReplaceSelection:
    case kUndoReplaceAllPages:
    case kUndoUnindentAfter:
    case kUndoUnindentBefore:
    case kUndoDeleteWord:
      return false;
    default:
      return true;
  }
}

// Start of the character that ends at offset (a boundary). A run of lead-range bytes
// alternates lead and second bytes from the last byte outside the range, so counting that
// run decides the step without scanning from the start of the text.
std::size_t CharStartBefore(const TextControl& control, std::size_t offset) {
  if (offset == 0) return 0;
  if (offset == 1) return 0;
  if (control.TextCharset() == Charset::Utf8) {
    // A UTF-8 character ends here when one starting up to three bytes back reaches it.
    const std::size_t from = offset - std::min<std::size_t>(offset, 4);
    const std::string chunk = control.TextRange(from, offset - from);
    for (std::size_t back = 2; back <= chunk.size(); ++back) {
      if (static_cast<std::size_t>(CharLengthAt(Charset::Utf8, chunk, chunk.size() - back)) == back) {
        return offset - back;
      }
    }
    return offset - 1;
  }
  const std::size_t window = std::min<std::size_t>(offset - 1, 64);
  std::size_t leadRun = 0;
  std::size_t from = offset - 1;
  for (;;) {
    const std::size_t chunkStart = from - std::min(from, window);
    const std::string chunk = control.TextRange(chunkStart, from - chunkStart);
    std::size_t i = chunk.size();
    while (i > 0 && IsLeadByte(static_cast<unsigned char>(chunk[i - 1]))) --i;
    leadRun += chunk.size() - i;
    if (i > 0 || chunkStart == 0) break;
    from = chunkStart;
  }
  return (leadRun % 2 == 1) ? offset - 2 : offset - 1;
}

}  // namespace

UndoLog::UndoLog(Ui& ui) : ui_(ui) {}

void UndoLog::Configure(const EditSettings& edit) {
  SetUndoEnabled(edit.WriteUndoLog);
  SetClearOnBigChange(edit.ClearLogsAllByBigChange, static_cast<std::size_t>(std::max(edit.MaxLogBytes, 0)));
  SetTrimming(edit.ClearLogsByBytes, static_cast<std::size_t>(std::max(edit.LostBytesStartClear, 0)),
              static_cast<std::size_t>(std::max(edit.LostBytesEndClear, 0)));
  SetIndent(edit.UseTabCode, edit.TabStop);
}

void UndoLog::SetUndoEnabled(bool on) {
  if (on != Enabled()) CloseRun();
  history_.SetUndoEnabled(on);
}

void UndoLog::SetIndent(bool useTab, int tabStop) {
  indentChar_ = useTab ? '\t' : ' ';
  tabStop_ = tabStop > 0 ? tabStop : 1;
  // A TAB on screen is as wide as the indent Tab computes with.
  for (Page* page : listed_) page->Control().SetTabWidth(tabStop_);
}

void UndoLog::SetCurrentPage(Page* page) {
  CloseRun();
  stateFresh_ = false;
  composing_ = false;
  current_ = page;
  history_.SetCurrentPage(page);
  if (page != nullptr) {
    if (std::find(listed_.begin(), listed_.end(), page) == listed_.end()) listed_.push_back(page);
    page->Control().SetTabWidth(tabStop_);
    knownLength_ = page->Control().TextLength();
    EmulateOverwrite();
  }
  changed_ = true;
}

void UndoLog::ResumeCapture() {
  if (suspended_ > 0) --suspended_;
  if (suspended_ > 0) return;
  // Changes made meanwhile are the command's own: typing goes on from the new length, and a
  // key taken before the command announces nothing any more.
  stateFresh_ = false;
  if (current_ != nullptr) knownLength_ = current_->Control().TextLength();
}

// ---- history ----

bool UndoLog::RecordCommand(int kind) {
  // A command between two keys ends the typing run, so the next key cannot stretch its record.
  CloseRun();
  return history_.RecordCommand(kind);
}

void UndoLog::ClearUndoLog() {
  CloseRun();
  history_.ClearUndoLog();
}

void UndoLog::DropPageUndo(Page& page) {
  CloseRun();
  history_.DropPageUndo(page);
}

void UndoLog::TrimUndoLog() {
  if (history_.TrimUndoLog()) CloseRun();
}

void UndoLog::PageGone(Page& page) {
  CloseRun();
  history_.PageGone(page);
  std::erase(listed_, &page);
  if (current_ == &page) SetCurrentPage(nullptr);
  if (undoPage_ == &page) undoPage_ = nullptr;
}

// ---- keystroke capture ----

void UndoLog::TakeKeyState(TextControl& control) {
  keySelStart_ = control.SelStart();
  keySelLength_ = control.SelLength();
  keyLength_ = control.TextLength();
  stateFresh_ = true;
}

bool UndoLog::KeyDown(Page& page, int key, unsigned shift) {
  if (!Delivered(page) || composing_) return false;
  lastKeyHandled_ = false;
  TextControl& control = page.Control();
  const bool ctrl = (shift & kCtrlKey) != 0;
  const std::size_t caret = control.SelStart();
  const bool selection = control.SelLength() > 0;
  const std::size_t length = control.TextLength();

  auto navigation = [&](int pending, bool swallow) {
    CloseRun();
    stateFresh_ = false;
    pendingKind_ = pending;
    return swallow;
  };

  // Delete, Backspace and Insert with a modifier may stand for a command of the program's.
  const bool modified = (shift & (kShiftKey | kCtrlKey | kAltKey)) != 0;
  if (modified && editingKeys_ != nullptr && (key == kKeyDelete || key == kKeyBack || key == kKeyInsert)) {
    CloseRun();
    stateFresh_ = false;
    if (editingKeys_->HandleKey(page, key, shift)) return true;
  }

  switch (key) {
    case kKeyTab:
    case kKeyHome:
    case kKeyEnd:
    case kKeyEscape:
    case kKeyReturn:
      if (key == kKeyReturn && ctrl) break;  // left to the control, captured as typing
      if (editingKeys_ != nullptr) {
        CloseRun();
        stateFresh_ = false;
        lastKeyHandled_ = editingKeys_->HandleKey(page, key, shift);
        return lastKeyHandled_;
      }
      if (key == kKeyHome) return navigation(kPendingBackward, false);
      if (key == kKeyEnd) return navigation(kPendingAfterChar, false);
      if (key == kKeyEscape) return false;
      break;  // Tab and Enter type their character
    case kKeyShift:
      anchor_ = caret;
      CloseRun();
      stateFresh_ = false;
      return false;
    case kKeyControl:
      CloseRun();
      stateFresh_ = false;
      return false;
    case kKeyInsert:
      ToggleInsertMode();
      return true;
    case kKeyLeft:
      return navigation(kPendingBackward, !selection && caret == 0);
    case kKeyRight:
      return navigation(kPendingAfterChar, !selection && caret >= length);
    case kKeyUp:
      return navigation(kPendingBackward, !selection && control.LineFromOffset(caret) == 0);
    case kKeyDown:
      return navigation(kPendingBackward, !selection && control.LineFromOffset(caret) + 1 >= control.LineCount());
    case kKeyPageUp:
      return navigation(kPendingBackward, !selection && caret == 0);
    case kKeyPageDown:
      return navigation(kPendingBackward, !selection && caret >= length);
    case kKeyDelete:
      CloseRun();
      TakeKeyState(control);
      if (!selection && caret >= length) {
        stateFresh_ = false;
        return true;
      }
      if (ctrl && !selection) {
        pendingKind_ = kUndoDeleteWord;
        pendingText_ = control.TextRange(caret, length - caret);
      } else {
        pendingKind_ = kUndoDelete;
        pendingText_ = selection ? control.SelText() : control.TextRange(caret, 2);
      }
      return false;
    default:
      break;
  }

  // A Ctrl key types nothing (but Backspace and Enter): it announces no change, so a change
  // that follows without a key of its own is not taken for it.
  if (ctrl && (shift & kAltKey) == 0 && key != kKeyBack && key != kKeyReturn) {
    CloseRun();
    stateFresh_ = false;
    return false;
  }

  // Any other key: what it may remove, and where a run of typing begins.
  TakeKeyState(control);
  pendingKind_ = key;
  if (selection) {
    pendingText_ = control.SelText();
    CloseRun();
  } else if (key == kKeyBack) {
    // Ctrl+Backspace takes the word before the caret, however long: the change says how much.
    if (ctrl) {
      pendingText_ = control.TextRange(0, caret);
    } else {
      pendingText_ = caret >= 2 ? control.TextRange(caret - 2, 2) : control.TextRange(0, caret);
    }
    CloseRun();
  } else {
    pendingText_.clear();
    if (runStart_ < 0) runStart_ = static_cast<long>(caret);
  }
  return false;
}

bool UndoLog::KeyPress(Page& page, int character) {
  if (!Delivered(page) || composing_) return false;
  // The key-down handler already put in what Tab and Enter stand for.
  const bool handled = lastKeyHandled_;
  lastKeyHandled_ = false;
  return handled && (character == '\t' || character == '\r' || character == '\n');
}

void UndoLog::TextChanged(Page& page) {
  if (!Delivered(page)) return;
  // A change of the user's own: what was undone can no longer be redone onto it.
  history_.ClearRedo();
  TextControl& control = page.Control();
  if (composing_) {
    composing_ = false;
    pendingKind_ = kUndoComposition;
  }
  const std::size_t caret = control.SelStart();
  const std::size_t newLength = control.TextLength();
  if (stateFresh_) {
    stateFresh_ = false;
    RecordTyping(page, caret, newLength);
  } else {
    ContinueOrDiscard(page, caret, newLength);
  }
  knownLength_ = newLength;
  page.SetModified(true);
  changed_ = true;
  if (!insertMode_) {
    pendingKind_ = pendingKind_ == kUndoBackspace ? kPendingBackward : kPendingAfterChar;
    EmulateOverwrite();
  }
}

void UndoLog::RecordTyping(Page& page, std::size_t caret, std::size_t newLength) {
  if (!Enabled()) return;
  const bool sameRun = runStart_ >= 0 && keySelStart_ != static_cast<std::size_t>(runStart_);
  // The run's record must still be the newest and end where this key began.
  UndoRecord* newest = history_.Newest();
  if (sameRun && newest != nullptr) {
    if (newest->page == &page && newest->positionAfter == keySelStart_ && UndoesAsTyping(newest->kind)) {
      newest->positionAfter = caret;
      changed_ = true;
      return;
    }
  }
  std::string_view kept = pendingText_;
  const std::size_t removed = keyLength_ > newLength ? keyLength_ - newLength : 0;
  if (pendingKind_ == kUndoDeleteWord) {
    kept = kept.substr(0, removed);
  } else if (keySelLength_ == 0 && removed > 0 && removed < kept.size()) {
    // Keep exactly what the control removed: the character before the caret may be one byte
    // even when the byte before it looks like a lead byte (it is then a second byte).
    if (pendingKind_ == kUndoBackspace) kept = kept.substr(kept.size() - removed);
    if (pendingKind_ == kUndoDelete) kept = kept.substr(0, removed);
  }
  if (!history_.AddRecord(page, pendingKind_, keySelStart_, keySelLength_, caret, 0, kept)) CloseRun();
  if (runStart_ >= 0) runStart_ = static_cast<long>(keySelStart_);
}

// A change no key announced (more committed input, a drag inside the control, a command that
// skipped the protocol). Text added right at the end of the newest typing record extends it;
// anything else leaves the records without a way back, so the log starts afresh.
void UndoLog::ContinueOrDiscard(Page& page, std::size_t caret, std::size_t newLength) {
  UndoRecord* newest = history_.Newest();
  if (!Enabled() || newest == nullptr) return;
  if (newest->page == &page && UndoesAsTyping(newest->kind) && newLength > knownLength_ &&
      caret == newest->positionAfter + (newLength - knownLength_)) {
    newest->positionAfter = caret;
    return;
  }
  ClearUndoLog();
}

void UndoLog::SelectionChanged(Page& page) {
  if (!Delivered(page) || selectionEventsOff_) return;
  changed_ = true;
  if (!insertMode_ && (pendingKind_ == kPendingAfterChar || pendingKind_ == kPendingBackward)) EmulateOverwrite();
}

void UndoLog::MouseDown(Page& page) {
  if (!Delivered(page)) return;
  CloseRun();
  stateFresh_ = false;
}

void UndoLog::CompositionStarted(Page& page) {
  if (!Delivered(page)) return;
  // No key down comes before an input-method event here, so the state is taken now.
  TextControl& control = page.Control();
  TakeKeyState(control);
  pendingKind_ = kUndoComposition;
  pendingText_ = control.SelLength() > 0 ? control.SelText() : std::string();
  composing_ = true;
  CloseRun();
}

void UndoLog::CompositionEnded(Page& page) {
  if (!Delivered(page)) return;
  if (!composing_) return;  // the committed text was recorded by its change
  composing_ = false;
  TextControl& control = page.Control();
  // Recorded only when the text really changed; a record of nothing would undo wrongly.
  if (stateFresh_ && control.TextLength() != keyLength_) {
    stateFresh_ = false;
    page.SetModified(true);
    if (!history_.AddRecord(page, kUndoComposition, keySelStart_, keySelLength_, control.SelStart(), 0,
                            pendingText_))
      CloseRun();
    knownLength_ = control.TextLength();
  }
  stateFresh_ = false;
  changed_ = true;
  if (!insertMode_) {
    pendingKind_ = kPendingAfterChar;
    EmulateOverwrite();
  }
}

// ---- overwrite emulation ----

void UndoLog::SelectQuietly(TextControl& control, std::size_t start, std::size_t length, bool backwards) {
  selectionEventsOff_ = true;
  if (backwards) {
    control.SetSelectionBackwards(start, length);
  } else {
    control.SetSelection(start, length);
  }
  selectionEventsOff_ = false;
}

void UndoLog::EmulateOverwrite() {
  if (insertMode_ || current_ == nullptr) return;
  TextControl& control = current_->Control();
  if (control.SelLength() != 0) return;
  const std::size_t caret = control.SelStart();
  const std::size_t length = control.TextLength();
  if (length == 0) return;
  // A line break is never selected: typing at a line end inserts rather than joining lines.
  auto selectAfter = [&](std::size_t at) {
    const std::string bytes = control.TextRange(at, 4);
    if (bytes.empty() || IsBreakByte(bytes[0])) return;
    const std::size_t n = static_cast<std::size_t>(CharLengthAt(control.TextCharset(), bytes, 0));
    SelectQuietly(control, at, n, false);
  };
  if (pendingKind_ == kPendingAfterChar) {
    if (caret < length) selectAfter(caret);
  } else if (pendingKind_ == kPendingBackward) {
    if (caret == 0) {
      selectAfter(0);
      return;
    }
    const std::size_t start = CharStartBefore(control, caret);
    const std::string bytes = control.TextRange(start, 1);
    if (bytes.empty() || IsBreakByte(bytes[0])) return;
    SelectQuietly(control, start, caret - start, true);
  }
}

void UndoLog::ToggleInsertMode() {
  insertMode_ = !insertMode_;
  changed_ = true;
  if (current_ == nullptr) return;
  if (!insertMode_) {
    pendingKind_ = kPendingAfterChar;
    EmulateOverwrite();
  } else {
    TextControl& control = current_->Control();
    if (control.SelLength() > 0) SelectQuietly(control, control.SelStart(), 0, false);
  }
}

// ---- undo ----

Page* UndoLog::UndoLast() { return Step(false); }

Page* UndoLog::RedoLast() { return Step(true); }

Page* UndoLog::Step(bool redo) {
  auto available = [this, redo] { return redo ? RedoCount() : RecordCount(); };
  if (undoing_ || !Enabled()) return nullptr;
  CloseRun();
  stateFresh_ = false;
  if (available() == 0) return nullptr;
  undoing_ = true;
  // Pending events run before anything is taken, so no Page can go while its record is held.
  ui_.ProcessPendingEvents();
  Page* result = nullptr;
  if (available() > 0) {
    CaptureSuspension capture(*this);
    result = redo ? history_.RedoStep() : history_.UndoStep();
  }
  if (result != nullptr) {
    undoPage_ = result;
    ui_.ProcessPendingEvents();
    result = undoPage_;  // null when the Page went meanwhile
    undoPage_ = nullptr;
  }
  if (result != nullptr && result == current_) knownLength_ = result->Control().TextLength();
  undoing_ = false;
  changed_ = true;
  return result;
}

}  // namespace norra
