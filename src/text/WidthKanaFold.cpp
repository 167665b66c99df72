// Width and kana folds: one rule over code points, and per charset a scan that applies it.
// CP932 reads its two-byte characters through tables built once from the rule, so a text is
// folded in one pass of table look-ups.
#include "text/WidthKanaFold.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "text/Encoding.h"
#include "text/VectorScan.h"

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

void FoldMap::Add(std::size_t folded, std::size_t original, std::size_t foldedLength,
                  std::size_t originalLength) {
  constexpr std::size_t kSpan = 0xFFFFFFFFu;
  if (chunks_.empty() || chunks_.back().changes.size() == kChunkChanges ||
      folded - chunks_.back().foldedBase > kSpan || original - chunks_.back().originalBase > kSpan) {
    chunks_.push_back({folded, original, {}});
    chunks_.back().changes.reserve(kChunkChanges);
  }
  Chunk& c = chunks_.back();
  c.changes.push_back({static_cast<std::uint32_t>(folded - c.foldedBase),
                       static_cast<std::uint32_t>(original - c.originalBase),
                       static_cast<std::uint8_t>(foldedLength),
                       static_cast<std::uint8_t>(originalLength)});
  ++count_;
}

FoldMap::Found FoldMap::At(std::size_t chunk, std::size_t index) const {
  const Chunk& k = chunks_[chunk];
  const Change& c = k.changes[index];
  return {k.foldedBase + c.folded, k.originalBase + c.original, c.foldedLength, c.originalLength,
          true};
}

FoldMap::Found FoldMap::LastAtOrBefore(std::size_t offset, bool byFolded) const {
  auto key = [byFolded](const Found& f) { return byFolded ? f.folded : f.original; };
  // Matches are looked up in text order: first try the change found last and a few after it.
  Hint& hint = hints_[byFolded ? 1 : 0];
  if (hint.chunk < chunks_.size() && hint.index < chunks_[hint.chunk].changes.size() &&
      key(At(hint.chunk, hint.index)) <= offset) {
    for (int step = 0; step < 8; ++step) {
      std::size_t nextChunk = hint.chunk;
      std::size_t nextIndex = hint.index + 1;
      if (nextIndex == chunks_[nextChunk].changes.size()) {
        ++nextChunk;
        nextIndex = 0;
      }
      if (nextChunk == chunks_.size() || key(At(nextChunk, nextIndex)) > offset) {
        return At(hint.chunk, hint.index);
      }
      hint = {nextChunk, nextIndex};
    }
  }
  auto chunk = std::upper_bound(chunks_.begin(), chunks_.end(), offset,
                                [byFolded](std::size_t o, const Chunk& c) {
                                  return o < (byFolded ? c.foldedBase : c.originalBase);
                                });
  if (chunk == chunks_.begin()) return {};
  --chunk;
  const std::size_t base = byFolded ? chunk->foldedBase : chunk->originalBase;
  const std::size_t relative = offset - base;
  auto it = std::upper_bound(chunk->changes.begin(), chunk->changes.end(), relative,
                             [byFolded](std::size_t o, const Change& c) {
                               return o < (byFolded ? c.folded : c.original);
                             });
  // The chunk's first change is at its base, so `it` is past it.
  hint = {static_cast<std::size_t>(chunk - chunks_.begin()),
          static_cast<std::size_t>(it - chunk->changes.begin()) - 1};
  return At(hint.chunk, hint.index);
}

std::size_t FoldMap::ToOriginal(std::size_t folded) const {
  const Found c = LastAtOrBefore(folded, true);
  if (!c.any) return folded;
  if (folded == c.folded) return c.original;
  if (folded < c.folded + c.foldedLength) return c.original + c.originalLength;
  return c.original + c.originalLength + (folded - c.folded - c.foldedLength);
}

