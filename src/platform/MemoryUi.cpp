// Scripted message boxes for tests and tools.
#include "platform/MemoryUi.h"

namespace norra {

int MemoryUi::DefaultButton(unsigned flags) {
  const bool second = (flags & MB_DEFBUTTON2) != 0;
  switch (flags & kMbButtonsMask) {
    case MB_OKCANCEL:
      return second ? IDCANCEL : IDOK;
    case MB_YESNOCANCEL:
    case MB_YESNO:
      return second ? IDNO : IDYES;
    default:
      return IDOK;
  }
}

int MemoryUi::ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) {
  int answer = DefaultButton(flags);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back({std::string(text), flags, std::string(caption), answer});
  return answer;
}

void MemoryUi::ProcessPendingEvents() {
  ++processEventsCount_;
  if (onProcessEvents_) onProcessEvents_();
}

}  // namespace norra
