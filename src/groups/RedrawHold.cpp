// RedrawHold: painting off for a batch action, and its one ending.
#include "groups/RedrawHold.h"

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "groups/FileListDialog.h"

namespace norra {

RedrawHold::RedrawHold(FileListDialog& dialog, bool hold) : dialog_(dialog) {
  if (hold) dialog_.Context().host.SetRedraw(false, nullptr);
}

RedrawHold::~RedrawHold() {
  Release();
}

void RedrawHold::Finish(int result) {
  Release();
  dialog_.Finish(result);
}

void RedrawHold::Release() {
  if (released_) return;
  released_ = true;
  const FileListDialogContext& context = dialog_.Context();
  context.host.SetRedraw(true, context.documents.ActivePage());
  context.host.UpdateStatusBar();
}

}  // namespace norra
