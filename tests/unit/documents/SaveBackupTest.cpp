// Backup on save: the old file kept as NAME.bak beside it or in the chosen folder, a failed
// backup asked about, a read-only file never written.
#include <sys/stat.h>

#include "DocumentsHarness.h"

namespace norra::testing {
namespace {

class SaveBackupTest : public DocumentsTestBase {
 protected:
  Page& Open(const std::string& path) {
    EXPECT_EQ(docs->OpenPage(path, false), 1);
    return *docs->ActivePage();
  }
  void AnswerSaveDialog(const std::string& path) {
    FileDialogResult answer;
    answer.accepted = true;
    answer.files = {path};
    answer.filterIndex = 1;
    ui.QueueDialogAnswer(answer);
  }
};

TEST_F(SaveBackupTest, NoBackupUnlessTheOptionIsOn) {
  const std::string path = MakeFile("a.txt", "old");
  Page& page = Open(path);
  Keys(page, "new ");
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_FALSE(fs::exists(path + ".bak"));
}

TEST_F(SaveBackupTest, EachSaveKeepsTheFileAsItWasBesideItOrInTheFolder) {
  settings->File.MakeBackup = true;
  const std::string path = MakeFile("a.txt", "old");
  Page& page = Open(path);
  Keys(page, "1");
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes(path), "1old");
  EXPECT_EQ(ReadBytes(path + ".bak"), "old");
  Keys(page, "2");
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes(path + ".bak"), "1old");

  fs::create_directories(dir / "keep");
  settings->File.BackupFolder = (dir / "keep").string();
  Keys(page, "3");
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes((dir / "keep" / "a.txt.bak").string()), "12old");
  EXPECT_EQ(ReadBytes(path + ".bak"), "1old") << "the one beside it is left alone";
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(SaveBackupTest, ANewFileHasNothingToKeepAndAFileSavedOverUnderANewNameIsKept) {
  settings->File.MakeBackup = true;
  Page& page = NewPage("|");
  Keys(page, "memo");
  AnswerSaveDialog((dir / "new.txt").string());
  EXPECT_EQ(docs->SavePageAs(page), SaveOk);
  EXPECT_FALSE(fs::exists(dir / "new.txt.bak"));

  const std::string other = MakeFile("other.txt", "other's text");
  AnswerSaveDialog(other);
  ui.QueueAnswer(IDYES);  // overwrite it
  EXPECT_EQ(docs->SavePageAs(page), SaveOk);
  EXPECT_EQ(ReadBytes(other), "memo");
  EXPECT_EQ(ReadBytes(other + ".bak"), "other's text");
}

TEST_F(SaveBackupTest, ABackupThatCannotBeMadeIsAskedAbout) {
  settings->File.MakeBackup = true;
  settings->File.BackupFolder = (dir / "gone").string();
  const std::string path = MakeFile("a.txt", "old");
  Page& page = Open(path);
  Keys(page, "new ");

  // No (the default): the file stays as it was and the Page keeps its edits.
  ui.QueueAnswer(IDNO);
  EXPECT_EQ(docs->SavePage(page), SaveCancelled);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "ﾊﾞｯｸｱｯﾌﾟを作成できません。\n" + (dir / "gone" / "a.txt.bak").string() +
                                   "\n(" + FileErrorReason(FileError::NotFound) +
                                   ")\n\nﾊﾞｯｸｱｯﾌﾟ無しで保存しますか?");
  EXPECT_EQ(ui.LastBox().caption, "Norra");
  EXPECT_EQ(ui.LastBox().flags, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_TRUE(page.Modified());

  // Closing asks to save; the refused backup keeps the Page open rather than losing the edit.
  ui.QueueAnswer(IDYES);
  ui.QueueAnswer(IDNO);
  EXPECT_FALSE(docs->ClosePage(page));
  EXPECT_TRUE(docs->Owns(page));

  // Yes: saved without a backup.
  ui.QueueAnswer(IDYES);
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes(path), "new old");
  EXPECT_FALSE(page.Modified());
}

TEST_F(SaveBackupTest, AReadOnlyFileGetsNoBackupAndIsNotWritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes through file permissions";
  settings->File.MakeBackup = true;
  const std::string path = MakeFile("ro.txt", "keep me");
  Page& page = Open(path);
  Keys(page, "lost? ");
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(docs->SavePage(page), SaveFailed);
  EXPECT_EQ(ReadBytes(path), "keep me");
  EXPECT_FALSE(fs::exists(path + ".bak"));
}

}  // namespace
}  // namespace norra::testing
