// The keys of a Page's text that the program handles itself, with their undo records.
#pragma once

#include <functional>

#include "documents/EditingKeys.h"

namespace norra {

class UndoLog;

class PageKeys : public EditingKeys {
 public:
  // escape runs on Esc in a Page; changed after a key moved the caret or changed the text.
  PageKeys(UndoLog& log, std::function<void()> escape, std::function<void()> changed);

  // Home, End, Enter (not Ctrl+Enter), Tab, Esc; true swallows the key.
  bool HandleKey(Page& page, int key, unsigned shift) override;

 private:
  UndoLog& log_;
  std::function<void()> escape_;
  std::function<void()> changed_;
};

}  // namespace norra
