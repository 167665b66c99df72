// Start-up with a settings file the editor did not write: the copy it keeps is named once.
#include "AppHarness.h"

namespace norra::testing {
namespace {

class SettingsNoticeTest : public AppTest {};

TEST_F(SettingsNoticeTest, SettingsFileTheEditorDidNotWriteIsKeptAndNamedOnce) {
  const fs::path ini = root / "config" / "Norra.ini";
  const fs::path bak = root / "config" / "Norra.ini.bak";
  const std::string notes = "notes\r\n[Edit]\r\nimportant=1\r\n";
  WriteFile(ini, notes);
  Start();
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_NE(ui.LastBox().text.find(bak.string()), std::string::npos) << ui.LastBox().text;
  EXPECT_EQ(ui.LastBox().caption, "Norra");
  EXPECT_EQ(ui.LastBox().flags & kMbIconMask, MB_ICONWARNING);
  EXPECT_EQ(ReadFile(bak), notes);
  EXPECT_EQ(ReadFile(ini), notes);
  EXPECT_EQ(window->Docs().PageCount(), 1u);
  window->Show();
  EXPECT_EQ(ui.Boxes().size(), 1u);

  // Closing saves the settings; the next start has nothing to say.
  window.reset();
  EXPECT_NE(ReadFile(ini).find("IniVersion=3500"), std::string::npos);
  ui.ClearBoxes();
  Start();
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_EQ(ReadFile(bak), notes);
}

TEST_F(SettingsNoticeTest, MigratedLegacyFileIsReportedBeforeTheOptions) {
  const fs::path bak = root / "config" / "Norra.ini.bak";
  WriteFile(root / "config" / "Norra.ini", "[WINDOW]\r\nMAIN_STATE=0\r\n");
  std::size_t boxesWhenOptionsShown = 0;
  options.during = [&](int) { boxesWhenOptionsShown = ui.Boxes().size(); };
  Start();
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_NE(ui.LastBox().text.find(bak.string()), std::string::npos) << ui.LastBox().text;
  EXPECT_EQ(ui.LastBox().flags & kMbIconMask, MB_ICONINFORMATION);
  EXPECT_EQ(options.pages.size(), 1u);  // an older file still offers the options
  EXPECT_EQ(boxesWhenOptionsShown, 1u);
  EXPECT_EQ(ReadFile(bak), "[WINDOW]\r\nMAIN_STATE=0\r\n");
}

}  // namespace
}  // namespace norra::testing
