// The vector instructions the byte scans may use: SSE2 where the compiler targets it, AVX2 on
// x86-64 (its use is checked at run time by each scan).
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NORRA_AVX2_SCAN 1
#endif

namespace norra {

// Eight bits spread to the high bits of eight bytes: bit i of bits8 becomes 0x80 of byte i.
inline std::uint64_t SpreadBits(unsigned bits8) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t picked = (bits8 * kOnes) & 0x8040201008040201ULL;  // byte i keeps bit i
  return (picked + kOnes * 0x7F) & 0x8080808080808080ULL;  // no byte carries into the next
}

#if defined(__SSE2__)
// Byte mask of x in [lo, hi].
inline __m128i InRange(__m128i x, unsigned char lo, unsigned char hi) {
  const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo)));
  const __m128i excess = _mm_subs_epu8(offset, _mm_set1_epi8(static_cast<char>(hi - lo)));
  return _mm_cmpeq_epi8(excess, _mm_setzero_si128());
}

// Byte mask of a == lead and b (the byte after it) in [lo, hi].
inline __m128i PairIn(__m128i a, __m128i b, unsigned char lead, unsigned char lo,
                      unsigned char hi) {
  return _mm_and_si128(_mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(lead))),
                       InRange(b, lo, hi));
}
#endif

#if defined(NORRA_AVX2_SCAN)
// The same 32 bytes a step, for scans that run only where the processor has AVX2.
__attribute__((target("avx2"))) inline __m256i InRange32(__m256i x, unsigned char lo,
                                                         unsigned char hi) {
  const __m256i offset = _mm256_sub_epi8(x, _mm256_set1_epi8(static_cast<char>(lo)));
  const __m256i excess = _mm256_subs_epu8(offset, _mm256_set1_epi8(static_cast<char>(hi - lo)));
  return _mm256_cmpeq_epi8(excess, _mm256_setzero_si256());
}

__attribute__((target("avx2"))) inline __m256i PairIn32(__m256i a, __m256i b, unsigned char lead,
                                                        unsigned char lo, unsigned char hi) {
  return _mm256_and_si256(_mm256_cmpeq_epi8(a, _mm256_set1_epi8(static_cast<char>(lead))),
                          InRange32(b, lo, hi));
}
#endif

}  // namespace norra
