// The edit transaction of a Page: every way out of an edit leaves capture and painting on, and
// a failed one clears the log with the text left as it is.
#include <gtest/gtest.h>

#include <stdexcept>

#include "DocumentsHarness.h"
#include "documents/PageEdit.h"
#include "documents/TextInsertion.h"

namespace norra::testing {
namespace {

class PageEditTest : public DocumentsTestBase {};

TEST_F(PageEditTest, EveryWayOutOfAnEditEndsTheSame) {
  struct Case {
    const char* what;
    EditOutcome outcome;  // what the change reports
    bool throws;          // the change throws after changing the text
    const char* text;     // the Page afterwards
    std::size_t records;  // records afterwards (one record of typing came before)
  };
  const Case cases[] = {
      {"changed", EditOutcome::Changed, false, "ab-X|", 2},
      {"nothing to change", EditOutcome::Unchanged, false, "ab-|", 1},
      {"failed half way", EditOutcome::Failed, false, "ab-X|", 0},
      {"threw half way", EditOutcome::Changed, true, "ab-X|", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log->ClearUndoLog();
    Page& page = NewPage("ab|");
    Keys(page, "-");
    ASSERT_EQ(log->RecordCount(), 1u);
    auto change = [&](PageEdit& edit) {
      EXPECT_TRUE(log->CaptureSuspended());
      EXPECT_EQ(Memory(page).PaintingSuspendDepth(), 1u);
      EXPECT_EQ(&edit.GetPage(), &page);
      if (c.outcome != EditOutcome::Unchanged) page.Control().ReplaceSelection("X");
      if (c.throws) throw std::runtime_error("half way");
      return c.outcome;
    };
    if (c.throws) {
      EXPECT_THROW(EditPage(*log, page, kUndoPaste, KeepText::Selection, change, true),
                   std::runtime_error);
    } else {
      EXPECT_EQ(EditPage(*log, page, kUndoPaste, KeepText::Selection, change, true), c.outcome);
    }
    EXPECT_EQ(Show(page), c.text);
    EXPECT_EQ(log->RecordCount(), c.records);
    EXPECT_FALSE(log->CaptureSuspended());
    EXPECT_EQ(Memory(page).PaintingSuspendDepth(), 0u);
    // Typing is captured again, as its own record.
    Keys(page, "z");
    EXPECT_EQ(log->RecordCount(), c.records + 1);
  }
}

TEST_F(PageEditTest, AnInsertionTheControlThrowsOnClearsTheLogAndPassesOn) {
  Page& page = NewPage("ab|");
  Keys(page, "c");
  Memory(page).SetThrowOnEdit(true);
  EXPECT_ANY_THROW(InsertTextAtCaret(*log, page, "x", kUndoPaste));
  Memory(page).SetThrowOnEdit(false);
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_FALSE(log->CaptureSuspended());
  // A refusal changes nothing and keeps the history.
  Keys(page, "d");
  Memory(page).SetFailEdits(true);
  EXPECT_FALSE(InsertTextAtCaret(*log, page, "x", kUndoPaste));
  Memory(page).SetFailEdits(false);
  EXPECT_EQ(log->RecordCount(), 1u);
  EXPECT_EQ(Show(page), "abcd|");
}

TEST_F(PageEditTest, TheKeptWholeTextGoesWhenTheEditCloses) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "one fox, two dogs\r\n";
  Page& page = NewPage("|");
  Memory(page).SetText(text);
  EditPage(*log, page, kUndoReplaceAll, KeepText::WholeText, [&](PageEdit& edit) {
    EXPECT_EQ(edit.Target().keptText, text);
    std::string after = text;
    after[4] = 'F';
    edit.Spans()->push_back({4, 1, 1});
    page.ReplaceWholeText(after);
    return EditOutcome::Changed;
  });
  ASSERT_EQ(log->RecordCount(), 1u);
  EXPECT_TRUE(log->Records().back().delta);
  EXPECT_LT(log->TotalBytes(), 16u);
  EXPECT_EQ(log->Target().keptText.capacity(), std::string().capacity());
  EXPECT_TRUE(log->Target().replaced.empty());
  // Recording alone lets it go as well.
  log->SetCommandTarget(page, KeepText::WholeText);
  log->RecordCommand(kUndoReplaceAll);
  EXPECT_EQ(log->Target().keptText.capacity(), std::string().capacity());
}

}  // namespace
}  // namespace norra::testing
