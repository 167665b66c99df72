// Group member-list files: parsing, formatting, round trips on disk.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "groups/GroupFile.h"

namespace norra {
namespace {

namespace fs = std::filesystem;
using Members = std::vector<std::string>;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path TempFolder(const char* name) {
  fs::path p = fs::path(::testing::TempDir()) / ("grp_" + std::to_string(::getpid()) + "_" + name);
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

TEST(GroupFileTest, ParseSplitsLinesAndSkipsEmptyOnes) {
  EXPECT_EQ(GroupFile::ParseMembers(""), Members{});
  EXPECT_EQ(GroupFile::ParseMembers("/a/x.txt\r\n\r\n/b/y\r\n"), (Members{"/a/x.txt", "/b/y"}));
  EXPECT_EQ(GroupFile::ParseMembers("/a\n/b\r/c\r\n/d"), (Members{"/a", "/b", "/c", "/d"}));
  // Lines are taken unchanged: no trimming, relative paths stay relative.
  EXPECT_EQ(GroupFile::ParseMembers(" rel/p \r\n"), Members{" rel/p "});
}

TEST(GroupFileTest, ParseAcceptsCp932AndUtf8) {
  // "/文書/表.txt" in CP932; 表 (0x955C) has "\" as its second byte.
  const std::string cp932 = "/\x95\xb6\x8f\x91/\x95\x5c.txt\r\n";
  EXPECT_EQ(GroupFile::ParseMembers(cp932), Members{"/文書/表.txt"});
  EXPECT_EQ(GroupFile::ParseMembers("\xEF\xBB\xBF/文書/表.txt\r\n"), Members{"/文書/表.txt"});
  EXPECT_EQ(GroupFile::ParseMembers("\xEF\xBB\xBF/a\r\n"), Members{"/a"});  // byte-order mark
  // Half-width katakana are single CP932 bytes that are never valid UTF-8 on their own.
  EXPECT_EQ(GroupFile::ParseMembers("/\xC3\xDE\xB0\xC0\r\n"), Members{"/ﾃﾞｰﾀ"});
}

TEST(GroupFileTest, FormatWritesCp932UnlessAMemberNeedsUtf8) {
  std::string bytes;
  ASSERT_TRUE(GroupFile::FormatMembers({"/文書/表.txt", "/b"}, bytes));
  EXPECT_EQ(bytes, "/\x95\xb6\x8f\x91/\x95\x5c.txt\r\n/b\r\n");
  // "é" has no CP932 form, so the whole file is UTF-8, marked as such.
  ASSERT_TRUE(GroupFile::FormatMembers({"/文書", "/café"}, bytes));
  EXPECT_EQ(bytes, "\xEF\xBB\xBF/文書\r\n/café\r\n");
  ASSERT_TRUE(GroupFile::FormatMembers({}, bytes));
  EXPECT_EQ(bytes, "");
  ASSERT_TRUE(GroupFile::FormatMembers({"/a", "", "/b"}, bytes));
  EXPECT_EQ(bytes, "/a\r\n/b\r\n");
  EXPECT_FALSE(GroupFile::FormatMembers({"/a\nb"}, bytes));
}

TEST(GroupFileTest, MembersWhoseCp932FormWouldReadDifferentlyReadBackUnchanged) {
  // "ﾃｽ" in CP932 is 0xC3 0xBD, which is also UTF-8 for "ý"; a first member starting with a
  // byte-order mark would lose it to the reader; a stray 0xEE byte before 﨟 (0xEE81, written
  // as 0xFB9D) would pair with 0xFB.
  const std::string stray = GroupFile::ParseMembers("\xEE\xEE\x81").at(0);
  for (const Members& members : {Members{"/ﾃｽ"}, Members{stray}, Members{"/a", "\xEF\xBB\xBF/b"},
                                 Members{"\xEF\xBB\xBF/a", "/b"}, Members{"\xEF\xBB\xBF"}}) {
    std::string bytes;
    ASSERT_TRUE(GroupFile::FormatMembers(members, bytes));
    EXPECT_EQ(GroupFile::ParseMembers(bytes), members) << bytes;
  }
}

TEST(GroupFileTest, RoundTripsThroughTheDisk) {
  fs::path dir = TempFolder("roundtrip");
  const std::string path = (dir / "work.tgp").string();
  for (const Members& members :
       {Members{"/home/u/a.txt", "/home/u/日本語/ﾒﾓ.txt", "/x/y"}, Members{"/emoji/😀.txt", "/文"},
        Members{"/u/¥/a", "/u/x‾"}, Members{"/u/〜.txt"}, Members{"/u/ﾌｧ"}, Members{}}) {
    ASSERT_EQ(GroupFile::Write(path, members), GroupFileStatus::Ok);
    Members back{"stale"};
    ASSERT_EQ(GroupFile::Read(path, back), GroupFileStatus::Ok);
    EXPECT_EQ(back, members);
  }
  Members none;
  EXPECT_EQ(GroupFile::Read((dir / "missing.tgp").string(), none), GroupFileStatus::Missing);
  fs::remove_all(dir);
}

TEST(GroupFileTest, FailedWriteLeavesTheOldFile) {
  fs::path dir = TempFolder("fail");
  const std::string path = (dir / "g.tgp").string();
  ASSERT_EQ(GroupFile::Write(path, {"/old"}), GroupFileStatus::Ok);
  EXPECT_EQ(GroupFile::Write(path, {"/new", "/bad\rline"}), GroupFileStatus::BadMember);
  EXPECT_EQ(Slurp(path), "/old\r\n");
  // A folder on the way that is really a file: the write cannot even start.
  EXPECT_EQ(GroupFile::Write(path + "/inner.tgp", {"/x"}), GroupFileStatus::WriteFailed);
  EXPECT_EQ(Slurp(path), "/old\r\n");
  fs::remove_all(dir);
}

TEST(GroupFileTest, DefaultExtensionOnlyWithoutAnyDot) {
  EXPECT_EQ(GroupFile::WithDefaultExtension("/groups/work"), "/groups/work.tgp");
  EXPECT_EQ(GroupFile::WithDefaultExtension("/my.groups/work"), "/my.groups/work");
  EXPECT_EQ(GroupFile::WithDefaultExtension("/groups/work.txt"), "/groups/work.txt");
  EXPECT_EQ(GroupFile::WithDefaultExtension("新グループ"), "新グループ.tgp");
}

TEST(GroupFileTest, ACp932GroupWhoseBytesAreAlsoValidUtf8ReadsAsCp932) {
  // "ﾃｽ" is C3 BD in CP932, "ý" in UTF-8; "ﾂｱ" is C2 B1, "±" in UTF-8.
  EXPECT_EQ(GroupFile::ParseMembers("/\xC3\xBD.txt\r\n/\xC2\xB1\r\n"),
            (Members{"/ﾃｽ.txt", "/ﾂｱ"}));
}

TEST(GroupFileTest, NulBytesAndOverlongLinesMakeNoMemberList) {
  const std::string longest(GroupFile::kMaxLineBytes, 'a');
  struct Case {
    std::string bytes;
    bool memberList;
  };
  const Case cases[] = {
      {"", true},
      {"/a\r\n/b", true},
      {"/" + longest.substr(1) + "\r\n/b\r\n", true},
      {longest + "a", false},
      {"/a\r\n" + longest + "a\r\n", false},
      {std::string("/secret.conf\0.txt\r\n", 19), false},
      {std::string("\0", 1), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GroupFile::IsMemberList(c.bytes), c.memberList) << c.bytes.size();

  // Read refuses such a file; a line is never taken as two paths or cut at its NUL.
  fs::path dir = TempFolder("notalist");
  const std::string binary = (dir / "program").string();
  std::ofstream(binary, std::ios::binary) << std::string("\x7F" "ELF\0\0\r\n/etc/passwd\r\n", 21);
  Members members{"kept"};
  EXPECT_EQ(GroupFile::Read(binary, members), GroupFileStatus::NotMemberList);
  EXPECT_EQ(members, Members{"kept"});
  const std::string huge = (dir / "huge.tgp").string();
  std::ofstream(huge, std::ios::binary) << std::string(std::size_t{1} << 20, 'x');
  EXPECT_EQ(GroupFile::Read(huge, members), GroupFileStatus::NotMemberList);
  // Nor is one written that could not be read back.
  std::string bytes;
  EXPECT_FALSE(GroupFile::FormatMembers({std::string("/a\0b", 4)}, bytes));
  fs::remove_all(dir);
}

TEST(GroupFileTest, ControlCharactersOtherThanTabMakeNoMemberPath) {
  EXPECT_TRUE(GroupFile::IsMemberPath("/a b/c.txt"));
  EXPECT_TRUE(GroupFile::IsMemberPath("/a\tb"));
  EXPECT_TRUE(GroupFile::IsMemberPath("/文書/ﾒﾓ.txt"));
  EXPECT_FALSE(GroupFile::IsMemberPath(std::string("/secret.conf\0.txt", 17)));
  EXPECT_FALSE(GroupFile::IsMemberPath("/a\x01.txt"));
  EXPECT_FALSE(GroupFile::IsMemberPath("/a\x1F"));
}

}  // namespace
}  // namespace norra
