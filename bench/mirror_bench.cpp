// Cost of keeping the CP932 mirror in step with a widget: a typed key in the middle of a 20 KB
// and of a 2 MB document, position lookups, and a program edit entering as bytes.
//
//   mirror_bench [benchmark flags]
// Ends with the median per key for both sizes and their ratio, for both typing benchmarks.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Lcg.h"
#include "text/Cp932Mirror.h"

namespace {

constexpr std::int64_t kSmall = 20 << 10;
constexpr std::int64_t kLarge = 2 << 20;

using norra::bench::Lcg;

// Japanese prose with ASCII words, half-width katakana, a few NEC row 13 symbols (kept as
// their own bytes) and CR LF lines of 20 to 80 bytes.
std::string MakeText(std::size_t size) {
  Lcg rng(7);
  std::string s;
  s.reserve(size + 128);
  auto pair = [&s](unsigned code) {
    s += static_cast<char>(code >> 8);
    s += static_cast<char>(code & 0xFF);
  };
  while (s.size() < size) {
    const std::size_t lineStart = s.size();
    const unsigned length = 20 + rng.Next(60);
    while (s.size() - lineStart < length) {
      const unsigned kind = rng.Next(100);
      if (kind < 35) {
        const unsigned t = rng.Next(188);
        pair((0x89 + rng.Next(15)) << 8 | (t < 63 ? 0x40 + t : 0x41 + t));
      } else if (kind < 65) {
        pair(0x8200 | (0x9F + rng.Next(83)));
      } else if (kind < 70) {
        s += static_cast<char>(0xB1 + rng.Next(40));
      } else if (kind < 72) {
        pair(0x8790);
      } else {
        s += "text ";
      }
    }
    s += "\r\n";
  }
  return s;
}

struct Document {
  explicit Document(std::size_t size) : text(MakeText(size)) {
    utf8Size = mirror.Load(text).size();
  }
  std::string text;
  norra::Cp932Mirror mirror;
  std::size_t utf8Size = 0;
};

Document& DocumentOf(std::int64_t size) {
  static std::map<std::int64_t, Document*> documents;
  Document*& d = documents[size];
  if (d == nullptr) d = new Document(static_cast<std::size_t>(size));
  return *d;
}

// One key: typing "あ" and Backspace alternately in the middle of the document, each followed
// by what a view asks afterwards (the caret's CP932 offset, its line and the line's start).
void BM_TypeKey(benchmark::State& state) {
  norra::Cp932Mirror& m = DocumentOf(state.range(0)).mirror;
  std::size_t caret = m.ToUtf8(m.Size() / 2);
  const std::string typed = norra::Cp932Mirror::NormalizeInsertion("\xE3\x81\x82");
  bool inserted = false;
  for (auto _ : state) {
    if (!inserted) {
      const std::string text = norra::Cp932Mirror::NormalizeInsertion("\xE3\x81\x82");
      m.OnWidgetInsert(caret, text);
      caret += text.size();
    } else {
      caret -= typed.size();
      m.OnWidgetDelete(caret, typed.size());
    }
    inserted = !inserted;
    const std::size_t offset = m.ToCp932(caret);
    const std::size_t line = m.LineOfOffset(offset);
    benchmark::DoNotOptimize(m.LineStart(line));
  }
  if (inserted) m.OnWidgetDelete(caret - typed.size(), typed.size());
}
BENCHMARK(BM_TypeKey)->Arg(kSmall)->Arg(kLarge)->Repetitions(15)->ReportAggregatesOnly(true);

// The same, with the caret moved to another of 16 places about 1 KB apart before each typed
// character, so that no remembered position helps.
void BM_TypeKeyAfterJump(benchmark::State& state) {
  norra::Cp932Mirror& m = DocumentOf(state.range(0)).mirror;
  std::vector<std::size_t> places;
  for (std::size_t j = 0; j < 16; ++j) places.push_back(m.ToUtf8(m.Size() / 2 - 8000 + j * 997));
  const std::string typed = norra::Cp932Mirror::NormalizeInsertion("\xE3\x81\x82");
  std::size_t j = 0;
  bool inserted = false;
  for (auto _ : state) {
    std::size_t caret = places[j];
    if (!inserted) {
      const std::string text = norra::Cp932Mirror::NormalizeInsertion("\xE3\x81\x82");
      m.OnWidgetInsert(caret, text);
      caret += text.size();
    } else {
      m.OnWidgetDelete(caret, typed.size());
      j = (j + 1) % places.size();
    }
    inserted = !inserted;
    const std::size_t offset = m.ToCp932(caret);
    const std::size_t line = m.LineOfOffset(offset);
    benchmark::DoNotOptimize(m.LineStart(line));
  }
  if (inserted) m.OnWidgetDelete(places[j], typed.size());
}
BENCHMARK(BM_TypeKeyAfterJump)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Position lookups at scattered places, both ways.
void BM_MapLookup(benchmark::State& state) {
  const Document& d = DocumentOf(state.range(0));
  Lcg rng(11);
  std::vector<std::size_t> utf8Positions(4096);
  std::vector<std::size_t> offsets(4096);
  for (std::size_t i = 0; i < utf8Positions.size(); ++i) {
    utf8Positions[i] = rng.Next(static_cast<unsigned>(d.utf8Size));
    offsets[i] = rng.Next(static_cast<unsigned>(d.text.size()));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.mirror.ToCp932(utf8Positions[i]));
    benchmark::DoNotOptimize(d.mirror.ToUtf8(offsets[i]));
    i = (i + 1) % utf8Positions.size();
  }
}
BENCHMARK(BM_MapLookup)->Arg(kSmall)->Arg(kLarge)->Repetitions(5)->ReportAggregatesOnly(true);

