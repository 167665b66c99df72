// Header and footer templates: compiled once per run into tokens, rendered per sheet with the
// run's counters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printing/PrintCodes.h"
#include "text/DateTime.h"

namespace norra {

struct PrintToken {
  PrintCodeKind kind = kPrintCodeLiteral;
  std::string text;         // UTF-8: the literal, or the expanded date or user name
  std::int64_t number = 0;  // the argument of the numeric codes
};

// The counters of the sheet being printed, as the codes count them.
struct PrintCounters {
  std::string_view fileName;   // UTF-8 DisplayName of the current file
  std::string_view pathName;   // UTF-8 FilePath of the current file
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

// A numeric code whose argument is no number: the code as written and where it starts.
struct PrintTemplateError {
  std::string code;        // UTF-8, e.g. "[pageindex_file[x]]"
  std::size_t column = 0;  // 1-based character position of its "[" in the template
};

// What a template becomes; Compile refuses only a numeric code whose argument is no number.
class PrintTemplate {
 public:
  // Compiles a CP932 template. The date codes take printTime, the user-name code userName
  // (UTF-8, printed as it is even where CP932 has no such character). False when a numeric
  // code's argument is not a number: Error() then names it, and the tokens are those made
  // before it.
  bool Compile(std::string_view cp932, const DateTime& printTime, std::string_view userName);
  // The UTF-8 line for the current sheet, cut to `columns` columns without splitting a
  // character (no cut when columns is below 1). A character counts as many columns as its
  // CP932 bytes; one CP932 lacks counts two, as a full-width one.
  std::string Render(const PrintCounters& counters, int columns) const;

  const std::vector<PrintToken>& Tokens() const { return tokens_; }
  const std::optional<PrintTemplateError>& Error() const { return error_; }
  void Clear() {
    tokens_.clear();
    error_.reset();
  }

  // The first bad code of a UTF-8 template, or none when it compiles.
  static std::optional<PrintTemplateError> Check(std::string_view utf8);
  // The user's message for a bad code; `which` is "ﾍｯﾀﾞｰ" or "ﾌｯﾀｰ".
  static std::string ErrorMessage(std::string_view which, const PrintTemplateError& error);

  // A decimal integer with an optional sign, within the int range; false otherwise.
  static bool ParseNumber(std::string_view text, std::int64_t& value);

 private:
  std::vector<PrintToken> tokens_;
  std::optional<PrintTemplateError> error_;
};

// The first `columns` bytes of a CP932 text, one fewer when the last would be the first byte
// of a two-byte character.
std::string_view CutToColumns(std::string_view cp932, std::size_t columns);

// The first `columns` columns of a UTF-8 text, counted as Render counts them.
std::string_view CutUtf8ToColumns(std::string_view utf8, std::size_t columns);

}  // namespace norra
