// Unified diffs of replaced spans: whole lines, context, merged hunks and the mark for a last
// line without its break, in the file's own bytes.
#include <gtest/gtest.h>

#include "findreplace/UnifiedDiff.h"

namespace norra {
namespace {

TEST(UnifiedDiffTest, ChangedLinesWithTheirContext) {
  struct Case {
    const char* name;
    std::string old;
    std::vector<DiffSpan> spans;
    std::string diff;  // without the two header lines
  };
  const std::string ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
  const Case cases[] = {
      {"one line", "a x b\n", {{2, 1, "YY"}}, "@@ -1,1 +1,1 @@\n-a x b\n+a YY b\n"},
      {"two spans on a line are one change", "xx\n", {{0, 1, "A"}, {1, 1, "B"}},
       "@@ -1,1 +1,1 @@\n-xx\n+AB\n"},
      {"context of three lines", ten, {{10, 1, "F"}},
       "@@ -3,7 +3,7 @@\n 3\n 4\n 5\n-6\n+F\n 7\n 8\n 9\n"},
      {"changes six lines apart share a hunk", ten, {{0, 1, "A"}, {14, 1, "H"}},
       "@@ -1,10 +1,10 @@\n-1\n+A\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+H\n 9\n 10\n"},
      {"seven apart do not", ten, {{0, 1, "A"}, {16, 1, "I"}},
       "@@ -1,4 +1,4 @@\n-1\n+A\n 2\n 3\n 4\n@@ -6,5 +6,5 @@\n 6\n 7\n 8\n-9\n+I\n 10\n"},
      {"a last line without its break", "a\nlast x", {{7, 1, "y"}},
       "@@ -1,2 +1,2 @@\n a\n-last x\n\\ No newline at end of file\n+last y\n\\ No newline at end of file\n"},
      {"a break replaced joins lines", "a\nb\n", {{1, 1, ""}},
       "@@ -1,2 +1,1 @@\n-a\n-b\n+ab\n"},
      {"a whole line replaced by nothing", "a\nx\nb\n", {{2, 2, ""}},
       "@@ -1,3 +1,2 @@\n a\n-x\n-b\n+b\n"},
      {"CR LF kept as bytes", "a\r\nx\r\n", {{3, 1, "\x8d\xf7"}},
       "@@ -1,2 +1,2 @@\n a\r\n-x\r\n+\x8d\xf7\r\n"},
      {"the whole file goes", "x", {{0, 1, ""}},
       "@@ -1,1 +0,0 @@\n-x\n\\ No newline at end of file\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnifiedDiff("f", c.old, c.spans), "--- f\n+++ f\n" + c.diff) << c.name;
  }
  EXPECT_EQ(UnifiedDiff("f", "same\n", {{0, 4, "same"}}), "");
}

TEST(UnifiedDiffTest, ApplyingSpansKeepsEverythingBetweenThem) {
  EXPECT_EQ(ApplySpans("0123456789", {{1, 2, "ab"}, {5, 0, "+"}, {8, 2, ""}}), "0ab34+567");
}

}  // namespace
}  // namespace norra
