// File-list dialog: the user events that reach the dialog while one of its actions runs.
#include <gtest/gtest.h>

#include "FileListDialogHarness.h"

namespace norra::testing {
namespace {

using C = FileListControl;

class FileListActionTest : public ListDialogTest {
 protected:
  void ThreePages() {
    Launch();
    OpenFile("z/c.md", "c");
    OpenFile("x/b.TXT", "b");
    OpenFile("y/a.txt", "a");
  }
};

TEST_F(FileListActionTest, NothingButTheRunningActionsOwnControlsActWhileItRuns) {
  ThreePages();
  FileListDialog dialog(Context(), ListDialogMode::ReloadAll);
  dialog.Showing();
  // The reload lets pending events run; the user clicks, sorts, selects, types and closes.
  bool tried = false;
  FileListAction seen = FileListAction::None;
  ui.SetOnProcessEvents([&] {
    if (tried) return;
    tried = true;
    seen = dialog.Running();
    dialog.Click(C::cmdDo);
    dialog.Click(C::cmdCancel);
    dialog.Click(C::cmdSelectAll);
    dialog.ColumnClicked(0);
    dialog.SelectRow(2, true);
    dialog.FocusRow(2);
    EXPECT_TRUE(dialog.KeyDown(kKeyEscape, 0));  // swallowed, not acted on
    EXPECT_TRUE(dialog.KeyDown('A', kCtrlKey));
    EXPECT_TRUE(dialog.KeyDown(kKeyReturn, 0));
    dialog.CloseBox();
    EXPECT_FALSE(dialog.Closed());
  });
  dialog.Click(C::cmdDo);
  EXPECT_TRUE(tried);
  EXPECT_EQ(seen, FileListAction::Plain);
  EXPECT_EQ(ui.ProcessEventsCount(), 1u);  // one row, reloaded once
  EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
  EXPECT_EQ(dialog.SortDirection(), 1);
  EXPECT_EQ(dialog.SelectedRows(), (std::vector<std::size_t>{0}));
  EXPECT_EQ(dialog.FocusedRow(), 0u);
  EXPECT_EQ(dialog.Running(), FileListAction::None);
}

TEST_F(FileListActionTest, ThePrintRunHearsItsStopButtonAndNothingElse) {
  ThreePages();
  FileListDialog dialog(Context(), ListDialogMode::PrintAll);
  dialog.Showing();
  {
    const FileListDialog::ActionScope run(dialog, FileListAction::PrintRun);
    EXPECT_FALSE(dialog.StopRequested());
    dialog.Click(C::cmdCancel);
    dialog.Click(C::cmdSelectAll);
    EXPECT_TRUE(dialog.KeyDown(kKeyEscape, 0));
    EXPECT_FALSE(dialog.StopRequested());
    EXPECT_FALSE(dialog.Closed());
    EXPECT_EQ(dialog.SelectedCount(), 1u);
    dialog.Click(C::cmdDo);
    EXPECT_TRUE(dialog.StopRequested());
    {
      // A nested step hands back to the print run, not to idle.
      const FileListDialog::ActionScope step(dialog, FileListAction::Plain);
      EXPECT_EQ(dialog.Running(), FileListAction::Plain);
    }
    EXPECT_EQ(dialog.Running(), FileListAction::PrintRun);
  }
  // Idle again: everything acts.
  EXPECT_EQ(dialog.Running(), FileListAction::None);
  dialog.Click(C::cmdCancel);
  EXPECT_TRUE(dialog.Closed());
}

}  // namespace
}  // namespace norra::testing
