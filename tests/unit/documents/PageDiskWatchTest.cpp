// Files changed or removed by another program behind open Pages.
#include "documents/PageDiskWatch.h"

#include "documents/DocumentsHarness.h"

namespace norra::testing {
namespace {

enum class Outside { Change, Remove, SaveOurs };

struct WatchCase {
  const char* name;
  bool autoReload;
  bool edited;  // the Page has an edit of its own
  Outside outside;
  std::vector<int> answers;
  const char* text;   // the Page's text afterwards
  std::size_t boxes;  // questions and messages shown
  bool marked;
  bool modified;
};

class PageDiskWatchTest : public DocumentsTestBase {
 protected:
  Page& OpenFile(const std::string& path) {
    EXPECT_EQ(docs->OpenPage(path, false), 1);
    return *docs->ActivePage();
  }
};

TEST_F(PageDiskWatchTest, AsksOncePerChangeAndDoesWhatTheAnswerSays) {
  const std::vector<WatchCase> cases = {
      {"unmodified with the option reloads at once", true, false, Outside::Change, {}, "theirs", 0, false, false},
      {"unmodified without the option asks; yes reloads", false, false, Outside::Change, {IDYES}, "theirs", 1, false, false},
      {"edited asks even with the option; no keeps the text", true, true, Outside::Change, {IDNO}, "xmine", 1, false, true},
      {"cancel keeps the text and the mark", false, false, Outside::Change, {IDCANCEL}, "mine", 1, true, false},
      {"a removed file is said once", false, false, Outside::Remove, {}, "mine", 1, true, true},
      {"our own save asks nothing", false, true, Outside::SaveOurs, {}, "xmine", 0, false, false},
  };
  int n = 0;
  for (const WatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    settings->File.AutoReload = c.autoReload;
    const std::string path = MakeFile("f" + std::to_string(n++) + ".txt", "mine");
    Page& page = OpenFile(path);
    PageDiskWatch watch(*docs, *settings, ui);
    if (c.edited) Keys(page, "x");
    const std::size_t before = ui.Boxes().size();
    if (c.outside == Outside::Change) MakeFile(fs::path(path).filename().string(), "theirs");
    if (c.outside == Outside::Remove) fs::remove(path);
    if (c.outside == Outside::SaveOurs) {
      ASSERT_EQ(docs->SavePage(page), SaveOk);
    }
    for (int answer : c.answers) ui.QueueAnswer(answer);
    watch.PathChanged(path);
    watch.CheckAll();  // the same change again: no second question
    EXPECT_EQ(ui.Boxes().size() - before, c.boxes);
    EXPECT_EQ(Memory(page).Text(), c.text);
    EXPECT_EQ(watch.Marked(page), c.marked);
    EXPECT_EQ(page.Modified(), c.modified);
    if (c.outside == Outside::Remove && c.boxes == 1) {
      EXPECT_EQ(ui.Boxes().back().text, PageDiskWatch::GoneText(path));
      EXPECT_EQ(ui.Boxes().back().flags & kMbButtonsMask, MB_OK);
    } else if (c.boxes == 1) {
      EXPECT_EQ(ui.Boxes().back().text, PageDiskWatch::ChangedText(path));
    }
    EXPECT_EQ(ui.PendingAnswers(), 0u);
    docs->DestroyPage(page);
  }
}

TEST_F(PageDiskWatchTest, AKeptPageIsAskedAgainWhenTheFileChangesAgain) {
  const std::string path = MakeFile("a.txt", "mine");
  Page& page = OpenFile(path);
  PageDiskWatch watch(*docs, *settings, ui);
  EXPECT_EQ(watch.WatchedPaths(), std::vector<std::string>{path});
  MakeFile("a.txt", "theirs");
  ui.QueueAnswer(IDCANCEL);
  watch.CheckAll();
  watch.CheckAll();
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_TRUE(watch.Marked(page));
  MakeFile("a.txt", "theirs again");
  ui.QueueAnswer(IDYES);
  watch.CheckAll();
  ASSERT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(Memory(page).Text(), "theirs again");
  EXPECT_FALSE(watch.Marked(page));
  // Reloading is no edit to take back.
  EXPECT_FALSE(page.Modified());
}

}  // namespace
}  // namespace norra::testing
