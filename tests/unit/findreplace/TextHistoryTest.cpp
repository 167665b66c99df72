// The find window's histories: storing and recalling, the drop-down rows and keys, and the
// file that keeps them across runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "findreplace/FindHistories.h"
#include "findreplace/HistoryDropDown.h"
#include "findreplace/TextHistory.h"
#include "platform/MemoryTextControl.h"
#include "platform/TextControl.h"
#include "text/FileIo.h"

namespace norra {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// One step of a user at the find box: "t:x" types x (the box changes), "s" runs a command
// that stores the box's text, "r:N" recalls entry N.
struct HistoryCase {
  const char* name;
  std::vector<std::string> steps;
  Texts entries;
  int cursor;
  bool pending;
};

void Play(TextHistory& history, MemoryTextControl& box, const std::vector<std::string>& steps) {
  for (const std::string& step : steps) {
    if (step.starts_with("t:")) {
      box.SetText(step.substr(2));
      history.BoxChanged();
    } else if (step == "s") {
      history.Store(box.Text());
    } else if (step.starts_with("r:")) {
      history.Recall(std::stoi(step.substr(2)), box);
    }
  }
}

TEST(TextHistoryTest, StoreAndRecallKeepEachTextOnceNewestLast) {
  const HistoryCase cases[] = {
      {"a new window stores its first text", {"s"}, {""}, 0, false},
      {"two commands without a change store once", {"t:a", "s", "s"}, {"a"}, 0, false},
      {"changed texts are appended",
       {"t:a", "s", "t:b", "s", "t:a", "s"},
       {"a", "b", "a"},
       2,
       false},
      {"a recalled entry moves to the newest place",
       {"t:a", "s", "t:b", "s", "t:c", "s", "r:0", "s"},
       {"b", "c", "a"},
       2,
       false},
      {"recalling the newest entry keeps one copy",
       {"t:a", "s", "t:b", "s", "r:1", "s"},
       {"a", "b"},
       1,
       false},
      {"a recall marks the box changed", {"t:a", "s", "t:b", "s", "r:0"}, {"a", "b"}, 0, true},
      {"a recall out of range does nothing", {"t:a", "s", "r:1", "r:-1"}, {"a"}, 0, false},
      {"a recalled entry edited before storing stays too",
       {"t:a", "s", "t:b", "s", "r:0", "t:a2", "s"},
       {"a", "b", "a2"},
       2,
       false},
  };
  for (const HistoryCase& c : cases) {
    TextHistory history;
    MemoryTextControl box;
    Play(history, box, c.steps);
    EXPECT_EQ(history.Entries(), c.entries) << c.name;
    EXPECT_EQ(history.Cursor(), c.cursor) << c.name;
    EXPECT_EQ(history.Pending(), c.pending) << c.name;
  }
}

TEST(TextHistoryTest, RecallFillsTheBoxWithAllSelected) {
  TextHistory history;
  MemoryTextControl box;
  Play(history, box, {"t:first\r\nline", "s", "t:other", "s"});
  ASSERT_TRUE(history.Recall(0, box));
  EXPECT_EQ(box.Text(), "first\r\nline");
  EXPECT_EQ(box.SelStart(), 0u);
  EXPECT_EQ(box.SelLength(), box.TextLength());
}

TEST(TextHistoryTest, ThirtyOneTextsKeepTheNewestThirty) {
  TextHistory history;
  MemoryTextControl box;
  for (int i = 0; i < 31; ++i) Play(history, box, {"t:" + std::to_string(i), "s"});
  ASSERT_EQ(history.Count(), 30);
  EXPECT_EQ(history.Entries().front(), "1");
  EXPECT_EQ(history.Entries().back(), "30");
  EXPECT_EQ(history.Cursor(), 29);
}

TEST(TextHistoryTest, RowsShowNewestFirstCutAndWithLineBreaksAsDots) {
  const std::string sjisA = "\x82\xa0";  // あ
  const struct {
    std::string entry;
    std::string row;
  } cases[] = {
      {"a\r\nb\r\nc", "a..b..c"},
      {"", ""},
      {"lone\rcr\nlf", "lone\rcr\nlf"},
      {std::string(300, 'x'), std::string(200, 'x')},
      // The 201st byte a CR: one byte less, so the row ends clean.
      {std::string(199, 'x') + "y\r\nz", std::string(199, 'x')},
      // A break split by the cut loses its CR.
      {std::string(199, 'x') + "\r\nz", std::string(199, 'x')},
      // A two-byte character across the cut is left out whole.
      {std::string(199, 'x') + sjisA + "z", std::string(199, 'x')},
      {std::string(198, 'x') + sjisA + "z", std::string(198, 'x') + sjisA},
  };
  for (const auto& c : cases) EXPECT_EQ(TextHistory::RowText(c.entry), c.row) << c.entry.size();

  TextHistory history;
  MemoryTextControl box;
  Play(history, box, {"t:old", "s", "t:mid", "s", "t:new", "s"});
  EXPECT_EQ(history.Rows(), (Texts{"new", "mid", "old"}));
  EXPECT_EQ(history.CursorRow(), 0);
  EXPECT_EQ(history.EntryOfRow(2), 0);
  EXPECT_EQ(history.EntryOfRow(3), -1);
  history.Recall(0, box);
  EXPECT_EQ(history.CursorRow(), 2);
  Play(history, box, {"t:typed"});
  EXPECT_EQ(history.CursorRow(), -1);  // no row is selected for a changed box
}

TEST(TextHistoryTest, DropDownKeysAndClicks) {
  // Each case: events in order, then the action of the last one and the key remembered.
  struct Event {
    char kind;  // 'd' key down, 'u' key up, 'm' mouse press, 'c' click, 'f' focus lost, 'b' to
                // button
    int key = 0;
  };
  const struct {
    const char* name;
    std::vector<Event> events;
    HistoryListAction action;
    int key;
  } cases[] = {
      {"Enter recalls", {{'d', kKeyReturn}, {'u', kKeyReturn}}, HistoryListAction::Recall, 0},
      {"Esc closes", {{'d', kKeyEscape}, {'u', kKeyEscape}}, HistoryListAction::Close, 0},
      {"an arrow moves the selection only",
       {{'d', kKeyDown}, {'c'}},
       HistoryListAction::None,
       kKeyDown},
      {"its key up forgets it", {{'d', kKeyDown}, {'u', kKeyDown}}, HistoryListAction::None, 0},
      {"a mouse click recalls",
       {{'m'}, {'c'}},
       HistoryListAction::Recall,
       HistoryDropDown::kMousePressed},
      {"leaving the list only hides it", {{'d', kKeyDown}, {'f'}}, HistoryListAction::Hide, 0},
      {"leaving it for its button leaves the closing to the button",
       {{'b'}},
       HistoryListAction::None,
       0},
  };
  for (const auto& c : cases) {
    HistoryDropDown list;
    HistoryListAction action = HistoryListAction::None;
    for (const Event& e : c.events) {
      switch (e.kind) {
        case 'd':
          list.KeyDown(e.key);
          action = HistoryListAction::None;
          break;
        case 'u':
          action = list.KeyUp(e.key);
          break;
        case 'm':
          list.MousePress();
          action = HistoryListAction::None;
          break;
        case 'c':
          action = list.Click();
          break;
        case 'f':
          action = list.FocusLost(false);
          break;
        case 'b':
          action = list.FocusLost(true);
          break;
      }
    }
    EXPECT_EQ(action, c.action) << c.name;
    EXPECT_EQ(list.Key(), c.key) << c.name;
  }
}

class FindHistoriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("hist_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path() const { return (root_ / "cfg" / FindHistories::kFileName).string(); }
  fs::path root_;
};

TEST_F(FindHistoriesTest, FileSitsBesideTheSettingsFile) {
  EXPECT_EQ(FindHistories::FilePathBeside("/home/u/.config/norra/Norra.ini"),
            "/home/u/.config/norra/NorraHistory.ini");
  EXPECT_EQ(FindHistories::FilePathBeside("/tmp/other.ini"), "/tmp/NorraHistory.ini");
}

TEST_F(FindHistoriesTest, EntriesSurviveARestartByteForByte) {
  const Texts find = {
      "plain",
      "",
      "  blanks at both ends  ",
      "\"quoted\"",
      "two\r\nlines\r\n",
      "lone\rcr and\nlf",
      "back\\slash \\r not a break",
      "tab\there; x=y [Sect]",
      "\x93\xfa\x96\x7b\x8c\xea",  // 日本語
      "\xb6\xc5",                  // half-width katakana ｶﾅ
      "\x87\x90",                  // ≒ in its NEC row-13 pair, which CP932 also holds in row 1
      "\xff\x80 stray bytes",
      std::string("nul\0byte", 8),
  };
  const Texts replace = {"[from a]", "\x81\x60"};  // ～
  {
    FindHistories saved(Path());
    saved.Find.Restore(find);
    saved.Replace.Restore(replace);
    ASSERT_TRUE(saved.Save());  // the folder is made when missing
  }
  FindHistories loaded(Path());
  loaded.Load();
  EXPECT_EQ(loaded.Find.Entries(), find);
  EXPECT_EQ(loaded.Replace.Entries(), replace);
  // The restored box holds none of them: the next store appends and deletes nothing.
  EXPECT_EQ(loaded.Find.Cursor(), loaded.Find.Count());
  loaded.StoreFind("next");
  EXPECT_EQ(loaded.Find.Count(), static_cast<int>(find.size()) + 1);
  EXPECT_EQ(loaded.Find.Entries()[1], "");
}

TEST_F(FindHistoriesTest, FileIsCp932UnlessAnEntryNeedsUtf8) {
  FindHistories histories(Path());
  histories.Find.Restore({"\x93\xfa\x96\x7b"});  // 日本
  ASSERT_TRUE(histories.Save());
  std::string bytes;
  ASSERT_EQ(ReadWholeFile(Path(), bytes), FileError::None);
  EXPECT_NE(bytes.find("\x93\xfa\x96\x7b"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n"), std::string::npos);

  // Bytes that are valid UTF-8 by chance would be misread in a CP932 file.
  histories.Find.Restore({"\xe6\x97\xa5"});
  ASSERT_TRUE(histories.Save());
  FindHistories loaded(Path());
  loaded.Load();
  EXPECT_EQ(loaded.Find.Entries(), Texts{"\xe6\x97\xa5"});
}

TEST_F(FindHistoriesTest, ACp932HistoryWhoseBytesAreAlsoValidUtf8ReadsAsCp932) {
  // "ﾃｽ" is C3 BD in CP932 and "ý" in UTF-8; the whole file happens to be valid UTF-8.
  fs::create_directories(root_ / "cfg");
  std::ofstream(Path(), std::ios::binary) << "[FindHistory]\r\n1=\"t:\xC3\xBD\"\r\n";
  FindHistories histories(Path());
  histories.Load();
  EXPECT_EQ(histories.Find.Entries(), Texts{"\xC3\xBD"});
  // Written back as it came: CP932, no mark.
  histories.StoreFind("\xB6\xC5");
  ASSERT_TRUE(histories.Save());
  std::string bytes;
  ASSERT_EQ(ReadWholeFile(Path(), bytes), FileError::None);
  EXPECT_TRUE(bytes.starts_with("[FindHistory]")) << bytes;
  EXPECT_NE(bytes.find("\xC3\xBD"), std::string::npos);
  FindHistories loaded(Path());
  loaded.Load();
  EXPECT_EQ(loaded.Find.Entries(), (Texts{"\xC3\xBD", "\xB6\xC5"}));
}

TEST_F(FindHistoriesTest, MissingOrDamagedFileGivesEmptyOrReadableHistories) {
  const struct {
    const char* name;
    std::string bytes;  // "-" for no file at all
    Texts find;
  } cases[] = {
      {"no file", "-", {}},
      {"empty file", "", {}},
      {"not a history file", std::string("\x00\x01\xff\xfe garbage\r\n[[[", 18), {}},
      {"a folder in its place", "/", {}},
      {"entries not written by us are dropped",
       "[FindHistory]\r\n1=\"t:ok\"\r\n2=plain\r\n3=\"b:4\"\r\n4=\"t:bad\\q\"\r\n5=\"b:4142\"\r\n",
       {"ok", "AB"}},
  };
  for (const auto& c : cases) {
    fs::remove_all(root_ / "cfg");
    fs::create_directories(root_ / "cfg");
    if (c.bytes == "/") {
      fs::create_directories(Path());
    } else if (c.bytes != "-") {
      std::ofstream(Path(), std::ios::binary) << c.bytes;
    }
    FindHistories histories(Path());
    histories.Find.Restore({"left over"});
    histories.Load();
    EXPECT_EQ(histories.Find.Entries(), c.find) << c.name;
    EXPECT_TRUE(histories.Replace.Empty()) << c.name;
  }
}

TEST_F(FindHistoriesTest, OnlyAStoreThatChangedAListIsSaved) {
  FindHistories histories(Path());
  histories.Load();
  EXPECT_TRUE(histories.SaveIfChanged());
  EXPECT_FALSE(fs::exists(Path()));  // nothing changed: nothing written

  histories.StoreFind("a");
  EXPECT_TRUE(histories.Changed());
  ASSERT_TRUE(histories.SaveIfChanged());
  EXPECT_TRUE(fs::exists(Path()));
  EXPECT_FALSE(histories.Changed());
  histories.StoreFind("a");  // not pending: no change
  EXPECT_FALSE(histories.Changed());
  histories.StoreReplace("r");
  EXPECT_TRUE(histories.Changed());

  // A failed write keeps the change for the next try.
  FindHistories blocked((root_ / "file" / "NorraHistory.ini").string());
  std::ofstream(root_ / "file") << "a file where the folder should be";
  blocked.StoreFind("x");
  EXPECT_FALSE(blocked.SaveIfChanged());
  EXPECT_TRUE(blocked.Changed());
}

}  // namespace
}  // namespace norra
