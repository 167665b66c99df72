// The print panel of the file-list dialog's print mode (fraPrintAll): range, copies, order and
// what the current printer is.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "printing/PrintJob.h"

namespace norra {

class Settings;

class FileListPrintPanel {
 public:
  // Captions of the printer labels; each is followed by its value when the printer is known.
  static constexpr std::array<const char*, 4> kPrinterCaptions = {
      "ﾌﾟﾘﾝﾀ名 : ", "用紙ｻｲｽﾞ : ", "印刷方向 : ", "場所 : "};
  static constexpr int kCopiesMaxDigits = 5;

  FileListPrintPanel(PrintJob* job, Settings& settings);

  // On entry: copies, order and range from the Print settings; the printer labels.
  void Enter();
  // The four labels again (after the options): captions with values, or bare captions when
  // the printer information cannot be read.
  void RefreshPrinter();

  PrintRange Range() const { return range_; }
  void SetRange(PrintRange range) { range_ = range; }
  PrintOrder Order() const { return order_; }
  void SetOrder(PrintOrder order) { order_ = order; }
  // The text of txtCopyCount as typed.
  const std::string& CopiesText() const { return copiesText_; }
  void SetCopiesText(std::string text) { copiesText_ = std::move(text); }
  // The copies typed: false when the box holds no number or one below 1.
  bool Copies(std::int64_t& copies) const;
  const std::array<std::string, 4>& PrinterLabels() const { return labels_; }

  // Order, range and copies back into the Print settings (the copies when they are a number).
  void Store() const;

  PrintJob* Job() const { return job_; }

 private:
  PrintJob* job_;
  Settings& settings_;
  PrintRange range_ = PrintRange::WholeText;
  PrintOrder order_ = PrintOrder::ByFile;
  std::string copiesText_;
  std::array<std::string, 4> labels_{};
};

}  // namespace norra
