// Backups before a save: where they go, what they keep, and that a failed one changes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "text/FileBackup.h"
#include "text/ReplacementFile.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class FileBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) /
          ("norra_backup_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
           "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "keep");
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Only the files the test made: no temporary is left behind.
  std::size_t Entries(const fs::path& folder) const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }
  fs::path dir;
};

TEST(BackupPath, TheNameGetsBakBesideTheFileOrInTheFolder) {
  const struct {
    const char* path;
    const char* folder;
    const char* backup;
  } cases[] = {
      {"/d/a.txt", "", "/d/a.txt.bak"},
      {"/d/a", "", "/d/a.bak"},
      {"/d/a.txt", "/keep", "/keep/a.txt.bak"},
      {"/d/a.txt", "/keep/", "/keep/a.txt.bak"},
      {"/d/メモ.txt", "/控え", "/控え/メモ.txt.bak"},
  };
  for (const auto& c : cases) EXPECT_EQ(BackupPathOf(c.path, c.folder), c.backup) << c.path;
}

TEST_F(FileBackupTest, TheCopyKeepsBytesPermissionsAndTimeAndReplacesAnOlderBackup) {
  const std::string file = Path("a.txt");
  Write(file, std::string("old\r\n\x82\xA0", 7));
  ::chmod(file.c_str(), 0640);
  struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, file.c_str(), times, 0);
  const std::string backup = BackupPathOf(file, (dir / "keep").string());
  Write(backup, "an older backup");
  ASSERT_EQ(CopyToBackup(file, backup), FileError::None);
  EXPECT_EQ(Read(backup), std::string("old\r\n\x82\xA0", 7));
  struct stat info {};
  ASSERT_EQ(::stat(backup.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(Entries(dir / "keep"), 1u);
  EXPECT_EQ(Read(file), std::string("old\r\n\x82\xA0", 7)) << "the file itself is only read";
}

TEST_F(FileBackupTest, ABackupNameThatIsALinkIsReplacedNotFollowed) {
  const std::string file = Path("a.txt");
  Write(file, "text");
  const std::string other = Path("other.txt");
  Write(other, "someone else's");
  const std::string backup = Path("a.txt.bak");
  fs::create_symlink(other, backup);
  ASSERT_EQ(CopyToBackup(file, backup), FileError::None);
  EXPECT_FALSE(fs::is_symlink(backup));
  EXPECT_EQ(Read(backup), "text");
  EXPECT_EQ(Read(other), "someone else's");
}

TEST_F(FileBackupTest, AFailedCopyLeavesNothingBehind) {
  const std::string file = Path("a.txt");
  Write(file, "text");
  fs::create_directories(dir / "keep" / "a.txt.bak");  // a folder where the backup would go
  EXPECT_EQ(CopyToBackup(file, (dir / "keep" / "a.txt.bak").string()), FileError::IsFolder);
  EXPECT_EQ(Entries(dir / "keep"), 1u);
  EXPECT_NE(CopyToBackup(file, (dir / "gone" / "a.txt.bak").string()), FileError::None);
  EXPECT_NE(CopyToBackup(Path("missing.txt"), Path("missing.txt.bak")), FileError::None);
  EXPECT_FALSE(fs::exists(Path("missing.txt.bak")));
}

TEST_F(FileBackupTest, TheOwnerIsKeptWhereItMayBe) {
  if (::geteuid() != 0) GTEST_SKIP() << "a file of another user takes root to make";
  const std::string file = Path("a.txt");
  Write(file, "text");
  ASSERT_EQ(::chown(file.c_str(), 1234, 5678), 0);
  ::chmod(file.c_str(), 0660);
  ASSERT_EQ(CopyToBackup(file, Path("a.txt.bak")), FileError::None);
  struct stat info {};
  ASSERT_EQ(::stat(Path("a.txt.bak").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 1234u);
  EXPECT_EQ(info.st_gid, 5678u);
  EXPECT_EQ(info.st_mode & 07777, 0660u);
}

TEST_F(FileBackupTest, OnlyAWritableRegularFileMayBeReplaced) {
  const std::string file = Path("a.txt");
  Write(file, "text");
  EXPECT_TRUE(MayReplaceFile(file));
  EXPECT_FALSE(MayReplaceFile(dir.string()));
  EXPECT_FALSE(MayReplaceFile(Path("missing.txt")));
  if (::geteuid() == 0) GTEST_SKIP() << "root writes through file permissions";
  ::chmod(file.c_str(), 0444);
  EXPECT_FALSE(MayReplaceFile(file));
}

}  // namespace
}  // namespace norra
