// The window of one Page (TfrmPage): margin panel fraLeftBlank and the text txtEdit in an MDI child.
#pragma once

#include <QMdiSubWindow>

class QFrame;

namespace norra {

class MainWindow;
class Page;
class ScintillaTextControl;
struct VisionSettings;

// Closing goes to the logic (state changes go through the main window, which knows which of
// them the user made); the window never closes on its own, the logic destroys it when the
// Page goes.
class TfrmPage : public QMdiSubWindow {
  Q_OBJECT

 public:
  TfrmPage(Page& page, ScintillaTextControl& control, const VisionSettings& vision, QWidget* parent = nullptr);

  void SetLogic(MainWindow* logic) { logic_ = logic; }
  Page& GetPage() const { return page_; }
  ScintillaTextControl& Control() const { return control_; }
  QFrame* LeftBlank() const { return leftBlank_; }
  // The logic destroys the Page: from now on nothing is forwarded.
  void Detach() { logic_ = nullptr; }
  // Font, size, colours and left margin from the Vision settings.
  void Style(const VisionSettings& vision);
  // Lays out the margin and the text again (a maximized Page after a batch).
  void Relayout();

  // Window states as the logic stores them (kPageNormal, kPageMinimized, kPageMaximized).
  static int StateOf(Qt::WindowStates states);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Page& page_;
  ScintillaTextControl& control_;
  MainWindow* logic_ = nullptr;
  QFrame* leftBlank_ = nullptr;
};

}  // namespace norra
