// The keys of a Page's text that the program handles itself, with their undo records.
#pragma once

#include <functional>

#include "app/UiItem.h"
#include "documents/EditingKeys.h"

namespace norra {

class UndoLog;
struct KeyPlan;

class PageKeys : public EditingKeys {
 public:
  // escape runs on Esc in a Page; command runs a menu command a key stands for (Shift+Delete
  // cuts); changed after a key moved the caret or changed the text.
  PageKeys(UndoLog& log, std::function<void()> escape, std::function<void(UiItem)> command,
           std::function<void()> changed);

  // Home, End, Enter (not Ctrl+Enter), Tab, Esc, and Delete, Backspace and Insert with
  // modifiers; true swallows the key.
  bool HandleKey(Page& page, int key, unsigned shift) override;

 private:
  bool HandleEditKey(Page& page, int key, unsigned shift);
  // Applies a plan under the command protocol (a Replace) or as a plain caret move.
  void Apply(Page& page, const KeyPlan& plan, bool suspendPainting);

  UndoLog& log_;
  std::function<void()> escape_;
  std::function<void(UiItem)> command_;
  std::function<void()> changed_;
};

}  // namespace norra
