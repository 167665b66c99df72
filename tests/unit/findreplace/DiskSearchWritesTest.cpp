// How a folder run writes: files another program changes meanwhile are left alone and named.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
  DiskSearchWritesTest() : engine_(Symbols()), search_(engine_, ui_) {}

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

TEST_F(DiskSearchWritesTest, FilesAndFoldersTurnedIntoLinksDuringAFolderRunAreSkippedAndNamed) {
  // Outside the folder: what the links will lead to.
  fs::create_directories(root_ / "outside/sub");
  fs::create_directories(root_ / "outside/tail");
  for (const char* name :
       {"outside/one.txt", "outside/two.txt", "outside/sub/4.txt", "outside/tail/5.txt"})
    Put(name, "a\r\n");
  fs::create_directories(root_ / "run/sub");
  fs::create_directories(root_ / "run/tail");
  for (const char* name :
       {"run/1.txt", "run/2.txt", "run/3.txt", "run/sub/4.txt", "run/tail/5.txt"})
    Put(name, "a\r\n");
  // After the first file (read, its new content waiting), another program puts links in
  // place of it and of the next file; after the third, in place of a sub-folder; after the
  // last, whose new content waits in its folder, in place of that folder.
  int calls = 0;
  ui_.SetOnProcessEvents([&] {
    ++calls;
    if (calls == 1) {
      fs::remove(root_ / "run/1.txt");
      fs::create_symlink(root_ / "outside/one.txt", root_ / "run/1.txt");
      fs::remove(root_ / "run/2.txt");
      fs::create_symlink(root_ / "outside/two.txt", root_ / "run/2.txt");
    } else if (calls == 3) {
      fs::rename(root_ / "run/sub", root_ / "run/sub.old");
      fs::create_directory_symlink(root_ / "outside/sub", root_ / "run/sub");
    } else if (calls == 5) {
      fs::rename(root_ / "run/tail", root_ / "run/tail.old");
      fs::create_directory_symlink(root_ / "outside/tail", root_ / "run/tail");
    }
  });
  DiskSearchRequest request;
  request.folderText = Path("run");
  request.subFolders = true;
  request.fileMasks = {"*"};
  const DiskSearchResult result = search_.RunFolder(request);

  EXPECT_EQ(result.end, DiskSearchEnd::Completed);
  for (const char* name :
       {"outside/one.txt", "outside/two.txt", "outside/sub/4.txt", "outside/tail/5.txt"})
    EXPECT_EQ(Get(name), "a\r\n") << name;
  EXPECT_EQ(Get("run/3.txt"), "b\r\n");
  EXPECT_EQ(Get("run/sub.old/4.txt"), "a\r\n");
  // A file whose folder turned into a link while its new content waited is left as it was
  // and named with the others; its temporary goes.
  EXPECT_EQ(Get("run/tail.old/5.txt"), "a\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "run/tail.old"), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_symlink(root_ / "run/1.txt"));
  EXPECT_TRUE(fs::is_symlink(root_ / "run/2.txt"));
  EXPECT_EQ(result.replaceCount, 1);
  std::vector<std::string> named = result.leftChanged;
  std::sort(named.begin(), named.end());
  EXPECT_EQ(named, (std::vector<std::string>{Path("run/1.txt"), Path("run/2.txt"),
                                             Path("run/sub/4.txt"), Path("run/tail/5.txt")}));
  EXPECT_NE(ui_.LastBox().text.find(Path("run/2.txt")), std::string::npos);
}

TEST_F(DiskSearchWritesTest, NearlyFullDiskEndsARunOnlyAtAFileThatDoesNotFitAloneAndSaysSo) {
  // Eight files of 100 KB on a file system of 1 MB: each new content fits beside its old file,
  // but not all of them at once. The small file system lives in a mount namespace of a child
  // process, so it goes away with the child whatever happens.
  const std::string line = std::string(1022, 'a') + "\r\n";
  std::string old;
  for (int i = 0; i < 100; ++i) old += line;
  std::string replaced = old;
  for (char& c : replaced) {
    if (c == 'a') c = 'b';
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", root_.c_str(), "tmpfs", 0, "size=1m") != 0) {
      ::_exit(77);
    }
    for (int i = 0; i < 8; ++i) Put(std::to_string(i) + ".txt", old);
    DiskSearchRequest request;
    request.folderText = root_.string();
    request.fileMasks = {"*"};
    const DiskSearchResult result = search_.RunFolder(request);
    int failed = result.end == DiskSearchEnd::Completed ? 0 : 1;
    if (result.replaceCount != 8 * 100 * 1022) failed |= 2;
    for (int i = 0; i < 8; ++i) {
      if (Get(std::to_string(i) + ".txt") != replaced) failed |= 4;
    }
    // A file that does not fit even alone ends the run, saying why.
    std::string big;
    while (big.size() < 150 * 1024) big += line;
    Put("big.txt", big);
    const DiskSearchResult full = search_.RunFiles({Path("big.txt")}, false, "c");
    if (full.end != DiskSearchEnd::Stopped || full.stopReason != "ﾃﾞｨｽｸの空き容量が足りません")
      failed |= 16;
    if (Get("big.txt") != big) failed |= 32;
    for (const auto& entry : fs::directory_iterator(root_)) {
      if (entry.path().filename().string().find(".norra-") != std::string::npos) failed |= 8;
    }
    ::_exit(failed);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77)
    GTEST_SKIP() << "mounting a small file system is not permitted here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the run stopped, 2: wrong count, 4: a file kept its old "
                                       "content, 8: a temporary file was left, 16: a full disk was "
                                       "not named, 32: the file that did not fit changed";
}

}  // namespace
}  // namespace norra
