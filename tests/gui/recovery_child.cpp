// The editor's recovery copies, stopped half-way through writing a newer copy so that a test can
// kill the process there: a Page's first copy is written whole, then the Page changes and its
// second copy stalls once part of it is in its temporary file.
// Usage: recovery_child RECOVERY-FOLDER WORK-FOLDER. Prints "first" once the first copy is on
// disk and "half" once the second is part-written; then waits for its kill.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/RecoveryKeeper.h"
#include "documents/RecoveryStore.h"
#include "documents/RecoveryWriter.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"

namespace {

class HeadlessHost : public norra::DocumentsHost {
 public:
  std::unique_ptr<norra::TextControl> CreateTextControl() override {
    return std::make_unique<norra::MemoryTextControl>();
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fputs("usage: recovery_child RECOVERY-FOLDER WORK-FOLDER\n", stderr);
    return 2;
  }
  norra::TagTable tags;
  if (!tags.Build()) return 3;
  norra::MemoryUi ui;
  norra::Settings settings(tags, std::string(argv[2]) + "/Norra.ini", argv[2], norra::ScreenSize{1920, 1080});
  settings.File.MaxLength = INT_MAX;
  norra::UndoLog log(ui);
  HeadlessHost host;
  norra::Documents docs(settings, log, ui, host);
  norra::RecoveryStore store(argv[1]);
  if (store.Open() != norra::FileError::None) return 4;
  norra::RecoveryWriter writer(store);
  norra::RecoveryKeeper keeper(docs, writer);

  if (docs.OpenPage(std::string(), false) != 1) return 5;
  norra::Page& page = *docs.ActivePage();
  page.Control().ReplaceSelection("the older copy \x85\xFF\r\n");
  page.SetModified(true);
  keeper.CopyNow(page);
  keeper.Flush();
  std::puts("first");
  std::fflush(stdout);

  store.SetWriteProgress([](std::size_t written) {
    if (written < (2u << 20)) return;
    std::puts("half");
    std::fflush(stdout);
    for (;;) ::pause();  // the kill comes here
  });
  page.Control().SetSelection(0, page.Control().TextLength());
  page.Control().ReplaceSelection(std::string(8u << 20, 'n'));
  keeper.CopyNow(page);
  keeper.Flush();
  return 6;  // never: the writer stalls
}
