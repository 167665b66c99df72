// How a file's bytes spell its text: the character encoding, whether a byte-order mark leads,
// and which line breaks it uses. A Page keeps one of these so it is written back as it came.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/Charset.h"

namespace norra {

enum class FileCharset : std::uint8_t {
  Cp932,    // Shift-JIS as Windows writes it; held as it is
  Utf8,     // held as it is, malformed bytes kept
  EucJp,    // held in UTF-8, written back in EUC-JP
  Utf16Le,  // held in UTF-8, written back in UTF-16 little-endian
  Utf16Be,  // held in UTF-8, written back in UTF-16 big-endian
};

struct FileEncoding {
  FileCharset charset = FileCharset::Cp932;
  bool byteOrderMark = false;  // UTF-8 and UTF-16 only
  bool operator==(const FileEncoding&) const = default;
};

// The kinds of line break a text uses, for showing; the bytes themselves are never changed.
enum class LineBreakKind : std::uint8_t {
  None,   // no line break at all
  CrLf,   // every break is CR LF
  Lf,     // every break is a lone LF
  Cr,     // every break is a lone CR
  Mixed,  // more than one kind
};

// The form a Page of this file holds its text in.
constexpr Charset HeldCharset(FileCharset charset) {
  return charset == FileCharset::Cp932 ? Charset::Cp932 : Charset::Utf8;
}

// Names as the status bar and the encoding menus show them ("Shift_JIS", "UTF-8 (BOM)", …).
std::string FileEncodingName(const FileEncoding& encoding);
const char* FileCharsetName(FileCharset charset);
const char* LineBreakName(LineBreakKind kind);  // "CRLF", "LF", "CR", "混在", "" for none

// The line breaks of a text held in CP932 or UTF-8 (and of CP932, UTF-8 or EUC-JP file bytes,
// whose CR and LF are the same bytes). CR and LF bytes are never parts of other characters
// in these encodings.
LineBreakKind LineBreaksOf(std::string_view text);

// Every line break of the text (CP932 or UTF-8) made the given kind (CrLf, Lf or Cr; the
// others leave the text as it is).
std::string WithLineBreaks(std::string_view text, LineBreakKind kind);

// The charset of an `.editorconfig` `charset` value ("utf-8", "utf-8-bom", "utf-16le",
// "utf-16be"; also "shift_jis", "cp932", "sjis", "euc-jp" for Japanese files), compared without
// case. Nothing for values the program cannot write ("latin1") and unknown ones.
std::optional<FileEncoding> EncodingFromEditorConfig(std::string_view value);

}  // namespace norra
