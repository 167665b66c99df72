// The find/replace window as the main window's port: creates TfrmR and its logic on first use
// and answers for the main window the logic asks about.
#pragma once

#include <QPointer>
#include <memory>

#include "app/FindWindowPort.h"
#include "findreplace/FindReplaceView.h"
#include "platform/FolderChooser.h"

namespace norra {

class Clipboard;
class HelpPort;
class FindReplaceWindow;
class HitListWindow;
class MainWindow;
class TfrmNote;
class TfrmR;
class Ui;

// Answers every folder request as cancelled: the folder is typed into its box instead.
class NoFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(const std::string& /*startPath*/) override {
    return std::nullopt;
  }
};

class FindWindowBridge : public FindWindowPort, public FindWindowHost {
 public:
  FindWindowBridge();
  ~FindWindowBridge() override;
  FindWindowBridge(const FindWindowBridge&) = delete;
  FindWindowBridge& operator=(const FindWindowBridge&) = delete;

  // Before the first request: what the window is built from (all outlive it).
  void Bind(MainWindow& logic, TfrmNote& view, Ui& ui, Clipboard& clipboard, FolderChooser* folders);
  void SetHelp(HelpPort* help) { help_ = help; }

  // For tests and tools; null until the window exists.
  TfrmR* Window() const;
  FindReplaceWindow* Logic() const { return logic_.get(); }
  // The results window of hit lists; null until the first list.
  HitListWindow* HitWindow() const;

  // ---- FindWindowPort ----
  bool Create() override;
  void Destroy() override;
  void Open(FindRequest request) override;
  bool Visible() const override;
  void Close() override;
  void FindNext() override;
  void MakeTopmost() override;
  bool HistoryListShown() const override;
  void OptionsChanged() override;

  // ---- FindWindowHost ----
  void SetStatusText(const std::string& text) override;
  void SetMainWindowEnabled(bool enabled) override;
  int MainWindowLeft() const override;
  int MainWindowTop() const override;
  int PageWindowTop(Page& page) const override;
  void FocusActivePage() override;
  void ShowOptions(int page) override;
  void ShowHelpTopic(int topic) override;
  void Refresh() override;
  void ShowHitList(std::unique_ptr<HitListRun> run, const std::string& caption) override;

 private:
  MainWindow* main_ = nullptr;
  TfrmNote* view_ = nullptr;
  Ui* ui_ = nullptr;
  Clipboard* clipboard_ = nullptr;
  FolderChooser* folders_ = nullptr;
  HelpPort* help_ = nullptr;
  NoFolderChooser noFolders_;
  QPointer<TfrmR> window_;
  QPointer<HitListWindow> hitWindow_;
  std::unique_ptr<FindReplaceWindow> logic_;
};

}  // namespace norra
