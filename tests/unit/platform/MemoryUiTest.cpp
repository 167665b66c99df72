// The scripted Ui: queued answers first, then each box's default button; every box recorded.
#include "platform/MemoryUi.h"

#include <gtest/gtest.h>

namespace norra {
namespace {

TEST(MemoryUiTest, AnswersFromTheQueueThenByDefault) {
  MemoryUi ui;
  ui.QueueAnswer(IDNO);
  EXPECT_EQ(ui.ShowMessageBox("q", MB_YESNO | MB_ICONQUESTION, "cap"), IDNO);
  EXPECT_EQ(ui.ShowMessageBox("q", MB_YESNO, "cap"), IDYES);
  EXPECT_EQ(ui.ShowMessageBox("q", MB_YESNOCANCEL | MB_DEFBUTTON2, "cap"), IDNO);
  EXPECT_EQ(ui.ShowMessageBox("q", MB_OKCANCEL | MB_DEFBUTTON2, "cap"), IDCANCEL);
  EXPECT_EQ(ui.ShowMessageBox("e", MB_OK | MB_ICONERROR, "エラー"), IDOK);
  ASSERT_EQ(ui.Boxes().size(), 5u);
  EXPECT_EQ(ui.Boxes()[0].answer, IDNO);
  EXPECT_EQ(ui.LastBox().text, "e");
  EXPECT_EQ(ui.LastBox().caption, "エラー");
  EXPECT_EQ(ui.LastBox().flags & kMbIconMask, MB_ICONERROR);
  EXPECT_EQ(ui.PendingAnswers(), 0u);
}

TEST(MemoryUiTest, PendingEventsRunTheHook) {
  MemoryUi ui;
  int pressed = 0;
  ui.SetOnProcessEvents([&] { ++pressed; });
  ui.ProcessPendingEvents();
  ui.ProcessPendingEvents();
  EXPECT_EQ(pressed, 2);
  EXPECT_EQ(ui.ProcessEventsCount(), 2u);
}

}  // namespace
}  // namespace norra
