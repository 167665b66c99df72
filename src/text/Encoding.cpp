// CP932 ↔ UTF-8 through tables built once from the C library's iconv CP932 converter.
#include "text/Encoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "text/Cp932.h"
#include "text/IconvChar.h"
#include "text/Utf8.h"

namespace norra {
namespace {

constexpr std::uint16_t kNone = 0xFFFF;          // no character / no encoding
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

struct Tables {
  std::array<std::uint16_t, 256> single;  // code point of a byte on its own, or kNone
  std::array<char16_t, 65536> pair;       // code point of lead<<8|trail, or 0
  std::array<std::uint16_t, 65536> encode;  // bytes of a BMP code point (<0x100: one byte), or kNone
};

// Which of several encodings of one character is written: JIS rows, then NEC row 13, then the
// IBM extensions, and the NEC-selected copies of the IBM extensions last.
int EncodingRank(unsigned bytes) {
  if (bytes < 0x100) return 0;
  unsigned lead = bytes >> 8;
  if (lead == 0x87) return 2;
  if (lead >= 0xFA && lead <= 0xFC) return 3;
  if (lead == 0xED || lead == 0xEE) return 4;
  return 1;
}

// One CP932 sequence through iconv; the code point, or kNone unless it is exactly one BMP
// character made of all the given bytes.
std::uint16_t AskIconv(iconv_t cd, const unsigned char* bytes, std::size_t count) {
  return IconvBmpChar(cd, bytes, count).value_or(kNone);
}

std::unique_ptr<Tables> BuildTables() {
  iconv_t raw = iconv_open("UTF-32BE", "CP932");
  if (raw == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("iconv has no CP932 converter");
  }
  std::unique_ptr<void, IconvCloser> cd(raw);
  auto t = std::make_unique<Tables>();
  t->single.fill(kNone);
  t->pair.fill(0);
  t->encode.fill(kNone);

  auto offer = [&](std::uint16_t cp, unsigned bytes) {
    std::uint16_t& slot = t->encode[cp];
    if (slot == kNone || EncodingRank(bytes) < EncodingRank(slot)) slot = static_cast<std::uint16_t>(bytes);
  };
  for (unsigned b = 0; b < 256; ++b) {
    unsigned char c = static_cast<unsigned char>(b);
    std::uint16_t cp = IsLeadByte(c) ? kNone : AskIconv(raw, &c, 1);
    t->single[b] = cp;
    if (cp != kNone) offer(cp, b);
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0; trail < 256; ++trail) {
      const unsigned char seq[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      std::uint16_t cp = AskIconv(raw, seq, 2);
      if (cp == kNone || cp == 0) continue;
      t->pair[lead << 8 | trail] = cp;
      offer(cp, lead << 8 | trail);
    }
  }
  // Code points that other Japanese mappings use for characters CP932 has under a different
  // code point (wave dash, minus, double bar, em dash, cent, pound, not), and the yen sign and
  // overline that Japanese systems show for the bytes 0x5C and 0x7E: typed or pasted they
  // become that CP932 character rather than "?". Decoding is unchanged, so files round-trip.
  static constexpr std::pair<char16_t, char16_t> kVariants[] = {
      {0x301C, 0xFF5E}, {0x2212, 0xFF0D}, {0x2016, 0x2225}, {0x2014, 0x2015}, {0x00A2, 0xFFE0},
      {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x00A5, 0x005C}, {0x203E, 0x007E}};
  for (auto [variant, cp932Char] : kVariants) {
    if (t->encode[variant] == kNone) t->encode[variant] = t->encode[cp932Char];
  }
  return t;
}

const Tables& GetTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

// Writes the UTF-8 form of a code point below U+10000 at o; returns its length.
inline std::size_t PutBmp(char* o, unsigned cp) {
  if (cp < 0x80) {
    o[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    o[0] = static_cast<char>(0xC0 | (cp >> 6));
    o[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  o[0] = static_cast<char>(0xE0 | (cp >> 12));
  o[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  o[2] = static_cast<char>(0x80 | (cp & 0x3F));
  return 3;
}

// The escape of byte b: U+F0000+b in UTF-8.
inline std::size_t PutEscape(char* o, unsigned b) {
  o[0] = static_cast<char>(0xF3);
  o[1] = static_cast<char>(0xB0);
  o[2] = static_cast<char>(0x80 | (b >> 6));
  o[3] = static_cast<char>(0x80 | (b & 0x3F));
  return 4;
}

// CP932 bytes of a code point (escapes included), or kNone; a single byte is < 0x100.
inline unsigned Cp932Of(const Tables& t, char32_t cp) {
  if (cp - kEscapeBase < 0x100) return cp - kEscapeBase;
  if (cp < 0x10000) return t.encode[cp];
  return kNone;
}

inline bool AllAscii8(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return (v & kHighBits) == 0;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  const Tables& t = GetTables();
  const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
  const std::size_t n = cp932.size();
  constexpr std::size_t kBlock = 1 << 16;
  std::string out;
  // Japanese text grows by about half; escapes (4 bytes for 1) make the buffer grow per block.
  out.resize(n + n / 2 + 4 * std::min(n, kBlock));
  std::size_t i = 0;
  std::size_t w = 0;
  while (i < n) {
    const std::size_t blockEnd = std::min(n, i + kBlock);
    const std::size_t need = w + 4 * (blockEnd - i);
    if (out.size() < need) out.resize(std::max(need, out.size() + out.size() / 2));
    char* o = out.data();
    while (i < blockEnd) {
      if (i + 8 <= blockEnd && AllAscii8(p + i)) {
        std::memcpy(o + w, p + i, 8);
        i += 8;
        w += 8;
        continue;
      }
      const unsigned c = p[i];
      if (c < 0x80) {
        o[w++] = static_cast<char>(c);
        ++i;
        continue;
      }
      if (IsLeadByte(static_cast<unsigned char>(c))) {
        if (i + 1 < n) {
          const char16_t cp = t.pair[c << 8 | p[i + 1]];
          if (cp != 0) {
            w += PutBmp(o + w, cp);
            i += 2;
            continue;
          }
        }
      } else if (t.single[c] != kNone) {
        w += PutBmp(o + w, t.single[c]);
        ++i;
        continue;
      }
      w += PutEscape(o + w, c);
      ++i;
    }
  }
  out.resize(w);
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  const Tables& t = GetTables();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::string out;
  out.resize(n);  // no character takes more bytes in CP932 than in UTF-8
  char* o = out.data();
  std::size_t i = 0;
  std::size_t w = 0;
  while (i < n) {
    if (i + 8 <= n && AllAscii8(p + i)) {
      std::memcpy(o + w, p + i, 8);
      i += 8;
      w += 8;
      continue;
    }
    if (p[i] < 0x80) {
      o[w++] = static_cast<char>(p[i++]);
      continue;
    }
    char32_t cp;
    const int len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) {  // one "?" per byte of a malformed sequence
      o[w++] = '?';
      ++i;
      continue;
    }
    i += len;
    const unsigned bytes = Cp932Of(t, cp);
    if (bytes == kNone) {
      o[w++] = '?';
    } else if (bytes >= 0x100) {
      o[w++] = static_cast<char>(bytes >> 8);
      o[w++] = static_cast<char>(bytes & 0xFF);
    } else {
      o[w++] = static_cast<char>(bytes);
    }
  }
  out.resize(w);
  return out;
}

namespace {

// Calls bad(offset, length) for each character of `utf8` CP932 cannot hold, and with length 0
// for each byte that starts no well-formed UTF-8 character; stops when it returns false.
template <typename Bad>
void ForEachUnencodable(std::string_view utf8, Bad bad) {
  const Tables& t = GetTables();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const int len = DecodeUtf8(p + i, n - i, cp);
    const auto length = static_cast<std::size_t>(len);
    if ((len == 0 || Cp932Of(t, cp) == kNone) && !bad(i, length)) return;
    i += len == 0 ? 1 : length;
  }
}

}  // namespace

bool CanEncodeCp932(std::string_view utf8) {
  bool encodable = true;
  ForEachUnencodable(utf8, [&encodable](std::size_t, std::size_t) { return encodable = false; });
  return encodable;
}

std::string UnencodableCp932(std::string_view utf8) {
  std::string found;
  ForEachUnencodable(utf8, [&](std::size_t at, std::size_t length) {
    // Malformed UTF-8 is no character to name.
    const std::string_view character = utf8.substr(at, length);
    if (length > 0 && found.find(character) == std::string::npos) found.append(character);
    return true;
  });
  return found;
}

bool Cp932KeepsText(std::string_view utf8) {
  const std::string cp932 = Utf8ToCp932(utf8);
  if (cp932 == utf8) return true;
  return !IsValidUtf8(cp932) && Cp932ToUtf8(cp932) == utf8;
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n && AllAscii8(p + i)) {
      i += 8;
      continue;
    }
    char32_t cp;
    const int len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

int DecodeCp932Char(std::string_view cp932, std::size_t offset, char32_t& codePoint) {
  if (offset >= cp932.size()) return 0;
  const Tables& t = GetTables();
  const unsigned c = static_cast<unsigned char>(cp932[offset]);
  if (IsLeadByte(static_cast<unsigned char>(c))) {
    if (offset + 1 < cp932.size()) {
      const char16_t cp = t.pair[c << 8 | static_cast<unsigned char>(cp932[offset + 1])];
      if (cp != 0) {
        codePoint = cp;
        return 2;
      }
    }
  } else if (t.single[c] != kNone) {
    codePoint = t.single[c];
    return 1;
  }
  codePoint = kEscapeBase + c;
  return 1;
}

bool EncodeCp932Char(char32_t codePoint, std::string& out) {
  const unsigned bytes = Cp932Of(GetTables(), codePoint);
  if (bytes == kNone) return false;
  if (bytes >= 0x100) out.push_back(static_cast<char>(bytes >> 8));
  out.push_back(static_cast<char>(bytes & 0xFF));
  return true;
}

void AppendUtf8(char32_t codePoint, std::string& out) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) codePoint = 0xFFFD;
  char buf[4];
  if (codePoint < 0x10000) {
    out.append(buf, PutBmp(buf, codePoint));
    return;
  }
  buf[0] = static_cast<char>(0xF0 | (codePoint >> 18));
  buf[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
  buf[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
  buf[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
  out.append(buf, 4);
}

}  // namespace norra
