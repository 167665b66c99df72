// Encodings of searched files: what the start of a file tells, and the held text of a file.
#include "text/SearchFileText.h"



#include <algorithm>
#include <cstring>

#include "text/CaseMap.h"
#include "text/Encoding.h"
#include "text/EncodingDetection.h"
#include "text/FileCodec.h"
#include "text/Utf8.h"

namespace norra {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}


// Valid UTF-8 that holds at least one multi-byte sequence. ASCII is passed over sixteen
// bytes at a time. With tailCut, a sequence cut off by the end counts as valid.
bool IsMultiByteUtf8(std::string_view bytes, bool tailCut = false, bool* invalid = nullptr);


bool IsMultiByteUtf8(std::string_view bytes, bool tailCut, bool* invalid) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  bool multi = false;
  std::size_t i = 0;
  while (i < n) {
    if (i + 16 <= n) {
      std::uint64_t a;
      std::uint64_t b;
      std::memcpy(&a, p + i, 8);
      std::memcpy(&b, p + i + 8, 8);
      if (((a | b) & 0x8080808080808080ULL) == 0) {
        i += 16;
        continue;
      }
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const int len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) {
      if (tailCut && n - i < 4) return multi;
      if (invalid != nullptr) *invalid = true;
      return false;
    }
    multi = true;
    i += static_cast<std::size_t>(len);
  }
  return multi;
}

struct JapaneseScore {
  bool valid = true;
  std::size_t score = 0;  // kana and common kanji
  std::size_t kana = 0;
};

// EUC-JP read by its structure: ASCII, 8E + half-width kana, 8F + two bytes, or two bytes
// from A1-FE.
JapaneseScore ScoreEucJp(std::string_view bytes, bool tailCut = false) {
  JapaneseScore s;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  auto high = [](unsigned c) { return c >= 0xA1 && c <= 0xFE; };
  for (std::size_t i = 0; i < n;) {
    const unsigned c = p[i];
    if (c < 0x80) {
      ++i;
    } else if (c == 0x8E && i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF) {
      i += 2;
    } else if (c == 0x8F && i + 2 < n && high(p[i + 1]) && high(p[i + 2])) {
      i += 3;
    } else if (high(c) && i + 1 < n && high(p[i + 1])) {
      if (c == 0xA4 || c == 0xA5) ++s.kana;
      if (c == 0xA4 || c == 0xA5 || (c >= 0xB0 && c <= 0xCF)) ++s.score;
      i += 2;
    } else {
      s.valid = tailCut && n - i < 3;
      return s;
    }
  }
  return s;
}



}  // namespace

bool ParseEncodingChoice(std::string_view name, EncodingChoice& choice) {
  if (SameName(name, "auto")) {
    choice = EncodingChoice::Auto;
  } else if (SameName(name, "cp932") || SameName(name, "shift_jis") || SameName(name, "sjis")) {
    choice = EncodingChoice::Cp932;
  } else if (SameName(name, "utf-8") || SameName(name, "utf8")) {
    choice = EncodingChoice::Utf8;
  } else if (SameName(name, "euc-jp") || SameName(name, "eucjp")) {
    choice = EncodingChoice::EucJp;
  } else {
    return false;
  }
  return true;
}

std::optional<FileCharset> EncodingOfStart(std::string_view start) {
  if (start.starts_with(kUtf8Bom)) return FileCharset::Utf8;
  if (start.size() < kUtf8Bom.size() && kUtf8Bom.starts_with(start)) return std::nullopt;
  bool invalid = false;
  if (IsMultiByteUtf8(start, true, &invalid)) return FileCharset::Utf8;
  if (invalid && !ScoreEucJp(start, true).valid) return FileCharset::Cp932;
  return std::nullopt;
}

