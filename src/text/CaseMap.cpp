// Length-preserving case mapping of CP932 text: 64 bytes at a time where SSE2 is available,
// scanned 32 bytes a step where AVX2 is.
#include "text/CaseMap.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NORRA_AVX2_CASE 1
#endif

#include "text/Cp932.h"
#include "text/VectorScan.h"

namespace norra {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline constexpr void SetPair(unsigned char* p, unsigned lead, unsigned trail) {
  p[0] = static_cast<unsigned char>(lead);
  p[1] = static_cast<unsigned char>(trail);
}

constexpr void UpperPair(unsigned char* p) {
  const unsigned t = p[1];
  switch (p[0]) {
    case 0x82:  // ａ-ｚ → Ａ-Ｚ
      if (t >= 0x81 && t <= 0x9A) p[1] = static_cast<unsigned char>(t - 0x21);
      break;
    case 0x83:  // α-ω → Α-Ω
      if (t >= 0xBF && t <= 0xD6) p[1] = static_cast<unsigned char>(t - 0x20);
      break;
    case 0x84:  // а-я → А-Я; the lower-case run skips the trail byte 0x7F
      if (t >= 0x70 && t <= 0x7E) {
        p[1] = static_cast<unsigned char>(t - 0x30);
      } else if (t >= 0x80 && t <= 0x91) {
        p[1] = static_cast<unsigned char>(t - 0x31);
      }
      break;
    case 0xEE:  // ⅰ-ⅹ (NEC-selected copy) → Ⅰ-Ⅹ
      if (t >= 0xEF && t <= 0xF8) SetPair(p, 0x87, 0x54 + (t - 0xEF));
      break;
    case 0xFA:  // ⅰ-ⅹ, and the IBM copy of Ⅰ-Ⅹ → Ⅰ-Ⅹ
      if (t >= 0x40 && t <= 0x49) {
        SetPair(p, 0x87, 0x54 + (t - 0x40));
      } else if (t >= 0x4A && t <= 0x53) {
        SetPair(p, 0x87, 0x54 + (t - 0x4A));
      }
      break;
    default:
      break;
  }
}

constexpr void LowerPair(unsigned char* p) {
  const unsigned t = p[1];
  switch (p[0]) {
    case 0x82:
      if (t >= 0x60 && t <= 0x79) p[1] = static_cast<unsigned char>(t + 0x21);
      break;
    case 0x83:
      if (t >= 0x9F && t <= 0xB6) p[1] = static_cast<unsigned char>(t + 0x20);
      break;
    case 0x84:
      if (t >= 0x40 && t <= 0x4E) {
        p[1] = static_cast<unsigned char>(t + 0x30);
      } else if (t >= 0x4F && t <= 0x60) {
        p[1] = static_cast<unsigned char>(t + 0x31);
      }
      break;
    case 0x87:  // Ⅰ-Ⅹ → ⅰ-ⅹ
      if (t >= 0x54 && t <= 0x5D) SetPair(p, 0xFA, 0x40 + (t - 0x54));
      break;
    case 0xFA:  // IBM copy of Ⅰ-Ⅹ → ⅰ-ⅹ
      if (t >= 0x4A && t <= 0x53) SetPair(p, 0xFA, 0x40 + (t - 0x4A));
      break;
    case 0xEE:  // NEC-selected copy of ⅰ-ⅹ → the preferred encoding
      if (t >= 0xEF && t <= 0xF8) SetPair(p, 0xFA, 0x40 + (t - 0xEF));
      break;
    default:
      break;
  }
}

// Lead bytes of two-byte characters that have a case partner (or a second encoding), each
// with a row of the XOR table; row 0 changes nothing.
constexpr unsigned kCasedLeadList[] = {0x82, 0x83, 0x84, 0x87, 0xEE, 0xFA};
constexpr unsigned kRows = 1 + std::size(kCasedLeadList);

// The case mapping as tables: the step (2 for a lead byte), the XOR for a single-byte
// character, and per cased lead byte and trail byte the XOR of the pair (lead in the high byte).
struct CaseTables {
  std::array<unsigned char, 256> step{};
  std::array<unsigned char, 256> singleXor{};
  std::array<unsigned char, 256> row{};
  std::array<std::array<std::uint16_t, 256>, kRows> pairXor{};
};

template <bool Upper>
constexpr CaseTables MakeCaseTables() {
  CaseTables t;
  for (unsigned c = 0; c < 256; ++c) {
    const bool lead = IsLeadByte(static_cast<unsigned char>(c));
    t.step[c] = lead ? 2 : 1;
    const unsigned first = Upper ? 'a' : 'A';
    t.singleXor[c] = !lead && c - first < 26u ? 0x20 : 0;
  }
  for (unsigned r = 1; r < kRows; ++r) {
    const unsigned lead = kCasedLeadList[r - 1];
    t.row[lead] = static_cast<unsigned char>(r);
    for (unsigned trail = 0; trail < 256; ++trail) {
      unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      if constexpr (Upper) {
        UpperPair(pair);
      } else {
        LowerPair(pair);
      }
      t.pairXor[r][trail] = static_cast<std::uint16_t>((pair[0] ^ lead) << 8 | (pair[1] ^ trail));
    }
  }
  return t;
}

constexpr CaseTables kUpperTables = MakeCaseTables<true>();
constexpr CaseTables kLowerTables = MakeCaseTables<false>();

// Eight ASCII bytes at once: bytes in [first, first+25] get bit 0x20 flipped. Each byte is
// below 0x80 and each addend below 0x80, so no carry crosses into the next byte.
template <unsigned char First>
inline std::uint64_t FlipAsciiLetters(std::uint64_t v) {
  const std::uint64_t atLeastFirst = v + kOnes * (0x80 - First);
  const std::uint64_t pastLast = v + kOnes * (0x80 - (First + 26));
  return v ^ (((atLeastFirst & ~pastLast) & kHighBits) >> 2);
}

#if defined(__SSE2__)

struct BlockBits {
  std::uint64_t high = 0;    // byte >= 0x80
  std::uint64_t lead = 0;    // byte in the lead-byte ranges
  std::uint64_t letter = 0;  // ASCII letter of the case being changed
  std::uint64_t pair = 0;    // cased lead byte followed by a trail byte that may change
};

template <bool Upper>
inline BlockBits ScanBlock(const unsigned char* p) {
  BlockBits bits;
  for (int k = 0; k < 4; ++k) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
    const __m128i lead = _mm_or_si128(InRange(a, 0x81, 0x9F), InRange(a, 0xE0, 0xFC));
    const __m128i letter = Upper ? InRange(a, 'a', 'z') : InRange(a, 'A', 'Z');
    __m128i pair;
    if constexpr (Upper) {
      pair = _mm_or_si128(
          _mm_or_si128(PairIn(a, b, 0x82, 0x81, 0x9A), PairIn(a, b, 0x83, 0xBF, 0xD6)),
          _mm_or_si128(PairIn(a, b, 0x84, 0x70, 0x91),
                       _mm_or_si128(PairIn(a, b, 0xEE, 0xEF, 0xF8), PairIn(a, b, 0xFA, 0x40, 0x53))));
    } else {
      pair = _mm_or_si128(
          _mm_or_si128(PairIn(a, b, 0x82, 0x60, 0x79), PairIn(a, b, 0x83, 0x9F, 0xB6)),
          _mm_or_si128(
              _mm_or_si128(PairIn(a, b, 0x84, 0x40, 0x60), PairIn(a, b, 0x87, 0x54, 0x5D)),
              _mm_or_si128(PairIn(a, b, 0xEE, 0xEF, 0xF8), PairIn(a, b, 0xFA, 0x4A, 0x53))));
    }
    const int shift = 16 * k;
    bits.high |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(a))} << shift;
    bits.lead |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(lead))} << shift;
    bits.letter |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(letter))} << shift;
    bits.pair |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(pair))} << shift;
  }
  return bits;
}

