// Names of file encodings and line breaks, and the line-break scan.
#include "text/FileEncoding.h"

#include "text/AsciiCase.h"

namespace norra {

const char* FileCharsetName(FileCharset charset) {
  switch (charset) {
    case FileCharset::Cp932: return "Shift_JIS";
    case FileCharset::Utf8: return "UTF-8";
    case FileCharset::EucJp: return "EUC-JP";
    case FileCharset::Utf16Le: return "UTF-16LE";
    case FileCharset::Utf16Be: return "UTF-16BE";
  }
  return "";
}

std::string FileEncodingName(const FileEncoding& encoding) {
  std::string name = FileCharsetName(encoding.charset);
  if (encoding.byteOrderMark) name += " (BOM)";
  return name;
}

const char* LineBreakName(LineBreakKind kind) {
  switch (kind) {
    case LineBreakKind::None: return "";
    case LineBreakKind::CrLf: return "CRLF";
    case LineBreakKind::Lf: return "LF";
    case LineBreakKind::Cr: return "CR";
    case LineBreakKind::Mixed: return "混在";
  }
  return "";
}

LineBreakKind LineBreaksOf(std::string_view text) {
  bool crlf = false;
  bool lf = false;
  bool cr = false;
  for (std::size_t i = text.find_first_of("\r\n"); i != std::string_view::npos;
       i = text.find_first_of("\r\n", i + 1)) {
    if (text[i] == '\n') {
      lf = true;
    } else if (i + 1 < text.size() && text[i + 1] == '\n') {
      crlf = true;
      ++i;
    } else {
      cr = true;
    }
    if (crlf + lf + cr > 1) return LineBreakKind::Mixed;
  }
  if (crlf) return LineBreakKind::CrLf;
  if (lf) return LineBreakKind::Lf;
  if (cr) return LineBreakKind::Cr;
  return LineBreakKind::None;
}

std::string WithLineBreaks(std::string_view text, LineBreakKind kind) {
  const char* brk = kind == LineBreakKind::CrLf ? "\r\n" : kind == LineBreakKind::Lf ? "\n"
                  : kind == LineBreakKind::Cr   ? "\r"
                                                : nullptr;
  if (brk == nullptr) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += brk;
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<FileEncoding> EncodingFromEditorConfig(std::string_view value) {
  const std::string v = AsciiLowered(value);
  if (v == "utf-8") return FileEncoding{FileCharset::Utf8, false};
  if (v == "utf-8-bom") return FileEncoding{FileCharset::Utf8, true};
  if (v == "utf-16le") return FileEncoding{FileCharset::Utf16Le, true};
  if (v == "utf-16be") return FileEncoding{FileCharset::Utf16Be, true};
  if (v == "shift_jis" || v == "shift-jis" || v == "sjis" || v == "cp932" || v == "windows-31j") {
    return FileEncoding{FileCharset::Cp932, false};
  }
  if (v == "euc-jp" || v == "eucjp") return FileEncoding{FileCharset::EucJp, false};
  return std::nullopt;
}

}  // namespace norra