void SearchFileText::Hold(std::string_view bytes, EncodingChoice choice) {
  switch (choice) {
    case EncodingChoice::Auto:
      encoding_ = DetectFileEncoding(bytes).charset;
      break;
    case EncodingChoice::Cp932:
      encoding_ = FileCharset::Cp932;
      break;
    case EncodingChoice::Utf8:
      encoding_ = FileCharset::Utf8;
      break;
    case EncodingChoice::EucJp:
      encoding_ = FileCharset::EucJp;
      break;
  }
  prefix_ = {};
  text_ = bytes;
  held_.clear();
  converted_ = false;
  markLength_ = 0;
  heldOffsets_.clear();
  fileOffsets_.clear();
  if (encoding_ == FileCharset::Utf8 && bytes.starts_with(kUtf8Bom)) {
    prefix_ = bytes.substr(0, kUtf8Bom.size());
    text_ = bytes.substr(kUtf8Bom.size());
  } else if (encoding_ != FileCharset::Cp932 && encoding_ != FileCharset::Utf8) {
    DecodedFile decoded = DecodeFile(bytes, encoding_);
    held_ = std::move(decoded.text);
    markLength_ = decoded.encoding.byteOrderMark ? 2 : 0;  // UTF-16's
    converted_ = true;
  }
}

void SearchFileText::UpperCaseConverted() {
  if (converted_) ToUpperUtf8(held_.data(), held_.size());
}

std::size_t SearchFileText::FileOffset(std::size_t textOffset) const {
  if (!converted_) return prefix_.size() + textOffset;
  if (heldOffsets_.empty()) {
    // Walks the file's bytes and the held text side by side, character by character, as
    // EucJpToUtf8 made it.
    const std::string_view file = text_;
    const bool utf16 = encoding_ != FileCharset::EucJp;
    std::size_t f = markLength_;
    std::size_t h = 0;
    const auto* u = reinterpret_cast<const unsigned char*>(held_.data());
    while (h < held_.size()) {
      heldOffsets_.push_back(static_cast<std::uint32_t>(h));
      fileOffsets_.push_back(static_cast<std::uint32_t>(f));
      char32_t cp = 0;
      const int length = DecodeUtf8(u + h, held_.size() - h, cp);
      h += length > 0 ? static_cast<std::size_t>(length) : 1;
      if (cp >= kEscapeBase && cp <= kEscapeBase + 0xFF) {
        f += 1;
      } else if (utf16) {
        f += cp >= 0x10000 ? 4 : 2;
      } else if (cp < 0x80) {
        f += 1;
      } else {
        f += static_cast<unsigned char>(file[f]) == 0x8F ? 3 : 2;
      }
    }
    heldOffsets_.push_back(static_cast<std::uint32_t>(held_.size()));
    fileOffsets_.push_back(static_cast<std::uint32_t>(file.size()));
  }
  const auto it = std::lower_bound(heldOffsets_.begin(), heldOffsets_.end(),
                                   static_cast<std::uint32_t>(textOffset));
  return fileOffsets_[static_cast<std::size_t>(it - heldOffsets_.begin())];
}

bool SearchFileText::ToFileBytes(std::string_view newText, std::string& out,
                                 std::string& notHeld) const {
  out.assign(prefix_);
  if (!converted_) {
    out.append(newText);
    return true;
  }
  const Unencodable missing = FindUnencodable(newText, encoding_, encoding_);
  if (missing.count > 0) {
    notHeld = missing.characters;
    return false;
  }
  out += EncodeFile(newText, FileEncoding{encoding_, markLength_ > 0});
  return true;
}

std::string EucJpToUtf8(std::string_view eucJp) {
  return DecodeFile(eucJp, FileCharset::EucJp).text;
}

bool Utf8ToEucJp(std::string_view utf8, std::string& out, std::string& notHeld) {
  const Unencodable missing = FindUnencodable(utf8, FileCharset::EucJp, FileCharset::EucJp);
  if (missing.count > 0) {
    notHeld = missing.characters;
    return false;
  }
  out = EncodeFile(utf8, FileEncoding{FileCharset::EucJp, false});
  return true;
}

}  // namespace norra
