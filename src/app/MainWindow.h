// The main window's logic: start-up and shutdown, the command line, the status bar, the title,
// the enabling of commands, command routing, dropped files, the page list and the exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandStates.h"
#include "app/FindWindowPort.h"
#include "app/MainView.h"
#include "app/OptionsHost.h"
#include "app/PageTabs.h"
#include "app/StatusBar.h"
#include "app/UiItem.h"
#include "documents/DocumentsHost.h"

namespace norra {

class Clipboard;
class Clock;
class Documents;
class PageDiskWatch;
class EditCommands;
class FileListDialogPort;
class FileStore;
class GroupCommandsPort;
class HelpPort;
class OptionsDialogPort;
class PageKeys;
class PrinterDevice;
class PrintJob;
class RecoveryDialogPort;
class RecoveryKeeper;
class RecoveryStore;
class RecoveryWriter;
class Settings;
class TagTable;
class Ui;
class UndoLog;
enum class ListDialogMode : int;

// What the main window works with besides its own objects; all outlive it.
struct MainWindowPorts {
  MainView& view;
  Ui& ui;
  Clipboard& clipboard;
  const Clock& clock;
  FileListDialogPort& dialogs;
  FindWindowPort& findWindow;
  OptionsDialogPort& options;
  HelpPort& help;
  FileStore* files = nullptr;  // none: the real file system
  GroupCommandsPort* groups = nullptr;  // none: the commands that write group files are missing
  PrinterDevice* printer = nullptr;  // none: no printer is installed
  RecoveryDialogPort* recovery = nullptr;  // none: copies of crashed runs are not offered
};

struct StartupOptions {
  std::vector<std::string> args;  // the command-line arguments, the program's path not included
  std::string workingFolder;      // relative file arguments are taken from here
  std::string settingsFolder;     // the settings file and relative "-F" names live here
  std::string helpFolder;         // the folder of the program's own help file
  std::string recoveryFolder = {};  // recovery copies of unsaved Pages; empty: none are kept
};

class MainWindow : public DocumentsHost, public OptionsHost {
 public:
  // Default size of a window whose stored size is unusable.
  static constexpr int kDefaultWidth = 580;
  static constexpr int kDefaultHeight = 420;
  // Input-method mode that leaves the user's choice alone.
  static constexpr int kImeDontCare = 3;
  static constexpr const char* kNoFileTitle = "No File";

  MainWindow(const MainWindowPorts& ports, StartupOptions options);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creation, before the window shows: the tag tables, the settings, the undo log; the window
  // sized from the settings. False when start-up failed; the failure has been reported and
  // the program ends (exit code 0).
  bool Create();
  // Before Create: whether the batch dialog carries out a mode's first button (without this,
  // every mode does). The commands of the modes that do not stay disabled.
  void SetListModeCheck(std::function<bool(ListDialogMode)> hasAction) { listModeHasAction_ = std::move(hasAction); }
  // The first showing: hooks, the command line's files, the first state. Runs once.
  void Show();
  // The close request: true when the window may close (it is hidden then); false refuses.
  bool CloseQuery();
  // Writes the settings and frees the objects in their order; the destructor runs it too.
  void Destroy();

  // ---- hooks (active from the first showing on) ----
  void ShowHint(const std::string& hint);
  void ActiveControlChanged();
  void ClipboardChanged();
  void Idle();
  // The recovery copies' clock, every RecoveryKeeper::kTickMs or so: `nowMs` from a steady clock.
  void RecoveryTick(std::int64_t nowMs);
  // Waits until the recovery copies asked for so far are on disk (tests).
  void FlushRecovery();

  // ---- events of the main window ----
  void Activated();
  // A watcher saw the file at `path` change or go.
  void FileChangedOnDisk(const std::string& path);
  void FilesDropped(const std::vector<std::string>& paths);
  // Key preview of the main window; true when the key was used here.
  bool KeyDown(int key, unsigned shift);
  // A menu item or toolbar button was chosen. Failures are reported, never thrown.
  void Execute(UiItem item);
  void MenuOpening(MenuKind menu);

  // ---- events of the Page windows ----
  void PageWindowActivated(Page& page);
  // The window's close box: true when the Page closed.
  bool PageWindowCloseRequested(Page& page);
  void PageWindowStateChanged(Page& page, int state);

  // ---- the page list (cboContents) ----
  void PageListKeyDown(int key);
  void PageListKeyUp(int key, std::size_t selected);
  void PageListSelectionChanged(std::size_t index);
  void PageListFocused();

  // ---- Pages as tabs ----
  // A click on the tab at `index` (page-list order) activates its Page.
  void PageTabClicked(std::size_t index);
  // The tab's close button: the close command on its Page, save question included; true when
  // the Page closed.
  bool PageTabCloseRequested(std::size_t index);
  const PageTabs& Tabs() const { return tabs_; }

  // ---- operations other parts use ----
  void UpdateStatusBar() override;
  void ShowEmptyStatus() override;
  void UpdateMenuItems();
  void SetRedraw(bool on, Page* relayout = nullptr) override;
  // Runs the batch dialog in the mode, then refreshes the state shown.
  int RunListDialog(ListDialogMode mode);
  // The options dialog at the page, whoever asks for it, then what it changed shown (the bars,
  // the second help's captions, the status bar). Returns the page shown last.
  int ShowOptions(int page);

