// The write journal: records that survive only whole, writers killed part-way whose plans the
// next start finishes, and running writers whose records no one else touches.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/AtomicWriteBatch.h"
#include "text/FileIo.h"
#include "text/ReplacementFile.h"
#include "text/WriteJournal.h"

namespace norra {
namespace {

namespace fs = std::filesystem;
using Kind = JournalStep::Kind;

class WriteJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("norra_journal_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "work");
    for (const char* name : {"XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value != nullptr ? value : "");
    }
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value.empty()) {
        ::unsetenv(name.c_str());
      } else {
        ::setenv(name.c_str(), value.c_str(), 1);
      }
    }
    fs::remove_all(root_);
  }

  std::string Path(const std::string& name) const { return (root_ / "work" / name).string(); }
  static void Put(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The names in a folder under the root (none when it does not exist).
  std::vector<std::string> Entries(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(root_ / folder, ignored))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::vector<JournalFinding::Kind> Kinds(const std::vector<JournalFinding>& findings) {
    std::vector<JournalFinding::Kind> kinds;
    for (const JournalFinding& f : findings) kinds.push_back(f.kind);
    return kinds;
  }

  // Runs `work` in a child that stops at a size limit of `limit` bytes per file written from
  // the moment `work` calls the function it is given: the write under way is cut off part-way,
  // as by a kill, and the child ends by SIGXFSZ.
  template <typename Work>
  static void KilledPartWay(rlim_t limit, Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
      struct rlimit noCore {};
      ::setrlimit(RLIMIT_CORE, &noCore);
      work([limit] {
        struct rlimit small {};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &small);
      });
      ::_exit(0);  // not reached when the limit cut the write off
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
  }

  fs::path root_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(WriteJournalTest, RecordsComeBackWholeAndADamagedOneIsNeverTakenForOne) {
  JournalRecord record;
  record.owner = {4242, 987654321, "8c1e5a8e-0000-4000-8000-000000000001"};
  record.folders = {"/w/a b/", "/w/line\nbreak%/"};
  JournalStep rename{Kind::Rename, "/w/.a.norra-1-x.tmp", "/w/a b/é.txt", "", 12, true,
                     {1, 2, 12, 1700000000123456789}};
  JournalStep created{Kind::Rename, "/w/.n.norra-1-x.tmp", "/w/new", "", 0, false, {}};
  JournalStep inPlace{Kind::InPlace, "/c/.h.norra-1-y.tmp", "/w/h", "", 300, true, {5, 6, 9, 7}};
  JournalStep restore{Kind::Restore, "/c/h.norra-backup-1-y", "/w/h", "/c/.h.norra-1-y.tmp", 9,
                      true, {5, 6, -1, 0}};
  JournalStep remove{Kind::Remove, "", "/w/old name", "", -1, true, {1, 3, 4, 5}};
  record.steps = {rename, created, inPlace, restore, remove};
  const std::string text = FormatJournalRecord(record);
  ASSERT_EQ(ParseJournalRecord(text), record);
  // Nothing written is ever taken for a complete record unless it is one: not a part of one,
  // not one with a byte changed, not some other file.
  for (std::size_t size = 0; size < text.size(); ++size)
    EXPECT_EQ(ParseJournalRecord(text.substr(0, size)), std::nullopt) << "cut at " << size;
  for (std::size_t at = 0; at < text.size(); ++at) {
    std::string altered = text;
    altered[at] = static_cast<char>(altered[at] ^ 0x01);
    EXPECT_EQ(ParseJournalRecord(altered), std::nullopt) << "changed at " << at;
  }
  for (const char* other : {"", "\n", "garbage", "norra-write-journal 1\n",
                            "norra-write-journal 1\nend 0000000000000000\n",
                            "norra-write-journal 2\nowner 1 0 -\nend cbf29ce484222325\n"})
    EXPECT_EQ(ParseJournalRecord(other), std::nullopt) << other;
}

TEST_F(WriteJournalTest, ARunningWritersRecordIsLeftAloneAndAKilledOnesSwapIsFinished) {
  // Two files swap their texts: the writer puts the first in place and then waits, holding
  // the second text only in its temporary.
  Put(Path("f00"), "text A");
  Put(Path("f01"), "text B");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t writer = ::fork();
  if (writer == 0) {
    AtomicWriteBatch batch;
    ReplacementFile first, second;
    bool ok = first.Open(Path("f00")) == FileError::None && first.Write("text B") == FileError::None &&
              first.Finish(true) == FileError::None && second.Open(Path("f01")) == FileError::None &&
              second.Write("text A") == FileError::None && second.Finish(true) == FileError::None;
    JournalRecord plan;
    plan.folders = {Path("")};
    plan.steps = {{Kind::Rename, first.Temporary(), first.Target(), "", 6, true, {}},
                  {Kind::Rename, second.Temporary(), second.Target(), "", 6, true, {}}};
    for (JournalStep& step : plan.steps) {
      struct stat info {};
      ok = ok && ::stat(step.target.c_str(), &info) == 0;
      step.state = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                    static_cast<std::int64_t>(info.st_size),
                    static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    }
    WriteJournal journal;
    ok = ok && journal.Record(plan) == FileError::None && first.Replace(nullptr, true) == FileError::None;
    const char signal = ok ? 'r' : 'f';
    if (::write(ready[1], &signal, 1) != 1) ::_exit(2);
    ::pause();
    ::_exit(0);
  }
  ::close(ready[1]);
  char signal = 0;
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(signal, 'r');
  ASSERT_EQ(Entries("state/norra").size(), 1u);

  // Another program starting now finishes nothing of a writer that still runs.
  EXPECT_TRUE(FinishInterruptedWrites().empty());
  EXPECT_EQ(Entries("state/norra").size(), 1u);
  EXPECT_EQ(Get(Path("f00")), "text B");
  EXPECT_EQ(Get(Path("f01")), "text B");

  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  const std::vector<JournalFinding> findings = FinishInterruptedWrites();
  EXPECT_EQ(Kinds(findings), std::vector<JournalFinding::Kind>{JournalFinding::Kind::RolledForward});
  EXPECT_EQ(Get(Path("f00")), "text B");
  EXPECT_EQ(Get(Path("f01")), "text A");
  EXPECT_EQ(Entries("work"), (std::vector<std::string>{"f00", "f01"}));
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{});
  EXPECT_TRUE(FinishInterruptedWrites().empty());
}

