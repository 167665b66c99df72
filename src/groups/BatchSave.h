// Saving many Pages from the file-list dialog: the preparation pass that names untitled Pages
// and makes every target folder, then the writes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace norra {

class FileListDialog;
class Page;

class BatchSave {
 public:
  explicit BatchSave(FileListDialog& dialog) : dialog_(dialog) {}

  // The preparation pass over the selected rows (with modifiedOnly, those whose Page is
  // modified), first to last. True when every row has a path in an existing folder. False when
  // the command is abandoned: the dialog stays open, nothing has been written, and rows that
  // already took a path keep it.
  bool Prepare(bool modifiedOnly);

  // Writes the selected rows, last to first: each Page's text to a temporary, then all of them
  // into place together; each Page written is not modified, loses its undo records (unless kept
  // after saving), goes to the recent files and takes the path as its name. False after a
  // failed write was reported; the rows before it stay unsaved.
  bool Save();

  // Pages whose rows the pass deselected because the user declined overwriting the chosen
  // file: their text was not saved anywhere.
  const std::vector<Page*>& Declined() const { return declined_; }

  // The folder exists, or was made together with its missing parents.
  static bool EnsureFolder(const std::string& folder);

 private:
  // Whether the pass looks at the row.
  bool Covers(std::size_t row) const;
  // Asks for the name of an untitled row; false abandons the command.
  bool NameUntitledRow(std::size_t row);
  // Whether a path is already the target of another row of this save.
  bool TargetTaken(const std::string& path, std::size_t row) const;

  FileListDialog& dialog_;
  std::vector<std::string> chosen_;  // names chosen in the file dialog during this pass
  std::vector<Page*> declined_;
  bool modifiedOnly_ = false;
};

}  // namespace norra
