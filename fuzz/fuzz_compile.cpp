// Fuzz target: the find-text and replace-text compilers never crash, and what they build can
// be printed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "engine/PatternDump.h"
#include "engine/SearchEngine.h"
#include "platform/FixedClock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  if (size == 0) return 0;
  const TagSymbols symbols = fuzz::SymbolsFor(data[0]);
  FixedClock clock(DateTime{2001, 2, 3, 4, 5, 6, 7});
  SearchEngine engine(symbols, clock);
  engine.MatchCase = (data[0] & 4) != 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const CompileResult compiled = engine.Compile(text);
  if (compiled) {
    if (engine.Pattern().empty()) __builtin_trap();
    (void)DumpPattern(engine.Pattern());
  } else if (!engine.Pattern().empty() || compiled.error.Ok()) {
    __builtin_trap();  // a refused text leaves no pattern, and says why
  }
  if (engine.CompileReplace(text)) (void)DumpPattern(engine.ReplaceList());
  return 0;
}
