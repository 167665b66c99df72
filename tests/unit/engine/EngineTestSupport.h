// Shared set-up for the engine tests: built-in symbols, a fixed clock, and helpers that take
// UTF-8 test texts and hand CP932 to the engine.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "engine/PatternDump.h"
#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "platform/FixedClock.h"
#include "text/Encoding.h"

namespace norra::testing {

inline std::string Sj(std::string_view utf8) { return Utf8ToCp932(utf8); }
inline std::string U8(std::string_view cp932) { return Cp932ToUtf8(cp932); }

inline TagSymbols BuiltInSymbols() {
  TagTable table;
  table.Build();
  return table.BuiltInSymbols();
}

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : symbols(BuiltInSymbols()), clock(DateTime{2001, 2, 3, 4, 5, 6, 7}),
                 engine(symbols, clock) {}

  // Compiles a UTF-8 find text; false on refusal, which `refusal` then holds.
  bool CompileFind(std::string_view utf8) {
    CompileResult result = engine.Compile(Sj(utf8));
    refusal = result.error;
    return static_cast<bool>(result);
  }

  // The dump of a find text's compiled pattern, or "<refused>".
  std::string Dump(std::string_view utf8) {
    if (!CompileFind(utf8)) return "<refused>";
    return DumpPattern(engine.Pattern());
  }

  // Match of `find` in `text` (both UTF-8) from 1-based `start`, as (position, length) in
  // bytes of the CP932 text; (0, 0) when nothing matched.
  std::pair<std::int64_t, std::int64_t> Find(std::string_view find, std::string_view text,
                                             std::int64_t start = 1) {
    EXPECT_TRUE(CompileFind(find)) << find;
    engine.SetWorkingText(Sj(text));
    engine.StartPos = start;
    engine.PreFoldedText = false;
    engine.Match();
    return {engine.MatchPos, engine.MatchLen};
  }

  // The text a match covers, as UTF-8 ("" when nothing matched).
  std::string Found(std::string_view find, std::string_view text, std::int64_t start = 1) {
    auto [pos, len] = Find(find, text, start);
    if (pos == 0) return "<none>";
    return U8(engine.WorkingText().substr(static_cast<std::size_t>(pos - 1),
                                          static_cast<std::size_t>(len)));
  }

  // Replace-all over a text (UTF-8 in and out) after a run reset.
  std::string ReplaceAll(std::string_view find, std::string_view replace, std::string_view text) {
    EXPECT_TRUE(CompileFind(find)) << find;
    EXPECT_TRUE(engine.CompileReplace(Sj(replace))) << replace;
    engine.RunReset();
    const std::string cp932 = Sj(text);
    const ReplaceResult result = engine.ReplaceAll(cp932);
    return U8(result.Replaced() ? result.text : cp932);
  }

  TagSymbols symbols;
  EngineError refusal;  // of the last CompileFind
  FixedClock clock;
  SearchEngine engine;
};

}  // namespace norra::testing
