// The keys of a Page's text that the program handles itself (Home, End, Enter, Tab, Esc).
#pragma once

namespace norra {

class Page;

// The undo log closes its typing run and hands these keys over; when the handler returns true
// the key is swallowed (and so is the Tab or CR character that follows it).
class EditingKeys {
 public:
  virtual ~EditingKeys() = default;
  virtual bool HandleKey(Page& page, int key, unsigned shift) = 0;
};

}  // namespace norra
