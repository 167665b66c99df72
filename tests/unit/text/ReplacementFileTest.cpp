// The temporary files of atomic replacement: who may read them, their names, and leftovers.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
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
    // Backups and in-place content go to a cache folder of the test's own, and the journal
    // records of in-place writes to a state folder of its own.
    if (const char* cache = std::getenv("XDG_CACHE_HOME")) savedCache_ = cache;
    if (const char* state = std::getenv("XDG_STATE_HOME")) savedState_ = state;
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, saved] : {std::pair{"XDG_CACHE_HOME", &savedCache_},
                                      std::pair{"XDG_STATE_HOME", &savedState_}}) {
      if (saved->empty()) {
        ::unsetenv(name);
      } else {
        ::setenv(name, saved->c_str(), 1);
      }
    }
    fs::remove_all(root_);
  }

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
  std::vector<std::string> Entries(const std::string& folder = "") const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(root_ / folder, ignored))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
  }
  static std::string Attribute(const std::string& path, const char* name) {
    std::string value(4096, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
    if (size < 0) return "(none)";
    value.resize(static_cast<std::size_t>(size));
    return value;
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
  std::string savedCache_;
  std::string savedState_;
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
      {"a.txt.norra-12345-abcd0123.tmp", false},  // not hidden: a user's file
      {".a.txt.norra-abcd0123", true},            // earlier versions' form
      {".a.txt.norra-abcd01234", false},
      {".norra-abcd0123", false},
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

TEST_F(ReplacementFileTest, HardLinkedFileIsWrittenInPlaceSoEveryNameSeesTheNewText) {
  const std::string path = Path("a.txt");
  Put(path, "old text");
  fs::create_hard_link(path, Path("b.txt"));
  const ino_t inode = StatOf(path).st_ino;
  ASSERT_EQ(WriteFileAtomic(path, "new text, longer"), FileError::None);
  EXPECT_EQ(Get(path), "new text, longer");
  EXPECT_EQ(Get(Path("b.txt")), "new text, longer");
  EXPECT_EQ(StatOf(path).st_ino, inode);
  EXPECT_EQ(StatOf(path).st_nlink, 2u);
  ASSERT_EQ(WriteFileAtomic(Path("b.txt"), "short"), FileError::None);  // shrinks too
  EXPECT_EQ(Get(path), "short");
  // Neither the new content nor the backup stays behind.
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "b.txt", "cache", "state"}));
  EXPECT_EQ(Entries("cache/norra"), std::vector<std::string>{});
  EXPECT_EQ(StatOf(Path("cache/norra")).st_mode & 07777, 0700u);
}

TEST_F(ReplacementFileTest, ExtendedAttributesAndAccessControlListsAreKept) {
  const std::string path = Path("a.txt");
  Put(path, "old");
  if (::setxattr(path.c_str(), "user.norra.note", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "the test folder's file system takes no extended attributes";
  }
  // user::rw- user:12345:r-- group::r-- mask::r-- other::---
  const auto entry = [](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 2; ++i) bytes[i] = static_cast<char>(tag >> (8 * i));
    for (int i = 0; i < 2; ++i) bytes[2 + i] = static_cast<char>(perm >> (8 * i));
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(id >> (8 * i));
    return bytes;
  };
  const std::string acl = std::string("\x02\0\0\0", 4) + entry(0x01, 6, ~0u) +
                          entry(0x02, 4, 12345) + entry(0x04, 4, ~0u) + entry(0x10, 4, ~0u) +
                          entry(0x20, 0, ~0u);
  const bool hasAcl =
      ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  const std::string aclBefore = Attribute(path, "system.posix_acl_access");
  const mode_t mode = StatOf(path).st_mode & 07777;

  ASSERT_EQ(WriteFileAtomic(path, "new"), FileError::None);
  EXPECT_EQ(Get(path), "new");
  EXPECT_EQ(Attribute(path, "user.norra.note"), "kept");
  if (hasAcl) {
    EXPECT_EQ(Attribute(path, "system.posix_acl_access"), aclBefore);
  }
  EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
}

TEST_F(ReplacementFileTest, FileOfAnotherOwnerOrInAFolderWeMayNotWriteIsWrittenInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a file of another user takes root";
  // The writer is an ordinary user (a child process that gave up root); the file belongs to
  // a third user and lets everyone write it.
  constexpr uid_t kWriter = 65534;
  constexpr uid_t kOwner = 12345;
  fs::create_directories(Path("open"));
  fs::create_directories(Path("closed"));
  fs::create_directories(Path("cache"));
  fs::create_directories(Path("state"));
  ::chmod(Path("open").c_str(), 0777);
  ::chmod(Path("closed").c_str(), 0755);
  ::chmod(Path("cache").c_str(), 0777);
  ::chmod(Path("state").c_str(), 0777);
  for (const char* name : {"open/a.txt", "closed/b.txt"}) {
    Put(Path(name), "old");
    ASSERT_EQ(::chown(Path(name).c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chmod(Path(name).c_str(), 0666), 0);
  }
  const ino_t inode = StatOf(Path("open/a.txt")).st_ino;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(kWriter) != 0 || ::setuid(kWriter) != 0) ::_exit(10);
    int failed = 0;
    if (WriteFileAtomic(Path("open/a.txt"), "new a") != FileError::None) failed |= 1;
    if (WriteFileAtomic(Path("closed/b.txt"), "new b") != FileError::None) failed |= 2;
    ::_exit(failed);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Get(Path("open/a.txt")), "new a");
  EXPECT_EQ(Get(Path("closed/b.txt")), "new b");
  EXPECT_EQ(StatOf(Path("open/a.txt")).st_uid, kOwner);
  EXPECT_EQ(StatOf(Path("open/a.txt")).st_gid, kOwner);
  EXPECT_EQ(StatOf(Path("open/a.txt")).st_ino, inode);
  EXPECT_EQ(Entries("open"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(Entries("cache/norra"), std::vector<std::string>{});
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{});
}

TEST_F(ReplacementFileTest, InPlaceWriteStoppedPartWayPutsTheOldContentBack) {
  const std::string path = Path("a.txt");
  Put(path, "old content");
  fs::create_hard_link(path, Path("b.txt"));
  ReplacementFile file;
  ASSERT_EQ(file.Open(path), FileError::None);
  EXPECT_TRUE(file.WritesInPlace());
  ASSERT_EQ(file.Write(std::string(100000, 'n')), FileError::None);
  ASSERT_EQ(file.Finish(true), FileError::None);
  // A file-size limit stops the write into the old file part-way, even for root.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const FileError error = file.Replace();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(error, FileError::TooLarge);
  // Both names hold the old content again; neither backup nor journal record is left.
  EXPECT_EQ(file.LeftBackup(), "");
  EXPECT_EQ(Get(path), "old content");
  EXPECT_EQ(Get(Path("b.txt")), "old content");
  EXPECT_EQ(Entries("cache/norra"), std::vector<std::string>{});
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{});
}

}  // namespace
}  // namespace norra
