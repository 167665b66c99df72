// Mapping offsets of the CR LF-joined text back to a file's own bytes.
#include <gtest/gtest.h>

#include "findreplace/LineLocator.h"

namespace norra {
namespace {

struct Expect {
  std::size_t joined, line, column, original;
  std::string_view text;
};

void Check(std::string_view original, std::initializer_list<Expect> cases) {
  LineLocator locator(original);
  for (const Expect& e : cases) {
    LineLocator::Place p = locator.Locate(e.joined);
    EXPECT_EQ(p.line, e.line) << "offset " << e.joined;
    EXPECT_EQ(p.column, e.column) << "offset " << e.joined;
    EXPECT_EQ(p.originalOffset, e.original) << "offset " << e.joined;
    EXPECT_EQ(p.lineText, e.text) << "offset " << e.joined;
  }
}

TEST(LineLocatorTest, EveryKindOfBreak) {
  // Joined: "ab\r\ncd\r\nef\r\ngh\r\n".
  Check("ab\ncd\r\nef\rgh",
        {
            {0, 1, 1, 0, "ab"},
            {2, 1, 3, 2, "ab"},  // at the break
            {3, 1, 3, 3, "ab"},  // the LF the engine added maps past the lone LF
            {4, 2, 1, 3, "cd"},
            {8, 3, 1, 7, "ef"},
            {12, 4, 1, 10, "gh"},
            {14, 4, 3, 12, "gh"},
            {16, 4, 3, 12, "gh"},  // the end of the joined text is the end of the file
        });
}

TEST(LineLocatorTest, EmptyLinesAndJapanese) {
  Check("\n\n\x93\xfa\x96\x7b", {
                                    {0, 1, 1, 0, ""},
                                    {2, 2, 1, 1, ""},
                                    {4, 3, 1, 2, "\x93\xfa\x96\x7b"},
                                    {6, 3, 3, 4, "\x93\xfa\x96\x7b"},
                                });
}

}  // namespace
}  // namespace norra
