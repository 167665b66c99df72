// Group files of the sizes people reach: the group command's member list for a group of
// 100,000 member files (each listed once, as a generated list would), and a file chosen by
// mistake whose one "line" is 20 MB.
//
//   groups_bench [benchmark flags]
// Environment: NORRA_BENCH_DIR, where the member files go (default /dev/shm when writable, else
// $TMPDIR or /tmp); they are made once per run and removed at the end.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "platform/MemoryUi.h"

namespace {

using namespace norra;
namespace fs = std::filesystem;

constexpr int kMembers = 100000;

// A folder of kMembers small files and a group file listing them, made once.
class GroupOnDisk {
 public:
  GroupOnDisk() {
    const char* chosen = std::getenv("NORRA_BENCH_DIR");
    fs::path base = chosen != nullptr ? fs::path(chosen)
                    : ::access("/dev/shm", W_OK) == 0
                        ? fs::path("/dev/shm")
                        : fs::temp_directory_path();
    root_ = base / ("norra_groups_bench_" + std::to_string(::getpid()));
    fs::create_directories(root_);
    std::string list;
    for (int i = 0; i < kMembers; ++i) {
      const fs::path folder = root_ / std::to_string(i / 1000);
      if (i % 1000 == 0) fs::create_directories(folder);
      const std::string path = (folder / (std::to_string(i) + ".txt")).string();
      std::ofstream(path, std::ios::binary) << "text\r\n";
      list += path + "\r\n";
    }
    group_ = (root_ / "members.tgp").string();
    std::ofstream(group_, std::ios::binary) << list;
    // A 20 MB file without a line break, loaded as a group by mistake.
    longLine_ = (root_ / "one-line.tgp").string();
    std::ofstream(longLine_, std::ios::binary) << std::string(std::size_t{20} << 20, 'x');
  }
  ~GroupOnDisk() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  const std::string& Group() const { return group_; }
  const std::string& LongLine() const { return longLine_; }

 private:
  fs::path root_;
  std::string group_;
  std::string longLine_;
};

GroupOnDisk& Disk() {
  static GroupOnDisk disk;
  return disk;
}

// The group command's member list: the file read, every member's mask test, file test and
// duplicate check.
void BM_GroupMembers100000(benchmark::State& state) {
  TagTable tags;
  tags.Build();
  MemoryUi ui;
  const TagSymbols symbols = tags.BuiltInSymbols();
  SearchEngine engine(symbols);
  DiskSearch search(engine, ui);
  DiskSearchRequest request;
  request.groupPath = Disk().Group();
  request.fileMasks = {"*"};
  std::vector<std::string> files;
  for (auto _ : state) {
    search.CollectGroupFiles(request, files);
    benchmark::DoNotOptimize(files.data());
  }
  if (files.size() != static_cast<std::size_t>(kMembers)) state.SkipWithError("members lost");
  state.counters["members"] = static_cast<double>(files.size());
}
BENCHMARK(BM_GroupMembers100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 20 MB one-line file given to the group command, with a mask to test its "member" by.
void BM_GroupOf20MbLine(benchmark::State& state) {
  TagTable tags;
  tags.Build();
  MemoryUi ui;
  const TagSymbols symbols = tags.BuiltInSymbols();
  SearchEngine engine(symbols);
  DiskSearch search(engine, ui);
  DiskSearchRequest request;
  request.groupPath = Disk().LongLine();
  request.fileMasks = {"*.TXT"};
  std::vector<std::string> files;
  for (auto _ : state) {
    benchmark::DoNotOptimize(search.CollectGroupFiles(request, files));
    ui.ClearBoxes();
  }
}
BENCHMARK(BM_GroupOf20MbLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
