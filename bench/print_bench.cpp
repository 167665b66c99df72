// Pagination into print lines at 2 MB and 20 MB (per byte, to show it linear) and a whole
// print run with header and footer on the recording printer.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/FixedClock.h"
#include "platform/MemoryPrinter.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "printing/PrintJob.h"
#include "printing/PrintLines.h"
#include "text/Encoding.h"

namespace {

using namespace norra;

// Japanese prose with ASCII words, half-width kana, tabs and CR LF lines, some of them long.
std::string Corpus(std::size_t bytes) {
  static const char* words[] = {"東京都",
                                "大阪府",
                                "の",
                                "は",
                                "を",
                                "検索",
                                "置換",
                                "文字列",
                                "ファイル",
                                "Norra ",
                                "editor ",
                                "\t",
                                "テキスト",
                                "、",
                                "。\r\n",
                                "１２３",
                                "2024",
                                "ｶﾀｶﾅ",
                                "青森",
                                "秋田",
                                "岩手",
                                "県",
                                "price 1500 yen ",
                                "漢字かな交じり文"};
  std::vector<std::string> cp932;
  for (const char* w : words) cp932.push_back(Utf8ToCp932(w));
  std::mt19937 rng(42);
  std::uniform_int_distribution<std::size_t> pick(0, cp932.size() - 1);
  std::string text;
  text.reserve(bytes + 64);
  while (text.size() < bytes) text += cp932[pick(rng)];
  return text;
}

void BM_Paginate(benchmark::State& state) {
  const std::string text = Corpus(static_cast<std::size_t>(state.range(0)) << 20);
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
  MemoryTextControl control(Corpus(2 << 20));
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
