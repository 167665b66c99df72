// The program's own files: CP932 always read as CP932, UTF-8 only behind its mark.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/Encoding.h"
#include "text/OwnFileText.h"

namespace norra {
namespace {

TEST(OwnFileTextTest, Cp932BytesThatAreAlsoValidUtf8ReadAsCp932) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      // "ﾃｽﾄ" in CP932 is C3 BD C4: its first two bytes are UTF-8 for "ý".
      {"/\xC3\xBD.txt", "/ﾃｽ.txt"},
      // "ﾂｱ" (C2 B1) is UTF-8 for "±".
      {"\xC2\xB1\r\n", "ﾂｱ\r\n"},
      // Plain ASCII is the same either way.
      {"/a/b\r\n", "/a/b\r\n"},
      // Marked UTF-8, one mark dropped.
      {"\xEF\xBB\xBF/café", "/café"},
      {"\xEF\xBB\xBF\xEF\xBB\xBF/a", "\xEF\xBB\xBF/a"},
      // An unmarked UTF-8 file of earlier versions whose bytes cannot be CP932 (it ends in a
      // lead byte without its second byte) is still read as UTF-8.
      {"/caf\xC3\xA9\xE2\x80\x94", "/café—"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(IsValidUtf8(c.bytes));
    EXPECT_EQ(DecodeOwnFileText(c.bytes), c.text) << c.bytes;
  }
}

TEST(OwnFileTextTest, WrittenTextReadsBackTheSame) {
  // CP932 when it can be; marked UTF-8 for what CP932 cannot hold, and for CP932 bytes that
  // would start like the mark.
  EXPECT_EQ(EncodeOwnFileText("/ﾃｽ.txt"), "/\xC3\xBD.txt");
  EXPECT_EQ(EncodeOwnFileText("/café"), "\xEF\xBB\xBF/café");
  const std::string markLike = Cp932ToUtf8("\xEF\xBB\xBF");
  EXPECT_EQ(EncodeOwnFileText(markLike).substr(0, 3), "\xEF\xBB\xBF");
  for (const std::string& text : std::vector<std::string>{"/ﾃｽ.txt\r\n", "/café\r\n/文書\r\n", "\xEF\xBB\xBF/a", "",
                                 markLike, Cp932ToUtf8("\xEE\xEE\x81")}) {
    EXPECT_EQ(DecodeOwnFileText(EncodeOwnFileText(text)), text) << text;
  }
}

}  // namespace
}  // namespace norra