  Documents& Docs() { return *documents_; }
  UndoLog& Log() { return *log_; }
  Settings& Prefs() { return *settings_; }
  // The print job; the options dialog asks it for the paper (PrintJob::PaperSize).
  PrintJob& Printing() { return *printJob_; }
  EditCommands& Edits() { return *edits_; }
  TagTable& Tags() { return *tags_; }
  bool Created() const { return documents_ != nullptr; }
  bool FindWindowCreated() const { return findWindowCreated_; }
  bool RedrawEnabled() const { return redrawEnabled_; }
  const std::vector<std::string>& CommandLineFiles() const { return commandLineFiles_; }
  int OptionsPageShown() const { return optionsPage_; }
  // The application title: the active Page's DisplayName, or "No File".
  const std::string& ApplicationTitle() const { return title_; }

  // ---- DocumentsHost ----
  std::unique_ptr<TextControl> CreateTextControl() override;
  void PageCreated(Page& page) override;
  void PageCaptionChanged(Page& page) override;
  void ShowPage(Page& page) override;
  void PageActivated(Page& page) override;
  void PageDestroyed(Page& page) override;
  void PageSaved(Page& page) override;
  void PageListChanged() override;
  void SetApplicationTitle(const std::string& title) override;

  // ---- OptionsHost ----
  void SetMainCaption(const std::string& caption) override;
  void ShowBars(bool toolBar, bool statusBar) override;
  void StylePage(Page& page, const VisionSettings& vision) override;
  void FindWindowOptionsChanged() override;

 private:
  Page* Active() const;
  std::size_t PageCount() const;
  bool AnyModified() const;
  void Dispatch(UiItem item);
  // What holds for the enabling table now; the clipboard as last asked unless askClipboard.
  unsigned Holds(bool askClipboard);
  void RefreshCommands(bool askClipboard);
  void MarkMissingActions();
  // The window's one caption: its own name and the application title.
  void ShowCaption();
  void ApplyWindowSize();
  void MakeVisible();
  void StorePlacement();
  void HideForClose();
  void OpenCommandLineFiles();
  // Offers the copies crashed runs left; the number of Pages restored.
  int RestoreRecoveredPages();
  void StartRecovery();
  void EndRecovery();
  void AfterOptions();
  void OpenFindWindow(FindRequest request);
  void CloseFindWindowOnEscape();
  void ToggleToolBar();
  void ToggleStatusBar();
  void ToggleVision(bool VisionSettings::*option);
  void ToggleWrapAtColumns();
  void RecentFiles();
  // The group menu (MainWindowGroups.cpp).
  void ShowGroupMenu();
  void OpenGroupDialog(const std::string& groupPath);
  void OpenRecentGroup(int number);
  void ChooseGroup();
  void SetSecondHelpTexts();
  bool ChooseSecondHelp();
  void OpenSecondHelp(const std::string& keywordCp932);
  void MovePage();
  void SwitchTo(Page* page);
  void ShowPageTabs();

  MainView& view_;
  Ui& ui_;
  Clipboard& clipboard_;
  const Clock& clock_;
  FileListDialogPort& dialogs_;
  FindWindowPort& findWindow_;
  OptionsDialogPort& options_;
  HelpPort& help_;
  FileStore* files_;
  GroupCommandsPort* groups_;
  PrinterDevice* printer_;
  RecoveryDialogPort* recoveryDialog_;
  std::function<bool(ListDialogMode)> listModeHasAction_;
  StartupOptions startup_;
  StatusBar status_;
  PageTabs tabs_;
  CommandStates commands_;

  // Created in this order, destroyed in the order of Destroy().
  std::unique_ptr<TagTable> tags_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<UndoLog> log_;
  std::unique_ptr<Documents> documents_;
  std::unique_ptr<PageDiskWatch> diskWatch_;
  std::unique_ptr<EditCommands> edits_;
  std::unique_ptr<PageKeys> keys_;
  std::unique_ptr<PrinterDevice> ownPrinter_;  // when the ports bring none
  std::unique_ptr<PrintJob> printJob_;
  // This run's recovery copies: the store outlives its writer, the writer its keeper.
  std::unique_ptr<RecoveryStore> recoveryStore_;
  std::unique_ptr<RecoveryWriter> recoveryWriter_;
  std::unique_ptr<RecoveryKeeper> recoveryKeeper_;

  std::vector<std::string> commandLineFiles_;
  bool findWindowCreated_ = false;
  bool redrawEnabled_ = true;
  bool firstShow_ = false;
  std::string interruptedWrites_;  // what the start did about a killed run's writes, for the user
  bool hooksInstalled_ = false;
  bool destroyed_ = false;
  std::string caption_ = "Norra";
  std::string title_ = kNoFileTitle;
  bool clipboardText_ = false;
  int pendingComboKey_ = 0;
  bool f2Marker_ = false;
  int optionsPage_ = 0;
};

}  // namespace norra
