// Encodings of searched files: detection, and EUC-JP through tables made once from iconv.
#include "text/SearchFileText.h"

#include <iconv.h>

#if defined(__SSE2__) && defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define NORRA_SIMD_UTF8 1
#endif

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "text/CaseMap.h"
#include "text/Encoding.h"
#include "text/Utf8.h"

namespace norra {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

#if defined(NORRA_SIMD_UTF8)

// UTF-8 checked sixteen bytes at a time by table look-ups on the high and low halves of each
// byte and the one before it, after the method of Keiser and Lemire ("Validating UTF-8 in less
// than one instruction per byte", 2021): each table gives the error classes a byte pair can
// be in, and a pair is wrong when all three agree; a third or fourth byte must follow a lead
// of three or four bytes. A sequence cut off by the end of the blocks is left to the caller.
namespace simd_utf8 {

constexpr unsigned char kTooShort = 1 << 0;
constexpr unsigned char kTooLong = 1 << 1;
constexpr unsigned char kOverlong3 = 1 << 2;
constexpr unsigned char kTooLarge = 1 << 3;
constexpr unsigned char kSurrogate = 1 << 4;
constexpr unsigned char kOverlong2 = 1 << 5;
constexpr unsigned char kTooLarge1000 = 1 << 6;
constexpr unsigned char kOverlong4 = 1 << 6;
constexpr unsigned char kTwoConts = 1 << 7;
constexpr unsigned char kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("ssse3"))) inline __m128i Table(const unsigned char (&t)[16]) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
}

__attribute__((target("ssse3"))) inline __m128i High(__m128i x) {
  return _mm_and_si128(_mm_srli_epi16(x, 4), _mm_set1_epi8(0x0F));
}

inline bool Zero(__m128i x) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_setzero_si128())) == 0xFFFF;
}

constexpr unsigned char kByte1High[16] = {
      kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
      kTwoConts, kTwoConts, kTwoConts, kTwoConts,
      kTooShort | kOverlong2, kTooShort, kTooShort | kOverlong3 | kSurrogate,
      kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
constexpr unsigned char kByte1Low[16] = {
      kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
      kCarry | kTooLarge, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000 | kSurrogate, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000};
constexpr unsigned char kByte2High[16] = {
      kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
      kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
      kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
      kTooShort, kTooShort, kTooShort, kTooShort};

// Whether the blocks of sixteen bytes in [0, blocks * 16) are valid; `high` tells whether
// any byte is above ASCII.
__attribute__((target("ssse3"))) bool Check(const unsigned char* p, std::size_t blocks,
                                            bool& high) {
  const __m128i byte1High = Table(kByte1High);
  const __m128i byte1Low = Table(kByte1Low);
  const __m128i byte2High = Table(kByte2High);
  __m128i error = _mm_setzero_si128();
  __m128i any = _mm_setzero_si128();
  __m128i prev = _mm_setzero_si128();
  for (std::size_t b = 0; b < blocks; ++b) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * b));
    any = _mm_or_si128(any, in);
    const __m128i prev1 = _mm_alignr_epi8(in, prev, 15);
    const __m128i special = _mm_and_si128(
        _mm_and_si128(_mm_shuffle_epi8(byte1High, High(prev1)),
                      _mm_shuffle_epi8(byte1Low, _mm_and_si128(prev1, _mm_set1_epi8(0x0F)))),
        _mm_shuffle_epi8(byte2High, High(in)));
    const __m128i prev2 = _mm_alignr_epi8(in, prev, 14);
    const __m128i prev3 = _mm_alignr_epi8(in, prev, 13);
    const __m128i third = _mm_subs_epu8(prev2, _mm_set1_epi8(static_cast<char>(0xE0 - 0x80)));
    const __m128i fourth = _mm_subs_epu8(prev3, _mm_set1_epi8(static_cast<char>(0xF0 - 0x80)));
    const __m128i must23 =
        _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(static_cast<char>(0x80)));
    error = _mm_or_si128(error, _mm_xor_si128(must23, special));
    prev = in;
    if ((b & 63) == 63 && !Zero(error)) return false;
  }
  high = _mm_movemask_epi8(any) != 0;
  return Zero(error);
}

