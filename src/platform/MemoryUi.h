// A scripted Ui for tests and command-line tools: answers message boxes from a queue and
// records every box it was asked to show.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace norra {

struct MessageBoxRecord {
  std::string text;     // UTF-8
  unsigned flags = 0;   // MB_* flags as passed
  std::string caption;  // UTF-8
  int answer = 0;       // the button returned
};

class MemoryUi : public Ui {
 public:
  // Answers the next message box with `button`; boxes beyond the queue get the default button
  // of their flags (the first button, or the second with MB_DEFBUTTON2).
  void QueueAnswer(int button) { answers_.push_back(button); }

  int ShowMessageBox(std::string_view text, unsigned flags, std::string_view caption) override;
  void ProcessPendingEvents() override;

  // Called on every ProcessPendingEvents, e.g. to press a cancel button in a test.
  void SetOnProcessEvents(std::function<void()> hook) { onProcessEvents_ = std::move(hook); }

  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }
  const MessageBoxRecord& LastBox() const { return boxes_.back(); }
  std::size_t ProcessEventsCount() const { return processEventsCount_; }
  std::size_t PendingAnswers() const { return answers_.size(); }
  void ClearBoxes() { boxes_.clear(); }

  // The button a box with these flags returns when nobody answers it.
  static int DefaultButton(unsigned flags);

  // File dialogs answer from one queue shared by open and save, in order; with the queue
  // empty a dialog is cancelled. Every request is recorded.
  void QueueDialogAnswer(FileDialogResult answer) { dialogAnswers_.push_back(std::move(answer)); }
  // Shorthand: the dialog accepts these files, the filter index left as it was shown.
  void QueueDialogFiles(std::vector<std::string> files);
  void QueueDialogCancel() { dialogAnswers_.push_back({}); }
  FileDialogResult ShowOpenDialog(const FileDialogRequest& request) override;
  FileDialogResult ShowSaveDialog(const FileDialogRequest& request) override;
  struct DialogRecord {
    bool save = false;
    FileDialogRequest request;
  };
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  std::size_t PendingDialogAnswers() const { return dialogAnswers_.size(); }

  ScreenExtent Screen() const override { return screen_; }

  // Choice lists answer from their own queue (an index, -1 to cancel); with it empty they are
  // cancelled. Every prompt is recorded.
  void QueueChoice(int index) { choices_.push_back(index); }
  int ShowChoice(std::string_view caption, std::string_view prompt, const std::vector<std::string>& items,
                 int current) override {
    choicePrompts_.push_back(std::string(caption) + ": " + std::string(prompt));
    (void)items;
    (void)current;
    if (choices_.empty()) return -1;
    const int answer = choices_.front();
    choices_.pop_front();
    return answer;
  }
  const std::vector<std::string>& ChoicePrompts() const { return choicePrompts_; }
  void SetScreen(ScreenExtent screen) { screen_ = screen; }

 private:
  std::deque<int> answers_;
  std::vector<MessageBoxRecord> boxes_;
  std::size_t processEventsCount_ = 0;
  std::function<void()> onProcessEvents_;

  FileDialogResult AnswerDialog(bool save, const FileDialogRequest& request);
  std::deque<FileDialogResult> dialogAnswers_;
  std::vector<DialogRecord> dialogs_;
  ScreenExtent screen_{1920, 1080};
  std::deque<int> choices_;
  std::vector<std::string> choicePrompts_;
};

}  // namespace norra
