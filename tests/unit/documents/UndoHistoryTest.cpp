// The undo history through the undo log: command records and their undo by kind, groups,
// trimming, the size limits, descriptions, dropping a Page's records, failures.
#include <gtest/gtest.h>

#include "DocumentsHarness.h"
#include "documents/UndoLog.h"

namespace norra::testing {
namespace {

class UndoHistoryTest : public DocumentsTestBase {};

// Runs a command the way every editing command does.
void PasteCommand(UndoLog& log, Page& page, std::string_view text) {
  log.SetCommandTarget(page, KeepText::Selection);
  log.SuspendCapture();
  page.Control().ReplaceSelection(text);
  log.TakeSelectionAfter();
  log.RecordCommand(kUndoPaste);
  log.ResumeCapture();
}

TEST_F(UndoHistoryTest, CommandsFollowTheProtocolAndUndoByKind) {
  Page& page = NewPage("a[bc]d");
  PasteCommand(*log, page, Utf8ToCp932("xyzあ"));
  EXPECT_EQ(Show(page), "axyzあ|d");
  ASSERT_EQ(log->RecordCount(), 1u);  // the command's own change was not typing
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) 貼り付け");
  EXPECT_EQ(log->UndoLast(), &page);
  EXPECT_EQ(Show(page), "a{bc}d");

  // Cut: the removed text comes back selected.
  SetMarked(Memory(page), "a[bc]d");
  log->SetCommandTarget(page, KeepText::Selection);
  log->SuspendCapture();
  page.Control().ReplaceSelection("");
  log->TakeSelectionAfter();
  log->RecordCommand(kUndoCut);
  log->ResumeCapture();
  EXPECT_EQ(Show(page), "a|d");
  log->UndoLast();
  EXPECT_EQ(Show(page), "a{bc}d");

  // Replace all in one Page keeps the whole text and restores the selection before.
  SetMarked(Memory(page), "x[y]z xyz");
  log->SetCommandTarget(page, KeepText::WholeText);
  log->SuspendCapture();
  page.ReplaceWholeText("XYZ XYZ");
  page.Control().SetSelection(0, 0);
  log->TakeSelectionAfter();
  log->RecordCommand(kUndoReplaceAll);
  log->ResumeCapture();
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) すべて置換");
  log->UndoLast();
  EXPECT_EQ(Show(page), "x[y]z xyz");

  // Replace in the selection: the selection after is what gets the old text back.
  SetMarked(Memory(page), "0[aaa]0");
  log->SetCommandTarget(page, KeepText::Selection);
  log->SuspendCapture();
  page.Control().ReplaceSelection("bb");
  page.Control().SetSelection(1, 2);
  log->TakeSelectionAfter();
  log->RecordCommand(kUndoReplaceSelection);
  log->ResumeCapture();
  EXPECT_EQ(Show(page), "0[bb]0");
  log->UndoLast();
  EXPECT_EQ(Show(page), "0{aaa}0");
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(log->TotalBytes(), 0u);
  EXPECT_EQ(page.UndoText().Size(), 0u);
}

TEST_F(UndoHistoryTest, ReplaceOverThreePagesIsOneGroupAndOneStep) {
  Page& a = NewPage("|a-a");
  Keys(a, "x");  // a record before the group, which stays
  Page& b = NewPage("|b-b");
  Page& c = NewPage("c-[c]");
  log->BeginCommandGroup();
  for (Page* page : {&a, &b, &c}) {
    log->SetCommandTarget(*page, KeepText::WholeText);
    log->SuspendCapture();
    std::string text = page->Control().Text();
    std::replace(text.begin(), text.end(), '-', '+');
    page->ReplaceWholeText(text);
    log->TakeSelectionAfter();
    log->RecordCommand(kUndoReplaceAllPages);
    log->ResumeCapture();
  }
  EXPECT_EQ(log->RecordCount(), 4u);
  // The group's description never names a Page.
  docs->ActivatePage(&b);
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) すべて置換 - [ﾒﾓ帳全体]");
  Page* restored = log->UndoLast();
  EXPECT_EQ(Memory(a).Buffer(), "xa-a");
  EXPECT_EQ(Show(b), "|b-b");
  EXPECT_EQ(Show(c), "c-[c]");
  EXPECT_EQ(restored, &a);  // the last one restored, which the undo command brings forward
  docs->ActivatePage(restored);
  EXPECT_EQ(docs->ActivePage(), &a);
  ASSERT_EQ(log->RecordCount(), 1u);
  EXPECT_EQ(log->Records().back().kind, 'X');
  EXPECT_EQ(Memory(a).PaintingSuspendDepth(), 0u);
  EXPECT_EQ(Memory(c).PaintingSuspendDepth(), 0u);
}

