// The folder selection dialog as the logic that needs a folder sees it.
#pragma once

#include <optional>
#include <string>

namespace norra {

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // Shows the dialog opened on startPath (UTF-8); the folder the user confirmed, exactly as it
  // stood in the dialog's edit box, or none when the dialog was cancelled or could not be built.
  virtual std::optional<std::string> ChooseFolder(const std::string& startPath) = 0;
};

}  // namespace norra
