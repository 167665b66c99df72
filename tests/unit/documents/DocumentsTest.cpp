// Opening, closing, reloading and saving Pages with the in-memory ports and real files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <random>

#include "documents/DiskFileStore.h"
#include "DocumentsHarness.h"

namespace norra::testing {
namespace {

// Real files, with failures staged on demand.
class StagedFileStore : public DiskFileStore {
 public:
  FileError Read(const std::string& path, std::string& bytes) override {
    ++reads;
    if (readError != FileError::None) {
      bytes.clear();
      return readError;
    }
    return DiskFileStore::Read(path, bytes);
  }
  FileError Write(const std::string& path, std::string_view bytes) override {
    ++writes;
    return writeError != FileError::None ? writeError : DiskFileStore::Write(path, bytes);
  }
  FileError readError = FileError::None;
  FileError writeError = FileError::None;
  int reads = 0;
  int writes = 0;
};

class DocumentsTest : public DocumentsTestBase {
 protected:
  DocumentsTest() { files = &store; }

  Page& Open(const std::string& path) {
    EXPECT_EQ(docs->OpenPage(path, true), 1) << path;
    return *docs->ActivePage();
  }
  std::vector<std::string> ListTexts() const {
    std::vector<std::string> texts;
    for (const PageListEntry& entry : docs->List().Entries()) texts.push_back(entry.text);
    return texts;
  }
  void AnswerSaveDialog(const std::string& path, int filterIndex = 0) {
    FileDialogResult answer;
    answer.accepted = true;
    answer.files = {path};
    answer.filterIndex = filterIndex;
    ui.QueueDialogAnswer(answer);
  }

  StagedFileStore store;
};

TEST_F(DocumentsTest, UntitledPagesAreNumberedForTheWholeRun) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(docs->OpenPage("", false), 1);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"無題3", "無題2", "無題1"}));
  Page& second = *docs->List().At(1).page;
  EXPECT_EQ(second.DisplayName(), "無題2");
  EXPECT_TRUE(docs->ClosePage(second));
  ASSERT_EQ(docs->OpenPage("", false), 1);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"無題4", "無題3", "無題1"}));
  EXPECT_EQ(host.title, "無題4");
  EXPECT_EQ(docs->List().SelectedIndex(), 0u);
  EXPECT_FALSE(docs->ActivePage()->Modified());
}

TEST_F(DocumentsTest, OpenedFilesAreListedNewestFirstUnderTheirFullPath) {
  const std::string a = MakeFile("a.txt", "A");
  MakeFile("b.txt", "B");
  MakeFile("c.txt", "C");
  Open(a);
  Open((dir / "sub" / ".." / "b.txt").string());  // made normal
  Page& c = Open((dir / "." / "c.txt").string());
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{(dir / "c.txt").string(), (dir / "b.txt").string(), a}));
  EXPECT_EQ(c.DisplayName(), "c.txt");
  EXPECT_EQ(host.title, "c.txt");
  EXPECT_EQ(docs->WindowOrder().front(), &c);
  EXPECT_EQ(settings->File.RecentFiles.back(), (dir / "c.txt").string());
  EXPECT_EQ(settings->File.RecentFiles.size(), 3u);
  EXPECT_EQ(Memory(c).Buffer(), "C");
  EXPECT_FALSE(c.Modified());
  EXPECT_EQ(log->RecordCount(), 0u);  // loading is not an edit
  // Not added to the recent list when asked not to.
  const std::string d = MakeFile("d.txt", "D");
  ASSERT_EQ(docs->OpenPage(d, false), 1);
  EXPECT_EQ(settings->File.RecentFiles.size(), 3u);
}

