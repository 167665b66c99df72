// The folder and group commands of replace all, run on temporary files with the real engine.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"

namespace norra {
namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::string>;

class DiskSearchTest : public ::testing::Test {
 protected:
  DiskSearchTest() : engine_(Symbols(), ui_), search_(engine_, ui_) {}

  static const TagSymbols& Symbols() {
    static const TagSymbols symbols = [] {
      TagTable table;
      table.Build();
      return table.BuiltInSymbols();
    }();
    return symbols;
  }

  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("disk_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Compiles find and replace texts given in UTF-8, as the window does before a run.
  void Prepare(std::string_view find, std::string_view replace) {
    ASSERT_TRUE(engine_.Compile(Utf8ToCp932(find)));
    ASSERT_TRUE(engine_.CompileReplace(Utf8ToCp932(replace)));
    engine_.RunReset();
    engine_.PreFoldedText = true;
  }

  std::string Write(const std::string& rel, std::string_view bytes) {
    fs::path p = root_ / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::string Read(const std::string& rel) const {
    std::ifstream in(root_ / rel, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Sets a file's modification time far in the past, so a rewrite would show.
  void Age(const std::string& rel) {
    fs::last_write_time(root_ / rel,
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
  }
  fs::file_time_type MTime(const std::string& rel) const {
    return fs::last_write_time(root_ / rel);
  }

  DiskSearchRequest Folder(bool sub, std::vector<std::string> masks = {"*"}) const {
    DiskSearchRequest r;
    r.folderText = root_.string();
    r.subFolders = sub;
    r.fileMasks = std::move(masks);
    return r;
  }
  DiskSearchRequest Group(const std::string& groupPath,
                          std::vector<std::string> masks = {"*"}) const {
    DiskSearchRequest r;
    r.groupPath = groupPath;
    r.fileMasks = std::move(masks);
    return r;
  }

  MemoryUi ui_;
  SearchEngine engine_;
  DiskSearch search_;
  fs::path root_;
};

// Names of temporary files left anywhere under the root.
std::vector<std::string> LeftoverTemporaries(const fs::path& root) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().filename().string().find(".norra-") != std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

TEST(DiskSearchFolderTest, FolderGainsOneTrailingSeparator) {
  EXPECT_EQ(DiskSearch::FolderOf("/home/u/docs"), "/home/u/docs/");
  EXPECT_EQ(DiskSearch::FolderOf("/home/u/docs/"), "/home/u/docs/");
  EXPECT_EQ(DiskSearch::FolderOf("/"), "/");
  EXPECT_EQ(DiskSearch::FolderOf("rel"), "rel/");
  EXPECT_EQ(DiskSearch::FolderOf(""), "");
}

TEST_F(DiskSearchTest, MissingFolderIsRefusedWithAWarning) {
  Prepare("a", "b");
  for (std::string text : {root_.string() + "/none", std::string(), Write("file.txt", "a")}) {
    ui_.ClearBoxes();
    DiskSearchRequest r = Folder(true);
    r.folderText = text;
    EXPECT_EQ(search_.RunFolder(r).end, DiskSearchEnd::Refused) << text;
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNoFolder);
    EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionFolder);
    EXPECT_EQ(ui_.LastBox().flags & kMbIconMask, MB_ICONWARNING);
  }
  EXPECT_EQ(Read("file.txt"), "a");
}

TEST_F(DiskSearchTest, RootFolderIsAFolder) {
  Prepare("a", "b");
  DiskSearchRequest r = Folder(false, {"NORRA-NO-SUCH-FILE-*.NONE"});
  r.folderText = "/";
  EXPECT_EQ(search_.RunFolder(r).end, DiskSearchEnd::NoFiles);
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNoFiles);
  EXPECT_EQ(ui_.LastBox().flags & kMbIconMask, MB_ICONINFORMATION);
}

TEST_F(DiskSearchTest, FolderCommandRewritesOnlyChangedFiles) {
  Prepare("abc", "X");
  Write("1.txt", "abc abc\r\nABC\r\n");  // case-folded: three matches
  Write("2.txt", "nothing here\n");
  Write("sub/3.txt", "abc");
  Age("2.txt");
  const auto oldTime = MTime("2.txt");
  engine_.FindCount = 7;  // counters start from zero for the run

  DiskSearchResult r = search_.RunFolder(Folder(false, {"*.TXT"}));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 3);
  EXPECT_EQ(r.filesVisited, 2);
  EXPECT_EQ(r.filesChanged, 1);
  EXPECT_EQ(Read("1.txt"), "X X\r\nX\r\n");
  EXPECT_EQ(Read("2.txt"), "nothing here\n");
  EXPECT_EQ(MTime("2.txt"), oldTime);   // not written at all
  EXPECT_EQ(Read("sub/3.txt"), "abc");  // sub-folders were not asked for
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, "置換終了しました。\n(現在の条件での置換数 : 3)");
  EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionFolder);
  EXPECT_EQ(ui_.LastBox().flags & kMbIconMask, MB_ICONINFORMATION);
  EXPECT_EQ(engine_.ReplaceCount, 0);  // run reset at the end
  EXPECT_EQ(engine_.FindCount, 0);
}