// Maps one 64-byte block from its bits and returns how far the next block starts (a character
// start). Which bytes start characters follows from the lead-byte bits alone: a byte after a
// non-lead byte starts one, and within a run of lead-range bytes every other byte acts as the
// lead, counting from the run's first byte. A run starting at an even bit is found by adding
// its first bit, which carries through the run and clears it.
template <bool Upper>
inline std::size_t MapBlock(unsigned char* block, const BlockBits& bits) {
  constexpr unsigned char kFirst = Upper ? 'a' : 'A';
  constexpr std::uint64_t kEven = 0x5555555555555555ULL;
  const CaseTables& t = Upper ? kUpperTables : kLowerTables;
  if (bits.high == 0) {
    for (int w = 0; w < 8; ++w) {
      std::uint64_t v;
      std::memcpy(&v, block + 8 * w, 8);
      v = FlipAsciiLetters<kFirst>(v);
      std::memcpy(block + 8 * w, &v, 8);
    }
    return 64;
  }
  const std::uint64_t runStarts = bits.lead & ~(bits.lead << 1);
  const std::uint64_t evenRuns = bits.lead & ~(bits.lead + (runStarts & kEven));
  const std::uint64_t actingLead = (evenRuns & kEven) | (bits.lead & ~evenRuns & ~kEven);
  // Letters are flipped eight bytes at a time: a text mixing ASCII words with Japanese has
  // too many of them for a branch per letter.
  if (const std::uint64_t flip = bits.letter & ~(actingLead << 1); flip != 0) {
    for (int w = 0; w < 8; ++w) {
      std::uint64_t v;
      std::memcpy(&v, block + 8 * w, 8);
      v ^= SpreadBits(static_cast<unsigned>(flip >> (8 * w)) & 0xFF) >> 2;  // 0x80 >> 2 = 0x20
      std::memcpy(block + 8 * w, &v, 8);
    }
  }
  for (std::uint64_t m = bits.pair & actingLead; m != 0; m &= m - 1) {
    unsigned char* c = block + __builtin_ctzll(m);
    const std::uint16_t x = t.pairXor[t.row[c[0]]][c[1]];
    c[0] ^= static_cast<unsigned char>(x >> 8);
    c[1] ^= static_cast<unsigned char>(x);
  }
  return 64 + (actingLead >> 63);  // a lead byte at the end takes the next block's first byte
}

