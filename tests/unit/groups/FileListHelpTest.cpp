// F1 in the batch dialog opens the program's help at a page and an anchor that exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "FileListDialogHarness.h"
#include "app/HelpLocation.h"
#include "app/HelpSearch.h"
#include "app/HelpTopics.h"

namespace norra::testing {
namespace {

class FileListHelpTest : public ListDialogTest {};

TEST_F(FileListHelpTest, F1InEveryModeThatHasHelpOpensAnExistingPageAtItsTopic) {
  Launch();
  OpenFile("a.txt", "a");
  OpenFile("b.txt", "b");
  Edit(*Active(), "changed");
  const std::string ownHelp = std::string(NORRA_HELP_DIR) + "/Norra.hlp";
  int modesWithHelp = 0;
  for (int code = 220; code <= 232; ++code) {
    const auto mode = static_cast<ListDialogMode>(code);
    if (code == 229 || code == 231) continue;  // no such modes
    SCOPED_TRACE(code);
    FileListDialog dialog(Context(), mode);
    helpTopics.clear();
    EXPECT_TRUE(dialog.KeyDown(0x70, 0));  // F1
    if (dialog.HelpContext() == 0) {
      EXPECT_TRUE(helpTopics.empty());
      continue;
    }
    ++modesWithHelp;
    ASSERT_EQ(helpTopics.size(), 1u);
    const HelpLocation location =
        LocateHelp(ownHelp, HelpContextKeyword(helpTopics[0]), WorkPath(""));
    EXPECT_TRUE(location.found);
    std::ifstream page(location.page, std::ios::binary);
    ASSERT_TRUE(page.good()) << location.page;
    std::ostringstream html;
    html << page.rdbuf();
    const std::vector<std::string> anchors = HtmlAnchors(html.str());
    EXPECT_NE(std::find(anchors.begin(), anchors.end(), location.anchor), anchors.end())
        << location.anchor;
  }
  EXPECT_EQ(modesWithHelp, 7);
}

}  // namespace
}  // namespace norra::testing
