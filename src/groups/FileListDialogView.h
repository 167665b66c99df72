// What the window of the batch file-list dialog does for its logic.
#pragma once

#include <cstddef>

namespace norra {

class FileListDialog;
enum class FileListControl : int;

// The view forwards its events to FileListDialog (SelectRow, FocusRow, ColumnClicked, Click,
// KeyDown, CloseBox, Idle) and shows what the dialog's getters say. Changes the logic makes
// come as the notifications below; setting a control from them must not echo back as a user
// event.
class FileListDialogView {
 public:
  virtual ~FileListDialogView() = default;

  // Builds the window from the dialog's state (caption, prompt, controls, columns, rows,
  // selection, focused row, status texts, focus target), centres it on the screen, and runs it
  // modally until Close. Notifications that arrive before this call may be ignored.
  virtual void ShowModal(FileListDialog& dialog) = 0;
  // Ends the modal run; the dialog's result is set before.
  virtual void Close() = 0;

  // The rows' count, order or texts changed (also their selection).
  virtual void RowsChanged() {}
  // The logic changed the selection of rows.
  virtual void SelectionChanged() {}
  // The row becomes the focused row and is scrolled into view.
  virtual void RowFocused(std::size_t /*row*/) {}
  // A caption, enabled or visible state of a control changed.
  virtual void ControlsChanged() {}
  virtual void StatusChanged() {}
  virtual void FocusControl(FileListControl /*control*/) {}

  // The save-as-all rename editor opened, moved to another row or closed (SaveAs()->Editor()).
  virtual void RenameEditorChanged() {}

  // Width of the file-name column in pixels.
  virtual int NameColumnWidth() const { return 150; }
  // Moves the dialog so that its left edge is at x (screen pixels), remembering where it was.
  virtual void MoveLeftEdge(int /*x*/) {}
  // Back to where it was before MoveLeftEdge.
  virtual void RestorePosition() {}
};

}  // namespace norra
