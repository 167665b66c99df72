// Length-preserving case mapping of CP932 text, with a word-at-a-time path for ASCII runs.
#include "text/CaseMap.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "text/Cp932.h"

namespace norra {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Lead bytes of two-byte characters that have a case partner (or a second encoding).
constexpr std::array<bool, 256> MakeCasedLeads() {
  std::array<bool, 256> leads{};
  for (unsigned lead : {0x82u, 0x83u, 0x84u, 0x87u, 0xEEu, 0xFAu}) leads[lead] = true;
  return leads;
}
constexpr std::array<bool, 256> kCasedLeads = MakeCasedLeads();

// Eight ASCII bytes at once: bytes in [first, first+25] get bit 0x20 flipped. Each byte is
// below 0x80 and each addend below 0x80, so no carry crosses into the next byte.
template <unsigned char First>
inline std::uint64_t FlipAsciiLetters(std::uint64_t v) {
  const std::uint64_t atLeastFirst = v + kOnes * (0x80 - First);
  const std::uint64_t pastLast = v + kOnes * (0x80 - (First + 26));
  return v ^ (((atLeastFirst & ~pastLast) & kHighBits) >> 2);
}

inline void SetPair(unsigned char* p, unsigned lead, unsigned trail) {
  p[0] = static_cast<unsigned char>(lead);
  p[1] = static_cast<unsigned char>(trail);
}

void UpperPair(unsigned char* p) {
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

void LowerPair(unsigned char* p) {
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

template <bool Upper>
void MapCase(unsigned char* p, std::size_t n) {
  constexpr unsigned char kFirst = Upper ? 'a' : 'A';
  std::size_t i = 0;
  while (i < n) {
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
    const unsigned c = p[i];
    if (c < 0x80) {
      if (c - kFirst < 26u) p[i] = static_cast<unsigned char>(c ^ 0x20);
      ++i;
      continue;
    }
    if (!IsLeadByte(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (i + 1 >= n) break;  // a lead byte at the very end stands alone
    if (kCasedLeads[c]) {
      if constexpr (Upper) {
        UpperPair(p + i);
      } else {
        LowerPair(p + i);
      }
    }
    i += 2;
  }
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
