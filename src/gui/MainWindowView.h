// The main window TfrmNote: a Qt frame over MainWindow with the Pages in a QMdiArea.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "app/MainView.h"
#include "app/UiItem.h"

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QTimer;
class QToolButton;

namespace norra {

class MainWindow;
class TfrmPage;

// Forwards every event to the logic and does what MainView's calls say. Until SetLogic the
// window only builds itself; events are dropped.
class TfrmNote : public QMainWindow, public MainView {
  Q_OBJECT

 public:
  explicit TfrmNote(QWidget* parent = nullptr);
  ~TfrmNote() override;

  void SetLogic(MainWindow* logic);

  // For tests and tools.
  QAction* Action(UiItem item) const { return actions_.at(static_cast<std::size_t>(item)); }
  QMdiArea* Area() const { return area_; }
  QComboBox* PageList() const { return pageList_; }
  QLabel* StatusPanel(int panel) const { return panels_.at(static_cast<std::size_t>(panel)); }
  // The Page's window; null for a Page whose window was never needed yet.
  TfrmPage* WindowOf(const Page& page) const;
  // The Page's window, made now if it was not yet (not shown nor activated by this).
  TfrmPage* EnsureWindow(Page& page);
  QMenu* Popup() const { return popup_; }
  const std::string& ApplicationHelpFile() const { return helpFile_; }
  // Runs the logic's idle step now (the event loop runs it whenever it is about to wait).
  void RunIdle();

  // ---- MainView ----
  std::unique_ptr<TextControl> CreateTextControl() override;
  void CreatePageWindow(Page& page, const VisionSettings& vision) override;
  void SetPageCaption(Page& page, const std::string& caption) override;
  void StylePageWindow(Page& page, const VisionSettings& vision) override;
  void ShowPage(Page& page) override;
  void DestroyPageWindow(Page& page) override;
  void FocusPage(Page& page) override;
  void SetImeMode(Page& page, int mode) override;
  void RelayoutPage(Page& page) override;
  void MaximizePage(Page& page) override;
  void ArrangePages(PageArrangement how) override;

  void SetPageList(const std::vector<std::string>& entries, std::size_t selected) override;
  void SetPageListSelection(std::size_t index) override;
  void DropDownPageList(std::size_t selected) override;
  void SetPageListEnabled(bool on) override;
  bool PageListHasFocus() const override;
  void WatchFiles(const std::vector<std::string>& paths) override;

  void SetStatusText(int panel, const std::string& text) override;
  void SetCaption(const std::string& caption) override;
  void SetApplicationHelpFile(const std::string& path) override;

  void SetItemEnabled(UiItem item, bool on) override;
  void SetItemChecked(UiItem item, bool on) override;
  void SetItemVisible(UiItem item, bool on) override;
  void SetItemCaption(UiItem item, const std::string& caption) override;
  void SetItemHint(UiItem item, const std::string& hint) override;
  void SetToolBarVisible(bool on) override;
  void SetStatusBarVisible(bool on) override;

  void SetPainting(bool on, bool bars) override;
  void RequestRepaint() override;
  WindowPlacement Placement() const override;
  void SetPlacement(const WindowPlacement& placement) override;
  void SetWindowState(int state) override;
  bool IsVisible() const override;
  void Show() override;
  void Hide() override;
  void BringToFront() override;
  void NudgeHeight() override;
  void RequestClose() override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  QMenu* AddMenu(const char* name, const char* caption, MenuKind kind, std::initializer_list<UiItem> items);
  QToolButton* AddButton(UiItem item, int icon);
  void SubWindowActivated(QMdiSubWindow* window);
  void PageListActivated(int index);
  void PageListCurrentChanged(int row);
  // The area the arrangements fill: the MDI area without the row of minimized Pages.
  QRect Room() const;
  void Tile(bool vertical);
  void Cascade();
  void ArrangeIcons();
  // The Pages' windows, the one on top first.
  std::vector<QMdiSubWindow*> WindowsTopFirst() const;

  MainWindow* logic_ = nullptr;
  // The open Pages' files; changes are passed on after a short calm, so that a file written
  // in several steps or replaced under its name is looked at once, complete.
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer* watchCalm_ = nullptr;
  QStringList changedFiles_;
  void FilesCalm();
  std::array<QAction*, kUiItemCount> actions_{};
  QMdiArea* area_ = nullptr;
  QToolBar* speedPanel_ = nullptr;
  QComboBox* pageList_ = nullptr;
  QMenu* popup_ = nullptr;
  std::array<QLabel*, 7> panels_{};
  std::map<const Page*, QPointer<TfrmPage>> windows_;
  // Pages whose window and editing widget are made when first shown; with the settings
  // they are to be styled by.
  std::map<Page*, const VisionSettings*> deferred_;
  // Every Page gets its window, shown, for the commands that arrange them all.
  void ShowDeferredWindows();
  std::string helpFile_;
  QString caption_ = QStringLiteral("Norra");
  bool syncing_ = false;        // the view sets its own controls: no echo to the logic
  bool pageListKeyDown_ = false;  // a key went down in the page list and has not come up
  bool inIdle_ = false;
};

}  // namespace norra
