// Benchmarks of the search engine: compiling, matching and replace-all over generated CP932
// text, for literals, folded literals, A[*]B, alternatives, repeats and hopeless patterns;
// replace-all into a string and streamed.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/ReplaceSink.h"
#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "platform/FixedClock.h"
#include "text/Encoding.h"
#include "Prose.h"

namespace {

using namespace norra;

TagSymbols Symbols() {
  TagTable table;
  table.Build();
  return table.BuiltInSymbols();
}

// Japanese prose with ASCII words, full- and half-width digits and CR LF lines.
std::string Corpus(std::size_t bytes) {
  return bench::ProseFrom({"東京都", "大阪府", "の", "は", "を", "検索", "置換", "文字列",
                           "ファイル", "Norra ", "editor ", "Search ", "テキスト", "、", "。\r\n",
                           "１２３", "2024", "ｶﾀｶﾅ", "青森", "秋田", "岩手", "県",
                           "price 1500 yen ", "漢字かな交じり文"},
                          bytes, 42);
}

const std::string& Text() {
  static const std::string text = Corpus(4 << 20);
  return text;
}

struct Fixture {
  TagSymbols symbols = Symbols();
  FixedClock clock{DateTime{2024, 1, 2, 3, 4, 5, 6}};
  SearchEngine engine{symbols, clock};

