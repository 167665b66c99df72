// Pages in every file encoding: opened in the encoding detected, saved byte for byte, reopened
// and saved in another encoding without silent loss.
#include <iconv.h>

#include <stdexcept>

#include "DocumentsHarness.h"
#include "text/FileCodec.h"

namespace norra::testing {
namespace {

std::string Iconv(const std::string& utf8, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(to);
  std::string out(utf8.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) throw std::runtime_error(to);
  out.resize(out.size() - outLeft);
  return out;
}

class PageEncodingTest : public DocumentsTestBase {
 protected:
  Page& Open(const std::string& name, const std::string& bytes) {
    EXPECT_EQ(docs->OpenPage(MakeFile(name, bytes), false), 1);
    return *docs->ActivePage();
  }
};

TEST_F(PageEncodingTest, FilesOpenInTheirEncodingAndSaveUnchangedByteForByte) {
  struct Row {
    const char* name;
    std::string bytes;
    const char* encoding;
    const char* breaks;
    std::string held;  // what the Page holds
  };
  const std::string prose = "猫である。\n名前はまだ無い😀ｶﾅ";
  const std::vector<Row> rows = {
      {"sjis.txt", Iconv("猫である。\r\n名前", "CP932"), "Shift_JIS", "CRLF", Iconv("猫である。\r\n名前", "CP932")},
      {"utf8.txt", prose, "UTF-8", "LF", "猫である。\r\n名前はまだ無い😀ｶﾅ"},
      {"bom.txt", "\xEF\xBB\xBF" "猫\r\n", "UTF-8 (BOM)", "CRLF", "猫\r\n"},
      {"euc.txt", Iconv("猫である。\r名前はまだ無い", "EUC-JP"), "EUC-JP", "CR", "猫である。\r名前はまだ無い"},
      {"le.txt", "\xFF\xFE" + Iconv("猫😀\r\nａ\n", "UTF-16LE"), "UTF-16LE (BOM)", "混在", "猫😀\r\nａ\n"},
      {"be.txt", "\xFE\xFF" + Iconv("猫", "UTF-16BE") + "\xD8", "UTF-16BE (BOM)", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Page& page = Open(r.name, r.bytes);
    EXPECT_EQ(FileEncodingName(page.Encoding()), r.encoding);
    EXPECT_STREQ(LineBreakName(page.FileLineBreaks()), r.breaks);
    if (!r.held.empty()) {
      EXPECT_EQ(page.Control().Text(), r.held);
    }
    EXPECT_EQ(Documents::FileBytes(page), r.bytes);
    page.SetModified(true);
    EXPECT_EQ(docs->SavePage(page), SaveOk);
    EXPECT_EQ(ReadBytes(page.FilePath()), r.bytes);
  }
}

TEST_F(PageEncodingTest, AnEditOfAUtf8PageChangesOnlyItsBytesAndStepsWholeCharacters) {
  Page& page = Open("u.txt", "a😀b\nｶ\xFFz 日本語です\n");
  ASSERT_EQ(page.Encoding().charset, FileCharset::Utf8);
  MemoryTextControl& control = Memory(page);
  control.SetSelection(1, 0);
  control.PressKey(kKeyRight);  // over the emoji: four bytes
  EXPECT_EQ(control.SelStart(), 5u);
  control.PressKey(kKeyBack);
  control.TypeText("犬");
  control.SetSelection(11, 0);  // after the malformed byte, a character of its own
  control.PressKey(kKeyBack);
  ASSERT_EQ(docs->SavePage(page), SaveOk);
  EXPECT_EQ(ReadBytes(page.FilePath()), "a犬b\nｶz 日本語です\n");
}

TEST_F(PageEncodingTest, NewPagesTakeTheSettingAndTheFolderEditorConfig) {
  Page& first = NewPage();
  EXPECT_EQ(first.Encoding().charset, FileCharset::Cp932);
  settings->File.NewFileCharset = 1;
  Page& second = NewPage();
  EXPECT_EQ(second.Encoding().charset, FileCharset::Utf8);
  EXPECT_EQ(second.Control().TextCharset(), Charset::Utf8);
  // ASCII-only files take the setting too.
  EXPECT_EQ(Open("plain.txt", "abc\r\n").Encoding().charset, FileCharset::Utf8);

  // Saved first in a folder whose .editorconfig says EUC-JP: written in EUC-JP.
  settings->File.NewFileCharset = 0;
  MakeFile("euc/.editorconfig", "root = true\n[*]\ncharset = euc-jp\n");
  Page& page = NewPage();
  page.Control().ReplaceSelection(Iconv("猫です", "CP932"));
  ui.QueueDialogFiles({(dir / "euc" / "new.txt").string()});
  ASSERT_EQ(docs->SavePageAs(page), SaveOk);
  EXPECT_EQ(ReadBytes((dir / "euc" / "new.txt").string()), Iconv("猫です", "EUC-JP"));
  EXPECT_EQ(page.Encoding().charset, FileCharset::EucJp);
  EXPECT_EQ(page.Control().Text(), "猫です");
}

TEST_F(PageEncodingTest, ReopenInAChosenEncodingAsksFirstWhenModifiedAndIsNoUndoStep) {
  const std::string bytes = Iconv("ﾃｽ", "CP932");  // also valid UTF-8 ("Ã½")
  Page& page = Open("kana.txt", bytes);
  EXPECT_EQ(page.Encoding().charset, FileCharset::Cp932);
  Keys(page, "x");
  ui.QueueAnswer(IDNO);
  EXPECT_FALSE(docs->ReopenWithEncoding(page, FileCharset::Utf8));
  EXPECT_EQ(page.Encoding().charset, FileCharset::Cp932);
  ui.QueueAnswer(IDYES);
  ASSERT_TRUE(docs->ReopenWithEncoding(page, FileCharset::Utf8));
  EXPECT_EQ(page.Control().Text(), bytes);
  EXPECT_EQ(page.Encoding().charset, FileCharset::Utf8);
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(log->RecordCount(), 0u);
  // A reload keeps the chosen encoding.
  ASSERT_TRUE(docs->ReloadPage(page));
  EXPECT_EQ(page.Encoding().charset, FileCharset::Utf8);
}

TEST_F(PageEncodingTest, SavingInAnEncodingThatCannotHoldSomeCharactersSelectsTheFirstAndAsks) {
  Page& page = Open("emoji.txt", "猫😀犬😀\n");
  // Refused: nothing written, the first one selected.
  ui.QueueAnswer(IDNO);
  EXPECT_EQ(docs->SaveWithEncoding(page, {FileCharset::Cp932, false}, LineBreakKind::None), SaveCancelled);
  EXPECT_EQ(ReadBytes(page.FilePath()), "猫😀犬😀\n");
  EXPECT_EQ(page.Control().SelStart(), 3u);
  EXPECT_EQ(page.Control().SelLength(), 4u);
  EXPECT_NE(ui.LastBox().text.find("😀"), std::string::npos);
  EXPECT_NE(ui.LastBox().text.find("2 文字"), std::string::npos);
  EXPECT_EQ(ui.LastBox().flags & MB_DEFBUTTON2, MB_DEFBUTTON2);
  // Accepted: the substitute is written and shown.
  ui.QueueAnswer(IDYES);
  EXPECT_EQ(docs->SaveWithEncoding(page, {FileCharset::Cp932, false}, LineBreakKind::CrLf), SaveOk);
  EXPECT_EQ(ReadBytes(page.FilePath()), Iconv("猫〓犬〓\r\n", "CP932"));
  EXPECT_EQ(page.Encoding().charset, FileCharset::Cp932);
  EXPECT_EQ(page.Control().Text(), Iconv("猫〓犬〓\r\n", "CP932"));
  EXPECT_STREQ(LineBreakName(page.FileLineBreaks()), "CRLF");
  // Everything fits UTF-16: no question.
  const std::size_t boxes = ui.Boxes().size();
  EXPECT_EQ(docs->SaveWithEncoding(page, {FileCharset::Utf16Le, true}, LineBreakKind::Lf), SaveOk);
  EXPECT_EQ(ui.Boxes().size(), boxes);
  EXPECT_EQ(ReadBytes(page.FilePath()), "\xFF\xFE" + Iconv("猫〓犬〓\n", "UTF-16LE"));
}

TEST_F(PageEncodingTest, AnEucJpPageWithATypedEmojiIsNotSavedSilently) {
  Page& page = Open("e.txt", Iconv("猫です", "EUC-JP"));
  ASSERT_EQ(page.Encoding().charset, FileCharset::EucJp);
  page.Control().SetSelection(page.Control().TextLength(), 0);
  Memory(page).TypeText("😀");
  ui.QueueAnswer(IDNO);
  EXPECT_EQ(docs->SavePage(page), SaveCancelled);
  EXPECT_EQ(ReadBytes(page.FilePath()), Iconv("猫です", "EUC-JP"));
  EXPECT_TRUE(page.Modified());
  // The batch saves and closes ask this before any file is written, and refuse the Page.
  EXPECT_FALSE(Documents::FileHoldsText(page));
  page.Control().SetSelection(page.Control().TextLength() - 4, 4);  // the emoji
  page.Control().ReplaceSelection("");
  EXPECT_TRUE(Documents::FileHoldsText(page)) << page.Control().Text();
}

TEST_F(PageEncodingTest, TheEncodingCommandsAskFromAList) {
  Page& page = Open("c.txt", "猫\n");
  ui.QueueChoice(3);  // EUC-JP
  ui.QueueChoice(1);  // CRLF
  docs->SaveWithEncodingCommand();
  EXPECT_EQ(ReadBytes(page.FilePath()), Iconv("猫\r\n", "EUC-JP"));
  ui.QueueChoice(0);  // Shift_JIS
  ui.QueueAnswer(IDYES);
  page.SetModified(true);
  docs->ReopenWithEncodingCommand();
  EXPECT_EQ(page.Encoding().charset, FileCharset::Cp932);
  EXPECT_EQ(ui.ChoicePrompts().size(), 3u);
}

}  // namespace
}  // namespace norra::testing
