// Program-made text put over a Page's selection under the undo log's command protocol.
#include "documents/TextInsertion.h"

#include "documents/CaptureSuspension.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "platform/TextControl.h"

namespace norra {

bool InsertTextAtCaret(UndoLog& log, Page& page, std::string_view text, int kind) {
  log.SetCommandTarget(page, KeepText::Selection);
  bool ok = false;
  try {
    CaptureSuspension suspended(log);
    ok = page.Control().ReplaceSelection(text);
    if (ok) {
      log.TakeSelectionAfter();
      page.SetModified(true);
      log.RecordCommand(kind);
    }
  } catch (...) {
    log.ClearUndoLog();
    throw;
  }
  return ok;
}

}  // namespace norra
