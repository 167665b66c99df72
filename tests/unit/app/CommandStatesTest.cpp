// The enabling of the main window's commands: one table, kept current by the idle step, and
// commands without an action kept disabled.
#include "AppHarness.h"
#include "app/CommandStates.h"
#include "text/PathUtil.h"

namespace norra::testing {
namespace {

class CommandStatesTest : public AppTest {};

TEST_F(CommandStatesTest, CopyAndCutFollowTheSelectionWhateverRefreshedTheStatusBar) {
  WriteCurrentSettings();
  Start();
  Page& first = *Active();
  Keys("abc");
  window->Idle();
  ASSERT_FALSE(view.Enabled(UiItem::CopyItem));

  // Shift+Home and Shift+End refresh the status bar themselves, which clears the log's flag.
  Keys("<Shift><S-Home>");
  window->Idle();
  EXPECT_EQ(Show(), "{abc}");
  EXPECT_TRUE(view.Enabled(UiItem::CopyItem));
  EXPECT_TRUE(view.Enabled(UiItem::CutItem));
  Keys("<End>");
  window->Idle();
  EXPECT_FALSE(view.Enabled(UiItem::CopyItem));
  Keys("<Home><Shift><S-End>");
  window->Idle();
  EXPECT_TRUE(view.Enabled(UiItem::CopyItem));

  // Switching Pages refreshes the status bar on its way too.
  window->Execute(UiItem::mnuMakeNewFile);
  window->Idle();
  EXPECT_FALSE(view.Enabled(UiItem::CopyItem));
  window->PageWindowActivated(first);
  window->Idle();
  EXPECT_TRUE(view.Enabled(UiItem::CopyItem));

  // Text put on the clipboard from elsewhere enables paste once the clipboard says so.
  ASSERT_FALSE(view.Enabled(UiItem::PasteItem));
  clipboard.SetText("x");
  window->ClipboardChanged();
  EXPECT_TRUE(view.Enabled(UiItem::PasteItem));
}

TEST_F(CommandStatesTest, TileAndCascadeFollowOneRuleWhereverTheirStateIsRefreshed) {
  WriteCurrentSettings();
  Start();
  for (MenuKind menu : {MenuKind::Window, MenuKind::File, MenuKind::Edit}) {
    window->MenuOpening(menu);
    for (UiItem item :
         {UiItem::mnuCascadeChildren, UiItem::mnuTileChildrenH, UiItem::mnuTileChildrenV}) {
      EXPECT_FALSE(view.Enabled(item)) << InfoOf(item).name << " with one Page";
    }
  }
  window->Execute(UiItem::mnuMakeNewFile);
  window->Idle();
  EXPECT_TRUE(view.Enabled(UiItem::mnuCascadeChildren));
  window->MenuOpening(MenuKind::Window);
  EXPECT_TRUE(view.Enabled(UiItem::mnuTileChildrenV));
}

TEST_F(CommandStatesTest, OnlyChangedStatesReachTheView) {
  WriteCurrentSettings();
  Start();
  window->Idle();
  view.items.clear();
  window->Idle();
  window->UpdateMenuItems();
  EXPECT_TRUE(view.items.empty());
  Keys("a<Shift><S-Left>");
  window->Idle();
  EXPECT_TRUE(view.Enabled(UiItem::CopyItem));
  EXPECT_FALSE(view.items.contains(UiItem::mnuCloseFile));
}

TEST_F(CommandStatesTest, CommandsWithoutAnActionStayDisabledAndDoNothing) {
  WriteCurrentSettings();
  find.available = false;
  options.available = false;
  window = std::make_unique<MainWindow>(Ports(), Options({}));
  window->SetListModeCheck([](ListDialogMode mode) {
    return mode == ListDialogMode::SaveAll || mode == ListDialogMode::CloseAll ||
           mode == ListDialogMode::ReloadAll || mode == ListDialogMode::Exit;
  });
  ASSERT_TRUE(window->Create());
  window->Show();
  window->Execute(UiItem::mnuMakeNewFile);
  Keys("abc<Shift><S-Home>");
  window->Prefs().AddRecentFile("/somewhere/r.txt");
  clipboard.SetText("x");
  for (MenuKind menu : {MenuKind::File, MenuKind::Edit, MenuKind::Display, MenuKind::Tool,
                        MenuKind::Window, MenuKind::Help, MenuKind::Popup}) {
    window->MenuOpening(menu);
  }
  window->Idle();

  using enum UiItem;
  const std::vector<UiItem> dead = {
      mnuFind, popFind, FindBtn, mnuReplace, popReplace, mnuFindSel, mnuReplaceSel, mnuFindNext,
      mnuOption, mnuSetPrinter, HelpAboutItem, mnuChangeHelpFile2, ChangeHelp2Btn, mnuSaveAsAll,
      mnuPrintAll, PrintBtn, mnuQuotationAll, mnuRecentFiles, mnuJump, mnuSortCombo,
      // without the options nothing can name a second help file
      mnuHelpContent2, mnuHelpKeyWord2, popHelpKeyWord2, Help2Btn};
  for (UiItem item : dead) {
    EXPECT_FALSE(view.Enabled(item)) << InfoOf(item).name;
    window->Execute(item);
  }
  EXPECT_TRUE(dialogs.runs.empty());
  EXPECT_EQ(find.creates, 0);
  EXPECT_TRUE(options.pages.empty());
  EXPECT_TRUE(help.contents.empty());
  EXPECT_TRUE(ui.Boxes().empty());
  for (UiItem item :
       {mnuCloseAll, mnuReloadAll, mnuHelpContent, mnuMakeNewFile, CopyItem, PasteItem}) {
    EXPECT_TRUE(view.Enabled(item)) << InfoOf(item).name;
  }

  // A second help file named in the settings is usable without the options.
  const std::string file = MakeFile("api.html", "<html></html>");
  window->Prefs().Help.SetSecondHelp(file);
  window->Idle();
  EXPECT_TRUE(view.Enabled(mnuHelpKeyWord2));
  EXPECT_TRUE(view.Enabled(mnuHelpContent2));
  EXPECT_FALSE(view.Enabled(mnuChangeHelpFile2));
}

TEST_F(CommandStatesTest, HelpThatNothingCanShowNamesItsContentsPage) {
  WriteCurrentSettings();
  Start();
  help.viewer = false;
  window->Execute(UiItem::mnuHelpContent);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.LastBox().text,
            "ﾍﾙﾌﾟを表示できません。\n" + FolderPart(window->Prefs().Help.MainHelpFile) + "index.html");
  EXPECT_EQ(ui.LastBox().flags, MB_OK | MB_ICONERROR);
  // The second help's failures stay the help system's own.
  window->Prefs().Help.SetSecondHelp(MakeFile("api.html", "<html></html>"));
  window->Execute(UiItem::mnuHelpContent2);
  EXPECT_EQ(ui.Boxes().size(), 1u);
}

}  // namespace
}  // namespace norra::testing
