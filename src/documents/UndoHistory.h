// The records of all Pages and the texts they keep: adding, taking back, trimming, dropping.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/UndoRecord.h"
#include "text/ReplacedSpan.h"

namespace norra {

class Page;

// What a command edits and the state around its change (the command protocol).
struct CommandTarget {
  Page* page = nullptr;
  std::size_t startBefore = 0;
  std::size_t selLengthBefore = 0;
  std::string keptText;  // the text the change removes (the whole text for replace all)
  std::size_t startAfter = 0;
  std::size_t selLengthAfter = 0;
  // The spans a replace all made, when its driver reported them: its record then keeps only
  // what they changed, if that proves to rebuild the kept text exactly.
  std::vector<ReplacedSpan> replaced;
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

// The history knows nothing of keys; the undo log feeds it typing records and brackets its
// restores with capture suspended. Beside the records it keeps a redo list: what undo took
// back, newest at the end, emptied by any new edit.
//
// Limits: the byte thresholds weigh the texts of both lists together, and trimming takes the
// oldest undo records first, then the redo records farthest from being redone. A redo record
// is kept only while the Page's text is exactly what its undo left; one that no longer fits is
// refused with the whole history cleared, never applied to another text.
class UndoHistory {
 public:
  UndoHistory() = default;
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // Switching recording on or off clears the history.
  void SetUndoEnabled(bool on);
  bool Enabled() const { return enabled_; }
  void SetClearOnBigChange(bool on, std::size_t maxLogBytes);
  void SetTrimming(bool on, std::size_t startBytes, std::size_t endBytes);

  // The Page descriptions are told from, whose texts stay listed when the history is cleared.
  void SetCurrentPage(Page* page);

  void SetCommandTarget(Page& page, KeepText keep);
  CommandTarget& Target() { return target_; }
  // Forgets the target's kept text and spans, which a finished edit has no use for.
  void ReleaseTarget() { target_ = CommandTarget{}; }
  void TakeSelectionAfter();
  bool RecordCommand(int kind);
  void BeginCommandGroup();

  // Appends a record keeping `kept`; false when nothing was recorded (disabled, too big, failed).
  bool AddRecord(Page& page, int kind, std::size_t startBefore, std::size_t selLengthBefore,
                 std::size_t positionAfter, std::size_t selLengthAfter, std::string_view kept);
  // The newest record, to stretch a run of typing; null when there is none.
  UndoRecord* Newest() { return records_.empty() ? nullptr : &records_.back(); }

  // Takes back the newest record (a whole group for -16) and returns the Page changed; on a
  // failure the history is cleared and null returned, the text staying as it now is.
  Page* UndoStep();
  UndoDescription DescribeUndo() const;
  // Makes the newest undone change again (a whole group for -16) and returns the Page changed;
  // a text that is no longer what the undo left is refused: the history is cleared, the text
  // left as it is, and null returned.
  Page* RedoStep();
  UndoDescription DescribeRedo() const;
  // Any new edit makes the undone changes unreachable.
  void ClearRedo();

  void ClearUndoLog();
  void DropPageUndo(Page& page);
  // True when records were dropped.
  bool TrimUndoLog();
  void PageGone(Page& page);

  std::size_t RecordCount() const { return records_.size(); }
  std::size_t TotalBytes() const { return totalBytes_; }
  const std::deque<UndoRecord>& Records() const { return records_; }
  std::size_t RedoCount() const { return redo_.size(); }
  // Bytes the redo records hold.
  std::size_t RedoBytes() const { return redoBytes_; }
  const std::deque<RedoRecord>& RedoRecords() const { return redo_; }
  bool TrimNeeded() const { return trimNeeded_; }
  std::size_t MemoryFootprint() const;

  // Set by every change of the history.
  bool Changed() const { return changed_; }
  void ClearChanged() { changed_ = false; }

 private:
  void EnsureListed(Page& page);
  // Appends `record` of a new edit holding `held`; the big-change rule weighs `changeBytes`,
  // the size of the text the change removed, so that it decides as it would for the whole
  // text. A new edit empties the redo list.
  bool Append(UndoRecord record, std::string_view held, std::size_t changeBytes);
  // Appends without touching the redo list, the record keeping its group; records of one group
  // add up in `groupBytes`.
  bool Store(UndoRecord record, std::string_view held, std::size_t changeBytes,
             std::size_t& groupBytes);
  // The delta of the target's replace all, with its record marked to use it; none when the
  // spans do not rebuild the kept text exactly or save nothing.
  std::optional<std::string> MakeDelta(UndoRecord& record) const;
  // Whether the text a delta record rebuilds from is still the one it was made against.
  bool DeltaFits(const UndoRecord& record) const;
  // Restores by kind and fills `redo` with what a redo needs (its page left null when no redo
  // can be made); fitChecked: a delta record's text was already found to fit.
  bool Restore(const UndoRecord& record, const std::string& held, RedoRecord& redo,
               bool fitChecked = false);
  Page* UndoGroup();
  // Adds the records one undo step took back, or empties the redo list when they are too large
  // or one could not be made.
  void KeepRedo(std::vector<RedoRecord> taken);
  bool RedoFits(const RedoRecord& redo) const;
  // Makes the change of `redo` again and returns what its undo record is to hold; none when
  // the text refused it.
  std::optional<std::string> Reapply(const RedoRecord& redo);
  Page* RedoGroup();
  void DropOldest();
  void DropFarthestRedo();

  std::deque<UndoRecord> records_;
  std::deque<RedoRecord> redo_;  // the next to redo at the end
  std::size_t redoBytes_ = 0;
  std::vector<Page*> textList_;  // Pages whose UndoText may hold texts
  std::size_t totalBytes_ = 0;
  Page* current_ = nullptr;

  bool enabled_ = true;
  bool clearOnBigChange_ = false;
  std::size_t maxLogBytes_ = 1048576;
  bool trimByBytes_ = false;
  std::size_t trimStart_ = 10485760;
  std::size_t trimEnd_ = 8388608;
  bool trimNeeded_ = false;
  bool changed_ = false;

  long group_ = 0;
  std::size_t groupBytes_ = 0;
  CommandTarget target_;
};

}  // namespace norra
