// Tests of the gap vector and the partitioning the CP932 mirror keeps its text and indexes in,
// each against a plain vector that does the same edits the slow way.
#include "text/GapVector.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "text/Partitioning.h"

namespace norra {
namespace {

std::string Whole(const GapVector<char>& v) {
  const SplitText split = v.Split();
  return std::string(split.head) + std::string(split.tail);
}

TEST(GapVectorTest, EditsAnywhereMatchAPlainString) {
  GapVector<char> v;
  v.Assign("hello", 5);
  std::string expected = "hello";
  std::mt19937 random(7);
  for (int step = 0; step < 2000; ++step) {
    const std::size_t pos = random() % (expected.size() + 1);
    if (random() % 3 != 0 || expected.empty()) {
      const std::string text(random() % 40, static_cast<char>('a' + step % 26));
      v.Insert(pos, text.data(), text.size());
      expected.insert(pos, text);
    } else {
      const std::size_t count = random() % (expected.size() - std::min(pos, expected.size()) + 1);
      v.Erase(pos, count);
      expected.erase(pos, count);
    }
    ASSERT_EQ(v.Size(), expected.size());
    if (step % 97 == 0) {
      ASSERT_EQ(Whole(v), expected);
    }
  }
  std::string copied(expected.size(), '\0');
  v.CopyTo(0, copied.size(), copied.data());
  EXPECT_EQ(copied, expected);
  EXPECT_EQ(std::string(v.Contiguous(), v.Size()), expected);
  EXPECT_TRUE(v.Split().tail.empty());  // the gap went to the end
}

// The starts a Partitioning should hold, kept the slow way.
struct PlainStarts {
  std::vector<std::size_t> starts{0};
  std::size_t Find(std::size_t pos) const {
    std::size_t part = 0;
    while (part + 1 < starts.size() && starts[part + 1] <= pos) ++part;
    return part;
  }
};

TEST(PartitioningTest, LazyShiftsMatchEagerOnes) {
  Partitioning parts;
  PlainStarts plain;
  std::mt19937 random(11);
  for (int step = 0; step < 3000; ++step) {
    const std::size_t count = plain.starts.size();
    switch (random() % 4) {
      case 0: {  // a new part after part p, inside the room before the next one
        const std::size_t p = random() % count;
        const std::size_t end = p + 1 < count ? plain.starts[p + 1] : plain.starts[p] + 100;
        if (end - plain.starts[p] < 2) break;
        const std::size_t start = plain.starts[p] + 1 + random() % (end - plain.starts[p] - 1);
        parts.Insert(p + 1, start);
        plain.starts.insert(plain.starts.begin() + static_cast<std::ptrdiff_t>(p + 1), start);
        break;
      }
      case 1:  // a part removed (never the first)
        if (count > 1) {
          const std::size_t p = 1 + random() % (count - 1);
          parts.Remove(p);
          plain.starts.erase(plain.starts.begin() + static_cast<std::ptrdiff_t>(p));
        }
        break;
      default: {  // text inserted (or removed, by a wrapped delta) inside part p
        const std::size_t p = random() % count;
        const std::size_t room = p + 1 < count ? plain.starts[p + 1] - plain.starts[p] - 1 : 0;
        const bool grow = random() % 2 == 0 || room == 0;
        const std::size_t delta = grow ? 1 + random() % 50 : 0 - (1 + random() % room);
        parts.Shift(p, delta);
        for (std::size_t i = p + 1; i < count; ++i) plain.starts[i] += delta;
        break;
      }
    }
    ASSERT_EQ(parts.Count(), plain.starts.size());
    if (step % 50 == 0) {
      for (std::size_t i = 0; i < plain.starts.size(); ++i) {
        ASSERT_EQ(parts.Start(i), plain.starts[i]) << step;
      }
    }
    const std::size_t probe = random() % (plain.starts.back() + 10);
    ASSERT_EQ(parts.Find(probe), plain.Find(probe)) << step;
    const std::size_t lower = parts.LowerBound(probe);
    ASSERT_TRUE(lower == parts.Count() || parts.Start(lower) >= probe);
    ASSERT_TRUE(lower == 0 || parts.Start(lower - 1) < probe);
  }
}

}  // namespace
}  // namespace norra