TEST_F(DocumentsTest, MissingAndUnreadableFilesMakeNoPageAndATooLargeOneSaysTheLimit) {
  const std::string missing = (dir / "gone.txt").string();
  settings->File.RecentFiles = {missing, "/elsewhere.txt"};
  EXPECT_EQ(docs->OpenPage(missing, true), 0);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text, "ﾌｧｲﾙが存在しません");
  EXPECT_EQ(ui.LastBox().caption, "ﾌｧｲﾙﾛｰﾄﾞ - [" + missing + "]");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(settings->File.RecentFiles, std::vector<std::string>{"/elsewhere.txt"});

  // A folder is no file.
  EXPECT_EQ(docs->OpenPage(dir.string(), true), 0);
  EXPECT_EQ(ui.LastBox().text, "ﾌｧｲﾙが存在しません");

  settings->File.MaxLength = 1024;
  const std::string big = MakeFile("big.txt", std::string(1025, 'x'));
  EXPECT_EQ(docs->OpenPage(big, true), 0);
  // The refusal says both sizes and where the limit is changed.
  EXPECT_EQ(ui.LastBox().text,
            "ﾌｧｲﾙｻｲｽﾞが大き過ぎるため、ﾛｰﾄﾞできません。\nﾌｧｲﾙｻｲｽﾞ : 1025 ﾊﾞｲﾄ\n上限 : 1024 ﾊﾞｲﾄ\n"
            "上限は [ﾂｰﾙ]-[ｵﾌﾟｼｮﾝ] の [ﾌｧｲﾙ] にある「ﾌｧｲﾙの最大ｻｲｽﾞ」で変更できます(104857600 ﾊﾞｲﾄまで)。");
  EXPECT_EQ(ui.LastBox().caption, "ﾌｧｲﾙﾛｰﾄﾞ - [" + big + "]");
  EXPECT_EQ(docs->PageCount(), 0u);
  const std::string exact = MakeFile("exact.txt", std::string(1024, 'x'));
  EXPECT_EQ(docs->OpenPage(exact, true), 1);
  EXPECT_EQ(docs->ActivePage()->Control().TextLength(), 1024u);
  EXPECT_EQ(host.calls.front(), "created");  // only the accepted file got a window
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "created"), 1);
}