// Maps whole 64-byte blocks and returns where the scalar loop goes on (a character start).
template <bool Upper>
std::size_t MapBlocks(unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  while (i + 65 <= n) i += MapBlock<Upper>(p + i, ScanBlock<Upper>(p + i));  // reads a byte past
  return i;
}

#if defined(NORRA_AVX2_CASE)

// The same scan 32 bytes at a time, on processors that have AVX2 (checked at run time): a
// Japanese text has lead bytes in nearly every block, so the scan is most of the work.
template <bool Upper>
__attribute__((target("avx2"))) inline BlockBits ScanBlock32(const unsigned char* p) {
  BlockBits bits;
  for (int k = 0; k < 2; ++k) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k + 1));
    const __m256i lead = _mm256_or_si256(InRange32(a, 0x81, 0x9F), InRange32(a, 0xE0, 0xFC));
    const __m256i letter = Upper ? InRange32(a, 'a', 'z') : InRange32(a, 'A', 'Z');
    __m256i pair;
    if constexpr (Upper) {
      pair = _mm256_or_si256(
          _mm256_or_si256(PairIn32(a, b, 0x82, 0x81, 0x9A), PairIn32(a, b, 0x83, 0xBF, 0xD6)),
          _mm256_or_si256(
              PairIn32(a, b, 0x84, 0x70, 0x91),
              _mm256_or_si256(PairIn32(a, b, 0xEE, 0xEF, 0xF8), PairIn32(a, b, 0xFA, 0x40, 0x53))));
    } else {
      pair = _mm256_or_si256(
          _mm256_or_si256(PairIn32(a, b, 0x82, 0x60, 0x79), PairIn32(a, b, 0x83, 0x9F, 0xB6)),
          _mm256_or_si256(
              _mm256_or_si256(PairIn32(a, b, 0x84, 0x40, 0x60), PairIn32(a, b, 0x87, 0x54, 0x5D)),
              _mm256_or_si256(PairIn32(a, b, 0xEE, 0xEF, 0xF8), PairIn32(a, b, 0xFA, 0x4A, 0x53))));
    }
    const int shift = 32 * k;
    bits.high |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(a))} << shift;
    bits.lead |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(lead))} << shift;
    bits.letter |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(letter))} << shift;
    bits.pair |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(pair))} << shift;
  }
  return bits;
}

