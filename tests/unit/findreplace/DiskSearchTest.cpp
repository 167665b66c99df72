// The folder and group commands of replace all, run on temporary files with the real engine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "groups/GroupFile.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"

namespace norra {
namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::string>;

class DiskSearchTest : public ::testing::Test {
 protected:
  DiskSearchTest() : engine_(Symbols()), search_(engine_, ui_) {}

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

// A chain of folders so deep that the path of its end is longer than the system takes: nobody,
// root included, can open its deepest folders by name. Made and removed through folder
// descriptors, which know no such limit.
class TooDeepChain {
 public:
  explicit TooDeepChain(const fs::path& parent) {
    fds_.push_back(::open(parent.c_str(), O_RDONLY | O_DIRECTORY));
    std::size_t length = parent.string().size();
    while (fds_.back() >= 0 && length <= PATH_MAX) {
      if (::mkdirat(fds_.back(), kName.c_str(), 0755) != 0) break;
      fds_.push_back(::openat(fds_[fds_.size() - 1], kName.c_str(), O_RDONLY | O_DIRECTORY));
      length += 1 + kName.size();
    }
    made_ = fds_.back() >= 0 && length > PATH_MAX;
  }
  ~TooDeepChain() {
    for (std::size_t i = fds_.size() - 1; i > 0; --i) {
      if (fds_[i] >= 0) ::close(fds_[i]);
      ::unlinkat(fds_[i - 1], kName.c_str(), AT_REMOVEDIR);
    }
    if (fds_[0] >= 0) ::close(fds_[0]);
  }
  bool Made() const { return made_; }

 private:
  const std::string kName = std::string(200, 'd');
  std::vector<int> fds_;
  bool made_ = false;
};

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
  EXPECT_EQ(Read("m.txt"), "1");
  EXPECT_EQ(Read("z.txt"), "2");
  EXPECT_EQ(Read("a/1.txt"), "3");
  EXPECT_EQ(Read("a/deep/2.txt"), "4");
  EXPECT_EQ(Read("b/1.txt"), "5");
}

TEST_F(DiskSearchTest, AFileMatchingTwoMasksIsReplacedOnce) {
  Prepare("x", "xx");
  Write("a.txt", "x");
  DiskSearchResult r = search_.RunFolder(Folder(false, {"*", "*.TXT", "A.TXT"}));
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(Read("a.txt"), "xx");
}

TEST_F(DiskSearchTest, AFolderReplaceOverFilesWithMixedLineBreaksChangesOnlyTheMatchedBytes) {
  Prepare("b", "B");
  Write("crlf.txt", "a\r\nb\r\n");
  Write("nofinal.txt", "ab");
  Write("lf.txt", "a\nb\nc");
  Write("cr.txt", "a\rb\r");
  Write("mixed.txt", "a\nb\r\nc\rd\n\rb");
  Write("sjis.txt", "\x95\x5c b\n");  // 表: its second byte is "\", never a line break
  search_.RunFolder(Folder(false));
  EXPECT_EQ(Read("crlf.txt"), "a\r\nB\r\n");
  EXPECT_EQ(Read("nofinal.txt"), "aB");  // a last line without a break gains none
  EXPECT_EQ(Read("lf.txt"), "a\nB\nc");
  EXPECT_EQ(Read("cr.txt"), "a\rB\r");
  EXPECT_EQ(Read("mixed.txt"), "a\nB\r\nc\rd\n\rB");
  EXPECT_EQ(Read("sjis.txt"), "\x95\x5c B\n");
}

TEST_F(DiskSearchTest, AMatchAcrossLineBreaksReplacesTheFileOwnBreaksItCovers) {
  // The engine sees CR LF after every line; what it matched is cut out of the file's own bytes
  // and the replacement goes in as the expansion made it.
  struct Case {
    std::string find, replace, file, expected;
  } cases[] = {
      {"b\r\nc", "X", "a\nb\nc\n", "a\nX\n"},
      {"b\r\nc", "X", "a\rb\rc\r", "a\rX\r"},
      {"b\r\nc", "X", "a\r\nb\nc", "a\r\nX"},
      {"b\r\n", "X", "ab", "aX"},  // the break the engine saw after a last line without one
      {"b\r\n", "X", "ab\n", "aX"},
      {"b\r\n", "X", "b\rb", "XX"},
      {"b", "1\r\n2", "a\nb\n", "a\n1\r\n2\n"},
      {"\nc", "X", "a\nc\n", "a\nX\n"},  // half of a break matched: the lone break stays
      {"\nc", "X", "a\r\nc\n", "a\rX\n"},
  };
  for (const Case& c : cases) {
    Prepare(c.find, c.replace);
    const std::string path = Write("f.txt", c.file);
    EXPECT_EQ(search_.ReplaceInFile(path, false), FileOutcome::Replaced) << c.file;
    EXPECT_EQ(Read("f.txt"), c.expected) << c.file;
  }
}

TEST_F(DiskSearchTest, BinaryFilesAreSkippedAndCountedInTheEndMessage) {
  Prepare("abc", "XYZ");
  Write("text.txt", "abc\n");
  const std::string object = std::string("x\x9c\x01\x00", 4) + "abc\r\n" + "\x00\xff\r" + "abc";
  Write(".git/objects/ab/cdef", object);
  Write("image.png", std::string("abc\0", 4));
  Age(".git/objects/ab/cdef");
  const auto oldTime = MTime(".git/objects/ab/cdef");
  DiskSearchResult r = search_.RunFolder(Folder(true));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.filesNotText, 2);
  EXPECT_EQ(Read("text.txt"), "XYZ\n");
  EXPECT_EQ(Read(".git/objects/ab/cdef"), object);
  EXPECT_EQ(MTime(".git/objects/ab/cdef"), oldTime);
  EXPECT_EQ(Read("image.png"), std::string("abc\0", 4));
  EXPECT_EQ(ui_.LastBox().text,
            "置換終了しました。\n(現在の条件での置換数 : 1)\n(ﾊﾞｲﾅﾘﾌｧｲﾙとして飛ばしたﾌｧｲﾙ数 : 2)");

