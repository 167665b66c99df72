// The help system: contents of a help file, or a partial-key search of a keyword in it.
#pragma once

#include <string>

namespace norra {

class HelpPort {
 public:
  virtual ~HelpPort() = default;
  // Paths and keyword are UTF-8. False when nothing could show the file (no such file, no
  // viewer); what the viewer does after it started is its own business.
  virtual bool ShowContents(const std::string& helpFile) = 0;
  virtual bool SearchKeyword(const std::string& helpFile, const std::string& keyword) = 0;
};

}  // namespace norra