TEST_F(DocumentsTest, AnEmptyFileIsNotRead) {
  Page& page = Open(MakeFile("empty.txt", ""));
  EXPECT_EQ(store.reads, 0);
  EXPECT_EQ(page.Control().TextLength(), 0u);
  EXPECT_FALSE(page.Modified());
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(DocumentsTest, AReadErrorLeavesAnErrPageThatSavesUnderANewName) {
  const std::string path = MakeFile("bad.txt", "content");
  store.readError = FileError::ReadFailed;
  EXPECT_EQ(docs->OpenPage(path, true), 1);
  Page& page = *docs->ActivePage();
  EXPECT_EQ(page.FilePath(), "(Err)" + path);
  EXPECT_EQ(page.DisplayName(), "(Err)bad.txt");
  EXPECT_EQ(ui.LastBox().text, "読込み処理中にｴﾗｰ発生");
  EXPECT_EQ(ui.LastBox().caption, "ﾌｧｲﾙﾛｰﾄﾞ - [(Err)" + path + "]");
  EXPECT_TRUE(settings->File.RecentFiles.empty());
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(ListTexts().front(), "(Err)" + path);
  EXPECT_EQ(log->CaptureSuspended(), false);

  // Saving never writes to "(Err)...": the save dialog asks for a name.
  EXPECT_EQ(docs->SavePage(page), SaveCancelled);
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_EQ(ui.Dialogs()[0].request.fileName, "bad.txt");
  EXPECT_EQ(store.writes, 0);
  EXPECT_EQ(ReadBytes(path), "content");
}

TEST_F(DocumentsTest, MemoryExhaustionReleasesThePage) {
  const std::string path = MakeFile("huge.txt", "content");
  store.readError = FileError::TooLarge;
  EXPECT_EQ(docs->OpenPage(path, true), 0);
  EXPECT_EQ(ui.LastBox().text, "ﾒﾓﾘが足りません");
  EXPECT_EQ(ui.LastBox().caption, "ﾌｧｲﾙﾛｰﾄﾞ - [" + path + "]");
  EXPECT_EQ(docs->PageCount(), 0u);
  EXPECT_TRUE(docs->List().Empty());
  EXPECT_FALSE(log->CaptureSuspended());
}

TEST_F(DocumentsTest, AnyBytesOpenAndSaveBackIdentical) {
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  std::mt19937 random(12345);
  std::string noise(65536, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  std::string noiseNoCr = noise;
  std::replace(noiseNoCr.begin(), noiseNoCr.end(), '\r', 'r');
  const std::vector<std::string> contents = {
      every, every + every, noise, noiseNoCr, "one\ntwo\n", "lone\rcr", "mixed\r\nand\nlf", "\n", "\x82\n\x82\n",
      "no break", "\xFF\xFE\x81",
  };
  for (std::size_t i = 0; i < contents.size(); ++i) {
    const std::string path = MakeFile("round" + std::to_string(i) + ".bin", contents[i]);
    Page& page = Open(path);
    EXPECT_EQ(docs->SavePage(page), SaveOk) << i;
    EXPECT_EQ(ReadBytes(path), contents[i]) << "content " << i;
  }
  EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(DocumentsTest, AnLfFileIsHeldWithCrLfAndWrittenWithLf) {
  const std::string path = MakeFile("unix.txt", "one\ntwo\n");
  Page& page = Open(path);
  EXPECT_EQ(Memory(page).Buffer(), "one\r\ntwo\r\n");
  EXPECT_TRUE(page.LfLineBreaks());
  Keys(page, "0<Enter>");
  EXPECT_TRUE(page.Modified());
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes(path), "0\none\ntwo\n");
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(log->RecordCount(), 0u);  // saving dropped the Page's records

  // The length limit makes room for the added CRs: nothing is cut off.
  settings->File.MaxLength = 1024;
  std::string lines;
  for (int i = 0; i < 512; ++i) lines += "x\n";
  const std::string full = MakeFile("full.txt", lines);
  Page& fullPage = Open(full);
  EXPECT_EQ(fullPage.Control().TextLength(), 1536u);
  EXPECT_EQ(docs->SavePage(fullPage), SaveOk);
  EXPECT_EQ(ReadBytes(full), lines);
}

TEST_F(DocumentsTest, ClosingAModifiedPageAsks) {
  const std::string path = MakeFile("close.txt", "old");
  Page* page = &Open(path);
  Keys(*page, "new ");
  const std::string question = path + "\nは変更されています。保存しますか?";

  ui.QueueAnswer(IDCANCEL);
  EXPECT_FALSE(docs->ClosePage(*page));
  EXPECT_EQ(ui.LastBox().text, question);
  EXPECT_EQ(ui.LastBox().caption, "保存確認");
  EXPECT_EQ(ui.LastBox().flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(docs->PageCount(), 1u);

  // Yes, but the save fails: keep it open on Yes, close without saving on No.
  store.writeError = FileError::NoSpace;
  ui.QueueAnswer(IDYES);
  ui.QueueAnswer(IDYES);
  EXPECT_FALSE(docs->ClosePage(*page));
  ASSERT_EQ(ui.Boxes().size(), 4u);
  EXPECT_EQ(ui.Boxes()[2].text, "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\nﾃﾞｨｽｸの空き容量が足りません\n" + path);
  EXPECT_EQ(ui.Boxes()[2].caption, "Norra");
  EXPECT_EQ(ui.LastBox().text, "保存ｴﾗｰ発生。閉じる処理を中止しますか?");
  EXPECT_EQ(ui.LastBox().caption, "保存ｴﾗｰ");
  EXPECT_EQ(ui.LastBox().flags, MB_YESNO | MB_ICONERROR);
  EXPECT_EQ(docs->PageCount(), 1u);
  EXPECT_TRUE(page->Modified());

  // No: discarded without writing.
  store.writeError = FileError::None;
  const int writes = store.writes;
  ui.QueueAnswer(IDNO);
  EXPECT_TRUE(docs->ClosePage(*page));
  EXPECT_EQ(store.writes, writes);
  EXPECT_EQ(ReadBytes(path), "old");

  // Yes with a working save writes and closes.
  page = &Open(path);
  Keys(*page, "x");
  ui.QueueAnswer(IDYES);
  EXPECT_TRUE(docs->ClosePage(*page));
  EXPECT_EQ(ReadBytes(path), "xold");
}

TEST_F(DocumentsTest, ClosingTheLastPageClearsTheLogAndShowsNoFile) {
  Page& a = NewPage("|");
  Page& b = NewPage("|");
  Keys(b, "bbb");
  docs->ActivatePage(&a);
  Keys(a, "aaa");
  ui.QueueAnswer(IDNO);
  EXPECT_TRUE(docs->ClosePage(a));
  // The next window in window order became active; a's records went with it.
  EXPECT_EQ(docs->ActivePage(), &b);
  EXPECT_EQ(log->CurrentPage(), &b);
  ASSERT_EQ(log->RecordCount(), 1u);
  EXPECT_EQ(log->Records().front().page, &b);
  ui.QueueAnswer(IDNO);
  EXPECT_TRUE(docs->ClosePage(b));
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(log->CurrentPage(), nullptr);
  EXPECT_EQ(host.title, "No File");
  EXPECT_EQ(host.calls.back(), "empty status");
  EXPECT_EQ(docs->ActivePage(), nullptr);
}

TEST_F(DocumentsTest, APageSaysWhetherItNamesAFileIsUntitledOrFailedToLoad) {
  const std::string path = MakeFile("kind.txt", "k");
  EXPECT_EQ(Open(path).Kind(), PageKind::File);
  Page& untitled = NewPage();
  EXPECT_EQ(untitled.Kind(), PageKind::Untitled);
  store.readError = FileError::ReadFailed;
  Page& failed = Open(path);
  store.readError = FileError::None;
  EXPECT_EQ(failed.Kind(), PageKind::LoadFailed);

  // Saved under a name, each names its file, and the next save writes there without asking.
  for (Page* page : {&untitled, &failed}) {
    const std::string saved = (dir / (page->DisplayName() + ".saved")).string();
    AnswerSaveDialog(saved, 1);
    EXPECT_EQ(docs->SavePage(*page), SaveOk);
    EXPECT_EQ(page->Kind(), PageKind::File);
    EXPECT_EQ(page->FilePath(), saved);
    const std::size_t dialogs = ui.Dialogs().size();
    Keys(*page, "+");
    EXPECT_EQ(docs->SavePage(*page), SaveOk);
    EXPECT_EQ(ui.Dialogs().size(), dialogs);
    EXPECT_EQ(ReadBytes(saved).back(), '+');
  }
}

TEST_F(DocumentsTest, SaveAsProposesTheNameWithTheTextFilter) {
  settings->File.CurrentDir = dir.string() + "/";
  Page& page = NewPage("|");
  Keys(page, "memo");
  AnswerSaveDialog((dir / "note").string());
  EXPECT_EQ(docs->SavePage(page), SaveOk);  // untitled: goes to save as
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  const FileDialogRequest& request = ui.Dialogs()[0].request;
  EXPECT_TRUE(ui.Dialogs()[0].save);
  EXPECT_EQ(request.fileName, "無題1.txt");
  EXPECT_EQ(request.filterIndex, 2);
  EXPECT_EQ(request.initialFolder, dir.string() + "/");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "すべてのﾌｧｲﾙ (*.*)");
  EXPECT_EQ(request.filters[1].description, "ﾃｷｽﾄﾌｧｲﾙ(*.txt)");
  const std::string saved = (dir / "note.txt").string();
  EXPECT_EQ(ReadBytes(saved), "memo");
  EXPECT_EQ(page.FilePath(), saved);
  EXPECT_EQ(page.DisplayName(), "note.txt");
  EXPECT_EQ(ListTexts().front(), saved);
  EXPECT_EQ(host.title, "note.txt");
  EXPECT_EQ(settings->File.RecentFiles.back(), saved);
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(log->RecordCount(), 0u);

  // The all-files filter takes the name as typed, and the folder becomes the current one.
  fs::create_directories(dir / "other.d");
  AnswerSaveDialog((dir / "other.d" / "plain").string(), 1);
  EXPECT_EQ(docs->SavePageAs(page), SaveOk);
  EXPECT_EQ(ui.Dialogs()[1].request.fileName, "note.txt");
  EXPECT_EQ(ReadBytes((dir / "other.d" / "plain").string()), "memo");
  EXPECT_EQ(settings->File.CurrentDir, (dir / "other.d").string() + "/");

  // A proposed name with another extension shows all files.
  AnswerSaveDialog("");
  page.SetFilePath("/x/data.csv", PageKind::File);
  EXPECT_EQ(docs->SavePageAs(page), SaveFailed);  // an empty name is a failure, not a save
  EXPECT_EQ(ui.Dialogs()[2].request.filterIndex, 1);
}

TEST_F(DocumentsTest, OverwriteQuestionNoShowsTheDialogAgain) {
  const std::string target = MakeFile("exists.txt", "before");
  Page& page = NewPage("|");
  Keys(page, "after");
  AnswerSaveDialog(target);
  AnswerSaveDialog(target);
  ui.QueueAnswer(IDNO);
  ui.QueueAnswer(IDYES);
  EXPECT_EQ(docs->SavePageAs(page), SaveOk);
  ASSERT_EQ(ui.Dialogs().size(), 2u);
  EXPECT_EQ(ui.Dialogs()[1].request.fileName, target);
  ASSERT_EQ(ui.Boxes().size(), 2u);
  EXPECT_EQ(ui.Boxes()[0].text, target + "\nは既に存在します。上書きしますか?");
  EXPECT_EQ(ui.Boxes()[0].caption, "Norra");
  EXPECT_EQ(ui.Boxes()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(ReadBytes(target), "after");

  // Cancel leaves the Page unsaved and modified.
  Page& other = NewPage("|");
  Keys(other, "third");
  AnswerSaveDialog(target);
  ui.QueueAnswer(IDCANCEL);
  EXPECT_EQ(docs->SavePageAs(other), SaveCancelled);
  EXPECT_TRUE(other.Modified());
  EXPECT_EQ(ReadBytes(target), "after");
  // So does cancelling the dialog.
  ui.QueueDialogCancel();
  EXPECT_EQ(docs->SavePageAs(other), SaveCancelled);
  EXPECT_TRUE(other.Modified());
}

TEST_F(DocumentsTest, KeepLogAfterSaveKeepsTheRecords) {
  settings->Edit.KeepLogAfterSave = true;
  const std::string path = MakeFile("keep.txt", "");
  Page& page = Open(path);
  Keys(page, "abc");
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(log->RecordCount(), 1u);
  log->UndoLast();
  EXPECT_EQ(Show(page), "|");
  EXPECT_TRUE(page.Modified());
}

TEST_F(DocumentsTest, AFileThatVanishesIsWrittenAgainOrSavedUnderANewName) {
  const std::string path = MakeFile("sub/vanish.txt", "v1");
  Page& page = Open(path);
  Keys(page, "v2 ");
  fs::remove(path);
  EXPECT_EQ(docs->SavePage(page), SaveOk);  // the folder is still there
  EXPECT_EQ(ReadBytes(path), "v2 v1");
  EXPECT_TRUE(ui.Boxes().empty());

  // Its folder gone too: the write fails, no file is there, so the save dialog asks.
  Keys(page, "v3 ");
  fs::remove_all(dir / "sub");
  ui.QueueDialogCancel();
  EXPECT_EQ(docs->SavePage(page), SaveCancelled);
  EXPECT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_TRUE(page.Modified());
  AnswerSaveDialog((dir / "rescued.txt").string());
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes((dir / "rescued.txt").string()), "v2 v3 v1");
}

TEST_F(DocumentsTest, AReadOnlyFileIsNotReplacedButAFileInAReadOnlyFolderIsSavedInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes through file permissions";
  const std::string path = MakeFile("ro.txt", "keep me");
  Page& page = Open(path);
  Keys(page, "lost? ");
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(docs->SavePage(page), SaveFailed);
  EXPECT_EQ(ui.LastBox().text, "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\nｱｸｾｽ権がありません\n" + path);
  EXPECT_EQ(ReadBytes(path), "keep me");
  EXPECT_TRUE(page.Modified());
  // A file we may write in a folder we may not is written in place.
  ::chmod(path.c_str(), 0644);
  ::chmod(dir.c_str(), 0555);
  EXPECT_EQ(docs->SavePage(page), SaveOk);
  ::chmod(dir.c_str(), 0755);
  EXPECT_EQ(ReadBytes(path), "lost? keep me");
}

TEST_F(DocumentsTest, SavingOverAFileAnotherProgramChangedSaysSoOnceAndThenOverwrites) {
  const std::string path = MakeFile("shared.txt", "first");
  Page& page = Open(path);
  Keys(page, "mine ");
  ASSERT_EQ(docs->SavePage(page), SaveOk);  // our own save is no change by another program
  DiskFileStore batchDialogs;                // nor is one through the batch dialogs' store
  ASSERT_EQ(batchDialogs.Write(path, "first"), FileError::None);
  ASSERT_EQ(docs->SavePage(page), SaveOk);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);  // nor is a change of permissions
  ASSERT_EQ(docs->SavePage(page), SaveOk);
  Keys(page, "more ");
  { std::ofstream(path, std::ios::binary | std::ios::app) << " and theirs"; }

  EXPECT_EQ(docs->SavePage(page), SaveFailed);
  EXPECT_EQ(ui.LastBox().text, "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\n読込み後に他のﾌﾟﾛｸﾞﾗﾑが変更しました\n" + path +
                                   "\nもう一度保存すると上書きします。");
  EXPECT_EQ(ReadBytes(path), "mine first and theirs");
  EXPECT_TRUE(page.Modified());

  EXPECT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes(path), "mine more first");
}

