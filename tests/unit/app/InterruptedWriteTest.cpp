// Start-up after a run that was killed in the middle of a write: the write is finished before any
// file is opened, and the user is told which file and why.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "AppHarness.h"
#include "text/WriteJournal.h"

namespace norra::testing {
namespace {

class InterruptedWriteTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    for (const char* name : {"XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value != nullptr ? value : "");
    }
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
  }
  void TearDown() override {
    AppTest::TearDown();
    for (const auto& [name, value] : saved_) {
      if (value.empty()) {
        ::unsetenv(name.c_str());
      } else {
        ::setenv(name.c_str(), value.c_str(), 1);
      }
    }
  }
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(InterruptedWriteTest, AnInPlaceWriteAKilledRunLeftHalfDoneIsUndoneAndToldBeforeTheFileOpens) {
  // What a writer killed while writing a.txt (hard-linked) in place leaves: the file half new,
  // its whole backup in the cache folder, and the journal record naming both.
  const pid_t writer = ::fork();
  if (writer == 0) ::_exit(0);
  ::waitpid(writer, nullptr, 0);
  const std::string tag = std::to_string(writer) + "-abcd0123";
  const std::string file = MakeFile("a.txt", "NEW NEW old text");
  fs::create_hard_link(file, root / "work" / "b.txt");
  const fs::path backup = root / "cache" / "norra" / ("a.txt.norra-backup-" + tag);
  const fs::path content = root / "cache" / "norra" / (".a.txt.norra-" + tag + ".tmp");
  WriteFile(backup, "the old text");
  WriteFile(content, "NEW NEW NEW NEW");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  JournalRecord record;
  record.owner = {writer, 0, ""};
  record.steps = {{JournalStep::Kind::Restore, backup.string(), file, content.string(), 12, true,
                   {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                    -1, 0}}};
  WriteFile(root / "state" / "norra" / ("write-" + tag + ".journal"), FormatJournalRecord(record));
  WriteCurrentSettings();

  Start({file});
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text,
            file + "\nは前回書込みの途中でNorraが終了したため、書込み前の内容に戻しました。");
  EXPECT_EQ(ui.LastBox().flags & kMbIconMask, MB_ICONWARNING);
  EXPECT_EQ(ui.LastBox().caption, "Norra");
  EXPECT_EQ(ReadFile(root / "work" / "b.txt"), "the old text");
  ASSERT_NE(Active(), nullptr);
  EXPECT_EQ(Active()->Control().Text(), "the old text");
  EXPECT_TRUE(fs::is_empty(root / "cache" / "norra"));
  EXPECT_TRUE(fs::is_empty(root / "state" / "norra"));

  // Done once: the next start has nothing to say.
  window.reset();
  ui.ClearBoxes();
  Start();
  EXPECT_TRUE(ui.Boxes().empty());
}

}  // namespace
}  // namespace norra::testing
