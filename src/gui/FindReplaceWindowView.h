// The find/replace window TfrmR: a tool window above the main window, a thin view over
// FindReplaceWindow.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "findreplace/FindReplaceView.h"
#include "findreplace/HistoryDropDown.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace norra {

class FindReplaceWindow;
class ScintillaTextControl;
class TextControl;

class TfrmR : public QWidget, public FindReplaceView {
  Q_OBJECT

 public:
  explicit TfrmR(QWidget* mainWindow);
  ~TfrmR() override;

  // The boxes the logic reads; they exist from construction on.
  TextControl& FindBoxControl();
  TextControl& ReplaceBoxControl();
  // Until SetLogic, events are dropped.
  void SetLogic(FindReplaceWindow* logic) { logic_ = logic; }

  // ---- FindReplaceView ----
  void SetCaption(const std::string& text) override;
  void SetControlVisible(std::string_view name, bool visible) override;
  void SetControlEnabled(std::string_view name, bool enabled) override;
  void CheckRange(FindRange range) override;
  void ShowFolderText(const std::string& textUtf8) override;
  void ShowGroupText(const std::string& textUtf8) override;
  void CheckFolds(bool width, bool kana) override;
  FindWindowGeometry Geometry() const override;
  void SetGeometry(const FindWindowGeometry& geometry) override;
  bool IsVisible() const override { return isVisible(); }
  void ShowWindow() override;
  void HideWindow() override { hide(); }
  void SetWindowEnabled(bool enabled) override { setEnabled(enabled); }
  void BringToTop() override { raise(); }
  void FocusWindow() override { activateWindow(); }
  void FocusBox(FindBox box) override;
  void FocusBoxAsIs(FindBox box) override;
  bool HasFocusedControl() const override;
  void ApplyColours(int foreRgb, int backRgb) override;
  void ShowHistoryList(FindBox box, const std::vector<std::string>& rows, int selected) override;
  void HideHistoryList(FindBox box) override;
  bool HistoryListShown(FindBox box) const override;
  void ShowTagPanel(const std::string& caption, const std::vector<std::string>& rows, int selected,
                    const std::string& sample) override;
  void ShowTagSample(const std::string& sample) override;
  void HideTagPanel() override;
  bool ShowDiskPreview(DiskReplacePreview& preview) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Moves the window back onto its screen when it reaches over an edge.
  void KeepOnScreen();
  QPushButton* AddButton(const char* name, const char* caption);
  QRadioButton* AddRange(const char* name, const char* caption, FindRange range);
  // The box holding the focus, if one does.
  const FindBox* FocusedBox() const;
  void WatchKeys();
  void BuildTagPanel(QWidget* options);
  void BuildPopup();
  // A history list's key, mouse and focus events, as its drop-down rules answer them.
  bool HistoryListEvent(int which, QObject* watched, QEvent* event);
  void ApplyHistoryAction(int which, HistoryListAction action);
  bool TagListEvent(QEvent* event);

  // The history drop-down of each box: txtFind's first.
  struct HistoryList {
    QListWidget* list = nullptr;
    QPushButton* button = nullptr;
    QWidget* box = nullptr;
    HistoryDropDown dropDown;
  };
  std::array<HistoryList, 2> lists_;
  QWidget* options_ = nullptr;
  QWidget* tags_ = nullptr;
  QLabel* tagMode_ = nullptr;
  QListWidget* tagList_ = nullptr;
  QLabel* tagSample_ = nullptr;
  QMenu* popup_ = nullptr;

  FindReplaceWindow* logic_ = nullptr;
  std::unique_ptr<ScintillaTextControl> find_;
  std::unique_ptr<ScintillaTextControl> replace_;
  QLineEdit* folder_ = nullptr;
  QLineEdit* group_ = nullptr;
  QLineEdit* mask_ = nullptr;
  bool syncing_ = false;  // the logic sets a control: no echo back to it
};

}  // namespace norra
