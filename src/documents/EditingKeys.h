// The keys of a Page's text that the program handles itself (Home, End, Enter, Tab, Esc, and
// Delete, Backspace and Insert with modifiers).
#pragma once

namespace norra {

class Page;

// The undo log closes its typing run and hands these keys over; when the handler returns true
// the key is swallowed (and so is the Tab or CR character that follows it). Delete, Backspace
// and Insert the handler declines are captured as usual.
class EditingKeys {
 public:
  virtual ~EditingKeys() = default;
  virtual bool HandleKey(Page& page, int key, unsigned shift) = 0;
};

}  // namespace norra
