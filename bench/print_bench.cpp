// Pagination into print lines at 2 MB and 20 MB (per byte, to show it linear) and a whole
// print run with header and footer on the recording printer.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/FixedClock.h"
#include "platform/MemoryPrinter.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "printing/PrintJob.h"
#include "printing/PrintLines.h"
#include "Prose.h"

namespace {

using norra::bench::PrintProse;

using namespace norra;

void BM_Paginate(benchmark::State& state) {
  const std::string text = PrintProse(static_cast<std::size_t>(state.range(0)) << 20);
  PrintLines lines;
  for (auto _ : state) {
    lines.Split(text, 80, 4);
    benchmark::DoNotOptimize(lines.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  state.counters["lines"] = static_cast<double>(lines.Count());
}
BENCHMARK(BM_Paginate)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);

// The whole run (layout, pagination, templates per sheet, drawing) of 2 MB with the default
// header and footer, counting the sheets sent.
void BM_PrintRunRecorded(benchmark::State& state) {
  MemoryTextControl control(PrintProse(2 << 20));
  MemoryPrinter printer;
  printer.SetKeepSheets(false);
  MemoryUi ui;
  FixedClock clock;
  PrintJob job(printer, ui, clock);
  job.Parameters().headLine = "ﾌｧｲﾙ名:[pathname] ([pageindex_file[1]]/[pagecount_file[0]]ﾍﾟｰｼﾞ)";
  job.Parameters().footLine = "日付:[now[yyyy/mm/dd]] 第[copyindex[1]]部 編集者:[username]";
  job.SetSources({{&control, "corpus.txt", "/bench/corpus.txt"}});
  std::int64_t sheets = 0;
  for (auto _ : state) {
    if (!job.Run()) state.SkipWithError("the run failed");
    sheets += job.SheetsSent();
  }
  state.counters["sheets/s"] =
      benchmark::Counter(static_cast<double>(sheets), benchmark::Counter::kIsRate);
  state.counters["sheets"] = static_cast<double>(job.SheetsSent());
}
BENCHMARK(BM_PrintRunRecorded)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
