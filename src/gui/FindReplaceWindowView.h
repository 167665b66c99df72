// The find/replace window TfrmR: a tool window above the main window, a thin view over
// FindReplaceWindow.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "findreplace/FindReplaceView.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLineEdit;
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
  FindWindowGeometry Geometry() const override;
  void SetGeometry(const FindWindowGeometry& geometry) override;
  bool IsVisible() const override { return isVisible(); }
  void ShowWindow() override;
  void HideWindow() override { hide(); }
  void SetWindowEnabled(bool enabled) override { setEnabled(enabled); }
  void BringToTop() override { raise(); }
  void FocusWindow() override { activateWindow(); }
  void FocusBox(FindBox box) override;
  void ApplyColours(int foreRgb, int backRgb) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QPushButton* AddButton(const char* name, const char* caption);
  QRadioButton* AddRange(const char* name, const char* caption, FindRange range);
  // The box holding the focus, if one does.
  const FindBox* FocusedBox() const;
  void WatchKeys();

  FindReplaceWindow* logic_ = nullptr;
  std::unique_ptr<ScintillaTextControl> find_;
  std::unique_ptr<ScintillaTextControl> replace_;
  QLineEdit* folder_ = nullptr;
  QLineEdit* group_ = nullptr;
  QLineEdit* mask_ = nullptr;
  bool syncing_ = false;  // the logic sets a control: no echo back to it
};

}  // namespace norra
