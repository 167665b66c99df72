// The codes of the header and footer templates: the table the compiler tries in order and the
// options dialog lists for insertion.
#pragma once

#include <array>
#include <string_view>

namespace norra {

enum PrintCodeKind : int {
  kPrintCodeLiteral = 0,        // plain text
  kPrintCodeFileName = 1,       // DisplayName of the file
  kPrintCodePathName = 2,       // FilePath of the file
  kPrintCodeFileIndex = 3,      // number of the current file
  kPrintCodeFileCount = 4,      // files in the run
  kPrintCodeCopyIndex = 5,      // number of the current copy
  kPrintCodeCopyCount = 6,      // copies
  kPrintCodePageIndex = 7,      // sheet within the whole run
  kPrintCodePageCount = 8,      // sheets of the run
  kPrintCodePageIndexFile = 9,  // page within its file
  kPrintCodePageCountFile = 10, // pages of the file
  kPrintCodePageIndexCopy = 11, // page within one copy
  kPrintCodePageCountCopy = 12, // pages of one copy
  kPrintCodeNow = 13,           // the run's print time in a format
  kPrintCodeUserName = 14,      // the UserName setting
  kPrintCodeOpenBracket = 15,   // "[" (listed, never forms a code)
  kPrintCodeCloseBracket = 16,  // "]" (listed, never forms a code)
};

struct PrintCode {
  PrintCodeKind kind;
  std::string_view name;         // what follows "[" in a template
  std::string_view code;         // the text the options dialog inserts (UTF-8, ASCII here)
  std::string_view description;  // UTF-8
};

// Entries 1 to 16, in the order the compiler tries them and the list shows them.
extern const std::array<PrintCode, 16> kPrintCodes;

}  // namespace norra