  // Found nowhere else: the same line follows the not-found text.
  Prepare("abc", "XYZ");
  r = search_.RunFolder(Folder(true));
  EXPECT_EQ(ui_.LastBox().text,
            "検索文字列が見つかりません。\n(ﾊﾞｲﾅﾘﾌｧｲﾙとして飛ばしたﾌｧｲﾙ数 : 2)");

  // Asked for its new content, a binary file hands back its own bytes.
  std::string out;
  EXPECT_EQ(search_.ReplaceInFile((root_ / "image.png").string(), false, &out),
            FileOutcome::NotText);
  EXPECT_EQ(out, std::string("abc\0", 4));
}

TEST_F(DiskSearchTest, AFileNamedTwiceIsReplacedOnce) {
  Prepare("abc", "abcX");
  const std::string a = Write("a.txt", "abc");
  const std::string dotted = (root_ / "." / "a.txt").string();
  DiskSearchResult r = search_.RunFiles({a, a, dotted, a}, false, "c");
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(r.filesVisited, 1);
  EXPECT_EQ(Read("a.txt"), "abcX");
  EXPECT_EQ(DiskSearch::DistinctFiles({a, "none", dotted, "none"}),
            (Files{a, "none", "none"}));  // names of no file are kept, for the run to stop at
}

