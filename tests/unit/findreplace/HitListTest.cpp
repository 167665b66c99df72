// The list of every hit: what the folder, group and notebook ranges list and in which order,
// the texts of open Pages with edits, the worker pool's order and stop, and going to a hit.
#include <fstream>

#include "FindWindowHarness.h"
#include "findreplace/HitList.h"
#include "platform/SystemClock.h"

namespace norra::testing {
namespace {

class HitListTest : public FindWindowTest {
 protected:
  std::string Write(const std::string& relative, std::string_view bytes) {
    const fs::path path = dir / "tree" / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  // Lists with the window's command and waits for the whole list.
  HitList ListOn(FindRange range, std::string_view find, std::string masks = "") {
    window->Open(kFindMode);
    window->ChooseRange(range);
    window->SetMaskText(std::move(masks));
    SetFind(find);
    window->ListHits();
    HitList list;
    if (!host.hitList) return list;
    host.hitList->Wait();
    HitBatch batch;
    host.hitList->TakeBatch(batch);
    list.Append(std::move(batch));
    return list;
  }
  // The saved text with the tree's folder written as "T".
  std::string Saved(const HitList& list) {
    std::string text = list.SaveText();
    const std::string root = (dir / "tree").string();
    for (std::size_t at; (at = text.find(root)) != std::string::npos;) text.replace(at, root.size(), "T");
    return text;
  }
};

TEST_F(HitListTest, AFolderListHoldsEveryHitOfTheTreeInTheFolderCommandsOrder) {
  window->SetFolderText((dir / "tree").string());
  Write("a.txt", "one ab\r\nab ab\r\n");
  Write("原稿/第一章.txt", Utf8ToCp932("「ab」と書く\nx\nab"));  // LF breaks, no final one
  Write("原稿/下書き/mixed.txt", "x\rab\r\n\nab");                // lone CR, CR LF, lone LF
  Write("b.bin", std::string("ab\0ab", 5));                       // not text: passed over
  Write("c.txt", "nothing here");
  Write("long.txt", std::string(300, 'x') + "ab" + std::string(300, 'y'));
  const HitList list = ListOn(FindRange::Directory, "ab", "*.txt;*.bin");
  EXPECT_EQ(host.hitListCaption, FindReplaceWindow::kListFolderCaption);
  const std::string longExcerpt = "..." + std::string(60, 'x') + "ab" + std::string(138, 'y') + "...";
  EXPECT_EQ(Saved(list),
            "T/a.txt:1:5:one ab\n"
            "T/a.txt:2:1:ab ab\n"
            "T/a.txt:2:4:ab ab\n"
            "T/long.txt:1:301:" + longExcerpt + "\n"
            "T/原稿/第一章.txt:1:3:「ab」と書く\n"
            "T/原稿/第一章.txt:3:1:ab\n"
            "T/原稿/下書き/mixed.txt:2:1:ab\n"
            "T/原稿/下書き/mixed.txt:4:1:ab\n");
  ASSERT_EQ(list.ShownFileCount(), 4u);
  EXPECT_EQ(list.ShownFile(0).hits, 3u);
  EXPECT_EQ(list.FirstHitOf(2), 4u);
  // The mark covers the hit in the UTF-8 excerpt, also after two-byte characters and a cut.
  for (std::size_t i : {std::size_t{0}, std::size_t{3}, std::size_t{4}}) {
    const ListedHit& hit = list.Hit(i);
    EXPECT_EQ(hit.excerpt.substr(hit.markStart, hit.markLength), "ab") << i;
  }
  const HitListProgress done = host.hitList->Progress();
  EXPECT_EQ(done, (HitListProgress{6, 6, 8, true, false}));
  EXPECT_EQ(list.SummaryText(done), "8 件 (4 ﾌｧｲﾙ / 6 ﾌｧｲﾙ中)  ﾊﾞｲﾅﾘ 1");
}

TEST_F(HitListTest, AFileOpenWithUnsavedEditsIsListedAsThePageHoldsIt) {
  window->SetFolderText((dir / "tree").string());
  const std::string edited = Write("編集中/a.txt", "ab\r\n");
  const std::string saved = Write("b.txt", "ab\r\n");
  ASSERT_EQ(docs->OpenPage(edited, false), 1);
  Memory(*docs->ActivePage()).SetSelection(0, 0);
  Memory(*docs->ActivePage()).ReplaceSelection("x ab ab\r\n");
  ASSERT_TRUE(docs->ActivePage()->Modified());
  ASSERT_EQ(docs->OpenPage(saved, false), 1);  // open, but as on disk
  const HitList list = ListOn(FindRange::Directory, "ab");
  EXPECT_EQ(Saved(list),
            "T/b.txt:1:1:ab\n"
            "T/編集中/a.txt:1:3:x ab ab\n"
            "T/編集中/a.txt:1:6:x ab ab\n"
            "T/編集中/a.txt:2:1:ab\n");
  EXPECT_FALSE(list.ShownFile(0).modified);
  EXPECT_TRUE(list.ShownFile(1).modified);
  EXPECT_EQ(HitList::FileRowText(list.ShownFile(1)), edited + " (3)" + std::string(HitList::kModifiedMark));
}

TEST_F(HitListTest, TheNotebookListHoldsTheHitsOfEveryPageTheMasksTake) {
  OpenPages({"ab", "no", "x\r\nab ab"}, 0, {"one.txt", "two.txt", "three.log"});
  const HitList notes = ListOn(FindRange::AllNote, "ab", "*.txt");
  EXPECT_EQ(host.hitListCaption, FindReplaceWindow::kListNoteCaption);
  EXPECT_EQ(notes.SaveText(), "one.txt:1:1:ab\n");
  EXPECT_EQ(ListOn(FindRange::AllNote, "AB").SaveText(),
            "one.txt:1:1:ab\nthree.log:2:1:ab ab\nthree.log:2:4:ab ab\n");
}

TEST_F(HitListTest, TheListCommandIsOfferedForTheFolderGroupAndNotebookRangesOnly) {
  window->Open(kFindMode);
  for (auto [range, offered] : {std::pair{FindRange::AllNote, true}, {FindRange::CurrentPad, false},
                                {FindRange::SelText, false}, {FindRange::Directory, true},
                                {FindRange::Group, true}}) {
    window->ChooseRange(range);
    EXPECT_EQ(view.enabledControls["cmdListHits"], offered) << static_cast<int>(range);
  }
  // Over a range without one, nothing is listed.
  OpenPages({"ab"});
  window->ChooseRange(FindRange::CurrentPad);
  SetFind("ab");
  window->ListHits();
  EXPECT_EQ(host.hitList, nullptr);
}

TEST_F(HitListTest, AGroupListTakesTheMembersOnceInTheGroupsOrder) {
  const std::string a = Write("グループ/a.txt", "ab\r\n");
  const std::string b = Write("b.txt", "zab\r\n");
  const std::string group = Write("g.tgp", Utf8ToCp932(b + "\r\n" + a + "\r\n" + b + "\r\n"));
  window->SetGroupText(group);
  const HitList list = ListOn(FindRange::Group, "ab");
  EXPECT_EQ(host.hitListCaption, FindReplaceWindow::kListGroupCaption);
  EXPECT_EQ(Saved(list), "T/b.txt:1:2:zab\nT/グループ/a.txt:1:1:ab\n");
}

// Runs of one worker and of several give the same list, however the batches fall.
TEST_F(HitListTest, ManyWorkersGiveTheListInFileOrderBatchByBatch) {
  std::vector<HitSource> sources;
  for (int i = 0; i < 300; ++i) {
    std::string text;
    for (int line = 0; line < (i * 7) % 23; ++line) text += "line ab " + std::to_string(line) + "\r\n";
    HitSource source;
    source.path = Write("many/f" + std::to_string(i) + ".txt", text);
    sources.push_back(std::move(source));
  }
  auto listWith = [&](unsigned workers, std::size_t& batches) {
    HitListRun::Pattern pattern;
    pattern.findText = "AB";
    pattern.symbols = tags.BuiltInSymbols();
    HitListRun run(sources, pattern, workers);
    EXPECT_TRUE(run.Compile(SystemClock::Instance()));
    EXPECT_EQ(run.Workers(), workers);
    run.Start();
    HitList list;
    batches = 0;
    for (;;) {
      const bool finished = run.Progress().finished;  // before the take: nothing comes after
      HitBatch batch;
      if (run.TakeBatch(batch)) {
        ++batches;
        list.Append(std::move(batch));
      }
      if (finished) break;
    }
    EXPECT_EQ(run.Progress().hits, list.HitCount());
    return list.SaveText();
  };
  std::size_t batches = 0;
  const std::string one = listWith(1, batches);
  const std::string four = listWith(4, batches);
  EXPECT_EQ(four, one);
  EXPECT_GT(batches, 0u);
  EXPECT_NE(one.find("/f298.txt:1:6:line ab 0\n"), std::string::npos);
}

TEST_F(HitListTest, AStoppedRunHandsOutAnUnbrokenBeginningOfTheList) {
  std::vector<HitSource> sources;
  for (int i = 0; i < 2000; ++i) {
    HitSource source;
    source.path = Write("stop/f" + std::to_string(i) + ".txt", "ab\r\n");
    sources.push_back(std::move(source));
  }
  HitListRun::Pattern pattern;
  pattern.findText = "ab";
  pattern.symbols = tags.BuiltInSymbols();
  {
    // Stopped before it began: no file is searched.
    HitListRun run(sources, pattern, 2);
    ASSERT_TRUE(run.Compile(SystemClock::Instance()));
    run.Stop();
    run.Start();
    run.Wait();
    EXPECT_EQ(run.Progress(), (HitListProgress{0, 2000, 0, true, true}));
  }
  HitListRun run(sources, pattern, 2);
  ASSERT_TRUE(run.Compile(SystemClock::Instance()));
  run.Start();
  run.Stop();
  run.Wait();
  HitBatch batch;
  run.TakeBatch(batch);
  const HitListProgress progress = run.Progress();
  EXPECT_TRUE(progress.finished);
  EXPECT_EQ(progress.stopped, progress.filesDone < 2000);
  // Every file finished is handed out, the first ones first, none missing between.
  ASSERT_EQ(batch.files.size(), progress.filesDone);
  for (std::size_t i = 0; i < batch.files.size(); ++i)
    EXPECT_EQ(batch.files[i].path, sources[i].path);
}

TEST_F(HitListTest, GoingToAHitOpensItsFileOrActivatesItsPageWithTheHitSelected) {
  window->SetFolderText((dir / "tree").string());
  Write("a.txt", "zz\r\n");
  const std::string second = Write("日本語/b.txt", "one\nabc two abc\n");
  const HitList list = ListOn(FindRange::Directory, "abc");
  ASSERT_EQ(list.HitCount(), 2u);
  // Opened: the Page holds the LF file with CR LF, and line and column still find the hit.
  ASSERT_TRUE(OpenHit(*docs, list.FileOf(list.Hit(1)), list.Hit(1)));
  EXPECT_EQ(docs->ActivePage()->FilePath(), second);
  EXPECT_EQ(Show(), "one\r\nabc two [abc]\r\n");
  // Already open: activated, not opened twice.
  ASSERT_EQ(docs->OpenPage(Write("c.txt", "x"), false), 1);
  ASSERT_TRUE(OpenHit(*docs, list.FileOf(list.Hit(0)), list.Hit(0)));
  EXPECT_EQ(docs->PageCount(), 2u);
  EXPECT_EQ(Show(), "one\r\n[abc] two abc\r\n");
}

TEST_F(HitListTest, NextAndPreviousStopAtTheEndsOfTheList) {
  HitList list;
  EXPECT_EQ(list.Step(std::nullopt, true), std::nullopt);
  HitBatch batch;
  batch.files = {ListedFile{"a", nullptr, ListedFileState::Searched, false, 2},
                 ListedFile{"b", nullptr, ListedFileState::Searched, false, 0},
                 ListedFile{"c", nullptr, ListedFileState::Searched, false, 1}};
  batch.hits = {ListedHit{0, 1, 1, 1, "x", 0, 1}, ListedHit{0, 2, 1, 1, "x", 0, 1},
                ListedHit{2, 1, 1, 1, "x", 0, 1}};
  list.Append(std::move(batch));
  EXPECT_EQ(list.Step(std::nullopt, true), 0u);
  EXPECT_EQ(list.Step(std::nullopt, false), 2u);
  EXPECT_EQ(list.Step(1, true), 2u);
  EXPECT_EQ(list.Step(2, true), std::nullopt);
  EXPECT_EQ(list.Step(0, false), std::nullopt);
  EXPECT_EQ(list.PlaceOf(1), (std::pair<std::size_t, std::size_t>{0, 1}));
  EXPECT_EQ(list.PlaceOf(2), (std::pair<std::size_t, std::size_t>{1, 0}));
  EXPECT_EQ(list.ShownFile(1).path, "c");
}

}  // namespace
}  // namespace norra::testing
