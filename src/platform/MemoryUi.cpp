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

void MemoryUi::QueueDialogFiles(std::vector<std::string> files) {
  FileDialogResult answer;
  answer.accepted = true;
  answer.files = std::move(files);
  answer.filterIndex = 0;  // 0: keep the index the dialog was shown with
  dialogAnswers_.push_back(std::move(answer));
}

FileDialogResult MemoryUi::AnswerDialog(bool save, const FileDialogRequest& request) {
  dialogs_.push_back({save, request});
  if (dialogAnswers_.empty()) return {};
  FileDialogResult answer = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  if (answer.filterIndex == 0) answer.filterIndex = request.filterIndex;
  if (!answer.accepted) answer.files.clear();
  return answer;
}

FileDialogResult MemoryUi::ShowOpenDialog(const FileDialogRequest& request) {
  return AnswerDialog(false, request);
}

FileDialogResult MemoryUi::ShowSaveDialog(const FileDialogRequest& request) {
  return AnswerDialog(true, request);
}

}  // namespace norra
