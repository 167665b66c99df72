// The main window's group commands that write group files directly: add the active Page to a
// group, and save the active Page as a member list.
#pragma once

#include "groups/FileListDialogContext.h"

namespace norra {

struct FileListMemory;

class GroupMenuCommands {
 public:
  GroupMenuCommands(const FileListDialogContext& context, FileListMemory& memory)
      : context_(context), memory_(memory) {}

  void AddPageToGroup();
  void SaveAsMemberList();

 private:
  const FileListDialogContext& context_;
  FileListMemory& memory_;
};

}  // namespace norra
