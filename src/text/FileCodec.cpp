// Decoding file bytes into the held text and encoding it back, byte for byte.
#include "text/FileCodec.h"

#include "text/Encoding.h"
#include "text/EucJp.h"
#include "text/Utf8.h"

namespace norra {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool IsEscape(char32_t cp) { return cp >= kEscapeBase && cp < kEscapeBase + 0x100; }

void AppendEscape(unsigned char byte, std::string& out) { AppendUtf8(kEscapeBase + byte, out); }

std::string DecodeEucJp(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    char32_t cp;
    i += static_cast<std::size_t>(DecodeEucJpChar(bytes, i, cp));
    AppendUtf8(cp, out);
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const auto unitAt = [&](std::size_t i) -> char32_t {
    return bigEndian ? (char32_t{byteAt(i)} << 8 | byteAt(i + 1)) : (char32_t{byteAt(i + 1)} << 8 | byteAt(i));
  };
  std::size_t i = 0;
  while (i + 1 < bytes.size()) {
    const char32_t unit = unitAt(i);
    std::size_t length = 2;
    char32_t cp = unit;
    bool ok = unit < 0xD800 || unit > 0xDFFF;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        length = 4;
        ok = true;
      }
    }
    // A real character in the escapes' range would read back as bytes: it is held as the
    // escapes of its bytes instead, as a lone surrogate is.
    if (ok && !IsEscape(cp)) {
      AppendUtf8(cp, out);
    } else {
      for (std::size_t k = 0; k < length; ++k) AppendEscape(byteAt(i + k), out);
    }
    i += length;
  }
  if (i < bytes.size()) AppendEscape(byteAt(i), out);
  return out;
}

void AppendUtf16(char32_t cp, bool bigEndian, std::string& out) {
  const auto unit = [&](char32_t u) {
    const char hi = static_cast<char>(u >> 8);
    const char lo = static_cast<char>(u & 0xFF);
    if (bigEndian) {
      out.push_back(hi);
      out.push_back(lo);
    } else {
      out.push_back(lo);
      out.push_back(hi);
    }
  };
  if (cp < 0x10000) {
    unit(cp);
  } else {
    cp -= 0x10000;
    unit(0xD800 + (cp >> 10));
    unit(0xDC00 + (cp & 0x3FF));
  }
}

// One piece of a held text: a character, or a byte of the source encoding kept as it was.
struct Piece {
  std::size_t length = 0;  // bytes in the held text
  char32_t cp = 0;
  bool raw = false;  // cp is the byte
};

Piece PieceAt(std::string_view text, std::size_t i, FileCharset source) {
  Piece piece;
  char32_t cp = 0;
  if (source == FileCharset::Cp932) {
    piece.length = static_cast<std::size_t>(DecodeCp932Char(text, i, cp));
    if (IsEscape(cp)) {
      piece.raw = true;
      cp -= kEscapeBase;
    }
    piece.cp = cp;
    return piece;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + i;
  const int length = DecodeUtf8(p, text.size() - i, cp);
  if (length == 0) {
    piece.length = 1;
    piece.raw = true;
    piece.cp = p[0];
    return piece;
  }
  piece.length = static_cast<std::size_t>(length);
  piece.cp = cp;
  if (source != FileCharset::Utf8 && IsEscape(cp)) {
    piece.raw = true;
    piece.cp = cp - kEscapeBase;
  }
  return piece;
}

// Appends the piece in target's held form; false when the target cannot hold it.
bool AppendHeld(const Piece& piece, FileCharset source, FileCharset target, std::string& out) {
  if (piece.raw) {
    if (source != target) return false;
    if (target == FileCharset::Cp932 || target == FileCharset::Utf8) {
      out.push_back(static_cast<char>(piece.cp));
    } else {
      AppendEscape(static_cast<unsigned char>(piece.cp), out);
    }
    return true;
  }
  const char32_t cp = piece.cp;
  switch (target) {
    case FileCharset::Cp932:
      return !IsEscape(cp) && EncodeCp932Char(cp, out);
    case FileCharset::EucJp: {
      std::string scratch;
      if (IsEscape(cp) || !EncodeEucJpChar(cp, scratch)) return false;
      AppendUtf8(cp, out);
      return true;
    }
    case FileCharset::Utf16Le:
    case FileCharset::Utf16Be:
      if (IsEscape(cp)) {  // held as the escapes of its UTF-16 bytes, as DecodeFile does
        std::string units;
        AppendUtf16(cp, target == FileCharset::Utf16Be, units);
        for (const char b : units) AppendEscape(static_cast<unsigned char>(b), out);
        return true;
      }
      AppendUtf8(cp, out);
      return true;
    case FileCharset::Utf8:
      AppendUtf8(cp, out);
      return true;
  }
  return false;
}

}  // namespace

