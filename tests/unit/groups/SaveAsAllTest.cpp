// Save-as all: the rename plan's rules, the rename run and the save that checks before it writes.
#include <gtest/gtest.h>

#include <tuple>

#include "FileListDialogHarness.h"
#include "groups/SaveAsAll.h"
#include "platform/ScriptedFolderChooser.h"

namespace norra::testing {
namespace {

using C = FileListControl;

TEST(RenamePlanTest, ProposalsFollowTheExtensionRuleAndSelectTheBaseName) {
  using R = ExtensionRule;
  struct Case {
    const char* path;
    R rule;
    const char* typed;  // txtAddExp
    const char* proposed;
    std::size_t selStart;
    std::size_t selLength;
  };
  const Case cases[] = {
      {"/w/a.txt", R::Replace, "md", "/w/a.md", 3, 1},
      {"/w/a.txt", R::AddIfMissing, "md", "/w/a.txt", 3, 1},
      {"/w/b", R::AddIfMissing, "md", "/w/b.md", 3, 1},
      {"/w/b", R::Replace, ".md", "/w/b.md", 3, 1},
      {"/w/b", R::Keep, ".md", "/w/b", 3, 1},
      {"/w/a.tar.gz", R::Replace, ".txt", "/w/a.tar.txt", 3, 5},
      {"無題1", R::AddIfMissing, ".txt", "無題1.txt", 0, 7},  // untitled: no folder
      // A folder's own dot is neither an extension nor the end of the base name.
      {"/w.d/readme", R::AddIfMissing, ".txt", "/w.d/readme.txt", 5, 6},
      {"/w.d/readme", R::Replace, ".txt", "/w.d/readme.txt", 5, 6},
      {"/w.d/readme", R::Keep, ".txt", "/w.d/readme", 5, 6},
      {"/w/.hidden", R::Replace, "md", "/w/.md", 3, 0},
  };
  for (const Case& c : cases) {
    const std::string proposed =
        RenamePlan::Propose(c.path, c.rule, RenamePlan::NormalExtension(c.typed));
    EXPECT_EQ(proposed, c.proposed) << c.path;
    EXPECT_EQ(RenamePlan::BaseName(proposed), std::make_pair(c.selStart, c.selLength)) << c.path;
  }
  RenamePlan plan{{}, {"/w/a", "/w/b", "/w/a"}};
  EXPECT_TRUE(plan.TakenByOther("/w/a", 0));  // row 2 has it
  EXPECT_FALSE(plan.TakenByOther("/w/b", 1));
  EXPECT_FALSE(plan.TakenByOther("/w/B", 0));  // exact comparison
}

class SaveAsAllTest : public ListDialogTest {
 protected:
  // a.txt (modified), b.TXT, c.md in window order a, b, c.
  void ThreePages() {
    Launch();
    window->Prefs().File.CurrentDir = WorkPath("");
    OpenFile("z/c.md", "c");
    OpenFile("x/b.TXT", "b");
    OpenFile("y/a.txt", "a");
    Edit(*Active(), "new a");
  }
  std::unique_ptr<FileListDialog> Dialog() {
    FileListDialogContext context = Context();
    context.folders = &folders;
    auto dialog = std::make_unique<FileListDialog>(context, ListDialogMode::SaveAsAll);
    dialog->AttachView(&listView);
    dialog->Showing();
    return dialog;
  }
  static std::vector<std::string> Paths(const FileListDialog& dialog) {
    std::vector<std::string> paths;
    for (const FileListRow& row : dialog.Rows()) paths.push_back(row.path);
    return paths;
  }
  static void Type(FileListDialog& dialog, const std::string& text) {
    dialog.SaveAs()->EditorTextChanged(text);
  }

