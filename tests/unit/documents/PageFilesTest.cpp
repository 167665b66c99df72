// Path expansion, file size query, line-break conversion and the page list's order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "documents/PageFiles.h"
#include "documents/Page.h"
#include "documents/PageList.h"
#include "documents/UndoLog.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

TEST(PageFilesTest, ExpandLongPathMakesAbsoluteAndNormal) {
  const std::string cwd = fs::current_path().string();
  EXPECT_EQ(ExpandLongPath("/a/./b/../c.txt"), "/a/c.txt");
  EXPECT_EQ(ExpandLongPath("x.txt"), cwd + "/x.txt");
  EXPECT_EQ(ExpandLongPath("/home/~user/PROGRA~1.TXT"), "/home/~user/PROGRA~1.TXT");  // no short names here
  EXPECT_EQ(ExpandLongPath(""), "");
}

TEST(PageFilesTest, QueryFileSizeOnlyForReadableRegularFiles) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("norra_pagefiles_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string file = (dir / "f.bin").string();
  std::ofstream(file, std::ios::binary) << std::string(1234, 'z');
  EXPECT_EQ(QueryFileSize(file), 1234);
  EXPECT_EQ(QueryFileSize(dir.string()), -1);
  EXPECT_EQ(QueryFileSize((dir / "none").string()), -1);
  const std::string fifo = (dir / "pipe").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(QueryFileSize(fifo), -1);  // and it did not hang waiting for a writer
  EXPECT_EQ(QueryFileSize("/dev/zero"), -1);
  if (::geteuid() != 0) {
    ::chmod(file.c_str(), 0);
    EXPECT_EQ(QueryFileSize(file), -1);  // exists, but cannot be opened for reading
  }
  fs::remove_all(dir);
}

TEST(PageFilesTest, SaveErrorNamesTheCauseTheFileAndAnyBackupLeft) {
  EXPECT_EQ(SaveErrorText(FileError::NoSpace, "/d/a.txt"),
            "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\nﾃﾞｨｽｸの空き容量が足りません\n/d/a.txt");
  EXPECT_EQ(SaveErrorText(FileError::WriteFailed, "/d/a.txt", "/c/norra/a.txt.norra-backup-1-x"),
            "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\n書込みｴﾗｰ\n/d/a.txt\n元の内容は次のﾌｧｲﾙに残っています : "
            "/c/norra/a.txt.norra-backup-1-x");
}

TEST(PageFilesTest, LineBreakConversionsRoundTrip) {
  EXPECT_TRUE(HasLfOnlyBreaks("a\nb"));
  EXPECT_FALSE(HasLfOnlyBreaks("a\r\nb\n"));
  EXPECT_FALSE(HasLfOnlyBreaks("no breaks"));
  EXPECT_FALSE(HasLfOnlyBreaks("lone\rcr"));
  EXPECT_EQ(LfToCrLf("\na\n\nb"), "\r\na\r\n\r\nb");
  EXPECT_EQ(CrLfToLf("\r\na\r\n\r\nb"), "\na\n\nb");
  EXPECT_EQ(CrLfToLf("x\ry\r\r\n"), "x\ry\r\n");  // a lone CR stays
  const std::string lf = "\x82\n\x81\x40\n\n";
  EXPECT_EQ(CrLfToLf(LfToCrLf(lf)), lf);
}

TEST(PageListTest, NewestFirstAndSelectionFollowsItsPage) {
  MemoryUi ui;
  UndoLog log(ui);
  Page a(std::make_unique<MemoryTextControl>(), log);
  Page b(std::make_unique<MemoryTextControl>(), log);
  Page c(std::make_unique<MemoryTextControl>(), log);
  Page* pa = &a;
  Page* pb = &b;
  Page* pc = &c;
  PageList list;
  list.InsertFront("A", *pa);
  list.InsertFront("B", *pb);
  list.InsertFront("C", *pc);
  EXPECT_EQ(list.SelectedPage(), pc);
  list.Select(*pb);
  list.Remove(*pc);
  EXPECT_EQ(list.SelectedIndex(), 0u);  // still B, now first
  EXPECT_EQ(list.SelectedPage(), pb);
  list.Reorder({pa});
  EXPECT_EQ(list.At(0).text, "A");
  EXPECT_EQ(list.At(1).text, "B");
  EXPECT_EQ(list.SelectedIndex(), 1u);
  list.Remove(*pb);
  EXPECT_EQ(list.SelectedPage(), nullptr);
  EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
}  // namespace norra
