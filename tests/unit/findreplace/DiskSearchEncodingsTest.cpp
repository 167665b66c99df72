// The folder command over files in different encodings: each is searched and rewritten in its
// own encoding, with nothing but the matched bytes changed; a file that cannot hold a
// replacement is left alone and named.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "findreplace/DiskSearch.h"
#include "platform/MemoryUi.h"
#include "text/Encoding.h"
#include "text/SearchFileText.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

// "犬の名前" and "狗の名前" in EUC-JP.
const std::string kEucDog = "\xB8\xA4\xA4\xCE\xCC\xBE\xC1\xB0";
const std::string kEucKoinu = "\xB6\xE9\xA4\xCE\xCC\xBE\xC1\xB0";

class DiskEncodingsTest : public ::testing::Test {
 protected:
  DiskEncodingsTest() : symbols_(BuiltIn()), engine_(symbols_), search_(engine_, ui_) {}

  static TagSymbols BuiltIn() {
    TagTable table;
    table.Build();
    return table.BuiltInSymbols();
  }

  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("diskenc_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& rel, std::string_view bytes) {
    std::ofstream(root_ / rel, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& rel) const {
    std::ifstream in(root_ / rel, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  DiskSearchResult RunFolder() {
    DiskSearchRequest r;
    r.folderText = root_.string();
    r.subFolders = false;
    r.fileMasks = {"*"};
    return search_.RunFolder(r);
  }

  TagSymbols symbols_;
  MemoryUi ui_;
  SearchEngine engine_;
  DiskSearch search_;
  fs::path root_;
};

TEST_F(DiskEncodingsTest, AFolderReplaceOverMixedEncodingsChangesOnlyTheMatchedBytes) {
  // Bytes no encoding reads stay as they are beside the replacements.
  Write("sjis.txt", Utf8ToCp932("犬の名前\r\nｲﾇ犬\n") + "\x85\xFF" + Utf8ToCp932("犬"));
  Write("utf8.txt", "犬の名前\r\n😀犬\n犬");
  Write("bom.txt", "\xEF\xBB\xBF犬\r");
  Write("euc.txt", kEucDog + "\n" + kEucDog);
  Write("none.txt", "\xEF\xBB\xBF猫");
  ASSERT_TRUE(engine_.Compile(Utf8ToCp932("[into a][?][/to]の名前")));
  ASSERT_TRUE(engine_.CompileReplace(Utf8ToCp932("[from a]の名まえ")));
  engine_.RunReset();
  ASSERT_TRUE(engine_.CompileReplace(Utf8ToCp932("狗")));
  ASSERT_TRUE(engine_.Compile(Utf8ToCp932("犬")));
  engine_.RunReset();
  const DiskSearchResult r = RunFolder();
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 3 + 3 + 1 + 2);
  EXPECT_EQ(r.filesChanged, 4);
  EXPECT_EQ(Read("sjis.txt"), Utf8ToCp932("狗の名前\r\nｲﾇ狗\n") + "\x85\xFF" + Utf8ToCp932("狗"));
  EXPECT_EQ(Read("utf8.txt"), "狗の名前\r\n😀狗\n狗");
  EXPECT_EQ(Read("bom.txt"), "\xEF\xBB\xBF狗\r");
  EXPECT_EQ(Read("euc.txt"), kEucKoinu + "\n" + kEucKoinu);
  EXPECT_EQ(Read("none.txt"), "\xEF\xBB\xBF猫");
  EXPECT_EQ(engine_.TextCharset(), Charset::Cp932);  // the engine is as the run found it
}

TEST_F(DiskEncodingsTest, AFileThatCannotHoldTheReplacementIsLeftAndNamed) {
  Write("a_sjis.txt", Utf8ToCp932("犬"));
  Write("b_sjis.txt", Utf8ToCp932("猫"));  // no match: not named
  Write("c_utf8.txt", "犬😀");
  Write("d_euc.txt", kEucDog);
  // A replace text given in UTF-8 that CP932 and EUC-JP cannot hold.
  engine_.SetCharset(Charset::Utf8);
  ASSERT_TRUE(engine_.Compile("犬", Charset::Utf8));
  ASSERT_TRUE(engine_.CompileReplace("🐕", Charset::Utf8));
  engine_.RunReset();
  const DiskSearchResult r = RunFolder();
  EXPECT_EQ(r.end, DiskSearchEnd::Completed);
  EXPECT_EQ(r.replaceCount, 1);
  EXPECT_EQ(Read("c_utf8.txt"), "🐕😀");
  EXPECT_EQ(Read("a_sjis.txt"), Utf8ToCp932("犬"));
  EXPECT_EQ(Read("d_euc.txt"), kEucDog);
  ASSERT_EQ(r.leftNotHeld.size(), 2u);
  EXPECT_NE(r.leftNotHeld[0].find("a_sjis.txt"), std::string::npos);
  EXPECT_NE(r.leftNotHeld[1].find("d_euc.txt"), std::string::npos);
  EXPECT_NE(ui_.LastBox().text.find(std::string(DiskSearch::kLeftNotHeld) + "2個)"),
            std::string::npos);
}

TEST_F(DiskEncodingsTest, ANamedEncodingIsUsedForEveryFile) {
  Write("euc.txt", kEucDog);
  ASSERT_TRUE(engine_.Compile(Utf8ToCp932("犬")));
  ASSERT_TRUE(engine_.CompileReplace(Utf8ToCp932("狗")));
  engine_.RunReset();
  search_.SetEncodingChoice(EncodingChoice::Cp932);  // read as CP932, 犬 is not there
  EXPECT_EQ(RunFolder().replaceCount, 0);
  search_.SetEncodingChoice(EncodingChoice::EucJp);
  EXPECT_EQ(RunFolder().replaceCount, 1);
  EXPECT_EQ(Read("euc.txt"), kEucKoinu);
}

}  // namespace
}  // namespace norra
