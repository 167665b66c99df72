// Many files opened at once: the view hears of them once, at the end.
#include <gtest/gtest.h>

#include <algorithm>

#include "DocumentsHarness.h"

namespace norra::testing {
namespace {

class BatchHost : public RecordingHost {
 public:
  void ShowPage(Page& page) override { shown.push_back(page.DisplayName()); }
  void PageListChanged() override { ++listChanges; }
  std::vector<std::string> shown;
  int listChanges = 0;
};

class OpenBatchTest : public DocumentsTestBase {};

TEST_F(OpenBatchTest, PagesOpenedTogetherReachTheViewOnceWithTheLastActive) {
  struct Row {
    int windowState;
    std::vector<std::string> shown;  // a maximized Page hides the others: only it is shown
  };
  const Row rows[] = {
      {kPageMaximized, {"c.txt"}},
      {kPageNormal, {"a.txt", "b.txt", "c.txt"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.windowState);
    settings->Window.ChildWindowState = row.windowState;
    BatchHost batchHost;
    docs = std::make_unique<Documents>(*settings, *log, ui, batchHost, files);
    {
      Documents::OpenBatch batch(*docs);
      for (const char* name : {"a.txt", "b.txt", "c.txt"})
        ASSERT_EQ(docs->OpenPage(MakeFile(name, name), true), 1);
      ASSERT_EQ(docs->OpenPage((dir / "missing.txt").string(), true), 0);
      EXPECT_TRUE(batchHost.shown.empty());
      EXPECT_EQ(batchHost.listChanges, 0);
      EXPECT_EQ(docs->ActivePage()->DisplayName(), "c.txt");
    }
    EXPECT_EQ(batchHost.shown, row.shown);
    EXPECT_EQ(batchHost.listChanges, 1);
    EXPECT_EQ(std::count(batchHost.calls.begin(), batchHost.calls.end(), "activated c.txt"), 1);
    EXPECT_EQ(batchHost.title, "c.txt");
    EXPECT_EQ(docs->List().At(0).page->DisplayName(), "c.txt");  // newest first, selected
    EXPECT_EQ(docs->List().SelectedIndex(), 0u);
    EXPECT_EQ(docs->WindowOrder().front(), docs->ActivePage());
    docs.reset();  // before the host it reports to
  }
}

}  // namespace
}  // namespace norra::testing
