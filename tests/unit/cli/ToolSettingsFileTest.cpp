// The tools read the settings file named by -F and never write it, whatever it holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/common/CliRunner.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> FolderNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int RunTool(bool replace, std::vector<std::string> args) {
  std::vector<const char*> argv{replace ? "norra-replace" : "norra-find"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int status = replace ? RunReplaceTool(static_cast<int>(argv.size()), argv.data())
                             : RunFindTool(static_cast<int>(argv.size()), argv.data());
  ::testing::internal::GetCapturedStdout();
  ::testing::internal::GetCapturedStderr();
  return status;
}

TEST(ToolSettingsFileTest, SettingsFilePassedWithDashFIsByteIdenticalAfterTheToolRan) {
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("norra_cli_settings_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string ini = (dir / "n.txt").string();
  const std::string text = (dir / "x.txt").string();

  struct Case {
    const char* what;
    std::string bytes;
    const char* find;  // a tag pattern as the editor would read it with this file
  };
  const Case cases[] = {
      {"notes", "notes\n[Edit]\nimportant=1\n", "[which[abc][zzz]]"},
      {"random bytes", std::string("\x00\xFF\x81\r\x85garbage\n", 12), "[which[abc][zzz]]"},
      {"empty", "", "[which[abc][zzz]]"},
      {"version line lost", "[Norra]\nUserName=Me\n[KARVOSystem]\nWHICH=w\n", "[w[abc][zzz]]"},
      {"legacy", "[FINDREPLACE]\nWILD_WHICH=one\n", "[one[abc][zzz]]"},
      {"old version", "[Norra]\r\nIniVersion=250\r\n[EDIT]\r\nAutoClearByLogBytes=1\r\n",
       "[which[abc][zzz]]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteAll(ini, c.bytes);
    // The same command means the same every time it runs.
    for (int round = 0; round < 2; ++round) {
      WriteAll(text, "abc\n");
      EXPECT_EQ(RunTool(false, {"-F", ini, c.find, text}), kExitFound);
      EXPECT_EQ(RunTool(true, {"--dry-run", "-F", ini, c.find, "X", text}), kExitFound);
      EXPECT_EQ(ReadAll(text), "abc\n");
      EXPECT_EQ(RunTool(true, {"-F", ini, c.find, "X", text}), kExitFound);
      EXPECT_EQ(ReadAll(text), "X\n");
      EXPECT_EQ(ReadAll(ini), c.bytes);
      EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"n.txt", "x.txt"}));
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace norra
