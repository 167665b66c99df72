// The file-list dialog's controls, and what each of its modes shows: one row a mode, which the
// dialog's set-up reads and the view's tests compare the widgets with.
#pragma once

#include <array>
#include <cstddef>

#include "documents/FileListDialogPort.h"

namespace norra {

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

// Where a mode's rows come from.
enum class FileListRows : int {
  ModifiedPages,  // the modified Pages
  Pages,          // every Page
  OtherPages,     // every Page but the active one
  RecentFiles,    // the recent files on the disk that are not open
  Reloadable,     // the Pages whose files can be read again
  GroupMembers,   // the members of the group file
};

// Which rows are selected when the dialog opens.
enum class FileListPreselect : int {
  None,   // nothing (showing selects the first row)
  All,    // every row
  First,  // the first row
  Last,   // the row of the Page jumped to last, else the first (with that line number)
};

// A control an option panel shows, with its first caption or text.
struct FileListPanelControl {
  FileListControl control = FileListControl::kCount;  // kCount: no control
  const char* caption = nullptr;                      // null: left as it is
};

struct FileListModeFacts {
  ListDialogMode mode;
  FileListRows rows;
  FileListPreselect preselect;
  std::size_t fewestRows;    // with fewer rows there is nothing to show (0: always shown)
  const char* caption;       // the window's caption, UTF-8
  const char* prompt;        // lblPrompt
  const char* firstButton;   // cmdDo
  const char* secondButton;  // cmdWithout; null: hidden
  FileListControl panel;     // the option panel; kCount: none
  std::array<FileListPanelControl, 3> inPanel;
  int helpContext;           // the help topic of cmdHelp and F1; 0: no help button
  FileListControl focus;     // what takes the focus when the dialog shows
  bool stateColumnShown;     // the state column (hidden, its width goes to the folder column)
  bool multiSelect;          // false: one row at a time, and no select-all
  // The buttons enabled only while a row is selected (the others stay as they are).
  std::array<FileListControl, 5> followSelection;
  const char* actionName;    // names the action in its failure message "…処理中にｴﾗｰ発生"
};

// The row of a mode; close all has a second one, its question form, for when a listed Page is
// modified. Throws std::invalid_argument for a mode the dialog does not have.
const FileListModeFacts& FileListModeFactsOf(ListDialogMode mode, bool asksToSave = false);

}  // namespace norra
