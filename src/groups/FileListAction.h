// What the file-list dialog is busy with, and which user events reach it meanwhile.
#pragma once

namespace norra {

enum class FileListControl : int;

// An action lets pending window events run between its items; only the events the running
// action listens to may act then, or a second action would start over the rows (and Pages) the
// first one is still working on.
enum class FileListAction : int {
  None,       // idle: every visible, enabled control acts
  Plain,      // a button's or key's action: nothing else acts until it returns
  RenameRun,  // save-as all's in-place editor: its keys (Enter, Up, Down, Esc) and its focus
  PrintRun,   // print all: cmdDo ("印刷中止(&P)") stops the run
};

// Whether a click on the control acts while the action runs.
bool ClickLiveDuring(FileListAction action, FileListControl control);

// Whether the keys reach the running action (the rename editor); otherwise a key that arrives
// while an action runs is swallowed.
bool KeysLiveDuring(FileListAction action);

}  // namespace norra