template <bool Upper>
__attribute__((target("avx2"))) std::size_t MapBlocks32(unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  while (i + 65 <= n) i += MapBlock<Upper>(p + i, ScanBlock32<Upper>(p + i));
  return i;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

#else

template <bool Upper>
std::size_t MapBlocks(unsigned char*, std::size_t) {
  return 0;
}

#endif

template <bool Upper>
void MapCase(unsigned char* p, std::size_t n) {
  constexpr unsigned char kFirst = Upper ? 'a' : 'A';
  const CaseTables& t = Upper ? kUpperTables : kLowerTables;
#if defined(NORRA_AVX2_CASE)
  std::size_t i = HasAvx2() ? MapBlocks32<Upper>(p, n) : MapBlocks<Upper>(p, n);
#else
  std::size_t i = MapBlocks<Upper>(p, n);
#endif
  while (i + 1 < n) {
    const unsigned c = p[i];
    if (c < 0x80) {
      if (i + 8 <= n) {
        std::uint64_t v;
        std::memcpy(&v, p + i, 8);
        if ((v & kHighBits) == 0) {
          v = FlipAsciiLetters<kFirst>(v);
          std::memcpy(p + i, &v, 8);
          i += 8;
          continue;
        }
      }
      p[i] ^= t.singleXor[c];
      ++i;
      continue;
    }
    // A byte from 0x80 up: a two-byte character when it is a lead byte (whatever follows),
    // else a single byte with no case.
    const std::uint16_t x = t.pairXor[t.row[c]][p[i + 1]];
    if (x != 0) {
      p[i] ^= static_cast<unsigned char>(x >> 8);
      p[i + 1] ^= static_cast<unsigned char>(x);
    }
    i += t.step[c];
  }
  if (i < n) p[i] ^= t.singleXor[p[i]];  // a last byte alone (a lead byte there stays)
}

}  // namespace

void ToUpperCp932(char* data, std::size_t size) {
  MapCase<true>(reinterpret_cast<unsigned char*>(data), size);
}

void ToLowerCp932(char* data, std::size_t size) {
  MapCase<false>(reinterpret_cast<unsigned char*>(data), size);
}

void ToUpperCp932(std::string& text) { ToUpperCp932(text.data(), text.size()); }

void ToLowerCp932(std::string& text) { ToLowerCp932(text.data(), text.size()); }

std::string ToUpperCp932(std::string_view text) {
  std::string result(text);
  ToUpperCp932(result);
  return result;
}

std::string ToLowerCp932(std::string_view text) {
  std::string result(text);
  ToLowerCp932(result);
  return result;
}

std::string ToUpperCp932Copy(std::string_view text) { return ToUpperCp932(text); }

char32_t UpperOf(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') return cp - 0x20;
  if (cp < 0x3B1) return cp;
  if ((cp >= 0x3B1 && cp <= 0x3C1) || (cp >= 0x3C3 && cp <= 0x3C9)) return cp - 0x20;  // Greek
  if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;                                   // а-я
  if (cp == 0x451) return 0x401;                                                      // ё
  if (cp >= 0x2170 && cp <= 0x2179) return cp - 0x10;                                 // ⅰ-ⅹ
  if (cp >= 0xFF41 && cp <= 0xFF5A) return cp - 0x20;                                 // ａ-ｚ
  return cp;
}

