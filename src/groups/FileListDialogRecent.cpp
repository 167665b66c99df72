// Recent files: the chosen files that are not open are opened as Pages.
#include <exception>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "groups/FileListDialog.h"
#include "groups/RedrawHold.h"

namespace norra {

void FileListDialog::OpenRecentFiles() {
  Documents& documents = context_.documents;
  RedrawHold hold(*this);
  const std::vector<std::size_t> selected = SelectedRows();
  try {
    // A file gone since the list was made is reported by the open itself; the others still open.
    Documents::OpenBatch batch(documents);
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
      documents.OpenPage(rows_[*it].path, true);
  } catch (const std::exception&) {
    // An unexpected failure ends the loop; what opened stays open.
  }
  hold.Finish(kListDialogDone);
}

}  // namespace norra
