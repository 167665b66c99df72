// The help system: contents of a help file, or a partial-key search of a keyword in it.
#pragma once

#include <string>

namespace norra {

class HelpPort {
 public:
  virtual ~HelpPort() = default;
  // Paths and keyword are UTF-8. Failures are the help system's own business.
  virtual void ShowContents(const std::string& helpFile) = 0;
  virtual void SearchKeyword(const std::string& helpFile, const std::string& keyword) = 0;
};

}  // namespace norra