TEST_F(DiskSearchTest, AFolderReplaceSkipsLinksToFilesWhileNamedLinksAreWrittenThrough) {
  Prepare("abc", "X");
  Write("outside/secret.txt", "abc");
  Write("folder/a.txt", "abc");
  fs::create_symlink(root_ / "outside" / "secret.txt", root_ / "folder" / "out.txt");
  fs::create_symlink(root_ / "folder" / "a.txt", root_ / "folder" / "in.txt");
  DiskSearchRequest request = Folder(true);
  request.folderText = (root_ / "folder").string();
  DiskSearchResult r = search_.RunFolder(request);
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(Read("folder/a.txt"), "X");
  EXPECT_EQ(Read("outside/secret.txt"), "abc");
  EXPECT_TRUE(fs::is_symlink(root_ / "folder" / "out.txt"));

  // A link named on its own, or as a group member, leads to the file it names.
  r = search_.RunFiles({(root_ / "folder" / "out.txt").string()}, false, "c");
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(Read("outside/secret.txt"), "X");
  EXPECT_TRUE(fs::is_symlink(root_ / "folder" / "out.txt"));
  Prepare("X", "Y");
  const std::string group = Write("g.tgp", (root_ / "folder" / "out.txt").string() + "\r\n");
  r = search_.RunGroup(Group(group));
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(Read("outside/secret.txt"), "Y");
  EXPECT_TRUE(fs::is_symlink(root_ / "folder" / "out.txt"));
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
}

TEST_F(DiskSearchTest, AFileWhoseLinesEndInLoneCrIsReplacedInOnePass) {
  // 20 MB of short lines: time in step with the size, where a scan of the rest of the file
  // for every line would take many minutes.
  Prepare("zz", "Y");
  std::string text;
  text.reserve(20u << 20);
  while (text.size() < (20u << 20)) text += "line of text\r";
  text += "zz\r";
  const std::string path = Write("cr.txt", text);
  std::string out;
  EXPECT_EQ(search_.ReplaceInFile(path, false, &out), FileOutcome::Replaced);
  text.replace(text.size() - 3, 2, "Y");
  EXPECT_TRUE(out == text);  // not EXPECT_EQ: a failure would print 20 MB
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

TEST_F(DiskSearchTest, UnreadableSubFoldersAreCountedInTheEndMessage) {
  Prepare("abc", "X");
  Write("a.txt", "abc");
  Write("sub/b.txt", "abc");
  TooDeepChain chain(root_ / "sub");
  if (!chain.Made()) GTEST_SKIP() << "the file system refused a chain of long folder names";
  DiskSearchResult r = search_.RunFolder(Folder(true));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.foldersUnreadable, 1);
  EXPECT_EQ(ui_.LastBox().text,
            "置換終了しました。\n(現在の条件での置換数 : 2)\n(読めずに飛ばしたﾌｫﾙﾀﾞ数 : 1)");
  EXPECT_EQ(Read("sub/b.txt"), "X");

  // Without sub-folders the chain is not walked; with no file at all the count still shows.
  Prepare("X", "Y");
  search_.RunFolder(Folder(false));
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::DoneMessage(1));
  EXPECT_EQ(search_.RunFolder(Folder(true, {"*.MD"})).end, DiskSearchEnd::NoFiles);
  EXPECT_EQ(ui_.LastBox().text, "検索するﾌｧｲﾙが0個です\n(読めずに飛ばしたﾌｫﾙﾀﾞ数 : 1)");
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
  EXPECT_EQ(Read("1.txt"), "b");  // files before it stay rewritten
  EXPECT_EQ(Read("3.txt"), "a");  // later files are not touched
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
  EXPECT_EQ(Read("1.txt"), "I");
  EXPECT_EQ(Read("3.txt"), "i");
  EXPECT_TRUE(LeftoverTemporaries(root_).empty());
  EXPECT_EQ(r.replaceCount, 1);  // the unwritten file's replacements are not counted
  EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(DiskSearchTest, EngineAbortEndsTheRunQuietly) {
  // No compiled pattern: the engine abandons the run, and its reason is all the user hears.
  Write("1.txt", "a");
  DiskSearchResult r = search_.RunFolder(Folder(false));
  EXPECT_EQ(r.end, DiskSearchEnd::Stopped);
  EXPECT_EQ(Read("1.txt"), "a");
  ASSERT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(ui_.LastBox().text, "検索する文が0文字です。");
  EXPECT_EQ(ui_.LastBox().caption, "Norra");
  EXPECT_EQ(ui_.LastBox().flags, MB_OK | MB_ICONERROR);
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
  EXPECT_EQ(Read("a.txt"), "xx");
  EXPECT_EQ(Read("dir/b.TXT"), "xx");
  EXPECT_EQ(ui_.LastBox().text, DiskSearch::DoneMessage(2));
  EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionGroup);
}

