// The modal options dialog as the main window opens it.
#pragma once

#include "settings/OptionsPages.h"

namespace norra {

class OptionsDialogPort {
 public:
  virtual ~OptionsDialogPort() = default;
  // False while the program has no such dialog: the commands that open it stay disabled.
  virtual bool Available() const { return true; }
  // Shows the dialog at the page; returns the index of the page shown last. The dialog applies
  // what the user accepted to the settings itself.
  virtual int Show(int page) = 0;
};

}  // namespace norra
