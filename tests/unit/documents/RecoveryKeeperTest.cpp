// When modified Pages get their recovery copies and when the copies go, on a clock the test
// moves; and Pages made again from copies.
#include <gtest/gtest.h>

#include "DocumentsHarness.h"
#include "documents/RecoveryKeeper.h"
#include "documents/RecoveryStore.h"
#include "documents/RecoveryWriter.h"

namespace norra::testing {
namespace {

class RecoveryKeeperTest : public DocumentsTestBase {
 protected:
  void SetUp() override {
    DocumentsTestBase::SetUp();
    store = std::make_unique<RecoveryStore>((dir / "recovery").string());
    ASSERT_EQ(store->Open(), FileError::None);
    writer = std::make_unique<RecoveryWriter>(*store);
    keeper = std::make_unique<RecoveryKeeper>(*docs, *writer, [] { return std::int64_t{1700000000}; });
  }
  void TearDown() override {
    keeper.reset();
    writer.reset();
    store.reset();
    DocumentsTestBase::TearDown();
  }
  // The copies on disk now, by their text.
  std::vector<std::string> OnDisk() {
    keeper->Flush();
    std::vector<std::string> texts;
    for (const auto& entry : fs::directory_iterator(store->Folder())) {
      RecoveryCopy copy;
      if (entry.path().extension() == ".copy" && ParseRecoveryCopy(ReadBytes(entry.path().string()), copy))
        texts.push_back(copy.text);
    }
    std::sort(texts.begin(), texts.end());
    return texts;
  }

  std::unique_ptr<RecoveryStore> store;
  std::unique_ptr<RecoveryWriter> writer;
  std::unique_ptr<RecoveryKeeper> keeper;
};

// A timeline per row: at each moment (ms) "k" types a key into the Page, "t" is a tick; the
// number after "=" is how many copies were taken by then.
TEST_F(RecoveryKeeperTest, CopyComesSoonAfterTheLastEditAndNowAndThenWhileTypingGoesOn) {
  struct Case {
    const char* what;
    std::vector<std::tuple<std::int64_t, char, std::uint64_t>> steps;
  };
  std::vector<std::tuple<std::int64_t, char, std::uint64_t>> typing;
  for (std::int64_t at = 0; at <= 26000; at += 250) {
    typing.emplace_back(at, 'k', at <= 25000 ? 0 : 1);
    typing.emplace_back(at, 't', at < 25000 ? 0 : 1);
  }
  const Case cases[] = {
      {"one key, then quiet",
       {{0, 'k', 0}, {0, 't', 0}, {250, 't', 0}, {999, 't', 0}, {1000, 't', 1}, {1250, 't', 1}, {9000, 't', 1}}},
      {"a key seen late counts from when it was seen",
       {{0, 't', 0}, {100, 'k', 0}, {250, 't', 0}, {1249, 't', 0}, {1250, 't', 1}}},
      {"keys after a copy make another",
       {{0, 'k', 0}, {0, 't', 0}, {1000, 't', 1}, {1100, 'k', 1}, {1250, 't', 1}, {2250, 't', 2}, {5000, 't', 2}}},
      {"typing without a pause: at the latest every 25 s", typing},
      {"an unmodified Page has none", {{0, 't', 0}, {5000, 't', 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Page& page = NewPage("|");
    page.SetModified(false);
    const std::uint64_t before = keeper->CopiesTaken();
    for (const auto& [at, what, copies] : c.steps) {
      if (what == 'k') Keys(page, "x");
      else keeper->Tick(at + 100000 * static_cast<std::int64_t>(&c - cases));
      EXPECT_EQ(keeper->CopiesTaken() - before, copies) << "at " << at;
    }
    docs->DestroyPage(page);
    keeper->PageGone(page);
  }
  EXPECT_TRUE(OnDisk().empty());
}

TEST_F(RecoveryKeeperTest, SaveCloseAndGoneWithoutWordRemoveTheCopy) {
  const std::string path = MakeFile("a.txt", "old\r\n");
  ASSERT_EQ(docs->OpenPage(path, false), 1);
  Page& saved = *docs->ActivePage();
  Page& dropped = NewPage("|");
  Page& closed = NewPage("|");
  for (Page* page : {&saved, &dropped, &closed}) {
    page->Control().SetSelection(0, 0);
    page->Control().ReplaceSelection(page == &saved ? "s" : page == &dropped ? "d" : "c");
    page->SetModified(true);
  }
  keeper->Tick(0);
  keeper->Tick(1000);
  EXPECT_EQ(OnDisk(), (std::vector<std::string>{"c", "d", "sold\r\n"}));

  ASSERT_EQ(docs->SavePage(saved), SaveOk);
  keeper->PageSaved(saved);  // as the main window passes it on
  EXPECT_EQ(OnDisk(), (std::vector<std::string>{"c", "d"}));
  ui.QueueAnswer(IDNO);  // close without saving
  ASSERT_TRUE(docs->ClosePage(closed));
  keeper->Tick(1250);  // the keeper was not told: the next look finds the Page gone
  EXPECT_EQ(OnDisk(), std::vector<std::string>{"d"});
  dropped.SetModified(false);  // e.g. reloaded
  keeper->Tick(1500);
  EXPECT_TRUE(OnDisk().empty());
}

TEST_F(RecoveryKeeperTest, RestoredPagesHoldTheCopysBytesModifiedWithoutReadingTheirFile) {
  const std::string path = MakeFile("on disk.txt", "disk text\n");
  RecoveryCopy titled{path, PageKind::File, {}, true, 5, "copy\r\n\x81\r\n"};
  RecoveryCopy untitled{"無題7", PageKind::Untitled, {FileCharset::Utf8, false}, false, 6,
                        std::string(3 << 20, 'u')};
  settings->File.MaxLength = 1024;  // a copy longer than the limit is not cut
  Page* first = docs->RestorePage(titled);
  Page* second = docs->RestorePage(untitled);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->Control().Text(), titled.text);
  EXPECT_TRUE(first->Modified());
  EXPECT_TRUE(first->LfLineBreaks());
  EXPECT_EQ(first->FilePath(), path);
  EXPECT_EQ(first->DisplayName(), "on disk.txt");
  EXPECT_EQ(second->Control().Text(), untitled.text);
  EXPECT_EQ(second->FilePath(), "無題1") << "a new untitled number, never one of this run's taken twice";
  EXPECT_EQ(second->Kind(), PageKind::Untitled);
  EXPECT_EQ(second->Encoding(), untitled.encoding);
  EXPECT_EQ(second->Control().TextCharset(), Charset::Utf8) << "held and stepped as UTF-8";
  EXPECT_EQ(docs->ActivePage(), second);
  EXPECT_EQ(log->RecordCount(), 0u) << "restoring is no edit to take back";

  ASSERT_EQ(docs->SavePage(*first), SaveOk);
  EXPECT_EQ(ReadBytes(path), "copy\n\x81\n") << "written back with the LF line breaks of its file";
}

}  // namespace
}  // namespace norra::testing