  Fixture(const char* findUtf8, const char* replaceUtf8, bool matchCase) {
    engine.MatchCase = matchCase;
    if (!engine.Compile(Utf8ToCp932(findUtf8))) std::abort();
    if (!engine.CompileReplace(Utf8ToCp932(replaceUtf8))) std::abort();
  }
};

void ReplaceAll(benchmark::State& state, const char* find, const char* replace,
                bool matchCase) {
  Fixture f(find, replace, matchCase);
  const std::string& text = Text();
  for (auto _ : state) {
    f.engine.RunReset();
    const ReplaceResult result = f.engine.ReplaceAll(text);
    benchmark::DoNotOptimize(result.text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["replaced"] = static_cast<double>(f.engine.ReplaceCount);
}

void BM_ReplaceLiteral(benchmark::State& s) { ReplaceAll(s, "検索", "探索", true); }
void BM_ReplaceFoldedLiteral(benchmark::State& s) { ReplaceAll(s, "search", "find", false); }
void BM_ReplaceStrGap(benchmark::State& s) { ReplaceAll(s, "東京[*]県", "X", true); }
void BM_ReplaceWhich(benchmark::State& s) {
  ReplaceAll(s, "[which[青森][秋田][岩手]]県", "東北", true);
}
void BM_ReplaceRepeatDigits(benchmark::State& s) {
  ReplaceAll(s, "[repeat 3][#][/repeat]", "N", true);
}
void BM_ReplaceRepeatThenLiteral(benchmark::State& s) {
  ReplaceAll(s, "[repeat 3][#][/repeat]円", "N", true);
}
void BM_ReplaceStorage(benchmark::State& s) {
  ReplaceAll(s, "[into a][which[大阪][東京]][/to][?]", "<[from a]>", true);
}
BENCHMARK(BM_ReplaceLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceFoldedLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceStrGap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceWhich)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceRepeatDigits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceRepeatThenLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceStorage)->Unit(benchmark::kMillisecond);

// The same replace-all handing its new text on piece by piece (as disk search writes a file)
// instead of building it in a string.
class CountingSink final : public ReplaceSink {
 public:
  void Copy(std::string_view original) override { bytes += original.size(); }
  void Insert(std::string_view replacement, std::size_t) override { bytes += replacement.size(); }
  std::size_t bytes = 0;
};

void BM_ReplaceLiteralStreamed(benchmark::State& state) {
  Fixture f("検索", "探索", true);
  const std::string& text = Text();
  for (auto _ : state) {
    CountingSink sink;
    f.engine.RunReset();
    f.engine.ReplaceAllInText(std::string_view(text), sink);
    benchmark::DoNotOptimize(sink.bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceLiteralStreamed)->Unit(benchmark::kMillisecond);

// One find from the start of the text (what a find-next does on a large page).
void BM_MatchNearEnd(benchmark::State& state) {
  Fixture f("漢字かな交じり文。\r\n[*]Norra", "", true);
  std::string text = Text();
  text += Utf8ToCp932("unique-tail");
  f.engine.Compile(Utf8ToCp932("unique-tail"));
  f.engine.SetWorkingText(text);
  for (auto _ : state) {
    f.engine.StartPos = 1;
    benchmark::DoNotOptimize(f.engine.Match());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MatchNearEnd)->Unit(benchmark::kMillisecond);

void BM_Compile(benchmark::State& state) {
  const std::string find = Utf8ToCp932(
      "代金は、[repeat 3][#][/repeat]円です[into a][which[青森][秋田][岩手]][/to]県[*csv]"
      "[not[総務][人事]]部長[into b][*][/to]。");
  Fixture f("x", "", false);
  for (auto _ : state) benchmark::DoNotOptimize(f.engine.Compile(find));
}
BENCHMARK(BM_Compile);

// Long find and replace texts of one tag repeated, as a history can hand back: the sizes the
// editor once took seconds over.
void CompileRepeated(benchmark::State& state, const char* piece, int times, bool replace) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  Fixture f("x", "", false);
  for (auto _ : state) {
    benchmark::DoNotOptimize(replace ? f.engine.CompileReplace(text) : f.engine.Compile(text));
  }
  state.SetLabel(std::to_string(text.size()) + " bytes");
}
void BM_CompileReplaceFrom(benchmark::State& s) { CompileRepeated(s, "[from a]", 16000, true); }
void BM_CompileReplaceFcount(benchmark::State& s) { CompileRepeated(s, "[fcount]", 14000, true); }
void BM_CompileReplaceNow(benchmark::State& s) { CompileRepeated(s, "[now[yyyy]]", 10000, true); }
void BM_CompileFindNot(benchmark::State& s) { CompileRepeated(s, "[not[a]]b", 14000, false); }
void BM_CompileFindRepeat(benchmark::State& s) {
  CompileRepeated(s, "[repeat 1]a[/repeat]", 45000, false);
}
BENCHMARK(BM_CompileReplaceFrom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileReplaceFcount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileReplaceNow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileFindNot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileFindRepeat)->Unit(benchmark::kMillisecond);

// [*]a[*]a[*]a[*]b over 64 KB of "a", against a plain scan of the same text for "b".
void BM_Hopeless(benchmark::State& state) {
  Fixture f("[*]a[*]a[*]a[*]b", "", true);
  f.engine.SetWorkingText(std::string(64 * 1024, 'a'));
  for (auto _ : state) {
    f.engine.StartPos = 1;
    benchmark::DoNotOptimize(f.engine.Match());
  }
}
void BM_HopelessLiteralScan(benchmark::State& state) {
  Fixture f("b", "", true);
  f.engine.SetWorkingText(std::string(64 * 1024, 'a'));
  for (auto _ : state) {
    f.engine.StartPos = 1;
    benchmark::DoNotOptimize(f.engine.Match());
  }
}
BENCHMARK(BM_Hopeless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HopelessLiteralScan)->Unit(benchmark::kMicrosecond);

// A repeat group before a literal over 40 KB of "a": without the literal (the required-literal
// check ends it) and with it at the very end (every repetition is walked once, not once per
// start).
void RepeatThenLiteral(benchmark::State& state, const char* find, const std::string& text) {
  Fixture f(find, "", true);
  f.engine.SetWorkingText(text);
  for (auto _ : state) {
    f.engine.StartPos = 1;
    benchmark::DoNotOptimize(f.engine.Match());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
void BM_RepeatThenMissingLiteral(benchmark::State& s) {
  RepeatThenLiteral(s, "[repeat 1][?][/repeat]b", std::string(40 * 1024, 'a'));
}
void BM_RepeatThenLiteralAtTheEnd(benchmark::State& s) {
  RepeatThenLiteral(s, "[repeat 1][?][/repeat]b", std::string(40 * 1024, 'a') + "b");
}
void BM_DeepRepeatThenLiteralAtTheEnd(benchmark::State& s) {
  std::string find = "[?]";
  for (int i = 0; i < 200; ++i) find = "[repeat 1]" + find + "[/repeat]";
  RepeatThenLiteral(s, (find + "b").c_str(), std::string(40 * 1024, 'a') + "b");
}
BENCHMARK(BM_RepeatThenMissingLiteral)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepeatThenLiteralAtTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeepRepeatThenLiteralAtTheEnd)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
