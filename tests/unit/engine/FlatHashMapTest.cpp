// The matcher's flat hash map against std::map: inserts, lookups, growth, pruning and clearing.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "engine/FlatHashMap.h"

namespace norra {
namespace {

// A poor hash on purpose: many keys share a home slot, so probing runs get long.
struct CoarseHash {
  std::size_t operator()(int key) const { return static_cast<std::size_t>(key / 16); }
};

TEST(FlatHashMapTest, BehavesLikeAMap) {
  FlatHashMap<int, int, CoarseHash> map;
  std::map<int, int> model;
  std::mt19937 rng(1);
  EXPECT_TRUE(map.Empty());
  EXPECT_EQ(map.Find(5), nullptr);
  for (int round = 0; round < 20000; ++round) {
    const int key = static_cast<int>(rng() % 5000);
    switch (rng() % 8) {
      case 0: {  // prune every key below a bound
        const int bound = static_cast<int>(rng() % 5000);
        map.EraseIf([bound](int k, int) { return k < bound; });
        std::erase_if(model, [bound](const auto& item) { return item.first < bound; });
        break;
      }
      case 1:
        if (rng() % 50 == 0) {
          map.Clear();
          model.clear();
        }
        break;
      default:
        map[key] += round;
        model[key] += round;
        break;
    }
    ASSERT_EQ(map.Size(), model.size());
    const int probe = static_cast<int>(rng() % 5000);
    const int* found = map.Find(probe);
    const auto it = model.find(probe);
    ASSERT_EQ(found != nullptr, it != model.end()) << probe;
    if (found != nullptr) {
      ASSERT_EQ(*found, it->second);
    }
  }
  for (const auto& [key, value] : model) {
    const int* found = map.Find(key);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, value);
  }
  EXPECT_GE(map.Capacity(), 2 * map.Size());
}

}  // namespace
}  // namespace norra
