// Printing the program's message boxes for the command-line tools.
#include "cli/common/ConsoleUi.h"

#include <cstdio>

namespace norra {

int ConsoleUi::ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) {
  const int answer = MemoryUi::ShowMessageBox(text, flags, caption);
  if ((flags & kMbIconMask) == MB_ICONINFORMATION) {
    std::FILE* stream = reportsToStderr_ ? stderr : stdout;
    std::fprintf(stream, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stream);
  } else {
    showedProblem_ = true;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %.*s: %.*s\n", programName_.c_str(), static_cast<int>(caption.size()),
                 caption.data(), static_cast<int>(text.size()), text.data());
  }
  return answer;
}

}  // namespace norra