char32_t LowerOf(char32_t cp) {
  if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
  if (cp < 0x391) return cp;
  if ((cp >= 0x391 && cp <= 0x3A1) || (cp >= 0x3A3 && cp <= 0x3A9)) return cp + 0x20;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
  if (cp == 0x401) return 0x451;
  if (cp >= 0x2160 && cp <= 0x2169) return cp + 0x10;
  if (cp >= 0xFF21 && cp <= 0xFF3A) return cp + 0x20;
  return cp;
}

namespace {

// Lead bytes of the multi-byte characters in the set: Greek (CE, CF), Cyrillic (D0, D1), the
// Roman numerals (E2) and the full-width letters (EF). Such a byte never continues a
// character, so the text can be scanned byte by byte without stepping characters.
constexpr bool IsCasedUtf8Lead(unsigned c) {
  return c == 0xCE || c == 0xCF || c == 0xD0 || c == 0xD1 || c == 0xE2 || c == 0xEF;
}

template <bool Upper>
inline void MapUtf8At(unsigned char* p, std::size_t avail) {
  char32_t cp = 0;
  const int length = DecodeUtf8(p, avail, cp);
  if (length < 2) return;
  const char32_t mapped = Upper ? UpperOf(cp) : LowerOf(cp);
  if (mapped == cp) return;
  if (length == 2) {
    p[0] = static_cast<unsigned char>(0xC0 | (mapped >> 6));
    p[1] = static_cast<unsigned char>(0x80 | (mapped & 0x3F));
  } else {
    p[0] = static_cast<unsigned char>(0xE0 | (mapped >> 12));
    p[1] = static_cast<unsigned char>(0x80 | ((mapped >> 6) & 0x3F));
    p[2] = static_cast<unsigned char>(0x80 | (mapped & 0x3F));
  }
}

#if defined(NORRA_AVX2_CASE)

// The same scan as below, 32 bytes a step, on processors that have AVX2.
template <bool Upper>
__attribute__((target("avx2"))) std::size_t MapUtf8Blocks32(unsigned char* p, std::size_t n) {
  constexpr unsigned char kFirst = Upper ? 'a' : 'A';
  constexpr unsigned char kRomanThird = Upper ? 0xB0 : 0xA0;
  constexpr unsigned char kWideSecond = Upper ? 0xBD : 0xBC;
  constexpr unsigned char kWideThird = Upper ? 0x81 : 0xA1;
  std::size_t i = 0;
  while (i + 34 <= n) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 1));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 2));
    const __m256i letter = InRange32(a, kFirst, kFirst + 25);
    const __m256i pair = _mm256_and_si256(a, _mm256_set1_epi8(static_cast<char>(0xFE)));
    const __m256i twoByte =
        _mm256_or_si256(_mm256_cmpeq_epi8(pair, _mm256_set1_epi8(static_cast<char>(0xCE))),
                        _mm256_cmpeq_epi8(pair, _mm256_set1_epi8(static_cast<char>(0xD0))));
    const __m256i roman = _mm256_and_si256(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, _mm256_set1_epi8(static_cast<char>(0xE2))),
                         _mm256_cmpeq_epi8(b, _mm256_set1_epi8(static_cast<char>(0x85)))),
        InRange32(c, kRomanThird, kRomanThird + 9));
    const __m256i wide = _mm256_and_si256(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, _mm256_set1_epi8(static_cast<char>(0xEF))),
                         _mm256_cmpeq_epi8(b, _mm256_set1_epi8(static_cast<char>(kWideSecond)))),
        InRange32(c, kWideThird, kWideThird + 25));
    const __m256i cased = _mm256_or_si256(twoByte, _mm256_or_si256(roman, wide));
    if (_mm256_movemask_epi8(letter) != 0) {
      a = _mm256_xor_si256(a, _mm256_and_si256(letter, _mm256_set1_epi8(0x20)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), a);
    }
    for (auto m = static_cast<unsigned>(_mm256_movemask_epi8(cased)); m != 0; m &= m - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(m));
      MapUtf8At<Upper>(p + at, n - at);
    }
    i += 32;
  }
  return i;
}