TEST_F(DiskSearchTest, AGroupMemberWithANulOrControlByteIsNeverOpened) {
  Prepare("x", "y");
  const std::string secret = Write("secret.conf", "x");
  const std::string odd = Write("odd\x01.txt", "x");
  const std::string plain = Write("plain.txt", "x");
  // "secret.conf" NUL ".txt" passes the mask by its whole line; the system would open the
  // line up to its NUL. Such a file is no member list at all.
  const std::string nul = Write("nul.tgp", secret + std::string("\0.txt\r\n", 7) + plain + "\r\n");
  Files files{"stale"};
  EXPECT_EQ(search_.CollectGroupFiles(Group(nul, {"*.TXT"}), files), DiskSearchEnd::Refused);
  EXPECT_TRUE(files.empty());
  EXPECT_EQ(ui_.LastBox().text, GroupFile::NotMemberListMessage(nul));
  EXPECT_EQ(ui_.LastBox().caption, DiskSearch::kCaptionGroup);
  EXPECT_EQ(search_.RunGroup(Group(nul, {"*.TXT"})).end, DiskSearchEnd::Refused);
  // Any other control character but TAB: that line is passed over, the others are visited.
  const std::string control = Write("control.tgp", odd + "\r\n" + plain + "\r\n");
  ASSERT_EQ(search_.CollectGroupFiles(Group(control, {"*.TXT"}), files), DiskSearchEnd::Completed);
  EXPECT_EQ(files, Files{plain});
  EXPECT_EQ(search_.RunGroup(Group(control, {"*.TXT"})).replaceCount, 1);
  EXPECT_EQ(Read("secret.conf"), "x");
  EXPECT_EQ(Read("odd\x01.txt"), "x");
  EXPECT_EQ(Read("plain.txt"), "y");
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
  EXPECT_EQ(out, "a\nB");
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
  EXPECT_EQ(out, "a\nB");
  const std::int64_t count = engine_.ReplaceCount;
  auto refuse = [](std::string_view) { return false; };
  EXPECT_EQ(search_.ReplaceInFileTo((root_ / "lf.txt").string(), refuse), FileOutcome::WriteFailed);
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
  for (int i = 0; i < 40; ++i)
    Write("d" + std::to_string(i % 3) + "/" + std::to_string(100 + i) + ".txt", i % 4 ? "x" : "y");
  DiskSearchResult r = search_.RunFolder(Folder(true));
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 30);
  EXPECT_EQ(r.filesChanged, 30);
  int seen = 0;
  for (int i = 0; i < 40; ++i) {
    const std::string text =
        Read("d" + std::to_string(i % 3) + "/" + std::to_string(100 + i) + ".txt");
    if (i % 4 == 0) {
      EXPECT_EQ(text, "y");  // no match: not written
    } else {
      EXPECT_NE(text, "x") << text;
      ++seen;
    }
  }
  EXPECT_EQ(seen, 30);
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
  EXPECT_EQ(Read("1.txt"), "b");
  EXPECT_EQ(Read("2.txt"), "aa");
  EXPECT_EQ(Read("3.txt"), "a");
  EXPECT_TRUE(ui_.Boxes().empty());
  EXPECT_EQ(LeftoverTemporaries(root_), std::vector<std::string>{swapped});  // the test's folder
}

}  // namespace
}  // namespace norra
