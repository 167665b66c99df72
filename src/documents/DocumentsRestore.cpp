// A Page made again from a recovery copy: the copy's bytes, not its file's.
#include <algorithm>
#include <new>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/RecoveryStore.h"
#include "documents/UndoLog.h"
#include "settings/Settings.h"
#include "text/PathUtil.h"

namespace norra {

Page* Documents::RestorePage(const RecoveryCopy& copy) {
  std::unique_ptr<Page> owned;
  try {
    owned = std::make_unique<Page>(host_.CreateTextControl(), log_);
    Page& page = *owned;
    page.SetOwner(this);
    page.SetWindowState(settings_.Window.ChildWindowState);
    // The copy may be longer than the limit allows now; nothing of it is cut off.
    const std::size_t limit = static_cast<std::size_t>(std::max(settings_.File.MaxLength, 0));
    page.Control().LimitText(std::max(limit, copy.text.size()));
    page.Control().SetWordWrap(settings_.Vision.WordWrap);
    page.Control().SetWantTabs(true);
    page.SetEncoding(copy.encoding);  // the control takes the copy's charset before its text
    host_.PageCreated(page);
    {
      // Not an edit to take back: the text is where the last run left it.
      log_.SuspendCapture();
      struct Resume {
        UndoLog& log;
        ~Resume() { log.ResumeCapture(); }
      } resume{log_};
      page.Control().ResetText(copy.text);
    }
    page.SetLfLineBreaks(copy.lfLineBreaks);
    if (copy.kind == PageKind::Untitled) {
      NameUntitled(page);
    } else {
      page.SetFilePath(copy.path, copy.kind);
      page.SetDisplayName(copy.kind == PageKind::LoadFailed ? "(Err)" + FileNamePart(copy.path)
                                                            : FileNamePart(copy.path));
    }
    page.SetModified(true);
    KeepNewPage(owned);
  } catch (const std::bad_alloc&) {
    if (owned) {
      list_.Remove(*owned);
      std::erase(windowOrder_, owned.get());
      host_.PageDestroyed(*owned);
      log_.PageGone(*owned);
    }
    return nullptr;
  }
  Page& page = *pages_.back();
  host_.PageCaptionChanged(page);
  host_.PageListChanged();
  host_.ShowPage(page);
  OnPageActivated(page);
  return &page;
}

}  // namespace norra
