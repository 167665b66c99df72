// Program-made text put over a Page's selection as one edit of the Page.
#include "documents/TextInsertion.h"

#include "documents/Page.h"
#include "documents/PageEdit.h"
#include "platform/TextControl.h"

namespace norra {

bool InsertTextAtCaret(UndoLog& log, Page& page, std::string_view text, int kind) {
  // A control that refuses the text leaves it as it was: nothing to record, nothing lost.
  return EditPage(log, page, kind, KeepText::Selection, [&page, text](PageEdit&) {
           return page.Control().ReplaceSelection(text) ? EditOutcome::Changed
                                                        : EditOutcome::Unchanged;
         }) == EditOutcome::Changed;
}

}  // namespace norra