// A program edit in the middle (a word replaced by bytes and back), the widget's two
// notifications included.
void BM_LogicReplace(benchmark::State& state) {
  norra::Cp932Mirror& m = DocumentOf(state.range(0)).mirror;
  const std::size_t offset = m.ToCp932(m.ToUtf8(m.Size() / 2));
  const std::string original = m.TextRange(offset, 4);
  const std::string replacement = "\x87\x90\x87\x90\x87\x90";
  bool replaced = false;
  for (auto _ : state) {
    auto edit = replaced ? m.ReplaceBytes(offset, replacement.size(), original)
                         : m.ReplaceBytes(offset, original.size(), replacement);
    const norra::WidgetEdit& w = edit.Widget();
    if (w.utf8Length > 0) m.OnWidgetDelete(w.utf8Start, w.utf8Length);
    if (!w.utf8Text.empty()) m.OnWidgetInsert(w.utf8Start, w.utf8Text);
    if (!edit.Applied()) state.SkipWithError("logic edit not applied");
    replaced = !replaced;
  }
  if (replaced) {
    auto edit = m.ReplaceBytes(offset, replacement.size(), original);
    m.OnWidgetDelete(edit.Widget().utf8Start, edit.Widget().utf8Length);
    m.OnWidgetInsert(edit.Widget().utf8Start, edit.Widget().utf8Text);
  }
}
BENCHMARK(BM_LogicReplace)->Arg(kSmall)->Arg(kLarge)->Repetitions(5)->ReportAggregatesOnly(true);

// Loading a document: the UTF-8 text for the widget and every index.
void BM_Load(benchmark::State& state) {
  const std::string& text = DocumentOf(state.range(0)).text;
  norra::Cp932Mirror m;
  for (auto _ : state) benchmark::DoNotOptimize(m.Load(text).data());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Load)->Arg(kLarge)->Unit(benchmark::kMillisecond);

// The console output plus the medians of the typed key and their ratio.
class KeyRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[run.run_name.str()] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n");
    for (const char* benchmark : {"BM_TypeKey", "BM_TypeKeyAfterJump"}) {
      double small = 0;
      double large = 0;
      const std::string prefix = std::string(benchmark) + "/";
      for (const auto& [name, time] : medians_) {
        if (name.rfind(prefix + std::to_string(kSmall) + "/", 0) == 0) small = time;
        if (name.rfind(prefix + std::to_string(kLarge) + "/", 0) == 0) large = time;
      }
      if (small > 0 && large > 0) {
        std::printf("%s, median per key: 20 KB %.0f ns, 2 MB %.0f ns, ratio 2 MB / 20 KB %.2f\n",
                    benchmark, small, large, large / small);
      }
    }
  }

 private:
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  KeyRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