TEST_F(DiskSearchTest, SubFoldersComeAfterTheFolderOwnFiles) {
  // [rcount] numbers the replacements, so the numbers show the order files were visited in.
  Prepare("#", "[rcount]");
  Write("b/1.txt", "#");
  Write("z.txt", "#");
  Write("a/deep/2.txt", "#");
  Write("a/1.txt", "#");
  Write("m.txt", "#");
  DiskSearchResult r = search_.RunFolder(Folder(true));
  EXPECT_EQ(r.replaceCount, 5);
  EXPECT_EQ(Read("m.txt"), "1\r\n");
  EXPECT_EQ(Read("z.txt"), "2\r\n");
  EXPECT_EQ(Read("a/1.txt"), "3\r\n");
  EXPECT_EQ(Read("a/deep/2.txt"), "4\r\n");
  EXPECT_EQ(Read("b/1.txt"), "5\r\n");
}

TEST_F(DiskSearchTest, AFileMatchingTwoMasksIsReplacedOnce) {
  Prepare("x", "xx");
  Write("a.txt", "x");
  DiskSearchResult r = search_.RunFolder(Folder(false, {"*", "*.TXT", "A.TXT"}));
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(Read("a.txt"), "xx\r\n");
}

TEST_F(DiskSearchTest, RewrittenLinesEndLikeTheFile) {
  Prepare("b", "B");
  Write("crlf.txt", "a\r\nb\r\n");
  Write("nofinal.txt", "ab");
  Write("lf.txt", "a\nb\nc");
  Write("mixed.txt", "a\nb\r\nc\rd");
  Write("sjis.txt", "\x95\x5c b\n");  // 表: its second byte is "\", never a line break
  search_.RunFolder(Folder(false));
  EXPECT_EQ(Read("crlf.txt"), "a\r\nB\r\n");
  EXPECT_EQ(Read("nofinal.txt"), "aB\r\n");
  EXPECT_EQ(Read("lf.txt"), "a\nB\nc\n");
  EXPECT_EQ(Read("mixed.txt"), "a\r\nB\r\nc\r\nd\r\n");
  EXPECT_EQ(Read("sjis.txt"), "\x95\x5c B\n");
}

TEST_F(DiskSearchTest, ReplacementTextIsSplitIntoLinesAgain) {
  // A replacement holding line breaks ends up with the file's own break after every line.
  Prepare("b", "1\r\n2");
  Write("lf.txt", "a\nb\n");
  search_.RunFolder(Folder(false));
  EXPECT_EQ(Read("lf.txt"), "a\n1\n2\n");
}

TEST_F(DiskSearchTest, NoMatchAnywhere) {
  Prepare("zzz", "y");
  Write("a.txt", "abc");
  Age("a.txt");
  const auto oldTime = MTime("a.txt");
  DiskSearchResult r = search_.RunFolder(Folder(true));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 0);
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNotFound);
  EXPECT_EQ(MTime("a.txt"), oldTime);
}

