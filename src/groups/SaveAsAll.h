// Save-as all: the plan of new paths edited in the file-list dialog (new folder, in-place
// renames, reset) and the save that checks every target before it writes any.
#pragma once

#include <cstddef>
#include <string>

#include "groups/RenamePlan.h"

namespace norra {

class FileListDialog;

// The in-place editor txtChangeFileName as the view shows it.
struct RenameEditorState {
  bool visible = false;
  std::size_t row = 0;       // the row it lies over
  std::string text;          // UTF-8, the whole path
  std::size_t selStart = 0;  // byte offsets into text: the base name is selected
  std::size_t selLength = 0;
};

class SaveAsAll {
 public:
  explicit SaveAsAll(FileListDialog& dialog) : dialog_(dialog) {}

  // ---- the panel's inputs, as the view has them ----
  ExtensionRule Rule() const { return rule_; }
  void SetRule(ExtensionRule rule) { rule_ = rule; }
  const std::string& AddExtension() const { return addExtension_; }
  void SetAddExtension(std::string text) { addExtension_ = std::move(text); }
  // chkDontDelFile "元を残す(&C)": the old files stay after the new ones are written.
  bool KeepOldFiles() const { return keepOldFiles_; }
  void SetKeepOldFiles(bool keep) { keepOldFiles_ = keep; }
  static constexpr std::size_t kAddExtensionMax = 255;

  // ---- the plan ----
  // cmdChangeDir: the selected rows go to the folder the folder dialog returns.
  void ChangeFolder();
  // cmdUndo: after the question, the selected rows go back to their Pages' paths.
  void Reset();

  // ---- the rename run ----
  // cmdChangeFileName: the editor opens over the first selected row; the run lasts until
  // Enter commits or Esc (or the editor losing the focus) abandons it.
  void StartRename();
  bool Renaming() const { return editor_.visible; }
  const RenameEditorState& Editor() const { return editor_; }
  const RenamePlan& Plan() const { return plan_; }
  // The user changed the editor's text.
  void EditorTextChanged(std::string text);
  // A key while the run lasts: Enter, Up, Down and Esc are the editor's (true); others type.
  bool EditorKey(int key);
  void EditorLostFocus();

  // ---- the save ----
  // cmdDo (confirm: asks before overwriting) or cmdWithout. Checks every selected row first;
  // a check that fails or a cancelled question leaves nothing written and the dialog open.
  void Save(bool confirm);

 private:
  // Opens the editor over row current_ (it must be selected).
  void ShowEditor();
  void Commit();
  // Moves to the next selected row in the step's direction.
  void Advance(int step);
  void Abandon();
  void EndRun();
  void SetRowPath(std::size_t row, const std::string& path);
  std::string Id(std::size_t row) const { return std::to_string(row + 1); }
  bool Check();
  bool Confirm();
  bool Write();

  FileListDialog& dialog_;
  ExtensionRule rule_ = ExtensionRule::AddIfMissing;
  std::string addExtension_ = ".txt";
  bool keepOldFiles_ = true;

  RenamePlan plan_;
  RenameEditorState editor_;
  std::size_t first_ = 0;
  std::size_t last_ = 0;
  std::string extension_;  // the run's extension, "." in front
};

}  // namespace norra
