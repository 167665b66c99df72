// The program's help topics, the keyword search in a user's help file, and where the viewer opens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/HelpLocation.h"
#include "app/HelpSearch.h"
#include "app/HelpTopics.h"
#include "text/Encoding.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

const std::string kHelpDir = NORRA_HELP_DIR;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool HasAnchor(const fs::path& page, const std::string& anchor) {
  const std::vector<std::string> anchors = HtmlAnchors(ReadFile(page));
  return std::find(anchors.begin(), anchors.end(), anchor) != anchors.end();
}

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    work = fs::path(::testing::TempDir()) /
           ("norra_help_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "copies");
  }
  void TearDown() override { fs::remove_all(work); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(work / name, std::ios::binary) << bytes;
    return (work / name).string();
  }
  std::string Copies() const { return (work / "copies").string(); }
  std::string OwnHelp() const { return kHelpDir + "/Norra.hlp"; }

  fs::path work;
};

TEST_F(HelpTest, EveryTopicAndHelpContextOpensAPageOfTheHelpFolderAtAnAnchorItHolds) {
  std::vector<std::string> keywords;
  for (const HelpTopic& topic : HelpTopics()) keywords.emplace_back(topic.keyword);
  for (int context = kHelpFindGuide; context <= kHelpGroup; ++context)
    keywords.push_back(HelpContextKeyword(context));
  for (int page = 0; page <= 6; ++page) keywords.push_back(OptionsPageHelpKeyword(page));
  for (const std::string& keyword : keywords) {
    SCOPED_TRACE(keyword);
    const HelpLocation location = LocateHelp(OwnHelp(), keyword, Copies());
    EXPECT_TRUE(location.found);
    ASSERT_TRUE(fs::is_regular_file(location.page));
    EXPECT_FALSE(location.anchor.empty());
    EXPECT_TRUE(HasAnchor(location.page, location.anchor));
    EXPECT_TRUE(location.generatedPage.empty());
  }
}

TEST_F(HelpTest, EveryLinkBetweenTheHelpPagesLeadsToAPageAndAnAnchorThatExist) {
  const std::regex link("href=\"([a-z0-9]+\\.html)(#([^\"]+))?\"");
  int links = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kHelpDir)) {
    if (entry.path().extension() != ".html") continue;
    const std::string html = ReadFile(entry.path());
    EXPECT_TRUE(IsValidUtf8(html)) << entry.path();
    for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it, ++links) {
      const fs::path target = fs::path(kHelpDir) / (*it)[1].str();
      SCOPED_TRACE(entry.path().filename().string() + " -> " + (*it)[0].str());
      ASSERT_TRUE(fs::is_regular_file(target));
      if ((*it)[3].matched) {
        EXPECT_TRUE(HasAnchor(target, (*it)[3].str()));
      }
    }
  }
  EXPECT_GT(links, 50);
}

TEST_F(HelpTest, TheContentsOrAnUnknownTopicOpenTheIndexOfTheProgramsHelp) {
  for (const char* keyword : {"", "topic9999"}) {
    const HelpLocation location = LocateHelp(OwnHelp(), keyword, Copies());
    EXPECT_EQ(location.page, kHelpDir + "/index.html");
    EXPECT_EQ(location.anchor, "");
    EXPECT_EQ(location.found, *keyword == '\0');
  }
  const HelpLocation folder = LocateHelp(kHelpDir, "TOPIC1013", Copies());
  EXPECT_EQ(folder.page, kHelpDir + "/filelist.html");
  EXPECT_EQ(folder.anchor, "topic1013");
  EXPECT_TRUE(
      LocateHelp((work / "nothing" / "Norra.hlp").string(), "topic1013", Copies()).page.empty());
  // What the message names when the help cannot be shown: the page, not the name standing for it.
  EXPECT_EQ(HelpContentsPage((work / "nothing" / "Norra.hlp").string()),
            (work / "nothing" / "index.html").string());
}

TEST_F(HelpTest, HtmlSearchTakesAKeyThenTheFirstKeyBeginningWithItThenTheText) {
  const std::string html =
      "<html><head><title>Ref</title><STYLE>h1 { color: red }</Style></head><body>\n"
      "<h1 id=\"top\">Reference</h1>\n"
      "<p>About <b>printf</b> &amp; friends.</p>\n"
      "<h2 id=\"strlen\">strlen</h2><p>Length of a string.</p>\n"
      "<a name=\"sprintf\"></a><h2>sprintf &#x2014; formatted</h2>\n"
      "<h2 id=\"fopen-r\">fopen</h2><p>Opens a file; see\n   also   fclose.</p>\n"
      "<h3>日本語の見出し</h3><p>全角　ｽﾍﾟｰｽ と 漢字。</p>\n"
      "<!-- strcat is not here --></body></html>";
  struct Case {
    const char* keyword;
    bool found;
    const char* anchor;
    const char* highlight;
  };
  const Case cases[] = {
      {"strlen", true, "strlen", ""},                 // an id equal to the keyword
      {"STRLEN\r\nsecond line", true, "strlen", ""},  // first line, case folded
      {"  sprintf ", true, "sprintf", ""},            // an <a name>, blanks trimmed
      {"sprintf \xE2\x80\x94 formatted", true, "sprintf",
       "sprintf \xE2\x80\x94 formatted"},   // a heading
      {"fopen", true, "fopen-r", "fopen"},  // a heading equal to it, before a key beginning with it
      {"str", true, "strlen", ""},          // the partial key: the first key beginning with it
      {"spr", true, "sprintf", ""},
      {"日本語", true, "fopen-r", "日本語の見出し"},  // a heading without id: the anchor before it
      {"friends", true, "top", "friends"},            // text: the anchor before it
      {"& FRIENDS", true, "top", "& friends"},        // entities read
      {"also fclose", true, "fopen-r", "also fclose"},  // blanks run together as a page shows them
      {"strcat", false, "", ""},                        // comments are not text
      {"color", false, "", ""},                         // nor style sheets
      {"\xE3\x80\x80", false, "", ""},                  // only blanks: nothing to search
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const HelpHit hit = SearchHtmlHelp(html, c.keyword);
    EXPECT_EQ(hit.found, c.found);
    EXPECT_EQ(hit.anchor, c.anchor);
    EXPECT_EQ(hit.highlight, c.highlight);
  }
}

