// Finding and replacing with the width and kana folds: every kind of tag, matches that cover
// whole written characters, replacements and stored texts taken from the text as written,
// and a reference that folds by hand compared with the engine on random patterns.
#include <random>

#include "EngineTestSupport.h"
#include "engine/Matcher.h"
#include "engine/MatchSession.h"
#include "platform/MemoryTextControl.h"
#include "text/CaseMap.h"

namespace norra {
namespace {

using testing::EngineTest;
using testing::Sj;
using testing::U8;

constexpr WidthKanaFolds kNone{};
constexpr WidthKanaFolds kWidth{true, false};
constexpr WidthKanaFolds kKana{false, true};
constexpr WidthKanaFolds kBoth{true, true};

class FoldTest : public EngineTest {
 protected:
  std::string FoundWith(WidthKanaFolds folds, const char* find, const char* text) {
    engine.Folds = folds;
    return Found(find, text);
  }
  std::string ReplaceWith(WidthKanaFolds folds, const char* find, const char* replace,
                          const char* text) {
    engine.Folds = folds;
    return ReplaceAll(find, replace, text);
  }
};

TEST_F(FoldTest, FindsWhatEachFoldMakesEqual) {
  struct Case {
    WidthKanaFolds folds;
    const char* find;
    const char* text;
    const char* found;  // the text the match covers, as written; "<none>" for no match
  };
  const Case cases[] = {
      {kWidth, "a", "xａy", "ａ"},
      {kWidth, "ａ", "xay", "a"},
      {kWidth, "ABC", "ＡＢＣ", "ＡＢＣ"},
      {kWidth, "abc", "ＡＢＣ", "ＡＢＣ"},  // and letters fold as ever
      {kWidth, "1", "第１回", "１"},
      {kWidth, "ガ", "ﾃﾞｰﾀｶﾞ", "ｶﾞ"},  // the voiced mark goes with its kana
      {kWidth, "ｶﾞ", "ガ", "ガ"},
      {kWidth, "パ", "ﾊﾟｿｺﾝ", "ﾊﾟ"},
      {kWidth, "カ", "ｶﾞ", "<none>"},  // ｶﾞ is ガ, not カ
      {kWidth, "ｶﾀｶﾅ", "かたかなカタカナ", "カタカナ"},
      {kWidth, "か", "カ", "<none>"},
      {kWidth, "a b", "a　b", "a　b"},
      {kKana, "か", "カ", "カ"},
      {kKana, "カ", "ｶ", "ｶ"},
      {kKana, "ｶ", "か", "か"},
      {kKana, "ｶﾞｲﾄﾞ", "がいど", "がいど"},
      {kKana, "a", "ａ", "<none>"},
      {kBoth, "かたかなＯＳ", "ｶﾀｶﾅos", "ｶﾀｶﾅos"},
      {kNone, "ｶ", "カ", "<none>"},
      // The whole tag language.
      {kBoth, "[which[ﾃﾞｰﾀ][ｶﾅ]]です", "かなデス", "かなデス"},
      {kBoth, "[not[ｿｳﾑ]]ﾌﾞﾁｮｳ", "そうむぶちょうとえいぎょうブチョウ", "ブチョウ"},
      {kBoth, "ｶ[?]ﾀ", "かﾞﾀ", "かﾞﾀ"},  // か followed by a lone mark: [?] is the mark
      {kBoth, "[?]", "ﾊﾟ", "ﾊﾟ"},          // one character, as folded
      {kBoth, "[#][#]", "ｶ１2", "１2"},
      {kBoth, "[repeat 2]ｶﾞ[/repeat]", "がガｶﾞ", "がガｶﾞ"},
      {kBoth, "ﾃﾞ[*]ﾀ", "でーた", "でーた"},
      {kBoth, "x[*csv]ｶ", "a\r\nxbカ", "xbカ"},
      {kBoth, "x[*csv]ｶ", "xb\r\nカ", "<none>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoundWith(c.folds, c.find, c.text), c.found) << c.find << " in " << c.text;
  }
}

TEST_F(FoldTest, ReplacementsReplaceTheWrittenBytesAndStoredTextsAreAsWritten) {
  struct Case {
    WidthKanaFolds folds;
    const char* find;
    const char* replace;
    const char* text;
    const char* result;
  };
  const Case cases[] = {
      {kWidth, "ｶﾞ", "X", "aガbｶﾞc", "aXbXc"},
      {kBoth, "か", "-", "かカｶｶﾞ", "---ｶﾞ"},
      {kBoth, "ab", "", "ａｂabＡB", ""},
      {kBoth, "[into a]ﾃﾞ[*][/to]ﾀ", "<[from a]>", "ｘでーたｙ", "ｘ<でー>ｙ"},
      {kBoth, "[into a][?][/to]", "[from a]", "ﾊﾟa", "ﾊﾟa"},
      {kBoth, "[into a][repeat 1][#][/repeat][/to]円", "[from a]yen", "１2３円", "１2３yen"},
      {kKana, "[which[か][き]]", "[rcount]", "カｷく", "12く"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceWith(c.folds, c.find, c.replace, c.text), c.result) << c.find;
  }
  // Storage areas after a single find hold the text as written.
  engine.Folds = kBoth;
  EXPECT_EQ(Found("[into a]ｶﾞ[*][/to]ﾀ", "xがぞうﾀ"), "がぞうﾀ");
  EXPECT_EQ(U8(engine.AreaText(1)), "がぞう");
}

TEST_F(FoldTest, PositionsAndSpansAreThoseOfTheWrittenText) {
  engine.Folds = kBoth;
  ASSERT_TRUE(CompileFind("ガ"));
  const std::string text = Sj("ｱｶﾞｶﾞ");  // ｱ 1 byte, each ｶﾞ 2
  EXPECT_EQ(engine.ListMatchesInText(text), (std::vector<MatchSpan>{{1, 2}, {3, 2}}));
  // A start between ｶ and ﾞ starts after the character they make.
  engine.SetWorkingText(text);
  engine.StartPos = 3;
  ASSERT_TRUE(engine.Match());
  EXPECT_EQ(engine.MatchPos, 4);
  EXPECT_EQ(engine.MatchLen, 2);
  // A Page's control: its text folded once, positions as written.
  MemoryTextControl control;
  control.SetText(Sj("ＡＢかｶﾞ"));
  engine.StartPos = 1;
  ASSERT_TRUE(engine.MatchInControl(control));
  EXPECT_EQ(engine.MatchPos, 7);
  EXPECT_EQ(engine.MatchLen, 2);
  // A text its caller needs no more is folded over itself, its spans still as written.
  std::string foldable = text;
  EXPECT_EQ(engine.ListMatchesInFoldableText(foldable), (std::vector<MatchSpan>{{1, 2}, {3, 2}}));
  std::string upper = ToUpperCp932Copy(text);
  EXPECT_EQ(engine.ListMatchesInFoldedText(upper), (std::vector<MatchSpan>{{1, 2}, {3, 2}}));
  // Upper-cased as it was read, then folded over itself.
  EXPECT_EQ(engine.ListMatchesInFoldableText(upper, true),
            (std::vector<MatchSpan>{{1, 2}, {3, 2}}));
}

TEST_F(FoldTest, MatchCaseStillTellsLettersApartWhenWidthsFold) {
  engine.Folds = kWidth;
  engine.MatchCase = true;
  EXPECT_EQ(Found("abc", "ＡＢＣａｂｃ"), "ａｂｃ");
  EXPECT_EQ(Found("ＡＢ", "abAB"), "AB");
}

// ---- The engine against a reference that folds by hand. ----

// The characters the random texts and patterns are made of, with what they fold to under
// each fold; pairs that join are listed apart.
struct RefChar {
  const char* written;
  const char* width;
  const char* kana;
};
constexpr RefChar kRefChars[] = {
    {"a", "a", "a"},   {"ａ", "a", "ａ"},     {"A", "A", "A"},     {"１", "1", "１"},
    {"1", "1", "1"},   {"か", "か", "カ"},    {"カ", "カ", "カ"},  {"ｶ", "カ", "カ"},
    {"ガ", "ガ", "ガ"}, {"ﾞ", "゛", "゛"},    {"ﾊ", "ハ", "ハ"},   {"ﾟ", "゜", "゜"},
    {"パ", "パ", "パ"}, {"\r", "\r", "\r"}, {"\n", "\n", "\n"}, {"x", "x", "x"}, {"　", " ", "　"},
    {" ", " ", " "},   {"゛", "゛", "゛"},    {"゜", "゜", "゜"},  {"ハ", "ハ", "ハ"}};
struct RefPair {
  const char* first;
  const char* second;
  const char* joined;
};
constexpr RefPair kRefPairs[] = {{"ｶ", "ﾞ", "ガ"}, {"ﾊ", "ﾟ", "パ"}, {"ﾊ", "ﾞ", "バ"}};

const RefChar& Ref(const std::string& c) {
  for (const RefChar& r : kRefChars)
    if (c == r.written) return r;
  ADD_FAILURE() << "no reference for " << c;
  return kRefChars[0];
}

// A text as a list of written characters (UTF-8), folded by the tables above: the CP932
// folded text and, for each of its boundaries, the written text's offset.
struct RefFolded {
  std::string text;
  std::vector<std::size_t> foldedAt;    // boundaries of the folded text
  std::vector<std::size_t> writtenAt;   // the written offsets they stand for
};

RefFolded RefFold(const std::vector<std::string>& chars, WidthKanaFolds folds) {
  RefFolded out;
  std::size_t written = 0;
  for (std::size_t i = 0; i < chars.size();) {
    out.foldedAt.push_back(out.text.size());
    out.writtenAt.push_back(written);
    std::string folded = chars[i];
    std::size_t used = 1;
    if (folds.Any() && i + 1 < chars.size()) {
      for (const RefPair& p : kRefPairs) {
        if (chars[i] == p.first && chars[i + 1] == p.second) {
          folded = p.joined;
          used = 2;
        }
      }
    }
    if (used == 1) {
      const RefChar& r = Ref(chars[i]);
      if (folds.width && folds.kana) {
        folded = Ref(r.width).kana;
      } else if (folds.width) {
        folded = r.width;
      } else if (folds.kana) {
        folded = r.kana;
      }
    }
    for (std::size_t k = 0; k < used; ++k) written += Sj(chars[i + k]).size();
    out.text += Sj(folded);
    i += used;
  }
  out.foldedAt.push_back(out.text.size());
  out.writtenAt.push_back(written);
  return out;
}

std::size_t RefToWritten(const RefFolded& r, std::size_t folded) {
  for (std::size_t k = 0; k < r.foldedAt.size(); ++k)
    if (r.foldedAt[k] == folded) return r.writtenAt[k];
  ADD_FAILURE() << "not a boundary: " << folded << " of " << U8(r.text);
  return 0;
}

std::size_t RefToFolded(const RefFolded& r, std::size_t written) {
  for (std::size_t k = 0; k < r.writtenAt.size(); ++k)
    if (r.writtenAt[k] >= written) return r.foldedAt[k];
  return r.text.size();
}

class FoldGen {
 public:
  explicit FoldGen(unsigned seed) : rng_(seed) {}

  std::vector<std::string> Chars(int most) {
    std::vector<std::string> out;
    const int n = Pick(most);
    for (int i = 0; i < n; ++i) out.push_back(kRefChars[Pick(std::size(kRefChars))].written);
    return out;
  }
  // A pattern of literals made of the reference characters and tags; its literals as written.
  std::string Pattern() {
    std::string out;
    const int n = 1 + Pick(4);
    bool area = false;
    for (int i = 0; i < n; ++i) {
      switch (Pick(9)) {
        case 0: out += "[*]"; break;
        case 1: out += "[?]"; break;
        case 2: out += "[#]"; break;
        case 3: out += "[which[" + Literal() + "][" + Literal() + "]]"; break;
        case 4: out += "[not[" + Literal() + "]]"; break;
        case 5: out += "[repeat 1]" + Literal() + "[/repeat]"; break;
        case 6:
          if (!area) {
            out += "[into a]" + Literal() + "[*][/to]";
            area = true;
            break;
          }
          [[fallthrough]];
        default: out += Literal();
      }
    }
    return out;
  }
  std::string Literal() {
    std::string out;
    for (const std::string& c : Chars(3)) out += c;
    return out.empty() ? "x" : out;
  }

 private:
  int Pick(std::size_t n) {
    return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(rng_);
  }
  std::mt19937 rng_;
};

// With the folds on, the engine finds in a text what it finds without them in the text and
// pattern folded by hand, at the written places, storing the written texts; and its shortcuts
// never change an answer on a folded text.
TEST_F(FoldTest, FoldedSearchAgreesWithSearchingTextsFoldedByHand) {
  FoldGen gen(20261208);
  TagSymbols refSymbols = symbols;
  SearchEngine reference(refSymbols, clock);
  int compared = 0;
  int matched = 0;
  for (int round = 0; round < 3000; ++round) {
    const WidthKanaFolds folds = round % 3 == 0 ? kWidth : round % 3 == 1 ? kKana : kBoth;
    const std::string patternUtf8 = gen.Pattern();
    const std::vector<std::string> chars = gen.Chars(9);
    std::string written;
    for (const std::string& c : chars) written += Sj(c);
    const RefFolded refText = RefFold(chars, folds);
    // The pattern folded by hand: its ASCII (the tags among it) stays, and each run of other
    // characters folds as a text does.
    std::string refPattern;
    std::vector<std::string> run;
    auto flush = [&] {
      refPattern += RefFold(run, folds).text;
      run.clear();
    };
    for (std::size_t i = 0; i < patternUtf8.size();) {
      if (static_cast<unsigned char>(patternUtf8[i]) < 0x80) {
        flush();
        refPattern += patternUtf8[i++];
      } else {
        run.push_back(patternUtf8.substr(i, 3));
        i += 3;
      }
    }
    flush();
    engine.Folds = folds;
    if (!engine.Compile(Sj(patternUtf8))) continue;
    ASSERT_TRUE(reference.Compile(refPattern)) << patternUtf8;
    engine.SetWorkingText(written);
    reference.SetWorkingText(refText.text);
    engine.PreFoldedText = reference.PreFoldedText = false;
    for (std::size_t k = 0; k + 1 < refText.writtenAt.size(); ++k) {
      const std::size_t from = refText.writtenAt[k];
      engine.StartPos = static_cast<std::int64_t>(from) + 1;
      reference.StartPos = static_cast<std::int64_t>(RefToFolded(refText, from)) + 1;
      const bool got = engine.Match();
      const bool want = reference.Match();
      ASSERT_EQ(got, want) << U8(Sj(patternUtf8)) << " on " << U8(written) << " from " << from;
      ++compared;
      if (!got) continue;
      ++matched;
      const std::size_t start = RefToWritten(refText, reference.MatchPos - 1);
      const std::size_t end =
          RefToWritten(refText, reference.MatchPos - 1 + reference.MatchLen);
      ASSERT_EQ(engine.MatchPos, static_cast<std::int64_t>(start) + 1)
          << patternUtf8 << " on " << U8(written);
      ASSERT_EQ(engine.MatchLen, static_cast<std::int64_t>(end - start))
          << patternUtf8 << " on " << U8(written);
      if (reference.HasAreaGroup(1)) {
        // The reference's area is folded; the engine's is the written text it stands for.
        EXPECT_EQ(FoldWidthKanaCopy(Charset::Cp932, ToUpperCp932Copy(engine.AreaText(1)), folds),
                  ToUpperCp932Copy(reference.AreaText(1)))
            << patternUtf8 << " on " << U8(written);
      }
    }
    // The matcher's shortcuts on the folded text, as the unfolded differential test has them.
    const std::string folded = ToUpperCp932Copy(FoldWidthKanaCopy(Charset::Cp932, written, folds));
    MatchSession session(folded, folded);
    auto abort = [] { throw EngineAbort(EngineErrorCode::WhichWithoutAlternatives); };
    Matcher quick(engine.Pattern(), abort);
    Matcher plain(engine.Pattern(), abort);
    plain.SetShortcuts(false);
    quick.Begin(session);
    plain.Begin(session);
    for (std::size_t from = 0; from < folded.size(); from += session.StepAt(from)) {
      std::size_t qs = 0, qe = 0, ps = 0, pe = 0;
      const bool q = quick.Find(from, qs, qe);
      ASSERT_EQ(q, plain.Find(from, ps, pe)) << patternUtf8 << " on " << U8(written);
      if (q) {
        ASSERT_EQ(qs, ps);
        ASSERT_EQ(qe, pe);
      }
    }
  }
  EXPECT_GT(compared, 5000);
  EXPECT_GT(matched, 500);
}

}  // namespace
}  // namespace norra
