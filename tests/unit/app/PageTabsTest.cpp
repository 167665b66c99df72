// The character count of the status bar, and Pages as tabs following the page list.
#include "AppHarness.h"

namespace norra::testing {
namespace {

using PageTabsTest = AppTest;

TEST_F(PageTabsTest, CharacterPanelCountsThePageOrTheSelection) {
  WriteCurrentSettings();
  Start();
  struct Case {
    const char* text;  // marked: "|" the caret, "[ ]" a selection
    const char* panel;
  } const cases[] = {
      {"|", "0文字"},
      {"|0123456789", "10文字"},
      {"あい|\r\n", "3文字"},          // full-width one each, CR LF one
      {"ｱｲｳ|abc", "6文字"},            // half-width katakana one each
      {"a\rb\nc|", "5文字"},           // a lone CR and a lone LF are one each
      {"a[b\r\nc]d", "選択3文字"},
      {"ｱ[ｲあ]", "選択2文字"},
      {"[あいう]えお", "選択3文字"},
  };
  for (const Case& c : cases) {
    SetMarked(c.text);
    window->Idle();
    EXPECT_EQ(view.status[StatusBar::kCharactersPanel], c.panel) << c.text;
  }
  // Typing changes the count; the bytes stay beside it.
  SetMarked("あ|");
  Keys("い");
  window->Idle();
  EXPECT_EQ(view.status[StatusBar::kCharactersPanel], "2文字");
  EXPECT_EQ(view.status[2], "4ﾊﾞｲﾄ");

  window->Execute(UiItem::mnuCloseFile);
  ui.QueueAnswer(IDNO);
  window->Execute(UiItem::mnuCloseFile);
  EXPECT_EQ(view.status[StatusBar::kCharactersPanel], "0文字");
}

TEST_F(PageTabsTest, TabsAreOffUnlessTheOptionSaysSo) {
  WriteCurrentSettings();
  Start();
  NewPage();
  EXPECT_FALSE(view.tabsVisible);
  EXPECT_EQ(view.tabSets, 0);
}

TEST_F(PageTabsTest, TabsFollowOpensClosesRenamesAndModifiedMarks) {
  WriteCurrentSettings("[Vision]\r\nPageTabs=1\r\n");
  const std::string file = MakeFile("a.txt", "abc");
  Start({file});
  EXPECT_TRUE(view.tabsVisible);
  EXPECT_EQ(view.tabs, (std::vector<std::string>{"a.txt"}));

  Page& untitled = NewPage();
  EXPECT_EQ(view.tabs, (std::vector<std::string>{"無題1", "a.txt"}));  // page-list order
  EXPECT_EQ(view.tabSelected, 0u);

  Keys("x");
  window->Idle();
  EXPECT_EQ(view.tabs, (std::vector<std::string>{"無題1 *", "a.txt"}));
  const int sets = view.tabSets;
  window->Idle();
  EXPECT_EQ(view.tabSets, sets) << "nothing changed, nothing sent";

  // A click on a tab activates its Page; the selection follows whatever activates a Page.
  window->PageTabClicked(1);
  EXPECT_EQ(Active()->DisplayName(), "a.txt");
  EXPECT_EQ(view.tabSelected, 1u);
  window->Docs().ActivatePage(&untitled);
  EXPECT_EQ(view.tabSelected, 0u);

  window->Docs().RenamePage(untitled, Work() + "/b.txt");
  EXPECT_EQ(view.tabs, (std::vector<std::string>{"b.txt *", "a.txt"}));

  // Closing a tab is the close command: the save question, and Cancel keeps the Page.
  ui.QueueAnswer(IDCANCEL);
  EXPECT_FALSE(window->PageTabCloseRequested(0));
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes().back().caption, "保存確認");
  EXPECT_EQ(view.tabs.size(), 2u);
  ui.QueueAnswer(IDNO);
  EXPECT_TRUE(window->PageTabCloseRequested(0));
  EXPECT_EQ(view.tabs, (std::vector<std::string>{"a.txt"}));
  EXPECT_TRUE(window->PageTabCloseRequested(0));  // not modified: no question
  EXPECT_EQ(ui.Boxes().size(), 2u);
  EXPECT_TRUE(view.tabs.empty());
}

TEST_F(PageTabsTest, TheOptionTurnsTabsOnAndOffAtOnce) {
  WriteCurrentSettings();
  Start();
  options.during = [this](int) { window->Prefs().Vision.PageTabs = true; };
  window->Execute(UiItem::mnuOption);
  EXPECT_TRUE(view.tabsVisible);
  EXPECT_EQ(view.tabs, (std::vector<std::string>{"無題1"}));
  options.during = [this](int) { window->Prefs().Vision.PageTabs = false; };
  window->Execute(UiItem::mnuOption);
  EXPECT_FALSE(view.tabsVisible);
}

}  // namespace
}  // namespace norra::testing
