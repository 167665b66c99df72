// The batch file-list dialog's logic: rows, sorting, selection, status texts, keys, the mode
// table and the actions of the modes that save, close and reload.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "documents/FileListDialogPort.h"
#include "groups/FileListAction.h"
#include "groups/FileListDialogContext.h"
#include "groups/FileListModes.h"
#include "groups/FileListMemory.h"
#include "groups/FileListRow.h"

namespace norra {

class FileListDialogView;
class FileListPrintPanel;
class FileStore;
class GroupMode;
class Page;
class SaveAsAll;

// The group mode; the main window opens it from its group menu.
constexpr ListDialogMode kGroupMode = ListDialogMode::OpenFromGroup;

// The range group of the quote-all panel.
enum class QuoteRange : int {
  Text = 0,      // optText: each Page's whole text
  SelText = 1,   // optSelText: its selected text
  PathName = 2,  // optPathName: its path
};

struct FileListControlState {
  std::string caption;  // UTF-8; empty for controls whose caption the view owns
  bool visible = true;
  bool enabled = true;
};

class FileListDialog {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  static constexpr int kHeightWithoutPanel = 73;  // fraControlTable without an option panel
  // Captions of the list's columns.
  static const std::array<const char*, FileListRow::kColumnCount> kColumnCaptions;

  // Runs the mode's set-up. When it finds nothing to show, DialogResult() is
  // kListDialogNothingToShow (and any message about it has been shown).
  FileListDialog(const FileListDialogContext& context, ListDialogMode mode);
  ~FileListDialog();
  FileListDialog(const FileListDialog&) = delete;
  FileListDialog& operator=(const FileListDialog&) = delete;

  // The view the dialog tells about its changes; none is allowed (nothing is told).
  void AttachView(FileListDialogView* view);

  // ---- what the view shows ----
  ListDialogMode DialogMode() const { return mode_; }
  int DialogResult() const { return result_; }
  // The mode's row of the mode table (close all: its question form while a Page is modified).
  const FileListModeFacts& Facts() const { return *facts_; }
  int HelpContext() const { return facts_->helpContext; }
  std::string Caption() const { return facts_->caption; }
  std::string Prompt() const { return facts_->prompt; }
  const FileListControlState& Control(FileListControl control) const;
  static const char* ControlName(FileListControl control);
  // The state column is hidden (its width goes to the folder column).
  bool StateColumnHidden() const { return !facts_->stateColumnShown; }
  bool MultiSelect() const { return facts_->multiSelect; }
  FileListControl FocusTarget() const { return facts_->focus; }
  // cmdDo is the default button exactly while it is enabled.
  bool DoIsDefault() const { return Control(FileListControl::cmdDo).enabled; }
  const std::vector<FileListRow>& Rows() const { return rows_; }
  std::size_t FocusedRow() const { return focused_; }
  std::size_t SelectedCount() const;
  std::vector<std::size_t> SelectedRows() const;
  // The selected rows from the last to the first (the order batch writes go in), with their paths.
  std::vector<std::size_t> SelectedRowsLastFirst(std::vector<std::string>& paths) const;
  const std::string& StatusText(int panel) const {
    return status_.at(static_cast<std::size_t>(panel));
  }
  bool SelectAllState() const { return selectAllState_; }
  int SortDirection() const { return sortDirection_; }
  int SortColumn() const { return sortColumn_; }
  bool SelectionChangedFlag() const { return selectionChanged_; }
  bool Closed() const { return closed_; }

  // ---- events of the view ----
  // The steps when the dialog is shown: select-all state, focused row, a first selection,
  // focus, status bar. The runner calls it just before the view's ShowModal.
  void Showing();
  // The user changed a row's selection (a list that selects one row only drops the others).
  void SelectRow(std::size_t row, bool selected);
  void FocusRow(std::size_t row);
  // A click on the header of column 0-4.
  void ColumnClicked(int column);
  // A click on a button; disabled or hidden ones do nothing.
  void Click(FileListControl control);
  // The dialog sees keys before its controls; true when the key was used.
  bool KeyDown(int key, unsigned shift);
  // The window's close box.
  void CloseBox();
  // The application is idle: the status bar follows a changed selection.
  void Idle();
  // Whether a number box (txtRow, txtCRLFCount, txtCopyCount) takes the typed character.
  static bool NumberBoxAccepts(int character);
  // Whether a number box keeps a key the dialog would take: Ctrl+A selects the box's text
  // there, not the rows.
  static bool NumberBoxOwnsKey(int key, unsigned shift);
  // The jump's refusal of a line number past the last line of a Page of lineCount lines.
  static std::string LinePastEndText(std::size_t lineCount);
  // The user changed an edit box's text (its caption holds the text).
  void SetBoxText(FileListControl box, const std::string& text);
  // The quote-all panel's range choice.
  QuoteRange QuoteChoice() const { return quoteRange_; }
  void SetQuoteChoice(QuoteRange range) { quoteRange_ = range; }

