// The exception that abandons an engine operation half way; it carries the error for the
// caller to report.
#pragma once

#include <exception>
#include <string>

#include "engine/EngineError.h"

namespace norra {

// Raised by the engine when an operation cannot go on (no pattern for a replace-all, a WHICH
// tag with nothing to choose from). The window's command or the tool catches it, tells the
// user from Error() and ends quietly.
class EngineAbort : public std::exception {
 public:
  explicit EngineAbort(EngineError error) : error_(std::move(error)) {}
  explicit EngineAbort(EngineErrorCode code, std::string fragment = {})
      : error_(code, std::move(fragment)) {}
  EngineErrorCode Reason() const { return error_.code; }
  const EngineError& Error() const { return error_; }
  const char* what() const noexcept override { return "search engine operation abandoned"; }

 private:
  EngineError error_;
};

}  // namespace norra
