// Line splitting and joining for the files disk search reads and rewrites.
#include "findreplace/LineBreaks.h"

#include <cstdint>
#include <cstring>

#include "text/VectorScan.h"

namespace norra {

LineBreakScanner::LineBreakScanner(std::string_view bytes)
    : bytes_(bytes), nextLf_(Find('\n', 0)), nextCr_(Find('\r', 0)) {}

std::size_t LineBreakScanner::Find(char c, std::size_t pos) const {
  if (pos >= bytes_.size()) return bytes_.size();  // also keeps memchr off an empty view's null
  const void* hit = std::memchr(bytes_.data() + pos, c, bytes_.size() - pos);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data())
             : bytes_.size();
}

std::size_t LineBreakScanner::Next(std::size_t pos) {
  // Each kind of break is looked for again only once the last one found lies behind: a file
  // with only one kind never has the other searched for more than once.
  if (nextLf_ < pos) nextLf_ = Find('\n', pos);
  if (nextCr_ < pos) nextCr_ = Find('\r', pos);
  return nextLf_ < nextCr_ ? nextLf_ : nextCr_;
}

std::size_t LineBreakScanner::LengthAt(std::size_t at) const {
  return (bytes_[at] == '\r' && at + 1 < bytes_.size() && bytes_[at + 1] == '\n') ? 2 : 1;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  LineBreakScanner scanner(bytes);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t brk = scanner.Next(pos);
    lines.push_back(bytes.substr(pos, brk - pos));
    if (brk == bytes.size()) break;
    pos = brk + scanner.LengthAt(brk);
  }
  return lines;
}

std::string JoinLinesWith(std::string_view bytes, std::string_view lineBreak) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16 + lineBreak.size());
  LineBreakScanner scanner(bytes);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t brk = scanner.Next(pos);
    out.append(bytes.data() + pos, brk - pos);
    out.append(lineBreak);
    if (brk == bytes.size()) break;
    pos = brk + scanner.LengthAt(brk);
  }
  return out;
}

namespace {

#if defined(NORRA_AVX2_SCAN)
// The 64-byte steps of OnlyCrLfPairs with AVX2 (checked at run time); false as soon as a
// step fails. pos and carry are left where it stopped, and nul tells whether a NUL byte stood
// before pos.
__attribute__((target("avx2"))) bool PairsWide(const char* data, std::size_t size, std::size_t& pos,
                                               std::uint64_t& carry, bool& nul) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i zero = _mm256_setzero_si256();
  __m256i nulSeen = zero;
  bool ok = true;
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
    if (lfBits != ((crBits << 1) | carry)) {
      ok = false;
      break;
    }
    carry = crBits >> 63;
    nulSeen = _mm256_or_si256(
        nulSeen, _mm256_or_si256(_mm256_cmpeq_epi8(a, zero), _mm256_cmpeq_epi8(b, zero)));
  }
  if (!_mm256_testz_si256(nulSeen, nulSeen)) nul = true;
  return ok;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// Whether every CR is followed by LF and every LF preceded by CR: the bit masks of CR and LF
// bytes, the CR mask moved on by one byte, must agree. 64 bytes a step where SSE2 is present.
// NUL bytes are looked for in the same pass: `scanned` is how far the scan went (the size
// when it went through), and nul whether a NUL byte stood before that.
bool OnlyCrLfPairs(std::string_view bytes, std::size_t& scanned, bool& nul) {
  const char* data = bytes.data();
  const std::size_t size = bytes.size();
  std::size_t pos = 0;
  std::uint64_t carry = 0;  // the byte before pos was a CR
  nul = false;
  auto stop = [&] {
    scanned = pos;
    return false;
  };
#if defined(NORRA_AVX2_SCAN)
  if (HasAvx2() && !PairsWide(data, size, pos, carry, nul)) return stop();
#endif
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  __m128i nulSeen = zero;
  for (; size - pos >= 64; pos += 64) {
    std::uint64_t crBits = 0;
    std::uint64_t lfBits = 0;
    __m128i nulHere = zero;
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 16 * k));
      crBits |= static_cast<std::uint64_t>(
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr))))
                << (16 * k);
      lfBits |= static_cast<std::uint64_t>(
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))))
                << (16 * k);
      nulHere = _mm_or_si128(nulHere, _mm_cmpeq_epi8(v, zero));
    }
    if (lfBits != ((crBits << 1) | carry)) break;
    carry = crBits >> 63;
    nulSeen = _mm_or_si128(nulSeen, nulHere);
  }
  if (_mm_movemask_epi8(nulSeen) != 0) nul = true;
  if (size - pos >= 64) return stop();
#endif
  for (; pos < size; ++pos) {
    const bool isLf = data[pos] == '\n';
    if (isLf != (carry != 0)) return stop();
    carry = data[pos] == '\r' ? 1 : 0;
    if (data[pos] == '\0') nul = true;
  }
  scanned = size;
  return carry == 0;
}

}  // namespace

bool IsJoinedWith(std::string_view bytes, std::string_view lineBreak) {
  if (bytes.empty()) return true;
  if (bytes.size() < lineBreak.size() || bytes.substr(bytes.size() - lineBreak.size()) != lineBreak)
    return false;
  if (lineBreak == kCrLf) {
    std::size_t scanned = 0;
    bool nul = false;
    return OnlyCrLfPairs(bytes, scanned, nul);
  }
  if (lineBreak == kLf) return std::memchr(bytes.data(), '\r', bytes.size()) == nullptr;
  LineBreakScanner scanner(bytes);
  std::size_t pos = 0;
  while ((pos = scanner.Next(pos)) < bytes.size()) {
    if (bytes.compare(pos, lineBreak.size(), lineBreak) != 0) return false;
    pos += lineBreak.size();
  }
  return true;
}

TextForm ExamineText(std::string_view bytes) {
  TextForm form;
  std::size_t scanned = 0;
  if (bytes.empty()) {
    form.joinedWithCrLf = true;
    return form;
  }
  if (bytes.ends_with(kCrLf)) form.joinedWithCrLf = OnlyCrLfPairs(bytes, scanned, form.hasNul);
  if (!form.hasNul && scanned < bytes.size())
    form.hasNul = std::memchr(bytes.data() + scanned, '\0', bytes.size() - scanned) != nullptr;
  return form;
}

}  // namespace norra