TEST_F(DiskSearchTest, EmptyFolderSaysNoFiles) {
  Prepare("a", "b");
  Write("x.log", "a");
  DiskSearchResult r = search_.RunFolder(Folder(true, {"*.TXT"}));
  EXPECT_EQ(r.end, DiskSearchEnd::NoFiles);
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNoFiles);
  EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionFolder);
}

TEST_F(DiskSearchTest, DryRunCountsAndWritesNothing) {
  Prepare("a", "b");
  Write("1.txt", "aaa\n");
  DiskSearchRequest r = Folder(false);
  r.dryRun = true;
  DiskSearchResult result = search_.RunFolder(r);
  EXPECT_EQ(result.replaceCount, 3);
  EXPECT_EQ(result.filesChanged, 1);
  EXPECT_EQ(Read("1.txt"), "aaa\n");
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::DoneMessage(3));
}

TEST_F(DiskSearchTest, UnreadableFileEndsTheRunQuietly) {
  Prepare("a", "b");
  std::string first = Write("1.txt", "a");
  std::string third = Write("3.txt", "a");
  // The second file vanished between listing and reading.
  DiskSearchResult r = search_.RunFiles({first, (root_ / "2.txt").string(), third}, false,
                                        DiskSearch::kCaptionFolder);
  EXPECT_EQ(r.end, DiskSearchEnd::Stopped);
  EXPECT_EQ(r.stoppedAt, (root_ / "2.txt").string());
  EXPECT_FALSE(r.stopReason.empty());
  EXPECT_EQ(Read("1.txt"), "b\r\n");   // files before it stay rewritten
  EXPECT_EQ(Read("3.txt"), "a");       // later files are not touched
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
  EXPECT_TRUE(ui_.Boxes().empty());    // no message
  EXPECT_EQ(engine_.ReplaceCount, 1);  // and no run reset
}

TEST_F(DiskSearchTest, UnwritableFileEndsTheRunAndStaysIntact) {
  // A readable file in a folder where no temporary file can be made: the kernel's own
  // /proc/self/comm holds this program's name. (Permission bits would not stop root.)
  std::ifstream comm("/proc/self/comm");
  std::string name;
  if (!std::getline(comm, name) || name.find('i') == std::string::npos)
    GTEST_SKIP() << "needs a readable /proc/self/comm holding an \"i\"";
  Prepare("i", "I");
  std::string first = Write("1.txt", "i");
  std::string third = Write("3.txt", "i");
  DiskSearchResult r = search_.RunFiles({first, "/proc/self/comm", third}, false, "c");
  EXPECT_EQ(r.end, DiskSearchEnd::Stopped);
  EXPECT_EQ(r.stoppedAt, "/proc/self/comm");
  EXPECT_EQ(Read("1.txt"), "I\r\n");
  EXPECT_EQ(Read("3.txt"), "i");
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
  EXPECT_EQ(r.replaceCount, 1);  // the unwritten file's replacements are not counted
  EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(DiskSearchTest, EngineAbortEndsTheRunQuietly) {
  // No compiled pattern: the engine says so itself and abandons the run.
  Write("1.txt", "a");
  DiskSearchResult r = search_.RunFolder(Folder(false));
  EXPECT_EQ(r.end, DiskSearchEnd::Stopped);
  EXPECT_EQ(Read("1.txt"), "a");
  for (const MessageBoxRecord& box : ui_.Boxes()) EXPECT_NE(box.text, DiskSearch::kNotFound);
}

TEST_F(DiskSearchTest, GroupRefusals) {
  Prepare("a", "b");
  EXPECT_EQ(search_.RunGroup(Group((root_ / "none.tgp").string())).end, DiskSearchEnd::Refused);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNoGroup);
  EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionGroup);
  EXPECT_EQ(ui_.LastBox().flags & kMbIconMask, MB_ICONWARNING);
  EXPECT_EQ(search_.RunGroup(Group(root_.string())).end, DiskSearchEnd::Refused);  // a folder
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNoGroup);

  std::string empty = Write("empty.tgp", "\r\n\r\n");
  EXPECT_EQ(search_.RunGroup(Group(empty)).end, DiskSearchEnd::Refused);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kEmptyGroup);
  EXPECT_EQ(ui_.LastBox().flags & kMbIconMask, MB_ICONWARNING);
}

