// The piece of a line norra-find prints for a hit.
#include <gtest/gtest.h>

#include <string>

#include "findreplace/LineExcerpt.h"
#include "text/Cp932.h"

namespace norra {
namespace {

TEST(LineExcerptTest, AShortLineIsPrintedWhole) {
  LineExcerpt excerpt;
  const std::string line(LineExcerpt::kWidth, 'x');
  EXPECT_EQ(excerpt.For(line, 0), line);
  EXPECT_EQ(excerpt.For(line, LineExcerpt::kWidth - 1), line);
  EXPECT_EQ(excerpt.For("", 0), "");
}

TEST(LineExcerptTest, ALongLineGivesABoundedPieceAroundEachHitCutBetweenCharacters) {
  // 1 MB of one line, two-byte characters and numbers (so that no stretch repeats), with a
  // hit every 100 bytes.
  std::string line;
  for (int i = 0; line.size() < (1u << 20); ++i) line += "\x93\xfa\x96\x7b" + std::to_string(i);
  std::vector<bool> boundary(line.size() + 1, false);
  for (std::size_t pos = 0; pos <= line.size();
       pos += pos == line.size() ? 1 : CharStepAt(line, pos))
    boundary[pos] = true;

  LineExcerpt excerpt;
  const std::string_view cut = LineExcerpt::kCut;
  for (std::size_t hit = 1; hit < line.size(); hit += 100) {
    const std::string piece = excerpt.For(line, hit);
    ASSERT_LE(piece.size(), LineExcerpt::kWidth + 2 * cut.size()) << hit;
    const bool cutBefore = piece.starts_with(cut);
    const bool cutAfter = piece.ends_with(cut);
    const std::string_view body = std::string_view(piece).substr(
        cutBefore ? cut.size() : 0, piece.size() - (cutBefore + cutAfter) * cut.size());
    // The body is a stretch of the line that holds the hit and starts and ends on boundaries.
    const std::size_t from =
        line.find(body, hit > LineExcerpt::kWidth ? hit - LineExcerpt::kWidth : 0);
    ASSERT_NE(from, std::string::npos) << hit;
    EXPECT_TRUE(boundary[from] && boundary[from + body.size()]) << hit;
    EXPECT_EQ(cutBefore, from > 0) << hit;
    EXPECT_EQ(cutAfter, from + body.size() < line.size()) << hit;
    EXPECT_LE(from, hit);
    EXPECT_GT(from + body.size(), hit);
    EXPECT_GE(body.size(), LineExcerpt::kWidth - 1);
  }
}

}  // namespace
}  // namespace norra
