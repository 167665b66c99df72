// Cost of undo capture while typing, of undoing a replace-all, and the log's memory per run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"

namespace {

using norra::MemoryTextControl;
using norra::Page;
using norra::UndoLog;

// CP932 text of about `size` bytes: lines of ASCII and two-byte characters.
std::string MakeText(std::size_t size) {
  const std::string line = "The quick brown fox \x82\xA0\x82\xA2\x82\xA4 jumps over the lazy dog 0123456789\r\n";
  std::string text;
  text.reserve(size + line.size());
  while (text.size() < size) text += line;
  text.resize(size);
  return text;
}

struct Bench {
  norra::MemoryUi ui;
  UndoLog log{ui};
  std::unique_ptr<Page> page;
  MemoryTextControl* control = nullptr;

  explicit Bench(const std::string& text) {
    auto owned = std::make_unique<MemoryTextControl>();
    control = owned.get();
    page = std::make_unique<Page>(std::move(owned), log);
    // Room to grow, so that the control's own buffer never reallocates while keys are timed.
    std::string buffer;
    buffer.reserve(text.size() + 65536);
    buffer.assign(text);
    control->SetText(std::move(buffer));
    log.SetCurrentPage(page.get());
  }
  ~Bench() { log.PageGone(*page); }
};

// 10,000 characters typed 100 bytes before the end of the text (so the in-memory control's own
// buffer move stays small and what grows with the document is only the log's work).
void BM_TypingPerKey(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  const std::string text = MakeText(size);
  constexpr int kKeys = 10000;
  for (auto _ : state) {
    state.PauseTiming();
    Bench bench(text);
    bench.control->SetSelection(size - 100, 0);
    bench.log.SetCurrentPage(bench.page.get());
    state.ResumeTiming();
    for (int i = 0; i < kKeys; ++i) {
      bench.control->TypeChar((i % 50 == 49) ? " " : "a");
    }
    benchmark::DoNotOptimize(bench.log.RecordCount());
    state.PauseTiming();
    if (bench.log.RecordCount() != 1) state.SkipWithError("typing was not one run");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
  state.counters["ns_per_key"] = benchmark::Counter(static_cast<double>(state.iterations() * kKeys),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TypingPerKey)->Arg(20 * 1024)->Arg(2 * 1024 * 1024)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// Undoing a replace-all over a 2 MB Page (the whole old text goes back in one edit).
void BM_UndoReplaceAll(benchmark::State& state) {
  const std::string text = MakeText(2 * 1024 * 1024);
  std::string replaced = text;
  for (char& c : replaced) {
    if (c == 'o') c = '0';
  }
  for (auto _ : state) {
    state.PauseTiming();
    Bench bench(text);
    bench.log.SetCommandTarget(*bench.page, norra::KeepText::WholeText);
    bench.log.SuspendCapture();
    bench.page->ReplaceWholeText(replaced);
    bench.log.TakeSelectionAfter();
    bench.log.RecordCommand(norra::kUndoReplaceAll);
    bench.log.ResumeCapture();
    state.ResumeTiming();
    Page* undone = bench.log.UndoLast();
    state.PauseTiming();
    if (undone == nullptr || bench.control->Buffer() != text) state.SkipWithError("undo failed");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoReplaceAll)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// Redoing that replace-all: the whole new text goes back in one edit after the check.
void BM_RedoReplaceAll(benchmark::State& state) {
  const std::string text = MakeText(2 * 1024 * 1024);
  std::string replaced = text;
  for (char& c : replaced) {
    if (c == 'o') c = '0';
  }
  for (auto _ : state) {
    state.PauseTiming();
    Bench bench(text);
    bench.log.SetCommandTarget(*bench.page, norra::KeepText::WholeText);
    bench.log.SuspendCapture();
    bench.page->ReplaceWholeText(replaced);
    bench.log.TakeSelectionAfter();
    bench.log.RecordCommand(norra::kUndoReplaceAll);
    bench.log.ResumeCapture();
    bench.log.UndoLast();
    state.ResumeTiming();
    Page* redone = bench.log.RedoLast();
    state.PauseTiming();
    if (redone == nullptr || bench.control->Buffer() != replaced) state.SkipWithError("redo failed");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RedoReplaceAll)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// Memory the log holds after 1,000 runs of typing (ten characters, then a click elsewhere).
void BM_LogMemoryAfterRuns(benchmark::State& state) {
  const std::string text = MakeText(64 * 1024);
  std::size_t footprint = 0;
  std::size_t records = 0;
  for (auto _ : state) {
    Bench bench(text);
    for (int run = 0; run < 1000; ++run) {
      bench.control->ClickAt(static_cast<std::size_t>(run) * 37 % 60000);
      for (int i = 0; i < 10; ++i) bench.control->TypeChar("x");
    }
    footprint = bench.log.MemoryFootprint();
    records = bench.log.RecordCount();
  }
  state.counters["log_bytes"] = static_cast<double>(footprint);
  state.counters["records"] = static_cast<double>(records);
  state.counters["bytes_per_run"] = static_cast<double>(footprint) / 1000.0;
}
BENCHMARK(BM_LogMemoryAfterRuns)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