TEST_F(DiskSearchTest, GroupVisitsEachMemberFileOnce) {
  Prepare("x", "xx");
  std::string a = Write("a.txt", "x");
  std::string b = Write("dir/b.TXT", "x");
  std::string upper = (root_ / "A.txt").string();         // no such file on a case-aware system
  std::string dotted = (root_ / "." / "a.txt").string();  // the same file spelt differently
  std::string group = Write("g.tgp", a + "\r\n" + upper + "\r\n" + b + "\n\n" + dotted + "\r\n" +
                                         (root_ / "gone.txt").string() + "\r\n");
  DiskSearchResult r = search_.RunGroup(Group(group));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 2);
  EXPECT_EQ(Read("a.txt"), "xx\r\n");
  EXPECT_EQ(Read("dir/b.TXT"), "xx\r\n");
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::DoneMessage(2));
  EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionGroup);
}

TEST_F(DiskSearchTest, GroupMasksMatchTheWholeMemberPath) {
  Prepare("x", "y");
  std::string a = Write("a.txt", "x");
  std::string b = Write("b.log", "x");
  std::string group = Write("g.tgp", a + "\r\n" + b + "\r\n");
  Files files;
  // "*.TXT" accepts a lower-case ".txt" member; a bare name matches no full path.
  ASSERT_EQ(search_.CollectGroupFiles(Group(group, {"*.TXT"}), files), DiskSearchEnd::Completed);
  EXPECT_EQ(files, Files{a});
  ASSERT_EQ(search_.CollectGroupFiles(Group(group, {"A.TXT"}), files), DiskSearchEnd::Completed);
  EXPECT_TRUE(files.empty());
  std::string wholePath = Utf8ToCp932(a);
  for (char& c : wholePath) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_EQ(search_.CollectGroupFiles(Group(group, {wholePath}), files), DiskSearchEnd::Completed);
  EXPECT_EQ(files, Files{a});
  // Nothing accepted: the run still ends with its message.
  DiskSearchResult r = search_.RunGroup(Group(group, {"*.MD"}));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::kNotFound);
  EXPECT_EQ(Read("a.txt"), "x");
}

TEST_F(DiskSearchTest, ReplaceInFileCanHandTheTextBack) {
  Prepare("b", "B");
  Write("lf.txt", "a\nb");
  Write("same.txt", "a\nc");
  std::string out;
  EXPECT_EQ(search_.ReplaceInFile((root_ / "lf.txt").string(), false, &out), FileOutcome::Replaced);
  EXPECT_EQ(out, "a\nB\n");
  EXPECT_EQ(Read("lf.txt"), "a\nb");  // nothing written
  EXPECT_EQ(search_.ReplaceInFile((root_ / "same.txt").string(), false, &out),
            FileOutcome::Unchanged);
  EXPECT_EQ(out, "a\nc");  // the file's own bytes when nothing was replaced

  // Handed on in pieces; an output that refuses them makes a failure of it.
  out.clear();
  auto collect = [&out](std::string_view piece) {
    out.append(piece);
    return true;
  };
  EXPECT_EQ(search_.ReplaceInFileTo((root_ / "lf.txt").string(), collect), FileOutcome::Replaced);
  EXPECT_EQ(out, "a\nB\n");
  const std::int64_t count = engine_.ReplaceCount;
  auto refuse = [](std::string_view) { return false; };
  EXPECT_EQ(search_.ReplaceInFileTo((root_ / "lf.txt").string(), refuse),
            FileOutcome::WriteFailed);
  EXPECT_EQ(search_.ReplaceInFileTo((root_ / "same.txt").string(), refuse),
            FileOutcome::WriteFailed);
  EXPECT_EQ(engine_.ReplaceCount, count);
  EXPECT_EQ(Read("lf.txt"), "a\nb");
}