#endif

template <bool Upper>
void MapCaseUtf8(unsigned char* p, std::size_t n) {
  constexpr unsigned char kFirst = Upper ? 'a' : 'A';
  std::size_t i = 0;
#if defined(NORRA_AVX2_CASE)
  if (HasAvx2()) i = MapUtf8Blocks32<Upper>(p, n);
#endif
#if defined(__SSE2__)
  // Sixteen bytes a step: ASCII letters flip in the register; the few cased characters of
  // more bytes are found by their first two or three bytes and mapped one by one after the
  // store (their later bytes may lie in the next block, which is loaded only afterwards).
  // Japanese text has many characters that begin with E2 or EF, nearly none of them cased.
  constexpr unsigned char kRomanThird = Upper ? 0xB0 : 0xA0;       // E2 85 B0-B9 / A0-A9
  constexpr unsigned char kWideSecond = Upper ? 0xBD : 0xBC;       // EF BD 81-9A / BC A1-BA
  constexpr unsigned char kWideThird = Upper ? 0x81 : 0xA1;
  while (i + 18 <= n) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 2));
    const __m128i letter = InRange(a, kFirst, kFirst + 25);
    const __m128i pair = _mm_and_si128(a, _mm_set1_epi8(static_cast<char>(0xFE)));
    const __m128i twoByte =
        _mm_or_si128(_mm_cmpeq_epi8(pair, _mm_set1_epi8(static_cast<char>(0xCE))),
                     _mm_cmpeq_epi8(pair, _mm_set1_epi8(static_cast<char>(0xD0))));
    const __m128i roman = _mm_and_si128(
        _mm_and_si128(_mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(0xE2))),
                      _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0x85)))),
        InRange(c, kRomanThird, kRomanThird + 9));
    const __m128i wide = _mm_and_si128(
        _mm_and_si128(_mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(0xEF))),
                      _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(kWideSecond)))),
        InRange(c, kWideThird, kWideThird + 25));
    const __m128i cased = _mm_or_si128(twoByte, _mm_or_si128(roman, wide));
    if (_mm_movemask_epi8(letter) != 0) {
      a = _mm_xor_si128(a, _mm_and_si128(letter, _mm_set1_epi8(0x20)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), a);
    }
    for (auto m = static_cast<unsigned>(_mm_movemask_epi8(cased)); m != 0; m &= m - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(m));
      MapUtf8At<Upper>(p + at, n - at);
    }
    i += 16;
  }
#endif
  for (; i < n; ++i) {
    const unsigned c = p[i];
    if (c - kFirst < 26u) {
      p[i] = static_cast<unsigned char>(c ^ 0x20);
    } else if (IsCasedUtf8Lead(c)) {
      MapUtf8At<Upper>(p + i, n - i);
    }
  }
}

}  // namespace

void ToUpperUtf8(char* data, std::size_t size) {
  MapCaseUtf8<true>(reinterpret_cast<unsigned char*>(data), size);
}

void ToLowerUtf8(char* data, std::size_t size) {
  MapCaseUtf8<false>(reinterpret_cast<unsigned char*>(data), size);
}

void ToUpperIn(Charset charset, char* data, std::size_t size) {
  if (charset == Charset::Utf8) {
    ToUpperUtf8(data, size);
  } else {
    ToUpperCp932(data, size);
  }
}

std::string ToUpperCopyIn(Charset charset, std::string_view text) {
  std::string result(text);
  ToUpperIn(charset, result.data(), result.size());
  return result;
}

std::string ToLowerCp932Copy(std::string_view text) { return ToLowerCp932(text); }

}  // namespace norra
