// The keystroke capture of the current Page, and the one undo history it feeds.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "documents/UndoHistory.h"
#include "documents/UndoRecord.h"

namespace norra {

class EditingKeys;
class Page;
class TextControl;
class Ui;
struct EditSettings;

// Turns the events of the current Page's text into records of the UndoHistory: runs of typing,
// deletions, compositions; runs the overwrite emulation and holds the insert mode, the indent
// settings and the selection anchor that the program's own keys use. The history's operations
// are offered here too, so that the program has one object to talk to.
class UndoLog {
 public:
  explicit UndoLog(Ui& ui);
  UndoLog(const UndoLog&) = delete;
  UndoLog& operator=(const UndoLog&) = delete;

  // Settings of the Edit section: recording, size limits, indent character and width.
  void Configure(const EditSettings& edit);
  // Switching recording on or off clears the log.
  void SetUndoEnabled(bool on);
  bool Enabled() const { return history_.Enabled(); }
  void SetClearOnBigChange(bool on, std::size_t maxLogBytes) { history_.SetClearOnBigChange(on, maxLogBytes); }
  void SetTrimming(bool on, std::size_t startBytes, std::size_t endBytes) {
    history_.SetTrimming(on, startBytes, endBytes);
  }
  void SetIndent(bool useTab, int tabStop);
  char IndentChar() const { return indentChar_; }
  int TabStop() const { return tabStop_; }

  // The Page whose keystrokes are captured (none when no Page is open).
  void SetCurrentPage(Page* page);
  Page* CurrentPage() const { return current_; }

  // While suspended, no event of a Page reaches the log. Calls nest.
  void SuspendCapture() { ++suspended_; }
  void ResumeCapture();
  bool CaptureSuspended() const { return suspended_ > 0; }

  // The command protocol: SetCommandTarget, SuspendCapture, the change, TakeSelectionAfter (or
  // set Target() fields), RecordCommand, ResumeCapture.
  void SetCommandTarget(Page& page, KeepText keep) { history_.SetCommandTarget(page, keep); }
  CommandTarget& Target() { return history_.Target(); }
  void TakeSelectionAfter() { history_.TakeSelectionAfter(); }
  void ReleaseTarget() { history_.ReleaseTarget(); }
  // Appends a record from the target; false when nothing was recorded (disabled, too big, failed).
  bool RecordCommand(int kind);
  // Opens a group: the following records of kind -16 are undone in one step.
  void BeginCommandGroup() { history_.BeginCommandGroup(); }

  // Takes back the newest record (a whole group for -16); returns the Page changed, or null.
  Page* UndoLast();
  UndoDescription DescribeUndo() const { return history_.DescribeUndo(); }
  // Makes the newest undone change again (a whole group for -16); returns the Page changed, or
  // null (nothing to redo, or a text that changed since and is refused).
  Page* RedoLast();
  UndoDescription DescribeRedo() const { return history_.DescribeRedo(); }

  void ClearUndoLog();
  void DropPageUndo(Page& page);
  void TrimUndoLog();
  // A Page goes: its records and buffer leave the log and nothing refers to it any more.
  void PageGone(Page& page);

  std::size_t RecordCount() const { return history_.RecordCount(); }
  std::size_t TotalBytes() const { return history_.TotalBytes(); }
  std::size_t RedoCount() const { return history_.RedoCount(); }
  std::size_t RedoBytes() const { return history_.RedoBytes(); }
  const std::deque<RedoRecord>& RedoRecords() const { return history_.RedoRecords(); }
  const std::deque<UndoRecord>& Records() const { return history_.Records(); }
  bool TrimNeeded() const { return history_.TrimNeeded(); }
  // Bytes the log's records and texts take in memory (an estimate, for the options and benches).
  std::size_t MemoryFootprint() const {
    return sizeof(*this) - sizeof(history_) + history_.MemoryFootprint();
  }

  // Set by every recorded change, caret movement and Page switch; cleared by the status bar.
  bool Changed() const { return changed_ || history_.Changed(); }
  void ClearChanged() {
    changed_ = false;
    history_.ClearChanged();
  }

  // One insert/overwrite flag for all Pages; Insert toggles it.
  bool InsertMode() const { return insertMode_; }
  void ToggleInsertMode();
  // Caret offset taken when Shift went down.
  std::size_t SelectionAnchor() const { return anchor_; }

  // For the program's own keys: end the typing run, announce what the key did, and let
  // overwrite mode select the character under the caret again.
  void CloseRun() { runStart_ = -1; }
  void SetPendingKind(int kind) { pendingKind_ = kind; }
  int PendingKind() const { return pendingKind_; }
  void EmulateOverwrite();
  void SetEditingKeys(EditingKeys* keys) { editingKeys_ = keys; }

  // Events every Page forwards; only the current Page's count, and none while suspended.
  bool KeyDown(Page& page, int key, unsigned shift);  // true swallows the key
  bool KeyPress(Page& page, int character);            // true swallows the character
  void TextChanged(Page& page);
  void SelectionChanged(Page& page);
  void MouseDown(Page& page);
  void CompositionStarted(Page& page);
  void CompositionEnded(Page& page);

 private:
  bool Delivered(const Page& page) const { return &page == current_ && suspended_ == 0; }
  void TakeKeyState(TextControl& control);
  void RecordTyping(Page& page, std::size_t caret, std::size_t newLength);
  void ContinueOrDiscard(Page& page, std::size_t caret, std::size_t newLength);
  void SelectQuietly(TextControl& control, std::size_t start, std::size_t length, bool backwards);

  Ui& ui_;
  UndoHistory history_;
  char indentChar_ = ' ';
  int tabStop_ = 4;

  bool insertMode_ = true;
  bool changed_ = false;  // caret moves and Page switches; the history has its own

  Page* current_ = nullptr;
  int suspended_ = 0;
  int pendingKind_ = kUndoTyping;
  std::string pendingText_;
  std::size_t keySelStart_ = 0;   // state at key down
  std::size_t keySelLength_ = 0;
  std::size_t keyLength_ = 0;
  bool stateFresh_ = false;       // a key down (or composition) announced the next change
  std::size_t knownLength_ = 0;   // text length after the last change the log saw
  long runStart_ = -1;
  std::size_t anchor_ = 0;
  bool composing_ = false;
  bool selectionEventsOff_ = false;
  bool lastKeyHandled_ = false;
  EditingKeys* editingKeys_ = nullptr;

  // Runs one undo or redo step of the history with the guards both need.
  Page* Step(bool redo);

  bool undoing_ = false;      // an undo or redo step runs
  Page* undoPage_ = nullptr;  // the Page being restored; cleared when it goes meanwhile
  std::vector<Page*> listed_;  // Pages that were current: their TAB width follows TabStop
};

}  // namespace norra
