// Rare-byte-pair substring search, 32 candidate starts per step where SSE2 is available.
#include "engine/LiteralFinder.h"

#include <cstring>
#include <tuple>

#include "text/VectorScan.h"

namespace norra {
namespace {

#if defined(NORRA_AVX2_SCAN)
// 64 starts a step on processors that have AVX2 (checked at run time). Moves pos on to where
// a narrower loop takes over; returns the first confirmed start, or npos.
__attribute__((target("avx2"))) std::size_t ScanWide(const char* base, std::size_t& pos,
                                                     std::size_t last, std::string_view needle,
                                                     std::size_t nearAt, std::size_t farAt) {
  const __m256i nearVec = _mm256_set1_epi8(needle[nearAt]);
  const __m256i farVec = _mm256_set1_epi8(needle[farAt]);
  // (No lambda here: it would not inherit the target attribute.)
  while (pos <= last && last - pos >= 63) {
    const char* p = base + pos;
    const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + nearAt));
    const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + farAt));
    const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 + nearAt));
    const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 + farAt));
    const auto low = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a0, nearVec), _mm256_cmpeq_epi8(b0, farVec))));
    const auto high = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a1, nearVec), _mm256_cmpeq_epi8(b1, farVec))));
    std::uint64_t mask = low | (std::uint64_t{high} << 32);
    while (mask != 0) {
      const std::size_t q = pos + static_cast<std::size_t>(__builtin_ctzll(mask));
      if (std::memcmp(base + q, needle.data(), needle.size()) == 0) return q;
      mask &= mask - 1;
    }
    pos += 64;
  }
  return std::string_view::npos;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// Without a sample: spaces, line breaks, common ASCII letters and the lead bytes of kana and
// punctuation are frequent; anything else is taken to be rarer.
std::uint32_t GuessedCount(unsigned char b) {
  if (b == ' ' || b == '\r' || b == '\n' || b == 0x81 || b == 0x82 || b == 0x83) return 1000;
  if (std::strchr("etaoinsrhlETAOINSRHL", b) != nullptr && b != 0) return 500;
  if (b < 0x80) return 100;
  return 50;
}

}  // namespace

LiteralFinder::LiteralFinder(std::string_view needle, const ByteCounts* counts) : needle_(needle) {
  const std::size_t n = needle.size();
  if (n < 2) return;
  auto weight = [counts](char c) {
    const auto b = static_cast<unsigned char>(c);
    return counts != nullptr ? (*counts)[b] : GuessedCount(b);
  };
  std::size_t rarest = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (weight(needle[i]) < weight(needle[rarest])) rarest = i;
  }
  // The partner: rare too, preferably another byte value (a pair of equal bytes filters less),
  // and far away, so a run of one repeated byte does not make every position a candidate.
  std::size_t partner = rarest == 0 ? 1 : 0;
  auto rank = [&](std::size_t i) {
    const std::size_t distance = i > rarest ? i - rarest : rarest - i;
    return std::make_tuple(needle[i] == needle[rarest], weight(needle[i]), n - distance);
  };
  for (std::size_t i = 0; i < n; ++i) {
    if (i != rarest && rank(i) < rank(partner)) partner = i;
  }
  near_ = rarest < partner ? rarest : partner;
  far_ = rarest < partner ? partner : rarest;
}

ByteCounts LiteralFinder::SampleCounts(std::string_view text) {
  ByteCounts counts{};
  constexpr std::size_t kSlice = 4 * 1024;
  constexpr std::size_t kSlices = 4;
  auto count = [&counts](std::string_view part) {
    for (const char c : part) ++counts[static_cast<unsigned char>(c)];
  };
  if (text.size() <= kSlice * kSlices) {
    count(text);
  } else {
    for (std::size_t i = 0; i < kSlices; ++i) count(text.substr(text.size() / kSlices * i, kSlice));
  }
  return counts;
}

std::size_t LiteralFinder::Find(std::string_view text, std::size_t from) const {
  const std::size_t n = needle_.size();
  const std::size_t size = text.size();
  if (n == 0) return from <= size ? from : npos;
  if (from >= size || n > size - from) return npos;
  const char* base = text.data();
  if (n == 1) {
    const void* hit = std::memchr(base + from, needle_[0], size - from);
    return hit == nullptr ? npos : static_cast<std::size_t>(static_cast<const char*>(hit) - base);
  }

  const char* needle = needle_.data();
  const char nearByte = needle[near_];
  const char farByte = needle[far_];
  const std::size_t last = size - n;  // the last possible start
  std::size_t pos = from;
  auto confirm = [&](std::size_t q) { return std::memcmp(base + q, needle, n) == 0; };

#if defined(NORRA_AVX2_SCAN)
  if (HasAvx2()) {
    const std::size_t q = ScanWide(base, pos, last, needle_, near_, far_);
    if (q != npos) return q;
  }
#endif
#if defined(__SSE2__)
  // A block tests the starts pos..pos+15; it reads up to byte pos + far_ + 15 <= last + n - 1.
  const __m128i nearVec = _mm_set1_epi8(nearByte);
  const __m128i farVec = _mm_set1_epi8(farByte);
  auto blockMask = [&](std::size_t p) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + p + near_));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + p + far_));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, nearVec), _mm_cmpeq_epi8(b, farVec))));
  };
  while (pos <= last && last - pos >= 31) {
    const unsigned low = blockMask(pos);
    const unsigned high = blockMask(pos + 16);
    unsigned mask = low | (high << 16);
    while (mask != 0) {
      const std::size_t q = pos + static_cast<std::size_t>(__builtin_ctz(mask));
      if (confirm(q)) return q;
      mask &= mask - 1;
    }
    pos += 32;
  }
  while (pos <= last && last - pos >= 15) {
    unsigned mask = blockMask(pos);
    while (mask != 0) {
      const std::size_t q = pos + static_cast<std::size_t>(__builtin_ctz(mask));
      if (confirm(q)) return q;
      mask &= mask - 1;
    }
    pos += 16;
  }
#endif
  for (; pos <= last; ++pos) {
    if (base[pos + near_] == nearByte && base[pos + far_] == farByte && confirm(pos)) return pos;
  }
  return npos;
}

}  // namespace norra