TEST_F(WriteJournalTest, AReusedProcessIdOrAnotherBootDoesNotKeepARecordAlive) {
  // The parent of this process runs; records name it as it is, as a process that started at
  // another time (its id taken since), and as it was in another boot.
  const JournalOwner parent = JournalOwnerOf(::getppid());
  ASSERT_NE(parent.started, 0u);
  struct Case {
    const char* name;
    JournalOwner owner;
  };
  const Case cases[] = {
      {"write-1-live.journal", parent},
      {"write-2-reused.journal", {parent.pid, parent.started + 1, parent.boot}},
      {"write-3-boot.journal", {parent.pid, parent.started, "00000000-0000-4000-8000-000000000000"}}};
  fs::create_directories(root_ / "state" / "norra");
  for (const Case& c : cases) {
    JournalRecord record;
    record.owner = c.owner;
    EXPECT_EQ(JournalOwnerRuns(c.owner), c.owner == parent) << c.name;
    std::ofstream((root_ / "state" / "norra" / c.name).string()) << FormatJournalRecord(record);
  }
  EXPECT_TRUE(FinishInterruptedWrites().empty());
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{"write-1-live.journal"});
}

TEST_F(WriteJournalTest, AnUnreadableRecordIsNamedOnceAndSetAside) {
  fs::create_directories(root_ / "state" / "norra");
  const std::string path = (root_ / "state" / "norra" / "write-77-garbage.journal").string();
  JournalRecord record;
  record.owner = {77, 0, ""};
  record.steps = {{Kind::Remove, "", Path("keep"), "", -1, false, {}}};
  const std::string text = FormatJournalRecord(record);
  Put(path, text.substr(0, text.size() / 2));  // cut short
  const std::vector<JournalFinding> findings = FinishInterruptedWrites();
  ASSERT_EQ(Kinds(findings), std::vector<JournalFinding::Kind>{JournalFinding::Kind::Unreadable});
  EXPECT_EQ(findings[0].file, path + ".unreadable");
  EXPECT_NE(JournalFindingsText(findings).find(path + ".unreadable"), std::string::npos);
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{"write-77-garbage.journal.unreadable"});
  EXPECT_TRUE(FinishInterruptedWrites().empty());
}

