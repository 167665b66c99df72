// Recovery copies on disk: what a copy keeps, whose copies a start may take, and what it skips.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "documents/RecoveryStore.h"
#include "documents/RecoveryWriter.h"

namespace norra::testing {
namespace {

namespace fs = std::filesystem;

class RecoveryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = (fs::path(::testing::TempDir()) /
            ("norra_recovery_" + std::string(info->name()) + "_" + std::to_string(::getpid())))
               .string() + "/";
    fs::remove_all(root);
  }
  void TearDown() override { fs::remove_all(root); }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // The texts of the copies a start would offer now.
  std::vector<std::string> Offered() const {
    std::vector<std::string> texts;
    const RecoveryClaim claim = RecoveryClaim::Take(root);
    for (const RecoverableCopy& found : claim.Copies()) texts.push_back(found.copy.text);
    return texts;
  }
  // A process id that is surely gone: a child that ended and was reaped.
  static pid_t EndedPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
  }

  std::string root;
};

RecoveryCopy Copy(std::string text, std::int64_t time = 1, std::string path = "無題1",
                  PageKind kind = PageKind::Untitled) {
  RecoveryCopy copy;
  copy.path = std::move(path);
  copy.kind = kind;
  copy.time = time;
  copy.text = std::move(text);
  return copy;
}

