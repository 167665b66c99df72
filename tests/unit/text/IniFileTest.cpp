// Tests of the INI file: profile lookup rules, editing, encodings, bad input and atomic saving.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "text/Encoding.h"
#include "text/IniFile.h"

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

fs::path FreshDir(const std::string& name) {
  fs::path dir =
      fs::path(::testing::TempDir()) / ("norra_ini_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

IniFile Parsed(std::string_view bytes) {
  IniFile f;
  f.Parse(bytes);
  return f;
}

TEST(IniFileTest, LookupIgnoresCaseAndFirstDuplicateWins) {
  IniFile f = Parsed(
      "junk before any section\r\n"
      "Orphan=1\r\n"
      "[Edit]\r\n"
      "TabStop=8\r\n"
      "tabstop=2\r\n"
      "  Name  =  spaced value  \r\n"
      "Quoted=\" kept blanks \"\r\n"
      "Single='x'\r\n"
      "Half=\"open\r\n"
      "Empty=\r\n"
      "; Comment=not a key\r\n"
      "[EDIT]\r\n"
      "TabStop=99\r\n"
      "Other=only in the second\r\n");
  EXPECT_EQ(f.ReadInteger("edit", "TABSTOP", 0), 8);
  EXPECT_EQ(f.ReadString("Edit", "name", "d"), "spaced value");
  EXPECT_EQ(f.ReadString("Edit", "Quoted", "d"), " kept blanks ");
  EXPECT_EQ(f.ReadString("Edit", "Single", "d"), "x");
  EXPECT_EQ(f.ReadString("Edit", "Half", "d"), "\"open");
  EXPECT_EQ(f.ReadString("Edit", "Empty", "d"), "");
  EXPECT_EQ(f.ReadString("Edit", "; Comment", "d"), "d");
  // The second [EDIT] is hidden behind the first.
  EXPECT_EQ(f.ReadString("Edit", "Other", "d"), "d");
  // Keys before the first section belong to no section.
  EXPECT_FALSE(f.ValueExists("", "Orphan"));
  EXPECT_TRUE(f.SectionExists("eDiT"));
  EXPECT_FALSE(f.SectionExists("Vision"));
  EXPECT_EQ(f.ReadSectionKeys("edit"),
            (std::vector<std::string>{"TabStop", "Name", "Quoted", "Single", "Half", "Empty"}));
}

TEST(IniFileTest, IntegersFollowProfileRules) {
  EXPECT_EQ(IniFile::ParseProfileInt("42", 7), 42);
  EXPECT_EQ(IniFile::ParseProfileInt("  -15", 7), -15);
  EXPECT_EQ(IniFile::ParseProfileInt("+3", 7), 3);
  EXPECT_EQ(IniFile::ParseProfileInt("12abc", 7), 12);
  EXPECT_EQ(IniFile::ParseProfileInt("abc", 7), 7);
  EXPECT_EQ(IniFile::ParseProfileInt("", 7), 7);
  EXPECT_EQ(IniFile::ParseProfileInt("-", 7), 7);
  EXPECT_EQ(IniFile::ParseProfileInt("- 5", 7), 7);
  EXPECT_EQ(IniFile::ParseProfileInt("2147483647", 7), INT_MAX);
  EXPECT_EQ(IniFile::ParseProfileInt("2147483648", 7), INT_MAX);
  EXPECT_EQ(IniFile::ParseProfileInt("99999999999999999999999999999", 7), INT_MAX);
  EXPECT_EQ(IniFile::ParseProfileInt("-2147483648", 7), INT_MIN);
  EXPECT_EQ(IniFile::ParseProfileInt("-99999999999999999999999999999", 7), INT_MIN);
  EXPECT_EQ(IniFile::ParseProfileInt("0x10", 7), 0);

  IniFile f = Parsed("[S]\nA=5\nB=junk\nC=0\nD=-1\nE=\"12\"\n");
  EXPECT_EQ(f.ReadInteger("S", "A", 1), 5);
  EXPECT_EQ(f.ReadInteger("S", "B", 1), 1);
  EXPECT_EQ(f.ReadInteger("S", "Missing", -4), -4);
  EXPECT_EQ(f.ReadInteger("S", "E", 1), 12);
  EXPECT_TRUE(f.ReadBool("S", "A", false));
  EXPECT_FALSE(f.ReadBool("S", "C", true));
  EXPECT_TRUE(f.ReadBool("S", "D", false));
  EXPECT_TRUE(f.ReadBool("S", "B", true));
  EXPECT_FALSE(f.ReadBool("S", "B", false));
}

TEST(IniFileTest, WritingKeepsUnknownLinesAndPlacesKeys) {
  IniFile f = Parsed(
      "; top comment\r\n"
      "[Edit]\r\n"
      "TabStop=8\r\n"
      "no equals sign here\r\n"
      "tabstop=2\r\n"
      "\r\n"
      "[Vision]\r\n"
      "ToolBar=1\r\n");
  EXPECT_TRUE(f.WriteInteger("EDIT", "TabStop", 3));              // in place, first occurrence
  EXPECT_TRUE(f.WriteBool("Edit", "UseTabCode", true));           // appended before the blank line
  EXPECT_TRUE(f.WriteString("Help", "SecondHelp", "/a/b.html"));  // new section at the end
  EXPECT_TRUE(f.WriteString("Print", "HeadLine", " padded "));
  EXPECT_TRUE(f.WriteString("Print", "Quote", "\"both\""));
  EXPECT_EQ(f.Serialize(),
            "; top comment\r\n"
            "[Edit]\r\n"
            "TabStop=3\r\n"
            "no equals sign here\r\n"
            "tabstop=2\r\n"
            "UseTabCode=1\r\n"
            "\r\n"
            "[Vision]\r\n"
            "ToolBar=1\r\n"
            "\r\n"
            "[Help]\r\n"
            "SecondHelp=/a/b.html\r\n"
            "\r\n"
            "[Print]\r\n"
            "HeadLine=\" padded \"\r\n"
            "Quote=\"\"both\"\"\r\n");
  // What was written reads back exactly.
  IniFile again = Parsed(f.Serialize());
  EXPECT_EQ(again.ReadString("Print", "HeadLine", ""), " padded ");
  EXPECT_EQ(again.ReadString("Print", "Quote", ""), "\"both\"");
  EXPECT_EQ(again.ReadInteger("Edit", "TabStop", 0), 3);

  // Names and values the file cannot hold are refused without a trace.
  std::string before = f.Serialize();
  EXPECT_FALSE(f.WriteString("Edit", "Key", "two\nlines"));
  EXPECT_FALSE(f.WriteString("Edit", "Key", "cr\rhere"));
  EXPECT_FALSE(f.WriteString("Edit", "a=b", "v"));
  EXPECT_FALSE(f.WriteString("Edit", "", "v"));
  EXPECT_FALSE(f.WriteString("Edit", " Key", "v"));
  EXPECT_FALSE(f.WriteString("Ed]it", "Key", "v"));
  EXPECT_FALSE(f.WriteString("", "Key", "v"));
  EXPECT_FALSE(f.WriteString("Edit", "Key", "bad \xFF utf8"));
  EXPECT_EQ(f.Serialize(), before);
}

TEST(IniFileTest, EraseSectionAndDeleteKey) {
  IniFile f = Parsed(
      "[FILE]\r\nA=1\r\n; note\r\n"
      "[Keep]\r\nA=2\r\nB=3\r\nA=4\r\n"
      "[file]\r\nA=5\r\n");
  f.EraseSection("File");
  EXPECT_FALSE(f.SectionExists("FILE"));
  f.DeleteKey("keep", "a");
  EXPECT_FALSE(f.ValueExists("Keep", "A"));  // the hidden duplicate does not resurface
  EXPECT_EQ(f.ReadInteger("Keep", "B", 0), 3);
  f.DeleteKey("Nowhere", "A");
  f.EraseSection("Nowhere");
  EXPECT_EQ(f.Serialize(), "[Keep]\r\nB=3\r\n");
}

TEST(IniFileTest, EncodingsOnReadAndWrite) {
  const std::string nameUtf8 = "ﾌｧｲﾙ名:[pathname]";
  const std::string nameCp932 = Utf8ToCp932(nameUtf8);

  // CP932 in, CP932 out, with CR LF whatever the line breaks were.
  IniFile cp = Parsed("[Print]\nHeadLine=" + nameCp932 + "\rFontName=x\n");
  EXPECT_EQ(cp.ReadString("Print", "HeadLine", ""), nameUtf8);
  EXPECT_EQ(cp.ReadString("Print", "FontName", ""), "x");
  EXPECT_FALSE(cp.NeedsUtf8());
  EXPECT_EQ(cp.Serialize(), "[Print]\r\nHeadLine=" + nameCp932 + "\r\nFontName=x\r\n");

  // UTF-8 in (with or without BOM) is read as UTF-8 and, when CP932 holds it all, written as CP932.
  IniFile u = Parsed("\xEF\xBB\xBF[Print]\r\nHeadLine=" + nameUtf8 + "\r\n");
  EXPECT_EQ(u.ReadString("Print", "HeadLine", ""), nameUtf8);
  EXPECT_EQ(u.Serialize(), "[Print]\r\nHeadLine=" + nameCp932 + "\r\n");

  // A value CP932 cannot hold makes the whole file UTF-8, unknown lines included.
  const std::string kana = "ｶﾅ comment";
  IniFile mixed = Parsed("; " + Utf8ToCp932(kana) + "\r\n");
  ASSERT_TRUE(mixed.WriteString("File", "Recent0", "/home/é/ü.txt"));
  EXPECT_TRUE(mixed.NeedsUtf8());
  EXPECT_EQ(mixed.Serialize(), "; " + kana + "\r\n\r\n[File]\r\nRecent0=/home/é/ü.txt\r\n");
  EXPECT_EQ(Parsed(mixed.Serialize()).ReadString("File", "Recent0", ""), "/home/é/ü.txt");

  // CP932 bytes that would pass for UTF-8 are written as UTF-8, so they read back the same.
  IniFile ambiguous;
  ASSERT_TRUE(ambiguous.WriteString("Norra", "UserName", "ﾌｧ"));
  ASSERT_TRUE(IsValidUtf8(Utf8ToCp932("ﾌｧ")));
  EXPECT_TRUE(ambiguous.NeedsUtf8());
  EXPECT_EQ(Parsed(ambiguous.Serialize()).ReadString("Norra", "UserName", ""), "ﾌｧ");

  // A character CP932 holds only as a look-alike makes the file UTF-8 too: it must read back.
  for (const char* folder : {"/home/u/¥/", "/home/u/〜/", "/home/u/‾/"}) {
    IniFile lookAlike;
    ASSERT_TRUE(lookAlike.WriteString("File", "CurrentDir", folder));
    EXPECT_TRUE(lookAlike.NeedsUtf8()) << folder;
    EXPECT_EQ(Parsed(lookAlike.Serialize()).ReadString("File", "CurrentDir", ""), folder);
  }
  // A stray 0xEE byte before 﨟 (0xEE81, which CP932 writes as 0xFB9D) would pair with 0xFB;
  // a first line that starts with a byte-order mark would lose it; a CP932 file whose first
  // bytes look like one keeps them: all read back the same.
  for (const std::string& bytes : {std::string("[S]\r\nK=\xEE\xEE\x81\r\n"),
                                   std::string("\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nK=1\r\n"),
                                   std::string("\xEF\xBB\xBF\xEF\xBB\xBF\xCF\xCF[S]\r\nK=1\r\n")}) {
    const IniFile read = Parsed(bytes);
    const std::string written = read.Serialize();
    EXPECT_EQ(Parsed(written).Serialize(), written);
    EXPECT_EQ(Parsed(written).ReadString("S", "K", "?"), read.ReadString("S", "K", "?"));
  }
  EXPECT_EQ(Parsed("\xEF\xBB\xBF\xCF\xCF\r\n").Serialize(), "\xEF\xBB\xBF\xCF\xCF\r\n");

  // Bytes that are not CP932 survive a rewrite unchanged.
  const std::string junk = "; \x80\xA0\xFD\xFE\xFF\x81\r\n[S]\r\nK=\x85\x40\r\n";
  IniFile j = Parsed(junk);
  ASSERT_TRUE(j.WriteInteger("S", "N", 1));
  EXPECT_EQ(j.Serialize(), "; \x80\xA0\xFD\xFE\xFF\x81\r\n[S]\r\nK=\x85\x40\r\nN=1\r\n");
}

TEST(IniFileTest, BinaryJunkAndLongLinesNeverBreakIt) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 200; ++round) {
    std::string bytes;
    int len = round * 37 % 2000;
    for (int i = 0; i < len; ++i) bytes += static_cast<char>(byte(rng));
    if (round % 3 == 0) bytes.insert(0, "[S]\r\nK=");
    IniFile f = Parsed(bytes);
    f.ReadString("S", "K", "");
    f.ReadInteger("S", "K", 0);
    f.ReadSectionKeys("S");
    ASSERT_TRUE(f.WriteString("S", "New", "v"));
    f.DeleteKey("S", "K");
    IniFile again = Parsed(f.Serialize());
    EXPECT_EQ(again.ReadString("S", "New", ""), "v") << "round " << round;
  }
  std::string nul("[S]\r\nK=a\0b\r\n", 12);
  EXPECT_EQ(Parsed(nul).ReadString("S", "K", ""), std::string("a\0b", 3));
  std::string longValue(1 << 20, 'x');
  IniFile big = Parsed("[S]\r\nK=" + longValue + "\r\n" + std::string(1 << 20, '[') + "\r\n");
  EXPECT_EQ(big.ReadString("S", "K", ""), longValue);
}

