// Line splitting and joining for the files disk search reads and rewrites.
#include "findreplace/LineBreaks.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NORRA_AVX2_SCAN 1
#endif

namespace norra {

namespace {

// Offset of the next CR or LF at or after pos, or size when there is none.
std::size_t NextBreak(std::string_view bytes, std::size_t pos) {
  const char* data = bytes.data();
  const std::size_t size = bytes.size();
  // LF-only and CR LF files are the common case; memchr on LF is far faster than a byte loop.
  const void* lf = std::memchr(data + pos, '\n', size - pos);
  std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
  const void* cr = std::memchr(data + pos, '\r', end - pos);
  return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : end;
}

// Length of the break at pos (which holds CR or LF): 2 for CR LF, else 1.
std::size_t BreakLength(std::string_view bytes, std::size_t pos) {
  return (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t brk = NextBreak(bytes, pos);
    lines.push_back(bytes.substr(pos, brk - pos));
    if (brk == bytes.size()) break;
    pos = brk + BreakLength(bytes, brk);
  }
  return lines;
}

std::string JoinLinesWith(std::string_view bytes, std::string_view lineBreak) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16 + lineBreak.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t brk = NextBreak(bytes, pos);
    out.append(bytes.data() + pos, brk - pos);
    out.append(lineBreak);
    if (brk == bytes.size()) break;
    pos = brk + BreakLength(bytes, brk);
  }
  return out;
}

namespace {

#if defined(NORRA_AVX2_SCAN)
// The 64-byte steps of OnlyCrLfPairs with AVX2 (checked at run time); false as soon as a
// step fails, with pos and carry where it stopped otherwise.
__attribute__((target("avx2"))) bool PairsWide(const char* data, std::size_t size, std::size_t& pos,
                                               std::uint64_t& carry) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  for (; size - pos >= 64; pos += 64) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos + 32));
    const std::uint64_t crBits =
        std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, cr)))} |
        std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, cr)))}
            << 32;
    const std::uint64_t lfBits =
        std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, lf)))} |
        std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, lf)))}
            << 32;
    if (lfBits != ((crBits << 1) | carry)) return false;
    carry = crBits >> 63;
  }
  return true;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// Whether every CR is followed by LF and every LF preceded by CR: the bit masks of CR and LF
// bytes, the CR mask moved on by one byte, must agree. 64 bytes a step where SSE2 is present.
bool OnlyCrLfPairs(std::string_view bytes) {
  const char* data = bytes.data();
  const std::size_t size = bytes.size();
  std::size_t pos = 0;
  std::uint64_t carry = 0;  // the byte before pos was a CR
#if defined(NORRA_AVX2_SCAN)
  if (HasAvx2() && !PairsWide(data, size, pos, carry)) return false;
#endif
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; size - pos >= 64; pos += 64) {
    std::uint64_t crBits = 0;
    std::uint64_t lfBits = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 16 * k));
      crBits |= static_cast<std::uint64_t>(
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr))))
                << (16 * k);
      lfBits |= static_cast<std::uint64_t>(
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))))
                << (16 * k);
    }
    if (lfBits != ((crBits << 1) | carry)) return false;
    carry = crBits >> 63;
  }
#endif
  for (; pos < size; ++pos) {
    const bool isLf = data[pos] == '\n';
    if (isLf != (carry != 0)) return false;
    carry = data[pos] == '\r' ? 1 : 0;
  }
  return carry == 0;
}

}  // namespace

bool IsJoinedWith(std::string_view bytes, std::string_view lineBreak) {
  if (bytes.empty()) return true;
  if (bytes.size() < lineBreak.size() || bytes.substr(bytes.size() - lineBreak.size()) != lineBreak)
    return false;
  if (lineBreak == kCrLf) return OnlyCrLfPairs(bytes);
  if (lineBreak == kLf) return std::memchr(bytes.data(), '\r', bytes.size()) == nullptr;
  std::size_t pos = 0;
  while ((pos = NextBreak(bytes, pos)) < bytes.size()) {
    if (bytes.compare(pos, lineBreak.size(), lineBreak) != 0) return false;
    pos += lineBreak.size();
  }
  return true;
}

std::string_view RewriteLineBreak(std::string_view original) {
  bool hasLf = original.find('\n') != std::string_view::npos;
  bool hasCr = original.find('\r') != std::string_view::npos;
  return (hasLf && !hasCr) ? kLf : kCrLf;
}

}  // namespace norra
