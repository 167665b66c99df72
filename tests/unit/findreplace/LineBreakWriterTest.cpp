// The streamed rewrite of line breaks gives exactly what joining the whole new text would,
// however the text is cut into pieces.
#include <gtest/gtest.h>

#include <random>
#include <string>

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

TEST(LineBreakWriterTest, AgreesWithJoiningTheWholeText) {
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    // The searched text has CR LF after every line, as disk search gives it to the engine.
    const std::string text = JoinLinesWith(RandomBytes(rng, rng() % 40), kCrLf);
    for (std::string_view brk : {kCrLf, kLf}) {
      std::string whole;
      std::string out;
      LineBreakWriter writer(brk, [&out](std::string_view piece) {
        out.append(piece);
        return true;
      });
      std::size_t pos = 0;
      while (pos < text.size()) {
        const std::size_t length = rng() % (text.size() - pos + 1);
        writer.Copy(std::string_view(text).substr(pos, length));
        whole.append(text, pos, length);
        pos += length;
        if (rng() % 2) {
          const std::string inserted = RandomBytes(rng, rng() % 5);
          writer.Insert(inserted, 1);
          whole += inserted;
        }
      }
      ASSERT_TRUE(writer.Finish());
      ASSERT_EQ(out, JoinLinesWith(whole, brk))
          << round << " [" << whole << "] " << (brk == kCrLf ? "CR LF" : "LF");
    }
  }
}

TEST(LineBreakWriterTest, LongStretchesAndFailingOutput) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "line " + std::to_string(i) + "\r\n";
  std::string out;
  int calls = 0;
  LineBreakWriter writer(kLf, [&](std::string_view piece) {
    ++calls;
    out.append(piece);
    return true;
  });
  EXPECT_FALSE(writer.Received());
  writer.Copy(text);
  writer.Insert("tail", 0);
  EXPECT_TRUE(writer.Received());
  EXPECT_TRUE(writer.Finish());
  EXPECT_EQ(out, JoinLinesWith(text + "tail", kLf));
  EXPECT_GT(calls, 1);  // handed on in parts, not held whole

  LineBreakWriter refusing(kCrLf, [](std::string_view) { return false; });
  refusing.Copy(text);
  refusing.Copy(text);
  EXPECT_FALSE(refusing.Finish());
}

}  // namespace
}  // namespace norra
