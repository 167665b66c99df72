// The start after a crash: the copies the crashed run left are offered, the chosen ones come
// back as modified Pages, and the others go only when the user says so.
#include "AppHarness.h"
#include "app/RecoveryDialog.h"
#include "app/RecoveryDialogPort.h"
#include "documents/RecoveryStore.h"

namespace norra::testing {
namespace {

// Answers the dialog as a user would: some rows unchecked, then restore or cancel.
class ScriptedRecovery : public RecoveryDialogPort {
 public:
  bool Run(RecoveryDialog& dialog) override {
    ++shown;
    rows = dialog.Rows();
    for (std::size_t row : unchecked) dialog.SetChecked(row, false);
    return accept;
  }
  std::vector<std::size_t> unchecked;
  bool accept = true;
  int shown = 0;
  std::vector<RecoveryRow> rows;
};

class RecoveryDialogTest : public AppTest {
 protected:
  MainWindow& StartWithRecovery() {
    MainWindowPorts ports = Ports();
    ports.recovery = &port;
    StartupOptions options = Options({});
    options.recoveryFolder = Recovery();
    window = std::make_unique<MainWindow>(ports, std::move(options));
    EXPECT_TRUE(window->Create());
    window->Show();
    return *window;
  }
  std::string Recovery() const { return (root / "state" / "recovery").string() + "/"; }
  // What a run killed with three unsaved Pages leaves behind.
  void LeaveCopiesOfAKilledRun() {
    RecoveryStore killed(Recovery());
    ASSERT_EQ(killed.Open(), FileError::None);
    for (std::size_t i = 0; i < copies.size(); ++i) ASSERT_EQ(killed.Write(i + 1, copies[i]), FileError::None);
  }
  std::vector<std::string> OfferedNow() const {
    std::vector<std::string> texts;
    const RecoveryClaim claim = RecoveryClaim::Take(Recovery());
    for (const RecoverableCopy& found : claim.Copies()) texts.push_back(found.copy.text);
    return texts;
  }

  ScriptedRecovery port;
  const std::vector<RecoveryCopy> copies{
      {"無題3", PageKind::Untitled, {}, false, 1000000000, "untitled\r\n"},
      {"/home/u/docs/a.txt", PageKind::File, {}, true, 1000000001, "lf file\r\n"},
      {"/home/u/b.txt", PageKind::File, {}, false, 1000000002, std::string("\x85\xFF\x81", 3)},
  };
};

TEST_F(RecoveryDialogTest, RowsNameEachCopyAllChosen) {
  WriteCurrentSettings();
  LeaveCopiesOfAKilledRun();
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  StartWithRecovery();
  ASSERT_EQ(port.rows.size(), 3u);
  const RecoveryRow& untitled = port.rows[0];
  EXPECT_EQ(untitled.name, "無題3");
  EXPECT_EQ(untitled.folder, "");
  EXPECT_EQ(untitled.time, "2001/09/09 01:46:40");
  EXPECT_EQ(untitled.size, "10ﾊﾞｲﾄ");
  EXPECT_EQ(port.rows[1].name, "a.txt");
  EXPECT_EQ(port.rows[1].folder, "/home/u/docs/");
  for (const RecoveryRow& row : port.rows) EXPECT_TRUE(row.checked);
  ::unsetenv("TZ");
  ::tzset();
}

TEST_F(RecoveryDialogTest, ChosenCopiesComeBackAndTheOthersGoOnlyWhenTheUserSaysSo) {
  struct Case {
    const char* what;
    std::vector<std::size_t> unchecked;
    bool accept;
    int discard;  // the answer to the question, 0 when none is asked
    std::vector<std::string> pages;    // the page list's texts afterwards, newest first
    std::vector<std::string> offered;  // copies a later start would offer
  };
  const std::string b = copies[2].text;
  const Case cases[] = {
      {"Enter restores all", {}, true, 0, {"/home/u/b.txt", "/home/u/docs/a.txt", "無題1"}, {}},
      {"one left, kept", {1}, true, IDNO, {"/home/u/b.txt", "無題1"}, {"lf file\r\n"}},
      {"one left, discarded", {1}, true, IDYES, {"/home/u/b.txt", "無題1"}, {}},
      {"cancelled, kept", {}, false, IDNO, {"無題1"}, {"untitled\r\n", "lf file\r\n", b}},
      {"cancelled, discarded", {}, false, IDYES, {"無題1"}, {}},
  };
  WriteCurrentSettings();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Recovery());
    LeaveCopiesOfAKilledRun();
    port = ScriptedRecovery();
    port.unchecked = c.unchecked;
    port.accept = c.accept;
    ui.ClearBoxes();
    if (c.discard != 0) ui.QueueAnswer(c.discard);
    StartWithRecovery();
    EXPECT_EQ(port.shown, 1);
    EXPECT_EQ(ui.Boxes().size(), c.discard != 0 ? 1u : 0u);
    if (c.discard != 0 && !ui.Boxes().empty()) {
      EXPECT_EQ(ui.Boxes()[0].text, RecoveryDialog::kDiscardQuestion);
    }
    std::vector<std::string> pages;
    for (const PageListEntry& entry : window->Docs().List().Entries()) pages.push_back(entry.text);
    EXPECT_EQ(pages, c.pages);
    for (const PageListEntry& entry : window->Docs().List().Entries()) {
      Page& page = *entry.page;
      if (page.FilePath() == "/home/u/b.txt") {
        EXPECT_EQ(page.Control().Text(), b);
        EXPECT_TRUE(page.Modified());
      } else if (page.FilePath() == "/home/u/docs/a.txt") {
        EXPECT_EQ(page.Control().Text(), "lf file\r\n");
        EXPECT_TRUE(page.LfLineBreaks());
      }
    }
    EXPECT_EQ(OfferedNow(), c.offered) << "while the new run lives, its own copies are not offered";
    window.reset();  // a normal exit takes this run's copies with it
    EXPECT_EQ(OfferedNow(), c.offered);
  }
}

TEST_F(RecoveryDialogTest, RestoredPagesAreCopiedByTheNewRunBeforeTheOldCopiesGo) {
  WriteCurrentSettings();
  LeaveCopiesOfAKilledRun();
  StartWithRecovery();
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(Recovery())) folders.push_back(entry.path());
  ASSERT_EQ(folders.size(), 1u) << "the killed run's folder went once emptied";
  std::size_t copied = 0;
  for (const auto& entry : fs::directory_iterator(folders[0])) copied += entry.path().extension() == ".copy";
  EXPECT_EQ(copied, 3u);
  // Saving one takes its copy away.
  Page* restored = window->Docs().ActivePage();
  ASSERT_NE(restored, nullptr);
  const std::string path = MakeFile("saved.txt", "");
  window->Docs().RenamePage(*restored, path);
  ASSERT_EQ(window->Docs().SavePage(*restored), SaveOk);
  window->FlushRecovery();
  copied = 0;
  for (const auto& entry : fs::directory_iterator(folders[0])) copied += entry.path().extension() == ".copy";
  EXPECT_EQ(copied, 2u);
}

}  // namespace
}  // namespace norra::testing
