// Undo and redo over the one history: every kind of edit taken back, made again and taken back
// once more, byte for byte on every Page; what empties the redo list and what refuses a redo.
#include <gtest/gtest.h>

#include <functional>

#include "DocumentsHarness.h"
#include "documents/PageEdit.h"
#include "documents/TextInsertion.h"

namespace norra::testing {
namespace {

class RedoTest : public DocumentsTestBase {
 protected:
  // Every Page in marked notation, in the order they were opened, joined by " ¦ ".
  std::string All() {
    std::string out;
    for (Page* page : opened) {
      if (!out.empty()) out += " ¦ ";
      out += Show(*page);
    }
    return out;
  }
  // A replace all of a literal (UTF-8 in the test) as the find window runs it: over the whole
  // text or the selection, reporting its spans, the selection after over what it covered.
  bool ReplaceAll(Page& page, int kind, std::string_view findUtf8, std::string_view withUtf8) {
    const std::string find = Utf8ToCp932(findUtf8);
    const std::string with = Utf8ToCp932(withUtf8);
    const bool selection = kind == kUndoReplaceSelection;
    return EditPage(*log, page, kind, selection ? KeepText::Selection : KeepText::WholeText,
                    [&](PageEdit& edit) {
                      TextControl& control = page.Control();
                      const std::size_t from = selection ? control.SelStart() : 0;
                      const std::string old =
                          selection ? control.SelText() : control.Text();
                      std::string text;
                      std::vector<ReplacedSpan> spans;
                      std::size_t at = 0;
                      for (std::size_t hit = old.find(find); hit != std::string::npos;
                           hit = old.find(find, at)) {
                        text += old.substr(at, hit - at);
                        spans.push_back({hit, find.size(), with.size()});
                        text += with;
                        at = hit + find.size();
                      }
                      if (spans.empty()) return EditOutcome::Unchanged;
                      text += old.substr(at);
                      if (selection) {
                        control.ReplaceSelection(text);
                        control.SetSelection(from, text.size());
                      } else {
                        page.ReplaceWholeText(text);
                        control.SetSelection(0, 0);
                      }
                      if (edit.Spans() != nullptr) *edit.Spans() = std::move(spans);
                      return EditOutcome::Changed;
                    }) == EditOutcome::Changed;
  }
  std::vector<Page*> opened;
};

TEST_F(RedoTest, EachEditIsUndoneRedoneAndUndoneAgainByteForByte) {
  using Action = std::function<void()>;
  struct Row {
    const char* what;
    std::vector<const char*> pages;  // opened in order; the last one is active
    Action action;
    const char* done;    // every Page after the action
    const char* undone;  // after undo
    const char* redone;  // after redo
    const char* again;   // after undo once more
  };
  auto keys = [this](const char* script) {
    return [this, script] { Keys(*docs->ActivePage(), script); };
  };
  auto insert = [this](const char* utf8, int kind) {
    return [this, utf8, kind] {
      InsertTextAtCaret(*log, *docs->ActivePage(), Utf8ToCp932(utf8), kind);
    };
  };
  auto replaceAll = [this](int kind, const char* find, const char* with) {
    return [=, this] { ReplaceAll(*docs->ActivePage(), kind, find, with); };
  };
  const Row rows[] = {
      {"typing", {"ab|c"}, keys("xyz"), "abxyz|c", "ab|c", "abxyz|c", "ab|c"},
      {"typing over a selection", {"a[bc]d"}, keys("漢"), "a漢|d", "a{bc}d", "a漢|d", "a{bc}d"},
      {"Backspace after a two-byte character", {"あい|う"}, keys("<BS>"), "あ|う", "あい|う",
       "あ|う", "あい|う"},
      {"Delete", {"a|bc"}, keys("<Del>"), "a|c", "a|bc", "a|c", "a|bc"},
      {"Ctrl+Delete", {"ab| cd"}, keys("<C-Del>"), "ab|cd", "ab| cd", "ab|cd", "ab| cd"},
      {"composition", {"x|y"}, keys("<Ime 漢字>"), "x漢字|y", "x|y", "x漢字|y", "x|y"},
      {"cut", {"a[bc]d"}, insert("", kUndoCut), "a|d", "a{bc}d", "a|d", "a{bc}d"},
      {"paste", {"a[bc]d"}, insert("xyz", kUndoPaste), "axyz|d", "a{bc}d", "axyz|d", "a{bc}d"},
      {"replace one", {"a[fox]b"}, insert("cat", kUndoReplaceOne), "acat|b", "a{fox}b", "acat|b",
       "a{fox}b"},
      {"quote all", {"one", "t|wo"}, insert("one\r\n", kUndoQuoteAll), "|one ¦ tone\r\n|wo",
       "|one ¦ t|wo", "|one ¦ tone\r\n|wo", "|one ¦ t|wo"},
      {"insert date and time", {"[x]"}, insert("2026/01/02 03:04:05", kUndoInsertDateTime),
       "2026/01/02 03:04:05|", "{x}", "2026/01/02 03:04:05|", "{x}"},
      {"replace all keeping a delta", {"a fox, a fox, a [fox] and more words"},
       replaceAll(kUndoReplaceAll, "fox", "vixen"), "|a vixen, a vixen, a vixen and more words",
       "a fox, a fox, a [fox] and more words", "|a vixen, a vixen, a vixen and more words",
       "a fox, a fox, a [fox] and more words"},
      {"replace all keeping the whole text", {"ab[ab]"}, replaceAll(kUndoReplaceAll, "ab", "Z"),
       "|ZZ", "ab[ab]", "|ZZ", "ab[ab]"},
      {"replace in the selection", {"-,[aa-bb-cc-dd-ee-ff-gg-hh]-"},
       replaceAll(kUndoReplaceSelection, "-", "＋"), "-,[aa＋bb＋cc＋dd＋ee＋ff＋gg＋hh]-",
       "-,{aa-bb-cc-dd-ee-ff-gg-hh}-", "-,[aa＋bb＋cc＋dd＋ee＋ff＋gg＋hh]-",
       "-,{aa-bb-cc-dd-ee-ff-gg-hh}-"},
      {"replace over every Page",
       {"fox and fox, foxes|", "nothing here", "[a] fox"},
       [this] {
         log->BeginCommandGroup();
         for (std::size_t i = 0; i < 3; ++i) ReplaceAll(*opened[i], kUndoReplaceAllPages, "fox", "狐");
       },
       "|狐 and 狐, 狐es ¦ |nothing here ¦ |a 狐", "fox and fox, foxes| ¦ |nothing here ¦ [a] fox",
       "|狐 and 狐, 狐es ¦ |nothing here ¦ |a 狐", "fox and fox, foxes| ¦ |nothing here ¦ [a] fox"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    while (docs->ActivePage() != nullptr) docs->DestroyPage(*docs->ActivePage());
    log->ClearUndoLog();
    opened.clear();
    for (const char* page : row.pages) opened.push_back(&NewPage(page));
    row.action();
    EXPECT_EQ(All(), row.done);
    const std::size_t records = log->RecordCount();
    ASSERT_GT(records, 0u);
    EXPECT_EQ(log->RedoCount(), 0u);

    EXPECT_NE(log->UndoLast(), nullptr);
    EXPECT_EQ(All(), row.undone);
    EXPECT_EQ(log->RecordCount(), 0u);
    ASSERT_GT(log->RedoCount(), 0u);

    EXPECT_NE(log->RedoLast(), nullptr);
    EXPECT_EQ(All(), row.redone);
    EXPECT_EQ(log->RecordCount(), records);
    EXPECT_EQ(log->RedoCount(), 0u);
    EXPECT_EQ(log->RedoBytes(), 0u);

    EXPECT_NE(log->UndoLast(), nullptr);
    EXPECT_EQ(All(), row.again);
    EXPECT_EQ(log->RecordCount(), 0u);
    for (Page* page : opened) EXPECT_EQ(page->UndoText().Size(), 0u);
  }
}

TEST_F(RedoTest, RedoOfAReplaceAllHoldsNoMoreThanTwiceTheBytesItPutsIn) {
  struct Case {
    const char* find;
    const char* with;
    int kind;
  };
  const Case cases[] = {
      {"fox", "vixen", kUndoReplaceAll},     {"fox", "c", kUndoReplaceAll},
      {"fox", "狐狐", kUndoReplaceSelection}, {"fox", "vixen", kUndoReplaceAllPages},
  };
  std::string text;
  for (int i = 0; i < 300; ++i) text += "The quick brown fox jumps over the lazy dog\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.with);
    log->ClearUndoLog();
    Page& page = NewPage("|");
    Memory(page).SetText(text);
    Memory(page).SetSelection(0, c.kind == kUndoReplaceSelection ? text.size() : 0);
    if (c.kind == kUndoReplaceAllPages) log->BeginCommandGroup();
    ASSERT_TRUE(ReplaceAll(page, c.kind, c.find, c.with));
    const std::string after = Memory(page).Buffer();
    const std::size_t putIn = 300 * Utf8ToCp932(c.with).size();
    ASSERT_TRUE(log->Records().back().delta);
    log->UndoLast();
    ASSERT_EQ(Memory(page).Buffer(), text);
    EXPECT_LE(log->RedoBytes(), 2 * putIn + 8);
    EXPECT_EQ(log->RedoLast(), &page);
    EXPECT_EQ(Memory(page).Buffer(), after);
    EXPECT_TRUE(log->Records().back().delta);  // undo again costs what it did the first time
    log->UndoLast();
    EXPECT_EQ(Memory(page).Buffer(), text);
  }
}

TEST_F(RedoTest, ANewEditEmptiesTheRedoList) {
  Page& page = NewPage("|");
  Keys(page, "ab<Click 0>cd");
  ASSERT_EQ(log->RecordCount(), 2u);
  log->UndoLast();
  log->UndoLast();
  ASSERT_EQ(log->RedoCount(), 2u);
  EXPECT_EQ(log->RedoLast(), &page);  // redo keeps the rest of the list
  EXPECT_EQ(log->RedoCount(), 1u);
  EXPECT_EQ(Show(page), "ab|");
  Keys(page, "x");
  EXPECT_EQ(log->RedoCount(), 0u);
  EXPECT_EQ(log->RedoLast(), nullptr);
  EXPECT_EQ(Show(page), "abx|");

  // A command is a new edit too.
  log->UndoLast();
  ASSERT_EQ(log->RedoCount(), 1u);
  InsertTextAtCaret(*log, page, "p", kUndoPaste);
  EXPECT_EQ(log->RedoCount(), 0u);
}

TEST_F(RedoTest, ATextChangedSinceTheUndoIsRefusedAndKeptAsItIs) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "the fox and the dog\r\n";
  for (int kind : {kUndoReplaceAll, kUndoPaste}) {
    SCOPED_TRACE(kind);
    log->ClearUndoLog();
    Page& page = NewPage("|");
    Memory(page).SetText(text);
    if (kind == kUndoReplaceAll) {
      ASSERT_TRUE(ReplaceAll(page, kind, "fox", "cat"));
    } else {
      Memory(page).SetSelection(4, 3);
      InsertTextAtCaret(*log, page, "cat", kind);
    }
    log->UndoLast();
    ASSERT_EQ(Memory(page).Buffer(), text);
    ASSERT_EQ(log->RedoCount(), 1u);
    // Same length, one byte different, right where the redo would write.
    std::string tampered = text;
    tampered[5] = 'Q';
    Memory(page).SetText(tampered);
    EXPECT_EQ(log->RedoLast(), nullptr);
    EXPECT_EQ(Memory(page).Buffer(), tampered);
    EXPECT_EQ(log->RedoCount(), 0u);
    EXPECT_EQ(log->RecordCount(), 0u);
  }

