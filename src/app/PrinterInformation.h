// What the options dialog shows of the current printer and measures the print page against.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace norra {

struct PrinterInformation {
  std::string printerName;  // UTF-8
  std::string paperName;
  std::string port;
  bool portrait = true;
  int paperLengthMm = 0;
  int paperWidthMm = 0;
};

// The current printer, or none when no printer can be reached (the print job answers it).
using PrinterInformationSource = std::function<std::optional<PrinterInformation>()>;

}  // namespace norra