TEST(IniFileTest, LoadAndSaveFiles) {
  fs::path dir = FreshDir("files");
  IniFile missing((dir / "none.ini").string());
  EXPECT_EQ(missing.Load(), IniFile::LoadResult::Missing);
  EXPECT_FALSE(missing.SectionExists("S"));

  fs::path path = dir / "a.ini";
  WriteAll(path, "; keep\r\n[S]\r\nK=1\r\n");
  ::chmod(path.c_str(), 0640);
  IniFile f(path.string());
  std::string bytes = "stale";
  ASSERT_EQ(f.Load(bytes), IniFile::LoadResult::Read);
  EXPECT_EQ(bytes, "; keep\r\n[S]\r\nK=1\r\n");  // as read, for a copy of the file
  EXPECT_EQ(f.ReadInteger("S", "K", 0), 1);
  ASSERT_TRUE(f.WriteInteger("S", "K", 2));
  ASSERT_TRUE(f.Save());
  EXPECT_EQ(ReadAll(path), "; keep\r\n[S]\r\nK=2\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A folder where the file should be cannot be read, and is not replaced.
  fs::create_directories(dir / "folder.ini");
  IniFile folder((dir / "folder.ini").string());
  EXPECT_EQ(folder.Load(), IniFile::LoadResult::Failed);
  ASSERT_TRUE(folder.WriteInteger("S", "K", 1));
  EXPECT_FALSE(folder.Save());
  EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));

  // A path through a regular file holds nothing and cannot be written.
  IniFile through((dir / "a.ini" / "x.ini").string());
  EXPECT_EQ(through.Load(), IniFile::LoadResult::Missing);
  ASSERT_TRUE(through.WriteInteger("S", "K", 1));
  EXPECT_FALSE(through.Save());
  EXPECT_EQ(ReadAll(path), "; keep\r\n[S]\r\nK=2\r\n");
  fs::remove_all(dir);
}

