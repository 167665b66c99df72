// The print panel's state.
#include "groups/FileListPrintPanel.h"

#include "settings/Settings.h"

namespace norra {

FileListPrintPanel::FileListPrintPanel(PrintJob* job, Settings& settings)
    : job_(job), settings_(settings) {
  for (std::size_t i = 0; i < labels_.size(); ++i) labels_[i] = kPrinterCaptions[i];
}

void FileListPrintPanel::Enter() {
  const PrintSettings& print = settings_.Print;
  copiesText_ = std::to_string(print.Copies);
  order_ = PrintJob::OrderFromSetting(print.PrintOrder);
  range_ = PrintJob::RangeFromSetting(print.PrintRange);
  RefreshPrinter();
}

void FileListPrintPanel::RefreshPrinter() {
  for (std::size_t i = 0; i < labels_.size(); ++i) labels_[i] = kPrinterCaptions[i];
  if (job_ == nullptr || !job_->ReadPrinterInfo()) return;
  const PrinterInfo& info = job_->Printer();
  labels_[0] += info.name;
  labels_[1] += info.paperName;
  labels_[2] += info.orientation;
  labels_[3] += info.port;
}

bool FileListPrintPanel::Copies(std::int64_t& copies) const {
  if (copiesText_.empty() || copiesText_.size() > static_cast<std::size_t>(kCopiesMaxDigits))
    return false;
  std::int64_t value = 0;
  for (char c : copiesText_) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1) return false;
  copies = value;
  return true;
}

void FileListPrintPanel::Store() const {
  PrintSettings& print = settings_.Print;
  print.PrintOrder = static_cast<int>(order_);
  print.PrintRange = static_cast<int>(range_);
  std::int64_t copies = 0;
  if (Copies(copies)) print.Copies = static_cast<int>(copies);
}

}  // namespace norra
