// Tests of the settings file's path: the "-F" option's joining of split arguments.
#include <gtest/gtest.h>

#include "settings/SettingsPath.h"

namespace norra {
namespace {

TEST(SettingsPathTest, JoinsSplitArgumentsUntilIni) {
  const std::string folder = "/home/u/.config/norra/";
  EXPECT_EQ(SettingsFilePath({"-F", "/My", "Settings/x.ini", "extra"}, folder),
            "/My Settings/x.ini");
  EXPECT_EQ(SettingsFilePath({"-F", "my.ini"}, folder), folder + "my.ini");
  EXPECT_EQ(SettingsFilePath({"-F", "my.ini"}, "/cfg"), "/cfg/my.ini");
  EXPECT_EQ(SettingsFilePath({"-F", "/a/B.InI", "/a/c.txt"}, folder), "/a/B.InI");
  // No argument ending in .ini: everything is joined and the trailing space stays.
  EXPECT_EQ(SettingsFilePath({"-F", "/tmp/conf", "file"}, folder), "/tmp/conf file ");
  // Short parts are joined with a space like any other.
  EXPECT_EQ(SettingsFilePath({"-F", "/a", "b.ini"}, folder), "/a b.ini");
  EXPECT_EQ(SettingsFilePath({"-F", "/", "x", "ini"}, folder), "/ x ini ");
  EXPECT_EQ(SettingsFilePath({"-F", ".ini"}, folder), folder + ".ini");
  EXPECT_EQ(SettingsFilePath({"-F", "sub/x.INI"}, folder), folder + "sub/x.INI");
}

TEST(SettingsPathTest, DefaultWithoutOption) {
  const std::string folder = "/cfg/norra/";
  EXPECT_EQ(SettingsFilePath({}, folder), folder + "Norra.ini");
  EXPECT_EQ(SettingsFilePath({"-F"}, folder), folder + "Norra.ini");
  EXPECT_EQ(SettingsFilePath({"-f", "x.ini"}, folder), folder + "Norra.ini");
  EXPECT_EQ(SettingsFilePath({"/a.txt", "-F", "x.ini"}, folder), folder + "Norra.ini");
  EXPECT_EQ(SettingsFilePath({"-F", ""}, folder), folder + "Norra.ini");
}

}  // namespace
}  // namespace norra
