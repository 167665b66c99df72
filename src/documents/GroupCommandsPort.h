// The main window's two commands that write group files themselves, as a port: the group files
// belong to groups/, which sits beside the main window's logic.
#pragma once

namespace norra {

class GroupCommandsPort {
 public:
  virtual ~GroupCommandsPort() = default;
  // Puts the active Page's path at the top of a chosen group file (mnuAddChildToGroup).
  virtual void AddPageToGroup() = 0;
  // Saves the active Page under a chosen group file name (mnuSaveAsMemberList).
  virtual void SaveAsMemberList() = 0;
};

}  // namespace norra