std::size_t FoldMap::ToFolded(std::size_t original) const {
  const Found c = LastAtOrBefore(original, false);
  if (!c.any) return original;
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
// Written over the text it reads (in place), it is told before each write how far the text is
// read; a write that would reach bytes not yet read moves it to a string of its own, the bytes
// written so far with it.
class Writer {
 public:
  Writer(std::string& out, std::size_t expected) : out_(out), target_(&out) {
    out_.resize(expected + expected / 8 + 16);
    w_ = out_.data();
    end_ = w_ + out_.size();
  }
  struct InPlace {};
  Writer(std::string& text, InPlace)
      : out_(text), target_(&text), w_(text.data()), end_(w_ + text.size()), inPlace_(true) {}
  std::size_t Pos() const { return static_cast<std::size_t>(w_ - target_->data()); }
  // n more bytes are to be written while bytes from readTo on are still to be read.
  void Guard(std::size_t readTo, std::size_t n) {
    if (inPlace_ && Pos() + n > readTo) Detach();
  }
  void Room(std::size_t n) {
    if (inPlace_ || static_cast<std::size_t>(end_ - w_) >= n) return;
    const std::size_t pos = Pos();
    target_->resize(target_->size() + target_->size() / 2 + n);
    w_ = target_->data() + pos;
    end_ = target_->data() + target_->size();
  }
  void Put(const char* bytes, std::size_t n) {
    if (bytes != w_) std::memmove(w_, bytes, n);
    w_ += n;
  }
  // Where the next bytes go, for a caller that writes them itself (after Room) and then
  // passes them with Advance.
  char* Raw() { return w_; }
  void Advance(std::size_t n) { w_ += n; }
  void PutCode(std::uint16_t code) {
    if (code < 0x100) {
      *w_++ = static_cast<char>(code);
    } else {
      *w_++ = static_cast<char>(code >> 8);
      *w_++ = static_cast<char>(code & 0xFF);
    }
  }
  void Finish() {
    target_->resize(Pos());
    if (target_ != &out_) out_.swap(own_);
  }

 private:
  void Detach() {
    const std::size_t pos = Pos();
    own_.resize(out_.size() + out_.size() / 8 + 16);
    std::memcpy(own_.data(), out_.data(), pos);
    target_ = &own_;
    w_ = own_.data() + pos;
    end_ = own_.data() + own_.size();
    inPlace_ = false;
  }

  std::string& out_;
  std::string* target_;
  std::string own_;
  char* w_;
  char* end_;
  bool inPlace_ = false;
};

std::size_t CodeLength(std::uint16_t code) { return code < 0x100 ? 1 : 2; }

// One character of CP932 text at i (avail bytes readable from there) as it folds: the code of
// its folded form (0 when it stays) and the bytes it takes, two for a half-width katakana
// joined with its mark.
struct FoldedChar {
  std::uint16_t code = 0;
  std::uint8_t used = 1;
  bool mapped = false;  // its length or its number of characters changes
};

inline FoldedChar FoldCp932At(const Cp932Tables& t, const unsigned char* s, std::size_t avail) {
  FoldedChar c;
  const unsigned char b = s[0];
  if (IsLeadByte(b) && avail >= 2) {
    c.used = 2;
    c.code = t.twoByte[(b - 0x80) * 256 + s[1]];
    c.mapped = c.code != 0 && c.code < 0x100;
  } else if (b >= 0xA1 && b <= 0xDF && t.half[b - 0xA0] != 0) {
    c.code = t.half[b - 0xA0];
    if (avail >= 2 && (s[1] == 0xDE || s[1] == 0xDF)) {
      const std::uint16_t joined = s[1] == 0xDE ? t.voiced[b - 0xA0] : t.semiVoiced[b - 0xA0];
      if (joined != 0) {
        c.code = joined;
        c.used = 2;
      }
    }
    c.mapped = true;
  }
  return c;
}

// Folds characters from i while i < end (a character may run past end) and returns where it
// stopped.
std::size_t FoldCp932Scalar(const Cp932Tables& t, std::string_view text, std::size_t i,
                            std::size_t end, Writer& w, FoldMap* map) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  while (i < end) {
    // A run of ASCII goes across in one copy.
    std::size_t j = i;
    while (j < end && s[j] < 0x80) ++j;
    if (j > i) {
      w.Room(j - i + 2);
      w.Put(text.data() + i, j - i);
      i = j;
      if (i >= end) break;
    } else {
      w.Room(2);
    }
    const FoldedChar c = FoldCp932At(t, s + i, n - i);
    if (c.code == 0) {
      w.Put(text.data() + i, c.used);
    } else {
      w.Guard(i + c.used, CodeLength(c.code));
      if (map != nullptr && c.mapped) map->Add(w.Pos(), i, CodeLength(c.code), c.used);
      w.PutCode(c.code);
    }
    i += c.used;
  }
  return i;
}

