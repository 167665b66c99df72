// The rewrite of a file from the replace's pieces keeps the file's own bytes wherever nothing
// was replaced, however the text is cut into pieces.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "findreplace/LineBreakWriter.h"
#include "findreplace/LineBreaks.h"

namespace norra {
namespace {

std::string RandomBytes(std::mt19937& rng, std::size_t size) {
  static const char pieces[] = {'a', 'b', '\r', '\n', '\x82', '\x0d', 'x'};
  std::string s;
  for (std::size_t i = 0; i < size; ++i) s += pieces[rng() % sizeof pieces];
  return s;
}

bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

// Offsets of the bytes that are neither CR nor LF: the same bytes, in the same order, stand in
// the file and in the text the engine searched.
std::vector<std::size_t> ContentOffsets(std::string_view text) {
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsBreak(text[i])) offsets.push_back(i);
  }
  return offsets;
}

TEST(LineBreakWriterTest, ReplacedBytesChangeAndEveryOtherByteIsTheFileOwn) {
  std::mt19937 rng(3);
  for (int round = 0; round < 3000; ++round) {
    const std::string original = RandomBytes(rng, rng() % 40);
    const bool identity = IsJoinedWith(original, kCrLf);
    const std::string joined = JoinLinesWith(original, kCrLf);
    const std::vector<std::size_t> inJoined = ContentOffsets(joined);
    const std::vector<std::size_t> inOriginal = ContentOffsets(original);
    std::string out;
    LineBreakWriter writer(original, identity, [&out](std::string_view piece) {
      out.append(piece);
      return true;
    });
    // Matches lie within lines; the file with the same bytes replaced is what must come out.
    std::string expected;
    std::size_t expectedFrom = 0;  // bytes of the original taken into expected so far
    std::size_t rank = 0;          // content bytes of the joined text passed so far
    std::size_t pos = 0;
    while (pos < joined.size()) {
      std::size_t copy = rng() % (joined.size() - pos + 1);
      writer.Copy(std::string_view(joined).substr(pos, copy));
      pos += copy;
      while (rank < inJoined.size() && inJoined[rank] < pos) ++rank;
      if (pos >= joined.size() || IsBreak(joined[pos]) || rng() % 2) continue;
      std::size_t length = 0;
      while (pos + length < joined.size() && !IsBreak(joined[pos + length]) && rng() % 3) ++length;
      const std::string replacement = RandomBytes(rng, rng() % 5);
      writer.Insert(replacement, length);
      const std::size_t from = inOriginal[rank];
      expected.append(original, expectedFrom, from - expectedFrom);
      expected += replacement;
      expectedFrom = from + length;
      pos += length;
      rank += length;
    }
    expected.append(original, expectedFrom);
    ASSERT_TRUE(writer.Finish());
    ASSERT_EQ(out, expected) << round << " [" << original << "]";
  }
}

TEST(LineBreakWriterTest, LongStretchesAndFailingOutput) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "line " + std::to_string(i) + (i % 2 ? "\n" : "\r");
  const std::string joined = JoinLinesWith(text, kCrLf);
  std::string out;
  int calls = 0;
  LineBreakWriter writer(text, false, [&](std::string_view piece) {
    ++calls;
    out.append(piece);
    return true;
  });
  writer.Copy(joined);
  writer.Insert("tail", 0);
  EXPECT_TRUE(writer.Finish());
  EXPECT_EQ(out, text + "tail");
  EXPECT_GT(calls, 1);  // handed on in parts, not held whole

  LineBreakWriter refusing(joined, true, [](std::string_view) { return false; });
  refusing.Copy(std::string_view(joined).substr(0, 10));
  refusing.Copy(std::string_view(joined).substr(10));
  EXPECT_FALSE(refusing.Finish());
}

}  // namespace
}  // namespace norra
