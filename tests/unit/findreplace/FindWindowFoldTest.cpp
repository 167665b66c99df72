// The find window's width and kana folds: kept in the settings, and at work in every range.
#include <fstream>

#include "FindWindowHarness.h"

namespace norra::testing {
namespace {

class FindWindowFoldTest : public FindWindowTest {
 protected:
  void Folds(bool width, bool kana) {
    window->SetFoldWidth(width);
    window->SetFoldKana(kana);
  }
  std::string Write(const std::string& name, std::string_view utf8) {
    const fs::path path = dir / "tree" / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << Utf8ToCp932(utf8);
    return path.string();
  }
  static std::string ReadUtf8(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Cp932ToUtf8(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
};

TEST_F(FindWindowFoldTest, TheFoldsAreKeptInTheSettingsAndShownAtCreation) {
  EXPECT_FALSE(window->Engine().Folds.Any());
  window->FindNext();  // a first command clears the changed conditions
  Folds(true, false);
  EXPECT_TRUE(window->Engine().ConditionsChanged);
  EXPECT_TRUE(settings->FindReplace.FoldWidth);
  EXPECT_FALSE(settings->FindReplace.FoldKana);
  window->SetFoldKana(true);
  window->Destroy();
  // The file holds them; a window made from it starts with them on and shows them so.
  auto again = std::make_unique<Settings>(tags, (dir / "Norra.ini").string(), dir.string(),
                                          ScreenSize{1920, 1080});
  ASSERT_TRUE(again->Load());
  EXPECT_TRUE(again->FindReplace.FoldWidth);
  EXPECT_TRUE(again->FindReplace.FoldKana);
  ASSERT_TRUE(window->Create());
  EXPECT_EQ(window->Engine().Folds, (WidthKanaFolds{true, true}));
  EXPECT_EQ(view.folds, (std::pair<bool, bool>{true, true}));
}

// Each range finds and replaces what the folds make equal, covering whole written characters.
TEST_F(FindWindowFoldTest, EveryRangeOfPagesFindsAndReplacesWithTheFolds) {
  struct Case {
    const char* what;
    bool width;
    bool kana;
    FindRange range;
    std::vector<std::string> pages;
    const char* find;
    char command;  // F find next, A replace all
    const char* shown;  // the active Page afterwards, "#index text"
  };
  const Case cases[] = {
      {"width: ガ finds ｶﾞ whole", true, false, FindRange::CurrentPad, {"|xｶﾞy"}, "ガ", 'F',
       "#0 x[ｶﾞ]y"},
      {"width: full-width letters", true, false, FindRange::CurrentPad, {"|ＡＢＣabc"}, "abc",
       'F', "#0 [ＡＢＣ]abc"},
      {"without the width fold", false, false, FindRange::CurrentPad, {"|xｶﾞ ガ"}, "ガ", 'F',
       "#0 xｶﾞ [ガ]"},
      {"kana: か finds ｶ and カ", false, true, FindRange::CurrentPad, {"|ｶか"}, "カ", 'A',
       "#0 |XX"},
      {"kana in the selection only", false, true, FindRange::SelText, {"か[カｶ]か"}, "か", 'A',
       "#0 か[XX]か"},
      {"both over the notebook", true, true, FindRange::AllNote, {"|ﾃﾞｰﾀ", "でーた"}, "データ",
       'A', "#0 |X"},
      {"both: next match on a later Page", true, true, FindRange::AllNote, {"|abc", "ＡＢＣ"},
       "ａｂｃ", 'F', "#0 [abc]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    OpenPages(c.pages);
    window->SetMode(kReplaceMode);
    window->ChooseRange(c.range);
    Folds(c.width, c.kana);
    SetFind(c.find);
    SetReplace("X");
    if (c.command == 'F') window->FindNext();
    if (c.command == 'A') window->ReplaceAll();
    EXPECT_EQ("#" + std::to_string(ActiveIndex()) + " " + Show(), c.shown);
    if (c.range == FindRange::AllNote && c.command == 'A') {
      EXPECT_EQ(Show(1), "|X");
    }
  }
  // Find next steps on from a folded match to the next one.
  TearDown();
  SetUp();
  OpenPages({"|ｶﾞがガ"});
  Folds(true, true);
  SetFind("が");
  window->FindNext();
  EXPECT_EQ(Show(), "[ｶﾞ]がガ");
  window->FindNext();
  EXPECT_EQ(Show(), "ｶﾞ[が]ガ");
  window->FindNext();
  EXPECT_EQ(Show(), "ｶﾞが[ガ]");
}

TEST_F(FindWindowFoldTest, TheFolderRangeRewritesFilesWithTheFolds) {
  const std::string a = Write("a.txt", "ｶﾞｿﾘﾝ と がそりん\r\n");
  const std::string b = Write("b.txt", "ガソリン\r\n");
  window->Open(kReplaceMode);
  window->ChooseRange(FindRange::Directory);
  window->SetFolderText((dir / "tree").string());
  Folds(true, true);
  SetFind("[into a]ガソ[/to]リン");
  SetReplace("<[from a]>");
  window->ReplaceAll();
  EXPECT_EQ(ReadUtf8(a), "<ｶﾞｿ> と <がそ>\r\n");
  EXPECT_EQ(ReadUtf8(b), "<ガソ>\r\n");
}

}  // namespace
}  // namespace norra::testing
