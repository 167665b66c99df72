// norra-find's piece-by-piece reading tells and folds what a look at the whole file would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "cli/common/FindFileReader.h"
#include "text/CaseMap.h"

namespace norra {
namespace {

namespace fs = std::filesystem;

TEST(FindFileReaderTest, PiecesTellAndFoldWhatTheWholeFileWould) {
  const fs::path path =
      fs::path(::testing::TempDir()) / ("norra_find_reader_" + std::to_string(::getpid()) + ".txt");
  // Files larger than one piece (256 KB), so that pieces end inside two-byte characters,
  // between a CR and its LF and in long runs of lead bytes.
  std::mt19937 rng(5);
  const std::string alphabet = "ab\r\n\x82\x81\x60\x83\xbf\x9f\xe0\xfa\x40";
  auto randomText = [&](std::size_t size) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  std::string crlf;
  while (crlf.size() < 600000) crlf += "x\x82\x81y\xfa\x40 text\r\n";
  std::string leadRun(300001, '\x82');  // a lead byte at every piece's end, and an odd tail
  std::string crAtPieceEnd(256 * 1024 - 1, 'a');
  crAtPieceEnd += "\r\nAB\r\n";
  std::string splitPair(256 * 1024 - 1, 'x');  // a lead byte ends the first piece
  splitPair +=
      "\xe0"
      "ab\r\n";
  std::string withNul = crlf;
  withNul[400000] = '\0';
  const std::string cases[] = {"",          "abc",         "a\r\n",           crlf,
                               crlf + "\n", crlf + "tail", leadRun,           crAtPieceEnd,
                               splitPair,   withNul,       randomText(700000)};
  for (const std::string& text : cases) {
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const TextForm expected = ExamineText(text);
    for (bool fold : {false, true}) {
      FindFileReader reader(fold);
      std::string bytes;
      ASSERT_EQ(reader.Read(path.string(), bytes), FileError::None);
      EXPECT_EQ(reader.Form().hasNul, expected.hasNul) << text.size();
      EXPECT_EQ(reader.Form().joinedWithCrLf, expected.joinedWithCrLf) << text.size();
      EXPECT_TRUE(bytes == (fold ? ToUpperCp932Copy(text) : text)) << text.size() << " " << fold;
    }
  }
  fs::remove(path);
}

// Each file is read and folded in the encoding the choice gives it, pieces ending inside
// UTF-8 sequences; with the detection rule, a first piece that looks like UTF-8 in a file
// that is not makes the file be read again.
TEST(FindFileReaderTest, EachFileIsReadAndFoldedInItsEncoding) {
  const fs::path path = fs::path(::testing::TempDir()) /
                        ("norra_find_enc_" + std::to_string(::getpid()) + ".txt");
  std::string utf8;
  while (utf8.size() < 700000) utf8 += "aｚ😀Ωя\r\nⅰ犬x";  // pieces end inside characters
  std::string misleading = utf8;
  // ｚ in CP932, too often for a damaged UTF-8 file: the file is CP932.
  for (int i = 0; i < 30000; ++i) misleading += "\x82\x81";
  const std::string euc = "\xA3\xE1\xA4\xA2x";  // "ａあx" in EUC-JP
  struct Case {
    std::string bytes;
    EncodingChoice choice;
    FileCharset encoding;
    std::string folded;  // the text searched, upper-cased
  } const cases[] = {
      {utf8, EncodingChoice::Auto, FileCharset::Utf8, ToUpperCopyIn(Charset::Utf8, utf8)},
      {utf8, EncodingChoice::Utf8, FileCharset::Utf8, ToUpperCopyIn(Charset::Utf8, utf8)},
      {utf8, EncodingChoice::Cp932, FileCharset::Cp932, ToUpperCp932Copy(utf8)},
      {misleading, EncodingChoice::Auto, FileCharset::Cp932, ToUpperCp932Copy(misleading)},
      {"\xEF\xBB\xBF" "ab", EncodingChoice::Auto, FileCharset::Utf8, "AB"},
      {euc, EncodingChoice::Auto, FileCharset::EucJp, "ＡあX"},
      {"", EncodingChoice::Auto, FileCharset::Cp932, ""},
  };
  for (const Case& c : cases) {
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
    }
    FindFileReader reader(true, c.choice);
    std::string bytes;
    ASSERT_EQ(reader.Read(path.string(), bytes), FileError::None);
    EXPECT_EQ(reader.Held().Encoding(), c.encoding) << c.bytes.size();
    EXPECT_TRUE(reader.Held().Text() == c.folded) << c.bytes.size();
  }
  fs::remove(path);
}

}  // namespace
}  // namespace norra
