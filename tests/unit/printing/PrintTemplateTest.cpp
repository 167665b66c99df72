// Header and footer templates: every code with its counters, text that only looks like a
// code, refused arguments, dates, and the cut to the columns per line.
#include <gtest/gtest.h>

#include <string>

#include "printing/PrintTemplate.h"
#include "text/Encoding.h"

namespace norra {
namespace {

DateTime ChristmasEve() {
  DateTime dt;
  dt.year = 2001;
  dt.month = 12;
  dt.day = 24;
  dt.hour = 9;
  dt.minute = 5;
  dt.second = 7;
  return dt;
}

std::string RenderUtf8(const std::string& templateUtf8, const PrintCounters& counters,
                       int columns = 0) {
  PrintTemplate compiled;
  EXPECT_TRUE(compiled.Compile(Utf8ToCp932(templateUtf8), ChristmasEve(), "DefaultUser"))
      << templateUtf8;
  return compiled.Render(counters, columns);
}

// Page 2 of a three-page file, the first of two files, second copy of two, sheet 5 of 12.
PrintCounters SomeSheet() {
  PrintCounters c;
  c.fileName = "a.txt";
  c.pathName = "C:\\doc\\a.txt";
  c.fileIndex = 0;
  c.fileCount = 2;
  c.copyIndex = 2;
  c.copyCount = 2;
  c.sheetIndex = 5;
  c.sheetCount = 12;
  c.pageInFile = 2;
  c.pagesOfFile = 3;
  c.pagesBeforeFile = 0;
  c.pagesOfCopy = 6;
  return c;
}

TEST(PrintTemplateTest, EveryCodeAndTextThatOnlyLooksLikeOne) {
  PrintCounters second = SomeSheet();
  second.fileName = "b.txt";
  second.fileIndex = 1;
  second.pageInFile = 1;
  second.pagesOfFile = 3;
  second.pagesBeforeFile = 3;
  struct Case {
    const char* templ;
    const PrintCounters* counters;
    const char* expected;
  };
  const PrintCounters first = SomeSheet();
  const Case cases[] = {
      {"ﾌｧｲﾙ名:[pathname] ([pageindex_file[1]]/[pagecount_file[0]]ﾍﾟｰｼﾞ)", &first,
       "ﾌｧｲﾙ名:C:\\doc\\a.txt (2/3ﾍﾟｰｼﾞ)"},
      {"日付:[now[yyyy/mm/dd]] 第[copyindex[1]]部 編集者:[username]", &first,
       "日付:2001/12/24 第2部 編集者:DefaultUser"},
      {"[filename]", &second, "b.txt"},
      {"[fileindex[1]]/[filecount[0]]", &second, "2/2"},
      {"[fileindex[0]]/[filecount[1]]", &second, "1/3"},
      {"[copyindex[1]]/[copycount[0]]", &first, "2/2"},
      {"[pageindex[1]]/[pagecount[0]]", &first, "5/12"},
      {"[pageindex[0]]/[pagecount[1]]", &first, "4/13"},
      {"[pageindex_copy[1]]/[pagecount_copy[0]]", &first, "2/6"},
      {"[pageindex_copy[1]]/[pagecount_copy[0]]", &second, "4/6"},
      {"[pageindex_file[+1]] [pageindex_file[-1]] [pagecount_file[10]]", &first, "2 0 13"},
      {"[now[yyyy/mm/dd hh:nn:ss]]", &first, "2001/12/24 09:05:07"},
      {"[now[dddd]]", &first, "月曜日"},
      // The codes are case-sensitive and need their whole form.
      {"[PathName] [page] [ x", &first, "[PathName] [page] [ x"},
      {"[pageindex[1] x", &first, "[pageindex[1] x"},
      {"[pageindex[]] [now[]]] [filename", &first, "[pageindex[]] [now[]]] [filename"},
      {"[[filename]]", &first, "[a.txt]"},
      {"]][[", &first, "]][["},
      // A date format with an open quote is no code.
      {"[now['yy]] [filename]", &first, "[now['yy]] a.txt"},
      // "ー" is 0x81 0x5B in CP932: its second byte is no bracket.
      {"ーfilename] ‐pathname‐", &first, "ーfilename] ‐pathname‐"},
      {"", &first, ""},
      {"no codes at all", &first, "no codes at all"},
  };
  for (const Case& c : cases) EXPECT_EQ(RenderUtf8(c.templ, *c.counters), c.expected) << c.templ;
}

TEST(PrintTemplateTest, ANumericCodeWithoutANumberRefusesTheWholeTemplate) {
  for (const char* bad : {"[pageindex_file[x]]", "a [filecount[1x]] b", "[copyindex[+]]",
                          "[pageindex[ 1]]", "[pagecount[99999999999]]"}) {
    PrintTemplate compiled;
    EXPECT_FALSE(compiled.Compile(bad, ChristmasEve(), "u")) << bad;
  }
  // The refusal names the code as written and the character it starts at.
  struct Named {
    const char* templ;
    const char* code;
    std::size_t column;
  };
  for (const Named& n : {Named{"[pageindex_file[x]]", "[pageindex_file[x]]", 1},
                         Named{"a [filecount[1x]] b", "[filecount[1x]]", 3},
                         Named{"日付:[filename] [copyindex[+]]", "[copyindex[+]]", 15}}) {
    const auto bad = PrintTemplate::Check(n.templ);
    ASSERT_TRUE(bad.has_value()) << n.templ;
    EXPECT_EQ(bad->code, n.code) << n.templ;
    EXPECT_EQ(bad->column, n.column) << n.templ;
  }
  EXPECT_FALSE(PrintTemplate::Check("日付:[now[yyyy]] [page] [").has_value());
  std::int64_t value = 0;
  EXPECT_TRUE(PrintTemplate::ParseNumber("-2147483647", value));
  EXPECT_EQ(value, -2147483647);
}

TEST(PrintTemplateTest, AHugeTemplateOfUnclosedCodesCompilesInOnePass) {
  // A settings file edited by hand: a megabyte of codes that never close is one literal, and
  // looking for their "]]" again at every "[" would take minutes.
  std::string opened;
  for (int i = 0; i < 100000; ++i) opened += "[pageindex[";
  PrintTemplate compiled;
  ASSERT_TRUE(compiled.Compile(opened + "[filename]", ChristmasEve(), "u"));
  EXPECT_EQ(compiled.Render(SomeSheet(), 0), opened + "a.txt");
  // The closing pair found once still ends the code that owns it.
  EXPECT_EQ(RenderUtf8("[now[]] [pageindex[]] [copycount[1]]", SomeSheet()),
            "[now[]] [pageindex[]] 3");
}

TEST(PrintTemplateTest, TheLineIsCutToTheColumnsWithoutSplittingACharacter) {
  const PrintCounters c = SomeSheet();
  EXPECT_EQ(RenderUtf8("[filename]-[pathname]", c, 8), "a.txt-C:");
  // "あ" takes bytes 4 and 5: cut at 4 columns, only "abc" is left.
  EXPECT_EQ(RenderUtf8("abcあい", c, 4), "abc");
  EXPECT_EQ(RenderUtf8("abcあい", c, 5), "abcあ");
  EXPECT_EQ(Cp932ToUtf8(std::string(CutToColumns(Utf8ToCp932("ああ"), 3))), "あ");
}

TEST(PrintTemplateTest, NamesOutsideCp932RenderAsTheyAreAndCountAsFullWidth) {
  PrintCounters c = SomeSheet();
  c.fileName = "한글.txt";
  PrintTemplate compiled;
  ASSERT_TRUE(compiled.Compile("[filename] [username]", ChristmasEve(), "Łukasz"));
  EXPECT_EQ(compiled.Render(c, 0), "한글.txt Łukasz");
  // Each of the two Korean letters takes two columns, as a full-width character would.
  EXPECT_EQ(compiled.Render(c, 3), "한");
  EXPECT_EQ(compiled.Render(c, 4), "한글");
  EXPECT_EQ(compiled.Render(c, 10), "한글.txt ");  // "Ł" would take columns 10 and 11
}

}  // namespace
}  // namespace norra
