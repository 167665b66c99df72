// Counting characters fast enough to follow every key on a large Page.
#include "text/CharacterCount.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "text/VectorScan.h"

namespace norra {

namespace {

// Bit i set for the bytes of a 64-byte block that are in [lo, hi].
struct BlockMasks {
  std::uint64_t lead = 0;  // CP932 lead bytes 0x81-0x9F, 0xE0-0xFC
  std::uint64_t cr = 0;
  std::uint64_t lf = 0;
};

#if defined(__SSE2__)
inline std::uint64_t InRange16(__m128i bytes, unsigned char lo, unsigned char hi) {
  const __m128i low = _mm_set1_epi8(static_cast<char>(lo));
  const __m128i high = _mm_set1_epi8(static_cast<char>(hi));
  const __m128i atLeast = _mm_cmpeq_epi8(_mm_max_epu8(bytes, low), bytes);
  const __m128i atMost = _mm_cmpeq_epi8(_mm_min_epu8(bytes, high), bytes);
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(atLeast, atMost)));
}

inline std::uint64_t Equal16(__m128i bytes, char c) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

BlockMasks MasksOf(const unsigned char* block) {
  BlockMasks masks;
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    const int shift = 16 * part;
    masks.lead |= (InRange16(bytes, 0x81, 0x9F) | InRange16(bytes, 0xE0, 0xFC)) << shift;
    masks.cr |= Equal16(bytes, '\r') << shift;
    masks.lf |= Equal16(bytes, '\n') << shift;
  }
  return masks;
}
#else
BlockMasks MasksOf(const unsigned char* block) {
  BlockMasks masks;
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (IsLeadByte(block[i])) masks.lead |= bit;
    if (block[i] == '\r') masks.cr |= bit;
    if (block[i] == '\n') masks.lf |= bit;
  }
  return masks;
}
#endif

constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;

// CP932. A byte is the second of a character exactly when the byte before it starts a
// character and is a lead byte, so within a run of lead-range bytes the characters' first
// bytes alternate from the run's first byte on. Per block: which runs start on an odd bit is
// found by adding each such run's first bit to the run (the carry clears the whole run).
std::size_t CountCp932(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t seconds = 0;   // bytes that are the second of a two-byte character
  std::size_t crLf = 0;
  std::uint64_t secondIn = 0;  // 1: the block's first byte is a second byte
  std::uint64_t crIn = 0;      // 1: the previous block ended with a CR that starts a character
  unsigned char tail[64];
  for (std::size_t at = 0; at < size; at += 64) {
    const std::size_t length = size - at < 64 ? size - at : 64;
    const unsigned char* block = bytes + at;
    if (length < 64) {
      std::memset(tail, 0, sizeof tail);
      std::memcpy(tail, block, length);
      block = tail;
    }
    const BlockMasks masks = MasksOf(block);
    const std::uint64_t runs = masks.lead & ~secondIn;
    const std::uint64_t runStarts = runs & ~(runs << 1);
    const std::uint64_t cleared = runs + (runStarts & ~kEvenBits);  // odd-start runs go to 0
    const std::uint64_t firsts = (runs & cleared & kEvenBits) | (runs & ~cleared & ~kEvenBits);
    std::uint64_t second = (firsts << 1) | secondIn;
    // A lead byte that ends the text pairs with nothing (not with the padding after it).
    if (length < 64) second &= (std::uint64_t{1} << length) - 1;
    seconds += static_cast<std::size_t>(std::popcount(second));
    const std::uint64_t crStarts = masks.cr & ~second;
    crLf += static_cast<std::size_t>(std::popcount(crStarts & (masks.lf >> 1)) +
                                     ((crIn & masks.lf) != 0 ? 1 : 0));
    secondIn = firsts >> 63;
    crIn = crStarts >> 63;
  }
  return size - seconds - crLf;
}

std::size_t CountUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t count = 0;
  std::size_t at = 0;
  while (at < size) {
    if (bytes[at] < 0x80) {
      // A run of single bytes: each one character, less one for each CR LF in it.
      const std::size_t start = at;
      while (at < size && bytes[at] < 0x80) {
        if (bytes[at] == '\n' && at > start && bytes[at - 1] == '\r') --count;
        ++at;
      }
      count += at - start;
      continue;
    }
    char32_t cp = 0;
    const int length = DecodeUtf8(bytes + at, size - at, cp);
    at += length > 0 ? static_cast<std::size_t>(length) : 1;
    ++count;
  }
  return count;
}

}  // namespace

std::size_t CountCharacters(Charset charset, std::string_view text) {
  return charset == Charset::Cp932 ? CountCp932(text) : CountUtf8(text);
}

}  // namespace norra
