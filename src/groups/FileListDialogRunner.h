// The main window's batch dialogs: makes the logic for a mode and shows it in the view.
#pragma once

#include <optional>

#include "documents/FileListDialogPort.h"
#include "documents/GroupCommandsPort.h"
#include "groups/FileListDialogContext.h"
#include "groups/FileListMemory.h"

namespace norra {

class FileListDialogView;

class FileListDialogRunner : public FileListDialogPort, public GroupCommandsPort {
 public:
  explicit FileListDialogRunner(FileListDialogView& view) : view_(view) {}

  // The main window's objects exist only after its creation; until bound, a run fails.
  void Bind(const FileListDialogContext& context) { context_.emplace(context); }
  void Unbind() { context_.reset(); }
  bool Bound() const { return context_.has_value(); }

  // Creates the dialog, shows it unless its set-up found nothing to show, and returns its
  // result (kListDialogFailed when it could not be prepared).
  int Run(ListDialogMode mode) override;

  // GroupCommandsPort; nothing happens until bound.
  void AddPageToGroup() override;
  void SaveAsMemberList() override;

 private:
  FileListDialogView& view_;
  std::optional<FileListDialogContext> context_;
  FileListMemory memory_;  // for the program's run, unless the context brings its own
};

}  // namespace norra