// A file-size limit makes writes fail with EFBIG, as a full disk does, even for root.
TEST_F(DocumentsTest, AFailedWriteLeavesTheOldFileAsItWas) {
  const std::string path = MakeFile("full.txt", "old content");
  Page& page = Open(path);
  Memory(page).SetText(std::string(200000, 'n'));
  page.SetModified(true);
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const SaveResult result = docs->SavePage(page);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, SaveFailed);
  EXPECT_EQ(ui.LastBox().text, "ﾌｧｲﾙ保存処理中にｴﾗｰ発生\nﾌｧｲﾙｻｲｽﾞが大き過ぎます\n" + path);
  EXPECT_EQ(ReadBytes(path), "old content");
  EXPECT_TRUE(page.Modified());
  // No temporary file is left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(DocumentsTest, ReloadTakesTheFileAndDropsTheHistory) {
  const std::string path = MakeFile("re.txt", "first");
  Page& page = Open(path);
  Keys(page, "edit ");
  MakeFile("re.txt", "second\n");
  settings->File.RecentFiles.clear();
  EXPECT_TRUE(docs->ReloadPage(page));
  EXPECT_EQ(Memory(page).Buffer(), "second\r\n");
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(settings->File.RecentFiles, std::vector<std::string>{path});
  EXPECT_GE(ui.ProcessEventsCount(), 1u);
  // Typing afterwards is captured again.
  Keys(page, "x");
  EXPECT_EQ(log->RecordCount(), 1u);
  fs::remove(path);
  EXPECT_FALSE(docs->ReloadPage(page));
  EXPECT_EQ(Memory(page).Buffer(), "xsecond\r\n");
}