TEST_F(UndoHistoryTest, TrimmingDropsTheOldestUntilTheEndMark) {
  log->SetTrimming(true, 2048, 1600);
  Page& page = NewPage("|");
  // 21 pastes over 100-byte selections: 2100 bytes kept.
  for (int i = 0; i < 21; ++i) {
    Memory(page).SetText(std::string(100, static_cast<char>('a' + i % 26)));
    Memory(page).SetSelection(0, 100);
    PasteCommand(*log, page, "z");
  }
  EXPECT_EQ(log->TotalBytes(), 2100u);
  EXPECT_TRUE(log->TrimNeeded());
  log->TrimUndoLog();
  EXPECT_LE(log->TotalBytes(), 1600u);
  EXPECT_GT(log->TotalBytes(), 1500u);  // only what had to go went
  EXPECT_EQ(log->RecordCount(), 16u);
  EXPECT_EQ(page.UndoText().Size(), log->TotalBytes());
  EXPECT_FALSE(log->TrimNeeded());
  // The newest records are the ones kept: undo still brings back the last text.
  log->UndoLast();
  EXPECT_EQ(Memory(page).Buffer(), std::string(100, 'a' + 20));

  // Below the start mark nothing goes.
  log->SetTrimming(true, 100000, 50);
  PasteCommand(*log, page, "q");
  log->TrimUndoLog();
  EXPECT_EQ(log->RecordCount(), 16u);
}

TEST_F(UndoHistoryTest, TrimmingNeverLeavesHalfAGroup) {
  log->SetTrimming(true, 300, 240);
  Page& a = NewPage("|");
  Keys(a, "x");  // the oldest record
  Page& b = NewPage("|");
  log->BeginCommandGroup();
  for (Page* page : {&a, &b}) {
    Memory(*page).SetText(std::string(200, 'g'));
    log->SetCommandTarget(*page, KeepText::WholeText);
    log->SuspendCapture();
    page->ReplaceWholeText("h");
    log->RecordCommand(kUndoReplaceAllPages);
    log->ResumeCapture();
  }
  Memory(b).SetText("");
  log->SetCurrentPage(&b);
  Keys(b, "tail");
  ASSERT_EQ(log->RecordCount(), 4u);
  log->TrimUndoLog();
  // Dropping the typing record and the first group record reached the end mark; the rest of
  // the group goes too.
  ASSERT_EQ(log->RecordCount(), 1u);
  EXPECT_EQ(log->Records().front().page, &b);
  EXPECT_EQ(log->TotalBytes(), 0u);
}

TEST_F(UndoHistoryTest, BigChangeClearsTheLogButKeepsTheEdit) {
  log->SetClearOnBigChange(true, 256);
  Page& page = NewPage("|");
  Keys(page, "ab");
  ASSERT_EQ(log->RecordCount(), 1u);
  Memory(page).SetText(std::string(300, 's'));
  Memory(page).SetSelection(0, 300);
  PasteCommand(*log, page, "p");
  EXPECT_EQ(Memory(page).Buffer(), "p");
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(log->TotalBytes(), 0u);
  EXPECT_EQ(page.UndoText().Size(), 0u);

  // Within one group the bytes add up.
  Page& other = NewPage("|");
  log->BeginCommandGroup();
  for (Page* p : {&page, &other}) {
    Memory(*p).SetText(std::string(150, 'g'));
    log->SetCommandTarget(*p, KeepText::WholeText);
    log->RecordCommand(kUndoReplaceAllPages);
  }
  EXPECT_EQ(log->RecordCount(), 0u);
  // A new group starts counting afresh.
  log->BeginCommandGroup();
  log->SetCommandTarget(page, KeepText::WholeText);
  EXPECT_TRUE(log->RecordCommand(kUndoReplaceAllPages));
}

TEST_F(UndoHistoryTest, DescriptionsFollowTheNewestRecord) {
  EXPECT_EQ(log->DescribeUndo().caption, "元に戻せません");
  EXPECT_FALSE(log->DescribeUndo().possible);
  EXPECT_EQ(log->UndoLast(), nullptr);
  Page& first = NewPage("ab|");
  Keys(first, "c");
  EXPECT_TRUE(log->DescribeUndo().possible);
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) 挿入");
  Keys(first, "<BS>");
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) 削除");
  NewPage("|");  // another Page is current: the record names its Page
  EXPECT_EQ(log->DescribeUndo().caption, "戻す(&U) 削除 - [" + first.DisplayName() + "]");
  log->SetUndoEnabled(false);
  EXPECT_EQ(log->DescribeUndo().caption, "[戻す]機能:OFF");
  EXPECT_EQ(log->RecordCount(), 0u);  // switching recording clears the log
  Keys(*docs->ActivePage(), "abc");
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_TRUE(docs->ActivePage()->Modified());
  log->SetUndoEnabled(true);
}

