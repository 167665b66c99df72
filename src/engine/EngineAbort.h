// The exception that abandons an engine operation after its message has been shown.
#pragma once

#include <exception>

namespace norra {

enum class AbortReason : int {
  AreaName = 1,                  // storage area not "a"-"z"
  MinimumCount = 2,              // repeat count below 1
  RepeatCount = 3,               // repeat count empty or not a number
  EmptyPattern = 4,              // replace-all with no compiled pattern
  NoSelection = 5,               // replace in the selection without a selection
  WhichWithoutAlternatives = 6,  // a match reached a WHICH tag that has nothing to choose from
};

// Raised by the engine once the user has been told why; the window's command catches it and
// ends quietly.
class EngineAbort : public std::exception {
 public:
  explicit EngineAbort(AbortReason reason) : reason_(reason) {}
  AbortReason Reason() const { return reason_; }
  const char* what() const noexcept override { return "search engine operation abandoned"; }

 private:
  AbortReason reason_;
};

}  // namespace norra