TEST_F(HelpTest, APageWithManyScriptsIsReadInOnePass) {
  // Copying the rest of the page at every script would take minutes here.
  std::string html;
  for (int i = 0; i < 60000; ++i) html += "<script>var x = 1;</script><p>text</p>\n";
  html += "<h1 id=\"end\">needle</h1>";
  EXPECT_EQ(SearchHtmlHelp(html, "needle").anchor, "end");
}

TEST_F(HelpTest, TextSearchTakesTheFirstLineBeginningWithTheKeywordElseTheFirstHoldingIt) {
  const std::string text =
      "Index\r\nsee Printf below\r\n\xE3\x80\x80  PRINTF(3)\nprintf again\rlast";
  const HelpHit begins = SearchTextHelp(text, "printf");
  EXPECT_TRUE(begins.found);
  EXPECT_EQ(begins.line, 3);
  EXPECT_EQ(begins.anchor, "L3");
  EXPECT_EQ(begins.highlight, "PRINTF");
  const HelpHit holds = SearchTextHelp(text, "below");
  EXPECT_EQ(holds.line, 2);
  EXPECT_EQ(holds.highlight, "below");
  EXPECT_EQ(SearchTextHelp(text, "last").line, 5);
  EXPECT_FALSE(SearchTextHelp(text, "scanf").found);
}

TEST_F(HelpTest, ATextHelpFileOpensAsAPageMadeOfItsLinesAtTheLineOfTheHit) {
  // Shift-JIS text: "目次" / "a < b & c" / "検索 の説明"
  const std::string file = Write("manual.txt", Utf8ToCp932("目次\r\na < b & c\r\n検索 の説明\r\n"));
  const HelpLocation found = LocateHelp(file, "検索", Copies());
  EXPECT_TRUE(found.found);
  EXPECT_EQ(found.page, Copies() + "/manual.txt.html");
  EXPECT_EQ(found.anchor, "L3");
  EXPECT_EQ(found.highlight, "検索");
  EXPECT_NE(found.generatedPage.find("<span id=\"L2\">a &lt; b &amp; c</span>"), std::string::npos);
  EXPECT_NE(found.generatedPage.find("<span id=\"L3\">検索 の説明</span>"), std::string::npos);

  const HelpLocation contents = LocateHelp(file, "", Copies());
  EXPECT_TRUE(contents.found);
  EXPECT_EQ(contents.anchor, "");
  EXPECT_EQ(contents.generatedPage, found.generatedPage);
  EXPECT_FALSE(LocateHelp(file, "none", Copies()).found);
  // Binary help files are nothing a viewer of pages can show.
  const std::string binary = Write("old.hlp", std::string("?_\x03\0\0\0", 6));
  EXPECT_TRUE(LocateHelp(binary, "", Copies()).page.empty());
}

TEST_F(HelpTest, AnHtmlHelpFileIsOpenedItselfAndKnownByItsExtensionOrItsBeginning) {
  const std::string page = Write("ref.htm", "<h2 id=\"x\">Alpha</h2>");
  const HelpLocation location = LocateHelp(page, "alp", Copies());
  EXPECT_EQ(location.page, page);
  EXPECT_EQ(location.anchor, "x");
  EXPECT_EQ(location.highlight, "Alpha");
  EXPECT_TRUE(location.generatedPage.empty());
  EXPECT_TRUE(IsHtmlHelp("/h/ref.HTML", "plain"));
  EXPECT_TRUE(IsHtmlHelp("/h/ref", "\xEF\xBB\xBF\n <!DOCTYPE html><p>"));
  EXPECT_FALSE(IsHtmlHelp("/h/notes.txt", "<html>"));
  EXPECT_FALSE(IsHtmlHelp("/h/notes", "plain text"));
  // A Shift-JIS page is searched as the text it shows.
  const std::string sjis = Write("sjis.html", Utf8ToCp932("<h1 id=\"k\">検索</h1>"));
  EXPECT_EQ(LocateHelp(sjis, "検索", Copies()).anchor, "k");
}

}  // namespace
}  // namespace norra
