// The main window's logic.
#include "app/MainWindow.h"

#include <algorithm>
#include <stdexcept>

#include "app/CommandLine.h"
#include "app/DiskReplaceUndoCommand.h"
#include "app/EditCommands.h"
#include "app/HelpLocation.h"
#include "app/HelpPort.h"
#include "app/OptionsDialogPort.h"
#include "app/PageKeys.h"
#include "app/RecoveryDialog.h"
#include "app/RecoveryDialogPort.h"
#include "documents/Documents.h"
#include "documents/PageDiskWatch.h"
#include "documents/FileListDialogPort.h"
#include "documents/GroupCommandsPort.h"
#include "documents/Page.h"
#include "documents/RecoveryKeeper.h"
#include "documents/RecoveryStore.h"
#include "documents/RecoveryWriter.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "printing/PrintJob.h"
#include "platform/Clipboard.h"
#include "platform/MemoryPrinter.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/Cp932.h"
#include "text/Encoding.h"
#include "text/PathUtil.h"
#include "text/WriteJournal.h"

namespace norra {

namespace {

constexpr std::size_t kHelpKeywordLimit = 256;
constexpr int kVisibleAttempts = 100;

// A failure while the window is being created; the step it happened in.
class StartupFailure : public std::runtime_error {
 public:
  explicit StartupFailure(int step) : std::runtime_error("start-up step failed"), step_(step) {}
  int Step() const { return step_; }

