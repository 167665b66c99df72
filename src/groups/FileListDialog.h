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
#include "groups/FileListMemory.h"
#include "groups/FileListRow.h"

namespace norra {

class FileListDialogView;
class FileListPrintPanel;
class FileStore;
class Page;
class SaveAsAll;

// The group mode; the main window opens it from its group menu.
constexpr ListDialogMode kGroupMode = ListDialogMode::OpenFromGroup;

// The dialog's controls; the view names its widgets after them.
enum class FileListControl : int {
  lvwFileName,              // the list
  cmdDo,                    // first command button, the default button while enabled
  cmdWithout,               // second command button
  cmdCancel,                // "ｷｬﾝｾﾙ"
  cmdSelectAll,             // "全て選択(&A)" / "全て非選択(&A)"
  cmdHelp,                  // "ﾍﾙﾌﾟ(&H) F1"
  cmdID,                    // sort by the ID column
  cmdFile,                  // sort by file name
  cmdDirectory,             // sort by folder
  cmdExp,                   // sort by extension
  cmdModified,              // sort by state
  lblRows,                  // jump: "/ " + line count of the selected Page
  txtRow,                   // jump: the line number
  txtCRLFCount,             // quote all: line breaks after each item
  txtCopyCount,             // print all: copies
  cmdChangeFileName,        // save-as all: rename the selected rows
  cmdChangeDir,             // save-as all: new folder for the selected rows
  cmdUndo,                  // save-as all: back to the Pages' paths
  cmdReleaseFileFromGroup,  // group: remove the selected members
  fraQuotationAll,          // option panels, one per mode at most
  fraJump,
  fraSaveAsAll,
  fraPrintAll,
  fraOpenFromGroup,
  lblGroupName,             // group: the group file's path, or "新グループ"
  cmdMakeNewGroup,          // group: an empty new group
  cmdOpenGroup,             // group: load a group file
  cmdUpdateGroup,           // group: write the group file
  cmdSaveAsGroup,           // group: write it under a new name
  cmdAddFileFromDisk,       // group: add files chosen on disk
  cmdAddFileFromWindow,     // group: add every open Page
  cmdEditByEditor,          // group: open the group file as a Page
  kCount,
};

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
  int HelpContext() const { return helpContext_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Prompt() const { return prompt_; }
  const FileListControlState& Control(FileListControl control) const;
  static const char* ControlName(FileListControl control);
  // The state column is hidden (its width goes to the folder column).
  bool StateColumnHidden() const { return stateColumnHidden_; }
  bool MultiSelect() const { return multiSelect_; }
  FileListControl FocusTarget() const { return focusTarget_; }
  // cmdDo is the default button exactly while it is enabled.
  bool DoIsDefault() const { return Control(FileListControl::cmdDo).enabled; }
  const std::vector<FileListRow>& Rows() const { return rows_; }
  std::size_t FocusedRow() const { return focused_; }
  std::size_t SelectedCount() const;
  std::vector<std::size_t> SelectedRows() const;
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
  // The group mode: the group's name and whether its members changed since the last write.
  const std::string& GroupName() const { return groupName_; }
  bool GroupChanged() const { return groupChanged_; }

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
  void RunFirst();
  void RunSecond();
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
  // The group mode (FileListDialogGroup.cpp).
  void SetUpGroup();
  void GroupCommand(FileListControl control);
  bool AddMember(const std::string& path);
  // With replaceRows, the rows go only once the file was read: a failed load keeps the group.
  bool LoadGroupFile(const std::string& path, bool replaceRows = false);
  int SaveGroupFile();
  int SaveGroupFileAs();
  int WriteGroupTo(const std::string& path);
  bool AskToKeepGroup();
  void SetGroupName(const std::string& name);
  void ClearRows();
  void OpenMembers();
  void ReloadMembers();
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
  int helpContext_ = 0;
  int sortDirection_ = 1;
  int sortColumn_ = 0;
  std::string caption_;
  std::string prompt_;
  std::array<FileListControlState, static_cast<std::size_t>(FileListControl::kCount)> controls_{};
  bool stateColumnHidden_ = false;
  bool multiSelect_ = true;
  bool anyModified_ = false;  // close all: the question form of the buttons
  FileListControl focusTarget_;
  std::vector<FileListRow> rows_;
  std::size_t focused_ = npos;
  std::array<std::string, 2> status_;
  QuoteRange quoteRange_ = QuoteRange::Text;
  std::string groupName_;
  bool groupChanged_ = false;
  FileListMemory ownMemory_;
  FileListMemory* memory_ = &ownMemory_;
  FileListAction running_ = FileListAction::None;
  std::unique_ptr<SaveAsAll> saveAs_;
  bool stopRequested_ = false;
  std::unique_ptr<FileListPrintPanel> printPanel_;
};

}  // namespace norra
