// The file-list dialog's print mode: the print button starts a run of the print job over the
// selected Pages and, while the run goes on, cancels it.
#include <cstdint>
#include <utility>
#include <vector>

#include "documents/Page.h"
#include "groups/FileListDialog.h"
#include "groups/FileListDialogView.h"
#include "groups/FileListPrintPanel.h"
#include "platform/Ui.h"
#include "printing/PrintJob.h"
#include "settings/Settings.h"

namespace norra {

namespace {

constexpr const char* kPrintCaption = "印刷(&P)";
constexpr const char* kCancelPrintCaption = "印刷中止(&P)";

// Everything but the running print's cancel button, held disabled during the run.
constexpr FileListControl kHeldDuringRun[] = {
    FileListControl::fraPrintAll, FileListControl::txtCopyCount, FileListControl::cmdCancel,
    FileListControl::cmdHelp,     FileListControl::cmdSelectAll, FileListControl::cmdID,
    FileListControl::cmdFile,     FileListControl::cmdDirectory, FileListControl::cmdExp,
    FileListControl::cmdModified,
};

}  // namespace

bool FileListDialog::Printing() const {
  return running_ == FileListAction::PrintRun;
}

void FileListDialog::PrintOptions() {
  if (Printing()) return;
  if (context_.printOptions) context_.printOptions();
  if (printPanel_ != nullptr) {
    printPanel_->RefreshPrinter();
    View().ControlsChanged();
  }
}

void FileListDialog::CancelPrint() {
  result_ = kListDialogCancelled;
  Message("印刷処理は中断されました", MB_OK);
}

bool FileListDialog::PreparePrint() {
  if (printPanel_ == nullptr || printPanel_->Job() == nullptr) return false;
  std::int64_t copies = 0;
  if (!printPanel_->Copies(copies)) {
    Message("印刷部数を 1以上 に設定して下さい", MB_OK | MB_ICONWARNING);
    return false;
  }
  PrintJob& job = *printPanel_->Job();
  job.TakeSettings(context_.settings);
  PrintParameters& parameters = job.Parameters();
  parameters.order = printPanel_->Order();
  parameters.range = printPanel_->Range();
  parameters.copies = copies;
  std::vector<PrintSource> sources;
  for (std::size_t row : SelectedRows()) {
    const Page* page = rows_[row].page;
    if (page != nullptr)
      sources.push_back({&page->Control(), page->DisplayName(), page->FilePath()});
  }
  job.SetSources(std::move(sources));
  return true;
}

void FileListDialog::PrintAll() {
  if (printPanel_ == nullptr || printPanel_->Job() == nullptr) return;
  PrintJob& job = *printPanel_->Job();
  if (!PreparePrint()) return;

  View().FocusControl(FileListControl::cmdDo);
  std::vector<std::pair<FileListControl, bool>> held;
  for (FileListControl control : kHeldDuringRun) {
    held.emplace_back(control, Control(control).enabled);
    Mutable(control).enabled = false;
  }
  View().ControlsChanged();
  context_.ui.ProcessPendingEvents();

  bool printed = false;
  {
    // From here cmdDo is the run's stop button; its press is noted by Click and acted on
    // when the run next lets events run.
    const ActionScope scope(*this, FileListAction::PrintRun);
    Mutable(FileListControl::cmdDo).caption = kCancelPrintCaption;
    View().ControlsChanged();
    job.ClearAbort();
    job.SetStopCheck([this] {
      if (stopRequested_) CancelPrint();
      return stopRequested_;
    });
    printed = job.Run();
    job.SetStopCheck(nullptr);
  }

  printPanel_->Store();
  Mutable(FileListControl::cmdDo).caption = kPrintCaption;
  for (const auto& [control, enabled] : held) Mutable(control).enabled = enabled;
  UpdateEnabling();
  View().ControlsChanged();
  if (printed) Finish(kListDialogDone);
}

}  // namespace norra
