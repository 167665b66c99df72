// Line splitting and joining of files rewritten by disk search.
#include <gtest/gtest.h>

#include <random>

#include "findreplace/LineBreaks.h"

namespace norra {
namespace {

TEST(LineBreaksTest, SplitsAtEveryKindOfBreak) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(SplitLines("abc"), V{"abc"});
  EXPECT_EQ(SplitLines("abc\r\n"), V{"abc"});
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
  // LF CR is two breaks, CR CR LF too; empty lines stay lines.
  EXPECT_EQ(SplitLines("a\n\rb"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\r\nb\r\n\r\n"), (V{"a", "", "b", ""}));
  EXPECT_EQ(SplitLines("\r\n"), V{""});
}

TEST(LineBreaksTest, JoinEndsEveryLineIncludingTheLast) {
  EXPECT_EQ(JoinLinesWith("", kCrLf), "");
  EXPECT_EQ(JoinLinesWith("abc", kCrLf), "abc\r\n");
  EXPECT_EQ(JoinLinesWith("a\nb\rc\r\nd\r\n", kCrLf), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(JoinLinesWith("a\r\nb", kLf), "a\nb\n");
  EXPECT_EQ(JoinLinesWith("\n\n", kCrLf), "\r\n\r\n");
  // Trail bytes of two-byte characters are never CR or LF, so Japanese text passes intact.
  const std::string sjis = "\x93\xfa\x96\x7b\n\x8c\xea";  // 日本\n語
  EXPECT_EQ(JoinLinesWith(sjis, kCrLf), "\x93\xfa\x96\x7b\r\n\x8c\xea\r\n");
}

TEST(LineBreaksTest, JoinAgreesWithSplit) {
  for (std::string_view text : {"x", "\r", "\n\r\n\r", "ab\r\rcd\n", "\r\n\n\r\r\n"}) {
    std::string joined;
    for (std::string_view line : SplitLines(text)) {
      joined.append(line);
      joined.append(kCrLf);
    }
    EXPECT_EQ(JoinLinesWith(text, kCrLf), joined) << text;
  }
}

TEST(LineBreaksTest, IsJoinedWithMeansJoinChangesNothing) {
  for (std::string_view text : {"", "a", "a\r\n", "a\n", "\r\n\r\n", "\n\n", "a\r\nb\n", "a\r",
                                "a\r\r\n", "\n\r\n", "x\r\ny"}) {
    for (std::string_view brk : {kCrLf, kLf}) {
      EXPECT_EQ(IsJoinedWith(text, brk), JoinLinesWith(text, brk) == text)
          << "[" << text << "] " << brk.size();
    }
  }
}

TEST(LineBreaksTest, IsJoinedWithOnLongTexts) {
  // Long enough for the 64-byte steps; one break in each text is spoilt at a random place,
  // also on a step's edge.
  std::mt19937 rng(5);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    while (text.size() < 300) {
      text.append(rng() % 70, 'x');
      text += "\r\n";
    }
    const std::size_t at = rng() % text.size();
    switch (round % 4) {
      case 0:
        break;  // left whole
      case 1:
        text[at] = '\r';
        break;
      case 2:
        text[at] = '\n';
        break;
      case 3:
        text.insert(at, 1, text[at] == '\r' ? '\n' : '\r');
        break;
    }
    for (std::string_view brk : {kCrLf, kLf}) {
      EXPECT_EQ(IsJoinedWith(text, brk), JoinLinesWith(text, brk) == text) << round << " " << at;
    }
    // A NUL byte is found wherever it stands, before or after a spoilt break.
    if (round % 3 == 0) text[rng() % text.size()] = '\0';
    const TextForm form = ExamineText(text);
    EXPECT_EQ(form.hasNul, text.find('\0') != std::string::npos) << round;
    EXPECT_EQ(form.joinedWithCrLf, IsJoinedWith(text, kCrLf)) << round;
  }
  EXPECT_TRUE(ExamineText("").joinedWithCrLf);
  EXPECT_TRUE(ExamineText(std::string("a\0", 2)).hasNul);
  EXPECT_TRUE(ExamineText(std::string("\0\r\n", 3)).hasNul);
}

}  // namespace
}  // namespace norra
