// FindWindowBridge: the find/replace window's creation, requests and main-window answers.
#include "gui/FindWindowBridge.h"

#include <exception>

#include "app/HelpPort.h"
#include "app/MainWindow.h"
#include "documents/Documents.h"
#include "engine/TagTable.h"
#include "findreplace/FindReplaceWindow.h"
#include "findreplace/HitListRun.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/HitListWindow.h"
#include "gui/MainWindowView.h"
#include "gui/PageWindow.h"
#include "settings/Settings.h"

namespace norra {

FindWindowBridge::FindWindowBridge() = default;

FindWindowBridge::~FindWindowBridge() {
  Destroy();
}

TfrmR* FindWindowBridge::Window() const {
  return window_.data();
}

void FindWindowBridge::Bind(MainWindow& logic, TfrmNote& view, Ui& ui, Clipboard& clipboard,
                            FolderChooser* folders) {
  main_ = &logic;
  view_ = &view;
  ui_ = &ui;
  clipboard_ = &clipboard;
  folders_ = folders != nullptr ? folders : &noFolders_;
}

bool FindWindowBridge::Create() {
  if (main_ == nullptr || !main_->Created()) return false;
  try {
    auto* window = new TfrmR(view_);
    window_ = window;
    logic_ = std::make_unique<FindReplaceWindow>(
        FindReplaceContext{main_->Docs(), main_->Log(), main_->Prefs(), *ui_, *clipboard_, *this,
                           *folders_, nullptr, &main_->Tags()},
        *window, window->FindBoxControl(), window->ReplaceBoxControl());
    if (!logic_->Create()) {
      logic_.reset();
      delete window;
      return false;
    }
    window->SetLogic(logic_.get());
    return true;
  } catch (const std::exception&) {
    logic_.reset();
    delete window_.data();
    return false;
  }
}

HitListWindow* FindWindowBridge::HitWindow() const {
  return hitWindow_.data();
}

void FindWindowBridge::Destroy() {
  delete hitWindow_.data();
  if (window_ != nullptr) window_->SetLogic(nullptr);
  if (logic_) logic_->Destroy();
  logic_.reset();
  delete window_.data();
}

void FindWindowBridge::Open(FindRequest request) {
  if (logic_) logic_->Open(request);
}

bool FindWindowBridge::Visible() const {
  return window_ != nullptr && window_->isVisible();
}

void FindWindowBridge::Close() {
  if (logic_) logic_->Close();
}

void FindWindowBridge::FindNext() {
  if (logic_) logic_->FindNext();
}

void FindWindowBridge::MakeTopmost() {
  if (window_ != nullptr) window_->raise();
}

bool FindWindowBridge::HistoryListShown() const {
  return logic_ && logic_->HistoryListShown();
}

void FindWindowBridge::OptionsChanged() {
  if (logic_) logic_->OptionsChanged();
}

// Through the main window's status bar, which knows what its panels show.
void FindWindowBridge::SetStatusText(const std::string& text) {
  main_->ShowHint(text);
}

void FindWindowBridge::SetMainWindowEnabled(bool enabled) {
  view_->setEnabled(enabled);
}

int FindWindowBridge::MainWindowLeft() const {
  return view_->x();
}

int FindWindowBridge::MainWindowTop() const {
  return view_->y();
}

int FindWindowBridge::PageWindowTop(Page& page) const {
  TfrmPage* window = view_->WindowOf(page);
  return window != nullptr ? window->mapTo(view_, QPoint(0, 0)).y() : 0;
}

void FindWindowBridge::FocusActivePage() {
  Page* page = main_->Docs().ActivePage();
  if (page == nullptr) return;
  view_->SetPageListEnabled(false);
  view_->activateWindow();
  view_->FocusPage(*page);
  view_->SetPageListEnabled(true);
}

// As the main window's own options command does, so that what the dialog changed is shown.
void FindWindowBridge::ShowOptions(int page) {
  main_->ShowOptions(page);
}

void FindWindowBridge::ShowHelpTopic(int topic) {
  // Help pages name their topics as anchors, as the batch dialog's help does.
  if (help_ != nullptr)
    help_->SearchKeyword(main_->Prefs().Help.MainHelpFile, "topic" + std::to_string(topic));
}

void FindWindowBridge::Refresh() {
  main_->UpdateMenuItems();
  main_->UpdateStatusBar();
}

}  // namespace norra

namespace norra {

void FindWindowBridge::ShowHitList(std::unique_ptr<HitListRun> run, const std::string& caption) {
  if (hitWindow_ == nullptr) {
    // Opening a hit brings its Page forward as closing the find window does.
    hitWindow_ = new HitListWindow(main_->Docs(), view_, [this] { FocusActivePage(); });
  }
  hitWindow_->Show(std::move(run), caption);
}

}  // namespace norra