DecodedFile DecodeFile(std::string_view bytes, FileCharset charset) {
  DecodedFile file;
  file.encoding.charset = charset;
  switch (charset) {
    case FileCharset::Cp932:
      file.text.assign(bytes);
      break;
    case FileCharset::Utf8:
      if (bytes.starts_with(kUtf8Mark)) {
        file.encoding.byteOrderMark = true;
        bytes.remove_prefix(kUtf8Mark.size());
      }
      file.text.assign(bytes);
      break;
    case FileCharset::EucJp:
      file.text = DecodeEucJp(bytes);
      break;
    case FileCharset::Utf16Le:
    case FileCharset::Utf16Be: {
      const bool big = charset == FileCharset::Utf16Be;
      if (bytes.starts_with(big ? kUtf16BeMark : kUtf16LeMark)) {
        file.encoding.byteOrderMark = true;
        bytes.remove_prefix(2);
      }
      file.text = DecodeUtf16(bytes, big);
      break;
    }
  }
  return file;
}

std::string EncodeFile(std::string_view text, const FileEncoding& encoding) {
  std::string out;
  switch (encoding.charset) {
    case FileCharset::Cp932:
      out.assign(text);
      return out;
    case FileCharset::Utf8:
      if (encoding.byteOrderMark) {
        out.reserve(text.size() + kUtf8Mark.size());
        out += kUtf8Mark;
      }
      out += text;
      return out;
    case FileCharset::EucJp:
    case FileCharset::Utf16Le:
    case FileCharset::Utf16Be:
      break;
  }
  const FileCharset charset = encoding.charset;
  const bool big = charset == FileCharset::Utf16Be;
  if (charset != FileCharset::EucJp && encoding.byteOrderMark) out += big ? kUtf16BeMark : kUtf16LeMark;
  out.reserve(out.size() + text.size() * (charset == FileCharset::EucJp ? 1 : 2));
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 && charset == FileCharset::EucJp) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const Piece piece = PieceAt(text, i, charset);
    i += piece.length;
    if (piece.raw) {
      out.push_back(static_cast<char>(piece.cp));
    } else if (charset == FileCharset::EucJp) {
      if (!EncodeEucJpChar(piece.cp, out)) out.push_back('?');
    } else {
      AppendUtf16(piece.cp, big, out);
    }
  }
  return out;
}

Unencodable FindUnencodable(std::string_view text, FileCharset source, FileCharset target) {
  Unencodable found;
  // The same encoding holds everything it read, except what was typed into an EUC-JP Page.
  if (source == target && target != FileCharset::EucJp) return found;
  std::string scratch;
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const Piece piece = PieceAt(text, i, source);
    scratch.clear();
    if (!AppendHeld(piece, source, target, scratch)) {
      if (found.count++ == 0) {
        found.firstOffset = i;
        found.firstLength = piece.length;
      }
      const std::string_view character = text.substr(i, piece.length);
      if (found.characters.find(character) == std::string::npos) found.characters.append(character);
    }
    i += piece.length;
  }
  return found;
}

std::string ConvertHeldText(std::string_view text, FileCharset source, FileCharset target,
                            std::string_view substitute) {
  if (source == target) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const Piece piece = PieceAt(text, i, source);
    i += piece.length;
    if (AppendHeld(piece, source, target, out)) continue;
    for (std::size_t k = 0; k < substitute.size();) {
      const Piece sub = PieceAt(substitute, k, FileCharset::Utf8);
      k += sub.length;
      AppendHeld(sub, FileCharset::Utf8, target, out);
    }
  }
  return out;
}

}  // namespace norra