TEST_F(DocumentsTest, RenameAndActivationKeepTheListAndTitleInStep) {
  Page& a = NewPage("|");
  Page& b = NewPage("|");
  docs->RenamePage(a, "/tmp/renamed.txt");
  EXPECT_EQ(docs->List().At(1).text, "/tmp/renamed.txt");
  EXPECT_EQ(a.DisplayName(), "renamed.txt");
  EXPECT_EQ(host.title, "無題2");  // not active: the title stays
  // A click into the inactive Page activates it first and ends the typing run there.
  Keys(b, "ab");
  Memory(a).ClickAt(0);
  EXPECT_EQ(docs->ActivePage(), &a);
  EXPECT_EQ(log->CurrentPage(), &a);
  EXPECT_EQ(docs->List().SelectedPage(), &a);
  EXPECT_EQ(host.title, "renamed.txt");
  EXPECT_EQ(host.calls.back(), "activated renamed.txt");
  EXPECT_EQ(host.redraw.substr(host.redraw.size() - 2), "-+");
  docs->RenamePage(a, "/tmp/again.txt");
  EXPECT_EQ(host.title, "again.txt");
  EXPECT_EQ(docs->WindowOrder(), (std::vector<Page*>{&a, &b}));
}

TEST_F(DocumentsTest, OpenCommandOpensEveryChosenFile) {
  settings->File.CurrentDir = "/start/";
  const std::string one = MakeFile("in/one.txt", "1");
  const std::string two = MakeFile("in/two.txt", "2");
  ui.QueueDialogFiles({one, two});
  docs->OpenCommand();
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_FALSE(ui.Dialogs()[0].save);
  EXPECT_TRUE(ui.Dialogs()[0].request.multiSelect);
  EXPECT_EQ(ui.Dialogs()[0].request.initialFolder, "/start/");
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{two, one}));
  EXPECT_EQ(settings->File.CurrentDir, (dir / "in").string() + "/");
  EXPECT_EQ(host.redraw, "-+");
  docs->NewCommand();
  EXPECT_EQ(docs->ActivePage()->DisplayName(), "無題1");
}

TEST_F(DocumentsTest, PagesGoingWhileTheWindowIsHiddenLeaveTheStatusAlone) {
  Page& a = NewPage("|");
  Keys(a, "abc");
  docs->SetMainWindowVisible(false);
  docs->DestroyPage(a);
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(log->CurrentPage(), nullptr);
  EXPECT_TRUE(docs->List().Empty());
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "empty status"), 0);
}

}  // namespace
}  // namespace norra::testing
