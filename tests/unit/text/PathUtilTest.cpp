// Tests of the path helpers: parts, extension, existence tests, normal form, settings folder.
#include "text/PathUtil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace norra {
namespace {

TEST(PathUtilTest, NameAndFolderParts) {
  EXPECT_EQ(FileNamePart("/home/u/a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("/home/u/a.txt"), "/home/u/");
  EXPECT_EQ(FileNamePart("a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("a.txt"), "");
  EXPECT_EQ(FileNamePart("/home/u/"), "");
  EXPECT_EQ(FolderPart("/home/u/"), "/home/u/");
  EXPECT_EQ(FileNamePart("/"), "");
  EXPECT_EQ(FolderPart("/"), "/");
  EXPECT_EQ(FolderPart("/x"), "/");
  // A backslash is an ordinary character of a Linux name.
  EXPECT_EQ(FileNamePart("/d/a\\b"), "a\\b");
  // UTF-8 names are cut only at "/".
  EXPECT_EQ(FileNamePart("/文書/メモ.txt"), "メモ.txt");
  EXPECT_EQ(FolderPart("/文書/メモ.txt"), "/文書/");
}

TEST(PathUtilTest, ExtensionOfTheWholePath) {
  EXPECT_EQ(ExtensionOf("/d/a.txt"), "TXT");
  EXPECT_EQ(ExtensionOf("/d/a.txt", true), ".TXT");
  EXPECT_EQ(ExtensionOf("/d/archive.tar.Gz"), "GZ");
  EXPECT_EQ(ExtensionOf("/d/readme"), "");
  EXPECT_EQ(ExtensionOf("/d/readme", true), "");
  EXPECT_EQ(ExtensionOf("/d/name."), "");
  EXPECT_EQ(ExtensionOf("/d/name.", true), ".");
  // A dot in a folder name counts: the extension is everything after it.
  EXPECT_EQ(ExtensionOf("/ver.2/readme"), "2/README");
  EXPECT_EQ(ExtensionOf("/d/.bashrc"), "BASHRC");
  // Only ASCII letters change; UTF-8 bytes stay as they are.
  EXPECT_EQ(ExtensionOf("/d/a.ｔxt"), "ｔXT");
}

TEST(PathUtilTest, NormalForm) {
  EXPECT_EQ(NormalizePath("/a/./b/../c"), "/a/c");
  EXPECT_EQ(NormalizePath("//a///b"), "/a/b");
  EXPECT_EQ(NormalizePath("/a/b/"), "/a/b/");
  EXPECT_EQ(NormalizePath("/a/b/.."), "/a/");
  EXPECT_EQ(NormalizePath("/a/b/."), "/a/b/");
  EXPECT_EQ(NormalizePath("/../../a"), "/a");
  EXPECT_EQ(NormalizePath("/.."), "/");
  EXPECT_EQ(NormalizePath("/"), "/");
  EXPECT_EQ(NormalizePath("a/../../b"), "../b");
  EXPECT_EQ(NormalizePath("a/.."), ".");
  EXPECT_EQ(NormalizePath("./a"), "a");
  EXPECT_EQ(NormalizePath("~/a"), "~/a");
  EXPECT_EQ(NormalizePath("/a/...b/..."), "/a/...b/...");
  EXPECT_EQ(NormalizePath(""), "");

  EXPECT_EQ(MakeAbsolute("b/../c.txt", "/home/u"), "/home/u/c.txt");
  EXPECT_EQ(MakeAbsolute("c.txt", "/home/u/"), "/home/u/c.txt");
  EXPECT_EQ(MakeAbsolute("../../../x", "/home/u"), "/x");
  EXPECT_EQ(MakeAbsolute("/etc/./x", "/home/u"), "/etc/x");
  EXPECT_EQ(MakeAbsolute("~", "/home/u"), "/home/u/~");
  EXPECT_EQ(MakeAbsolute("", "/home/u"), "");

  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(MakeAbsolute("x.txt"), NormalizePath(cwd + "/x.txt"));
  EXPECT_EQ(MakeAbsolute("/q/../r"), "/r");
}

TEST(PathUtilTest, FileAndFolderTests) {
  const std::filesystem::path root =
      std::filesystem::path(::testing::TempDir()) / ("norra_pathutil_" + std::to_string(::getpid()));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "sub");
  { std::ofstream(root / "file.txt") << "x"; }
  std::filesystem::create_symlink(root / "file.txt", root / "link");
  std::filesystem::create_symlink(root / "sub", root / "dirlink");
  std::filesystem::create_symlink(root / "gone", root / "dangling");
  const std::string r = root.string();

  EXPECT_TRUE(IsFile(r + "/file.txt"));
  EXPECT_FALSE(IsFolder(r + "/file.txt"));
  EXPECT_TRUE(IsFile(r + "/file.txt/"));  // one trailing "/" is removed first
  EXPECT_FALSE(IsFile(r + "/file.txt//"));
  EXPECT_TRUE(IsFolder(r + "/sub"));
  EXPECT_TRUE(IsFolder(r + "/sub/"));
  EXPECT_FALSE(IsFile(r + "/sub"));
  EXPECT_TRUE(IsFolder("/"));
  EXPECT_FALSE(IsFile("/"));
  EXPECT_FALSE(IsFile(r + "/missing"));
  EXPECT_FALSE(IsFolder(r + "/missing"));
  EXPECT_FALSE(IsFile(""));
  EXPECT_FALSE(IsFolder(""));
  EXPECT_TRUE(IsFile(r + "/link"));
  EXPECT_TRUE(IsFolder(r + "/dirlink"));
  EXPECT_FALSE(IsFile(r + "/dangling"));
  EXPECT_FALSE(IsFolder(r + "/dangling"));
  EXPECT_FALSE(IsFile(r + "/file.txt/inner"));
  std::filesystem::remove_all(root);
}

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PathUtilTest, SettingsFolder) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg/x");
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(SettingsFolder(), "/cfg/x/norra/");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg/x/");
    EXPECT_EQ(SettingsFolder(), "/cfg/x/norra/");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(SettingsFolder(), "/home/u/.config/norra/");
  }
  {
    // An empty or relative value is ignored, as the base-directory rules say.
    ScopedEnv home("HOME", "/home/u");
    ScopedEnv empty("XDG_CONFIG_HOME", "");
    EXPECT_EQ(SettingsFolder(), "/home/u/.config/norra/");
    ScopedEnv relative("XDG_CONFIG_HOME", "cfg");
    EXPECT_EQ(SettingsFolder(), "/home/u/.config/norra/");
  }
  {
    // Without HOME the password database names the home folder.
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    const std::string folder = SettingsFolder();
    EXPECT_EQ(folder.front(), '/');
    EXPECT_TRUE(folder.ends_with("/.config/norra/")) << folder;
  }
}

}  // namespace
}  // namespace norra