// The same 32 bytes a step, on processors with AVX2 (the look-ups work within each half).
__attribute__((target("avx2"))) inline __m256i Table32(const unsigned char (&t)[16]) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
}

__attribute__((target("avx2"))) inline __m256i High32(__m256i x) {
  return _mm256_and_si256(_mm256_srli_epi16(x, 4), _mm256_set1_epi8(0x0F));
}

// The bytes of in moved on by n, with the last n of prev before them.
template <int N>
__attribute__((target("avx2"))) inline __m256i Prev32(__m256i in, __m256i prev) {
  return _mm256_alignr_epi8(in, _mm256_permute2x128_si256(prev, in, 0x21), 16 - N);
}

__attribute__((target("avx2"))) bool Check32(const unsigned char* p, std::size_t blocks,
                                             bool& high) {
  const __m256i byte1High = Table32(kByte1High);
  const __m256i byte1Low = Table32(kByte1Low);
  const __m256i byte2High = Table32(kByte2High);
  __m256i error = _mm256_setzero_si256();
  __m256i any = _mm256_setzero_si256();
  __m256i prev = _mm256_setzero_si256();
  for (std::size_t b = 0; b < blocks; ++b) {
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * b));
    any = _mm256_or_si256(any, in);
    const __m256i prev1 = Prev32<1>(in, prev);
    const __m256i special = _mm256_and_si256(
        _mm256_and_si256(
            _mm256_shuffle_epi8(byte1High, High32(prev1)),
            _mm256_shuffle_epi8(byte1Low, _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)))),
        _mm256_shuffle_epi8(byte2High, High32(in)));
    const __m256i third =
        _mm256_subs_epu8(Prev32<2>(in, prev), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
    const __m256i fourth =
        _mm256_subs_epu8(Prev32<3>(in, prev), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
    const __m256i must23 = _mm256_and_si256(_mm256_or_si256(third, fourth),
                                            _mm256_set1_epi8(static_cast<char>(0x80)));
    error = _mm256_or_si256(error, _mm256_xor_si256(must23, special));
    prev = in;
    if ((b & 63) == 63 && !_mm256_testz_si256(error, error)) return false;
  }
  high = _mm256_movemask_epi8(any) != 0;
  return _mm256_testz_si256(error, error) != 0;
}

}  // namespace simd_utf8

bool HasSimdUtf8() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

bool HasAvx2Utf8() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

// Valid UTF-8 that holds at least one multi-byte sequence. ASCII is passed over sixteen
// bytes at a time. With tailCut, a sequence cut off by the end counts as valid.
bool IsMultiByteUtf8(std::string_view bytes, bool tailCut = false, bool* invalid = nullptr);

bool IsMultiByteUtf8Whole(std::string_view bytes) {
#if defined(NORRA_SIMD_UTF8)
  if (HasSimdUtf8() && bytes.size() >= 64) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool wide = HasAvx2Utf8();
    const std::size_t blocks = bytes.size() / (wide ? 32 : 16) * (wide ? 2 : 1);
    bool high = false;
    if (!(wide ? simd_utf8::Check32(p, blocks / 2, high) : simd_utf8::Check(p, blocks, high))) {
      return false;
    }
    // The blocks' last character may run on past them: the rest is checked from its start.
    std::size_t from = blocks * 16;
    for (std::size_t back = 1; back <= 3; ++back) {
      const unsigned c = p[blocks * 16 - back];
      if ((c & 0xC0) == 0x80) continue;
      if (c >= 0xC0) from = blocks * 16 - back;
      break;
    }
    const std::string_view rest = bytes.substr(from);
    bool restInvalid = false;
    const bool restMulti = IsMultiByteUtf8(rest, false, &restInvalid);
    if (restInvalid) return false;
    return high || restMulti;
  }
#endif
  return IsMultiByteUtf8(bytes);
}

bool IsMultiByteUtf8(std::string_view bytes, bool tailCut, bool* invalid) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  bool multi = false;
  std::size_t i = 0;
  while (i < n) {
    if (i + 16 <= n) {
      std::uint64_t a;
      std::uint64_t b;
      std::memcpy(&a, p + i, 8);
      std::memcpy(&b, p + i + 8, 8);
      if (((a | b) & 0x8080808080808080ULL) == 0) {
        i += 16;
        continue;
      }
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const int len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) {
      if (tailCut && n - i < 4) return multi;
      if (invalid != nullptr) *invalid = true;
      return false;
    }
    multi = true;
    i += static_cast<std::size_t>(len);
  }
  return multi;
}

