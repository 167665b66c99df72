// Fuzz target: file-mask matching. Input: selector byte, mask, NUL, name. The compiled mask
// answers alike for every form of the name, a mask without wildcards matches only its own
// name, and long names with many stars stay quick (a slow match is a libFuzzer timeout).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/FileMask.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  if (size == 0) return 0;
  const std::uint8_t selector = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t nul = input.find('\0');
  const std::string_view mask = input.substr(0, nul);
  const std::string_view name = nul == std::string_view::npos ? input : input.substr(nul + 1);
  const FileMask::Syntax syntax =
      (selector & 1) ? FileMask::Syntax::Wildcard : FileMask::Syntax::Full;

  const FileMask compiled(mask, syntax);
  const bool matches = compiled.Matches(name);
  if (matches && !compiled.IsValid()) __builtin_trap();  // an unreadable mask matches nothing
  if (compiled.MatchesCodes(FileMask::CodesOfName(name)) != matches) __builtin_trap();
  (void)compiled.MatchesUtf8Name(name);
  if (syntax == FileMask::Syntax::Full && MatchesMask(name, mask) != matches) __builtin_trap();

  // Without "*", "?" or "[" the mask is a plain name: it matches itself.
  if (!mask.empty() && mask.find_first_of("*?[") == std::string_view::npos &&
      !FileMask(mask, syntax).Matches(mask))
    __builtin_trap();
  if (!name.empty() && !FileMask("*", syntax).Matches(name)) __builtin_trap();

  // The mask text as a list: any piece that matches makes the list match.
  const std::vector<std::string> list = BuildFileMaskList(mask);
  bool any = false;
  for (const std::string& piece : list) any = any || MatchesMask(name, piece);
  if (MatchesAnyMask(name, list) != (any && !name.empty())) __builtin_trap();
  return 0;
}
