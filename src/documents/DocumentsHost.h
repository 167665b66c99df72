// What the main window supplies to the documents logic: controls, and the places it shows.
#pragma once

#include <memory>
#include <string>

#include "platform/TextControl.h"

namespace norra {

class Page;

// Everything but CreateTextControl has a do-nothing default, so a headless user (a test, a
// command-line tool) overrides only what it watches.
class DocumentsHost {
 public:
  virtual ~DocumentsHost() = default;

  // The control of a new Page (its window is created by PageCreated).
  virtual std::unique_ptr<TextControl> CreateTextControl() = 0;

  // A Page exists and needs a window; its caption reads "ﾌｧｲﾙをﾛｰﾄﾞ中…" until
  // PageCaptionChanged. The view attributes come from the Vision settings.
  virtual void PageCreated(Page& /*page*/) {}
  // The window caption becomes the Page's DisplayName.
  virtual void PageCaptionChanged(Page& /*page*/) {}
  // Show the Page's window, make it the active child and focus its text (taking the focus
  // away from the page list first).
  virtual void ShowPage(Page& /*page*/) {}
  // The Page became active: the status panel of insert mode and modified state follows it.
  virtual void PageActivated(Page& /*page*/) {}
  // The Page's window goes; the Page is still valid during the call.
  virtual void PageDestroyed(Page& /*page*/) {}
  // The Page's text was written to its file (it is no longer modified).
  virtual void PageSaved(Page& /*page*/) {}
  // Entries, their texts or the selected entry of the page list changed.
  virtual void PageListChanged() {}

  virtual void UpdateStatusBar() {}
  virtual void ShowEmptyStatus() {}
  virtual void SetApplicationTitle(const std::string& /*title*/) {}
  // Repainting off and on around batches; with on, relayout names the Page to re-lay out.
  virtual void SetRedraw(bool /*on*/, Page* /*relayout*/) {}
};

}  // namespace norra
