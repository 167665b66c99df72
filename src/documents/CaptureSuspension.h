// Keeps the undo log's keystroke capture suspended for a scope, so a command's own edit is
// not taken for typing (and capture comes back even when the edit throws).
#pragma once

#include "documents/UndoLog.h"

namespace norra {

class CaptureSuspension {
 public:
  explicit CaptureSuspension(UndoLog& log) : log_(log) { log_.SuspendCapture(); }
  ~CaptureSuspension() { log_.ResumeCapture(); }
  CaptureSuspension(const CaptureSuspension&) = delete;
  CaptureSuspension& operator=(const CaptureSuspension&) = delete;

 private:
  UndoLog& log_;
};

}  // namespace norra
