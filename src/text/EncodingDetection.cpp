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

// What the UTF-8 reading of the bytes shows, over the first kScoredBytes from the first
// non-ASCII byte on (a file is one encoding throughout; the rest would only cost time).
struct Utf8Reading {
  bool anyHigh = false;      // some byte is not ASCII
  bool utf8 = false;         // multi-byte sequences, and malformed bytes (a damaged file keeps
                             // its own) at most one for every four characters of 3+ bytes
  bool twoByteOnly = false;  // every sequence two bytes long, none touching an ASCII letter
                             // (so the bytes may as well be half-width katakana)
};

Utf8Reading ReadAsUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  Utf8Reading r;
  r.twoByteOnly = true;
  bool multi = false;
  std::size_t malformed = 0;
  std::size_t wide = 0;
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
    if (!r.anyHigh) {
      r.anyHigh = true;
      n = std::min(n, i + kScoredBytes);
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
    if (r.twoByteOnly) {
      const bool letterBeside = (i > 0 && IsAsciiLetter(p[i - 1])) ||
                                (i + static_cast<std::size_t>(length) < n && IsAsciiLetter(p[i + length]));
      if (length != 2 || letterBeside) r.twoByteOnly = false;
    }
    i += static_cast<std::size_t>(length);
  }
  if (malformed > 0) r.twoByteOnly = false;
  r.utf8 = multi && malformed * 4 <= wide;
  return r;
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

}  // namespace

JapaneseScores ScoreJapanese(std::string_view bytes) {
  bytes = bytes.substr(0, kScoredBytes);
  JapaneseScores s;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  // Half-width katakana come in runs; a run of exactly two among ASCII is more likely one
  // EUC-JP kanji than a katakana word of two letters.
  bool afterKana = false;
  std::size_t runStart = 0;
  double runScore = 0;
  const auto endRun = [&](std::size_t end) {
    if (!afterKana) return;
    const bool amongAscii = (runStart > 0 && p[runStart - 1] < 0x80) || (end < n && p[end] < 0x80);
    s.cp932 += end - runStart == 2 && amongAscii ? -1 : runScore;
    afterKana = false;
  };
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (IsHalfWidthKana(c)) {
      if (!afterKana) {
        runStart = i;
        runScore = 0;
      }
      runScore += KanaScore(c, i > 0 ? p[i - 1] : 0, afterKana);
      afterKana = true;
      ++i;
      continue;
    }
    endRun(i);
    if (c < 0x80) {
      ++i;
      continue;
    }
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
  endRun(n);
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
  const Utf8Reading reading = ReadAsUtf8(bytes);
  if (!reading.anyHigh) return {hints.plainDefault, false};
  if (reading.utf8 && !(reading.twoByteOnly && IsValidCp932(bytes.substr(0, kScoredBytes)))) {
    return {FileCharset::Utf8, false};
  }
  const JapaneseScores s = ScoreJapanese(bytes);
  if (s.eucJpValid && !s.cp932Valid) return {FileCharset::EucJp, false};
  if (s.cp932Valid && !s.eucJpValid) return {FileCharset::Cp932, false};
  // EUC-JP must win by a margin: short runs of half-width katakana read as kanji pairs too.
  const double margin = 1.0 + 0.05 * std::abs(s.cp932);
  if (s.eucJp > s.cp932 + margin) return {FileCharset::EucJp, false};
  return {FileCharset::Cp932, false};
}

}  // namespace norra