 private:
  int step_;
};

// The name of a command as its error message says it: the caption without its accelerator
// and dots, or the short hint of a toolbar button.
std::string ActionName(UiItem item) {
  const UiItemInfo& info = InfoOf(item);
  std::string name(info.caption.empty() ? info.hint.substr(0, info.hint.find('|')) : info.caption);
  if (const std::size_t amp = name.find("(&"); amp != std::string::npos) name.erase(amp);
  while (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

}  // namespace

MainWindow::MainWindow(const MainWindowPorts& ports, StartupOptions options)
    : view_(ports.view),
      ui_(ports.ui),
      clipboard_(ports.clipboard),
      clock_(ports.clock),
      dialogs_(ports.dialogs),
      findWindow_(ports.findWindow),
      options_(ports.options),
      help_(ports.help),
      files_(ports.files),
      groups_(ports.groups),
      printer_(ports.printer),
      recoveryDialog_(ports.recovery),
      startup_(std::move(options)),
      status_(ports.view),
      tabs_(ports.view),
      commands_(ports.view) {}

MainWindow::~MainWindow() { Destroy(); }

// ---- creation, first show, exit, destruction ----

bool MainWindow::Create() {
  try {
    // Before any file is read: a write a killed run left half done is finished first.
    interruptedWrites_ = JournalFindingsText(FinishInterruptedWrites());
    tags_ = std::make_unique<TagTable>();
    if (!tags_->Build()) throw StartupFailure(2);

    const CommandLine line = ParseCommandLine(startup_.args, startup_.workingFolder, startup_.settingsFolder);
    commandLineFiles_ = line.files;
    const ScreenExtent screen = ui_.Screen();
    settings_ = std::make_unique<Settings>(*tags_, line.settingsFile, startup_.helpFolder,
                                           ScreenSize{screen.width, screen.height});
    // A file that cannot be read leaves the defaults in force (and is not overwritten later).
    settings_->Load();

    log_ = std::make_unique<UndoLog>(ui_);
    log_->Configure(settings_->Edit);
    if (printer_ == nullptr) {
      ownPrinter_ = std::make_unique<MemoryPrinter>();
      static_cast<MemoryPrinter&>(*ownPrinter_).SetInstalled(false);
      printer_ = ownPrinter_.get();
    }
    printJob_ = std::make_unique<PrintJob>(*printer_, ui_, clock_);

    documents_ = std::make_unique<Documents>(*settings_, *log_, ui_, *this, files_);
    diskWatch_ = std::make_unique<PageDiskWatch>(*documents_, *settings_, ui_);
    edits_ = std::make_unique<EditCommands>(*documents_, *log_, clipboard_, clock_, ui_, *this);
    keys_ = std::make_unique<PageKeys>(
        *log_, [this] { CloseFindWindowOnEscape(); }, [this](UiItem item) { Execute(item); },
        [this] { UpdateStatusBar(); });
    log_->SetEditingKeys(keys_.get());
    StartRecovery();

    caption_ = "Norra";
    ApplyWindowSize();
    view_.SetToolBarVisible(settings_->Vision.ToolBar);
    view_.SetStatusBarVisible(settings_->Vision.StatusBar);
    tabs_.SetShown(settings_->Vision.PageTabs);
    // Until the first Page opens, the window says that none is open (start-up messages may
    // show before that).
    ShowEmptyStatus();
    MarkMissingActions();
    UpdateMenuItems();

    findWindowCreated_ = false;
    redrawEnabled_ = true;
    firstShow_ = true;
    return true;
  } catch (const std::exception&) {
    if (log_) log_->SetEditingKeys(nullptr);
    EndRecovery();
    keys_.reset();
    edits_.reset();
    diskWatch_.reset();
    documents_.reset();
    printJob_.reset();
    log_.reset();
    settings_.reset();
    tags_.reset();
    ui_.ShowMessageBox("Norra起動時にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra - [起動時ｴﾗｰ]");
    return false;
  }
}

void MainWindow::ApplyWindowSize() {
  const ScreenExtent screen = ui_.Screen();
  WindowSettings& window = settings_->Window;
  int width = window.Width;
  int height = window.Height;
  if (width <= 0) {
    width = kDefaultWidth;
  } else if (screen.width > 0 && width > screen.width) {
    width = screen.width;
  }
  if (height <= 0) {
    height = kDefaultHeight;
  } else if (screen.height > 0 && height > screen.height) {
    height = screen.height;
  }
  window.Width = width;
  window.Height = height;
  // A stored position off the screen puts the window back on it.
  if (screen.width > 0) window.Left = std::clamp(window.Left, 0, std::max(0, screen.width - width));
  if (screen.height > 0) window.Top = std::clamp(window.Top, 0, std::max(0, screen.height - height));
  WindowPlacement placement;
  placement.top = window.Top;
  placement.left = window.Left;
  placement.width = width;
  placement.height = height;
  placement.state = window.WindowState;
  view_.SetPlacement(placement);
}

void MainWindow::MakeVisible() {
  for (int attempt = 0; attempt < kVisibleAttempts && !view_.IsVisible(); ++attempt) {
    view_.Show();
    ui_.ProcessPendingEvents();
  }
}

void MainWindow::Show() {
  if (!firstShow_ || !Created()) return;
  firstShow_ = false;
  try {
    hooksInstalled_ = true;
    SetRedraw(false);
    if (settings_->General.DispUserName) {
      caption_ = "Norra for " + settings_->General.UserName;
      ShowCaption();
    }
    SetSecondHelpTexts();
    if (!interruptedWrites_.empty()) {
      MakeVisible();
      ui_.ShowMessageBox(interruptedWrites_, MB_OK | MB_ICONWARNING, "Norra");
      interruptedWrites_.clear();
    }
    const int restored = RestoreRecoveredPages();
    // Restored Pages stand in for the empty untitled one a start without files opens.
    if (restored == 0 || !commandLineFiles_.empty()) OpenCommandLineFiles();
    if (Page* page = Active()) {
      view_.SetImeMode(*page, settings_->Edit.InitImeMode);
      view_.FocusPage(*page);
      view_.SetImeMode(*page, kImeDontCare);
      status_.ForceInsertState(true, false);
    } else {
      ShowEmptyStatus();
    }
    SetRedraw(true, Active());
    view_.NudgeHeight();
    ApplyWindowSize();
    if (const SettingsNotice& notice = settings_->Notice(); !notice.text.empty()) {
      MakeVisible();
      ui_.ShowMessageBox(notice.text, MB_OK | (notice.warning ? MB_ICONWARNING : MB_ICONINFORMATION), "Norra");
    }
    if (settings_->OlderVersion()) {
      try {
        MakeVisible();
        optionsPage_ = ShowOptions(optionsPage_);
      } catch (const std::exception&) {
        // The options are a courtesy at this point; the window goes on.
      }
    }
    if (settings_->Window.ChildWindowState != kPageMaximized) {
      MakeVisible();
      view_.SetWindowState(kPageNormal);
      view_.NudgeHeight();
    }
    if (settings_->Window.WindowState == kPageMaximized) view_.SetWindowState(kPageMaximized);
    UpdateMenuItems();
  } catch (const std::exception&) {
    SetRedraw(true, Active());
    ui_.ShowMessageBox("Norra起動時にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra - [起動時ｴﾗｰ]");
  }
}

void MainWindow::OpenCommandLineFiles() {
  Documents::OpenBatch batch(*documents_);
  for (const std::string& path : commandLineFiles_) documents_->OpenPage(path, true);
  if (commandLineFiles_.empty()) documents_->OpenPage(std::string(), false);
}

// ---- recovery copies ----

void MainWindow::StartRecovery() {
  if (startup_.recoveryFolder.empty()) return;
  auto store = std::make_unique<RecoveryStore>(startup_.recoveryFolder);
  // Without a folder of its own the run keeps no copies; editing goes on as before.
  if (store->Open() != FileError::None) return;
  recoveryStore_ = std::move(store);
  recoveryWriter_ = std::make_unique<RecoveryWriter>(*recoveryStore_);
  recoveryKeeper_ = std::make_unique<RecoveryKeeper>(*documents_, *recoveryWriter_);
}

void MainWindow::EndRecovery() {
  recoveryKeeper_.reset();
  if (recoveryWriter_) recoveryWriter_->Stop();
  recoveryWriter_.reset();
  // A run that ends here gave its unsaved changes up (the exit asked): the copies go.
  if (recoveryStore_) recoveryStore_->RemoveAll();
  recoveryStore_.reset();
}

int MainWindow::RestoreRecoveredPages() {
  if (recoveryDialog_ == nullptr || startup_.recoveryFolder.empty()) return 0;
  RecoveryClaim claim = RecoveryClaim::Take(startup_.recoveryFolder);
  if (claim.Empty()) return 0;
  MakeVisible();
  RecoveryDialog dialog(claim, *documents_, ui_, recoveryKeeper_.get());
  const bool accepted = recoveryDialog_->Run(dialog);
  return dialog.Finish(accepted);
}

void MainWindow::RecoveryTick(std::int64_t nowMs) {
  if (recoveryKeeper_ && !destroyed_) recoveryKeeper_->Tick(nowMs);
}

void MainWindow::FlushRecovery() {
  if (recoveryKeeper_) recoveryKeeper_->Flush();
}

void MainWindow::PageSaved(Page& page) {
  if (recoveryKeeper_) recoveryKeeper_->PageSaved(page);
}

void MainWindow::StorePlacement() {
  const WindowPlacement placement = view_.Placement();
  WindowSettings& window = settings_->Window;
  window.Top = placement.top;
  window.Left = placement.left;
  window.Height = placement.height;
  window.Width = placement.width;
  window.WindowState = placement.state;
  if (Page* page = Active()) window.ChildWindowState = page->WindowState();
}

void MainWindow::HideForClose() {
  view_.Hide();
  documents_->SetMainWindowVisible(false);
}

bool MainWindow::CloseQuery() {
  if (!Created()) return true;
  try {
    if (AnyModified()) {
      const int result = dialogs_.Run(ListDialogMode::Exit);
      if (result == kListDialogFailed) throw std::runtime_error("the exit dialog could not be prepared");
      if (result == kListDialogCancelled) {
        UpdateStatusBar();
        return false;
      }
      // A save that failed in the dialog leaves its Page modified: each is asked about once
      // more, so closing never drops an edit the user did not give up.
      std::vector<Page*> left;
      for (const PageListEntry& entry : documents_->List().Entries()) {
        if (entry.page->Modified()) left.push_back(entry.page);
      }
      for (Page* page : left) {
        if (!documents_->ClosePage(*page)) {
          UpdateMenuItems();
          return false;
        }
      }
    }
    StorePlacement();
    HideForClose();
    return true;
  } catch (const std::exception&) {
    const int answer = ui_.ShowMessageBox("終了処理中にｴﾗｰ発生\n終了を中止しますか?", MB_YESNO | MB_ICONERROR, "Norra");
    if (answer == IDYES) return false;
    try {
      StorePlacement();
    } catch (const std::exception&) {
      // The placement stays as loaded.
    }
    HideForClose();
    return true;
  }
}

void MainWindow::Destroy() {
  if (destroyed_ || !Created()) return;
  destroyed_ = true;
  hooksInstalled_ = false;
  settings_->Save();
  if (findWindowCreated_) {
    findWindow_.Destroy();
    findWindowCreated_ = false;
  }
  // The Pages go with the window; hidden, it leaves the page list alone.
  log_->SetEditingKeys(nullptr);
  documents_->SetMainWindowVisible(false);
  EndRecovery();
  keys_.reset();
  edits_.reset();
  diskWatch_.reset();
  documents_.reset();
  tags_.reset();
  log_.reset();
  settings_.reset();
  printJob_.reset();
}

// ---- hooks ----

void MainWindow::ShowHint(const std::string& hint) {
  if (hooksInstalled_) status_.ShowHint(hint);
}

void MainWindow::ActiveControlChanged() {
  if (hooksInstalled_) UpdateMenuItems();
}

void MainWindow::ClipboardChanged() {
  if (hooksInstalled_) UpdateMenuItems();
}

void MainWindow::Idle() {
  if (!hooksInstalled_) return;
  if (log_->Changed()) UpdateStatusBar();
  // Shortcuts follow the items' states, so these keep up with every selection, whatever
  // refreshed the status bar (and cleared the log's flag) before. Only changes reach the view.
  RefreshCommands(false);
  // Commands refresh the status bar themselves (clearing the changed flag), so trimming keys
  // on the log's own need rather than on that flag.
  log_->TrimUndoLog();
}

// ---- status bar, title, enabling ----

Page* MainWindow::Active() const { return documents_ ? documents_->ActivePage() : nullptr; }

std::size_t MainWindow::PageCount() const { return documents_ ? documents_->PageCount() : 0; }

bool MainWindow::AnyModified() const {
  const auto& entries = documents_->List().Entries();
  return std::any_of(entries.begin(), entries.end(), [](const PageListEntry& entry) { return entry.page->Modified(); });
}

void MainWindow::UpdateStatusBar() {
  if (!Created()) return;
  log_->ClearChanged();
  // Modified marks change with edits and saves, which all end here.
  tabs_.Refresh(documents_->List());
  Page* page = Active();
  if (page == nullptr) return;
  const std::size_t index = documents_->List().IndexOf(*page);
  status_.ShowPage(page->Control(), index == PageList::npos ? 0 : index + 1, documents_->List().Count(),
                   page->Control().TextCharset());
  status_.ShowInsertState(log_->InsertMode(), page->Modified());
  status_.ShowEncoding(page->Encoding(), page->FileLineBreaks());
}

void MainWindow::ShowEmptyStatus() {
  SetApplicationTitle(kNoFileTitle);
  status_.ShowEmpty();
  if (documents_) tabs_.Refresh(documents_->List());
}

void MainWindow::ShowPageTabs() {
  tabs_.SetShown(settings_->Vision.PageTabs);
  tabs_.Refresh(documents_->List());
}

void MainWindow::SetApplicationTitle(const std::string& title) {
  title_ = title;
  ShowCaption();
}

void MainWindow::ShowCaption() { view_.SetCaption(caption_ + " - [" + title_ + "]"); }

// ---- OptionsHost ----

void MainWindow::SetMainCaption(const std::string& caption) {
  caption_ = caption;
  ShowCaption();
}

void MainWindow::ShowBars(bool toolBar, bool statusBar) {
  view_.SetToolBarVisible(toolBar);
  view_.SetStatusBarVisible(statusBar);
  // Applied with the other options of the Vision page.
  ShowPageTabs();
}

void MainWindow::StylePage(Page& page, const VisionSettings& vision) { view_.StylePageWindow(page, vision); }

void MainWindow::FindWindowOptionsChanged() {
  if (findWindowCreated_) findWindow_.OptionsChanged();
}

unsigned MainWindow::Holds(bool askClipboard) {
  if (askClipboard) clipboardText_ = clipboard_.HasText();
  unsigned holds = kNeedNothing;
  const std::size_t pages = PageCount();
  if (pages > 0) holds |= kNeedPage;
  if (pages > 1) holds |= kNeedTwoPages;
  if (const Page* page = Active(); page != nullptr && page->Control().SelLength() > 0) holds |= kNeedSelection;
  if (clipboardText_) holds |= kNeedClipboardText;
  if (log_->RecordCount() > 0) holds |= kNeedUndoRecord;
  if (log_->Enabled() && log_->RedoCount() > 0) holds |= kNeedRedoRecord;
  if (findWindowCreated_) holds |= kNeedFindWindow;
  if (edits_->BookmarkPage() != nullptr) holds |= kNeedBookmark;
  if (settings_->Vision.ToolBar) holds |= kNeedToolBar;
  if (const Page* page = Active(); page != nullptr && page->HasFile()) holds |= kNeedFilePage;
  if (settings_->Help.HasSecondHelp() || options_.Available()) holds |= kNeedSecondHelp;
  return holds;
}

void MainWindow::RefreshCommands(bool askClipboard) {
  if (!Created() || destroyed_) return;
  commands_.Refresh(Holds(askClipboard));
}

void MainWindow::UpdateMenuItems() { RefreshCommands(true); }

// Commands stay disabled while their action is missing: the window or dialog they open does
// not exist, or the batch dialog's mode has nothing behind its first button.
void MainWindow::MarkMissingActions() {
  using enum UiItem;
  const bool find = findWindow_.Available();
  for (UiItem item : {mnuFind, popFind, FindBtn, mnuReplace, popReplace, mnuFindSel, mnuReplaceSel, mnuFindNext}) {
    commands_.SetActionMissing(item, !find);
  }
  const bool options = options_.Available();
  for (UiItem item : {mnuOption, mnuSetPrinter, HelpAboutItem, mnuChangeHelpFile2, ChangeHelp2Btn}) {
    commands_.SetActionMissing(item, !options);
  }
  const std::initializer_list<std::pair<UiItem, ListDialogMode>> modes = {
      {mnuUpdateAll, ListDialogMode::SaveAll},      {mnuSaveAsAll, ListDialogMode::SaveAsAll},
      {mnuPrintAll, ListDialogMode::PrintAll},      {PrintBtn, ListDialogMode::PrintAll},
      {mnuQuotationAll, ListDialogMode::QuoteAll},  {mnuRecentFiles, ListDialogMode::RecentFiles},
      {mnuJump, ListDialogMode::Jump},              {mnuSortCombo, ListDialogMode::SortList},
      {mnuReloadAll, ListDialogMode::ReloadAll},    {mnuCloseAll, ListDialogMode::CloseAll}};
  for (const auto& [item, mode] : modes) {
    commands_.SetActionMissing(item, listModeHasAction_ && !listModeHasAction_(mode));
  }
  const bool groupMode = !listModeHasAction_ || listModeHasAction_(ListDialogMode::OpenFromGroup);
  for (UiItem item : {mnuOpenGroup1, mnuOpenGroup2, mnuOpenGroup3, mnuOpenGroup4, mnuOpenGroup5, mnuOpenGroup6,
                      mnuOpenGroup7, mnuOpenGroup8, mnuOpenGroup9, mnuMakeNewGroup, mnuOpenGroup}) {
    commands_.SetActionMissing(item, !groupMode);
  }
  for (UiItem item : {mnuAddChildToGroup, mnuSaveAsMemberList}) commands_.SetActionMissing(item, groups_ == nullptr);
}

void MainWindow::MenuOpening(MenuKind menu) {
  if (!Created()) return;
  // Help asked for from the program's menus is the program's own help.
  if (menu != MenuKind::Popup) view_.SetApplicationHelpFile(settings_->Help.MainHelpFile);
  UpdateMenuItems();
  Page* page = Active();
  switch (menu) {
    case MenuKind::Edit:
      view_.SetItemCaption(UiItem::mnuUndo, log_->DescribeUndo().caption);
      view_.SetItemCaption(UiItem::mnuRedo, log_->DescribeRedo().caption);
      break;
    case MenuKind::Display: {
      view_.SetItemChecked(UiItem::mnuWordWrap, page != nullptr && page->Control().WordWrap());
      const Page* marked = edits_->BookmarkPage();
      view_.SetItemCaption(UiItem::mnuJumpToBookmark,
                           marked == nullptr ? std::string("ﾌﾞｯｸﾏｰｸ無し")
                                             : "ﾌﾞｯｸﾏｰｸ(&J) - [" + marked->DisplayName() + "] " +
                                                   std::to_string(edits_->CurrentBookmark().line) + "行");
      view_.SetItemChecked(UiItem::mnuWrapAtColumns, settings_->Vision.WrapAtColumns);
      view_.SetItemCaption(UiItem::mnuWrapAtColumns,
                           std::to_string(settings_->Vision.WrapColumns) + "桁で折返す(&C)");
      view_.SetItemChecked(UiItem::mnuLineNumbers, settings_->Vision.LineNumbers);
      view_.SetItemChecked(UiItem::mnuCaretLine, settings_->Vision.CaretLine);
      view_.SetItemChecked(UiItem::mnuShowMarks, settings_->Vision.ShowMarks);
      view_.SetItemChecked(UiItem::mnuDispToolBar, settings_->Vision.ToolBar);
      view_.SetItemChecked(UiItem::mnuDispStatusBar, settings_->Vision.StatusBar);
      break;
    }
    case MenuKind::Window:
      for (UiItem item : {UiItem::mnuMovePageSeparator, UiItem::mnuMovePage, UiItem::mnuSortCombo}) {
        view_.SetItemVisible(item, settings_->Vision.ToolBar);
      }
      break;
    case MenuKind::Group:
      ShowGroupMenu();
      break;
    case MenuKind::File:
    case MenuKind::Popup:
    case MenuKind::Tool:
    case MenuKind::Help:
      break;
  }
}

void MainWindow::SetRedraw(bool on, Page* relayout) {
  if (!Created()) return;
  const bool maximizedChild = settings_->Window.ChildWindowState == kPageMaximized;
  if (!on) {
    if (!redrawEnabled_) return;
    // With maximized Pages only the frame stops; the bars go on showing progress.
    view_.SetPainting(false, !maximizedChild);
    redrawEnabled_ = false;
    return;
  }
  view_.RequestRepaint();
  view_.SetPainting(true, true);
  redrawEnabled_ = true;
  if (maximizedChild && relayout != nullptr && documents_->Owns(*relayout)) view_.RelayoutPage(*relayout);
}

// ---- DocumentsHost ----

std::unique_ptr<TextControl> MainWindow::CreateTextControl() { return view_.CreateTextControl(); }

void MainWindow::PageCreated(Page& page) { view_.CreatePageWindow(page, settings_->Vision); }

void MainWindow::PageCaptionChanged(Page& page) { view_.SetPageCaption(page, page.DisplayName()); }

void MainWindow::ShowPage(Page& page) {
  // The Pages share being maximized: a Page shown while the others are (or were, when the
  // active one closed) is maximized too, and none stays maximized once the user restored one.
  if (settings_->Window.ChildWindowState == kPageMaximized) {
    page.SetWindowState(kPageMaximized);
  } else if (page.WindowState() == kPageMaximized) {
    page.SetWindowState(kPageNormal);
  }
  view_.ShowPage(page);
}

void MainWindow::PageActivated(Page& page) { status_.ForceInsertState(log_->InsertMode(), page.Modified()); }

void MainWindow::PageDestroyed(Page& page) {
  if (recoveryKeeper_) recoveryKeeper_->PageGone(page);
  if (edits_) edits_->PageGone(page);
  dialogs_.PageClosed(page);
  view_.DestroyPageWindow(page);
}

void MainWindow::PageListChanged() {
  std::vector<std::string> texts;
  texts.reserve(documents_->List().Count());
  for (const PageListEntry& entry : documents_->List().Entries()) texts.push_back(entry.text);
  const std::size_t selected = documents_->List().SelectedIndex();
  view_.SetPageList(texts, selected);
  tabs_.Refresh(documents_->List());
  if (diskWatch_) view_.WatchFiles(diskWatch_->WatchedPaths());
  UpdateMenuItems();
}

// ---- events ----

void MainWindow::Activated() {
  if (!Created()) return;
  // A watcher can miss a change (a file put back under its name, a folder on a network).
  diskWatch_->CheckAll();
  UpdateStatusBar();
  if (Page* page = Active()) view_.FocusPage(*page);
}

void MainWindow::FileChangedOnDisk(const std::string& path) {
  if (!Created()) return;
  diskWatch_->PathChanged(path);
  UpdateStatusBar();
}

void MainWindow::FilesDropped(const std::vector<std::string>& paths) {
  if (!Created()) return;
  try {
    view_.BringToFront();
    if (findWindowCreated_ && findWindow_.Visible()) findWindow_.MakeTopmost();
    ui_.ProcessPendingEvents();
    {
      Documents::OpenBatch batch(*documents_);
      for (const std::string& path : paths) {
        SetRedraw(false);
        documents_->OpenPage(MakeAbsolute(path, startup_.workingFolder), true);
        SetRedraw(true, Active());
      }
    }
    if (Page* page = Active()) {
      view_.SetPageListEnabled(false);
      view_.FocusPage(*page);
      view_.SetPageListEnabled(true);
    }
    UpdateMenuItems();
  } catch (const std::exception&) {
    SetRedraw(true, Active());
    ui_.ShowMessageBox("ﾌｧｲﾙﾄﾞﾛｯﾌﾟ処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra");
  }
}

bool MainWindow::KeyDown(int key, unsigned /*shift*/) {
  if (!Created() || key != kKeyEscape) return false;
  if (!findWindowCreated_ || !findWindow_.Visible()) return false;
  if (view_.PageListHasFocus() || findWindow_.HistoryListShown()) return false;
  findWindow_.Close();
  return true;
}

void MainWindow::CloseFindWindowOnEscape() {
  if (findWindowCreated_ && findWindow_.Visible()) findWindow_.Close();
}

void MainWindow::PageWindowActivated(Page& page) { documents_->OnPageActivated(page); }

bool MainWindow::PageWindowCloseRequested(Page& page) {
  const bool closed = documents_->ClosePage(page);
  UpdateMenuItems();
  return closed;
}

void MainWindow::PageWindowStateChanged(Page& page, int state) {
  // Only a change the user sees counts; a batch that holds repainting is no model for new Pages.
  if (redrawEnabled_) {
    documents_->StoreChildWindowState(page, state);
  } else {
    page.SetWindowState(state);
  }
}

// ---- commands ----

void MainWindow::Execute(UiItem item) {
  // A disabled command does nothing, however it was asked for.
  if (!Created() || !commands_.Enabled(item, Holds(true))) return;
  try {
    Dispatch(item);
  } catch (const std::exception&) {
    SetRedraw(true, Active());
    ui_.ShowMessageBox(ActionName(item) + "処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR, "Norra");
  }
  UpdateMenuItems();
}

int MainWindow::RunListDialog(ListDialogMode mode) {
  const int result = dialogs_.Run(mode);
  UpdateStatusBar();
  UpdateMenuItems();
  return result;
}

void MainWindow::Dispatch(UiItem item) {
  const bool any = PageCount() > 0;
  const bool many = PageCount() > 1;
  Page* page = Active();
  auto arrange = [this, page](PageArrangement how) {
    if (page != nullptr) view_.ArrangePages(how);
  };
  switch (item) {
    case UiItem::mnuMakeNewFile:
    case UiItem::SpeedButton1: documents_->NewCommand(); break;
    case UiItem::mnuFileOpen:
    case UiItem::OpenBtn: documents_->OpenCommand(); break;
    case UiItem::mnuCloseFile: documents_->CloseCommand(); break;
    case UiItem::mnuUpdateFile:
    case UiItem::SaveBtn: documents_->SaveCommand(); break;
    case UiItem::mnuSaveAsFile: documents_->SaveAsCommand(); break;
    case UiItem::mnuReopenEncoding: documents_->ReopenWithEncodingCommand(); break;
    case UiItem::mnuSaveEncoding: documents_->SaveWithEncodingCommand(); break;
    case UiItem::mnuUpdateAll:
      if (any && AnyModified()) RunListDialog(ListDialogMode::SaveAll);
      break;
    case UiItem::mnuSaveAsAll:
      if (any) RunListDialog(ListDialogMode::SaveAsAll);
      break;
    case UiItem::mnuPrintAll:
    case UiItem::PrintBtn:
      if (any) RunListDialog(ListDialogMode::PrintAll);
      break;
    case UiItem::mnuReloadAll:
      if (any) RunListDialog(ListDialogMode::ReloadAll);
      break;
    case UiItem::mnuCloseAll:
      if (any) RunListDialog(ListDialogMode::CloseAll);
      break;
    case UiItem::mnuRecentFiles: RecentFiles(); break;
    case UiItem::mnuSetPrinter: ShowOptions(kOptionsPagePrint); break;
    case UiItem::mnuExit: view_.RequestClose(); break;

    case UiItem::mnuUndo: edits_->Undo(); break;
    case UiItem::mnuRedo: edits_->Redo(); break;
    case UiItem::CutItem:
    case UiItem::popCut: edits_->Cut(); break;
    case UiItem::CopyItem:
    case UiItem::popCopy: edits_->Copy(); break;
    case UiItem::PasteItem:
    case UiItem::popPaste: edits_->Paste(); break;
    case UiItem::mnuSelectAll:
    case UiItem::popSelectAll: edits_->SelectAll(); break;
    case UiItem::mnuInsertFileName: edits_->InsertFileName(); break;
    case UiItem::mnuInsertDateTime: edits_->InsertDateTime(); break;
    case UiItem::mnuClearUndoLog: edits_->ClearUndoLog(); break;
    case UiItem::mnuFind:
    case UiItem::popFind:
    case UiItem::FindBtn: OpenFindWindow(kFindRequestFind); break;
    case UiItem::mnuReplace:
    case UiItem::popReplace: OpenFindWindow(kFindRequestReplace); break;
    case UiItem::mnuFindSel: OpenFindWindow(kFindRequestFindSelection); break;
    case UiItem::mnuReplaceSel: OpenFindWindow(kFindRequestReplaceSelection); break;
    case UiItem::mnuFindNext:
      if (page != nullptr && findWindowCreated_) {
        findWindow_.FindNext();
        ui_.ProcessPendingEvents();
      }
      break;
    case UiItem::mnuQuotationAll:
      if (many) RunListDialog(ListDialogMode::QuoteAll);
      break;
    case UiItem::mnuUndoDiskReplace: DiskReplaceUndoCommand::Run(ui_); break;

    case UiItem::mnuJump:
      if (any) RunListDialog(ListDialogMode::Jump);
      break;
    case UiItem::mnuBookmark: edits_->SetBookmark(); break;
    case UiItem::mnuJumpToBookmark: edits_->JumpToBookmark(); break;
    case UiItem::mnuWordWrap: edits_->ToggleWordWrap(); break;
    case UiItem::mnuDispToolBar: ToggleToolBar(); break;
    case UiItem::mnuDispStatusBar: ToggleStatusBar(); break;
    case UiItem::mnuWrapAtColumns: ToggleWrapAtColumns(); break;
    case UiItem::mnuLineNumbers: ToggleVision(&VisionSettings::LineNumbers); break;
    case UiItem::mnuCaretLine: ToggleVision(&VisionSettings::CaretLine); break;
    case UiItem::mnuShowMarks: ToggleVision(&VisionSettings::ShowMarks); break;

    case UiItem::mnuOption: optionsPage_ = ShowOptions(optionsPage_); break;

    case UiItem::mnuMaximizeChild:
      if (page != nullptr) view_.MaximizePage(*page);
      break;
    case UiItem::mnuTileChildrenV: arrange(PageArrangement::TileVertical); break;
    case UiItem::mnuTileChildrenH: arrange(PageArrangement::TileHorizontal); break;
    case UiItem::mnuCascadeChildren: arrange(PageArrangement::Cascade); break;
    case UiItem::mnuArrangeIcons:
      if (any) view_.ArrangePages(PageArrangement::ArrangeIcons);
      break;
    case UiItem::mnuMinimizeChildren:
      if (any) view_.ArrangePages(PageArrangement::MinimizeAll);
      break;
    case UiItem::mnuMovePage: MovePage(); break;
    case UiItem::mnuSortCombo:
      if (many) RunListDialog(ListDialogMode::SortList);
      break;
    case UiItem::mnuMovePageSeparator: break;

    case UiItem::mnuHelpContent:
      if (!help_.ShowContents(settings_->Help.MainHelpFile)) {
        ui_.ShowMessageBox("ﾍﾙﾌﾟを表示できません。\n" + HelpContentsPage(settings_->Help.MainHelpFile),
                           MB_OK | MB_ICONERROR, "Norra");
      }
      break;
    case UiItem::mnuHelpContent2: OpenSecondHelp(std::string()); break;
    case UiItem::mnuHelpKeyWord2:
    case UiItem::popHelpKeyWord2:
    case UiItem::Help2Btn:
      if (page != nullptr) OpenSecondHelp(page->Control().SelText());
      break;
    case UiItem::mnuChangeHelpFile2:
    case UiItem::ChangeHelp2Btn:
      if (ChooseSecondHelp() && Active() != nullptr) OpenSecondHelp(Active()->Control().SelText());
      break;
    case UiItem::HelpAboutItem: ShowOptions(kOptionsPageGeneral); break;

    case UiItem::mnuOpenGroup1: OpenRecentGroup(1); break;
    case UiItem::mnuOpenGroup2: OpenRecentGroup(2); break;
    case UiItem::mnuOpenGroup3: OpenRecentGroup(3); break;
    case UiItem::mnuOpenGroup4: OpenRecentGroup(4); break;
    case UiItem::mnuOpenGroup5: OpenRecentGroup(5); break;
    case UiItem::mnuOpenGroup6: OpenRecentGroup(6); break;
    case UiItem::mnuOpenGroup7: OpenRecentGroup(7); break;
    case UiItem::mnuOpenGroup8: OpenRecentGroup(8); break;
    case UiItem::mnuOpenGroup9: OpenRecentGroup(9); break;
    case UiItem::mnuGroupSeparator: break;
    case UiItem::mnuMakeNewGroup: OpenGroupDialog(std::string()); break;
    case UiItem::mnuOpenGroup: ChooseGroup(); break;
    case UiItem::mnuAddChildToGroup:
      if (page != nullptr && page->HasFile() && groups_ != nullptr) groups_->AddPageToGroup();
      break;
    case UiItem::mnuSaveAsMemberList:
      if (page != nullptr && groups_ != nullptr) groups_->SaveAsMemberList();
      break;
  }
}

int MainWindow::ShowOptions(int page) {
  if (!options_.Available()) return page;
  const int shown = options_.Show(page);
  AfterOptions();
  return shown;
}

// The dialog may have changed what the log, the bars and the help texts are built from.
void MainWindow::AfterOptions() {
  log_->Configure(settings_->Edit);
  view_.SetToolBarVisible(settings_->Vision.ToolBar);
  view_.SetStatusBarVisible(settings_->Vision.StatusBar);
  ShowPageTabs();
  SetSecondHelpTexts();
  UpdateStatusBar();
}

void MainWindow::OpenFindWindow(FindRequest request) {
  if (!findWindowCreated_) {
    settings_->ReloadFindReplace();
    if (!findWindow_.Create()) {
      findWindowCreated_ = false;
      ui_.ShowMessageBox("ﾒﾓﾘが足りません", MB_OK | MB_ICONERROR, "Norra");
      return;
    }
    findWindowCreated_ = true;
  }
  findWindow_.Open(request);
}

void MainWindow::ToggleToolBar() {
  SetRedraw(false);
  settings_->Vision.ToolBar = !settings_->Vision.ToolBar;
  view_.SetToolBarVisible(settings_->Vision.ToolBar);
  settings_->SaveVision();
  SetRedraw(true, Active());
}

// A view option of every Page, kept in the settings at once.
void MainWindow::ToggleVision(bool VisionSettings::*option) {
  settings_->Vision.*option = !(settings_->Vision.*option);
  for (const PageListEntry& entry : documents_->List().Entries()) StylePage(*entry.page, settings_->Vision);
  settings_->SaveVision();
}

// Wrapping at the columns applies to every Page that wraps; choosing it makes the active Page
// wrap too, as the user asks to see its text wrapped.
void MainWindow::ToggleWrapAtColumns() {
  ToggleVision(&VisionSettings::WrapAtColumns);
  Page* page = Active();
  if (settings_->Vision.WrapAtColumns && page != nullptr && !page->Control().WordWrap())
    edits_->ToggleWordWrap();
}

void MainWindow::ToggleStatusBar() {
  SetRedraw(false);
  settings_->Vision.StatusBar = !settings_->Vision.StatusBar;
  view_.SetStatusBarVisible(settings_->Vision.StatusBar);
  settings_->SaveVision();
  SetRedraw(true, Active());
}

void MainWindow::RecentFiles() {
  if (settings_->File.RecentFiles.empty()) {
    ui_.ShowMessageBox("｢最近使ったﾌｧｲﾙ｣の記録数は 0件 です", MB_OK | MB_ICONINFORMATION, "Norra");
    return;
  }
  RunListDialog(ListDialogMode::RecentFiles);
}

// ---- second help ----

void MainWindow::SetSecondHelpTexts() {
  const std::string title = "[" + settings_->Help.SecondHelpName + "]";
  view_.SetItemCaption(UiItem::popHelpKeyWord2, title + "のﾄﾋﾟｯｸ検索(&H)");
  view_.SetItemCaption(UiItem::mnuHelpKeyWord2, title + "のﾄﾋﾟｯｸ検索(&T)");
  view_.SetItemCaption(UiItem::mnuHelpContent2, title + "の目次(&C)");
  view_.SetItemHint(UiItem::popHelpKeyWord2, title + "のﾄﾋﾟｯｸ検索");
  view_.SetItemHint(UiItem::mnuHelpKeyWord2, title + "のﾄﾋﾟｯｸ検索");
  view_.SetItemHint(UiItem::mnuHelpContent2, title + "の目次");
  view_.SetItemHint(UiItem::Help2Btn, title + "|" + title + "のﾄﾋﾟｯｸ検索");
}

bool MainWindow::ChooseSecondHelp() {
  const std::string before = settings_->Help.SecondHelpFile;
  optionsPage_ = ShowOptions(kOptionsPageHelp);
  const std::string& after = settings_->Help.SecondHelpFile;
  return after != before && settings_->Help.HasSecondHelp() && IsFile(after);
}

void MainWindow::OpenSecondHelp(const std::string& keywordCp932) {
  if (!settings_->Help.HasSecondHelp()) {
    ui_.ShowMessageBox("[第2ﾍﾙﾌﾟ]のﾍﾙﾌﾟﾌｧｲﾙ名を指定して下さい。", MB_OK | MB_ICONWARNING, "第2ﾍﾙﾌﾟの設定");
    if (!ChooseSecondHelp()) return;
  }
  const std::string& file = settings_->Help.SecondHelpFile;
  std::string keyword = keywordCp932.substr(0, keywordCp932.find("\r\n"));
  if (keyword.empty()) {
    help_.ShowContents(file);
    return;
  }
  if (keyword.size() >= kHelpKeywordLimit) {
    // 254 bytes, or 255 when the 255th byte ends a two-byte character.
    keyword.resize(IsTrailByteAt(keyword, kHelpKeywordLimit - 2) ? kHelpKeywordLimit - 1 : kHelpKeywordLimit - 2);
  }
  help_.SearchKeyword(file, Cp932ToUtf8(keyword));
}

// ---- switching Pages through the page list ----

void MainWindow::SwitchTo(Page* page) {
  if (page == nullptr) return;
  SetRedraw(false);
  documents_->ActivatePage(page);
  SetRedraw(true, page);
}

void MainWindow::MovePage() {
  Page* page = Active();
  if (page == nullptr) return;
  if (PageCount() > 1) {
    pendingComboKey_ = 0;
    f2Marker_ = true;
    view_.DropDownPageList(documents_->List().IndexOf(*page));
  } else {
    SwitchTo(page);
  }
}

void MainWindow::PageListKeyDown(int key) { pendingComboKey_ = key; }

void MainWindow::PageListSelectionChanged(std::size_t index) {
  if (!Created() || index >= documents_->List().Count()) return;
  // The position is previewed; only a mouse choice (no key pending) switches at once.
  status_.ShowPosition(index + 1, PageCount());
  if (pendingComboKey_ == 0) SwitchTo(documents_->List().At(index).page);
}

void MainWindow::PageListKeyUp(int key, std::size_t selected) {
  pendingComboKey_ = 0;
  if (f2Marker_) {
    f2Marker_ = false;  // the release of F2 itself
    return;
  }
  Page* page = Active();
  if (page == nullptr) return;
  if (key == kKeyReturn && selected < documents_->List().Count()) {
    SwitchTo(documents_->List().At(selected).page);
  } else if (key == kKeyEscape) {
    SwitchTo(page);
  }
}

void MainWindow::PageListFocused() {
  // A key whose release went elsewhere (the list closed on its press and the Page took the
  // focus) is not pending any more: without this, no later mouse choice would switch.
  pendingComboKey_ = 0;
  if (Page* page = Active()) view_.SetPageListSelection(documents_->List().IndexOf(*page));
  ui_.ProcessPendingEvents();
}

// ---- Pages as tabs ----

void MainWindow::PageTabClicked(std::size_t index) {
  if (!Created() || index >= documents_->List().Count()) return;
  Page* page = documents_->List().At(index).page;
  if (page != Active()) SwitchTo(page);
  UpdateMenuItems();
}

bool MainWindow::PageTabCloseRequested(std::size_t index) {
  if (!Created() || index >= documents_->List().Count()) return false;
  const bool closed = documents_->ClosePage(*documents_->List().At(index).page);
  UpdateStatusBar();
  UpdateMenuItems();
  return closed;
}

}  // namespace norra