// A history or recent-file section of tens of thousands of keys: reading every key, writing
// them all into a new file and deleting most of them again each cost a bounded amount per key.
TEST(IniFileTest, ManyKeysAreReadWrittenAndDeletedInWorkLinearInTheirNumber) {
  constexpr std::size_t kKeys = 60000;
  std::string bytes = "[Find]\r\n";
  for (std::size_t i = 1; i <= kKeys; ++i)
    bytes += std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
  bytes += "\r\n[Other]\r\nKey=1\r\n";

  IniFile read = Parsed(bytes);
  std::size_t found = 0;
  for (const std::string& key : read.ReadSectionKeys("find"))
    found += read.ReadString("Find", key, "") == "v" + key ? 1 : 0;
  EXPECT_EQ(found, kKeys);
  EXPECT_LT(read.Work(), 4 * kKeys);

  IniFile written;
  for (std::size_t i = 1; i <= kKeys; ++i)
    ASSERT_TRUE(written.WriteString("Find", std::to_string(i), "v" + std::to_string(i)));
  ASSERT_TRUE(written.WriteString("Other", "Key", "1"));
  EXPECT_EQ(written.Serialize(), bytes);
  EXPECT_LT(written.Work(), 4 * kKeys);

  // Keys deleted from the end, then one added: it lands after the last key left.
  IniFile trimmed = Parsed(bytes);
  for (std::size_t i = kKeys; i > 2; --i) trimmed.DeleteKey("FIND", std::to_string(i));
  ASSERT_TRUE(trimmed.WriteString("Find", "new", "x"));
  EXPECT_EQ(trimmed.Serialize(), "[Find]\r\n1=v1\r\n2=v2\r\nnew=x\r\n\r\n[Other]\r\nKey=1\r\n");
  EXPECT_LT(trimmed.Work(), 8 * kKeys);
}

}  // namespace
}  // namespace norra
