// Message boxes of the command-line tools: end-of-run reports on standard output, everything
// else (refusals, errors) with its caption on standard error.
#pragma once

#include <string>
#include <string_view>

#include "platform/MemoryUi.h"

namespace norra {

// Built on the scripted Ui so that every question gets its default button and every port
// the tools never use has a harmless answer.
class ConsoleUi : public MemoryUi {
 public:
  explicit ConsoleUi(std::string programName) : programName_(std::move(programName)) {}

  // With --stdout the new text owns standard output; reports then go to standard error.
  void SetReportsToStderr(bool on) { reportsToStderr_ = on; }

  int ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) override;

  // True once a box other than an information report was shown.
  bool ShowedProblem() const { return showedProblem_; }

 private:
  std::string programName_;
  bool reportsToStderr_ = false;
  bool showedProblem_ = false;
};

}  // namespace norra
