// Character counts: a table of what a writer counts, and the fast CP932 count against a plain
// walk with CharLengthAt over random texts of every length around the 64-byte blocks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/CharacterCount.h"
#include "text/Encoding.h"

namespace norra {
namespace {

// The count by definition: step characters one by one, a CR LF being one.
std::size_t WalkCount(Charset charset, std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size();) {
    const bool crLf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
    at += crLf ? 2 : static_cast<std::size_t>(CharLengthAt(charset, text, at));
    ++count;
  }
  return count;
}

struct CountCase {
  const char* name;
  Charset charset;
  std::string text;
  std::size_t count;
};

TEST(CharacterCount, CountsAsAWriterDoes) {
  const std::string sjis = Utf8ToCp932("日本語ｶﾅabc");
  const CountCase cases[] = {
      {"empty", Charset::Cp932, "", 0},
      {"half-width letters", Charset::Cp932, "abc", 3},
      {"full-width and half-width, one each", Charset::Cp932, sjis, 8},
      {"CR LF is one", Charset::Cp932, "a\r\nb", 3},
      {"lone CR and lone LF are one each", Charset::Cp932, "a\rb\nc", 5},
      {"LF CR is two", Charset::Cp932, "\n\r", 2},
      {"CR CR LF is two", Charset::Cp932, "\r\r\n", 2},
      {"a lead byte at the end stands alone", Charset::Cp932, "a\x82", 2},
      {"a lead byte takes the byte after it whatever it is", Charset::Cp932, "\x82" "a", 1},
      {"a lead byte before CR takes the CR; the LF is its own", Charset::Cp932, "\x82\r\n", 2},
      {"second byte in the lead range", Charset::Cp932, "\x88\x9F\x88\x9F", 2},
      {"UTF-8 empty", Charset::Utf8, "", 0},
      {"UTF-8 full-width and half-width", Charset::Utf8, "日本語ｶﾅabc", 8},
      {"UTF-8 CR LF is one", Charset::Utf8, "あ\r\nい", 3},
      {"UTF-8 a stray continuation byte is one", Charset::Utf8, "a\x80" "b", 3},
      {"UTF-8 a cut sequence is one byte each", Charset::Utf8, "\xE3\x81", 2},
      {"UTF-8 four bytes are one", Charset::Utf8, "\xF0\x9F\x98\x80", 1},
  };
  for (const CountCase& c : cases) {
    EXPECT_EQ(CountCharacters(c.charset, c.text), c.count) << c.name;
    EXPECT_EQ(WalkCount(c.charset, c.text), c.count) << c.name << " (the walk)";
  }
}

// Texts crowded with the bytes that matter (lead-range bytes, CR, LF) in runs of every length,
// so that runs and CR LF pairs cross the block edges in every way.
TEST(CharacterCount, FastCountMatchesTheWalk) {
  std::mt19937 random(20261208);
  // CP932: lead-range bytes, bytes that are only ever second bytes, CR, LF. UTF-8: first bytes
  // of every length (and those that limit the second byte), continuation bytes of each range.
  const std::string cp932Pool("\x82\x88\x9F\xE0\xFC\x81" "a\r\n\x40\xA0\xFD", 12);
  const std::string utf8Pool("\xC2\xDF\xE3\xE0\xED\xF0\xF4\xF1\x80\x8F\x90\x9F\xA0\xBF\xC0\xF5" "a\r\n",
                             19);
  for (Charset charset : {Charset::Cp932, Charset::Utf8}) {
    const std::string& pool = charset == Charset::Cp932 ? cp932Pool : utf8Pool;
    for (std::size_t length = 0; length < 300; ++length) {
      for (int round = 0; round < 8; ++round) {
        std::string text(length, '\0');
        for (char& c : text) c = pool[random() % pool.size()];
        ASSERT_EQ(CountCharacters(charset, text), WalkCount(charset, text))
            << "length " << length << " round " << round << " utf8 " << (charset == Charset::Utf8);
      }
    }
  }
  // Well-formed Japanese UTF-8 around the block edges.
  std::string prose;
  while (prose.size() < 1000) prose += "日本語のﾃｷｽﾄ\r\nabc😀";
  for (std::size_t start = 0; start < 70; ++start) {
    const std::string_view part = std::string_view(prose).substr(start);
    ASSERT_EQ(CountCharacters(Charset::Utf8, part), WalkCount(Charset::Utf8, part)) << start;
  }
}

}  // namespace
}  // namespace norra