struct JapaneseScore {
  bool valid = true;
  std::size_t score = 0;  // kana and common kanji
  std::size_t kana = 0;
};

// EUC-JP read by its structure: ASCII, 8E + half-width kana, 8F + two bytes, or two bytes
// from A1-FE.
JapaneseScore ScoreEucJp(std::string_view bytes, bool tailCut = false) {
  JapaneseScore s;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  auto high = [](unsigned c) { return c >= 0xA1 && c <= 0xFE; };
  for (std::size_t i = 0; i < n;) {
    const unsigned c = p[i];
    if (c < 0x80) {
      ++i;
    } else if (c == 0x8E && i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF) {
      i += 2;
    } else if (c == 0x8F && i + 2 < n && high(p[i + 1]) && high(p[i + 2])) {
      i += 3;
    } else if (high(c) && i + 1 < n && high(p[i + 1])) {
      if (c == 0xA4 || c == 0xA5) ++s.kana;
      if (c == 0xA4 || c == 0xA5 || (c >= 0xB0 && c <= 0xCF)) ++s.score;
      i += 2;
    } else {
      s.valid = tailCut && n - i < 3;
      return s;
    }
  }
  return s;
}

JapaneseScore ScoreCp932(std::string_view bytes) {
  JapaneseScore s;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned c = p[i];
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) {
      ++i;
    } else if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < n &&
               p[i + 1] >= 0x40 && p[i + 1] <= 0xFC && p[i + 1] != 0x7F) {
      if (c == 0x82 || c == 0x83) ++s.kana;
      if (c == 0x82 || c == 0x83 || (c >= 0x88 && c <= 0x9F)) ++s.score;
      i += 2;
    } else {
      s.valid = false;
      return s;
    }
  }
  return s;
}

// The EUC-JP characters that convert to one Unicode character and back to the same bytes.
struct EucTables {
  std::unordered_map<std::uint32_t, char32_t> decode;  // bytes (big-endian) → code point
  std::unordered_map<char32_t, std::uint32_t> encode;  // code point → bytes
};

char32_t AskIconv(iconv_t cd, const unsigned char* bytes, std::size_t count) {
  unsigned char out[8];
  char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
  char* o = reinterpret_cast<char*>(out);
  std::size_t inLeft = count;
  std::size_t outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
      sizeof out - outLeft != 4) {
    return 0;
  }
  return static_cast<char32_t>(out[0]) << 24 | static_cast<char32_t>(out[1]) << 16 |
         static_cast<char32_t>(out[2]) << 8 | out[3];
}

std::uint32_t AskBack(iconv_t cd, char32_t cp) {
  const unsigned char in4[4] = {static_cast<unsigned char>(cp >> 24),
                                static_cast<unsigned char>(cp >> 16),
                                static_cast<unsigned char>(cp >> 8), static_cast<unsigned char>(cp)};
  unsigned char out[8];
  char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(in4));
  char* o = reinterpret_cast<char*>(out);
  std::size_t inLeft = 4;
  std::size_t outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) return 0;
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < sizeof out - outLeft; ++k) v = v << 8 | out[k];
  return v;
}

