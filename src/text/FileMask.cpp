// File-name masks: compiling a mask into tokens and matching whole names without backtracking blow-up.
#include "text/FileMask.h"

#include "text/CaseMap.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace norra {

namespace {

// Stands for any character CP932 cannot hold; no mask character has this code.
constexpr std::uint32_t kForeignCode = 0xFFFFFFFFu;

std::uint32_t CodeAt(std::string_view text, std::size_t offset, int step) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  if (step == 1) return lead;
  return (static_cast<std::uint32_t>(lead) << 8) | static_cast<unsigned char>(text[offset + 1]);
}

// Length of the well-formed UTF-8 character at offset, or 0 when the bytes there are not one.
std::size_t Utf8CharLength(std::string_view text, std::size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  std::size_t length = 0;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 0;
  }
  if (text.size() - offset < length) return 0;
  return IsValidUtf8(text.substr(offset, length)) ? length : 0;
}

}  // namespace

bool FileMask::Token::Accepts(std::uint32_t c) const {
  switch (kind) {
    case Kind::Char:
      return c == code;
    case Kind::Any:
    case Kind::Star:
      return true;
    case Kind::Set: {
      bool inSet = false;
      for (const auto& [low, high] : ranges) {
        if (c >= low && c <= high) {
          inSet = true;
          break;
        }
      }
      return inSet != negate;
    }
  }
  return false;
}

FileMask::FileMask(std::string_view maskCp932, Syntax syntax) {
  const std::string mask = ToUpperCp932Copy(maskCp932);
  std::size_t i = 0;
  auto nextCode = [&mask, &i]() {
    const int step = CharStepAt(mask, i);
    const std::uint32_t code = CodeAt(mask, i, step);
    i += static_cast<std::size_t>(step);
    return code;
  };
  while (i < mask.size()) {
    const char c = mask[i];
    Token token;
    if (c == '*') {
      ++i;
      if (!tokens_.empty() && tokens_.back().kind == Token::Kind::Star) continue;
      token.kind = Token::Kind::Star;
    } else if (c == '?') {
      ++i;
      token.kind = Token::Kind::Any;
    } else if (c == '[' && syntax == Syntax::Full) {
      ++i;
      token.kind = Token::Kind::Set;
      if (i < mask.size() && mask[i] == '!') {
        token.negate = true;
        ++i;
      }
      bool closed = false;
      while (i < mask.size()) {
        if (mask[i] == ']') {
          ++i;
          closed = true;
          break;
        }
        const std::uint32_t low = nextCode();
        std::uint32_t high = low;
        if (i + 1 < mask.size() && mask[i] == '-' && mask[i + 1] != ']') {
          ++i;
          high = nextCode();
        }
        token.ranges.emplace_back(low, high);
      }
      if (!closed) {
        valid_ = false;
        tokens_.clear();
        return;
      }
    } else {
      token.code = nextCode();
    }
    tokens_.push_back(std::move(token));
  }
}

FileMask::NameCodes FileMask::CodesOfName(std::string_view nameCp932) {
  const std::string name = ToUpperCp932Copy(nameCp932);
  NameCodes codes;
  codes.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const int step = CharStepAt(name, i);
    codes.push_back(CodeAt(name, i, step));
    i += static_cast<std::size_t>(step);
  }
  return codes;
}

FileMask::NameCodes FileMask::CodesOfUtf8Name(std::string_view nameUtf8) {
  NameCodes codes;
  codes.reserve(nameUtf8.size());
  for (std::size_t i = 0; i < nameUtf8.size();) {
    const std::size_t length = Utf8CharLength(nameUtf8, i);
    if (length == 0) {
      codes.push_back(kForeignCode);
      ++i;
      continue;
    }
    const std::string_view character = nameUtf8.substr(i, length);
    i += length;
    if (!CanEncodeCp932(character)) {
      codes.push_back(kForeignCode);
      continue;
    }
    const NameCodes converted = CodesOfName(Utf8ToCp932(character));
    codes.insert(codes.end(), converted.begin(), converted.end());
  }
  return codes;
}

bool FileMask::MatchesCodes(const NameCodes& codes) const {
  if (!valid_) return false;
  // Every token but "*" takes exactly one character, so remembering only the last star and
  // retrying it one character further is complete and stays within O(name × mask).
  std::size_t t = 0;
  std::size_t n = 0;
  std::size_t starToken = tokens_.size();
  std::size_t starName = 0;
  while (n < codes.size()) {
    if (t < tokens_.size() && tokens_[t].kind == Token::Kind::Star) {
      starToken = t++;
      starName = n;
    } else if (t < tokens_.size() && tokens_[t].Accepts(codes[n])) {
      ++t;
      ++n;
    } else if (starToken < tokens_.size()) {
      t = starToken + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (t < tokens_.size() && tokens_[t].kind == Token::Kind::Star) ++t;
  return t == tokens_.size();
}

bool FileMask::Matches(std::string_view nameCp932) const {
  return valid_ && MatchesCodes(CodesOfName(nameCp932));
}

bool FileMask::MatchesUtf8Name(std::string_view nameUtf8) const {
  return valid_ && MatchesCodes(CodesOfUtf8Name(nameUtf8));
}

bool MatchesMask(std::string_view nameCp932, std::string_view maskCp932) {
  return FileMask(maskCp932).Matches(nameCp932);
}

std::vector<std::string> BuildFileMaskList(std::string_view maskTextCp932) {
  const std::string text = ToUpperCp932Copy(maskTextCp932);
  std::vector<std::string> masks;
  // ";" is never the trail byte of a double-byte character, so cutting bytes is safe.
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) masks.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (masks.empty()) masks.emplace_back("*");
  return masks;
}

namespace {

bool MatchesAnyCodes(const FileMask::NameCodes& codes, const std::vector<std::string>& masks) {
  if (codes.empty()) return false;
  if (masks.empty()) return true;
  for (const std::string& mask : masks) {
    if (FileMask(mask).MatchesCodes(codes)) return true;
  }
  return false;
}

}  // namespace

bool MatchesAnyMask(std::string_view nameCp932, const std::vector<std::string>& masksCp932) {
  return MatchesAnyCodes(FileMask::CodesOfName(nameCp932), masksCp932);
}

bool MatchesAnyMaskUtf8Name(std::string_view nameUtf8, const std::vector<std::string>& masksCp932) {
  return MatchesAnyCodes(FileMask::CodesOfUtf8Name(nameUtf8), masksCp932);
}

}  // namespace norra
