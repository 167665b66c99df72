// The disk-replace journal: entries survive only whole, old content comes back from the new
// one and the spans, fingerprints do not depend on how content is cut, the folder stays within
// its bounds, and the undo gives back only files still as the replace left them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "text/ReplaceJournal.h"
#include "text/ReplaceUndo.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

JournalFile Entry(const std::string& path, std::string oldBytes) {
  JournalFile file;
  file.path = path;
  file.identity = {7, 42, 100, 123456789};
  file.oldPrint = PrintOf("old");
  file.newPrint = PrintOf("new");
  file.spans = {{3, std::move(oldBytes), 2}, {10, "", 0}};
  return file;
}

TEST(ReplaceJournalTest, RecordsReadBackAndACutLastEntryIsDropped) {
  // Names and old bytes of any kind: spaces, breaks, percent signs, NUL and CP932 bytes.
  const JournalFile a = Entry("/tmp/a b%c\nd", std::string("x\0\n\x82\xa0", 5));
  const JournalFile b = Entry("/tmp/\x93\xfa.txt", "end\r\n");
  const std::string text =
      FormatJournalHeader(1700000000, "norra-replace a b /tmp 桜") + FormatJournalFile(0, a) +
      FormatJournalFile(1, b) + FormatJournalLeft(1) + FormatJournalFile(5, b);
  const auto whole = ParseReplaceJournal(text);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->time, 1700000000);
  EXPECT_EQ(whole->description, "norra-replace a b /tmp 桜");
  ASSERT_EQ(whole->files.size(), 2u);  // the file marked left is not one of the run's
  EXPECT_EQ(whole->files[0], a);
  EXPECT_EQ(whole->files[1], b);
  EXPECT_FALSE(whole->undone);
  EXPECT_TRUE(ParseReplaceJournal(text + FormatJournalUndone())->undone);

  // A writer killed while appending: every cut keeps the entries before it whole.
  const std::size_t lastStart = text.size() - FormatJournalFile(5, b).size();
  for (std::size_t cut = lastStart; cut < text.size(); ++cut) {
    const auto part = ParseReplaceJournal(text.substr(0, cut));
    ASSERT_TRUE(part) << cut;
    EXPECT_EQ(part->files.size(), 1u) << cut;
  }
  std::string altered = text;
  altered[lastStart + 20] ^= 1;
  EXPECT_EQ(ParseReplaceJournal(altered)->files.size(), 1u);
  EXPECT_FALSE(ParseReplaceJournal("not a journal\n"));
}

TEST(ReplaceJournalTest, OldContentComesBackFromTheNewContentAndTheSpans) {
  struct Case {
    std::string newContent;
    std::vector<JournalSpan> spans;
    std::optional<std::string> old;
  };
  const Case cases[] = {
      {"xBBy", {{1, "a", 2}}, "xay"},
      {"BBxBB", {{0, "a", 2}, {2, "aa", 2}}, "axaa"},
      {"xy", {{1, "abc", 0}}, "xabcy"},          // a replacement by nothing
      {"", {{0, "all", 0}}, "all"},
      {"xBB", {{1, "\r\n", 2}}, "x\r\n"},
      {"x", {{0, "a", 5}}, std::nullopt},        // longer than the file: not its journal
      {"xxxx", {{2, "a", 1}, {1, "b", 1}}, std::nullopt},  // out of order
  };
  for (const Case& c : cases) EXPECT_EQ(OldContentOf(c.newContent, c.spans), c.old) << c.newContent;
}

TEST(ReplaceJournalTest, AFingerprintDoesNotDependOnHowTheContentIsCut) {
  std::string content;
  for (int k = 0; k < 1000; ++k) content += static_cast<char>(k * 7 + k / 13);
  const ContentPrint whole = PrintOf(content);
  for (const std::size_t piece : {1u, 3u, 31u, 32u, 33u, 100u}) {
    ContentPrinter printer;
    for (std::size_t at = 0; at < content.size(); at += piece)
      printer.Add(std::string_view(content).substr(at, piece));
    EXPECT_EQ(printer.Done(), whole) << piece;
  }
  std::string other = content;
  other[500] ^= 1;
  EXPECT_NE(PrintOf(other), whole);
  EXPECT_NE(PrintOf(content + '\0'), whole);
  EXPECT_EQ(whole.size, 1000);
}

class JournalFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("norra_replacejournal_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "state");
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Folder() const { return (root_ / "state").string() + "/"; }
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // A journal of the replace of "a" by "BB" in the named files, which it rewrites.
  std::string Replace(const std::vector<std::string>& names) {
    ReplaceJournalWriter writer;
    EXPECT_EQ(writer.Begin("test", Folder()), FileError::None);
    for (std::size_t k = 0; k < names.size(); ++k) {
      const std::string old = Get(names[k]);
      JournalFile file;
      file.path = Path(names[k]);
      file.oldPrint = PrintOf(old);
      std::string changed;
      for (std::size_t i = 0; i < old.size(); ++i) {
        if (old[i] != 'a') {
          changed += old[i];
          continue;
        }
        file.spans.push_back({i, "a", 2});
        changed += "BB";
      }
      file.newPrint = PrintOf(changed);
      writer.Add(k, file);
      EXPECT_EQ(writer.Flush(), FileError::None);
      Put(names[k], changed);
    }
    writer.End();
    return writer.Path();
  }
  fs::path root_;
};

TEST_F(JournalFolderTest, TheUndoGivesBackFilesAsTheReplaceLeftThemAndNamesTheOthers) {
  Put("1.txt", "abca\r\n");
  Put("2.txt", "xa");
  Put("3.txt", "a");
  Put("4.txt", "aa");
  const std::string journal = Replace({"1.txt", "2.txt", "3.txt", "4.txt"});
  struct stat info {};
  ASSERT_EQ(::stat(journal.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(LatestUndoableJournal(Folder()), journal);
  Put("2.txt", "edited");       // changed since: left and named
  fs::remove(Path("3.txt"));    // gone: named
  const ReplaceUndoResult first = UndoDiskReplace(journal);
  EXPECT_EQ(first.restored, 2);
  EXPECT_EQ(first.leftChanged, (std::vector<std::string>{Path("2.txt"), Path("3.txt")}));
  EXPECT_FALSE(first.Complete());
  EXPECT_EQ(Get("1.txt"), "abca\r\n");
  EXPECT_EQ(Get("2.txt"), "edited");
  EXPECT_EQ(Get("4.txt"), "aa");
  // With the edit taken back by hand, a second undo finishes and marks the journal.
  Put("2.txt", "xBB");
  Put("3.txt", "a");
  const ReplaceUndoResult second = UndoDiskReplace(journal);
  EXPECT_TRUE(second.Complete());
  EXPECT_EQ(second.restored, 4);
  EXPECT_EQ(Get("2.txt"), "xa");
  EXPECT_TRUE(ReadReplaceJournal(journal)->undone);
  EXPECT_EQ(LatestUndoableJournal(Folder()), "");
  EXPECT_FALSE(UndoDiskReplace(Path("missing")).journalRead);
}

TEST_F(JournalFolderTest, OldJournalsGoBeyondTheCountOrTheSizeButNeverTheOneKept) {
  Put("f.txt", "a");
  std::vector<std::string> made;
  for (int k = 0; k < 5; ++k) {
    made.push_back(Replace({"f.txt"}));
    Put("f.txt", "a");
  }
  EXPECT_EQ(ListReplaceJournals(Folder()).size(), 5u);
  PruneReplaceJournals(Folder(), 3, UINT64_MAX);
  std::vector<JournalSummary> left = ListReplaceJournals(Folder());
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left.back().path, made.back());  // the newest stay
  EXPECT_EQ(left.front().path, made[2]);
  PruneReplaceJournals(Folder(), 10, 1, made[3]);  // by size: all but the one kept
  left = ListReplaceJournals(Folder());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left.front().path, made[3]);
  // A run that wrote nothing keeps no journal.
  ReplaceJournalWriter idle;
  ASSERT_EQ(idle.Begin("idle", Folder()), FileError::None);
  idle.Add(0, JournalFile{});
  idle.Left(0);
  idle.End();
  EXPECT_FALSE(fs::exists(idle.Path()));
}

}  // namespace
}  // namespace norra
