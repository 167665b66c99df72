// Conversions between the charset texts are given in and the one they are searched in.
#include "engine/CharsetText.h"

#include <vector>

#include "text/Encoding.h"
#include "text/Utf8.h"

namespace norra {
namespace {

// The code point a UTF-8 text's byte that starts no character stands for (as CP932 escapes
// its stray bytes), so that it can be named.
char32_t EscapeOf(unsigned char b) { return kEscapeBase + b; }

void NameOnce(char32_t cp, std::string& named) {
  std::string one;
  AppendUtf8(cp, one);
  if (named.find(one) == std::string::npos) named += one;
}

// Appends the CP932 bytes of cp when CP932 holds cp itself (they decode back to cp).
bool EncodeExactlyCp932(char32_t cp, std::string& out) {
  const std::size_t before = out.size();
  if (!EncodeCp932Char(cp, out)) return false;
  char32_t back = 0;
  const std::string_view added = std::string_view(out).substr(before);
  if (DecodeCp932Char(added, 0, back) == static_cast<int>(added.size()) && back == cp) return true;
  out.resize(before);
  return false;
}

}  // namespace

std::string ConvertedSymbol(std::string_view cp932Symbol, Charset charset) {
  return charset == Charset::Utf8 ? Cp932ToUtf8(cp932Symbol) : std::string(cp932Symbol);
}

EngineError ConvertForEngine(std::string_view text, Charset given, Charset target,
                             EngineErrorCode code, std::string& out) {
  out.clear();
  if (given == target) {
    out.assign(text);
    return {};
  }
  std::string notHeld;
  if (given == Charset::Cp932) {
    // Every CP932 character has a UTF-8 form; a byte CP932 cannot read has none.
    for (std::size_t i = 0; i < text.size();) {
      char32_t cp = 0;
      const int length = DecodeCp932Char(text, i, cp);
      if (cp >= kEscapeBase && cp <= kEscapeBase + 0xFF) {
        NameOnce(cp, notHeld);
      } else {
        AppendUtf8(cp, out);
      }
      i += static_cast<std::size_t>(length);
    }
  } else {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
      char32_t cp = 0;
      int length = DecodeUtf8(s + i, text.size() - i, cp);
      if (length == 0) {
        cp = EscapeOf(s[i]);
        length = 1;
      }
      if (!EncodeExactlyCp932(cp, out)) NameOnce(cp, notHeld);
      i += static_cast<std::size_t>(length);
    }
  }
  if (!notHeld.empty()) return EngineError(code, std::move(notHeld), target);
  return {};
}

bool FormatDateTimeIn(Charset charset, std::string_view format, const DateTime& dateTime,
                      std::string& out) {
  if (charset == Charset::Cp932) return FormatDateTime(format, dateTime, out);
  // The formatter reads CP932. Characters it cannot be given as CP932 (and private-use ones,
  // whose code points stand in for them) travel as user-defined CP932 characters and are put
  // back after formatting; every other one round-trips exactly.
  std::vector<char32_t> standIns;
  std::string cp932;
  const auto* s = reinterpret_cast<const unsigned char*>(format.data());
  for (std::size_t i = 0; i < format.size();) {
    char32_t cp = 0;
    int length = DecodeUtf8(s + i, format.size() - i, cp);
    if (length == 0) {
      cp = EscapeOf(s[i]);
      length = 1;
    }
    i += static_cast<std::size_t>(length);
    constexpr char32_t kStandInBase = 0xE000;  // CP932 0xF040 on
    constexpr std::size_t kStandIns = 1880;   // the ten rows 0xF040-0xF9FC
    const bool privateUse = cp >= kStandInBase && cp < kStandInBase + kStandIns;
    if (!privateUse && EncodeExactlyCp932(cp, cp932)) continue;
    if (standIns.size() == kStandIns) return false;
    if (!EncodeCp932Char(kStandInBase + static_cast<char32_t>(standIns.size()), cp932)) {
      return false;
    }
    standIns.push_back(cp);
  }
  std::string formatted;
  if (!FormatDateTime(cp932, dateTime, formatted)) return false;
  const std::string utf8 = Cp932ToUtf8(formatted);
  if (standIns.empty()) {
    out = utf8;
    return true;
  }
  out.clear();
  const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const int length = DecodeUtf8(u + i, utf8.size() - i, cp);
    if (length == 3 && cp >= 0xE000 && cp - 0xE000 < standIns.size()) {
      const char32_t original = standIns[cp - 0xE000];
      if (original >= kEscapeBase && original <= kEscapeBase + 0xFF) {
        out.push_back(static_cast<char>(original - kEscapeBase));
      } else {
        AppendUtf8(original, out);
      }
    } else {
      out.append(utf8, i, length > 0 ? static_cast<std::size_t>(length) : 1);
    }
    i += length > 0 ? static_cast<std::size_t>(length) : 1;
  }
  return true;
}

}  // namespace norra