TEST_F(UndoHistoryTest, DroppingAPagesHistoryKeepsTheOthers) {
  Page& a = NewPage("|");
  Keys(a, "aaa");
  Page& b = NewPage("|");
  Keys(b, "bb<BS>");
  Keys(a, "");
  docs->ActivatePage(&a);
  Keys(a, "<BS>");
  EXPECT_EQ(log->RecordCount(), 4u);
  EXPECT_EQ(log->TotalBytes(), 2u);
  log->DropPageUndo(a);
  EXPECT_EQ(log->RecordCount(), 2u);
  EXPECT_EQ(log->TotalBytes(), 1u);
  EXPECT_EQ(a.UndoText().Size(), 0u);
  EXPECT_EQ(log->UndoLast(), &b);
  EXPECT_EQ(Show(b), "bb|");
  log->ClearUndoLog();
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(b.UndoText().Size(), 0u);
}

TEST_F(UndoHistoryTest, AFailureClearsTheLogAndTheTextStays) {
  Page& page = NewPage("|");
  Keys(page, "abc<Click 0>x");
  ASSERT_EQ(log->RecordCount(), 2u);
  Memory(page).SetFailEdits(true);
  EXPECT_EQ(log->UndoLast(), nullptr);
  Memory(page).SetFailEdits(false);
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(Memory(page).Buffer(), "xabc");

  // A replace-all undo whose old text no longer fits the length limit.
  Memory(page).SetText(std::string(50, 'o'));
  log->SetCommandTarget(page, KeepText::WholeText);
  log->SuspendCapture();
  page.ReplaceWholeText("n");
  log->RecordCommand(kUndoReplaceAll);
  log->ResumeCapture();
  Memory(page).LimitText(10);
  EXPECT_EQ(log->UndoLast(), nullptr);
  EXPECT_EQ(Memory(page).Buffer(), "n");
  EXPECT_EQ(log->RecordCount(), 0u);
}

TEST_F(UndoHistoryTest, ARestoreThatThrowsLeavesCaptureAndPaintingOn) {
  Page& page = NewPage("|");
  Keys(page, "abc");
  Memory(page).SetThrowOnEdit(true);
  EXPECT_EQ(log->UndoLast(), nullptr);
  Memory(page).SetThrowOnEdit(false);
  EXPECT_EQ(log->RecordCount(), 0u);  // the history no longer matches the text
  EXPECT_FALSE(log->CaptureSuspended());
  EXPECT_EQ(Memory(page).PaintingSuspendDepth(), 0u);
  Memory(page).SetSelection(3, 0);
  Keys(page, "d");
  EXPECT_EQ(log->RecordCount(), 1u);
  Keys(page, "<Undo>");
  EXPECT_EQ(Show(page), "abc|");

  // The same inside a group over several Pages.
  Page& other = NewPage("|x-x");
  log->BeginCommandGroup();
  for (Page* p : {&page, &other}) {
    log->SetCommandTarget(*p, KeepText::WholeText);
    log->SuspendCapture();
    p->ReplaceWholeText("new");
    log->RecordCommand(kUndoReplaceAllPages);
    log->ResumeCapture();
  }
  Memory(page).SetThrowOnEdit(true);
  EXPECT_EQ(log->UndoLast(), nullptr);
  Memory(page).SetThrowOnEdit(false);
  EXPECT_FALSE(log->CaptureSuspended());
  EXPECT_EQ(Memory(page).PaintingSuspendDepth(), 0u);
  EXPECT_EQ(Memory(other).PaintingSuspendDepth(), 0u);
  Memory(other).SetSelection(3, 0);
  Keys(other, "z<Undo>");
  EXPECT_EQ(Memory(other).Buffer(), "x-x");  // other was restored before page threw
}

TEST_F(UndoHistoryTest, UndoTextBufferKeepsOrderAcrossFrontDrops) {
  UndoTextBuffer buffer;
  for (int i = 0; i < 3000; ++i) buffer.Append("abc");
  buffer.DropFront(4500);
  EXPECT_EQ(buffer.Size(), 4500u);
  EXPECT_EQ(buffer.TakeBack(4), "cabc");
  EXPECT_EQ(buffer.View().substr(0, 3), "abc");
  buffer.DropFront(10000);
  EXPECT_EQ(buffer.Size(), 0u);
  EXPECT_EQ(buffer.TakeBack(3), "");
}

}  // namespace
}  // namespace norra::testing
