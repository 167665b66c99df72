// The enabling of the main window's commands: one table of what each command needs, and the
// states the view was last told.
#pragma once

#include <array>
#include <optional>

#include "app/UiItem.h"

namespace norra {

class MainView;

// What a command needs before it is enabled, and what holds at a moment; both as bit sets.
enum CommandNeed : unsigned {
  kNeedNothing = 0,
  kNeedPage = 1u << 0,           // a Page is open
  kNeedTwoPages = 1u << 1,       // more than one Page is open
  kNeedSelection = 1u << 2,      // the active Page has a non-empty selection
  kNeedClipboardText = 1u << 3,  // the clipboard holds text
  kNeedUndoRecord = 1u << 4,     // the undo log holds a record
  kNeedFindWindow = 1u << 5,     // the find/replace window exists
  kNeedBookmark = 1u << 6,       // the bookmark's Page is still open
  kNeedToolBar = 1u << 7,        // the toolbar is shown (the page list is on it)
  kNeedSecondHelp = 1u << 8,     // a second help file is set, or the options can choose one
  kNeedFilePage = 1u << 9,       // the active Page names a file (it is not untitled)
  kNeedRedoRecord = 1u << 10,    // the undo log holds an undone change to redo
};

// The needs of the item: the one enabling table of the program.
unsigned NeedsOf(UiItem item);

class CommandStates {
 public:
  explicit CommandStates(MainView& view) : view_(view) {}

  // A command whose action this program does not have stays disabled whatever holds, and
  // does nothing when it is run anyway.
  void SetActionMissing(UiItem item, bool missing);
  bool HasAction(UiItem item) const { return !missing_.at(Index(item)); }

  bool Enabled(UiItem item, unsigned holds) const;
  // Tells the view each state that differs from what it was last told.
  void Refresh(unsigned holds);

 private:
  static std::size_t Index(UiItem item) { return static_cast<std::size_t>(item); }

  MainView& view_;
  std::array<bool, kUiItemCount> missing_{};
  std::array<std::optional<bool>, kUiItemCount> shown_{};
};

}  // namespace norra