TEST_F(WriteJournalTest, HardLinkedFileKilledPartWayThroughItsInPlaceWriteGetsItsOldBytesBack) {
  const std::string old(2000, 'o');
  const std::string fresh(100000, 'n');
  Put(Path("a.txt"), old);
  fs::create_hard_link(Path("a.txt"), Path("b.txt"));
  KilledPartWay(4096, [&](auto limitWrites) {
    ReplacementFile file;
    if (file.Open(Path("a.txt")) != FileError::None || !file.WritesInPlace() ||
        file.Write(fresh) != FileError::None || file.Finish(true) != FileError::None)
      ::_exit(3);
    limitWrites();  // the backup of 2000 bytes is made; the file is cut off at 4096
    file.Replace();
  });
  ASSERT_EQ(Get(Path("a.txt")).size(), 4096u);  // half new, half old
  EXPECT_EQ(Entries("state/norra").size(), 1u);

  const std::vector<JournalFinding> findings = FinishInterruptedWrites();
  ASSERT_EQ(Kinds(findings), std::vector<JournalFinding::Kind>{JournalFinding::Kind::RolledBack});
  EXPECT_EQ(findings[0].file, Path("a.txt"));
  const std::string told = JournalFindingsText(findings);
  EXPECT_NE(told.find(Path("a.txt")), std::string::npos);
  EXPECT_NE(told.find("書込み前の内容に戻しました"), std::string::npos);
  EXPECT_EQ(Get(Path("a.txt")), old);
  EXPECT_EQ(Get(Path("b.txt")), old);
  EXPECT_EQ(fs::hard_link_count(Path("a.txt")), 2u);
  EXPECT_EQ(Entries("cache/norra"), std::vector<std::string>{});
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{});
  EXPECT_EQ(Entries("work"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(WriteJournalTest, SwapAndMoveKilledInAHardLinkedFilesWriteKeepEveryTextOnDisk) {
  // f00 (hard-linked, written in place) and f01 swap their texts; c.txt moves to a new
  // folder. The writer dies while writing f00, after f01 and the moved file are in place.
  const std::string textA(2000, 'a');
  const std::string textB(100000, 'b');
  Put(Path("f00"), textA);
  fs::create_hard_link(Path("f00"), Path("link"));
  Put(Path("f01"), textB);
  Put(Path("c.txt"), "text C");
  fs::create_directories(Path("moved"));
  KilledPartWay(4096, [&](auto limitWrites) {
    AtomicWriteBatch batch;
    for (const auto& [path, bytes] : {std::pair{Path("f01"), textA},
                                      std::pair{Path("moved/c.txt"), std::string("text C")},
                                      std::pair{Path("f00"), textB}}) {
      ReplacementFile file;
      if (file.Open(path) != FileError::None || file.Write(bytes) != FileError::None ||
          file.Finish(false) != FileError::None)
        ::_exit(3);
      batch.Add(std::move(file), FileIdentity{});
    }
    batch.RemoveAfter(Path("c.txt"));
    limitWrites();
    std::size_t done = 0;
    batch.Commit(done);
  });
  ASSERT_EQ(Get(Path("f01")), textA);
  ASSERT_EQ(Get(Path("f00")).size(), 4096u);  // text B exists only in its temporary

  const std::vector<JournalFinding> findings = FinishInterruptedWrites();
  EXPECT_EQ(Kinds(findings), std::vector<JournalFinding::Kind>{JournalFinding::Kind::RolledForward});
  EXPECT_EQ(Get(Path("f00")), textB);
  EXPECT_EQ(Get(Path("link")), textB);
  EXPECT_EQ(Get(Path("f01")), textA);
  EXPECT_EQ(Get(Path("moved/c.txt")), "text C");
  EXPECT_EQ(Entries("work"), (std::vector<std::string>{"f00", "f01", "link", "moved"}));
  EXPECT_EQ(Entries("work/moved"), std::vector<std::string>{"c.txt"});
  EXPECT_EQ(Entries("cache/norra"), std::vector<std::string>{});
  EXPECT_EQ(Entries("state/norra"), std::vector<std::string>{});
}

}  // namespace
}  // namespace norra
