// The temporary files of atomic replacement: who may read them, their names, and leftovers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "text/FileIo.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class ReplacementFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("norra_replacement_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // A process id that no process has: that of a child that has ended and been reaped.
  static pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
  }

  fs::path root_;
};

TEST_F(ReplacementFileTest, A0600FilesTemporaryIsNeverReadableByOthers) {
  const std::string path = Path("secret.txt");
  Put(path, "old secret");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ReplacementFile file;
  ASSERT_EQ(file.Open(path), FileError::None);
  // From its creation on, and as it fills, and as a crash would leave it.
  EXPECT_EQ(ModeOf(file.Temporary()) & 077, 0u);
  ASSERT_EQ(file.Write(std::string(100000, 's')), FileError::None);
  EXPECT_EQ(ModeOf(file.Temporary()) & 077, 0u);
  ASSERT_EQ(file.Finish(false), FileError::None);
  EXPECT_EQ(ModeOf(file.Temporary()), 0600u);
  ASSERT_EQ(file.Replace(), FileError::None);
  EXPECT_EQ(ModeOf(path), 0600u);

  // A file others may read gets their bits back when finished.
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_EQ(file.Open(path), FileError::None);
  EXPECT_EQ(ModeOf(file.Temporary()) & 077, 0u);
  ASSERT_EQ(file.Finish(false), FileError::None);
  ASSERT_EQ(file.Replace(), FileError::None);
  EXPECT_EQ(ModeOf(path), 0644u);
}

TEST_F(ReplacementFileTest, TemporaryNamesCarryTheWritersProcessAndAreKnownAsOurs) {
  const std::string path = Path("a.txt");
  Put(path, "old");
  ReplacementFile file;
  ASSERT_EQ(file.Open(path), FileError::None);
  const std::string name = FileNamePart(file.Temporary());
  EXPECT_EQ(name.rfind(".a.txt.norra-" + std::to_string(::getpid()) + "-", 0), 0u) << name;
  EXPECT_TRUE(IsReplacementTemporaryName(name)) << name;

  const struct {
    const char* name;
    bool ours;
  } cases[] = {
      {".a.txt.norra-12345-abcd0123.tmp", true},
      {".x.norra-1-zzzzzzzz.tmp", true},
      {"a.txt.norra-12345-abcd0123.tmp", false},   // not hidden: a user's file
      {".a.txt.norra-abcd0123", false},            // no process id
      {".a.txt.norra--abcd0123.tmp", false},       // empty process id
      {".a.txt.norra-12x-abcd0123.tmp", false},    // not a number
      {".a.txt.norra-12345-abcd012.tmp", false},   // too few letters
      {".a.txt.norra-12345-ABCD0123.tmp", false},  // letters we never use
      {".a.txt.norra-12345-abcd0123.txt", false},
      {".norra-12345-abcd0123.tmp", false},  // no name before the marker
      {".a.txt.norra-99999999999-abcd0123.tmp", false},
      {"a.txt", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsReplacementTemporaryName(c.name), c.ours) << c.name;
}

TEST_F(ReplacementFileTest, TemporariesOfEndedWritersAreRemovedAndNothingElse) {
  const std::string ended = std::to_string(EndedProcess());
  const std::string stale = ".a.txt.norra-" + ended + "-abcd0123.tmp";
  const std::string ofThisProcess = ".b.txt.norra-" + std::to_string(::getpid()) + "-abcd0123.tmp";
  const std::string running = ".c.txt.norra-1-abcd0123.tmp";  // init always runs
  const std::string usersOwn = "d.txt.norra-" + ended + "-abcd0123.tmp";
  const std::string oldStyle = ".e.txt.norra-abcd0123";
  for (const std::string& name : {stale, ofThisProcess, running, usersOwn, oldStyle})
    Put(Path(name), "x");
  fs::create_directories(Path(".f.txt.norra-" + ended + "-abcd0123.tmp"));  // a folder
  Put(Path("a.txt"), "old");

  ASSERT_EQ(WriteFileAtomic(Path("a.txt"), "new"), FileError::None);
  EXPECT_EQ(Get(Path("a.txt")), "new");
  std::vector<std::string> expected = {ofThisProcess, running,
                                       oldStyle,      ".f.txt.norra-" + ended + "-abcd0123.tmp",
                                       "a.txt",       usersOwn};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
}

}  // namespace
}  // namespace norra