const EucTables& GetEucTables() {
  static const EucTables tables = [] {
    EucTables t;
    iconv_t to = iconv_open("UTF-32BE", "EUC-JP");
    iconv_t from = iconv_open("EUC-JP", "UTF-32BE");
    if (to == reinterpret_cast<iconv_t>(-1) || from == reinterpret_cast<iconv_t>(-1)) {
      if (to != reinterpret_cast<iconv_t>(-1)) iconv_close(to);
      if (from != reinterpret_cast<iconv_t>(-1)) iconv_close(from);
      return t;  // every high byte is then kept as an escape
    }
    auto add = [&](const unsigned char* bytes, std::size_t count) {
      const char32_t cp = AskIconv(to, bytes, count);
      if (cp == 0) return;
      std::uint32_t packed = 0;
      for (std::size_t k = 0; k < count; ++k) packed = packed << 8 | bytes[k];
      if (AskBack(from, cp) != packed) return;
      t.decode.emplace(packed, cp);
      t.encode.emplace(cp, packed);
    };
    for (unsigned a = 0xA1; a <= 0xFE; ++a) {
      for (unsigned b = 0xA1; b <= 0xFE; ++b) {
        const unsigned char two[2] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b)};
        add(two, 2);
        const unsigned char three[3] = {0x8F, static_cast<unsigned char>(a),
                                        static_cast<unsigned char>(b)};
        add(three, 3);
      }
    }
    for (unsigned b = 0xA1; b <= 0xDF; ++b) {
      const unsigned char two[2] = {0x8E, static_cast<unsigned char>(b)};
      add(two, 2);
    }
    iconv_close(to);
    iconv_close(from);
    return t;
  }();
  return tables;
}

void NameOnce(std::string_view character, std::string& named) {
  if (named.find(character) == std::string::npos) named.append(character);
}

}  // namespace

bool ParseEncodingChoice(std::string_view name, EncodingChoice& choice) {
  if (SameName(name, "auto")) {
    choice = EncodingChoice::Auto;
  } else if (SameName(name, "cp932") || SameName(name, "shift_jis") || SameName(name, "sjis")) {
    choice = EncodingChoice::Cp932;
  } else if (SameName(name, "utf-8") || SameName(name, "utf8")) {
    choice = EncodingChoice::Utf8;
  } else if (SameName(name, "euc-jp") || SameName(name, "eucjp")) {
    choice = EncodingChoice::EucJp;
  } else {
    return false;
  }
  return true;
}

FileEncoding DetectFileEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return FileEncoding::Utf8;
  if (IsMultiByteUtf8Whole(bytes)) return FileEncoding::Utf8;
  const JapaneseScore euc = ScoreEucJp(bytes);
  if (!euc.valid) return FileEncoding::Cp932;
  const JapaneseScore cp = ScoreCp932(bytes);
  if (!cp.valid) return FileEncoding::EucJp;
  // Both read: Japanese prose has kana, and reads as kana and common kanji in its own
  // encoding far more than in the other.
  if (euc.kana > 0 && euc.score > 2 * cp.score) return FileEncoding::EucJp;
  return FileEncoding::Cp932;
}

std::optional<FileEncoding> EncodingOfStart(std::string_view start) {
  if (start.starts_with(kUtf8Bom)) return FileEncoding::Utf8;
  if (start.size() < kUtf8Bom.size() && kUtf8Bom.starts_with(start)) return std::nullopt;
  bool invalid = false;
  if (IsMultiByteUtf8(start, true, &invalid)) return FileEncoding::Utf8;
  if (invalid && !ScoreEucJp(start, true).valid) return FileEncoding::Cp932;
  return std::nullopt;
}

const char* FileEncodingName(FileEncoding encoding) {
  switch (encoding) {
    case FileEncoding::Utf8:
      return "UTF-8";
    case FileEncoding::EucJp:
      return "EUC-JP";
    case FileEncoding::Cp932:
      break;
  }
  return "CP932";
}

void SearchFileText::Hold(std::string_view bytes, EncodingChoice choice) {
  switch (choice) {
    case EncodingChoice::Auto:
      encoding_ = DetectFileEncoding(bytes);
      break;
    case EncodingChoice::Cp932:
      encoding_ = FileEncoding::Cp932;
      break;
    case EncodingChoice::Utf8:
      encoding_ = FileEncoding::Utf8;
      break;
    case EncodingChoice::EucJp:
      encoding_ = FileEncoding::EucJp;
      break;
  }
  prefix_ = {};
  text_ = bytes;
  held_.clear();
  converted_ = false;
  heldOffsets_.clear();
  fileOffsets_.clear();
  if (encoding_ == FileEncoding::Utf8 && bytes.starts_with(kUtf8Bom)) {
    prefix_ = bytes.substr(0, kUtf8Bom.size());
    text_ = bytes.substr(kUtf8Bom.size());
  } else if (encoding_ == FileEncoding::EucJp) {
    held_ = EucJpToUtf8(bytes);
    converted_ = true;
  }
}