TEST_F(RecoveryStoreTest, CopiesComeBackExactlyOnceTheirRunEnded) {
  struct Case {
    const char* what;
    RecoveryCopy copy;
  };
  RecoveryCopy lf = Copy("a\r\nb\r\n", 3, "/home/u/日本語 %41\nname.txt", PageKind::File);
  lf.lfLineBreaks = true;
  RecoveryCopy utf8 = Copy("\xE6\x97\xA5\r\n", 4, "/x/y.txt", PageKind::File);
  utf8.encoding = {FileCharset::Utf8, true};
  const Case cases[] = {
      {"empty untitled", Copy("", 1)},
      {"invalid CP932 bytes, NUL, lone CR and LF", Copy(std::string("\x81\x20\xFF\xA0\x85\0\r\n\r\n\n\n", 13), 2)},
      {"LF file, path with newline, percent and spaces", lf},
      {"UTF-8 Page", utf8},
      {"failed load", Copy("x", 5, "(Err)/a/b.txt", PageKind::LoadFailed)},
      {"large", Copy(std::string(3 << 20, '\x82'), 6)},
  };
  {
    RecoveryStore store(root);
    ASSERT_EQ(store.Open(), FileError::None);
    for (std::size_t i = 0; i < std::size(cases); ++i) ASSERT_EQ(store.Write(i + 1, cases[i].copy), FileError::None);
    struct stat info {};
    ASSERT_EQ(::stat((store.Folder() + "1.copy").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(store.Folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(Offered().empty()) << "a running Norra's copies are never offered";
  }  // ends like a killed run: the lock goes, the copies stay
  RecoveryClaim claim = RecoveryClaim::Take(root);
  ASSERT_EQ(claim.Copies().size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(claim.Copies()[i].copy, cases[i].copy) << cases[i].what;  // oldest first
  }
}

TEST_F(RecoveryStoreTest, TwoRunsNeverTakeOrRemoveEachOthersCopies) {
  auto first = std::make_unique<RecoveryStore>(root);
  RecoveryStore second(root);
  ASSERT_EQ(first->Open(), FileError::None);
  ASSERT_EQ(second.Open(), FileError::None);
  ASSERT_NE(first->Folder(), second.Folder());
  ASSERT_EQ(first->Write(1, Copy("first's")), FileError::None);
  ASSERT_EQ(second.Write(1, Copy("second's")), FileError::None);
  second.Remove(1);
  EXPECT_TRUE(fs::exists(first->Folder() + "1.copy")) << "same number, other run";
  EXPECT_TRUE(Offered().empty());

  first.reset();  // killed
  {
    RecoveryClaim taking = RecoveryClaim::Take(root);
    ASSERT_EQ(taking.Copies().size(), 1u);
    EXPECT_EQ(taking.Copies()[0].copy.text, "first's");
    EXPECT_TRUE(Offered().empty()) << "a second start meanwhile finds them taken";
  }  // given back untouched
  EXPECT_EQ(Offered(), std::vector<std::string>{"first's"});
  {
    RecoveryClaim taking = RecoveryClaim::Take(root);
    taking.Discard(0);
  }
  EXPECT_TRUE(Offered().empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1) << "the emptied folder went";

  second.RemoveAll();  // a normal exit
  EXPECT_TRUE(fs::is_empty(root));
}

TEST_F(RecoveryStoreTest, TornTemporaryAndStaleEntriesAreSkippedOrCleared) {
  std::string folder;
  {
    RecoveryStore store(root);
    ASSERT_EQ(store.Open(), FileError::None);
    folder = store.Folder();
    ASSERT_EQ(store.Write(1, Copy("whole", 1)), FileError::None);
    ASSERT_EQ(store.Write(2, Copy("cut short", 2)), FileError::None);
    ASSERT_EQ(store.Write(3, Copy("altered", 3)), FileError::None);
  }
  const std::string cut = ReadBytes(folder + "2.copy");
  WriteBytes(folder + "2.copy", cut.substr(0, cut.size() - 1));
  std::string altered = ReadBytes(folder + "3.copy");
  altered.back() = 'D';
  WriteBytes(folder + "3.copy", altered);
  WriteBytes(folder + "4.copy.part", ReadBytes(folder + "1.copy"));  // a write the kill cut short
  WriteBytes(folder + "5.copy", "norra-recovery 1\nkind file\n");
  // A run killed before it held its lock, and a folder whose lock file went with its run.
  const std::string unlocked = root + ".new-" + std::to_string(EndedPid()) + "-abcdefgh/";
  const std::string lockless = root + std::to_string(EndedPid()) + "-abcdefgh/";
  fs::create_directories(unlocked);
  fs::create_directories(lockless);
  // A stale lock: the file is there, no process holds it.
  const std::string stale = root + std::to_string(EndedPid()) + "-stalelck/";
  fs::create_directories(stale);
  WriteBytes(stale + "lock", "");
  WriteBytes(stale + "9.copy", FormatRecoveryCopy(Copy("stale", 9)) + "stale");

  EXPECT_EQ(Offered(), (std::vector<std::string>{"whole", "stale"}));
  EXPECT_FALSE(fs::exists(folder + "4.copy.part"));
  EXPECT_FALSE(fs::exists(unlocked));
  EXPECT_FALSE(fs::exists(lockless));
  EXPECT_TRUE(fs::exists(folder + "2.copy")) << "an unreadable copy is not removed unasked";
}

TEST_F(RecoveryStoreTest, WriterKeepsTheNewestCopyAndOrdersRemovals) {
  RecoveryStore store(root);
  ASSERT_EQ(store.Open(), FileError::None);
  {
    RecoveryWriter writer(store);
    for (int i = 0; i < 200; ++i) writer.Write(1, Copy(std::string(10000, 'a') + std::to_string(i)));
    writer.Write(2, Copy("two"));
    writer.Remove(2);
    writer.Write(3, Copy("three"));
    writer.Remove(3);
    writer.Write(3, Copy("three again"));
    writer.Flush();
    EXPECT_EQ(writer.LastError(), FileError::None);
    EXPECT_LE(writer.Written(), 202u);
    RecoveryCopy read;
    ASSERT_TRUE(ParseRecoveryCopy(ReadBytes(store.Folder() + "1.copy"), read));
    EXPECT_EQ(read.text, std::string(10000, 'a') + "199");
    EXPECT_FALSE(fs::exists(store.Folder() + "2.copy"));
    ASSERT_TRUE(ParseRecoveryCopy(ReadBytes(store.Folder() + "3.copy"), read));
    EXPECT_EQ(read.text, "three again");
    writer.Write(4, Copy("four"));
  }  // the writer finishes what was asked before it ends
  EXPECT_TRUE(fs::exists(store.Folder() + "4.copy"));
}

}  // namespace
}  // namespace norra::testing