TEST_F(DiskSearchTest, ANewTextOfNoBytesEmptiesTheFile) {
  Prepare("abc\r\n", "");
  Write("a.txt", "abc\r\n");
  Write("b.txt", "abc");  // read as one line ended by CR LF
  DiskSearchResult r = search_.RunFolder(Folder(false));
  EXPECT_EQ(r.replaceCount, 2);
  EXPECT_EQ(r.filesChanged, 2);
  EXPECT_TRUE(fs::exists(root_ / "a.txt"));
  EXPECT_EQ(Read("a.txt"), "");
  EXPECT_EQ(Read("b.txt"), "");
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
}

TEST_F(DiskSearchTest, ManyRewrittenFilesAllTakeTheirNewContent) {
  // More rewritten files than are flushed one by one.
  Prepare("x", "[rcount]");
  for (int i = 0; i < 40; ++i) Write("d" + std::to_string(i % 3) + "/" + std::to_string(100 + i) + ".txt", i % 4 ? "x" : "y");
  DiskSearchResult r = search_.RunFolder(Folder(true));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 30);
  EXPECT_EQ(r.filesChanged, 30);
  int seen = 0;
  for (int i = 0; i < 40; ++i) {
    const std::string text = Read("d" + std::to_string(i % 3) + "/" + std::to_string(100 + i) + ".txt");
    if (i % 4 == 0) {
      EXPECT_EQ(text, "y");  // no match: not written
    } else {
      EXPECT_NE(text.find("\r\n"), std::string::npos) << text;
      ++seen;
    }
  }
  EXPECT_EQ(seen, 30);
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
}

TEST_F(DiskSearchTest, AFileReachedTwiceSeesItsFirstRewrite) {
  // A link to a file is listed as a file of its own: its turn comes after the file itself was
  // rewritten, and it works on the rewritten content.
  Prepare("x", "xx");
  Write("a.txt", "x");
  fs::create_symlink(root_ / "a.txt", root_ / "link.txt");
  DiskSearchResult r = search_.RunFolder(Folder(false));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 3);
  EXPECT_EQ(Read("a.txt"), "xxxx\r\n");
  EXPECT_TRUE(fs::is_symlink(root_ / "link.txt"));
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
}

TEST_F(DiskSearchTest, AFileThatCannotTakeItsNewContentEndsTheRunThere) {
  Prepare("a", "b");
  std::string first = Write("1.txt", "a");
  std::string second = Write("2.txt", "aa");
  std::string third = Write("3.txt", "a");
  // Once the second file waits for its new content, its temporary file is swapped for a
  // folder of that name, which no rename can put over a file.
  int calls = 0;
  std::string swapped;
  ui_.SetOnProcessEvents([&] {
    if (++calls != 2) return;
    for (const std::string& name : LeftoverTemporaries(root_)) {
      if (name.find("/.2.txt.") == std::string::npos) continue;
      swapped = name;
      fs::remove(name);
      fs::create_directory(name);
    }
  });
  DiskSearchResult r = search_.RunFiles({first, second, third}, false, "c");
  EXPECT_EQ(r.end, DiskSearchEnd::Stopped);
  EXPECT_EQ(r.stoppedAt, second);
  EXPECT_FALSE(r.stopReason.empty());
  EXPECT_EQ(r.replaceCount, 1);  // only the first file's replacement reached the disk
  EXPECT_EQ(engine_.ReplaceCount, 1);
  EXPECT_EQ(r.filesChanged, 1);
  EXPECT_EQ(Read("1.txt"), "b\r\n");
  EXPECT_EQ(Read("2.txt"), "aa");
  EXPECT_EQ(Read("3.txt"), "a");
  EXPECT_TRUE(ui_.Boxes().empty());
  EXPECT_EQ(LeftoverTemporaries(root_), std::vector<std::string>{swapped});  // the test's folder
}

}  // namespace
}  // namespace norra
