// Compiling and rendering header and footer templates.
#include "printing/PrintTemplate.h"

#include <algorithm>
#include <limits>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace norra {

namespace {

// Finds the first "]]" at or after an offset that starts on a character boundary, or npos.
// Scanning by characters keeps a trail byte 0x5D of a two-byte character from closing a code.
// The offsets asked for only grow while one text is compiled, so the last answer is kept: a
// long template of codes that never close is scanned once, not once for every "[".
class CloseCloseFinder {
 public:
  explicit CloseCloseFinder(std::string_view text) : text_(text) {}
  std::size_t Find(std::size_t from) {
    if (scanned_ && from >= scannedFrom_ && (found_ == std::string_view::npos || found_ >= from))
      return found_;
    found_ = std::string_view::npos;
    for (std::size_t i = from; i < text_.size();
         i += static_cast<std::size_t>(CharStepAt(text_, i))) {
      if (text_[i] == ']' && i + 1 < text_.size() && text_[i + 1] == ']') {
        found_ = i;
        break;
      }
    }
    scanned_ = true;
    scannedFrom_ = from;
    return found_;
  }

 private:
  std::string_view text_;
  bool scanned_ = false;
  std::size_t scannedFrom_ = 0;
  std::size_t found_ = std::string_view::npos;
};

enum class Fit { No, Yes, BadNumber };

// Whether the code named by `code` completes at `open` (the offset of its "["). On success
// `end` is the offset just past the code and the token holds its kind, number or text.
Fit TryCode(std::string_view text, std::size_t open, const PrintCode& code,
            const DateTime& printTime, std::string_view userName, CloseCloseFinder& closer,
            std::size_t& end, PrintToken& token) {
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
  const std::size_t close = closer.Find(after + 1);
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

// Bytes of the UTF-8 character that starts at i (a stray byte counts alone).
std::size_t Utf8Step(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  std::size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  n = std::min(n, text.size() - i);
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return k;
  }
  return n;
}

// Columns a UTF-8 character takes on a sheet: its CP932 bytes, two for one CP932 lacks.
std::size_t Columns(std::string_view character) {
  if (character.size() == 1) return 1;
  const std::string cp932 = Utf8ToCp932(character);
  return cp932 == "?" ? 2 : cp932.size();
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

std::string_view CutUtf8ToColumns(std::string_view utf8, std::size_t columns) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t step = Utf8Step(utf8, i);
    used += Columns(utf8.substr(i, step));
    if (used > columns) return utf8.substr(0, i);
    i += step;
  }
  return utf8;
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
  Clear();
  std::string_view rest = cp932;
  while (!rest.empty()) {
    std::size_t codeAt = std::string_view::npos;
    std::size_t codeEnd = 0;
    PrintToken token;
    CloseCloseFinder closer(rest);
    for (std::size_t p = 0; p < rest.size() && codeAt == std::string_view::npos;
         p += static_cast<std::size_t>(CharStepAt(rest, p))) {
      if (rest[p] != '[') continue;
      for (const PrintCode& code : kPrintCodes) {
        PrintToken candidate;
        std::size_t end = 0;
        const Fit fit = TryCode(rest, p, code, printTime, userName, closer, end, candidate);
        if (fit == Fit::BadNumber) {
          const std::size_t at = cp932.size() - rest.size() + p;
          const std::size_t close = closer.Find(p + 1);
          const std::size_t end = close == std::string_view::npos ? rest.size() : close + 2;
          std::size_t column = 1;
          for (std::size_t i = 0; i < at; i += static_cast<std::size_t>(CharStepAt(cp932, i)))
            ++column;
          error_ = PrintTemplateError{Cp932ToUtf8(rest.substr(p, end - p)), column};
          return false;
        }
        if (fit == Fit::Yes) {
          codeAt = p;
          codeEnd = end;
          token = std::move(candidate);
          break;
        }
      }
    }
    if (codeAt == std::string_view::npos) {
      tokens_.push_back({kPrintCodeLiteral, Cp932ToUtf8(rest), 0});
      break;
    }
    if (codeAt > 0) tokens_.push_back({kPrintCodeLiteral, Cp932ToUtf8(rest.substr(0, codeAt)), 0});
    if (token.kind == kPrintCodeNow) token.text = Cp932ToUtf8(token.text);
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
    line.resize(CutUtf8ToColumns(line, static_cast<std::size_t>(columns)).size());
  return line;
}

std::optional<PrintTemplateError> PrintTemplate::Check(std::string_view utf8) {
  PrintTemplate compiled;
  if (compiled.Compile(Utf8ToCp932(utf8), DateTime{}, std::string_view())) return std::nullopt;
  return compiled.Error();
}

std::string PrintTemplate::ErrorMessage(std::string_view which, const PrintTemplateError& error) {
  return std::string(which) + "の " + std::to_string(error.column) + "文字目の " + error.code +
         " は、番号が数値ではありません。\n番号には 0 や 1 などの整数を指定して下さい。";
}

}  // namespace norra
