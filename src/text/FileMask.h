// File-name masks ("*", "?", "[a-c]", "[!x]") matched against whole CP932 or UTF-8 names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norra {

// A compiled mask. Both the mask and every name are upper-cased (CP932 rules) before they are
// compared, and the whole name must match: "*" any run of characters (also none), "?" exactly
// one character (both bytes of a double-byte one), "[...]" one character of the set, where
// "x-y" is a range (by character code) and a leading "!" negates the set. A "-" first or last
// in a set stands for itself. A mask with an unclosed set cannot be read and matches nothing.
class FileMask {
 public:
  enum class Syntax {
    Full,      // "*", "?" and bracketed sets
    Wildcard,  // only "*" and "?", "[" is an ordinary character (the file system's listing rules)
  };

  explicit FileMask(std::string_view maskCp932, Syntax syntax = Syntax::Full);

  // False when the mask could not be read; it then matches nothing.
  bool IsValid() const { return valid_; }

  // A name given as CP932 bytes (page names, group member lines).
  bool Matches(std::string_view nameCp932) const;

  // A name as the file system gives it (UTF-8). A character CP932 cannot hold, and a byte that
  // is not UTF-8, is one character that only "?", "*" and negated sets match.
  bool MatchesUtf8Name(std::string_view nameUtf8) const;

  // A name as upper-cased character codes, to convert once and match against many masks.
  using NameCodes = std::vector<std::uint32_t>;
  static NameCodes CodesOfName(std::string_view nameCp932);
  static NameCodes CodesOfUtf8Name(std::string_view nameUtf8);
  bool MatchesCodes(const NameCodes& codes) const;

 private:
  struct Token {
    enum class Kind { Char, Any, Star, Set } kind = Kind::Char;
    std::uint32_t code = 0;                                      // Char
    bool negate = false;                                         // Set
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;  // Set
    bool Accepts(std::uint32_t c) const;
  };

  std::vector<Token> tokens_;
  bool valid_ = true;
};

// One-off match of a CP932 name against a CP932 mask.
bool MatchesMask(std::string_view nameCp932, std::string_view maskCp932);

// The mask list of a mask text: upper-cased, cut at every ";", empty pieces dropped, order
// kept; a text without any piece gives the single mask "*".
std::vector<std::string> BuildFileMaskList(std::string_view maskTextCp932);

// True when the name matches at least one mask. An empty list matches every name; an empty
// name matches nothing.
bool MatchesAnyMask(std::string_view nameCp932, const std::vector<std::string>& masksCp932);

// The same for a file-system (UTF-8) name.
bool MatchesAnyMaskUtf8Name(std::string_view nameUtf8, const std::vector<std::string>& masksCp932);

}  // namespace norra
