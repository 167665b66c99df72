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

}  // namespace
}  // namespace norra
