// The undo history: records, typing capture, overwrite emulation, undo, trimming.
#include "documents/UndoLog.h"

#include <algorithm>
#include <new>

#include "documents/CaptureSuspension.h"
#include "documents/EditingKeys.h"
#include "documents/Page.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
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
  if (on == enabled_) return;
  ClearUndoLog();
  enabled_ = on;
}

void UndoLog::SetClearOnBigChange(bool on, std::size_t maxLogBytes) {
  clearOnBigChange_ = on;
  maxLogBytes_ = maxLogBytes;
}

void UndoLog::SetTrimming(bool on, std::size_t startBytes, std::size_t endBytes) {
  trimByBytes_ = on;
  trimStart_ = startBytes;
  trimEnd_ = endBytes;
}

void UndoLog::SetIndent(bool useTab, int tabStop) {
  indentChar_ = useTab ? '\t' : ' ';
  tabStop_ = tabStop > 0 ? tabStop : 1;
  // A TAB on screen is as wide as the indent Tab computes with.
  for (Page* page : textList_) page->Control().SetTabWidth(tabStop_);
  if (current_ != nullptr) current_->Control().SetTabWidth(tabStop_);
}

void UndoLog::SetCurrentPage(Page* page) {
  CloseRun();
  stateFresh_ = false;
  composing_ = false;
  current_ = page;
  if (page != nullptr) {
    EnsureListed(*page);
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

void UndoLog::EnsureListed(Page& page) {
  if (std::find(textList_.begin(), textList_.end(), &page) == textList_.end()) textList_.push_back(&page);
}

// ---- records ----

bool UndoLog::AddRecord(Page& page, int kind, std::size_t startBefore, std::size_t selLengthBefore,
                        std::size_t positionAfter, std::size_t selLengthAfter, std::string_view kept) {
  if (!enabled_) return false;
  changed_ = true;
  if (clearOnBigChange_) {
    if (kind == kUndoReplaceAllPages) {
      groupBytes_ += kept.size();
      if (groupBytes_ >= maxLogBytes_) {
        ClearUndoLog();
        return false;
      }
    }
    if (kept.size() >= maxLogBytes_) {
      ClearUndoLog();
      return false;
    }
  }
  try {
    EnsureListed(page);
    records_.push_back({&page, kind, startBefore, positionAfter, selLengthBefore, selLengthAfter, kept.size(), group_});
    try {
      page.UndoText().Append(kept);
    } catch (...) {
      records_.pop_back();
      throw;
    }
  } catch (const std::bad_alloc&) {
    ClearUndoLog();
    return false;
  } catch (const std::length_error&) {
    ClearUndoLog();
    return false;
  }
  totalBytes_ += kept.size();
  trimNeeded_ = trimByBytes_;
  return true;
}

void UndoLog::SetCommandTarget(Page& page, KeepText keep) {
  TextControl& control = page.Control();
  target_ = CommandTarget{};
  target_.page = &page;
  target_.startBefore = control.SelStart();
  target_.selLengthBefore = control.SelLength();
  if (keep == KeepText::Selection) target_.keptText = control.SelText();
  if (keep == KeepText::WholeText) target_.keptText = control.Text();
  target_.startAfter = target_.startBefore;
}

void UndoLog::TakeSelectionAfter() {
  if (target_.page == nullptr) return;
  target_.startAfter = target_.page->Control().SelStart();
  target_.selLengthAfter = target_.page->Control().SelLength();
}

bool UndoLog::RecordCommand(int kind) {
  // A command between two keys ends the typing run, so the next key cannot stretch its record.
  CloseRun();
  if (target_.page == nullptr) return false;
  return AddRecord(*target_.page, kind, target_.startBefore, target_.selLengthBefore, target_.startAfter,
                   target_.selLengthAfter, target_.keptText);
}

void UndoLog::BeginCommandGroup() {
  if (!enabled_) return;
  ++group_;
  groupBytes_ = 0;
}

void UndoLog::ClearUndoLog() {
  CloseRun();
  records_.clear();
  for (Page* page : textList_) page->UndoText().Clear();
  textList_.clear();
  if (current_ != nullptr) textList_.push_back(current_);
  totalBytes_ = 0;
  changed_ = true;
}

void UndoLog::DropPageUndo(Page& page) {
  CloseRun();
  std::erase_if(records_, [&page](const UndoRecord& record) { return record.page == &page; });
  totalBytes_ -= std::min(totalBytes_, page.UndoText().Size());
  page.UndoText().Clear();
  std::erase(textList_, &page);
  changed_ = true;
}

void UndoLog::PageGone(Page& page) {
  DropPageUndo(page);
  if (current_ == &page) SetCurrentPage(nullptr);
  if (target_.page == &page) target_ = CommandTarget{};
  if (undoPage_ == &page) undoPage_ = nullptr;
}

void UndoLog::DropOldest() {
  const UndoRecord& oldest = records_.front();
  oldest.page->UndoText().DropFront(oldest.textLength);
  totalBytes_ -= std::min(totalBytes_, oldest.textLength);
  records_.pop_front();
}

void UndoLog::TrimUndoLog() {
  if (!trimNeeded_) return;
  trimNeeded_ = false;
  if (totalBytes_ <= trimStart_ || records_.empty()) return;
  UndoRecord last;
  do {
    last = records_.front();
    DropOldest();
  } while (totalBytes_ > trimEnd_ && !records_.empty());
  // A group goes as a whole: half of a replace over all Pages cannot be taken back.
  if (last.kind == kUndoReplaceAllPages) {
    while (!records_.empty() && records_.front().kind == kUndoReplaceAllPages && records_.front().group == last.group) {
      DropOldest();
    }
  }
  CloseRun();
  changed_ = true;
}

std::size_t UndoLog::MemoryFootprint() const {
  std::size_t bytes = sizeof(*this) + records_.size() * sizeof(UndoRecord);
  for (const Page* page : textList_) bytes += page->UndoText().Footprint();
  return bytes;
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
  if (!enabled_) return;
  const bool sameRun = runStart_ >= 0 && keySelStart_ != static_cast<std::size_t>(runStart_);
  // The run's record must still be the newest and end where this key began.
  if (sameRun && !records_.empty()) {
    UndoRecord& newest = records_.back();
    if (newest.page == &page && newest.positionAfter == keySelStart_ && UndoesAsTyping(newest.kind)) {
      newest.positionAfter = caret;
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
  AddRecord(page, pendingKind_, keySelStart_, keySelLength_, caret, 0, kept);
  if (runStart_ >= 0) runStart_ = static_cast<long>(keySelStart_);
}

// A change no key announced (more committed input, a drag inside the control, a command that
// skipped the protocol). Text added right at the end of the newest typing record extends it;
// anything else leaves the records without a way back, so the log starts afresh.
void UndoLog::ContinueOrDiscard(Page& page, std::size_t caret, std::size_t newLength) {
  if (!enabled_ || records_.empty()) return;
  UndoRecord& newest = records_.back();
  if (newest.page == &page && UndoesAsTyping(newest.kind) && newLength > knownLength_ &&
      caret == newest.positionAfter + (newLength - knownLength_)) {
    newest.positionAfter = caret;
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
    AddRecord(page, kUndoComposition, keySelStart_, keySelLength_, control.SelStart(), 0, pendingText_);
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
    const std::string bytes = control.TextRange(at, 2);
    if (bytes.empty() || IsBreakByte(bytes[0])) return;
    const std::size_t n = (bytes.size() == 2 && IsLeadByte(static_cast<unsigned char>(bytes[0]))) ? 2 : 1;
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

UndoDescription UndoLog::DescribeUndo() const {
  if (!enabled_) return {false, "[戻す]機能:OFF"};
  if (records_.empty()) return {false, "元に戻せません"};
  const UndoRecord& newest = records_.back();
  std::string what;
  switch (newest.kind) {
    case kUndoBackspace:
    case kUndoDelete:
    case kUndoUnindentAfter:
    case kUndoUnindentBefore:
    case kUndoDeleteWord:
      what = "削除";
      break;
    case kUndoCut: what = "切り取り"; break;
    case kUndoPaste: what = "貼り付け"; break;
    case kUndoReplaceOne: what = "逐次置換"; break;
    case kUndoReplaceAll: what = "すべて置換"; break;
    case kUndoReplaceSelection: what = "選択範囲置換"; break;
    case kUndoReplaceAllPages: what = "すべて置換 - [ﾒﾓ帳全体]"; break;
    case kUndoQuoteAll: what = "まとめて引用"; break;
    case kUndoInsertFileName: what = "ﾌｧｲﾙ名挿入"; break;
    case kUndoInsertDateTime: what = "日付と時刻"; break;
    default:  // typing, composition, Tab, Enter
      if (newest.selLengthBefore == 0) {
        what = "挿入";
      } else if (newest.positionAfter > newest.startBefore) {
        what = "上書き";
      } else {
        what = "削除";
      }
      break;
  }
  std::string caption = "戻す(&U) " + what;
  if (newest.page != current_ && newest.kind != kUndoReplaceAllPages) {
    caption += " - [" + newest.page->DisplayName() + "]";
  }
  return {true, caption};
}

bool UndoLog::Restore(const UndoRecord& record, const std::string& kept) {
  TextControl& control = record.page->Control();
  const std::size_t length = control.TextLength();
  const std::size_t before = record.startBefore;
  const std::size_t after = record.positionAfter;
  // Offsets beyond the text mean the record no longer fits it.
  auto insert = [&control](std::string_view text) {
    const std::size_t expected = control.TextLength() - control.SelLength() + text.size();
    return control.ReplaceSelection(text) && control.TextLength() == expected;
  };
  // Puts the removed text back at the position the record left.
  auto putBack = [&] {
    if (after > length) return false;
    control.SetSelection(after, 0);
    return insert(kept);
  };
  switch (record.kind) {
    case kUndoBackspace:
      if (!putBack()) return false;
      if (record.selLengthBefore > 0) control.SetSelectionBackwards(after, kept.size());
      return true;
    case kUndoDelete:
      if (!putBack()) return false;
      control.SetSelection(before, record.selLengthBefore);
      return true;
    case kUndoDeleteWord:
    case kUndoUnindentAfter:
      if (!putBack()) return false;
      control.SetSelection(after, record.selLengthBefore);
      return true;
    case kUndoUnindentBefore:
      if (!putBack()) return false;
      control.SetSelection(control.SelStart(), record.selLengthBefore);
      return true;
    case kUndoCut:
      if (!putBack()) return false;
      control.SetSelectionBackwards(after, kept.size());
      return true;
    case kUndoReplaceAll:
    case kUndoReplaceAllPages:
      if (!record.page->ReplaceWholeText(kept)) return false;
      control.SetSelection(before, record.selLengthBefore);
      return true;
    case kUndoReplaceSelection:
      if (after > length || record.selLengthAfter > length - after) return false;
      control.SetSelection(after, record.selLengthAfter);
      if (!insert(kept)) return false;
      control.SetSelectionBackwards(after, kept.size());
      return true;
    case kUndoPaste:
    case kUndoReplaceOne:
      if (before > after || after > length) return false;
      control.SetSelectionBackwards(before, after - before);
      if (!insert(kept)) return false;
      control.SetSelectionBackwards(before, kept.size());
      return true;
    default:  // typing, composition, Tab, Enter, quote all, insertions
      if (before > after || after > length) return false;
      control.SetSelectionBackwards(before, after - before);
      if (!insert(record.selLengthBefore == 0 ? std::string_view() : std::string_view(kept))) return false;
      control.SetSelectionBackwards(before, record.selLengthBefore);
      return true;
  }
}

Page* UndoLog::UndoLast() {
  if (undoing_ || !enabled_) return nullptr;
  CloseRun();
  stateFresh_ = false;
  if (records_.empty()) return nullptr;
  undoing_ = true;
  Page* result = nullptr;
  bool failed = false;
  // Pending events run before anything is taken, so no Page can go while its record is held.
  ui_.ProcessPendingEvents();
  try {
    if (!records_.empty() && records_.back().kind == kUndoReplaceAllPages) {
      result = UndoGroup();
      failed = result == nullptr;
    } else if (!records_.empty()) {
      const UndoRecord record = records_.back();
      const std::string kept = record.page->UndoText().TakeBack(record.textLength);
      totalBytes_ -= std::min(totalBytes_, record.textLength);
      records_.pop_back();
      bool ok = false;
      {
        CaptureSuspension capture(*this);
        PaintingSuspension painting(record.page->Control());
        ok = Restore(record, kept);
      }
      if (ok) {
        record.page->Control().ResetCaretColumn();
        result = record.page;
      } else {
        failed = true;
      }
    }
  } catch (const std::exception&) {
    failed = true;
    result = nullptr;
  }
  // A failed step leaves the text as it now is; the history no longer matches it.
  if (failed) ClearUndoLog();
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

Page* UndoLog::UndoGroup() {
  const long group = records_.back().group;
  std::vector<Page*> touched;
  // Every Page touched paints again at the end, also when a restore throws.
  std::deque<PaintingSuspension> painting;
  Page* last = nullptr;
  bool ok = true;
  CaptureSuspension capture(*this);
  while (ok && !records_.empty() && records_.back().kind == kUndoReplaceAllPages && records_.back().group == group) {
    const UndoRecord record = records_.back();
    const std::string kept = record.page->UndoText().TakeBack(record.textLength);
    totalBytes_ -= std::min(totalBytes_, record.textLength);
    records_.pop_back();
    if (std::find(touched.begin(), touched.end(), record.page) == touched.end()) {
      touched.push_back(record.page);
      painting.emplace_back(record.page->Control());
    }
    ok = Restore(record, kept);
    last = record.page;
  }
  return ok ? last : nullptr;
}

}  // namespace norra
