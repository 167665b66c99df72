// Reading big INI files: a find history of 60,000 keys (what opening the find window reads)
// and a settings file with 30,000 recent-file keys (what the editor reads at start).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/TagTable.h"
#include "findreplace/FindHistories.h"
#include "settings/Settings.h"

namespace {

using namespace norra;
namespace fs = std::filesystem;

// The file the find window writes, `keys` entries in each of its two histories.
std::string HistoryBytes(int keys) {
  std::vector<std::string> find;
  std::vector<std::string> replace;
  for (int i = 1; i <= keys; ++i) {
    find.push_back("find text number " + std::to_string(i));
    replace.push_back("replace text " + std::to_string(i));
  }
  return FindHistories::Serialize(find, replace);
}

void BM_ReadFindHistory(benchmark::State& state) {
  const std::string bytes = HistoryBytes(static_cast<int>(state.range(0)) / 2);
  for (auto _ : state) {
    std::vector<std::string> find;
    std::vector<std::string> replace;
    FindHistories::Parse(bytes, find, replace);
    if (find.size() + replace.size() != static_cast<std::size_t>(state.range(0))) std::abort();
    benchmark::DoNotOptimize(find.data());
  }
}
BENCHMARK(BM_ReadFindHistory)->Arg(60000)->Unit(benchmark::kMillisecond);

void BM_LoadSettingsWithRecentKeys(benchmark::State& state) {
  const fs::path file =
      fs::temp_directory_path() / ("norra_settings_bench_" + std::to_string(::getpid()) + ".ini");
  {
    std::ofstream out(file, std::ios::binary);
    out << "[Norra]\r\nIniVersion=3500\r\n[File]\r\nRecentMax=" << state.range(0) << "\r\n";
    for (int i = 0; i < state.range(0); ++i)
      out << "Recent" << i << "=/home/user/documents/file" << i << ".txt\r\n";
  }
  for (auto _ : state) {
    TagTable tags;
    Settings settings(tags, file.string(), std::string(), ScreenSize{1920, 1080});
    settings.Load(Settings::LoadMode::ReadOnly);
    benchmark::DoNotOptimize(settings.File.RecentFiles.data());
  }
  fs::remove(file);
}
BENCHMARK(BM_LoadSettingsWithRecentKeys)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
