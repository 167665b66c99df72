// Character boundaries and aligned substring search over the text being matched.
#include "engine/MatchSession.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/Cp932.h"

namespace norra {

MatchSession::MatchSession(std::string_view compare, std::string_view unfolded, Charset charset)
    : compare_(compare), unfolded_(unfolded), charset_(charset) {}

std::size_t MatchSession::StepAt(std::size_t pos) const {
  if (charset_ == Charset::Utf8) return static_cast<std::size_t>(CharLengthAt(charset_, compare_, pos));
  return static_cast<std::size_t>(CharStepAt(compare_, pos));
}

// In UTF-8 only a byte that continues a well-formed sequence begun at most three bytes back is
// inside a character; every other byte (a stray continuation byte too) starts one.
bool MatchSession::Utf8Boundary(std::size_t pos) const {
  const auto* s = reinterpret_cast<const unsigned char*>(compare_.data());
  if ((s[pos] & 0xC0) != 0x80) return true;
  for (std::size_t back = 1; back <= 3 && back <= pos; ++back) {
    if ((s[pos - back] & 0xC0) != 0x80) {
      return static_cast<std::size_t>(CharLengthAt(charset_, compare_, pos - back)) <= back;
    }
  }
  return true;
}

bool MatchSession::IsBoundary(std::size_t pos) const {
  if (pos == 0 || pos >= compare_.size()) return true;
  if (charset_ == Charset::Utf8) return Utf8Boundary(pos);
  // A byte outside the lead range always ends a character, so the position after it is a
  // boundary; from there every lead-range byte pairs with the next. Count that run.
  constexpr std::size_t kQuickRun = 64;
  std::size_t run = 0;
  std::size_t i = pos;
  while (i > 0 && run < kQuickRun && IsLeadByte(static_cast<unsigned char>(compare_[i - 1]))) {
    --i;
    ++run;
  }
  if (i == 0 || run < kQuickRun) return run % 2 == 0;
  return ScanBoundary(pos);
}

bool MatchSession::ScanBoundary(std::size_t pos) const {
  if (bits_.empty()) bits_.assign(compare_.size() / 64 + 1, 0);
  while (scannedTo_ <= pos && scannedTo_ < compare_.size()) {
    bits_[scannedTo_ / 64] |= std::uint64_t{1} << (scannedTo_ % 64);
    scannedTo_ += StepAt(scannedTo_);
  }
  return (bits_[pos / 64] >> (pos % 64)) & 1;
}

std::size_t MatchSession::PreviousBoundary(std::size_t pos) const {
  if (pos <= 1) return 0;
  if (charset_ == Charset::Utf8) {
    std::size_t q = pos - 1;
    while (q > 0 && !Utf8Boundary(q)) --q;
    return q;
  }
  return IsBoundary(pos - 1) ? pos - 1 : pos - 2;
}

bool MatchSession::WholeAt(std::size_t pos, std::string_view needle) const {
  return pos <= compare_.size() && compare_.substr(pos).starts_with(needle) &&
         IsBoundary(pos + needle.size());
}

std::size_t MatchSession::FindAligned(std::string_view needle, std::size_t from) const {
  return FindAligned(LiteralFinder(needle, &Counts()), from);
}

std::size_t MatchSession::FindAligned(const LiteralFinder& finder, std::size_t from) const {
  const std::size_t length = finder.Needle().size();
  const std::size_t size = compare_.size();
  if (length == 0 || from >= size || length > size - from) return npos;
  while (from + length <= size) {
    const std::size_t q = finder.Find(compare_, from);
    if (q == npos) return npos;
    if (IsBoundary(q) && IsBoundary(q + length)) return q;
    from = q + 1;
  }
  return npos;
}

std::size_t MatchSession::DigitLengthAt(std::size_t pos) const {
  const auto b = static_cast<unsigned char>(compare_[pos]);
  if (b >= '0' && b <= '9') return 1;
  if (charset_ == Charset::Utf8) {
    // full-width ０-９: U+FF10-FF19, EF BC 90-99
    if (b == 0xEF && pos + 2 < compare_.size() &&
        static_cast<unsigned char>(compare_[pos + 1]) == 0xBC) {
      const auto t = static_cast<unsigned char>(compare_[pos + 2]);
      if (t >= 0x90 && t <= 0x99) return 3;
    }
    return 0;
  }
  if (b == 0x82 && pos + 1 < compare_.size()) {
    const auto t = static_cast<unsigned char>(compare_[pos + 1]);
    if (t >= 0x4F && t <= 0x58) return 2;  // full-width ０-９
  }
  return 0;
}

std::size_t MatchSession::FindDigitUtf8(std::size_t from) const {
  // A digit in UTF-8 always starts a character, so no boundary test is needed.
  const std::size_t size = compare_.size();
  std::size_t pos = from;
#if defined(__SSE2__)
  const char* base = compare_.data();
  auto inRange = [](__m128i x, char lo, char span) {
    const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(lo));
    return _mm_cmpeq_epi8(_mm_subs_epu8(offset, _mm_set1_epi8(span)), _mm_setzero_si128());
  };
  while (pos < size && size - pos >= 18) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + 1));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + 2));
    const __m128i ascii = inRange(a, '0', 9);
    const __m128i wide = _mm_and_si128(
        _mm_and_si128(_mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(0xEF))),
                      _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(0xBC)))),
        inRange(c, static_cast<char>(0x90), 9));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(ascii, wide)));
    if (mask != 0) return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    pos += 16;
  }
#endif
  for (; pos < size; ++pos) {
    if (DigitLengthAt(pos) != 0) return pos;
  }
  return npos;
}

std::size_t MatchSession::FindDigit(std::size_t from) const {
  if (charset_ == Charset::Utf8) return FindDigitUtf8(from);
  const std::size_t size = compare_.size();
  std::size_t pos = from;
#if defined(__SSE2__)
  // Sixteen starts at a time: an ASCII digit, or 0x82 followed by 0x4F-0x58. A block reads
  // one byte past its last start, so it runs while that byte exists.
  const char* base = compare_.data();
  auto inRange = [](__m128i x, char lo, char span) {
    const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(lo));
    return _mm_cmpeq_epi8(_mm_subs_epu8(offset, _mm_set1_epi8(span)), _mm_setzero_si128());
  };
  while (pos < size && size - pos >= 17) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + 1));
    const __m128i ascii = inRange(a, '0', 9);
    const __m128i wide = _mm_and_si128(_mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(0x82))),
                                       inRange(b, 0x4F, 0x58 - 0x4F));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(ascii, wide)));
    while (mask != 0) {
      const std::size_t q = pos + static_cast<std::size_t>(__builtin_ctz(mask));
      if (IsBoundary(q)) return q;
      mask &= mask - 1;
    }
    pos += 16;
  }
#endif
  for (; pos < size; ++pos) {
    if (DigitLengthAt(pos) != 0 && IsBoundary(pos)) return pos;
  }
  return npos;
}

const ByteCounts& MatchSession::Counts() const {
  if (!counts_) counts_ = std::make_unique<ByteCounts>(LiteralFinder::SampleCounts(compare_));
  return *counts_;
}

}  // namespace norra