  // In a group, one Page that no longer fits stops the step before any Page is touched.
  log->ClearUndoLog();
  Page& a = NewPage("|");
  Page& b = NewPage("|");
  Memory(a).SetText(text);
  Memory(b).SetText(text);
  log->BeginCommandGroup();
  ASSERT_TRUE(ReplaceAll(a, kUndoReplaceAllPages, "fox", "cat"));
  ASSERT_TRUE(ReplaceAll(b, kUndoReplaceAllPages, "fox", "cat"));
  log->UndoLast();
  ASSERT_EQ(log->RedoCount(), 2u);
  Memory(b).SetText(text + "!");
  EXPECT_EQ(log->RedoLast(), nullptr);
  EXPECT_EQ(Memory(a).Buffer(), text);
  EXPECT_EQ(Memory(b).Buffer(), text + "!");
  EXPECT_EQ(log->RedoCount(), 0u);
}

TEST_F(RedoTest, RedoIsBoundByTheSameBytesAsUndo) {
  // A redo of more than the big-change limit is not kept; the undo itself is made.
  log->SetClearOnBigChange(true, 256);
  Page& page = NewPage("a[b]c");
  InsertTextAtCaret(*log, page, std::string(300, 'p'), kUndoPaste);
  ASSERT_EQ(log->RecordCount(), 1u);
  EXPECT_EQ(log->UndoLast(), &page);
  EXPECT_EQ(Show(page), "a{b}c");
  EXPECT_EQ(log->RedoCount(), 0u);
  log->SetClearOnBigChange(false, 256);

  // Trimming counts both lists, and takes the oldest undo records before any redo record.
  log->SetTrimming(true, 2048, 1600);
  Memory(page).SetText(std::string(100, 'A'));
  for (int i = 0; i < 21; ++i) {
    Memory(page).SetSelection(0, 100);
    InsertTextAtCaret(*log, page, std::string(100, static_cast<char>('a' + i)), kUndoPaste);
  }
  for (int i = 0; i < 18; ++i) log->UndoLast();
  EXPECT_EQ(log->TotalBytes() + log->RedoBytes(), 2100u);
  log->TrimUndoLog();
  EXPECT_EQ(log->RecordCount(), 0u);
  EXPECT_EQ(log->TotalBytes() + log->RedoBytes(), 1600u);
  EXPECT_EQ(log->RedoCount(), 16u);  // the two that would have been redone last went
  // What is left still redoes in order.
  while (log->RedoCount() > 0) EXPECT_EQ(log->RedoLast(), &page);
  EXPECT_EQ(Memory(page).Buffer(), std::string(100, 'a' + 18));
}

TEST_F(RedoTest, CaptionsNameTheActionAndDroppingAPageDropsItsRedo) {
  EXPECT_EQ(log->DescribeRedo().caption, "やり直し");
  EXPECT_FALSE(log->DescribeRedo().possible);
  Page& first = NewPage("ab|");
  Keys(first, "c");
  Page& second = NewPage("[x]");
  InsertTextAtCaret(*log, second, "", kUndoCut);
  log->UndoLast();
  EXPECT_TRUE(log->DescribeRedo().possible);
  EXPECT_EQ(log->DescribeRedo().caption, "やり直し 切り取り");
  log->UndoLast();
  EXPECT_EQ(log->DescribeRedo().caption, "やり直し 挿入 - [" + first.DisplayName() + "]");
  EXPECT_EQ(log->RedoLast(), &first);
  EXPECT_EQ(log->DescribeRedo().caption, "やり直し 切り取り");
  log->DropPageUndo(second);
  EXPECT_EQ(log->RedoCount(), 0u);
  EXPECT_EQ(log->DescribeRedo().caption, "やり直し");
  EXPECT_EQ(Show(first), "abc|");
}

}  // namespace
}  // namespace norra::testing
