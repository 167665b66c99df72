// Sort the page list: the main window's page list takes the dialog's row order.
#include <exception>
#include <vector>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/PageList.h"
#include "groups/FileListDialog.h"
#include "groups/RedrawHold.h"
#include "platform/Ui.h"

namespace norra {

void FileListDialog::SortPageList() {
  Documents& documents = context_.documents;
  DocumentsHost& host = context_.host;
  try {
    const std::vector<std::size_t> selected = SelectedRows();
    Page* chosen = selected.empty() ? nullptr : rows_[selected.front()].page;
    if (chosen != nullptr && chosen != documents.ActivePage()) {
      const RedrawHold hold(*this);
      documents.ActivatePage(chosen);
    }
    std::vector<Page*> order;
    order.reserve(rows_.size());
    for (const FileListRow& row : rows_) order.push_back(row.page);
    // Rebuilt as data: the list's own page switch is not involved.
    PageList& list = documents.List();
    list.Reorder(order);
    if (Page* active = documents.ActivePage()) list.Select(*active);
    host.PageListChanged();
    host.UpdateStatusBar();
    Finish(kListDialogDone);
  } catch (const std::exception&) {
    ActionFailed(kListDialogDone);
  }
}

}  // namespace norra
