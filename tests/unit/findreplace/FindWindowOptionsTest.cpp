// Tests of the options dialog's settings reaching an open find/replace window, and of what the
// window writes back when it goes.
#include "FindWindowHarness.h"

#include <fstream>
#include <iterator>

namespace norra::testing {
namespace {

using FindWindowOptionsTest = FindWindowTest;

TEST_F(FindWindowOptionsTest, OptionsReachAnOpenFindWindow) {
  OpenPages({"|ab"});
  window->Open(kFindMode);
  window->InsFindTags();
  const std::vector<std::string> rowsBefore = view.tagRows;
  ASSERT_FALSE(findBox.WantTabs());

  settings->FindReplace.WantTabs = true;
  settings->Vision.ForeRed = 0x12;
  settings->Vision.ForeGreen = 0x34;
  settings->Vision.ForeBlue = 0x56;
  settings->Vision.BackRed = 0xAB;
  settings->Vision.BackGreen = 0xCD;
  settings->Vision.BackBlue = 0xEF;
  for (int i = 1; i < kTagCount; ++i) settings->FindReplace.SetSymbol(i, "#" + std::to_string(i));
  window->OptionsChanged();

  EXPECT_TRUE(findBox.WantTabs());
  EXPECT_TRUE(replaceBox.WantTabs());
  ASSERT_FALSE(view.colours.empty());
  EXPECT_EQ(view.colours.back(), (std::pair<int, int>{0x123456, 0xABCDEF}));
  // The open tag panel shows the new symbols.
  EXPECT_EQ(view.tagCaption, "◆検索ﾀｸﾞ");
  EXPECT_NE(view.tagRows, rowsBefore);
  ASSERT_FALSE(view.tagRows.empty());
  EXPECT_EQ(view.tagRows.front().front(), '#');
}

TEST_F(FindWindowOptionsTest, WantTabsIsNotOverwrittenAtExit) {
  // The user turned WantTabs on in the options dialog while the boxes still had it off.
  settings->FindReplace.WantTabs = true;
  ASSERT_TRUE(settings->SaveFindReplace());
  ASSERT_FALSE(findBox.WantTabs());
  window->Destroy();
  EXPECT_TRUE(settings->FindReplace.WantTabs);
  std::ifstream in(dir / "Norra.ini", std::ios::binary);
  const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(ini.find("WantTabs=1"), std::string::npos) << ini;
}

}  // namespace
}  // namespace norra::testing
