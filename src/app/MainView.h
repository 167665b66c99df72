// What the main window's view does for its logic: page windows, the page list, texts, items.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/PageTabs.h"
#include "app/UiItem.h"
#include "platform/TextControl.h"

namespace norra {

class Page;
struct VisionSettings;

// Position and size of the main window in pixels, and its state (kPageNormal, kPageMinimized,
// kPageMaximized of documents/Page.h).
struct WindowPlacement {
  int top = 0;
  int left = 0;
  int width = 0;
  int height = 0;
  int state = 0;
};

enum class PageArrangement : int {
  TileVertical,    // one above another
  TileHorizontal,  // side by side
  Cascade,
  ArrangeIcons,    // line up the minimized Pages
  MinimizeAll,     // minimize every Page window, last to first
};

// The view forwards its events to MainWindow and does what these say; it holds no rules.
// Setting a control from here must not echo back as a user event (e.g. the page list's
// selection set by SetPageList is not a choice of the user).
class MainView {
 public:
  virtual ~MainView() = default;

  // ---- Page windows ----
  virtual std::unique_ptr<TextControl> CreateTextControl() = 0;
  // A window for a new Page with the view attributes of the Vision settings; its caption
  // reads "ﾌｧｲﾙをﾛｰﾄﾞ中…" until SetPageCaption.
  virtual void CreatePageWindow(Page& page, const VisionSettings& vision) = 0;
  virtual void SetPageCaption(Page& page, const std::string& caption) = 0;
  // The view attributes of the Vision settings again, for an open Page's window.
  virtual void StylePageWindow(Page& /*page*/, const VisionSettings& /*vision*/) {}
  // Show the Page's window, make it the active child and focus its text (taking the focus
  // away from the page list first).
  virtual void ShowPage(Page& page) = 0;
  virtual void DestroyPageWindow(Page& page) = 0;
  // Focus the Page's window and then its text.
  virtual void FocusPage(Page& page) = 0;
  // Input-method mode of the Page's text (the Edit setting InitImeMode's values).
  virtual void SetImeMode(Page& page, int mode) = 0;
  // Re-lay out a maximized Page after repainting comes back on (margin left, text filling).
  virtual void RelayoutPage(Page& page) = 0;
  virtual void MaximizePage(Page& page) = 0;
  virtual void ArrangePages(PageArrangement how) = 0;

  // ---- the page list (cboContents) ----
  virtual void SetPageList(const std::vector<std::string>& entries, std::size_t selected) = 0;
  virtual void SetPageListSelection(std::size_t index) = 0;
  // Focus the main window, then the list; drop it down with this entry selected.
  virtual void DropDownPageList(std::size_t selected) = 0;
  virtual void SetPageListEnabled(bool on) = 0;
  virtual bool PageListHasFocus() const = 0;
  // ---- Pages as tabs (a bar of tabs beside the page list; see PageTabs) ----
  virtual void SetPageTabsVisible(bool /*on*/) {}
  // The tabs in page-list order; `selected` (PageTabs::npos: none) is the active Page's.
  virtual void SetPageTabs(const std::vector<PageTab>& /*tabs*/, std::size_t /*selected*/) {}
  virtual void SetPageTabSelection(std::size_t /*selected*/) {}
  // The files of the open Pages, to be watched for changes by other programs.
  virtual void WatchFiles(const std::vector<std::string>& /*paths*/) {}

  // ---- texts (UTF-8) ----
  // Panels 0 to 6 of the status bar (6, the characters, stands beside 2, the bytes).
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  // The main window's caption, which the desktop also shows as the window's task bar text;
  // the view adds nothing to it.
  virtual void SetCaption(const std::string& caption) = 0;
  // The help file that help requested from the menus opens.
  virtual void SetApplicationHelpFile(const std::string& path) = 0;

  // ---- menu items and toolbar buttons ----
  virtual void SetItemEnabled(UiItem item, bool on) = 0;
  virtual void SetItemChecked(UiItem item, bool on) = 0;
  virtual void SetItemVisible(UiItem item, bool on) = 0;
  virtual void SetItemCaption(UiItem item, const std::string& caption) = 0;
  virtual void SetItemHint(UiItem item, const std::string& hint) = 0;
  virtual void SetToolBarVisible(bool on) = 0;
  virtual void SetStatusBarVisible(bool on) = 0;

  // ---- the main window ----
  // Repainting of the main window, and with bars also of the status bar and the toolbar with
  // the page list (each where shown). Calls do not nest: on means on.
  virtual void SetPainting(bool on, bool bars) = 0;
  // A repaint request to the whole application.
  virtual void RequestRepaint() = 0;
  virtual WindowPlacement Placement() const = 0;
  // Top, left, width and height only.
  virtual void SetPlacement(const WindowPlacement& placement) = 0;
  virtual void SetWindowState(int state) = 0;
  virtual bool IsVisible() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void BringToFront() = 0;
  // Shrink the height by one pixel and grow it back, forcing a layout.
  virtual void NudgeHeight() = 0;
  // Ask the window to close (it then calls MainWindow::CloseQuery).
  virtual void RequestClose() = 0;
};

}  // namespace norra
