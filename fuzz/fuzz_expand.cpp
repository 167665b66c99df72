// Fuzz target: replace-text compile and expansion after a match that stored areas.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "engine/SearchEngine.h"
#include "platform/FixedClock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  if (size == 0) return 0;
  const TagSymbols symbols = fuzz::SymbolsFor(data[0]);
  FixedClock clock(DateTime{2001, 2, 3, 4, 5, 6, 7});
  SearchEngine engine(symbols, clock);
  const std::string L = symbols[TAG_BRACKET1];
  const std::string R = symbols[TAG_BRACKET2];
  const std::string find = L + symbols[TAG_INTO] + " a" + R + L + symbols[TAG_STR] + R + L +
                           symbols[TAG_ENDTO] + R + "=" + L + symbols[TAG_INTO] + " b" + R + L +
                           symbols[TAG_CHAR] + R + L + symbols[TAG_ENDTO] + R;
  if (!engine.Compile(find)) __builtin_trap();
  engine.SetWorkingText("key=value");
  engine.StartPos = 1;
  if (!engine.Match()) __builtin_trap();

  const std::string replace(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (const CompileResult compiled = engine.CompileReplace(replace); !compiled) {
    if (!engine.ReplaceList().empty() || compiled.error.Ok()) __builtin_trap();
    return 0;
  }
  ++engine.FindCount;
  ++engine.ReplaceCount;
  const std::string once = engine.Expand();
  if (once != engine.Expand()) __builtin_trap();  // expansion has no side effects
  return 0;
}
