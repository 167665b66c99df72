// A folder chooser that answers from a queue and records where it was opened (tests, tools).
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/FolderChooser.h"

namespace norra {

class ScriptedFolderChooser : public FolderChooser {
 public:
  // An empty queue answers as a cancelled dialog.
  void Queue(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }

  std::optional<std::string> ChooseFolder(const std::string& startPath) override {
    startPaths_.push_back(startPath);
    if (answers_.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
  }

  const std::vector<std::string>& StartPaths() const { return startPaths_; }

 private:
  std::deque<std::optional<std::string>> answers_;
  std::vector<std::string> startPaths_;
};

}  // namespace norra
