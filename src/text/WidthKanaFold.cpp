// Width and kana folds: one rule over code points, and per charset a scan that applies it.
// CP932 reads its two-byte characters through tables built once from the rule, so a text is
// folded in one pass of table look-ups.
#include "text/WidthKanaFold.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "text/Encoding.h"

namespace norra {
namespace {

// Full-width forms of U+FF61-U+FF9F (｡ to ﾟ).
constexpr char16_t kHalfToFull[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};
static_assert(std::size(kHalfToFull) == 0xFF9F - 0xFF61 + 1);

constexpr char32_t kVoicedMark = 0xFF9E;
constexpr char32_t kSemiVoicedMark = 0xFF9F;

// Whether the folds turn this half-width character full-width: the width fold takes all of
// them, the kana fold the kana (ｦ to ﾟ) but not the punctuation before them.
bool FoldsHalfWidth(char32_t cp, WidthKanaFolds folds) {
  if (cp < 0xFF61 || cp > 0xFF9F) return false;
  return folds.width || (folds.kana && cp >= 0xFF66);
}

}  // namespace

char32_t FoldCodePoint(char32_t cp, WidthKanaFolds folds) {
  if (FoldsHalfWidth(cp, folds)) return kHalfToFull[cp - 0xFF61];
  if (folds.width) {
    if (cp >= 0xFF01 && cp <= 0xFF5E) return cp - 0xFEE0;
    if (cp == 0x3000) return 0x20;
  }
  if (folds.kana) {
    if ((cp >= 0x3041 && cp <= 0x3096) || cp == 0x309D || cp == 0x309E) return cp + 0x60;
  }
  return cp;
}

char32_t FoldHalfWidthPair(char32_t base, char32_t mark, WidthKanaFolds folds) {
  if (!FoldsHalfWidth(base, folds)) return 0;
  const char32_t full = kHalfToFull[base - 0xFF61];
  const bool kaToTo = base >= 0xFF76 && base <= 0xFF84;  // ｶ-ﾄ
  const bool haToHo = base >= 0xFF8A && base <= 0xFF8E;  // ﾊ-ﾎ
  if (mark == kVoicedMark) {
    if (kaToTo || haToHo) return full + 1;
    if (base == 0xFF73) return 0x30F4;  // ｳﾞ → ヴ
  } else if (mark == kSemiVoicedMark && haToHo) {
    return full + 2;
  }
  return 0;
}

std::size_t FoldMap::ToOriginal(std::size_t folded) const {
  auto it = std::upper_bound(changes_.begin(), changes_.end(), folded,
                             [](std::size_t f, const Change& c) { return f < c.folded; });
  if (it == changes_.begin()) return folded;
  const Change& c = *(it - 1);
  if (folded == c.folded) return c.original;
  if (folded < c.folded + c.foldedLength) return c.original + c.originalLength;
  return c.original + c.originalLength + (folded - c.folded - c.foldedLength);
}

std::size_t FoldMap::ToFolded(std::size_t original) const {
  auto it = std::upper_bound(changes_.begin(), changes_.end(), original,
                             [](std::size_t o, const Change& c) { return o < c.original; });
  if (it == changes_.begin()) return original;
  const Change& c = *(it - 1);
  if (original == c.original) return c.folded;
  if (original < c.original + c.originalLength) return c.folded + c.foldedLength;
  return c.folded + c.foldedLength + (original - c.original - c.originalLength);
}

namespace {

// CP932 forms of the folds for one choice of folds: for each two-byte character and each
// half-width katakana (with and without a following mark) its folded bytes. A code is 0 when
// the character stays, below 0x100 for one byte, else two bytes high byte first.
struct Cp932Tables {
  std::array<std::uint16_t, 0x8000> twoByte{};  // index (lead - 0x80) * 256 + trail
  std::array<std::uint16_t, 64> half{};         // index byte - 0xA0
  std::array<std::uint16_t, 64> voiced{};
  std::array<std::uint16_t, 64> semiVoiced{};
};

std::uint16_t Cp932Code(char32_t cp) {
  std::string bytes;
  if (!EncodeCp932Char(cp, bytes)) return 0;
  if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
  return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                    static_cast<unsigned char>(bytes[1]));
}

std::unique_ptr<Cp932Tables> BuildCp932Tables(WidthKanaFolds folds) {
  auto t = std::make_unique<Cp932Tables>();
  char pair[2];
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    pair[0] = static_cast<char>(lead);
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      pair[1] = static_cast<char>(trail);
      char32_t cp = 0;
      if (DecodeCp932Char(std::string_view(pair, 2), 0, cp) != 2) continue;
      const char32_t folded = FoldCodePoint(cp, folds);
      if (folded != cp) t->twoByte[(lead - 0x80) * 256 + trail] = Cp932Code(folded);
    }
  }
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    const char32_t cp = 0xFF61 + (b - 0xA1);
    const char32_t folded = FoldCodePoint(cp, folds);
    if (folded != cp) t->half[b - 0xA0] = Cp932Code(folded);
    if (char32_t v = FoldHalfWidthPair(cp, kVoicedMark, folds)) t->voiced[b - 0xA0] = Cp932Code(v);
    if (char32_t s = FoldHalfWidthPair(cp, kSemiVoicedMark, folds)) {
      t->semiVoiced[b - 0xA0] = Cp932Code(s);
    }
  }
  return t;
}

const Cp932Tables& TablesFor(WidthKanaFolds folds) {
  static const std::unique_ptr<Cp932Tables> width = BuildCp932Tables({true, false});
  static const std::unique_ptr<Cp932Tables> kana = BuildCp932Tables({false, true});
  static const std::unique_ptr<Cp932Tables> both = BuildCp932Tables({true, true});
  return folds.width ? (folds.kana ? *both : *width) : *kana;
}