#if defined(__SSE2__)

// What one 64-byte block holds, a bit per byte.
struct FoldBits {
  std::uint64_t lead = 0;   // a byte of the lead-byte ranges
  std::uint64_t pair = 0;   // a lead byte whose character may fold to another length
  std::uint64_t half = 0;   // a half-width katakana byte (a character only after no lead)
  std::uint64_t hira1 = 0;  // ぁ-み: lead 0x82, trail 0x9F-0xDD
  std::uint64_t hira2 = 0;  // む-ん: trail 0xDE-0xF1
};

inline FoldBits ScanFoldBlock(const unsigned char* p, WidthKanaFolds folds) {
  FoldBits bits;
  const unsigned char halfFirst = folds.width ? 0xA1 : 0xA6;
  for (int k = 0; k < 4; ++k) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
    const __m128i lead = _mm_or_si128(InRange(a, 0x81, 0x9F), InRange(a, 0xE0, 0xFC));
    __m128i pair = _mm_setzero_si128();
    __m128i hira1 = _mm_setzero_si128();
    __m128i hira2 = _mm_setzero_si128();
    if (folds.width) {
      // Full-width ASCII and the ideographic space (and ＇＂ in their IBM and NEC rows).
      // Row 0x81 less the marks a Japanese text is full of (、。・゛゜ー「」『』), which stay.
      const __m128i common = _mm_or_si128(
          _mm_or_si128(InRange(b, 0x41, 0x42), InRange(b, 0x45, 0x45)),
          _mm_or_si128(_mm_or_si128(InRange(b, 0x4A, 0x4B), InRange(b, 0x5B, 0x5B)),
                       InRange(b, 0x75, 0x78)));
      pair = _mm_or_si128(
          _mm_or_si128(_mm_andnot_si128(common, PairIn(a, b, 0x81, 0x40, 0x97)),
                       PairIn(a, b, 0x82, 0x4F, 0x9A)),
          _mm_or_si128(PairIn(a, b, 0xEE, 0xFB, 0xFC), PairIn(a, b, 0xFA, 0x56, 0x57)));
    }
    if (folds.kana) {
      pair = _mm_or_si128(pair, PairIn(a, b, 0x81, 0x54, 0x55));  // ゝゞ
      hira1 = PairIn(a, b, 0x82, 0x9F, 0xDD);
      hira2 = PairIn(a, b, 0x82, 0xDE, 0xF1);
    }
    const __m128i half = InRange(a, halfFirst, 0xDF);
    const int shift = 16 * k;
    auto bitsOf = [](__m128i m) {
      return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(m))};
    };
    bits.lead |= bitsOf(lead) << shift;
    bits.pair |= bitsOf(pair) << shift;
    bits.half |= bitsOf(half) << shift;
    bits.hira1 |= bitsOf(hira1) << shift;
    bits.hira2 |= bitsOf(hira2) << shift;
  }
  return bits;
}

