// Tests of whole-file reading and atomic replacement, including the failures that must keep old files.
#include "text/FileIo.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace norra {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(::testing::TempDir()) /
            ("norra_fileio_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
  }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }

  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }

  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Names in the test folder other than the expected ones: leftover temporary files.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  static bool IsRoot() { return ::geteuid() == 0; }

  fs::path root_;
};

// All 256 byte values, CR LF and a lone CR, so nothing may be translated on the way.
std::string AllBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\r\n\r\x82\xA0\n";
  return bytes;
}

TEST_F(FileIoTest, ReadsBytesExactly) {
  const std::string path = Path("a.txt");
  Put(path, AllBytes());
  std::string bytes = "old";
  EXPECT_EQ(ReadWholeFile(path, bytes), FileError::None);
  EXPECT_EQ(bytes, AllBytes());
  EXPECT_EQ(FileSize(path), static_cast<std::int64_t>(AllBytes().size()));

  Put(path, "");
  EXPECT_EQ(ReadWholeFile(path, bytes), FileError::None);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(FileSize(path), 0);

  // Larger than one read buffer.
  std::string big(300000, 'x');
  for (std::size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>(i % 251);
  Put(path, big);
  EXPECT_EQ(ReadWholeFile(path, bytes), FileError::None);
  EXPECT_EQ(bytes, big);
  // Large enough for the huge-page hint.
  big.resize(9 << 20, 'y');
  big.back() = 'z';
  Put(path, big);
  EXPECT_EQ(ReadWholeFile(path, bytes), FileError::None);
  EXPECT_EQ(bytes, big);

  // A file whose size the system does not know ahead reads to its end.
  std::string comm;
  if (ReadWholeFile("/proc/self/comm", comm) == FileError::None) {
    EXPECT_FALSE(comm.empty());
    EXPECT_EQ(comm.back(), '\n');
  }
}

TEST_F(FileIoTest, ReadFailuresAreNamed) {
  std::string bytes = "old";
  EXPECT_EQ(ReadWholeFile(Path("missing"), bytes), FileError::NotFound);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(ReadWholeFile(Path("nofolder/x"), bytes), FileError::NotFound);
  EXPECT_EQ(ReadWholeFile(root_.string(), bytes), FileError::IsFolder);
  EXPECT_EQ(ReadWholeFile("", bytes), FileError::NotFound);
  Put(Path("f"), "x");
  EXPECT_EQ(ReadWholeFile(Path("f/inner"), bytes), FileError::NotAFolder);
  // A pipe without a writer must neither hang nor be read.
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(Path("pipe"), bytes), FileError::NotRegularFile);
  EXPECT_EQ(ReadWholeFile("/dev/null", bytes), FileError::NotRegularFile);

  EXPECT_EQ(FileSize(Path("missing")), -1);
  EXPECT_EQ(FileSize(root_.string()), -1);
  EXPECT_EQ(FileSize(Path("pipe")), -1);
  EXPECT_EQ(FileSize(""), -1);
}

TEST_F(FileIoTest, CausesAreNamedForTheUser) {
  const struct {
    int error;
    FileError kind;
    const char* reason;
  } cases[] = {
      {ENOSPC, FileError::NoSpace, "ﾃﾞｨｽｸの空き容量が足りません"},
      {EDQUOT, FileError::NoSpace, "ﾃﾞｨｽｸの空き容量が足りません"},
      {ENOMEM, FileError::OutOfMemory, "ﾒﾓﾘが足りません"},
      {EACCES, FileError::AccessDenied, "ｱｸｾｽ権がありません"},
      {EROFS, FileError::AccessDenied, "ｱｸｾｽ権がありません"},
      {ENOENT, FileError::NotFound, "ﾌｧｲﾙが存在しません"},
      {EFBIG, FileError::TooLarge, "ﾌｧｲﾙｻｲｽﾞが大き過ぎます"},
      {EIO, FileError::WriteFailed, "書込みｴﾗｰ"},
  };
  for (const auto& c : cases) {
    const FileError kind = FileErrorFromErrno(c.error, FileError::WriteFailed);
    EXPECT_EQ(kind, c.kind) << c.error;
    EXPECT_STREQ(FileErrorReason(kind), c.reason) << c.error;
  }
}

TEST_F(FileIoTest, ReadOfUnreadableFile) {
  if (IsRoot()) GTEST_SKIP() << "running as root: permission bits do not stop reading";
  const std::string path = Path("secret");
  Put(path, "x");
  fs::permissions(path, fs::perms::none);
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), FileError::AccessDenied);
}

