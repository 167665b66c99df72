// Outcome of saving a Page, shared with the batch dialogs.
#pragma once

namespace norra {

enum SaveResult : int {
  SaveOk = 1,          // written
  SaveCancelled = 2,   // the user cancelled
  SaveFailed = 16,     // an error was reported
};

}  // namespace norra