// Hiragana to katakana in place, eight bytes at a time: the lead byte 0x82 becomes 0x83 and
// the trail byte drops by 0x5F (by 0x5E from む on, katakana skipping the trail byte 0x7F).
inline void KanaBlock(unsigned char* block, std::uint64_t hira1, std::uint64_t hira2) {
  const std::uint64_t leads = hira1 | hira2;
  for (int w = 0; w < 8; ++w) {
    const unsigned l = static_cast<unsigned>(leads >> (8 * w)) & 0xFF;
    const unsigned t1 = static_cast<unsigned>((hira1 << 1) >> (8 * w)) & 0xFF;
    const unsigned t2 = static_cast<unsigned>((hira2 << 1) >> (8 * w)) & 0xFF;
    if ((l | t1 | t2) == 0) continue;
    std::uint64_t v;
    std::memcpy(&v, block + 8 * w, 8);
    // No byte carries into the next: 0x82 + 1 and a trail of 0x9F or more less 0x5F.
    v += SpreadBits(l) >> 7;
    v -= (SpreadBits(t1) >> 7) * 0x5F;
    v -= (SpreadBits(t2) >> 7) * 0x5E;
    std::memcpy(block + 8 * w, &v, 8);
  }
}

// The 64 bytes at p with their hiragana folded, to out (which may overlap p: all of p is read
// first).
inline void KanaBlockTo(const unsigned char* p, std::uint64_t hira1, std::uint64_t hira2,
                        unsigned char* out) {
  unsigned char block[64];
  std::memcpy(block, p, 64);
  KanaBlock(block, hira1, hira2);
  std::memcpy(out, block, 64);
}

// Folds whole 64-byte blocks and returns where the scalar loop goes on (a character start).
// Hiragana folds in place; the characters that change length are folded one by one between
// copies of the bytes around them.
template <typename Scan, typename Kana>
inline std::size_t FoldCp932BlocksWith(Scan scan, Kana kanaTo, const Cp932Tables& t,
                                       std::string_view text, WidthKanaFolds folds, Writer& w,
                                       FoldMap* map) {
  constexpr std::uint64_t kEven = 0x5555555555555555ULL;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  unsigned char buf[80];
  while (i + 66 <= n) {  // a block reads two bytes past its end
    const unsigned char* p = s + i;
    const FoldBits bits = scan(p, folds);
    // Which lead-range bytes start characters, as the case mapping finds them.
    const std::uint64_t runStarts = bits.lead & ~(bits.lead << 1);
    const std::uint64_t evenRuns = bits.lead & ~(bits.lead + (runStarts & kEven));
    const std::uint64_t actingLead = (evenRuns & kEven) | (bits.lead & ~evenRuns & ~kEven);
    std::size_t end = 64 + (actingLead >> 63);
    std::uint64_t hira1 = bits.hira1 & actingLead;
    std::uint64_t hira2 = bits.hira2 & actingLead;
    std::uint64_t cand = (bits.pair & actingLead) | (bits.half & ~(actingLead << 1));
    constexpr std::uint64_t kLast = std::uint64_t{1} << 63;
    if ((hira1 | hira2) & kLast) {  // its trail byte lies in the next block
      cand |= kLast;
      hira1 &= ~kLast;
      hira2 &= ~kLast;
    }
    w.Room(2 * 66);
    if (cand == 0) {
      // Nothing changes length: the block goes across as it is or with its kana folded. Over
      // the text itself the copy never runs ahead of the reading, so nothing unread is hit.
      if ((hira1 | hira2) == 0) {
        w.Put(text.data() + i, end);
      } else {
        kanaTo(p, hira1, hira2, reinterpret_cast<unsigned char*>(w.Raw()));
        w.Advance(64);
        if (end > 64) w.Put(text.data() + i + 64, end - 64);
      }
      i += end;
      continue;
    }
    kanaTo(p, hira1, hira2, buf);
    buf[64] = p[64];
    buf[65] = p[65];
    std::size_t seg = 0;
    for (std::uint64_t m = cand; m != 0; m &= m - 1) {
      const std::size_t at = static_cast<std::size_t>(__builtin_ctzll(m));
      if (at < seg) continue;  // the mark of a joined pair
      const FoldedChar c = FoldCp932At(t, buf + at, std::min<std::size_t>(66, n - i) - at);
      if (c.code == 0) continue;
      // The block is read (into buf); the next one begins where this one ends.
      w.Guard(i + std::max(end, at + c.used), at - seg + CodeLength(c.code));
      w.Put(reinterpret_cast<const char*>(buf) + seg, at - seg);
      if (map != nullptr && c.mapped) map->Add(w.Pos(), i + at, CodeLength(c.code), c.used);
      w.PutCode(c.code);
      seg = at + c.used;
    }
    if (seg > end) end = seg;
    w.Guard(i + end, end - seg);
    w.Put(reinterpret_cast<const char*>(buf) + seg, end - seg);
    i += end;
  }
  return i;
}

