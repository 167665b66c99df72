// Enumeration of a folder's files for the folder command.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "findreplace/FolderEnumerator.h"
#include "text/Encoding.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class FolderEnumeratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("enum_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Touch(const std::string& rel) {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel) << "x";
  }
  std::string Root() const { return root_.string() + "/"; }
  std::vector<std::string> Rel(const std::vector<std::string>& paths) const {
    std::vector<std::string> out;
    for (const std::string& p : paths) out.push_back(p.substr(Root().size()));
    return out;
  }

  fs::path root_;
};

// Masks are typed as UTF-8 here and handed over in CP932, as the mask list holds them.
bool Wild(std::string_view maskUtf8, std::string_view name) {
  return WildcardMatch(Utf8ToCp932(maskUtf8), name);
}

TEST(WildcardMatchTest, SystemRules) {
  EXPECT_TRUE(Wild("*", "anything.txt"));
  EXPECT_TRUE(Wild("*", ""));
  EXPECT_TRUE(Wild("*.TXT", "readme.txt"));
  EXPECT_FALSE(Wild("*.TXT", "readme.txt.bak"));
  EXPECT_TRUE(Wild("A?C", "abc"));
  EXPECT_FALSE(Wild("A?C", "ac"));
  EXPECT_TRUE(Wild("*.*", "Makefile"));  // the classic "every file" mask
  EXPECT_FALSE(Wild("*.", "Makefile"));
  EXPECT_TRUE(Wild("[A].TXT", "[a].txt"));  // brackets are plain characters here
  EXPECT_FALSE(Wild("[A].TXT", "a.txt"));
  // "?" is one character, also a Japanese one; full-width letters fold too.
  EXPECT_TRUE(Wild("?.TXT", "日.txt"));
  EXPECT_FALSE(Wild("?.TXT", "日本.txt"));
  EXPECT_TRUE(Wild("ＡＢ*", "ａｂｃ"));
  // A name that is not UTF-8 still matches by its bytes.
  EXPECT_TRUE(Wild("?X", "\x82x"));
  EXPECT_TRUE(Wild("*A*A*A*B", std::string(2000, 'a') + "b"));
  EXPECT_FALSE(Wild("*A*A*A*B", std::string(2000, 'a')));
}

TEST_F(FolderEnumeratorTest, MasksInOrderEachFileOnce) {
  Touch("b.txt");
  Touch("a.log");
  Touch("c.TXT");
  Touch("d.txt.bak");
  // *.TXT first, then every other file; a file matching both masks is listed once.
  EXPECT_EQ(Rel(EnumerateFolderFiles(Root(), {"*.TXT", "*"}, false)),
            (std::vector<std::string>{"b.txt", "c.TXT", "a.log", "d.txt.bak"}));
  EXPECT_EQ(Rel(EnumerateFolderFiles(Root(), {"*.LOG"}, false)), std::vector<std::string>{"a.log"});
  EXPECT_TRUE(EnumerateFolderFiles(Root(), {"*.MD"}, false).empty());
}

TEST_F(FolderEnumeratorTest, OwnFilesBeforeSubFoldersDepthFirst) {
  Touch("z.txt");
  Touch("sub1/y.txt");
  Touch("sub1/deep/x.txt");
  Touch("sub2/w.txt");
  Touch("a.txt");
  EXPECT_EQ(Rel(EnumerateFolderFiles(Root(), {"*"}, false)),
            (std::vector<std::string>{"a.txt", "z.txt"}));
  EXPECT_EQ(
      Rel(EnumerateFolderFiles(Root(), {"*"}, true)),
      (std::vector<std::string>{"a.txt", "z.txt", "sub1/y.txt", "sub1/deep/x.txt", "sub2/w.txt"}));
}

TEST_F(FolderEnumeratorTest, CaseOnlyDifferentNamesAreDistinctFiles) {
  Touch("note.txt");
  Touch("NOTE.txt");
  EXPECT_EQ(EnumerateFolderFiles(Root(), {"*.TXT", "NOTE.TXT"}, false).size(), 2u);
}

TEST_F(FolderEnumeratorTest, LinksAreNotFollowedAndSpecialFilesSkipped) {
  Touch("sub/a.txt");
  fs::create_directory_symlink(root_, root_ / "sub" / "loop");
  fs::create_symlink(root_ / "sub" / "a.txt", root_ / "link.txt");
  ASSERT_EQ(::mkfifo((root_ / "pipe.txt").c_str(), 0600), 0);
  EXPECT_EQ(Rel(EnumerateFolderFiles(Root(), {"*"}, true)), std::vector<std::string>{"sub/a.txt"});
}

TEST_F(FolderEnumeratorTest, MissingFolderGivesNothing) {
  EXPECT_TRUE(EnumerateFolderFiles(Root() + "none/", {"*"}, true).empty());
}

}  // namespace
}  // namespace norra
