// Fuzz target: matching and replace-all on arbitrary patterns and texts end, stay inside the
// text, start matches on character boundaries, and give the same answers with and without
// the matcher's shortcuts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "engine/MatchSession.h"
#include "engine/Matcher.h"
#include "engine/SearchEngine.h"
#include "platform/FixedClock.h"
#include "text/CaseMap.h"
#include "text/Cp932.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  if (size < 2) return 0;
  const TagSymbols symbols = fuzz::SymbolsFor(data[0]);
  FixedClock clock(DateTime{2001, 2, 3, 4, 5, 6, 7});
  SearchEngine engine(symbols, clock);
  engine.MatchCase = (data[0] & 4) != 0;

  // pattern NUL text
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = input.find('\0');
  if (cut == std::string::npos) return 0;
  const std::string pattern = input.substr(0, cut);
  const std::string text = input.substr(cut + 1);
  if (!engine.Compile(pattern)) return 0;

  const std::string folded = engine.MatchCase ? text : ToUpperCp932Copy(text);
  auto abandon = [] { throw EngineAbort(EngineErrorCode::WhichWithoutAlternatives); };
  try {
    MatchSession session(folded, text);
    Matcher quick(engine.Pattern(), abandon);
    quick.Begin(session);
    // Without shortcuts the search may take exponential time: compare on small inputs only.
    const bool compare = text.size() <= 24 && pattern.size() <= 48;
    Matcher plain(engine.Pattern(), abandon);
    plain.SetShortcuts(false);
    plain.Begin(session);
    for (std::size_t from = 0; from < text.size(); from += CharStepAt(text, from)) {
      std::size_t qs = 0, qe = 0;
      const bool q = quick.Find(from, qs, qe);
      if (q) {
        if (qs < from || qe < qs || qe > text.size()) Fail();
        if (IsTrailByteAt(text, qs) || IsTrailByteAt(text, qe)) Fail();
      }
      if (!compare) continue;
      std::size_t ps = 0, pe = 0;
      const bool p = plain.Find(from, ps, pe);
      if (p != q || (q && (ps != qs || pe != qe))) Fail();
      if (q) {
        const auto& a = quick.Captures();
        const auto& b = plain.Captures();
        if (a.size() != b.size()) Fail();
        for (std::size_t i = 0; i < a.size(); ++i) {
          if (a[i].start != b[i].start || a[i].end != b[i].end) Fail();
        }
      }
    }
  } catch (const EngineAbort&) {
    return 0;
  }

  // Replace-all ends (also on empty matches) and keeps every byte outside the matches.
  try {
    engine.CompileReplace("<[rcount]>");
    engine.RunReset();
    const auto spans = engine.ListMatchesInText(text);
    engine.RunReset();
    const ReplaceResult result = engine.ReplaceAll(text);
    const std::string& replaced = result.Replaced() ? result.text : text;
    if (static_cast<std::size_t>(engine.ReplaceCount) != spans.size()) Fail();
    std::size_t kept = text.size();
    for (const MatchSpan& s : spans) kept -= s.length;
    if (replaced.size() < kept) Fail();
  } catch (const EngineAbort&) {
  }
  return 0;
}
