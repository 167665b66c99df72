// EUC-JP tables built once from iconv, kept only where decoding and encoding agree.
#include "text/EucJp.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "text/Encoding.h"
#include "text/IconvChar.h"

namespace norra {
namespace {

constexpr unsigned kRows = 94;

struct Tables {
  std::array<char16_t, kRows * kRows> jis0208{};  // 0: no character
  std::array<char16_t, kRows * kRows> jis0212{};
  std::array<char16_t, 63> kana{};                // 0x8E 0xA1..0xDF
  std::vector<std::uint32_t> encode = std::vector<std::uint32_t>(0x10000, 0);  // bytes, 0: none
};

// The character of the bytes, or 0 when they are not exactly one (NUL is never a table's).
char16_t Ask(iconv_t cd, const unsigned char* bytes, std::size_t count) {
  return IconvBmpChar(cd, bytes, count).value_or(0);
}

std::unique_ptr<Tables> Build() {
  iconv_t raw = iconv_open("UTF-32BE", "EUC-JP");
  if (raw == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no EUC-JP converter");
  std::unique_ptr<void, IconvCloser> cd(raw);
  auto t = std::make_unique<Tables>();
  // The first encoding of a character wins: JIS X 0208, then the katakana, then JIS X 0212.
  auto offer = [&](char16_t cp, std::uint32_t bytes) {
    if (cp != 0 && t->encode[cp] == 0) t->encode[cp] = bytes;
  };
  for (unsigned a = 0; a < kRows; ++a) {
    for (unsigned b = 0; b < kRows; ++b) {
      const unsigned char seq[2] = {static_cast<unsigned char>(0xA1 + a), static_cast<unsigned char>(0xA1 + b)};
      t->jis0208[a * kRows + b] = Ask(raw, seq, 2);
      offer(t->jis0208[a * kRows + b], (0xA1u + a) << 8 | (0xA1u + b));
    }
  }
  for (unsigned k = 0; k < t->kana.size(); ++k) {
    const unsigned char seq[2] = {0x8E, static_cast<unsigned char>(0xA1 + k)};
    t->kana[k] = Ask(raw, seq, 2);
    offer(t->kana[k], 0x8E00u | (0xA1u + k));
  }
  for (unsigned a = 0; a < kRows; ++a) {
    for (unsigned b = 0; b < kRows; ++b) {
      const unsigned char seq[3] = {0x8F, static_cast<unsigned char>(0xA1 + a), static_cast<unsigned char>(0xA1 + b)};
      t->jis0212[a * kRows + b] = Ask(raw, seq, 3);
      offer(t->jis0212[a * kRows + b], 0x8F0000u | (0xA1u + a) << 8 | (0xA1u + b));
    }
  }
  // Sequences whose character is written with other bytes would not come back: invalid.
  for (unsigned i = 0; i < kRows * kRows; ++i) {
    const unsigned a = i / kRows;
    const unsigned b = i % kRows;
    if (t->jis0208[i] != 0 && t->encode[t->jis0208[i]] != ((0xA1u + a) << 8 | (0xA1u + b))) t->jis0208[i] = 0;
    if (t->jis0212[i] != 0 && t->encode[t->jis0212[i]] != (0x8F0000u | (0xA1u + a) << 8 | (0xA1u + b))) {
      t->jis0212[i] = 0;
    }
  }
  for (unsigned k = 0; k < t->kana.size(); ++k) {
    if (t->kana[k] != 0 && t->encode[t->kana[k]] != (0x8E00u | (0xA1u + k))) t->kana[k] = 0;
  }
  return t;
}

const Tables& Get() {
  static const std::unique_ptr<Tables> tables = Build();
  return *tables;
}

bool InRow(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }

}  // namespace

int DecodeEucJpChar(std::string_view bytes, std::size_t offset, char32_t& codePoint) {
  if (offset >= bytes.size()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
  const std::size_t avail = bytes.size() - offset;
  const unsigned c = p[0];
  if (c < 0x80) {
    codePoint = c;
    return 1;
  }
  const Tables& t = Get();
  if (InRow(p[0]) && avail >= 2 && InRow(p[1])) {
    if (const char16_t cp = t.jis0208[(p[0] - 0xA1u) * kRows + (p[1] - 0xA1u)]; cp != 0) {
      codePoint = cp;
      return 2;
    }
  } else if (c == 0x8E && avail >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF) {
    if (const char16_t cp = t.kana[p[1] - 0xA1u]; cp != 0) {
      codePoint = cp;
      return 2;
    }
  } else if (c == 0x8F && avail >= 3 && InRow(p[1]) && InRow(p[2])) {
    if (const char16_t cp = t.jis0212[(p[1] - 0xA1u) * kRows + (p[2] - 0xA1u)]; cp != 0) {
      codePoint = cp;
      return 3;
    }
  }
  codePoint = kEscapeBase + c;
  return 1;
}

bool EncodeEucJpChar(char32_t codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
    return true;
  }
  if (codePoint >= 0x10000) return false;
  const std::uint32_t bytes = Get().encode[codePoint];
  if (bytes == 0) return false;
  if (bytes > 0xFFFF) out.push_back(static_cast<char>(bytes >> 16));
  out.push_back(static_cast<char>((bytes >> 8) & 0xFF));
  out.push_back(static_cast<char>(bytes & 0xFF));
  return true;
}

}  // namespace norra
