// What the find/replace window's logic tells its view, and what it asks of the main window.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

class HitListRun;
class Page;
struct DiskReplacePreview;

// The range buttons; the numbers of the notebook, current-file, folder and group ranges are
// the codes LastRangeKind remembers.
enum class FindRange : int {
  AllNote = 2,     // optRangeAllNote "ﾒﾓ帳全体(&M)"
  CurrentPad = 3,  // optRangeCurrentPad "現在のﾌｧｲﾙ(&C)"
  SelText = 4,     // optRangeSelText "選択された文(&T)"
  Directory = 5,   // optRangeDirectory "ﾌｫﾙﾀﾞ(DISK)(&D)"
  Group = 6,       // optRangeGroup "ｸﾞﾙｰﾌﾟ(DISK)(&G)"
};

// Window modes; the open requests of the modes use the same numbers.
enum FindWindowMode : int {
  kFindMode = 5,     // 検索
  kReplaceMode = 6,  // 検索/置換
};

// Open requests for the selected-text range.
enum FindOpenRequest : int {
  kOpenFindSelection = 7,     // 選択部分のみ検索
  kOpenReplaceSelection = 8,  // 選択部分のみ置換
};

// Which of the two text boxes.
enum class FindBox {
  Find,     // txtFind
  Replace,  // txtReplace
};

struct FindWindowGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const FindWindowGeometry&) const = default;
};

// The window itself. Controls are named by their component names (cmdReplace, fraReplace...).
class FindReplaceView {
 public:
  virtual ~FindReplaceView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetControlVisible(std::string_view name, bool visible) = 0;
  virtual void SetControlEnabled(std::string_view name, bool enabled) = 0;
  // Checks one range button (the logic keeps the state; the view only shows it).
  virtual void CheckRange(FindRange range) = 0;
  // The texts and options the logic changed (folder text after choosing a folder and so on).
  virtual void ShowFolderText(const std::string& textUtf8) = 0;
  virtual void ShowGroupText(const std::string& textUtf8) = 0;
  // The two fold options as the settings keep them (chkFoldWidth, chkFoldKana).
  virtual void CheckFolds(bool /*width*/, bool /*kana*/) {}

  virtual FindWindowGeometry Geometry() const = 0;
  virtual void SetGeometry(const FindWindowGeometry& geometry) = 0;
  virtual bool IsVisible() const = 0;
  virtual void ShowWindow() = 0;  // shows it (above the main window)
  virtual void HideWindow() = 0;
  virtual void SetWindowEnabled(bool enabled) = 0;
  virtual void BringToTop() = 0;
  virtual void FocusWindow() = 0;
  // Focuses the box and selects all of its text.
  virtual void FocusBox(FindBox box) = 0;
  // Focuses the box with its caret and selection as they are.
  virtual void FocusBoxAsIs(FindBox box) { FocusBox(box); }
  // Whether one of the window's controls has the focus.
  virtual bool HasFocusedControl() const { return false; }
  // The first showing: the boxes take the text colours of the Vision settings.
  virtual void ApplyColours(int foreRgb, int backRgb) = 0;
  // Shows what a folder or group replace would change; the user unchecks files and hits in
  // `preview`. True: run it; false: cancelled, nothing is written. A view that shows nothing
  // runs it as it is.
  virtual bool ShowDiskPreview(DiskReplacePreview& /*preview*/) { return true; }

  // The history drop-down list of a box: its rows newest first (CP932) with one selected (-1
  // for none), shown over the box and focused. Hiding leaves the focus to the logic.
  virtual void ShowHistoryList(FindBox /*box*/, const std::vector<std::string>& /*rows*/,
                               int /*selected*/) {}
  virtual void HideHistoryList(FindBox /*box*/) {}
  virtual bool HistoryListShown(FindBox /*box*/) const { return false; }

  // The tag panel over the option panel: its caption (UTF-8), the tags' symbols (CP932) with
  // one selected, the selected tag's example (CP932). While it shows, the window does not see
  // keys first. Hiding brings the option panel back; a focus the panel held goes with it (no
  // control has the focus afterwards).
  virtual void ShowTagPanel(const std::string& /*caption*/,
                            const std::vector<std::string>& /*rows*/, int /*selected*/,
                            const std::string& /*sample*/) {}
  virtual void ShowTagSample(const std::string& /*sample*/) {}
  virtual void HideTagPanel() {}
};

// What the window needs of the main window.
class FindWindowHost {
 public:
  virtual ~FindWindowHost() = default;
  // Status panel 0 (UTF-8); the only progress display of a long command.
  virtual void SetStatusText(const std::string& text) = 0;
  // The main window takes no input while a replace all runs.
  virtual void SetMainWindowEnabled(bool enabled) = 0;
  // Screen positions the placement beside the caret is estimated from.
  virtual int MainWindowLeft() const = 0;
  virtual int MainWindowTop() const = 0;
  virtual int PageWindowTop(Page& page) const = 0;
  // The window closed: the active Page's text takes the focus.
  virtual void FocusActivePage() = 0;
  // The options dialog, modally, starting on the page.
  virtual void ShowOptions(int page) = 0;
  // A topic of the program's own help file.
  virtual void ShowHelpTopic(int /*topic*/) {}
  // Something the main window's commands depend on may have changed (a Page's text).
  virtual void Refresh() {}
  // A started list of every hit, for the results window; the caption names the range (UTF-8).
  virtual void ShowHitList(std::unique_ptr<HitListRun> /*run*/, const std::string& /*caption*/) {}
};

}  // namespace norra
