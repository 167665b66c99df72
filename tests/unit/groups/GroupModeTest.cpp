// The group mode of the file-list dialog and the main window's commands that write group files:
// member entries, load, write, write as, add, remove, edit by hand, open, reload, bad input.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "FileListDialogHarness.h"
#include "groups/GroupFile.h"
#include "groups/GroupMode.h"
#include "text/Encoding.h"

namespace norra::testing {
namespace {

using C = FileListControl;

class GroupModeTest : public ListDialogTest {
 protected:
  // A group file in the work folder listing the paths, CP932 with CR LF.
  std::string MakeGroup(const std::string& relative, const std::vector<std::string>& members) {
    std::string bytes;
    for (const std::string& m : members) bytes += Utf8ToCp932(m) + "\r\n";
    return MakeFile(relative, bytes);
  }
  std::vector<std::string> Column(const FileListDialog& dialog, int column) {
    std::vector<std::string> texts;
    for (const FileListRow& row : dialog.Rows())
      texts.push_back(row.columns[static_cast<std::size_t>(column)]);
    return texts;
  }
  std::vector<std::string> Members(const std::string& path) {
    std::vector<std::string> members;
    EXPECT_EQ(GroupFile::Read(path, members), GroupFileStatus::Ok) << path;
    return members;
  }
  static std::size_t RowOf(const FileListDialog& dialog, const std::string& name) {
    for (std::size_t i = 0; i < dialog.Rows().size(); ++i) {
      if (dialog.Rows()[i].columns[FileListRow::kName] == name) return i;
    }
    return FileListDialog::npos;
  }
  FileListDialogContext Remembering() {
    FileListDialogContext context = Context();
    context.memory = &memory;
    return context;
  }
  FileListMemory memory;
};

TEST_F(GroupModeTest, StartLoadsGroupPathAndListsMembersByState) {
  Launch();
  const std::string disk = MakeFile("disk.txt", "d");
  const std::string readme = MakeFile("ver.2/readme", "r");
  Page& shown = OpenFile("shown.txt", "s");
  Page& changed = OpenFile("changed.txt", "c");
  Edit(changed, "edited");
  const std::string gone = WorkPath("gone.txt");
  const std::string group =
      MakeFile("g.tgp", Utf8ToCp932(changed.FilePath() + "\r\n\r\n" + gone + "\n" + disk + "\r" +
                                    shown.FilePath() + "\r\n" + readme + "/\r\n"));
  window->Prefs().File.GroupPath = group;

  FileListDialog dialog(Context(), kGroupMode);
  EXPECT_EQ(dialog.DialogResult(), kListDialogCancelled);
  EXPECT_EQ(Column(dialog, FileListRow::kName),
            (std::vector<std::string>{"disk.txt", "", "gone.txt", "shown.txt", "changed.txt"}));
  EXPECT_EQ(Column(dialog, FileListRow::kState),
            (std::vector<std::string>{"DISK", "DISK", "LOST", "表示", "変更"}));
  EXPECT_EQ(Column(dialog, FileListRow::kExtension),
            (std::vector<std::string>{"TXT", "2/README/", "TXT", "TXT", "TXT"}));
  EXPECT_EQ(Column(dialog, FileListRow::kId),
            (std::vector<std::string>{"003", "005", "002", "004", "001"}));
  EXPECT_EQ(dialog.Rows()[3].page, &shown);
  EXPECT_EQ(dialog.Rows()[4].page, &changed);
  EXPECT_EQ(dialog.Rows()[0].page, nullptr);
  EXPECT_EQ(dialog.FocusedRow(), 0u);
  EXPECT_EQ(dialog.SortDirection(), 1);
  EXPECT_EQ(dialog.Group()->Name(), group);
  EXPECT_EQ(dialog.Control(C::lblGroupName).caption, group);
  EXPECT_FALSE(dialog.Group()->Changed());
  EXPECT_EQ(window->Prefs().File.RecentGroups.back(), group);
  EXPECT_EQ(dialog.SelectedCount(), 0u);
  for (C control : {C::cmdDo, C::cmdWithout, C::cmdReleaseFileFromGroup})
    EXPECT_FALSE(dialog.Control(control).enabled);
  EXPECT_TRUE(dialog.Control(C::cmdAddFileFromWindow).enabled);
  const std::vector<std::pair<C, const char*>> captions = {
      {C::cmdMakeNewGroup, "新規作成(&N)"},
      {C::cmdOpenGroup, "読み込む(&L)..."},
      {C::cmdUpdateGroup, "上書き保存(&S)..."},
      {C::cmdSaveAsGroup, "名前を付けて保存(&Q)..."},
      {C::cmdAddFileFromDisk, "ﾃﾞｨｽｸから追加(&P)..."},
      {C::cmdAddFileFromWindow, "子ｳｲﾝﾄﾞｳを全て追加(&W)"},
      {C::cmdReleaseFileFromGroup, "選択したﾌｧｲﾙを除外(&K)"},
      {C::cmdEditByEditor, "手作業で編集(&H)"}};
  for (const auto& [control, caption] : captions) {
    EXPECT_EQ(dialog.Control(control).caption, caption);
    EXPECT_TRUE(dialog.Control(control).visible);
  }
  dialog.SelectRow(0, true);
  for (C control : {C::cmdDo, C::cmdWithout, C::cmdReleaseFileFromGroup})
    EXPECT_TRUE(dialog.Control(control).enabled);
  EXPECT_TRUE(ui.Boxes().empty());

  // The group controls belong to the group mode only.
  FileListDialog other(Context(), ListDialogMode::CloseAll);
  EXPECT_FALSE(other.Control(C::cmdMakeNewGroup).visible);
  EXPECT_FALSE(other.Control(C::lblGroupName).visible);
}

TEST_F(GroupModeTest, WriteFollowsSelectedRowsAndNamesGetTheirExtension) {
  Launch();
  std::vector<std::string> paths;
  for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
    paths.push_back(MakeFile(name, "x"));
  const std::string group = MakeGroup("four.tgp", paths);
  window->Prefs().File.GroupPath = group;
  FileListDialog dialog(Context(), kGroupMode);
  dialog.SelectRow(1, true);
  dialog.SelectRow(3, true);
  dialog.Click(C::cmdUpdateGroup);
  EXPECT_EQ(ReadFile(group), Utf8ToCp932(paths[1] + "\r\n" + paths[3] + "\r\n" + paths[0] + "\r\n" +
                                         paths[2] + "\r\n"));
  EXPECT_TRUE(ui.Dialogs().empty());

  // Write as: the group's own name proposed, a name without any dot gets ".tgp".
  std::filesystem::create_directories(WorkPath("groups"));
  std::filesystem::create_directories(WorkPath("my.groups"));
  struct Case {
    std::string chosen;
    std::string written;
  };
  for (const Case& c :
       std::vector<Case>{{WorkPath("groups/work"), WorkPath("groups/work.tgp")},
                         {WorkPath("my.groups/work"), WorkPath("my.groups/work")}}) {
    ui.QueueDialogFiles({c.chosen});
    dialog.Click(C::cmdSaveAsGroup);
    EXPECT_EQ(Members(c.written).size(), 4u);
    EXPECT_EQ(dialog.Group()->Name(), c.written);
    EXPECT_EQ(window->Prefs().File.GroupPath, c.written);
    EXPECT_EQ(window->Prefs().File.RecentGroups.back(), c.written);
  }
  ASSERT_EQ(ui.Dialogs().size(), 2u);
  EXPECT_TRUE(ui.Dialogs()[0].save);
  EXPECT_EQ(ui.Dialogs()[0].request.fileName, "four.tgp");
  EXPECT_TRUE(ui.Dialogs()[0].request.overwritePrompt);
  EXPECT_EQ(ui.Dialogs()[0].request.filters.at(0).description, "ﾒﾝﾊﾞﾘｽﾄ(*.tgp)");
  EXPECT_EQ(ui.Dialogs()[1].request.fileName, "work.tgp");
  // The platform asked about the name as typed; the file with ".tgp" is asked about here.
  MakeFile("groups/work.tgp", "keep");
  ui.QueueDialogFiles({WorkPath("groups/work")});
  ui.QueueAnswer(IDNO);
  dialog.Click(C::cmdSaveAsGroup);
  ASSERT_FALSE(ui.Boxes().empty());
  EXPECT_EQ(ui.LastBox().text, WorkPath("groups/work.tgp") + "\nは既に存在します。上書きしますか?");
  EXPECT_EQ(ui.LastBox().flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(ReadFile(WorkPath("groups/work.tgp")), "keep");
  EXPECT_EQ(dialog.Group()->Name(), WorkPath("my.groups/work"));
  ui.QueueDialogFiles({WorkPath("groups/work")});
  ui.QueueAnswer(IDYES);
  dialog.Click(C::cmdSaveAsGroup);
  EXPECT_EQ(Members(WorkPath("groups/work.tgp")).size(), 4u);
  EXPECT_FALSE(dialog.Closed());
}

TEST_F(GroupModeTest, NewGroupAndLoadAskAboutChangesAndAddOrRemoveChangeIt) {
  Launch();
  const std::string one = MakeFile("one.txt", "1");
  const std::string two = MakeFile("two.txt", "2");
  FileListDialog dialog(Context(), kGroupMode);
  EXPECT_EQ(dialog.Group()->Name(), "新グループ");
  EXPECT_TRUE(dialog.Rows().empty());

  ui.QueueDialogCancel();
  dialog.Click(C::cmdAddFileFromDisk);
  EXPECT_FALSE(dialog.Group()->Changed());
  ui.QueueDialogFiles({two, one, two});  // no duplicate check
  dialog.Click(C::cmdAddFileFromDisk);
  EXPECT_EQ(Column(dialog, FileListRow::kName),
            (std::vector<std::string>{"two.txt", "one.txt", "two.txt"}));
  EXPECT_TRUE(dialog.Group()->Changed());
  EXPECT_FALSE(ui.Dialogs().back().save);
  EXPECT_TRUE(ui.Dialogs().back().request.multiSelect);
  EXPECT_EQ(ui.Dialogs().back().request.filters.at(0).description, "すべてのﾌｧｲﾙ");

  // Cancel keeps everything; Yes with the name dialog cancelled writes nothing and stops.
  ui.QueueAnswer(IDCANCEL);
  dialog.Click(C::cmdMakeNewGroup);
  EXPECT_EQ(ui.LastBox().text, "新グループは変更されています。保存しますか？");
  EXPECT_EQ(ui.LastBox().flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  ui.QueueAnswer(IDYES);
  ui.QueueDialogCancel();
  dialog.Click(C::cmdMakeNewGroup);
  EXPECT_EQ(ui.Dialogs().back().request.fileName, "新グループ.tgp");
  EXPECT_EQ(dialog.Rows().size(), 3u);
  EXPECT_TRUE(dialog.Group()->Changed());

  // Remove selected; then Yes writes the group and starts a new one.
  dialog.SelectRow(0, true);
  dialog.Click(C::cmdReleaseFileFromGroup);
  EXPECT_EQ(Column(dialog, FileListRow::kName), (std::vector<std::string>{"one.txt", "two.txt"}));
  EXPECT_EQ(Column(dialog, FileListRow::kId), (std::vector<std::string>{"002", "003"}));
  EXPECT_EQ(dialog.SelectedCount(), 0u);
  EXPECT_FALSE(dialog.Control(C::cmdReleaseFileFromGroup).enabled);
  ui.QueueAnswer(IDYES);
  ui.QueueDialogFiles({WorkPath("pair")});
  dialog.Click(C::cmdMakeNewGroup);
  EXPECT_EQ(Members(WorkPath("pair.tgp")), (std::vector<std::string>{one, two}));
  EXPECT_EQ(dialog.Group()->Name(), "新グループ");
  EXPECT_TRUE(dialog.Rows().empty());
  EXPECT_FALSE(dialog.Group()->Changed());

  // Load: No drops the changes; the chosen file's members replace the rows.
  ui.QueueDialogFiles({one});
  dialog.Click(C::cmdAddFileFromDisk);
  ui.QueueAnswer(IDNO);
  ui.QueueDialogFiles({WorkPath("pair.tgp")});
  dialog.Click(C::cmdOpenGroup);
  EXPECT_EQ(ui.Dialogs().back().request.filters.at(0).description, "文ｸﾞﾙｰﾌﾟ(*.tgp)");
  EXPECT_EQ(Column(dialog, FileListRow::kName), (std::vector<std::string>{"one.txt", "two.txt"}));
  EXPECT_EQ(dialog.Group()->Name(), WorkPath("pair.tgp"));
  EXPECT_TRUE(dialog.Group()->Changed());  // loading leaves it as it was
}

TEST_F(GroupModeTest, AddAllOpenPagesSkipsUntitledAndListedPages) {
  Launch();
  Page& a = OpenFile("a.txt", "a");
  Page& b = OpenFile("b.txt", "b");
  NewUntitled();
  std::string upper = a.FilePath();
  upper.replace(upper.size() - 5, 1, "A");
  window->Prefs().File.GroupPath = MakeGroup("g.tgp", {upper});
  FileListDialog dialog(Context(), kGroupMode);
  dialog.Click(C::cmdAddFileFromWindow);
  EXPECT_EQ(Column(dialog, FileListRow::kName), (std::vector<std::string>{"A.txt", "b.txt"}));
  EXPECT_EQ(Column(dialog, FileListRow::kState), (std::vector<std::string>{"表示", "表示"}));
  EXPECT_EQ(dialog.Rows()[1].page, &b);
  EXPECT_FALSE(dialog.Group()->Changed());
}

TEST_F(GroupModeTest, OpenSelectedWritesTheGroupThenOpensOnlyMembersOnDisk) {
  Launch();
  const std::string d1 = MakeFile("d1.txt", "1");
  const std::string d2 = MakeFile("d2.txt", "2");
  Page& shown = OpenFile("shown.txt", "s");
  const std::string group = MakeGroup("g.tgp", {d1, WorkPath("gone.txt"), shown.FilePath(), d2});
  window->Prefs().File.GroupPath = group;

  // Only a shown member selected: the group is written, nothing opens, the dialog closes.
  FileListDialog onlyShown(Context(), kGroupMode);
  onlyShown.SelectRow(3, true);
  onlyShown.Click(C::cmdDo);
  EXPECT_TRUE(onlyShown.Closed());
  EXPECT_EQ(window->Docs().PageCount(), 1u);
  EXPECT_EQ(Members(group).front(), shown.FilePath());

  FileListDialog dialog(Context(), kGroupMode);
  dialog.Click(C::cmdSelectAll);
  dialog.Click(C::cmdDo);
  EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
  EXPECT_EQ(PagePaths(), (std::vector<std::string>{d1, d2, shown.FilePath()}));
  EXPECT_TRUE(ui.Boxes().empty());

  // A new group must be named first; cancelling the name leaves the dialog open.
  window->Prefs().File.GroupPath.clear();
  FileListDialog fresh(Context(), kGroupMode);
  ui.QueueDialogFiles({d1});
  fresh.Click(C::cmdAddFileFromDisk);
  fresh.SelectRow(0, true);
  ui.QueueDialogCancel();
  fresh.Click(C::cmdDo);
  EXPECT_FALSE(fresh.Closed());
}

TEST_F(GroupModeTest, ReloadSelectedAsksForChangedPagesAndReportsAFailedRead) {
  Launch();
  const std::string disk = MakeFile("disk.txt", "d");
  Page& changed = OpenFile("changed.txt", "on disk");
  Edit(changed, "edited");
  const std::string group = MakeGroup("g.tgp", {changed.FilePath(), disk});
  window->Prefs().File.GroupPath = group;
  const std::string question = changed.FilePath() +
                               "\nは変更されています。\nﾃﾞｨｽｸから再読込みすると\n現在の変更は失われ"
                               "ます\nよろしいですか?";

  FileListDialog cancelled(Context(), kGroupMode);
  cancelled.Click(C::cmdSelectAll);
  ui.QueueAnswer(IDCANCEL);
  cancelled.Click(C::cmdWithout);
  EXPECT_FALSE(cancelled.Closed());
  EXPECT_EQ(ui.LastBox().text, question);
  EXPECT_EQ(TextOf(changed), "edited");

  FileListDialog declined(Context(), kGroupMode);
  declined.Click(C::cmdSelectAll);
  ui.QueueAnswer(IDNO);
  declined.Click(C::cmdWithout);
  EXPECT_EQ(declined.DialogResult(), kListDialogDone);
  EXPECT_EQ(TextOf(changed), "edited");
  EXPECT_EQ(PagePaths().front(), disk);
  window->Docs().DestroyPage(*Active());

  FileListDialog accepted(Context(), kGroupMode);
  accepted.Click(C::cmdSelectAll);
  ui.QueueAnswer(IDYES);
  accepted.Click(C::cmdWithout);
  EXPECT_EQ(TextOf(changed), "on disk");
  EXPECT_FALSE(changed.Modified());
  EXPECT_EQ(PagePaths().front(), disk);

  // The file of an open member gone: reported, the dialog closes.
  std::filesystem::remove(changed.FilePath());
  ui.ClearBoxes();
  FileListDialog failing(Context(), kGroupMode);
  failing.SelectRow(RowOf(failing, "changed.txt"), true);
  failing.Click(C::cmdWithout);
  EXPECT_TRUE(failing.Closed());
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, changed.FilePath() + "\nの読込み処理中にｴﾗｰ発生");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
}

TEST_F(GroupModeTest, EditByHandWritesEveryRowInListOrderAndOpensTheGroupFile) {
  Launch();
  const std::string x = MakeFile("x.txt", "x");
  const std::string y = MakeFile("y.txt", "y");
  const std::string group = MakeGroup("g.tgp", {x, y});
  window->Prefs().File.GroupPath = group;
  FileListDialog dialog(Context(), kGroupMode);
  dialog.SelectRow(1, true);
  dialog.Click(C::cmdEditByEditor);
  EXPECT_EQ(dialog.DialogResult(), kListDialogDone);
  EXPECT_EQ(Members(group), (std::vector<std::string>{x, y}));
  EXPECT_EQ(Active()->FilePath(), group);
}

TEST_F(GroupModeTest, BadGroupFiles) {
  Launch();
  // UTF-8, with spaces and Japanese in the member path.
  const std::string japanese = MakeFile("文書 フォルダ/メモ 1.txt", "m");
  const std::string utf8Group = MakeFile("utf8.tgp", "\xEF\xBB\xBF" + japanese + "\r\n");
  window->Prefs().File.GroupPath = utf8Group;
  FileListDialog utf8(Context(), kGroupMode);
  ASSERT_EQ(Column(utf8, FileListRow::kName), (std::vector<std::string>{"メモ 1.txt"}));
  EXPECT_EQ(Column(utf8, FileListRow::kState), (std::vector<std::string>{"DISK"}));
  utf8.SelectRow(0, true);
  utf8.Click(C::cmdDo);
  EXPECT_EQ(PagePaths(), (std::vector<std::string>{japanese}));
  EXPECT_EQ(ReadFile(utf8Group), Utf8ToCp932(japanese) + "\r\n");  // rewritten in CP932

  // Empty: no rows, nothing to open.
  window->Prefs().File.GroupPath = MakeFile("empty.tgp", "");
  FileListDialog empty(Context(), kGroupMode);
  EXPECT_TRUE(empty.Rows().empty());
  EXPECT_EQ(empty.Group()->Name(), window->Prefs().File.GroupPath);
  EXPECT_FALSE(empty.Control(C::cmdDo).enabled);

  // Ten thousand members, none on disk.
  std::vector<std::string> many;
  for (int i = 1; i <= 10000; ++i) many.push_back(WorkPath("none/" + std::to_string(i) + ".txt"));
  const std::string big = MakeGroup("big.tgp", many);
  window->Prefs().File.GroupPath = big;
  FileListDialog bulk(Context(), kGroupMode);
  ASSERT_EQ(bulk.Rows().size(), 10000u);
  EXPECT_EQ(bulk.Rows().back().columns[FileListRow::kId], "10000");
  EXPECT_EQ(bulk.Rows().back().columns[FileListRow::kState], "LOST");
  bulk.Click(C::cmdSelectAll);
  bulk.Click(C::cmdDo);
  EXPECT_EQ(Members(big), many);
  EXPECT_EQ(window->Docs().PageCount(), 1u);
  EXPECT_TRUE(ui.Boxes().empty());
  // Every other member removed: the rest keep their order and numbers.
  FileListDialog thinned(Context(), kGroupMode);
  for (std::size_t i = 1; i < thinned.Rows().size(); i += 2) thinned.SelectRow(i, true);
  thinned.Click(C::cmdReleaseFileFromGroup);
  ASSERT_EQ(thinned.Rows().size(), 5000u);
  EXPECT_EQ(thinned.Rows()[1].columns[FileListRow::kId], "003");
  EXPECT_EQ(thinned.Rows().back().path, many[9998]);

  // A group file that exists but cannot be read is reported and never written over.
  const std::string fifo = WorkPath("pipe.tgp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  window->Prefs().File.GroupPath = fifo;
  FileListDialog unreadable(Remembering(), kGroupMode);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, fifo + "\nの読込み処理中にｴﾗｰ発生");
  EXPECT_EQ(unreadable.Group()->Name(), "新グループ");
  ui.QueueDialogFiles({japanese});
  unreadable.Click(C::cmdAddFileFromDisk);
  ui.QueueDialogFiles({fifo});
  unreadable.Click(C::cmdSaveAsGroup);
  EXPECT_EQ(ui.LastBox().text, fifo + "\nは読み込めなかったｸﾞﾙｰﾌﾟﾌｧｲﾙのため、上書きしません");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(unreadable.Group()->Name(), "新グループ");
  EXPECT_TRUE(unreadable.Group()->Changed());

  // Loading one over a listed group keeps that group's rows and name: a write after it must
  // not empty the group file still named.
  window->Prefs().File.GroupPath = utf8Group;
  FileListDialog listed(Remembering(), kGroupMode);
  ui.QueueDialogFiles({fifo});
  listed.Click(C::cmdOpenGroup);
  EXPECT_EQ(ui.LastBox().text, fifo + "\nの読込み処理中にｴﾗｰ発生");
  EXPECT_EQ(Column(listed, FileListRow::kName), (std::vector<std::string>{"メモ 1.txt"}));
  EXPECT_EQ(listed.Group()->Name(), utf8Group);
  listed.Click(C::cmdUpdateGroup);
  EXPECT_EQ(Members(utf8Group), (std::vector<std::string>{japanese}));
}

TEST_F(GroupModeTest, AFileThatIsNoMemberListIsRefusedAndNeverRewritten) {
  Launch();
  const std::string d1 = MakeFile("d1.txt", "1");
  // A program: NUL bytes and a "line" far longer than any path.
  const std::string bytes =
      d1 + "\r\n" + std::string("\x7F" "ELF\0\x01\0", 7) + std::string(5000, 'x');
  const std::string binary = MakeFile("program.bin", bytes);
  window->Prefs().File.GroupPath = binary;
  FileListDialog dialog(Remembering(), kGroupMode);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, GroupFile::NotMemberListMessage(binary));
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  EXPECT_TRUE(dialog.Rows().empty());
  EXPECT_EQ(dialog.Group()->Name(), "新グループ");
  ui.QueueDialogFiles({binary});
  dialog.Click(C::cmdOpenGroup);
  EXPECT_EQ(ui.LastBox().text, GroupFile::NotMemberListMessage(binary));
  // Open with a member added, the file named as the group to write: refused.
  ui.QueueDialogFiles({d1});
  dialog.Click(C::cmdAddFileFromDisk);
  dialog.SelectRow(0, true);
  ui.QueueDialogFiles({binary});
  dialog.Click(C::cmdDo);
  EXPECT_EQ(ui.LastBox().text, binary + "\nは読み込めなかったｸﾞﾙｰﾌﾟﾌｧｲﾙのため、上書きしません");
  EXPECT_EQ(ReadFile(binary), bytes);
}

TEST_F(GroupModeTest, AMemberWithAControlCharacterIsLostAndNeverOpened) {
  Launch();
  const std::string secret = MakeFile("secret.conf", "s");
  const std::string odd = MakeFile("odd\x01.txt", "o");  // even a file of that name stays shut
  window->Prefs().File.GroupPath = MakeGroup("g.tgp", {odd, secret});
  FileListDialog dialog(Context(), kGroupMode);
  EXPECT_EQ(Column(dialog, FileListRow::kState), (std::vector<std::string>{"DISK", "LOST"}));
  dialog.Click(C::cmdSelectAll);
  dialog.Click(C::cmdDo);
  EXPECT_EQ(PagePaths(), (std::vector<std::string>{secret}));
}

TEST_F(GroupModeTest, AFifoMemberIsReportedAsNotARegularFileNotAsMissing) {
  Launch();
  const std::string fifo = WorkPath("pipe.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  window->Prefs().File.GroupPath = MakeGroup("g.tgp", {fifo});
  FileListDialog dialog(Context(), kGroupMode);
  EXPECT_EQ(Column(dialog, FileListRow::kState), (std::vector<std::string>{"DISK"}));
  dialog.SelectRow(0, true);
  dialog.Click(C::cmdDo);
  ASSERT_FALSE(ui.Boxes().empty());
  EXPECT_EQ(ui.LastBox().text, "通常のﾌｧｲﾙではありません");
  EXPECT_EQ(window->Docs().PageCount(), 0u);
}

TEST_F(GroupModeTest, MainWindowCommandsWriteGroupFilesThemselves) {
  Launch();
  Page& page = OpenFile("page.txt", "p");
  // A new target without a dot gets ".tgp" and lists the Page alone.
  ui.QueueDialogFiles({WorkPath("g")});
  runner.AddPageToGroup();
  EXPECT_EQ(Members(WorkPath("g.tgp")), (std::vector<std::string>{page.FilePath()}));
  EXPECT_EQ(window->Prefs().File.RecentGroups.back(), WorkPath("g.tgp"));
  EXPECT_EQ(ui.Dialogs().back().request.filters.at(0).description, "ﾒﾝﾊﾞﾘｽﾄ (*.tgp)");

  // An existing group gets the Page as its first member.
  const std::string other = MakeFile("o.txt", "o");
  const std::string group = MakeGroup("h.tgp", {other});
  ui.QueueDialogFiles({group});
  runner.AddPageToGroup();
  EXPECT_EQ(Members(group), (std::vector<std::string>{page.FilePath(), other}));
  // Named without its ".tgp": that group keeps its members too.
  const std::string named = MakeGroup("k.tgp", {other});
  ui.QueueDialogFiles({WorkPath("k")});
  runner.AddPageToGroup();
  EXPECT_EQ(Members(named), (std::vector<std::string>{page.FilePath(), other}));

  // Listed already in other letter case: reported, the file written unchanged.
  std::string upper = page.FilePath();
  upper.replace(upper.size() - 8, 4, "PAGE");
  const std::string listed = MakeGroup("listed.tgp", {other, upper});
  const std::string before = ReadFile(listed);
  ui.QueueDialogFiles({listed});
  runner.AddPageToGroup();
  EXPECT_EQ(ui.LastBox().text,
            page.FilePath() + "\nは既に\n" + listed + "\nのﾒﾝﾊﾞに含まれています");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(ReadFile(listed), before);
  EXPECT_EQ(window->Prefs().File.RecentGroups.back(), listed);

  // Cancelled: nothing.
  const std::size_t recent = window->Prefs().File.RecentGroups.size();
  ui.QueueDialogCancel();
  runner.AddPageToGroup();
  EXPECT_EQ(window->Prefs().File.RecentGroups.size(), recent);

  // An unreadable target is reported and left alone.
  const std::string fifo = WorkPath("pipe.tgp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ui.QueueDialogFiles({fifo});
  runner.AddPageToGroup();
  EXPECT_EQ(ui.LastBox().text, fifo + "\nの読込み処理中にｴﾗｰ発生");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));

  // Save as member list: the Page itself becomes the group file.
  Page& list = OpenFile("list.txt", "");
  Edit(list, WorkPath("o.txt"));
  ui.QueueDialogFiles({WorkPath("mine")});
  runner.SaveAsMemberList();
  EXPECT_EQ(list.FilePath(), WorkPath("mine.tgp"));
  EXPECT_FALSE(list.Modified());
  EXPECT_EQ(Members(WorkPath("mine.tgp")), (std::vector<std::string>{other}));
  EXPECT_EQ(window->Prefs().File.RecentGroups.back(), WorkPath("mine.tgp"));
  // Another Page named "mine" as well: the existing mine.tgp is asked about, No keeps both.
  const std::string mine = ReadFile(WorkPath("mine.tgp"));
  Page& second = OpenFile("second.txt", "");
  Edit(second, "x");
  ui.QueueDialogFiles({WorkPath("mine")});
  ui.QueueAnswer(IDNO);
  runner.SaveAsMemberList();
  ASSERT_FALSE(ui.Boxes().empty());
  EXPECT_EQ(ui.LastBox().text, WorkPath("mine.tgp") + "\nは既に存在します。上書きしますか?");
  EXPECT_EQ(ReadFile(WorkPath("mine.tgp")), mine);
  EXPECT_EQ(second.FilePath(), WorkPath("second.txt"));
}

TEST_F(GroupModeTest, GroupMenuNumbersRecentGroupsAndOpensTheDialog) {
  Launch();
  using enum UiItem;
  const std::vector<UiItem> items = {mnuOpenGroup1, mnuOpenGroup2, mnuOpenGroup3,
                                     mnuOpenGroup4, mnuOpenGroup5, mnuOpenGroup6,
                                     mnuOpenGroup7, mnuOpenGroup8, mnuOpenGroup9};
  const std::string x = MakeFile("x.txt", "x");
  const std::string oldest = MakeGroup("old.tgp", {x});
  window->Prefs().File.RecentGroups = {oldest, WorkPath("R&D.tgp"), WorkPath("new.tgp")};
  window->MenuOpening(MenuKind::Group);
  for (std::size_t k = 0; k < items.size(); ++k) {
    const auto& item = view.items[items[k]];
    EXPECT_EQ(item.visible.value_or(true), k < 3) << k;
  }
  EXPECT_EQ(view.Caption(mnuOpenGroup3), "&1.new.tgp");  // the newest, at the top
  EXPECT_EQ(view.Caption(mnuOpenGroup2), "&2.R&&D.tgp");  // shows R&D, no mnemonic D
  EXPECT_EQ(view.Caption(mnuOpenGroup1), "&3.old.tgp");
  // No Page: the two commands on the active Page are off; the others are on.
  EXPECT_FALSE(view.Enabled(mnuAddChildToGroup));
  EXPECT_FALSE(view.Enabled(mnuSaveAsMemberList));
  EXPECT_TRUE(view.Enabled(mnuMakeNewGroup));
  EXPECT_TRUE(view.Enabled(mnuOpenGroup));
  NewUntitled();
  window->MenuOpening(MenuKind::Group);
  EXPECT_FALSE(view.Enabled(mnuAddChildToGroup));  // an untitled Page names no file
  EXPECT_TRUE(view.Enabled(mnuSaveAsMemberList));
  OpenFile("named.txt", "n");
  window->MenuOpening(MenuKind::Group);
  EXPECT_TRUE(view.Enabled(mnuAddChildToGroup));

  // A recent group: its path becomes GroupPath and the dialog lists its members.
  window->Execute(mnuOpenGroup1);
  ASSERT_EQ(listView.shows.size(), 1u);
  EXPECT_EQ(listView.shows[0].caption, "グループから開く");
  EXPECT_EQ(listView.shows[0].names, (std::vector<std::string>{"x.txt"}));
  EXPECT_EQ(listView.shows[0].withoutCaption, "再読込み(&R)");
  EXPECT_EQ(window->Prefs().File.GroupPath, oldest);
  EXPECT_EQ(window->Prefs().File.RecentGroups.back(), oldest);
  // A new group starts empty; open asks for a file first.
  window->Execute(mnuMakeNewGroup);
  EXPECT_TRUE(listView.shows.at(1).names.empty());
  EXPECT_EQ(window->Prefs().File.GroupPath, "");
  ui.QueueDialogFiles({oldest});
  window->Execute(mnuOpenGroup);
  EXPECT_EQ(ui.Dialogs().back().request.filters.at(0).description, "ﾒﾝﾊﾞﾘｽﾄ (*.tgp)");
  EXPECT_EQ(listView.shows.at(2).names, (std::vector<std::string>{"x.txt"}));
  ui.QueueDialogCancel();
  window->Execute(mnuOpenGroup);
  EXPECT_EQ(listView.shows.size(), 3u);
  // The hidden items stand for nothing.
  window->Execute(mnuOpenGroup9);
  EXPECT_EQ(listView.shows.size(), 3u);
}

}  // namespace
}  // namespace norra::testing
