// Quote all: the selected Pages' texts, selections or paths put in at the active Page's caret.
#include <exception>
#include <string>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/TextInsertion.h"
#include "documents/UndoRecord.h"
#include "groups/FileListDialog.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/Encoding.h"

namespace norra {

namespace {

// The line breaks after each item: the number in the box, 1 when it holds none.
std::size_t LineBreakCount(const std::string& text) {
  if (text.empty() || text.size() > 2) return 1;
  std::size_t count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 1;
    count = count * 10 + static_cast<std::size_t>(c - '0');
  }
  return count;
}

}  // namespace

void FileListDialog::QuoteAll() {
  Page* target = context_.documents.ActivePage();
  if (target == nullptr) return;
  try {
    std::string separator;
    for (std::size_t k = LineBreakCount(Control(FileListControl::txtCRLFCount).caption); k > 0; --k)
      separator += "\r\n";

    std::string quotation;
    bool contributed = false;
    for (const FileListRow& row : rows_) {
      if (!row.selected || row.page == nullptr) continue;
      const TextControl& control = row.page->Control();
      std::string item;
      switch (quoteRange_) {
        case QuoteRange::Text:
          item = control.Text();
          contributed = contributed || !item.empty();
          break;
        case QuoteRange::SelText:
          item = control.SelText();
          contributed = contributed || !item.empty();
          break;
        case QuoteRange::PathName:
          // Paths are UTF-8; in the document they become CP932.
          item = Utf8ToCp932(row.page->FilePath());
          contributed = true;
          break;
      }
      quotation += item;
      quotation += separator;
    }
    if (!contributed) {
      Message("引用文が 0文字 です", MB_OK | MB_ICONINFORMATION);
      return;
    }
    const auto maxLength = static_cast<std::size_t>(context_.settings.File.MaxLength);
    if (quotation.size() > maxLength) {
      Message("引用文のｻｲｽﾞが大きすぎます", MB_OK | MB_ICONWARNING);
      return;
    }
    bool inserted = false;
    {
      PaintingSuspension painting(target->Control());
      inserted = InsertTextAtCaret(context_.log, *target, quotation, kUndoQuoteAll);
      context_.ui.ProcessPendingEvents();
    }
    // The control holds no more than its limit: the text with the quotation would not fit.
    if (!inserted) {
      Message("引用文のｻｲｽﾞが大きすぎます", MB_OK | MB_ICONWARNING);
      return;
    }
    context_.host.UpdateStatusBar();
    Finish(kListDialogDone);
  } catch (const std::exception&) {
    ActionFailed(kListDialogDone);
  }
}

}  // namespace norra