std::size_t FoldCp932Blocks(const Cp932Tables& t, std::string_view text, WidthKanaFolds folds,
                            Writer& w, FoldMap* map) {
  return FoldCp932BlocksWith(ScanFoldBlock, KanaBlockTo, t, text, folds, w, map);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define NORRA_AVX2_FOLD 1

// The scan 32 bytes at a time on processors with AVX2 (checked at run time): with lead bytes
// in nearly every block of a Japanese text, the scan is most of the work.
__attribute__((target("avx2"))) inline FoldBits ScanFoldBlock32(const unsigned char* p,
                                                                WidthKanaFolds folds) {
  FoldBits bits;
  const unsigned char halfFirst = folds.width ? 0xA1 : 0xA6;
  for (int k = 0; k < 2; ++k) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k + 1));
    const __m256i lead = _mm256_or_si256(InRange32(a, 0x81, 0x9F), InRange32(a, 0xE0, 0xFC));
    __m256i pair = _mm256_setzero_si256();
    __m256i hira1 = _mm256_setzero_si256();
    __m256i hira2 = _mm256_setzero_si256();
    if (folds.width) {
      const __m256i common = _mm256_or_si256(
          _mm256_or_si256(InRange32(b, 0x41, 0x42), InRange32(b, 0x45, 0x45)),
          _mm256_or_si256(_mm256_or_si256(InRange32(b, 0x4A, 0x4B), InRange32(b, 0x5B, 0x5B)),
                          InRange32(b, 0x75, 0x78)));
      pair = _mm256_or_si256(
          _mm256_or_si256(_mm256_andnot_si256(common, PairIn32(a, b, 0x81, 0x40, 0x97)),
                          PairIn32(a, b, 0x82, 0x4F, 0x9A)),
          _mm256_or_si256(PairIn32(a, b, 0xEE, 0xFB, 0xFC), PairIn32(a, b, 0xFA, 0x56, 0x57)));
    }
    if (folds.kana) {
      pair = _mm256_or_si256(pair, PairIn32(a, b, 0x81, 0x54, 0x55));
      hira1 = PairIn32(a, b, 0x82, 0x9F, 0xDD);
      hira2 = PairIn32(a, b, 0x82, 0xDE, 0xF1);
    }
    const __m256i half = InRange32(a, halfFirst, 0xDF);
    const int shift = 32 * k;
    auto bitsOf = [](__m256i m) __attribute__((target("avx2"))) {
      return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(m))};
    };
    bits.lead |= bitsOf(lead) << shift;
    bits.pair |= bitsOf(pair) << shift;
    bits.half |= bitsOf(half) << shift;
    bits.hira1 |= bitsOf(hira1) << shift;
    bits.hira2 |= bitsOf(hira2) << shift;
  }
  return bits;
}

