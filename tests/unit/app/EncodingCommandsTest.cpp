// The status bar names each Page's encoding and line breaks; the File menu reopens and saves
// in another encoding; the options dialog's file page sets the one for new files.
#include "AppHarness.h"

namespace norra::testing {
namespace {

class EncodingCommandsTest : public AppTest {};

TEST_F(EncodingCommandsTest, TheStatusBarFollowsTheActivePagesEncodingAndLineBreaks) {
  WriteCurrentSettings();
  const std::string utf8 = MakeFile("u.txt", "猫と😀\n犬\n");
  const std::string sjis = MakeFile("s.txt", "plain\r\n");
  Start({utf8, sjis});
  EXPECT_EQ(view.status[StatusBar::kEncodingPanel], "Shift_JIS CRLF");
  window->Docs().ActivatePage(window->Docs().List().Entries().back().page);
  EXPECT_EQ(view.status[StatusBar::kEncodingPanel], "UTF-8 LF");
  // Saved as UTF-16 with CR LF through the File menu.
  ui.QueueChoice(4);
  ui.QueueChoice(1);
  window->Execute(UiItem::mnuSaveEncoding);
  EXPECT_EQ(view.status[StatusBar::kEncodingPanel], "UTF-16LE (BOM) CRLF");
  EXPECT_EQ(ReadFile(utf8).substr(0, 4), std::string("\xFF\xFE\x2B\x73", 4));
}

TEST_F(EncodingCommandsTest, TheFilePageSetsTheEncodingOfNewPages) {
  WriteCurrentSettings("[File]\r\nNewFileCharset=1\r\n");
  Start();
  EXPECT_EQ(Active()->Encoding().charset, FileCharset::Utf8);
  EXPECT_EQ(view.status[StatusBar::kEncodingPanel], "UTF-8");
}

TEST_F(EncodingCommandsTest, CopyAndPasteKeepEveryCharacterOfAUtf8Page) {
  WriteCurrentSettings("[File]\r\nNewFileCharset=1\r\n");
  Start();
  Page& utf8 = *Active();
  utf8.Control().ReplaceSelection("猫😀한");
  utf8.Control().SetSelection(0, utf8.Control().TextLength());
  window->Execute(UiItem::CopyItem);
  utf8.Control().SetSelection(utf8.Control().TextLength(), 0);
  window->Execute(UiItem::PasteItem);
  EXPECT_EQ(utf8.Control().Text(), "猫😀한猫😀한");
  // A CP932 Page refuses the paste, naming what it cannot hold.
  window->Prefs().File.NewFileCharset = 0;
  window->Execute(UiItem::mnuMakeNewFile);
  window->Execute(UiItem::PasteItem);
  EXPECT_EQ(Active()->Control().Text(), "");
  EXPECT_NE(ui.LastBox().text.find("😀"), std::string::npos);
}

}  // namespace
}  // namespace norra::testing