void SearchFileText::UpperCaseConverted() {
  if (converted_) ToUpperUtf8(held_.data(), held_.size());
}

std::size_t SearchFileText::FileOffset(std::size_t textOffset) const {
  if (!converted_) return prefix_.size() + textOffset;
  if (heldOffsets_.empty()) {
    // Walks the file's bytes and the held text side by side, character by character, as
    // EucJpToUtf8 made it.
    const std::string_view file = text_;
    std::size_t f = 0;
    std::size_t h = 0;
    const auto* u = reinterpret_cast<const unsigned char*>(held_.data());
    while (h < held_.size()) {
      heldOffsets_.push_back(static_cast<std::uint32_t>(h));
      fileOffsets_.push_back(static_cast<std::uint32_t>(f));
      char32_t cp = 0;
      const int length = DecodeUtf8(u + h, held_.size() - h, cp);
      h += length > 0 ? static_cast<std::size_t>(length) : 1;
      if (cp < 0x80 || (cp >= kEscapeBase && cp <= kEscapeBase + 0xFF)) {
        f += 1;
      } else {
        f += static_cast<unsigned char>(file[f]) == 0x8F ? 3 : 2;
      }
    }
    heldOffsets_.push_back(static_cast<std::uint32_t>(held_.size()));
    fileOffsets_.push_back(static_cast<std::uint32_t>(file.size()));
  }
  const auto it = std::lower_bound(heldOffsets_.begin(), heldOffsets_.end(),
                                   static_cast<std::uint32_t>(textOffset));
  return fileOffsets_[static_cast<std::size_t>(it - heldOffsets_.begin())];
}

bool SearchFileText::ToFileBytes(std::string_view newText, std::string& out,
                                 std::string& notHeld) const {
  out.assign(prefix_);
  if (!converted_) {
    out.append(newText);
    return true;
  }
  std::string encoded;
  if (!Utf8ToEucJp(newText, encoded, notHeld)) return false;
  out += encoded;
  return true;
}

std::string EucJpToUtf8(std::string_view eucJp) {
  const EucTables& t = GetEucTables();
  const auto* p = reinterpret_cast<const unsigned char*>(eucJp.data());
  const std::size_t n = eucJp.size();
  std::string out;
  out.reserve(n + n / 2);
  for (std::size_t i = 0; i < n;) {
    const unsigned c = p[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const std::size_t length = c == 0x8F ? 3 : 2;
    if (i + length <= n) {
      std::uint32_t packed = 0;
      for (std::size_t k = 0; k < length; ++k) packed = packed << 8 | p[i + k];
      if (auto it = t.decode.find(packed); it != t.decode.end()) {
        AppendUtf8(it->second, out);
        i += length;
        continue;
      }
    }
    AppendUtf8(kEscapeBase + c, out);  // kept as the byte it is
    ++i;
  }
  return out;
}

bool Utf8ToEucJp(std::string_view utf8, std::string& out, std::string& notHeld) {
  const EucTables& t = GetEucTables();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  out.clear();
  out.reserve(n);
  for (std::size_t i = 0; i < n;) {
    char32_t cp = 0;
    int length = DecodeUtf8(p + i, n - i, cp);
    if (length == 0) {
      // A stray byte in a new text (from a storage area it cannot be): not EUC-JP text.
      NameOnce(utf8.substr(i, 1), notHeld);
      ++i;
      continue;
    }
    const std::string_view character = utf8.substr(i, static_cast<std::size_t>(length));
    i += static_cast<std::size_t>(length);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp >= kEscapeBase && cp <= kEscapeBase + 0xFF) {
      out.push_back(static_cast<char>(cp - kEscapeBase));
    } else if (auto it = t.encode.find(cp); it != t.encode.end()) {
      const std::uint32_t v = it->second;
      if (v > 0xFFFF) out.push_back(static_cast<char>(v >> 16));
      out.push_back(static_cast<char>(v >> 8));
      out.push_back(static_cast<char>(v));
    } else {
      NameOnce(character, notHeld);
    }
  }
  return notHeld.empty();
}

}  // namespace norra
