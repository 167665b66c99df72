// The one undo history of all Pages, and the keystroke capture that feeds it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "documents/UndoRecord.h"

namespace norra {

class EditingKeys;
class Page;
class TextControl;
class Ui;
struct EditSettings;

// What a command edits and the state around its change (the command protocol).
struct CommandTarget {
  Page* page = nullptr;
  std::size_t startBefore = 0;
  std::size_t selLengthBefore = 0;
  std::string keptText;  // the text the change removes (the whole text for replace all)
  std::size_t startAfter = 0;
  std::size_t selLengthAfter = 0;
};

// Which text a command keeps for its undo.
enum class KeepText {
  None,       // nothing is removed
  Selection,  // the selected text (cut, paste, insertions, replace one, replace in selection)
  WholeText,  // the whole text (replace all)
};

struct UndoDescription {
  bool possible = false;
  std::string caption;  // UTF-8
};

class UndoLog {
 public:
  explicit UndoLog(Ui& ui);
  UndoLog(const UndoLog&) = delete;
  UndoLog& operator=(const UndoLog&) = delete;

  // Settings of the Edit section: recording, size limits, indent character and width.
  void Configure(const EditSettings& edit);
  // Switching recording on or off clears the log.
  void SetUndoEnabled(bool on);
  bool Enabled() const { return enabled_; }
  void SetClearOnBigChange(bool on, std::size_t maxLogBytes);
  void SetTrimming(bool on, std::size_t startBytes, std::size_t endBytes);
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
  void SetCommandTarget(Page& page, KeepText keep);
  CommandTarget& Target() { return target_; }
  void TakeSelectionAfter();
  // Appends a record from the target; false when nothing was recorded (disabled, too big, failed).
  bool RecordCommand(int kind);
  // Opens a group: the following records of kind -16 are undone in one step.
  void BeginCommandGroup();

  // Takes back the newest record (a whole group for -16); returns the Page changed, or null.
  Page* UndoLast();
  UndoDescription DescribeUndo() const;

  void ClearUndoLog();
  void DropPageUndo(Page& page);
  void TrimUndoLog();
  // A Page goes: its records and buffer leave the log and nothing refers to it any more.
  void PageGone(Page& page);

  std::size_t RecordCount() const { return records_.size(); }
  std::size_t TotalBytes() const { return totalBytes_; }
  const std::deque<UndoRecord>& Records() const { return records_; }
  bool TrimNeeded() const { return trimNeeded_; }
  // Bytes the log's records and texts take in memory (an estimate, for the options and benches).
  std::size_t MemoryFootprint() const;

  // Set by every recorded change, caret movement and Page switch; cleared by the status bar.
  bool Changed() const { return changed_; }
  void ClearChanged() { changed_ = false; }

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
  bool AddRecord(Page& page, int kind, std::size_t startBefore, std::size_t selLengthBefore,
                 std::size_t positionAfter, std::size_t selLengthAfter, std::string_view kept);
  void RecordTyping(Page& page, std::size_t caret, std::size_t newLength);
  void ContinueOrDiscard(Page& page, std::size_t caret, std::size_t newLength);
  void EnsureListed(Page& page);
  void SelectQuietly(TextControl& control, std::size_t start, std::size_t length, bool backwards);
  bool Restore(const UndoRecord& record, const std::string& kept);
  Page* UndoGroup();
  void DropOldest();

  Ui& ui_;
  std::deque<UndoRecord> records_;
  std::vector<Page*> textList_;  // Pages whose UndoText may hold texts
  std::size_t totalBytes_ = 0;

  bool enabled_ = true;
  bool clearOnBigChange_ = false;
  std::size_t maxLogBytes_ = 1048576;
  bool trimByBytes_ = false;
  std::size_t trimStart_ = 10485760;
  std::size_t trimEnd_ = 8388608;
  char indentChar_ = ' ';
  int tabStop_ = 4;

  bool insertMode_ = true;
  bool changed_ = false;
  bool trimNeeded_ = false;

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

  bool undoing_ = false;
  Page* undoPage_ = nullptr;  // the Page being restored; cleared when it goes meanwhile
  long group_ = 0;
  std::size_t groupBytes_ = 0;

  CommandTarget target_;
};

}  // namespace norra