// Byte i of the result is 0xFF when bit i of the mask is set, else 0.
__attribute__((target("avx2"))) inline __m256i BytesOfBits32(std::uint32_t mask) {
  const __m256i spread = _mm256_shuffle_epi8(
      _mm256_set1_epi32(static_cast<int>(mask)),
      _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3,
                       3, 3, 3, 3, 3, 3, 3));
  const __m256i bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201ULL));
  return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
}

// The hiragana fold of KanaBlock, 32 bytes at a time.
__attribute__((target("avx2"))) inline void KanaBlockTo32(const unsigned char* p,
                                                          std::uint64_t hira1,
                                                          std::uint64_t hira2,
                                                          unsigned char* out) {
  const std::uint64_t leads = hira1 | hira2;
  const std::uint64_t trails1 = hira1 << 1;
  const std::uint64_t trails2 = hira2 << 1;
  __m256i v[2];
  for (int k = 0; k < 2; ++k) {
    const int shift = 32 * k;
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
    const __m256i up = _mm256_and_si256(BytesOfBits32(static_cast<std::uint32_t>(leads >> shift)),
                                        _mm256_set1_epi8(1));
    const __m256i down = _mm256_or_si256(
        _mm256_and_si256(BytesOfBits32(static_cast<std::uint32_t>(trails1 >> shift)),
                         _mm256_set1_epi8(0x5F)),
        _mm256_and_si256(BytesOfBits32(static_cast<std::uint32_t>(trails2 >> shift)),
                         _mm256_set1_epi8(0x5E)));
    v[k] = _mm256_sub_epi8(_mm256_add_epi8(a, up), down);
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), v[0]);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), v[1]);
}

__attribute__((target("avx2"))) std::size_t FoldCp932Blocks32(const Cp932Tables& t,
                                                              std::string_view text,
                                                              WidthKanaFolds folds, Writer& w,
                                                              FoldMap* map) {
  return FoldCp932BlocksWith(ScanFoldBlock32, KanaBlockTo32, t, text, folds, w, map);
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

#endif

void FoldCp932(std::string_view text, WidthKanaFolds folds, Writer& w, FoldMap* map) {
  const Cp932Tables& t = TablesFor(folds);
  std::size_t i = 0;
#if defined(NORRA_AVX2_FOLD)
  i = HasAvx2() ? FoldCp932Blocks32(t, text, folds, w, map) : FoldCp932Blocks(t, text, folds, w, map);
#elif defined(__SSE2__)
  i = FoldCp932Blocks(t, text, folds, w, map);
#endif
  FoldCp932Scalar(t, text, i, text.size(), w, map);
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

void FoldUtf8(std::string_view text, WidthKanaFolds folds, Writer& w, FoldMap* map) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
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
      w.Guard(i + used, length);
      if (map != nullptr && (length != 3 || used != 3)) map->Add(w.Pos(), i, length, used);
      PutUtf8(w, folded);
    }
    i += used;
  }
}

}  // namespace

void FoldWidthKana(Charset charset, std::string_view text, WidthKanaFolds folds,
                   std::string& out, FoldMap* map) {
  if (map != nullptr) map->Clear();
  if (!folds.Any()) {
    out.assign(text);
    return;
  }
  Writer w(out, text.size());
  if (charset == Charset::Utf8) {
    FoldUtf8(text, folds, w, map);
  } else {
    FoldCp932(text, folds, w, map);
  }
  w.Finish();
}

void FoldWidthKanaInPlace(Charset charset, std::string& text, WidthKanaFolds folds,
                          FoldMap* map) {
  if (map != nullptr) map->Clear();
  if (!folds.Any()) return;
  Writer w(text, Writer::InPlace{});
  if (charset == Charset::Utf8) {
    FoldUtf8(text, folds, w, map);
  } else {
    FoldCp932(text, folds, w, map);
  }
  w.Finish();
}

std::string FoldWidthKanaCopy(Charset charset, std::string_view text, WidthKanaFolds folds) {
  std::string out;
  FoldWidthKana(charset, text, folds, out, nullptr);
  return out;
}

}  // namespace norra
