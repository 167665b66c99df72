// Batches of atomic replacements: order, kept permissions, a failure part-way, and no
// temporary file left behind in any case.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "text/AtomicWriteBatch.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class AtomicWriteBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("norra_batch_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    fs::create_directories((root_ / name).parent_path());
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static FileIdentity IdentityOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  }
  // Adds the new content of an existing file to the batch.
  void Stage(AtomicWriteBatch& batch, const std::string& name, const std::string& bytes) const {
    ReplacementFile file;
    ASSERT_EQ(file.Open(Path(name)), FileError::None) << name;
    ASSERT_EQ(file.Write(bytes), FileError::None);
    ASSERT_EQ(file.Finish(false), FileError::None);
    batch.Add(std::move(file), IdentityOf(Path(name)));
  }
  // Every name under the root that is not one of the files the test made.
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      if (entry.path().filename().string().find(".norra-") != std::string::npos)
        found.push_back(entry.path().string());
    }
    return found;
  }

  fs::path root_;
};

TEST_F(AtomicWriteBatchTest, ManyFilesTakeTheirNewContentKeepingTheirModes) {
  // More than are flushed one by one, in two folders.
  const std::size_t count = AtomicWriteBatch::kFlushEachUpTo * 2 + 1;
  AtomicWriteBatch batch;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = (i % 2 ? "a/" : "b/") + std::to_string(i) + ".txt";
    Put(name, "old");
    ::chmod(Path(name).c_str(), i % 3 ? 0640 : 0604);
    Stage(batch, name, "new " + std::to_string(i));
  }
  EXPECT_EQ(batch.Size(), count);
  EXPECT_TRUE(batch.Holds(IdentityOf(Path("b/0.txt"))));
  EXPECT_EQ(Get("b/0.txt"), "old");  // nothing changes before the commit

  std::size_t replaced = 99;
  EXPECT_EQ(batch.Commit(replaced), FileError::None);
  EXPECT_EQ(replaced, count);
  EXPECT_TRUE(batch.Empty());
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = (i % 2 ? "a/" : "b/") + std::to_string(i) + ".txt";
    EXPECT_EQ(Get(name), "new " + std::to_string(i));
    struct stat st {};
    ASSERT_EQ(::stat(Path(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, i % 3 ? 0640u : 0604u) << name;
  }
  EXPECT_TRUE(Temporaries().empty());
}

TEST_F(AtomicWriteBatchTest, AFailedRenameStopsTheCommitThere) {
  for (const char* name : {"1.txt", "2.txt", "3.txt"}) Put(name, "old");
  for (std::size_t many : {std::size_t{3}, AtomicWriteBatch::kFlushEachUpTo + 3}) {
    AtomicWriteBatch batch;
    Stage(batch, "1.txt", "new1");
    Stage(batch, "2.txt", "new2");
    Stage(batch, "3.txt", "new3");
    for (std::size_t i = 3; i < many; ++i) {
      Put("more" + std::to_string(i), "old");
      Stage(batch, "more" + std::to_string(i), "new");
    }
    // The second target turns into a folder before the commit: no file can be renamed over it.
    fs::remove(Path("2.txt"));
    fs::create_directory(Path("2.txt"));
    std::size_t replaced = 0;
    EXPECT_NE(batch.Commit(replaced), FileError::None);
    EXPECT_EQ(replaced, 1u);
    EXPECT_EQ(Get("1.txt"), "new1");
    EXPECT_TRUE(fs::is_directory(Path("2.txt")));
    EXPECT_EQ(Get("3.txt"), "old");
    for (std::size_t i = 3; i < many; ++i) EXPECT_EQ(Get("more" + std::to_string(i)), "old");
    EXPECT_TRUE(batch.Empty());
    EXPECT_TRUE(Temporaries().empty());
    fs::remove(Path("2.txt"));
    Put("2.txt", "old");
    Put("1.txt", "old");
  }
}

TEST_F(AtomicWriteBatchTest, ADiscardedBatchChangesNothing) {
  Put("1.txt", "old");
  Put("2.txt", "old");
  {
    AtomicWriteBatch batch;
    Stage(batch, "1.txt", "new");
    Stage(batch, "2.txt", "new");
    EXPECT_EQ(Temporaries().size(), 2u);
    batch.Discard();
    EXPECT_TRUE(Temporaries().empty());
    Stage(batch, "1.txt", "new");
  }  // going out of scope discards too
  EXPECT_TRUE(Temporaries().empty());
  EXPECT_EQ(Get("1.txt"), "old");
  EXPECT_EQ(Get("2.txt"), "old");
  AtomicWriteBatch empty;
  std::size_t replaced = 5;
  EXPECT_EQ(empty.Commit(replaced), FileError::None);
  EXPECT_EQ(replaced, 0u);
}

}  // namespace
}  // namespace norra
