// The vector substring search and the digit scan agree with plain byte-by-byte searches,
// also at block edges, at the text's end and for needles of repeated bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/LiteralFinder.h"
#include "engine/MatchSession.h"

namespace norra {
namespace {

// Texts over a small alphabet, so that needles occur often and partial hits are common.
std::string RandomText(std::mt19937& rng, std::size_t size, std::string_view alphabet) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text;
  for (std::size_t i = 0; i < size; ++i) text += alphabet[pick(rng)];
  return text;
}

TEST(LiteralFinderTest, FindsWhatStdFindFinds) {
  std::mt19937 rng(7);
  const std::string alphabet = "ab\r\n\x82\x83\x4f";
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomText(rng, 1 + rng() % 200, alphabet);
    const ByteCounts counts = LiteralFinder::SampleCounts(text);
    for (int k = 0; k < 8; ++k) {
      const std::string needle = RandomText(rng, 1 + rng() % 6, alphabet);
      const LiteralFinder sampled(needle, &counts);
      const LiteralFinder guessed(needle);
      for (std::size_t from = 0; from <= text.size() + 1; from += 1 + rng() % 7) {
        const std::size_t want = std::string_view(text).find(needle, from);
        ASSERT_EQ(sampled.Find(text, from), want) << round << " " << needle << " " << from;
        ASSERT_EQ(guessed.Find(text, from), want) << round << " " << needle << " " << from;
      }
    }
  }
}

TEST(LiteralFinderTest, EdgesOfTheTextAndRepeatedBytes) {
  std::string text(100, 'a');
  EXPECT_EQ(LiteralFinder("aaaa").Find(text, 0), 0u);
  EXPECT_EQ(LiteralFinder("aaaa").Find(text, 96), 96u);
  EXPECT_EQ(LiteralFinder("aaaa").Find(text, 97), LiteralFinder::npos);
  EXPECT_EQ(LiteralFinder("aab").Find(text, 0), LiteralFinder::npos);
  text += "b";  // the only hit ends on the text's last byte
  EXPECT_EQ(LiteralFinder("aab").Find(text, 0), 98u);
  EXPECT_EQ(LiteralFinder("b").Find(text, 0), 100u);
  EXPECT_EQ(LiteralFinder("").Find(text, 5), 5u);
  EXPECT_EQ(LiteralFinder("ab").Find(text, 200), LiteralFinder::npos);
  EXPECT_EQ(LiteralFinder("ab").Find("", 0), LiteralFinder::npos);
  // A needle longer than the text, and one as long as it.
  EXPECT_EQ(LiteralFinder("abc").Find("ab", 0), LiteralFinder::npos);
  EXPECT_EQ(LiteralFinder(text).Find(text, 0), 0u);
}

TEST(MatchSessionTest, DigitScanAndAlignedSearchRespectCharacters) {
  std::mt19937 rng(11);
  // Digits, full-width digits (82 4F-58), their lead byte as a trail byte (81 82), and "O".
  const std::string pieces[] = {"1", "9", "x", "\x82\x4f", "\x82\x58", "\x81\x82", "O", "\x82"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int n = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) text += pieces[rng() % 8];
    const MatchSession session(text, text);
    for (std::size_t from = 0; from <= text.size(); ++from) {
      std::size_t want = MatchSession::npos;
      for (std::size_t i = from; i < text.size(); ++i) {
        if (session.IsBoundary(i) && session.DigitLengthAt(i) != 0) {
          want = i;
          break;
        }
      }
      ASSERT_EQ(session.FindDigit(from), want) << round << " from " << from;
      // "\x82\x4f" (full-width 0) only counts where it is a whole character.
      std::size_t aligned = MatchSession::npos;
      for (std::size_t i = from; i + 2 <= text.size(); ++i) {
        if (text.compare(i, 2, "\x82\x4f") == 0 && session.IsBoundary(i) &&
            session.IsBoundary(i + 2)) {
          aligned = i;
          break;
        }
      }
      ASSERT_EQ(session.FindAligned("\x82\x4f", from), aligned) << round << " from " << from;
    }
  }
}

}  // namespace
}  // namespace norra