  // ---- the running action ----
  // While an action runs, user events reach only what it listens to (FileListAction).
  FileListAction Running() const { return running_; }
  // Marks the span of an action. On leaving it the dialog is back to the action it found,
  // unless a longer-lived one (the rename run) began inside it.
  class ActionScope {
   public:
    ActionScope(FileListDialog& dialog, FileListAction action);
    ~ActionScope();
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

   private:
    FileListDialog& dialog_;
    FileListAction previous_;
    FileListAction action_;
  };
  // The print run's cmdDo was pressed since the run began: the run stops.
  bool StopRequested() const { return stopRequested_; }
  // Begins or ends an action that lasts beyond the event that started it (the rename run).
  void SetRunning(FileListAction action) { running_ = action; }

  // Save-as all's plan and rename editor; null in the other modes.
  SaveAsAll* SaveAs() const { return saveAs_.get(); }
  // The group mode's group; null in the other modes.
  GroupMode* Group() const { return group_.get(); }

  // ---- for the batch actions ----
  const FileListDialogContext& Context() const { return context_; }
  FileStore& Files() { return files_; }
  FileListDialogView& View();
  FileListRow& Row(std::size_t index) { return rows_.at(index); }
  // The logic sets a row's selection (the view is told).
  void SetRowSelected(std::size_t row, bool selected);
  // The row stands for another path (the view is told).
  void SetRowPath(std::size_t row, const std::string& path);
  // Focuses the row and scrolls it into view.
  void ShowRow(std::size_t row);
  // Sets the result and closes the dialog.
  void Finish(int result);
  void RefreshStatus();
  // A message box with caption "Norra".
  int Message(const std::string& text, unsigned flags);

  // ---- the print mode ----
  // The print panel's state (null in the other modes).
  FileListPrintPanel* PrintPanel() { return printPanel_.get(); }
  // The print job takes the settings, the panel's choices and the selected Pages; false
  // (with the message shown) when the copies are no number of at least 1.
  bool PreparePrint();
  // cmdOption or F6: the print options, then the printer labels again.
  void PrintOptions();
  // A print run is going on; cmdDo stops it, other controls and keys wait.
  bool Printing() const;

 private:
  // The group mode works on the rows, their sorting and the status as the dialog's own modes do.
  friend class GroupMode;

  void SetUp();
  void SetUpReloadAll();
  void SetUpRecentFiles();
  void AddRow(const std::string& path, Page* page, bool selected);
  void AddPageRows(bool modifiedOnly, bool selected, const Page* except = nullptr);
  void SetControl(FileListControl control, const std::string& caption, bool visible);
  FileListControlState& Mutable(FileListControl control);
  void SelectionChangedHandler();
  void UpdateEnabling();
  void SelectAll();
  void SortBy(int column);
  // cmdDo (first) or cmdWithout: the mode's action.
  void RunAction(bool first);
  void SaveAll();
  void ExitYes();
  void ExitNo();
  void CloseAll(bool withSaving);
  void ReloadAll();
  // Reloads the Page when its file still exists within MaxLength; false when not reloaded.
  bool ReloadWithinLimit(Page& page);
  void SaveAsAllAction(bool confirm);
  // A key that reaches the running action; true when used.
  bool RunningActionKey(int key, unsigned shift);
  void PrintAll();
  void CancelPrint();
  // An action that failed unexpectedly: its message, redraw and status back, finished.
  void ActionFailed(int result);
  // Quote all, recent files, jump and sort the page list (one file each).
  void QuoteAll();
  void OpenRecentFiles();
  void PreselectJumpRow();
  void Jump();
  void SortPageList();
  FileListMemory& Memory() { return *memory_; }

  FileListDialogContext context_;
  ListDialogMode mode_;
  std::unique_ptr<FileStore> ownFiles_;
  FileStore& files_;
  FileListDialogView* view_ = nullptr;

  int result_ = kListDialogCancelled;
  bool closed_ = false;
  bool selectAllState_ = true;
  bool selectionChanged_ = false;
  int sortDirection_ = 1;
  int sortColumn_ = 0;
  const FileListModeFacts* facts_;
  std::array<FileListControlState, static_cast<std::size_t>(FileListControl::kCount)> controls_{};
  bool anyModified_ = false;  // close all: the question form of the buttons
  std::vector<FileListRow> rows_;
  std::size_t focused_ = npos;
  std::array<std::string, 2> status_;
  QuoteRange quoteRange_ = QuoteRange::Text;
  FileListMemory ownMemory_;
  FileListMemory* memory_ = &ownMemory_;
  FileListAction running_ = FileListAction::None;
  std::unique_ptr<SaveAsAll> saveAs_;
  std::unique_ptr<GroupMode> group_;
  bool stopRequested_ = false;
  std::unique_ptr<FileListPrintPanel> printPanel_;
};

}  // namespace norra
