// The main window's painting held off while a batch action of the file-list dialog changes
// Pages. However the action ends (finishing the dialog, an early return, an exception) painting
// comes back on, the active Page laid out again, and the status bar is refreshed, once.
#pragma once

namespace norra {

class FileListDialog;

class RedrawHold {
 public:
  // hold false stops nothing but ends the same way: for an action whose own hold, if any, is gone.
  explicit RedrawHold(FileListDialog& dialog, bool hold = true);
  ~RedrawHold();
  RedrawHold(const RedrawHold&) = delete;
  RedrawHold& operator=(const RedrawHold&) = delete;

  // Painting back on and the status bar refreshed, then the dialog finishes with the result.
  void Finish(int result);

 private:
  void Release();

  FileListDialog& dialog_;
  bool released_ = false;
};

}  // namespace norra