  ScriptedFolderChooser folders;
};

TEST_F(SaveAsAllTest, RenamedIntoANewFolderThePagesNameTheNewFilesAndTheOldOnesStay) {
  ThreePages();
  Page& a = *Active();
  auto dialog = Dialog();
  SaveAsAll& plan = *dialog->SaveAs();
  EXPECT_TRUE(plan.KeepOldFiles());

  folders.Queue(WorkPath("out/new/"));
  dialog->Click(C::cmdChangeDir);
  EXPECT_EQ(folders.StartPaths(), (std::vector<std::string>{WorkPath("")}));
  EXPECT_EQ(Paths(*dialog),
            (std::vector<std::string>{WorkPath("out/new/a.txt"), WorkPath("out/new/b.TXT"),
                                      WorkPath("out/new/c.md")}));
  EXPECT_EQ(window->Prefs().File.CurrentDir, WorkPath("out/new/"));

  plan.SetRule(ExtensionRule::Replace);
  plan.SetAddExtension("md");
  dialog->Click(C::cmdChangeFileName);
  EXPECT_EQ(dialog->Running(), FileListAction::RenameRun);
  EXPECT_EQ(listView.moves, (std::vector<int>{1920 - 120 - 5}));
  ASSERT_TRUE(plan.Renaming());
  EXPECT_EQ(plan.Editor().row, 0u);
  EXPECT_EQ(plan.Editor().text, WorkPath("out/new/a.md"));
  EXPECT_EQ(plan.Editor().text.substr(plan.Editor().selStart, plan.Editor().selLength), "a");
  EXPECT_EQ(Active(), &a);
  // The run's buttons wait; its keys are the editor's.
  dialog->Click(C::cmdDo);
  EXPECT_FALSE(dialog->Closed());
  Type(*dialog, WorkPath("out/new/first.md"));
  EXPECT_TRUE(dialog->KeyDown(kKeyDown, 0));
  EXPECT_EQ(plan.Editor().row, 1u);
  EXPECT_EQ(plan.Editor().text, WorkPath("out/new/b.md"));
  EXPECT_EQ(Active(), dialog->Rows()[1].page);  // each row's Page comes to the front
  EXPECT_FALSE(dialog->KeyDown('X', 0));        // typing goes to the editor
  EXPECT_TRUE(dialog->KeyDown(kKeyReturn, 0));
  EXPECT_FALSE(plan.Renaming());
  EXPECT_EQ(dialog->Running(), FileListAction::None);
  EXPECT_EQ(listView.restores, 1);
  EXPECT_EQ(Paths(*dialog),
            (std::vector<std::string>{WorkPath("out/new/first.md"), WorkPath("out/new/b.md"),
                                      WorkPath("out/new/c.md")}));
  EXPECT_EQ(dialog->Rows()[0].columns[FileListRow::kExtension], "MD");

  dialog->Click(C::cmdWithout);
  EXPECT_TRUE(dialog->Closed());
  EXPECT_EQ(dialog->DialogResult(), kListDialogDoneSecond);
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_EQ(ReadFile(WorkPath("out/new/first.md")), "new a");
  EXPECT_EQ(ReadFile(WorkPath("out/new/b.md")), "b");
  EXPECT_EQ(ReadFile(WorkPath("out/new/c.md")), "c");
  EXPECT_EQ(ReadFile(WorkPath("y/a.txt")), "a");  // kept, untouched
  EXPECT_EQ(ReadFile(WorkPath("x/b.TXT")), "b");
  EXPECT_EQ(a.FilePath(), WorkPath("out/new/first.md"));
  EXPECT_FALSE(a.Modified());
  const auto& recent = window->Prefs().File.RecentFiles;
  EXPECT_NE(std::find(recent.begin(), recent.end(), WorkPath("out/new/first.md")), recent.end());
  EXPECT_NE(std::find(recent.begin(), recent.end(), WorkPath("y/a.txt")), recent.end());
}

TEST_F(SaveAsAllTest, TheRenameRunStopsAtItsEndsRefusesDuplicatesAndEscRestoresEveryRow) {
  ThreePages();
  auto dialog = Dialog();
  SaveAsAll& plan = *dialog->SaveAs();
  const std::vector<std::string> before = Paths(*dialog);
  dialog->SelectRow(1, false);  // rows 0 and 2: Down and Up skip row 1

  dialog->Click(C::cmdChangeFileName);
  EXPECT_EQ(plan.Editor().row, 0u);
  EXPECT_TRUE(dialog->KeyDown(kKeyUp, 0));  // the first selected row: Up does nothing
  EXPECT_EQ(plan.Editor().row, 0u);
  Type(*dialog, WorkPath("renamed/a.txt"));  // the editor holds the whole path
  EXPECT_TRUE(dialog->KeyDown(kKeyDown, 0));
  EXPECT_EQ(plan.Editor().row, 2u);
  EXPECT_EQ(dialog->Rows()[0].columns[FileListRow::kFolder], WorkPath("renamed"));
  EXPECT_TRUE(dialog->KeyDown(kKeyDown, 0));  // the last selected row
  EXPECT_EQ(plan.Editor().row, 2u);
  // Another row's target, a row outside the selection included: Enter, Up, Down wait.
  for (const std::string& taken : {WorkPath("renamed/a.txt"), before[1]}) {
    Type(*dialog, taken);
    for (int key : {kKeyReturn, kKeyUp, kKeyDown}) EXPECT_TRUE(dialog->KeyDown(key, 0));
    EXPECT_TRUE(plan.Renaming());
    EXPECT_EQ(plan.Editor().row, 2u);
  }
  Type(*dialog, WorkPath("renamed/c.md"));
  EXPECT_TRUE(dialog->KeyDown(kKeyUp, 0));
  EXPECT_EQ(plan.Editor().row, 0u);
  EXPECT_EQ(dialog->Rows()[2].path, WorkPath("renamed/c.md"));
  // Esc gives back both rows the run committed.
  EXPECT_TRUE(dialog->KeyDown(kKeyEscape, 0));
  EXPECT_FALSE(plan.Renaming());
  EXPECT_FALSE(dialog->Closed());
  EXPECT_EQ(Paths(*dialog), before);

  // The editor losing the focus abandons the same way; afterwards Esc is the dialog's again.
  dialog->Click(C::cmdChangeFileName);
  Type(*dialog, WorkPath("elsewhere/a.txt"));
  EXPECT_TRUE(dialog->KeyDown(kKeyDown, 0));
  plan.EditorLostFocus();
  EXPECT_EQ(Paths(*dialog), before);
  EXPECT_EQ(dialog->Running(), FileListAction::None);
  EXPECT_TRUE(dialog->KeyDown(kKeyEscape, 0));
  EXPECT_TRUE(dialog->Closed());
  EXPECT_EQ(ReadFile(WorkPath("y/a.txt")), "a");
}

TEST_F(SaveAsAllTest, ChecksRefuseBeforeAnythingIsWritten) {
  ThreePages();
  Page& untitled = NewUntitled();  // window order: the untitled Page, a, b, c
  Edit(untitled, "u");
  const std::string untitledName = untitled.FilePath();
  struct Case {
    std::function<void(FileListDialog&)> plan;
    std::string message;
    unsigned icon;
    std::size_t focused;
  };
  const std::string file = MakeFile("plain", "not a folder");
  const std::vector<Case> cases = {
      // The untitled row as proposed (無題1.txt): no folder.
      {[](FileListDialog& d) {
         d.Click(C::cmdChangeFileName);
         d.KeyDown(kKeyReturn, 0);
       },
       untitledName + ".txt\n (ID:1)の保存先が未指定です", MB_ICONWARNING, 0},
      // Two rows aimed at one file: the one nearer the end is reported.
      {[this](FileListDialog& d) {
         d.SetRowPath(0, WorkPath("same.txt"));
         d.SetRowPath(3, WorkPath("same.txt"));
       },
       WorkPath("same.txt") + "\n (ID:4)が重複しています", MB_ICONWARNING, 3},
      // The file of a Page that stays where it is (its row is not saved) is taken too.
      {[this](FileListDialog& d) {
         d.SetRowPath(0, WorkPath("ok/u.txt"));
         d.SetRowPath(2, WorkPath("elsewhere/b.TXT"));
         d.SelectRow(2, false);
         d.SetRowPath(1, WorkPath("x/b.TXT"));
       },
       WorkPath("x/b.TXT") + "\n (ID:2)が重複しています", MB_ICONWARNING, 1},
      // A folder that cannot be made: its parent is a file.
      {[&file, this](FileListDialog& d) {
         d.SetRowPath(0, WorkPath("ok/u.txt"));
         d.SetRowPath(2, file + "/sub/b.txt");
       },
       "保存先フォルダ\n" + file + "/sub\n (ID:3)の作成に失敗しました", MB_ICONERROR, 2},
      // IDs count rows from the top of the list as it stands, sorted or not.
      {[this](FileListDialog& d) {
         d.SetRowPath(0, WorkPath("ok/u.txt"));
         d.ColumnClicked(1);  // by folder: ok, x, y, z
         d.ColumnClicked(1);  // descending: z, y, x, ok
         d.SetRowPath(1, WorkPath("same.txt"));
         d.SetRowPath(2, WorkPath("same.txt"));
       },
       WorkPath("same.txt") + "\n (ID:3)が重複しています", MB_ICONWARNING, 2},
  };
  for (const Case& c : cases) {
    ui.ClearBoxes();
    listView.focusedRows.clear();
    auto dialog = Dialog();
    c.plan(*dialog);
    listView.focusedRows.clear();
    dialog->Click(C::cmdDo);
    ASSERT_EQ(ui.Boxes().size(), 1u) << c.message;
    EXPECT_EQ(ui.Boxes()[0].text, c.message);
    EXPECT_EQ(ui.Boxes()[0].flags, MB_OK | c.icon);
    EXPECT_EQ(ui.Boxes()[0].caption, "Norra");
    EXPECT_EQ(dialog->FocusedRow(), c.focused) << c.message;
    EXPECT_FALSE(dialog->Closed());
    EXPECT_TRUE(untitled.Modified());
    EXPECT_EQ(untitled.FilePath(), untitledName);
    EXPECT_FALSE(fs::exists(WorkPath("same.txt")));
    EXPECT_FALSE(fs::exists(WorkPath("ok/u.txt")));
  }
  // A row left out at the overwrite question stays on its file, which another row aims at.
  ui.ClearBoxes();
  auto dialog = Dialog();
  dialog->SetRowPath(0, WorkPath("ok/u.txt"));
  dialog->SetRowPath(1, WorkPath("x/b.TXT"));
  dialog->SetRowPath(2, file);
  ui.QueueAnswer(IDYES);
  ui.QueueAnswer(IDNO);
  ui.QueueAnswer(IDYES);
  dialog->Click(C::cmdDo);
  EXPECT_EQ(BoxTexts().size(), 4u);
  EXPECT_EQ(ui.LastBox().text, WorkPath("x/b.TXT") + "\n (ID:2)が重複しています");
  EXPECT_FALSE(dialog->Closed());
  EXPECT_EQ(ReadFile(WorkPath("x/b.TXT")), "b");
  EXPECT_EQ(ReadFile(file), "not a folder");
  EXPECT_EQ(ReadFile(WorkPath("y/a.txt")), "a");
}

TEST_F(SaveAsAllTest, ConfirmedSaveAsksPerExistingTargetAndOldFilesGoOnlyWhenAsked) {
  ThreePages();
  Page& a = *Active();
  // a goes to a new name, b to a file that exists, c stays where it is.
  const std::string existing = MakeFile("x/taken.txt", "taken");
  auto plan = [&](FileListDialog& d) {
    d.SetRowPath(0, WorkPath("y/a2.txt"));
    d.SetRowPath(1, existing);
  };
  const std::string question = "\n (ID:2)はﾃﾞｨｽｸ上に既に存在します。\n上書きしますか?";

  // Cancel at the first question: nothing written.
  auto dialog = Dialog();
  plan(*dialog);
  ui.QueueAnswer(IDCANCEL);
  dialog->Click(C::cmdDo);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, existing + question);
  EXPECT_EQ(ui.Boxes()[0].caption, "確認保存");
  EXPECT_EQ(ui.Boxes()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_FALSE(dialog->Closed());
  EXPECT_FALSE(fs::exists(WorkPath("y/a2.txt")));

  // No leaves b out; c's own file is asked about too. Old files are deleted this time.
  ui.ClearBoxes();
  dialog = Dialog();
  plan(*dialog);
  dialog->SaveAs()->SetKeepOldFiles(false);
  ui.QueueAnswer(IDNO);
  ui.QueueAnswer(IDYES);
  dialog->Click(C::cmdDo);
  ASSERT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(ui.Boxes()[1].text,
            WorkPath("z/c.md") + "\n (ID:3)はﾃﾞｨｽｸ上に既に存在します。\n上書きしますか?");
  EXPECT_EQ(dialog->DialogResult(), kListDialogDone);
  EXPECT_EQ(ReadFile(existing), "taken");
  EXPECT_EQ(ReadFile(WorkPath("y/a2.txt")), "new a");
  EXPECT_FALSE(fs::exists(WorkPath("y/a.txt")));  // a moved
  EXPECT_EQ(ReadFile(WorkPath("z/c.md")), "c");   // c saved under its own name keeps its file
  EXPECT_EQ(a.FilePath(), WorkPath("y/a2.txt"));
  const auto& recent = window->Prefs().File.RecentFiles;
  EXPECT_EQ(std::find(recent.begin(), recent.end(), WorkPath("y/a.txt")), recent.end());
  EXPECT_NE(std::find(recent.begin(), recent.end(), WorkPath("z/c.md")), recent.end());
}

TEST_F(SaveAsAllTest, DeletingOldFilesNeverRemovesAFileJustWritten) {
  ThreePages();
  Page& a = *Active();
  // a and b swap their files: the old file of the row written last is the other's new one.
  auto dialog = Dialog();
  dialog->SaveAs()->SetKeepOldFiles(false);
  dialog->SetRowPath(0, WorkPath("x/b.TXT"));
  dialog->SetRowPath(1, WorkPath("y/a.txt"));
  dialog->Click(C::cmdWithout);
  EXPECT_TRUE(dialog->Closed());
  EXPECT_EQ(ReadFile(WorkPath("x/b.TXT")), "new a");
  EXPECT_EQ(ReadFile(WorkPath("y/a.txt")), "b");
  EXPECT_EQ(a.FilePath(), WorkPath("x/b.TXT"));

  // A new name that reaches the old file itself (as another letter case does on a
  // case-insensitive disk): the file written is the old one and stays.
  Edit(a, "newer a");
  fs::create_symlink("b.TXT", WorkPath("x/B.txt"));
  dialog = Dialog();
  dialog->SaveAs()->SetKeepOldFiles(false);
  dialog->SetRowPath(0, WorkPath("x/B.txt"));
  dialog->Click(C::cmdWithout);
  EXPECT_TRUE(dialog->Closed());
  EXPECT_EQ(ReadFile(WorkPath("x/B.txt")), "newer a");
  EXPECT_EQ(ReadFile(WorkPath("x/b.TXT")), "newer a");
}

TEST_F(SaveAsAllTest, ATargetThatCannotBeWrittenLeavesItsPageAsItWas) {
  ThreePages();
  Page& a = *Active();
  fs::create_directories(WorkPath("out/a.txt"));  // a folder where the file should go
  auto dialog = Dialog();
  dialog->SaveAs()->SetKeepOldFiles(false);
  dialog->SetRowPath(0, WorkPath("out/a.txt"));
  dialog->SetRowPath(2, WorkPath("out/c.md"));
  dialog->Click(C::cmdWithout);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, WorkPath("out/a.txt") + "\n (ID:1)の保存処理中にｴﾗｰ発生\nﾌｫﾙﾀﾞです");
  EXPECT_EQ(ui.Boxes()[0].flags, MB_OK | MB_ICONERROR);
  EXPECT_FALSE(dialog->Closed());
  EXPECT_EQ(dialog->FocusedRow(), 0u);
  EXPECT_TRUE(a.Modified());
  EXPECT_EQ(a.FilePath(), WorkPath("y/a.txt"));
  EXPECT_EQ(ReadFile(WorkPath("y/a.txt")), "a");
  EXPECT_TRUE(fs::is_empty(WorkPath("out/a.txt")));
  // Rows after it in the list were written first, from the last up.
  EXPECT_EQ(ReadFile(WorkPath("out/c.md")), "c");
}

TEST_F(SaveAsAllTest, ResetAsksThenTakesThePagesPathsBack) {
  ThreePages();
  auto dialog = Dialog();
  const std::vector<std::string> before = Paths(*dialog);
  folders.Queue(WorkPath("elsewhere"));
  dialog->Click(C::cmdChangeDir);
  const std::vector<std::string> moved = Paths(*dialog);
  EXPECT_EQ(moved[0], WorkPath("elsewhere/a.txt"));
  dialog->Click(C::cmdChangeDir);  // cancelled: nothing changes
  EXPECT_EQ(Paths(*dialog), moved);

  ui.QueueAnswer(IDCANCEL);
  dialog->Click(C::cmdUndo);
  EXPECT_EQ(Paths(*dialog), moved);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, "選択されているﾌｧｲﾙの保存先を元に戻します。\nよろしいですか?");
  EXPECT_EQ(ui.Boxes()[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
  dialog->SelectRow(2, false);
  ui.QueueAnswer(IDOK);
  dialog->Click(C::cmdUndo);
  EXPECT_EQ(Paths(*dialog), (std::vector<std::string>{before[0], before[1], moved[2]}));
}

}  // namespace
}  // namespace norra::testing
