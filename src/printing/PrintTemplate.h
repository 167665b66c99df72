// Header and footer templates: compiled once per run into tokens, rendered per sheet with the
// run's counters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "printing/PrintCodes.h"
#include "text/DateTime.h"

namespace norra {

struct PrintToken {
  PrintCodeKind kind = kPrintCodeLiteral;
  std::string text;         // CP932: the literal, or the expanded date or user name
  std::int64_t number = 0;  // the argument of the numeric codes
};

// The counters of the sheet being printed, as the codes count them.
struct PrintCounters {
  std::string_view fileName;   // CP932 DisplayName of the current file
  std::string_view pathName;   // CP932 FilePath of the current file
  std::int64_t fileIndex = 0;  // current file, from 0
  std::int64_t fileCount = 0;
  std::int64_t copyIndex = 1;  // current copy, from 1
  std::int64_t copyCount = 1;
  std::int64_t sheetIndex = 1;  // sheet within the whole run, from 1
  std::int64_t sheetCount = 0;  // sheets of the run
  std::int64_t pageInFile = 1;  // page within the current file, from 1
  std::int64_t pagesOfFile = 0;
  std::int64_t pagesBeforeFile = 0;  // pages of the earlier files of one copy
  std::int64_t pagesOfCopy = 0;
};

// What a template becomes; Compile refuses only a numeric code whose argument is no number.
class PrintTemplate {
 public:
  // Compiles a CP932 template. The date codes take printTime, the user-name code userName
  // (CP932). False when a numeric code's argument is not a number; the tokens are then those
  // made before it.
  bool Compile(std::string_view cp932, const DateTime& printTime, std::string_view userName);
  // The line for the current sheet, cut to `columns` bytes without splitting a character
  // (no cut when columns is below 1).
  std::string Render(const PrintCounters& counters, int columns) const;

  const std::vector<PrintToken>& Tokens() const { return tokens_; }
  void Clear() { tokens_.clear(); }

  // A decimal integer with an optional sign, within the int range; false otherwise.
  static bool ParseNumber(std::string_view text, std::int64_t& value);

 private:
  std::vector<PrintToken> tokens_;
};

// The first `columns` bytes of a CP932 text, one fewer when the last would be the first byte
// of a two-byte character.
std::string_view CutToColumns(std::string_view cp932, std::size_t columns);

}  // namespace norra