// The copy grows as it is written: a half-width katakana takes two bytes where it took one.
class Writer {
 public:
  Writer(std::string& out, std::size_t expected) : out_(out) {
    out_.resize(expected + expected / 8 + 16);
    w_ = out_.data();
    end_ = w_ + out_.size();
  }
  std::size_t Pos() const { return static_cast<std::size_t>(w_ - out_.data()); }
  void Room(std::size_t n) {
    if (static_cast<std::size_t>(end_ - w_) >= n) return;
    const std::size_t pos = Pos();
    out_.resize(out_.size() + out_.size() / 2 + n);
    w_ = out_.data() + pos;
    end_ = out_.data() + out_.size();
  }
  void Put(const char* bytes, std::size_t n) {
    std::memcpy(w_, bytes, n);
    w_ += n;
  }
  void PutCode(std::uint16_t code) {
    if (code < 0x100) {
      *w_++ = static_cast<char>(code);
    } else {
      *w_++ = static_cast<char>(code >> 8);
      *w_++ = static_cast<char>(code & 0xFF);
    }
  }
  void Finish() { out_.resize(Pos()); }

 private:
  std::string& out_;
  char* w_;
  char* end_;
};

std::size_t CodeLength(std::uint16_t code) { return code < 0x100 ? 1 : 2; }

void FoldCp932(std::string_view text, WidthKanaFolds folds, std::string& out, FoldMap* map) {
  const Cp932Tables& t = TablesFor(folds);
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  Writer w(out, n);
  std::size_t i = 0;
  while (i < n) {
    // A run of ASCII goes across in one copy.
    std::size_t j = i;
    while (j < n && s[j] < 0x80) ++j;
    if (j > i) {
      w.Room(j - i + 2);
      w.Put(text.data() + i, j - i);
      i = j;
      if (i >= n) break;
    } else {
      w.Room(2);
    }
    const unsigned char b = s[i];
    if (IsLeadByte(b) && i + 1 < n) {
      const std::uint16_t code = t.twoByte[(b - 0x80) * 256 + s[i + 1]];
      if (code == 0) {
        w.Put(text.data() + i, 2);
      } else {
        if (map != nullptr && code < 0x100) map->Add(w.Pos(), i, 1, 2);
        w.PutCode(code);
      }
      i += 2;
    } else if (b >= 0xA1 && b <= 0xDF && t.half[b - 0xA0] != 0) {
      std::uint16_t code = t.half[b - 0xA0];
      std::size_t used = 1;
      if (i + 1 < n && (s[i + 1] == 0xDE || s[i + 1] == 0xDF)) {
        const std::uint16_t joined =
            s[i + 1] == 0xDE ? t.voiced[b - 0xA0] : t.semiVoiced[b - 0xA0];
        if (joined != 0) {
          code = joined;
          used = 2;
        }
      }
      if (map != nullptr) map->Add(w.Pos(), i, CodeLength(code), used);
      w.PutCode(code);
      i += used;
    } else {
      w.Put(text.data() + i, 1);
      ++i;
    }
  }
  w.Finish();
}

// The bytes of one UTF-8 character of three bytes.
void PutUtf8(Writer& w, char32_t cp) {
  char buf[3];
  if (cp < 0x80) {
    buf[0] = static_cast<char>(cp);
    w.Put(buf, 1);
    return;
  }
  buf[0] = static_cast<char>(0xE0 | (cp >> 12));
  buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
  w.Put(buf, 3);
}

void FoldUtf8(std::string_view text, WidthKanaFolds folds, std::string& out, FoldMap* map) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  Writer w(out, n);
  std::size_t i = 0;
  while (i < n) {
    std::size_t j = i;
    while (j < n && s[j] != 0xE3 && s[j] != 0xEF) ++j;
    if (j > i) {
      // Only U+3000-U+3FFF (lead 0xE3) and U+F000-U+FFFF (0xEF) hold characters that fold;
      // every other byte goes across as it is.
      w.Room(j - i + 6);
      w.Put(text.data() + i, j - i);
      i = j;
      if (i >= n) break;
    } else {
      w.Room(6);
    }
    char32_t cp = 0;
    if (DecodeUtf8(s + i, n - i, cp) != 3) {
      w.Put(text.data() + i, 1);
      ++i;
      continue;
    }
    char32_t folded = FoldCodePoint(cp, folds);
    std::size_t used = 3;
    if (folded != cp && cp >= 0xFF61 && i + 6 <= n) {
      char32_t mark = 0;
      if (DecodeUtf8(s + i + 3, n - i - 3, mark) == 3) {
        if (char32_t joined = FoldHalfWidthPair(cp, mark, folds)) {
          folded = joined;
          used = 6;
        }
      }
    }
    if (folded == cp) {
      w.Put(text.data() + i, 3);
    } else {
      const std::size_t length = folded < 0x80 ? 1 : 3;
      if (map != nullptr && (length != 3 || used != 3)) map->Add(w.Pos(), i, length, used);
      PutUtf8(w, folded);
    }
    i += used;
  }
  w.Finish();
}

}  // namespace

void FoldWidthKana(Charset charset, std::string_view text, WidthKanaFolds folds,
                   std::string& out, FoldMap* map) {
  if (map != nullptr) map->Clear();
  if (!folds.Any()) {
    out.assign(text);
    return;
  }
  if (charset == Charset::Utf8) {
    FoldUtf8(text, folds, out, map);
  } else {
    FoldCp932(text, folds, out, map);
  }
}

std::string FoldWidthKanaCopy(Charset charset, std::string_view text, WidthKanaFolds folds) {
  std::string out;
  FoldWidthKana(charset, text, folds, out, nullptr);
  return out;
}

}  // namespace norra
