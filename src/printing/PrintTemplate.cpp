// Compiling and rendering header and footer templates.
#include "printing/PrintTemplate.h"

#include <limits>

#include "text/Cp932.h"

namespace norra {

namespace {

// Offset of the first "]]" at or after `from` that starts on a character boundary, or npos.
// Scanning by characters keeps a trail byte 0x5D of a two-byte character from closing a code.
std::size_t FindCloseClose(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); i += static_cast<std::size_t>(CharStepAt(text, i))) {
    if (text[i] == ']' && i + 1 < text.size() && text[i + 1] == ']') return i;
  }
  return std::string_view::npos;
}

enum class Fit { No, Yes, BadNumber };

// Whether the code named by `code` completes at `open` (the offset of its "["). On success
// `end` is the offset just past the code and the token holds its kind, number or text.
Fit TryCode(std::string_view text, std::size_t open, const PrintCode& code,
            const DateTime& printTime, std::string_view userName, std::size_t& end,
            PrintToken& token) {
  const std::size_t nameAt = open + 1;
  if (text.substr(nameAt, code.name.size()) != code.name) return Fit::No;
  const std::size_t after = nameAt + code.name.size();
  switch (code.kind) {
    case kPrintCodeFileName:
    case kPrintCodePathName:
    case kPrintCodeUserName:
      if (after >= text.size() || text[after] != ']') return Fit::No;
      end = after + 1;
      token.kind = code.kind;
      if (code.kind == kPrintCodeUserName) token.text = std::string(userName);
      return Fit::Yes;
    case kPrintCodeOpenBracket:
    case kPrintCodeCloseBracket:
    case kPrintCodeLiteral:
      return Fit::No;
    default:
      break;
  }
  // Numeric codes and the date: "[" argument "]]".
  if (after >= text.size() || text[after] != '[') return Fit::No;
  const std::size_t close = FindCloseClose(text, after + 1);
  if (close == std::string_view::npos || close == after + 1) return Fit::No;
  const std::string_view argument = text.substr(after + 1, close - after - 1);
  token.kind = code.kind;
  if (code.kind == kPrintCodeNow) {
    // A format the date formatter refuses (an open quote) is no code: it prints as written.
    if (!FormatDateTime(argument, printTime, token.text)) return Fit::No;
  } else if (!PrintTemplate::ParseNumber(argument, token.number)) {
    return Fit::BadNumber;
  }
  end = close + 2;
  return Fit::Yes;
}

void AppendDecimal(std::string& out, std::int64_t value) {
  out += std::to_string(value);
}

}  // namespace

std::string_view CutToColumns(std::string_view cp932, std::size_t columns) {
  if (cp932.size() <= columns) return cp932;
  std::size_t cut = columns;
  // Whether byte `columns` (1-based) starts a two-byte character, judged from the start.
  std::size_t i = 0;
  while (i < columns) {
    const std::size_t step = static_cast<std::size_t>(CharStepAt(cp932, i));
    if (i + step > columns) {
      cut = i;
      break;
    }
    i += step;
  }
  return cp932.substr(0, cut);
}

bool PrintTemplate::ParseNumber(std::string_view text, std::int64_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  std::int64_t result = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    result = result * 10 + (text[i] - '0');
    if (result > std::numeric_limits<int>::max()) return false;
  }
  value = negative ? -result : result;
  return true;
}

bool PrintTemplate::Compile(std::string_view cp932, const DateTime& printTime,
                            std::string_view userName) {
  tokens_.clear();
  std::string_view rest = cp932;
  while (!rest.empty()) {
    std::size_t codeAt = std::string_view::npos;
    std::size_t codeEnd = 0;
    PrintToken token;
    for (std::size_t p = 0; p < rest.size() && codeAt == std::string_view::npos;
         p += static_cast<std::size_t>(CharStepAt(rest, p))) {
      if (rest[p] != '[') continue;
      for (const PrintCode& code : kPrintCodes) {
        PrintToken candidate;
        std::size_t end = 0;
        const Fit fit = TryCode(rest, p, code, printTime, userName, end, candidate);
        if (fit == Fit::BadNumber) return false;
        if (fit == Fit::Yes) {
          codeAt = p;
          codeEnd = end;
          token = std::move(candidate);
          break;
        }
      }
    }
    if (codeAt == std::string_view::npos) {
      tokens_.push_back({kPrintCodeLiteral, std::string(rest), 0});
      break;
    }
    if (codeAt > 0) tokens_.push_back({kPrintCodeLiteral, std::string(rest.substr(0, codeAt)), 0});
    tokens_.push_back(std::move(token));
    rest.remove_prefix(codeEnd);
  }
  return true;
}

std::string PrintTemplate::Render(const PrintCounters& c, int columns) const {
  std::string line;
  for (const PrintToken& token : tokens_) {
    const std::int64_t n = token.number;
    switch (token.kind) {
      case kPrintCodeFileName:
        line += c.fileName;
        break;
      case kPrintCodePathName:
        line += c.pathName;
        break;
      case kPrintCodeFileIndex:
        AppendDecimal(line, c.fileIndex + n);
        break;
      case kPrintCodeFileCount:
        AppendDecimal(line, c.fileCount + n);
        break;
      case kPrintCodeCopyIndex:
        AppendDecimal(line, c.copyIndex + n - 1);
        break;
      case kPrintCodeCopyCount:
        AppendDecimal(line, c.copyCount + n);
        break;
      case kPrintCodePageIndex:
        AppendDecimal(line, c.sheetIndex + n - 1);
        break;
      case kPrintCodePageCount:
        AppendDecimal(line, c.sheetCount + n);
        break;
      case kPrintCodePageIndexFile:
        AppendDecimal(line, c.pageInFile + n - 1);
        break;
      case kPrintCodePageCountFile:
        AppendDecimal(line, c.pagesOfFile + n);
        break;
      case kPrintCodePageIndexCopy:
        AppendDecimal(line, c.pagesBeforeFile + c.pageInFile + n - 1);
        break;
      case kPrintCodePageCountCopy:
        AppendDecimal(line, c.pagesOfCopy + n);
        break;
      default:
        line += token.text;
        break;  // literal, date, user name
    }
  }
  if (columns >= 1 && line.size() > static_cast<std::size_t>(columns))
    line.resize(CutToColumns(line, static_cast<std::size_t>(columns)).size());
  return line;
}

}  // namespace norra
