// The detection rule and the Japanese character scores behind it.
#include "text/EncodingDetection.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "text/Cp932.h"
#include "text/Encoding.h"
#include "text/EucJp.h"
#include "text/Utf8.h"

namespace norra {
namespace {

constexpr double kInvalid = -5;

// How typical a character of JIS row `row` (1-based; beyond 94 the CP932 extensions) is of
// Japanese prose: kana, then first-level kanji, then punctuation and full-width letters.
double RowScore(unsigned row) {
  if (row == 4 || row == 5) return 3;        // hiragana, katakana
  if (row >= 16 && row <= 47) return 2;      // first-level kanji
  if (row == 1 || row == 3) return 1;        // punctuation, full-width digits and letters
  if (row >= 48 && row <= 84) return 0.5;    // second-level kanji
  if (row == 2 || (row >= 6 && row <= 8) || row == 13) return 0;  // symbols, Greek, Cyrillic, boxes
  return -2;                                 // unassigned, user-defined and extension rows
}

bool IsHalfWidthKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// A half-width katakana in a run: marks and small kana after a kana that takes them are what
// katakana words are made of. Half-width punctuation (｡｢｣､･) is rare in Japanese text but is what
// the lead bytes of EUC-JP kana and punctuation read as; a voicing mark after a kana that
// takes none is noise.
double KanaScore(unsigned char c, unsigned char previous, bool afterKana) {
  if (c <= 0xA5) return -0.5;
  const bool voiced = c == 0xDE || c == 0xDF;
  const bool takesVoicing = afterKana && ((previous >= 0xB6 && previous <= 0xC4) ||
                                          (previous >= 0xCA && previous <= 0xCE) || previous == 0xB3);
  if (voiced) return takesVoicing && (c == 0xDE || previous >= 0xCA) ? 1.6 : -1;
  if (c == 0xB0 || (c >= 0xA7 && c <= 0xAF)) return afterKana ? 1.3 : 0;
  return afterKana ? 1.0 : 0.8;
}

unsigned Cp932Row(unsigned lead, unsigned trail) {
  unsigned row = lead <= 0x9F ? (lead - 0x81) * 2 + 1 : (lead - 0xC1) * 2 + 1;
  return trail >= 0x9F ? row + 1 : row;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// UTF-8 with a multi-byte sequence, and malformed bytes (a damaged file keeps its own) at most
// one for every four characters of three bytes or more; `twoByteOnly` when every multi-byte
// sequence is two bytes long and none touches an ASCII letter (so the bytes may as well be
// half-width katakana).
bool IsUtf8Text(std::string_view bytes, bool& twoByteOnly) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  bool multi = false;
  std::size_t malformed = 0;
  std::size_t wide = 0;
  twoByteOnly = true;
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n) {
      std::uint64_t v;
      std::memcpy(&v, p + i, 8);
      if ((v & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const int length = DecodeUtf8(p + i, n - i, cp);
    if (length == 0) {
      ++malformed;
      ++i;
      continue;
    }
    multi = true;
    if (length >= 3) ++wide;
    if (twoByteOnly) {
      const bool letterBeside = (i > 0 && IsAsciiLetter(p[i - 1])) ||
                                (i + static_cast<std::size_t>(length) < n && IsAsciiLetter(p[i + length]));
      if (length != 2 || letterBeside) twoByteOnly = false;
    }
    i += static_cast<std::size_t>(length);
  }
  if (malformed > 0) twoByteOnly = false;
  return multi && malformed * 4 <= wide;
}

bool IsValidCp932(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    i += static_cast<std::size_t>(DecodeCp932Char(bytes, i, cp));
    if (cp >= kEscapeBase && cp < kEscapeBase + 0x100) return false;
  }
  return true;
}

bool IsAscii(std::string_view bytes) {
  return std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

JapaneseScores ScoreJapanese(std::string_view bytes) {
  bytes = bytes.substr(0, kScoredBytes);
  JapaneseScores s;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  bool afterKana = false;
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      afterKana = false;
      ++i;
      continue;
    }
    if (IsHalfWidthKana(c)) {
      s.cp932 += KanaScore(c, i > 0 ? p[i - 1] : 0, afterKana);
      afterKana = true;
      ++i;
      continue;
    }
    afterKana = false;
    char32_t cp;
    const int length = DecodeCp932Char(bytes, i, cp);
    if (cp >= kEscapeBase && cp < kEscapeBase + 0x100) {
      s.cp932 += kInvalid;
      s.cp932Valid = false;
    } else {
      s.cp932 += RowScore(Cp932Row(c, p[i + 1]));
    }
    i += static_cast<std::size_t>(length);
  }
  afterKana = false;
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      afterKana = false;
      ++i;
      continue;
    }
    char32_t cp;
    const int length = DecodeEucJpChar(bytes, i, cp);
    if (cp >= kEscapeBase && cp < kEscapeBase + 0x100) {
      s.eucJp += kInvalid;
      s.eucJpValid = false;
      afterKana = false;
    } else if (c == 0x8E) {
      s.eucJp += KanaScore(p[i + 1], afterKana ? p[i - 1] : 0, afterKana);
      afterKana = true;
    } else if (c == 0x8F) {
      s.eucJp += -1;
      afterKana = false;
    } else {
      s.eucJp += RowScore(c - 0xA0u);
      afterKana = false;
    }
    i += static_cast<std::size_t>(length);
  }
  return s;
}

FileEncoding DetectFileEncoding(std::string_view bytes, const DetectionHints& hints) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return {FileCharset::Utf8, true};
  if (bytes.starts_with("\xFF\xFE")) return {FileCharset::Utf16Le, true};
  if (bytes.starts_with("\xFE\xFF")) return {FileCharset::Utf16Be, true};
  if (hints.configured) return {hints.configured->charset, false};
  bool twoByteOnly = false;
  const bool utf8 = IsUtf8Text(bytes, twoByteOnly);
  if (utf8 && !(twoByteOnly && IsValidCp932(bytes))) return {FileCharset::Utf8, false};
  if (!utf8 && IsAscii(bytes)) return {hints.plainDefault, false};
  const JapaneseScores s = ScoreJapanese(bytes);
  if (s.eucJpValid && !s.cp932Valid) return {FileCharset::EucJp, false};
  // EUC-JP must win by a margin: short runs of half-width katakana read as kanji pairs too.
  const double margin = 1.0 + 0.05 * std::abs(s.cp932);
  if (s.eucJp > s.cp932 + margin) return {FileCharset::EucJp, false};
  return {FileCharset::Cp932, false};
}

}  // namespace norra
