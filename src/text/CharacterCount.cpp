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
  // b - lo (wrapping) is at most hi - lo exactly for the bytes in range.
  const __m128i shifted = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(lo)));
  const __m128i width = _mm_set1_epi8(static_cast<char>(hi - lo));
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(shifted, width), shifted)));
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

// UTF-8 masks of a 64-byte block: the bytes that can start a well-formed sequence, the
// continuation bytes, and the narrower second-byte ranges some first bytes demand.
struct Utf8Masks {
  std::uint64_t cont = 0;    // 0x80-0xBF
  std::uint64_t two = 0;     // 0xC2-0xDF
  std::uint64_t three = 0;   // 0xE1-0xEC, 0xEE-0xEF: any continuation follows
  std::uint64_t e0 = 0;      // then 0xA0-0xBF
  std::uint64_t ed = 0;      // then 0x80-0x9F
  std::uint64_t four = 0;    // 0xF1-0xF3
  std::uint64_t f0 = 0;      // then 0x90-0xBF
  std::uint64_t f4 = 0;      // then 0x80-0x8F
  std::uint64_t a0bf = 0;
  std::uint64_t x809f = 0;
  std::uint64_t x90bf = 0;
  std::uint64_t x808f = 0;
  std::uint64_t cr = 0;
  std::uint64_t lf = 0;
};

#if defined(__SSE2__)
Utf8Masks Utf8MasksOf(const unsigned char* block) {
  Utf8Masks m;
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    const int shift = 16 * part;
    m.cr |= Equal16(bytes, '\r') << shift;
    m.lf |= Equal16(bytes, '\n') << shift;
    if (_mm_movemask_epi8(bytes) == 0) continue;  // no byte of 0x80 or more
    m.cont |= InRange16(bytes, 0x80, 0xBF) << shift;
    m.two |= InRange16(bytes, 0xC2, 0xDF) << shift;
    m.three |= (InRange16(bytes, 0xE1, 0xEC) | InRange16(bytes, 0xEE, 0xEF)) << shift;
    m.e0 |= Equal16(bytes, static_cast<char>(0xE0)) << shift;
    m.ed |= Equal16(bytes, static_cast<char>(0xED)) << shift;
    m.four |= InRange16(bytes, 0xF1, 0xF3) << shift;
    m.f0 |= Equal16(bytes, static_cast<char>(0xF0)) << shift;
    m.f4 |= Equal16(bytes, static_cast<char>(0xF4)) << shift;
    m.a0bf |= InRange16(bytes, 0xA0, 0xBF) << shift;
    m.x809f |= InRange16(bytes, 0x80, 0x9F) << shift;
    m.x90bf |= InRange16(bytes, 0x90, 0xBF) << shift;
    m.x808f |= InRange16(bytes, 0x80, 0x8F) << shift;
  }
  return m;
}
#else
Utf8Masks Utf8MasksOf(const unsigned char* block) {
  Utf8Masks m;
  for (int i = 0; i < 64; ++i) {
    const unsigned b = block[i];
    const std::uint64_t bit = std::uint64_t{1} << i;
    const auto in = [b](unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
    if (b == '\r') m.cr |= bit;
    if (b == '\n') m.lf |= bit;
    if (in(0x80, 0xBF)) m.cont |= bit;
    if (in(0xC2, 0xDF)) m.two |= bit;
    if (in(0xE1, 0xEC) || in(0xEE, 0xEF)) m.three |= bit;
    if (b == 0xE0) m.e0 |= bit;
    if (b == 0xED) m.ed |= bit;
    if (in(0xF1, 0xF3)) m.four |= bit;
    if (b == 0xF0) m.f0 |= bit;
    if (b == 0xF4) m.f4 |= bit;
    if (in(0xA0, 0xBF)) m.a0bf |= bit;
    if (in(0x80, 0x9F)) m.x809f |= bit;
    if (in(0x90, 0xBF)) m.x90bf |= bit;
    if (in(0x80, 0x8F)) m.x808f |= bit;
  }
  return m;
}
#endif

// UTF-8. Stepping with CharLengthAt lands on the first byte of every well-formed sequence (no
// such byte is a continuation byte, so no sequence hides one), and takes every other byte as
// a character of its own: the characters are the bytes less the continuation bytes of the
// well-formed sequences. Those are found per block from the first bytes and the next three
// bytes' masks (the following block's bits shifted in).
std::size_t CountUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  const std::size_t blocks = (size + 63) / 64;
  unsigned char tail[64];
  auto masksOf = [&](std::size_t index) {
    if (index >= blocks) return Utf8Masks{};
    const std::size_t at = index * 64;
    if (size - at >= 64) return Utf8MasksOf(bytes + at);
    std::memset(tail, 0, sizeof tail);
    std::memcpy(tail, bytes + at, size - at);
    return Utf8MasksOf(tail);
  };
  std::size_t taken = 0;  // continuation bytes of well-formed sequences, and LFs after CR
  Utf8Masks current = masksOf(0);
  for (std::size_t index = 0; index < blocks; ++index) {
    const Utf8Masks next = masksOf(index + 1);
    const auto ahead = [](std::uint64_t here, std::uint64_t after, int by) {
      return (here >> by) | (after << (64 - by));
    };
    const std::uint64_t c1 = ahead(current.cont, next.cont, 1);
    const std::uint64_t c2 = ahead(current.cont, next.cont, 2);
    const std::uint64_t c3 = ahead(current.cont, next.cont, 3);
    const std::uint64_t twos = current.two & c1;
    const std::uint64_t threes = ((current.three & c1) | (current.e0 & ahead(current.a0bf, next.a0bf, 1)) |
                                  (current.ed & ahead(current.x809f, next.x809f, 1))) &
                                 c2;
    const std::uint64_t fours = ((current.four & c1) | (current.f0 & ahead(current.x90bf, next.x90bf, 1)) |
                                 (current.f4 & ahead(current.x808f, next.x808f, 1))) &
                                c2 & c3;
    taken += static_cast<std::size_t>(std::popcount(twos) + 2 * std::popcount(threes) +
                                      3 * std::popcount(fours) +
                                      std::popcount(current.cr & ahead(current.lf, next.lf, 1)));
    current = next;
  }
  return size - taken;
}

}  // namespace

std::size_t CountCharacters(Charset charset, std::string_view text) {
  return charset == Charset::Cp932 ? CountCp932(text) : CountUtf8(text);
}

}  // namespace norra
