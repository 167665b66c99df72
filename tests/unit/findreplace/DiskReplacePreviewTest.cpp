// The preview of a folder replace: files and hits as the run would change them, nothing
// written before the run, unchecked files and hits left as they are, a file changed since the
// preview left alone and named, and the run kept in a journal that takes it back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskReplacePreview.h"
#include "platform/MemoryUi.h"
#include "text/ReplaceUndo.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class DiskReplacePreviewTest : public ::testing::Test {
 protected:
  DiskReplacePreviewTest() : engine_(Symbols()), search_(engine_, ui_) {}
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
            ("norra_preview_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "tree" / "sub");
    fs::create_directories(root_ / "state");
    ASSERT_TRUE(engine_.Compile("a"));
    ASSERT_TRUE(engine_.CompileReplace("BB"));
    engine_.RunReset();
    engine_.PreFoldedText = true;
    search_.SetJournalFolder(State());
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string State() const { return (root_ / "state").string(); }
  std::string Path(const std::string& name) const { return (root_ / "tree" / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  DiskSearchRequest Request() const {
    DiskSearchRequest request;
    request.folderText = (root_ / "tree").string();
    request.fileMasks = {"*"};
    return request;
  }

  MemoryUi ui_;
  SearchEngine engine_;
  DiskSearch search_;
  fs::path root_;
};

TEST_F(DiskReplacePreviewTest, UncheckedFilesAndHitsStayAndTheRunCanBeTakenBack) {
  Put("1.txt", "xa\nya\n");
  Put("2.txt", "a\r\n");
  Put("3.txt", "none\n");
  Put("sub/4.txt", "za");
  DiskReplacePreview preview;
  ASSERT_TRUE(preview.Build(search_, Request(), false));
  EXPECT_TRUE(ui_.Boxes().empty());  // the preview shows no message
  ASSERT_EQ(preview.files.size(), 3u);
  EXPECT_EQ(preview.HitCount(), 4);
  EXPECT_NE(preview.Heading().find("3個のﾌｧｲﾙ"), std::string::npos);
  const PreviewFile& first = preview.files[0];
  EXPECT_EQ(first.path, Path("1.txt"));
  ASSERT_EQ(first.hits.size(), 2u);
  EXPECT_EQ(first.hits[1].line, 2u);
  EXPECT_EQ(first.hits[1].before, "a");
  EXPECT_EQ(first.hits[1].after, "BB");
  EXPECT_EQ(Get("1.txt"), "xa\nya\n");  // nothing written yet

  preview.files[0].hits[0].checked = false;  // one hit left out
  preview.files[1].checked = false;          // one file left out
  const DiskSearchResult result = preview.Run(ui_, State());
  EXPECT_EQ(result.end, DiskSearchEnd::Completed);
  EXPECT_EQ(result.replaceCount, 2);
  EXPECT_EQ(Get("1.txt"), "xa\nyBB\n");
  EXPECT_EQ(Get("2.txt"), "a\r\n");
  EXPECT_EQ(Get("sub/4.txt"), "zBB");
  ASSERT_FALSE(ui_.Boxes().empty());
  EXPECT_NE(ui_.LastBox().text.find("置換数 : 2"), std::string::npos);

  ASSERT_FALSE(result.journal.empty());
  const ReplaceUndoResult undone = UndoDiskReplace(result.journal);
  EXPECT_TRUE(undone.Complete());
  EXPECT_EQ(Get("1.txt"), "xa\nya\n");
  EXPECT_EQ(Get("sub/4.txt"), "za");
}

TEST_F(DiskReplacePreviewTest, AFileChangedAfterThePreviewIsLeftAloneAndNamed) {
  Put("1.txt", "a\n");
  Put("2.txt", "a\n");
  DiskReplacePreview preview;
  ASSERT_TRUE(preview.Build(search_, Request(), false));
  Put("2.txt", "a\nmine\n");
  const DiskSearchResult result = preview.Run(ui_, State());
  EXPECT_EQ(Get("1.txt"), "BB\n");
  EXPECT_EQ(Get("2.txt"), "a\nmine\n");
  EXPECT_EQ(result.leftChanged, std::vector<std::string>{Path("2.txt")});
  EXPECT_NE(ui_.LastBox().text.find(Path("2.txt")), std::string::npos);
}

TEST_F(DiskReplacePreviewTest, AFolderRunKeepsAJournalOfWhatItWrote) {
  Put("1.txt", "a a\n");
  Put("2.txt", "b\n");
  const DiskSearchResult result = search_.RunFolder(Request());
  ASSERT_FALSE(result.journal.empty());
  EXPECT_EQ(result.journal.rfind(State(), 0), 0u);
  const auto journal = ReadReplaceJournal(result.journal);
  ASSERT_TRUE(journal);
  ASSERT_EQ(journal->files.size(), 1u);
  EXPECT_EQ(journal->files[0].path, Path("1.txt"));
  EXPECT_EQ(journal->files[0].spans.size(), 2u);
  EXPECT_EQ(journal->files[0].newPrint, PrintOf("BB BB\n"));
  // A run that replaces nothing keeps none.
  EXPECT_TRUE(search_.RunFolder(Request()).journal.empty());
}

}  // namespace
}  // namespace norra
