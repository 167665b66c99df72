// The main window's batch dialogs: makes the logic for a mode and shows it in the view.
#pragma once

#include <optional>

#include "documents/FileListDialogPort.h"
#include "groups/FileListDialogContext.h"

namespace norra {

class FileListDialogView;

class FileListDialogRunner : public FileListDialogPort {
 public:
  explicit FileListDialogRunner(FileListDialogView& view) : view_(view) {}

  // The main window's objects exist only after its creation; until bound, a run fails.
  void Bind(const FileListDialogContext& context) { context_.emplace(context); }
  void Unbind() { context_.reset(); }
  bool Bound() const { return context_.has_value(); }

  // Creates the dialog, shows it unless its set-up found nothing to show, and returns its
  // result (kListDialogFailed when it could not be prepared).
  int Run(ListDialogMode mode) override;

 private:
  FileListDialogView& view_;
  std::optional<FileListDialogContext> context_;
};

}  // namespace norra
