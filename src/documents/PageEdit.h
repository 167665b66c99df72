// One edit of a Page's text as one undo record: the target and what to keep, capture held off,
// the change, the selection after and the record, with one way out on every failure.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "documents/UndoHistory.h"
#include "platform/TextControl.h"
#include "text/ReplacedSpan.h"

namespace norra {

class Page;
class UndoLog;

// How a change of a Page's text ended.
enum class EditOutcome {
  Changed,    // the text changed: recorded
  Unchanged,  // nothing changed (no replacement made, or the control refused the edit)
  Failed,     // the change went wrong part way: the history no longer leads back to the text
};

// Opened before the change, closed when it goes out of scope. Whatever way the scope is left
// without Record or Keep (a failure, an exception passing through), the log is cleared and the
// text stays as it is; capture and painting always come back on.
class PageEdit {
 public:
  // Takes the Page's selection and the text `keep` names; with holdPainting the Page does not
  // repaint until the edit is closed.
  PageEdit(UndoLog& log, Page& page, KeepText keep, bool holdPainting = false);
  ~PageEdit();
  PageEdit(const PageEdit&) = delete;
  PageEdit& operator=(const PageEdit&) = delete;

  Page& GetPage() { return page_; }
  CommandTarget& Target();
  // Where a replace all reports its spans, so that its record keeps only what they changed;
  // null while recording is off.
  std::vector<ReplacedSpan>* Spans();

  // The text changed: takes the selection after, marks the Page modified and appends a record
  // of `kind`. False when the log kept no record (off, too large, out of memory).
  bool Record(int kind);
  // Closes the edit without a record: nothing changed, or the change's history was dropped.
  void Keep();
  // The change went wrong: the log is cleared now, the text stays as it is.
  void Fail();

 private:
  UndoLog& log_;
  Page& page_;
  std::optional<PaintingSuspension> painting_;
  bool closed_ = false;
};

// Runs `change` (called with the open PageEdit, returning an EditOutcome) as one edit of
// `page` recorded with `kind`. An exception from the change clears the log and passes on.
template <typename Change>
EditOutcome EditPage(UndoLog& log, Page& page, int kind, KeepText keep, Change&& change,
                     bool holdPainting = false) {
  PageEdit edit(log, page, keep, holdPainting);
  const EditOutcome outcome = std::forward<Change>(change)(edit);
  switch (outcome) {
    case EditOutcome::Changed:
      edit.Record(kind);
      break;
    case EditOutcome::Unchanged:
      edit.Keep();
      break;
    case EditOutcome::Failed:
      edit.Fail();
      break;
  }
  return outcome;
}

}  // namespace norra
