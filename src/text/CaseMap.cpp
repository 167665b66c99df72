// Length-preserving case mapping of CP932 text, with a word-at-a-time path for ASCII runs.
#include "text/CaseMap.h"

#include <array>
#include <iterator>
#include <cstdint>
#include <cstring>

#include "text/Cp932.h"

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

template <bool Upper>
void MapCase(unsigned char* p, std::size_t n) {
  constexpr unsigned char kFirst = Upper ? 'a' : 'A';
  const CaseTables& t = Upper ? kUpperTables : kLowerTables;
  std::size_t i = 0;
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

std::string ToLowerCp932Copy(std::string_view text) { return ToLowerCp932(text); }

}  // namespace norra
