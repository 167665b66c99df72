// A folder run never takes the temporary files of a save or run in progress, nor leftovers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "findreplace/FolderEnumerator.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

TEST(FolderTemporariesTest, NoMaskTakesTemporaryFilesOfReplacements) {
  const fs::path root =
      fs::path(::testing::TempDir()) / ("norra_tmpnames_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "sub");
  for (const char* name :
       {"a.txt", ".a.txt.norra-4242-abcd0123.tmp", "sub/.b.txt.norra-1-zzzzzzzz.tmp",
        "sub/.c.txt.norra-abcd0123", "sub/b.txt"}) {
    std::ofstream(root / name) << "x";
  }
  const std::string folder = root.string() + "/";
  EXPECT_EQ(EnumerateFolderFiles(folder, {"*"}, true),
            (std::vector<std::string>{folder + "a.txt", folder + "sub/b.txt"}));
  EXPECT_EQ(EnumerateFolderFiles(folder, {".*", "*.TMP", "*NORRA*"}, true),
            std::vector<std::string>{});
  fs::remove_all(root);
}

}  // namespace
}  // namespace norra
