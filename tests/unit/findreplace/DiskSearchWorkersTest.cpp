// A folder run on worker threads: the same files, bytes, counts, end message and journal as
// the run on one thread, for replacements that do not depend on other files and for those that
// do (a run-wide counter keeps the run on one thread).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "platform/MemoryUi.h"
#include "text/ReplaceJournal.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

const TagSymbols& Symbols() {
  static const TagSymbols symbols = [] {
    TagTable table;
    table.Build();
    return table.BuiltInSymbols();
  }();
  return symbols;
}

std::unique_ptr<SearchEngine> Engine(const std::string& find, const std::string& replace) {
  auto engine = std::make_unique<SearchEngine>(Symbols());
  if (!engine->Compile(find) || !engine->CompileReplace(replace)) return nullptr;
  engine->RunReset();
  engine->PreFoldedText = true;
  return engine;
}

std::string Get(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct RunOutcome {
  std::map<std::string, std::string> files;
  DiskSearchResult result;
  std::vector<std::string> messages;
  std::size_t journalFiles = 0;
};

class DiskSearchWorkersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("norra_workers_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A tree of 300 files in 6 folders: hits in most, none in some, a binary file in each folder.
  void MakeTree(const fs::path& tree) const {
    for (int k = 0; k < 300; ++k) {
      const fs::path folder = tree / ("d" + std::to_string(k % 6));
      fs::create_directories(folder);
      std::string text;
      for (int line = 0; line < k % 7; ++line) text += "line a " + std::to_string(k) + " ab\r\n";
      text += k % 3 == 0 ? "x\n" : "a";
      std::ofstream(folder / ("f" + std::to_string(k) + ".txt"), std::ios::binary) << text;
      if (k < 6) std::ofstream(folder / "bin", std::ios::binary) << std::string("a\0a", 3);
    }
  }

  RunOutcome Run(const std::string& find, const std::string& replace, unsigned workers) {
    const fs::path tree = root_ / ("tree" + std::to_string(workers));
    const fs::path state = root_ / ("state" + std::to_string(workers));
    MakeTree(tree);
    MemoryUi ui;
    std::unique_ptr<SearchEngine> engine = Engine(find, replace);
    DiskSearch search(*engine, ui);
    search.SetJournalFolder(state.string());
    if (workers > 0) search.SetWorkerEngines([&] { return Engine(find, replace); }, workers);
    DiskSearchRequest request;
    request.folderText = tree.string();
    request.fileMasks = {"*"};
    RunOutcome outcome;
    outcome.result = search.RunFolder(request);
    for (const MessageBoxRecord& box : ui.Boxes()) outcome.messages.push_back(box.text);
    for (const auto& entry : fs::recursive_directory_iterator(tree))
      if (entry.is_regular_file())
        outcome.files[fs::relative(entry.path(), tree).string()] = Get(entry.path());
    if (!outcome.result.journal.empty())
      outcome.journalFiles = ReadReplaceJournal(outcome.result.journal)->files.size();
    return outcome;
  }

  fs::path root_;
};

TEST_F(DiskSearchWorkersTest, WorkersGiveTheSameFilesCountsAndMessagesAsOneThread) {
  const std::pair<std::string, std::string> cases[] = {
      {"a", "BB"},            // a literal
      {"a", ""},              // replaced by nothing
      {"a", "[rcount]"},      // a run-wide counter: the files depend on each other
      {"[into a]A[/into]B", "<[from a]>"},
  };
  for (const auto& [find, replace] : cases) {
    const RunOutcome one = Run(find, replace, 0);
    for (const unsigned workers : {2u, 3u}) {
      const RunOutcome many = Run(find, replace, workers);
      EXPECT_EQ(many.files, one.files) << find << " " << replace << " " << workers;
      EXPECT_EQ(many.messages, one.messages) << find << " " << workers;
      EXPECT_EQ(many.result.replaceCount, one.result.replaceCount) << find;
      EXPECT_EQ(many.result.filesChanged, one.result.filesChanged) << find;
      EXPECT_EQ(many.result.filesNotText, one.result.filesNotText) << find;
      EXPECT_EQ(many.journalFiles, static_cast<std::size_t>(one.result.filesChanged)) << find;
      fs::remove_all(root_ / ("tree" + std::to_string(workers)));
      fs::remove_all(root_ / ("state" + std::to_string(workers)));
    }
    fs::remove_all(root_);
  }
}

TEST_F(DiskSearchWorkersTest, APreviewAndADryRunOnWorkersSeeTheSameAsOnOneThread) {
  const fs::path tree = root_ / "tree";
  MakeTree(tree);
  DiskSearchRequest request;
  request.folderText = tree.string();
  request.fileMasks = {"*"};
  // Every file the preview is handed, with where each replacement goes and its new bytes.
  auto preview = [&](unsigned workers) {
    MemoryUi ui;
    std::unique_ptr<SearchEngine> engine = Engine("a", "BB");
    DiskSearch search(*engine, ui);
    if (workers > 0) search.SetWorkerEngines([] { return Engine("a", "BB"); }, workers);
    std::vector<std::string> seen;
    const DiskSearch::PreviewEach each = [&](const std::string& path, std::string_view old,
                                             const FileIdentity&,
                                             const std::vector<WrittenSpan>& spans) {
      std::string line = path + " " + std::to_string(old.size());
      for (const WrittenSpan& span : spans)
        line += " " + std::to_string(span.oldStart) + ":" + span.newBytes;
      seen.push_back(line);
    };
    const DiskSearchResult result = search.Preview(request, false, each);
    seen.push_back(std::to_string(result.replaceCount));
    EXPECT_TRUE(ui.Boxes().empty());
    return seen;
  };
  const std::vector<std::string> one = preview(0);
  EXPECT_EQ(one.size(), 286u);  // the 285 files with a hit, and the count
  EXPECT_EQ(preview(2), one);

  auto dry = [&](unsigned workers) {
    MemoryUi ui;
    std::unique_ptr<SearchEngine> engine = Engine("a", "BB");
    DiskSearch search(*engine, ui);
    if (workers > 0) search.SetWorkerEngines([] { return Engine("a", "BB"); }, workers);
    DiskSearchRequest dryRequest = request;
    dryRequest.dryRun = true;
    const DiskSearchResult result = search.RunFolder(dryRequest);
    return std::make_pair(result.replaceCount, ui.LastBox().text);
  };
  EXPECT_EQ(dry(2), dry(0));
  EXPECT_GT(dry(0).first, 0);
}

}  // namespace
}  // namespace norra
