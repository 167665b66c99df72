// How a folder run writes: files another program changes meanwhile are left alone and named.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "platform/MemoryUi.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class DiskSearchWritesTest : public ::testing::Test {
 protected:
  DiskSearchWritesTest() : engine_(Symbols(), ui_), search_(engine_, ui_) {}

  static const TagSymbols& Symbols() {
    static const TagSymbols symbols = [] {
      TagTable table;
      table.Build();
      return table.BuiltInSymbols();
    }();
    return symbols;
  }
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("norra_diskwrites_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    ASSERT_TRUE(engine_.Compile("a"));
    ASSERT_TRUE(engine_.CompileReplace("b"));
    engine_.RunReset();
    engine_.PreFoldedText = true;
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  MemoryUi ui_;
  SearchEngine engine_;
  DiskSearch search_;
  fs::path root_;
};

TEST_F(DiskSearchWritesTest, FileChangedByAnotherProgramDuringTheRunIsLeftAloneAndNamed) {
  Put("1.txt", "a\r\n");
  Put("2.txt", "a\r\n");
  Put("3.txt", "aa\r\n");
  // While the run goes on, one editor appends to the first file and another saves the second
  // by renaming a new file over it (same size, another file).
  int calls = 0;
  ui_.SetOnProcessEvents([&] {
    if (++calls != 2) return;
    std::ofstream(Path("1.txt"), std::ios::binary | std::ios::app) << "mine\r\n";
    Put("new.tmp", "c\r\n");
    fs::rename(Path("new.tmp"), Path("2.txt"));
  });
  DiskSearchRequest request;
  request.folderText = root_.string();
  request.fileMasks = {"*"};
  const DiskSearchResult result = search_.RunFolder(request);

  EXPECT_EQ(result.end, DiskSearchEnd::Completed);
  EXPECT_EQ(Get("1.txt"), "a\r\nmine\r\n");
  EXPECT_EQ(Get("2.txt"), "c\r\n");
  EXPECT_EQ(Get("3.txt"), "bb\r\n");
  EXPECT_EQ(result.replaceCount, 2);  // only what reached a file
  EXPECT_EQ(result.filesChanged, 1);
  EXPECT_EQ(result.leftChanged, (std::vector<std::string>{Path("1.txt"), Path("2.txt")}));
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::DoneMessage(2) + "\n" +
                                    std::string(DiskSearch::kLeftChanged) + "2個)\n" +
                                    Path("1.txt") + "\n" + Path("2.txt"));
  for (const auto& entry : fs::directory_iterator(root_)) {
    EXPECT_EQ(entry.path().filename().string().find(".norra-"), std::string::npos) << entry.path();
  }
}

}  // namespace
}  // namespace norra
