// Generated Japanese prose in CP932 for the benchmarks: words drawn at random, the same text on
// every run for the same seed.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "text/Encoding.h"

namespace norra::bench {

inline std::string ProseFrom(std::initializer_list<const char*> words, std::size_t bytes,
                             unsigned seed) {
  std::vector<std::string> cp932;
  for (const char* w : words) cp932.push_back(Utf8ToCp932(w));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> pick(0, cp932.size() - 1);
  std::string text;
  text.reserve(bytes + 64);
  while (text.size() < bytes) text += cp932[pick(rng)];
  return text;
}

// Japanese prose with ASCII words, half-width kana, tabs and CR LF lines, some of them long:
// what the printing benchmarks paginate.
inline std::string PrintProse(std::size_t bytes, unsigned seed = 42) {
  return ProseFrom({"東京都", "大阪府", "の", "は", "を", "検索", "置換", "文字列", "ファイル",
                    "Norra ", "editor ", "\t", "テキスト", "、", "。\r\n", "１２３", "2024",
                    "ｶﾀｶﾅ", "青森", "秋田", "岩手", "県", "price 1500 yen ", "漢字かな交じり文"},
                   bytes, seed);
}

}  // namespace norra::bench
