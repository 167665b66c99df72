// Width and kana folds in both charsets, and the map from a folded copy back to the text.
#include "text/WidthKanaFold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/Encoding.h"

namespace norra {
namespace {

constexpr WidthKanaFolds kWidth{true, false};
constexpr WidthKanaFolds kKana{false, true};
constexpr WidthKanaFolds kBoth{true, true};

// The text in a charset, from UTF-8, and back.
std::string In(Charset charset, std::string_view utf8) {
  return charset == Charset::Cp932 ? Utf8ToCp932(utf8) : std::string(utf8);
}
std::string Out(Charset charset, std::string_view bytes) {
  return charset == Charset::Cp932 ? Cp932ToUtf8(bytes) : std::string(bytes);
}

// Every row is a case of both charsets.
TEST(WidthKanaFoldTest, FoldsOfEachKindInBothCharsets) {
  struct Case {
    WidthKanaFolds folds;
    const char* text;
    const char* folded;
  };
  const Case cases[] = {
      {kWidth, "ａ", "a"},
      {kWidth, "ＡＢＣ", "ABC"},
      {kWidth, "１２３", "123"},
      {kWidth, "！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［＼］＾＿｛｜｝", "!#$%&()*+,-./:;<=>?@[\\]^_{|}"},
      {kWidth, "　", " "},
      {kWidth, "ｶﾀｶﾅ", "カタカナ"},
      {kWidth, "ｶﾞ", "ガ"},
      {kWidth, "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "パピプペポ"},
      {kWidth, "ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", "バビブベボ"},
      {kWidth, "ｳﾞ", "ヴ"},
      {kWidth, "ﾃﾞｰﾀ", "データ"},
      {kWidth, "ｯﾞ", "ッ゛"},      // small tsu takes no voiced mark
      {kWidth, "ｶﾟ", "カ゜"},      // nor ka a semi-voiced one
      {kWidth, "ﾞﾟ", "゛゜"},      // marks standing alone
      {kWidth, "｡｢｣､･", "。「」、・"},
      {kWidth, "ひらがな", "ひらがな"},  // kana left alone
      {kWidth, "abc漢字", "abc漢字"},
      {kKana, "かたかな", "カタカナ"},
      {kKana, "ぁゃっゎゐゑをん", "ァャッヮヰヱヲン"},
      {kKana, "ゝゞ", "ヽヾ"},
      {kKana, "ｶﾞｷﾞ", "ガギ"},  // half-width katakana is katakana too
      {kKana, "｡｢", "｡｢"},      // its punctuation is not kana
      {kKana, "ａ１　", "ａ１　"},  // widths left alone
      {kKana, "カタカナ", "カタカナ"},
      {kBoth, "かｶカａＡ", "カカカaA"},
      {kBoth, "ﾊﾟｿｺﾝでＯＳを", "パソコンデOSヲ"},
      {kBoth, "", ""},
  };
  for (Charset charset : {Charset::Cp932, Charset::Utf8}) {
    for (const Case& c : cases) {
      const std::string folded = FoldWidthKanaCopy(charset, In(charset, c.text), c.folds);
      EXPECT_EQ(Out(charset, folded), c.folded)
          << c.text << (charset == Charset::Cp932 ? " (CP932)" : " (UTF-8)");
    }
  }
}

// Boundaries of the folded copy, in order, for a charset.
std::vector<std::size_t> Boundaries(Charset charset, std::string_view text) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < text.size(); i += CharLengthAt(charset, text, i)) out.push_back(i);
  out.push_back(text.size());
  return out;
}

// Each character of the copy maps back to whole characters of the text that fold to it, and
// each boundary of the text maps to a boundary of the copy.
TEST(WidthKanaFoldTest, TheMapTakesEveryCharacterBackToWholeCharacters) {
  const char* texts[] = {"aｶﾞbａｂ漢ﾊﾟ", "ﾊﾟ", "ＡｶＢかﾞﾞｶ", "ｰｰ　x", "普通の文字だけ", "ｶ"};
  for (Charset charset : {Charset::Cp932, Charset::Utf8}) {
    for (const char* utf8 : texts) {
      const std::string text = In(charset, utf8);
      std::string folded;
      FoldMap map;
      FoldWidthKana(charset, text, kBoth, folded, &map);
      const std::vector<std::size_t> fb = Boundaries(charset, folded);
      const std::vector<std::size_t> ob = Boundaries(charset, text);
      for (std::size_t k = 0; k + 1 < fb.size(); ++k) {
        const std::size_t a = map.ToOriginal(fb[k]);
        const std::size_t b = map.ToOriginal(fb[k + 1]);
        ASSERT_LT(a, b) << utf8;
        EXPECT_TRUE(std::find(ob.begin(), ob.end(), a) != ob.end()) << utf8 << " at " << fb[k];
        EXPECT_EQ(FoldWidthKanaCopy(charset, text.substr(a, b - a), kBoth),
                  folded.substr(fb[k], fb[k + 1] - fb[k]))
            << utf8 << " at " << fb[k];
      }
      EXPECT_EQ(map.ToOriginal(folded.size()), text.size()) << utf8;
      for (std::size_t o : ob) {
        const std::size_t f = map.ToFolded(o);
        EXPECT_TRUE(std::find(fb.begin(), fb.end(), f) != fb.end()) << utf8 << " at " << o;
        EXPECT_GE(map.ToOriginal(f), o) << utf8 << " at " << o;
      }
    }
  }
}

// Long texts go through the block scan: each character folds there as it folds alone, whatever
// its place in a block (lead-byte runs, marks and pairs across a block's end).
TEST(WidthKanaFoldTest, LongTextsFoldAsTheirCharactersDo) {
  const char* pieces[] = {"a", "ａ", "Ｚ", "か", "ん", "む", "み", "ぁ", "カ", "ｶ", "ﾞ", "ﾟ", "ﾊ",
                          "｡", "ｰ", "漢", "字", "\x81", "、", "。", "　", "１", "ゝ", "＼",
                          "～", "＇", "ⅰ", "\r\n", "x", "ヴ", "ｳ"};
  // Half of the texts only of characters that keep their length, as most of a Japanese text
  // does: whole blocks of them fold without a character looked at alone.
  const char* samePieces[] = {"a", "か", "ん", "む", "み", "ぁ", "カ", "漢", "字", "、", "。",
                              "ⅰ", "\r\n", "x", "ヴ", "ー"};
  std::mt19937 rng(7);
  for (Charset charset : {Charset::Cp932, Charset::Utf8}) {
    for (WidthKanaFolds folds : {kWidth, kKana, kBoth}) {
      for (int round = 0; round < 20; ++round) {
        std::string text;
        for (int k = 0; k < 600; ++k) {
          const std::string_view piece = round >= 10 && rng() % 64 != 0
                                             ? samePieces[rng() % std::size(samePieces)]
                                             : pieces[rng() % std::size(pieces)];
          // Every other text has no half-width katakana, so it folds over itself.
          const bool halfWidth = piece.size() == 3 && piece[0] == '\xEF' && piece[1] != '\xBC';
          if (round % 2 == 0 && halfWidth) continue;
          text += piece == "\x81" ? std::string(piece) : In(charset, piece);  // a stray byte
          if (rng() % 50 == 0) text += In(charset, "ひらがなだけのながいぶん");
        }
        std::string folded;
        FoldMap map;
        FoldWidthKana(charset, text, folds, folded, &map);
        const std::vector<std::size_t> fb = Boundaries(charset, folded);
        for (std::size_t k = 0; k + 1 < fb.size(); ++k) {
          const std::size_t a = map.ToOriginal(fb[k]);
          const std::size_t b = map.ToOriginal(fb[k + 1]);
          ASSERT_LT(a, b);
          ASSERT_EQ(FoldWidthKanaCopy(charset, text.substr(a, b - a), folds),
                    folded.substr(fb[k], fb[k + 1] - fb[k]))
              << "at " << fb[k] << " of " << Out(charset, text);
        }
        ASSERT_EQ(map.ToOriginal(folded.size()), text.size());
        // Folding over the text itself gives the same text and map, with or without a
        // half-width katakana that makes it longer.
        std::string inPlace = text;
        FoldMap inPlaceMap;
        FoldWidthKanaInPlace(charset, inPlace, folds, &inPlaceMap);
        ASSERT_EQ(inPlace, folded);
        ASSERT_EQ(inPlaceMap.Changes(), map.Changes());
        for (std::size_t f : fb) ASSERT_EQ(inPlaceMap.ToOriginal(f), map.ToOriginal(f));
      }
    }
  }
}

TEST(WidthKanaFoldTest, OnlyCharactersThatChangeLengthOrJoinAreMapped) {
  std::string folded;
  FoldMap map;
  const std::string text = Utf8ToCp932("ひらがなカタカナ漢字");
  FoldWidthKana(Charset::Cp932, text, kBoth, folded, &map);
  EXPECT_TRUE(map.Identity());
  EXPECT_EQ(folded.size(), text.size());
  // Between ｶﾞ (2 bytes at 1) and ガ (2 bytes at 1): the position after ｶ lies inside ガ.
  FoldWidthKana(Charset::Cp932, Utf8ToCp932("xｶﾞy"), kWidth, folded, &map);
  EXPECT_EQ(map.Changes(), 1u);
  EXPECT_EQ(map.ToFolded(2), 3u);
  EXPECT_EQ(map.ToFolded(3), 3u);
  EXPECT_EQ(map.ToOriginal(1), 1u);
  EXPECT_EQ(map.ToOriginal(3), 3u);
  EXPECT_EQ(map.ToOriginal(4), 4u);
}

TEST(WidthKanaFoldTest, AMapOfManyChangesFindsEachOfThem) {
  // ａb repeated: each ａ (two bytes) becomes a (one), far more changes than one chunk holds.
  constexpr std::size_t kPairs = 50000;
  std::string text;
  for (std::size_t k = 0; k < kPairs; ++k) text += Utf8ToCp932("ａb");
  std::string folded;
  FoldMap map;
  FoldWidthKana(Charset::Cp932, text, kWidth, folded, &map);
  ASSERT_EQ(map.Changes(), kPairs);
  for (std::size_t k : {std::size_t{0}, std::size_t{1}, std::size_t{16383}, std::size_t{16384},
                        std::size_t{32768}, kPairs - 1}) {
    EXPECT_EQ(map.ToOriginal(2 * k), 3 * k) << k;          // a
    EXPECT_EQ(map.ToOriginal(2 * k + 1), 3 * k + 2) << k;  // b
    EXPECT_EQ(map.ToFolded(3 * k), 2 * k) << k;
    EXPECT_EQ(map.ToFolded(3 * k + 1), 2 * k + 1) << k;  // inside ａ: after its a
    EXPECT_EQ(map.ToFolded(3 * k + 2), 2 * k + 1) << k;
  }
  EXPECT_EQ(map.ToOriginal(folded.size()), text.size());
}

TEST(WidthKanaFoldTest, BytesThatAreNoCharacterStayAsTheyAre) {
  // A lone lead byte at the end (CP932) and a cut sequence (UTF-8) pass through.
  EXPECT_EQ(FoldWidthKanaCopy(Charset::Cp932, std::string("\xB6\x82", 2), kBoth),
            Utf8ToCp932("カ") + "\x82");
  EXPECT_EQ(FoldWidthKanaCopy(Charset::Utf8, "\xEF\xBD" "a\xE3", kBoth), "\xEF\xBD" "a\xE3");
}

}  // namespace
}  // namespace norra
