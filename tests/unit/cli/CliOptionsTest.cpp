// Option parsing of norra-find and norra-replace.
#include <gtest/gtest.h>

#include "cli/common/CliOptions.h"

namespace norra {
namespace {

struct Parsed {
  bool ok = false;
  CliOptions options;
  std::string error;
};

Parsed Parse(CliTool tool, std::vector<const char*> args) {
  args.insert(args.begin(), "tool");
  Parsed p;
  p.ok = ParseCliOptions(tool, static_cast<int>(args.size()), args.data(), p.options, p.error);
  return p;
}

TEST(CliOptionsTest, OperandsAndOptionsMix) {
  Parsed p = Parse(CliTool::Replace, {"-c", "abc", "--mask=*.txt", "xyz", "-sd", "/tmp/d", "-n"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_TRUE(p.options.matchCase);
  EXPECT_TRUE(p.options.subdirs);
  EXPECT_TRUE(p.options.dryRun);
  EXPECT_EQ(p.options.dir, "/tmp/d");
  EXPECT_EQ(p.options.masks, "*.txt");
  EXPECT_EQ(p.options.find, "abc");
  EXPECT_EQ(p.options.replace, "xyz");
  EXPECT_TRUE(p.options.files.empty());

  p = Parse(CliTool::Find, {"-mX;Y", "--group", "g.tgp", "--", "-find-"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.masks, "X;Y");
  EXPECT_EQ(p.options.group, "g.tgp");
  EXPECT_EQ(p.options.find, "-find-");
  p = Parse(CliTool::Find, {"x", "--", "--offsets"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_FALSE(p.options.offsets);  // after "--" it is a FILE
  EXPECT_EQ(p.options.files, std::vector<std::string>{"--offsets"});

  // The fold options of both tools, off unless given.
  EXPECT_FALSE(p.options.foldWidth || p.options.foldKana);
  for (CliTool tool : {CliTool::Find, CliTool::Replace}) {
    p = Parse(tool, {"--fold-width", "x", "y", "f", "--fold-kana"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.foldWidth);
    EXPECT_TRUE(p.options.foldKana);
    EXPECT_NE(CliUsage(tool).find("--fold-width"), std::string::npos);
    EXPECT_NE(CliUsage(tool).find("--fold-kana"), std::string::npos);
  }

  p = Parse(CliTool::Find, {"x", "a", "b", "--offsets", "-F", "my.ini"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_TRUE(p.options.offsets);
  EXPECT_EQ(p.options.settingsFile, "my.ini");
  EXPECT_EQ(p.options.files, (std::vector<std::string>{"a", "b"}));
  // An empty REPLACE is a real operand (it deletes each match).
  p = Parse(CliTool::Replace, {"x", "", "f"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.replace, "");
}

TEST(CliOptionsTest, RefusesBadCombinations) {
  for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
           {"x"},                              // nothing to work on
           {"x", "y"},                         // norra-replace: no FILE
           {"x", "y", "f", "-d", "/d"},        // FILEs and a folder
           {"x", "y", "-d", "/d", "-g", "g"},  // folder and group
           {"x", "y", "f", "-s"},              // --subdirs without --dir
           {"x", "y", "f", "-m", "*.txt"},     // --mask with plain FILEs
           {"x", "y", "f", "g", "--stdout"},   // --stdout with two FILEs
           {"x", "y", "f", "--stdout", "-n"},  //
           {"x", "y", "f", "--offsets"},       // a norra-find option
           {"x", "y", "f", "--bogus"},         //
           {"x", "y", "f", "-q"},              //
           {"x", "y", "f", "--now", "2024-13-01 00:00:00"},
           {"x", "y", "f", "--dry-run=1"},  //
           {"x", "y", "f", "-d"},           // missing value
       }) {
    Parsed p = Parse(CliTool::Replace, args);
    EXPECT_FALSE(p.ok) << args.size() << " " << args.back();
    EXPECT_FALSE(p.error.empty());
  }
  EXPECT_FALSE(Parse(CliTool::Find, {"x", "f", "--stdout"}).ok);
  EXPECT_TRUE(Parse(CliTool::Find, {"--help"}).ok);
  EXPECT_TRUE(Parse(CliTool::Replace, {"--version"}).ok);
}

TEST(CliOptionsTest, PreviewUndoAndJournals) {
  struct Case {
    CliTool tool;
    std::vector<const char*> args;
    bool ok;
    std::string journal;  // of --undo
  };
  const Case cases[] = {
      {CliTool::Replace, {"--undo"}, true, ""},
      {CliTool::Replace, {"--undo", "/s/replace-1.undo"}, true, "/s/replace-1.undo"},
      {CliTool::Replace, {"--journals"}, true, ""},
      {CliTool::Replace, {"--preview", "a", "b", "-d", "/t", "-s"}, true, ""},
      {CliTool::Replace, {"--preview", "a", "b", "f.txt"}, true, ""},
      {CliTool::Replace, {"--undo", "j1", "j2"}, false, ""},
      {CliTool::Replace, {"--undo", "-c"}, false, ""},
      {CliTool::Replace, {"--undo", "--journals"}, false, ""},
      {CliTool::Replace, {"--journals", "x"}, false, ""},
      {CliTool::Replace, {"--preview", "-n", "a", "b", "f"}, false, ""},
      {CliTool::Replace, {"--preview", "--stdout", "a", "b", "f"}, false, ""},
      {CliTool::Replace, {"--preview", "a", "b"}, false, ""},  // nothing to replace in
      {CliTool::Find, {"--preview", "a", "f"}, false, ""},
      {CliTool::Find, {"--undo"}, false, ""},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.tool, c.args);
    std::string joined;
    for (const char* a : c.args) joined += std::string(a) + " ";
    EXPECT_EQ(p.ok, c.ok) << joined << p.error;
    if (p.ok) {
      EXPECT_EQ(p.options.journal, c.journal) << joined;
    } else {
      EXPECT_FALSE(p.error.empty()) << joined;
    }
  }
}

TEST(CliOptionsTest, NowText) {
  std::optional<DateTime> dt = ParseNowText("2001-02-03 04:05:06");
  ASSERT_TRUE(dt);
  EXPECT_EQ(dt->year, 2001);
  EXPECT_EQ(dt->month, 2);
  EXPECT_EQ(dt->day, 3);
  EXPECT_EQ(dt->hour, 4);
  EXPECT_EQ(dt->minute, 5);
  EXPECT_EQ(dt->second, 6);
  EXPECT_TRUE(ParseNowText("2001-02-03T04:05:06"));
  EXPECT_FALSE(ParseNowText("2001-02-30 00:00:00"));
  EXPECT_FALSE(ParseNowText("2001-02-03 04:05:06 extra"));
  EXPECT_FALSE(ParseNowText("2001-02-03"));
  EXPECT_FALSE(ParseNowText("2001-02-03 25:00:00"));
}

}  // namespace
}  // namespace norra
