// Splitting the command line into the settings file and the paths of the files to open.
#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "settings/SettingsPath.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    work = fs::path(::testing::TempDir()) / ("norra_cmdline_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "sub dir");
    std::ofstream(work / "a.txt") << "a";
    std::ofstream(work / "sub dir" / "b.txt") << "b";
  }
  void TearDown() override { fs::remove_all(work); }

  std::vector<std::string> Join(const std::vector<std::string>& args) {
    return JoinFileArguments(args, FirstFileArgument(args), work.string());
  }
  std::string W(const std::string& relative) const { return (work / relative).string(); }

  fs::path work;
};

TEST_F(CommandLineTest, SplitArgumentsAreJoinedUntilOneStartsANewPath) {
  // An unquoted path with a space arrives as two arguments and opens as one file.
  EXPECT_EQ(Join({W("sub"), "dir/b.txt"}), (std::vector<std::string>{W("sub dir/b.txt")}));
  // "/" starts a path; so does a name that exists relative to the working folder.
  EXPECT_EQ(Join({"/x/My", "File.txt", "/y/z.txt"}), (std::vector<std::string>{"/x/My File.txt", "/y/z.txt"}));
  EXPECT_EQ(Join({"/x/My", "a.txt"}), (std::vector<std::string>{"/x/My", W("a.txt")}));
  EXPECT_EQ(Join({"/x/My", "sub dir"}), (std::vector<std::string>{"/x/My", W("sub dir")}));
  // The first argument always starts a path, existing or not; relative paths become absolute
  // and lexically normal.
  EXPECT_EQ(Join({"missing", "part"}), (std::vector<std::string>{W("missing part")}));
  EXPECT_EQ(Join({"./sub dir/../a.txt"}), (std::vector<std::string>{W("a.txt")}));
  // Three pieces of one path, and empty arguments (quoted "") add nothing.
  EXPECT_EQ(Join({"", "/p/a", "b", "", "c"}), (std::vector<std::string>{"/p/a b c"}));
  EXPECT_TRUE(Join({}).empty());
}

TEST_F(CommandLineTest, SettingsOptionTakesArgumentsUpToTheIniName) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(FirstFileArgument({"a.txt"}), 0u);
  EXPECT_EQ(FirstFileArgument({"-F"}), 0u);  // alone it is a file name
  EXPECT_EQ(FirstFileArgument({"-f", "x.ini", "a.txt"}), 0u);  // case-sensitive
  EXPECT_EQ(FirstFileArgument({"-F", "x.INI", "a.txt"}), 2u);
  EXPECT_EQ(FirstFileArgument({"-F", "/my", "settings/x.ini", "a.txt", "b.txt"}), 3u);
  EXPECT_EQ(FirstFileArgument({"-F", "x.txt", "a.txt"}), 3u);  // no ".ini": no file arguments

  EXPECT_EQ(Join({"-F", "/conf/x.ini", W("a.txt")}), (Args{W("a.txt")}));
  EXPECT_TRUE(Join({"-F", "x.txt", W("a.txt")}).empty());

  // The settings path reads exactly the arguments the file list leaves out.
  for (const Args& args : {Args{"-F", "/my", "set.ini", "a.txt"}, Args{"-F", "rel.Ini", "b"},
                           Args{"-F", "a", "b.ini.txt", "c.ini", "d"}, Args{"-F", "no", "ini"}}) {
    const Args settingsPart(args.begin(), args.begin() + static_cast<long>(FirstFileArgument(args)));
    EXPECT_EQ(SettingsFilePath(settingsPart, "/conf/"), SettingsFilePath(args, "/conf/")) << args[1];
  }
  const CommandLine line = ParseCommandLine({"-F", "/my", "set.ini", "a.txt"}, work.string(), "/conf/");
  EXPECT_EQ(line.settingsFile, "/my set.ini");
  EXPECT_EQ(line.files, (Args{W("a.txt")}));
  EXPECT_EQ(ParseCommandLine({}, work.string(), "/conf/").settingsFile, "/conf/Norra.ini");
}

TEST(CommandLineInfoTest, HelpAndVersionAsTheFirstArgumentPrintInsteadOfStarting) {
  struct Case {
    std::vector<std::string> args;
    InfoRequest request;
  };
  for (const Case& c : std::vector<Case>{{{"--version"}, InfoRequest::Version},
                                         {{"--help"}, InfoRequest::Help},
                                         {{"-h", "a.txt"}, InfoRequest::Help},
                                         {{}, InfoRequest::None},
                                         {{"a.txt", "--help"}, InfoRequest::None},
                                         {{"-F", "x.ini"}, InfoRequest::None}}) {
    EXPECT_EQ(InfoRequestOf(c.args), c.request) << (c.args.empty() ? "" : c.args[0]);
  }
  EXPECT_EQ(InfoText(InfoRequest::Version, "1.2.3"), "norra 1.2.3\n");
  const std::string help = InfoText(InfoRequest::Help, "1.2.3");
  EXPECT_EQ(help.rfind("Usage: norra [--new-window] [-F SETTINGS.ini] [FILE...]\n", 0), 0u);
  for (const char* option : {"-F SETTINGS.ini", "--help", "--version"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
  EXPECT_EQ(InfoText(InfoRequest::None, "1.2.3"), "");
}

}  // namespace
}  // namespace norra
