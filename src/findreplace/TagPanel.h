// The tag panel of the find window: the tags one box may hold, listed with the symbols in
// force, each with its rendered example, and the insertion of the chosen one.
#pragma once

#include <string>
#include <vector>

#include "engine/TagTable.h"

namespace norra {

class TextControl;

enum class TagPanelMode : int {
  Closed = 1,       // the option panel shows
  FindTags = 2,     // the tags of the find box
  ReplaceTags = 3,  // the tags of the replace box
};

// The menu items toggle: the find-tag item closes the panel when it shows the find tags and
// opens it on them otherwise; the replace-tag item the same (the window first switches to
// replace mode). The window closes the panel after an insertion, on Esc and when the list
// loses the focus.
class TagPanel {
 public:
  explicit TagPanel(const TagTable& table) : table_(table) {}

  TagPanelMode Mode() const { return mode_; }
  bool IsOpen() const { return mode_ != TagPanelMode::Closed; }

  // Lists the tags of a box of that class (Find or Replace) and selects the first row.
  void Open(TagClass boxClass);
  void Close();

  // The panel's caption: "◆検索ﾀｸﾞ" or "◆置換ﾀｸﾞ" (UTF-8); empty when closed.
  std::string Caption() const;
  // The rows of the list: each tag's symbol in force (CP932).
  const std::vector<std::string>& Rows() const { return rows_; }
  // The tag index each row shows.
  const std::vector<int>& TagIndexes() const { return indexes_; }

  int SelectedRow() const { return selected_; }
  // Selects a row (a click); rows outside the list are ignored.
  void SelectRow(int row);
  // The example of the selected row's tag rendered with the symbols in force (CP932); empty
  // when there is none.
  std::string Sample() const;

  // Inserts the tag of `row` at the caret of `box` (the box of the panel's mode). Only while
  // the panel is open; false otherwise, for a row outside the list, or when the box refused.
  bool InsertRow(int row, TextControl& box) const;

  // The symbols in force: those attached to the table, else the built-in ones.
  TagSymbols Symbols() const;

 private:
  const TagTable& table_;
  TagPanelMode mode_ = TagPanelMode::Closed;
  std::vector<std::string> rows_;
  std::vector<int> indexes_;
  int selected_ = -1;
};

}  // namespace norra
