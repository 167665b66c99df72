// The edit transaction of a Page: protocol steps in order, one cleanup on every way out.
#include "documents/PageEdit.h"

#include "documents/Page.h"
#include "documents/UndoLog.h"

namespace norra {

PageEdit::PageEdit(UndoLog& log, Page& page, KeepText keep, bool holdPainting)
    : log_(log), page_(page) {
  // A command between two keys ends the typing run, whether or not it changes anything.
  log_.CloseRun();
  log_.SetCommandTarget(page, keep);
  if (holdPainting) painting_.emplace(page.Control());
  log_.SuspendCapture();
}

PageEdit::~PageEdit() {
  if (!closed_) log_.ClearUndoLog();
  // The target's kept text (possibly a whole Page) is of no use once the edit is over.
  log_.ReleaseTarget();
  log_.ResumeCapture();
  painting_.reset();
}

CommandTarget& PageEdit::Target() { return log_.Target(); }

std::vector<ReplacedSpan>* PageEdit::Spans() {
  return log_.Enabled() ? &log_.Target().replaced : nullptr;
}

bool PageEdit::Record(int kind) {
  log_.TakeSelectionAfter();
  page_.SetModified(true);
  const bool kept = log_.RecordCommand(kind);
  closed_ = true;  // only now: a record that throws leaves the history behind the text
  return kept;
}

void PageEdit::Keep() { closed_ = true; }

void PageEdit::Fail() {
  closed_ = true;
  log_.ClearUndoLog();
}

}  // namespace norra