TEST_F(FileIoTest, WritesNewAndReplacesOldFiles) {
  const std::string path = Path("n.txt");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ASSERT_EQ(WriteFileAtomic(path, AllBytes()), FileError::None);
  EXPECT_EQ(Get(path), AllBytes());
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u & ~mask);

  ASSERT_EQ(WriteFileAtomic(path, "second"), FileError::None);
  EXPECT_EQ(Get(path), "second");
  ASSERT_EQ(WriteFileAtomic(path, ""), FileError::None);
  EXPECT_EQ(Get(path), "");
  EXPECT_EQ(FileSize(path), 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{"n.txt"});  // no temporary file left

  // A name near the system's limit still gets a temporary file of its own.
  const std::string longName = Path(std::string(250, 'L'));
  ASSERT_EQ(WriteFileAtomic(longName, "long"), FileError::None);
  EXPECT_EQ(Get(longName), "long");
}

TEST_F(FileIoTest, KeepsPermissionsOfTheOldFile) {
  const std::string path = Path("script.sh");
  Put(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0750), 0);
  ASSERT_EQ(WriteFileAtomic(path, "new"), FileError::None);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0750u);
  EXPECT_EQ(Get(path), "new");

  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_EQ(WriteFileAtomic(path, "newer"), FileError::None);
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(FileIoTest, WritesThroughSymbolicLinks) {
  const std::string target = Path("real.txt");
  const std::string link = Path("link.txt");
  Put(target, "old");
  fs::create_symlink("real.txt", link);  // relative link
  ASSERT_EQ(WriteFileAtomic(link, "new"), FileError::None);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Get(target), "new");

  // A dangling link creates the file it points to.
  const std::string dangling = Path("dangling");
  fs::create_symlink(Path("created.txt"), dangling);
  ASSERT_EQ(WriteFileAtomic(dangling, "made"), FileError::None);
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(Get(Path("created.txt")), "made");

  // A loop of links is refused rather than followed for ever.
  fs::create_symlink(Path("loop2"), Path("loop1"));
  fs::create_symlink(Path("loop1"), Path("loop2"));
  EXPECT_NE(WriteFileAtomic(Path("loop1"), "x"), FileError::None);
}

TEST_F(FileIoTest, WriteFailuresLeaveEverythingAsItWas) {
  // The parent of the name is a regular file: fails for every user, root included.
  const std::string plain = Path("plain");
  Put(plain, "keep me");
  EXPECT_EQ(WriteFileAtomic(plain + "/x.txt", "data"), FileError::NotAFolder);
  EXPECT_EQ(Get(plain), "keep me");

  EXPECT_EQ(WriteFileAtomic(Path("missing/x.txt"), "data"), FileError::NotFound);
  EXPECT_FALSE(fs::exists(Path("missing")));

  EXPECT_EQ(WriteFileAtomic(root_.string(), "data"), FileError::IsFolder);
  EXPECT_EQ(WriteFileAtomic(Path("plain/"), "data"), FileError::IsFolder);
  EXPECT_EQ(WriteFileAtomic("", "data"), FileError::NotFound);

  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(WriteFileAtomic(Path("pipe"), "data"), FileError::NotRegularFile);

  // The name is taken by a folder: the rename cannot replace it.
  fs::create_directories(Path("taken"));
  EXPECT_EQ(WriteFileAtomic(Path("taken"), "data"), FileError::IsFolder);
  EXPECT_TRUE(fs::is_directory(Path("taken")));

  EXPECT_EQ(Entries(), (std::vector<std::string>{"pipe", "plain", "taken"}));
}

TEST_F(FileIoTest, FailedWriteKeepsTheOldFile) {
  // A file-size limit makes the write of the temporary file fail part-way, even for root,
  // like a full disk would.
  const std::string path = Path("a.txt");
  Put(path, "original");
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const FileError error = WriteFileAtomic(path, std::string(100, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(error, FileError::TooLarge);
  EXPECT_EQ(Get(path), "original");
  EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});
}

TEST_F(FileIoTest, ReadOnlyFileIsNotReplaced) {
  if (IsRoot()) GTEST_SKIP() << "running as root: permission bits do not stop writing";
  const std::string path = Path("ro.txt");
  Put(path, "original");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(WriteFileAtomic(path, "changed"), FileError::AccessDenied);
  EXPECT_EQ(Get(path), "original");
  EXPECT_EQ(Entries(), std::vector<std::string>{"ro.txt"});
}

TEST_F(FileIoTest, ReadOnlyFolderTakesNoNewFileButItsWritableFileIsWrittenInPlace) {
  if (IsRoot()) GTEST_SKIP() << "running as root: permission bits do not stop writing";
  fs::create_directories(Path("ro"));
  const std::string path = Path("ro/a.txt");
  Put(path, "original");
  ASSERT_EQ(::chmod(Path("ro").c_str(), 0555), 0);
  EXPECT_EQ(WriteFileAtomic(path, "changed"), FileError::None);
  EXPECT_EQ(WriteFileAtomic(Path("ro/new.txt"), "changed"), FileError::AccessDenied);
  ASSERT_EQ(::chmod(Path("ro").c_str(), 0755), 0);
  EXPECT_EQ(Get(path), "changed");
  EXPECT_FALSE(fs::exists(Path("ro/new.txt")));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Path("ro"))) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"a.txt"});
}

}  // namespace
}  // namespace norra
