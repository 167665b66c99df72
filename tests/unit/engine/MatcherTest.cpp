// Matching: anchored and floating nodes, line limits, leading CHARs, repeats, WHICH, NOT,
// captures, character boundaries and bounded backtracking.
#include "engine/Matcher.h"

#include <random>

#include "EngineTestSupport.h"
#include "engine/MatchSession.h"
#include "text/CaseMap.h"

namespace norra {
namespace {

using testing::EngineTest;
using testing::Sj;
using testing::U8;
using Hit = std::pair<std::int64_t, std::int64_t>;

TEST_F(EngineTest, LiteralsCharsAndVariableGaps) {
  EXPECT_EQ(Find("山田[?]郎", "山田太郎、山田三郎"), Hit(1, 8));
  EXPECT_EQ(Find("[*]abc", "xxabc"), Hit(1, 5));  // a leading STR begins at StartPos
  EXPECT_EQ(Find("[*]abc", "xxabc", 2), Hit(2, 4));
  EXPECT_EQ(Find("abc[*]", "abcdef"), Hit(1, 3));  // a trailing STR takes nothing
  EXPECT_EQ(Found("a[*]c", "xxabbbcbc"), "abbbc");  // shortest first
  EXPECT_EQ(Find("[?]", "あ"), Hit(1, 2));
  EXPECT_EQ(Find("[?][?]", "a"), Hit(0, 0));
  EXPECT_EQ(Find("abc", "ABC"), Hit(1, 3));  // folded by default
  EXPECT_EQ(Find("abc", "xyz"), Hit(0, 0));
  EXPECT_EQ(Find("abc", "abc", 2), Hit(0, 0));
  EXPECT_EQ(Find("abc", "abc", 4), Hit(0, 0));  // beyond the text
  EXPECT_EQ(Find("abc", "abc", 0), Hit(0, 0));
  engine.SetWorkingText("");
  EXPECT_FALSE(engine.Match());
}

TEST_F(EngineTest, MatchCaseComparesExactly) {
  engine.MatchCase = true;
  EXPECT_EQ(Find("abc", "ABCabc"), Hit(4, 3));
  EXPECT_EQ(Find("ａｂ", "ＡＢａｂ"), Hit(5, 4));
  engine.MatchCase = false;
  EXPECT_EQ(Find("ａｂ", "ＡＢａｂ"), Hit(1, 4));
  EXPECT_EQ(Find("ΑΒ", "αβ"), Hit(1, 4));
}

TEST_F(EngineTest, StrsStaysOnItsLine) {
  EXPECT_EQ(Find("氏名:[*csv]住所:", "氏名:x\r\n住所:y"), Hit(0, 0));
  EXPECT_EQ(Found("氏名:[*]住所:", "氏名:x\r\n住所:y"), "氏名:x\r\n住所:");
  EXPECT_EQ(Found("a[*csv]b", "a\r\nab"), "ab");
  EXPECT_EQ(Found("a[*csv]b", "axxb\r\n"), "axxb");
  // A literal that begins at the line break itself is still on the line.
  EXPECT_EQ(Found("a[*csv]\r\nb", "ax\r\nb"), "ax\r\nb");
  // NUM must lie before the line break; CHAR is not held by it.
  EXPECT_EQ(Find("a[*csv][#]", "ax\r\n1"), Hit(0, 0));
  EXPECT_EQ(Found("a[*csv][?]z", "ax\r\nz"), "ax\r\nz");
}

TEST_F(EngineTest, LeadingCharsStepBackOverWholeCharacters) {
  EXPECT_EQ(Found("[?]abc", "xyzabc"), "zabc");
  EXPECT_EQ(Found("[?][?]b", "ａzb"), "ａzb");  // the byte two back is a trail byte
  EXPECT_EQ(Found("[?]b", "ａzb"), "zb");
  EXPECT_EQ(Find("[?][?]", "abc", 2), Hit(2, 2));
  EXPECT_EQ(Found("[?][*]", "あいう"), "あ");
  EXPECT_EQ(Find("[?]abc", "abc"), Hit(0, 0));  // nothing stands before it
}

TEST_F(EngineTest, WhichTakesTheLeftmostThenTheFirstWritten) {
  EXPECT_EQ(Found("[which[青森][秋田][岩手]]県", "秋田県と青森県"), "秋田県");
  EXPECT_EQ(Found("[which[ab][a]]c", "xac"), "ac");
  EXPECT_EQ(Found("[which[a][ab]]c", "abc"), "abc");  // backtracks to the second
  EXPECT_EQ(Found("x[which[a][ab]]c", "xabc"), "xabc");
  EXPECT_EQ(Find("[which[a][b]]", "xyz"), Hit(0, 0));
}

TEST_F(EngineTest, RepeatIsGreedyAndKeepsItsRepetitions) {
  EXPECT_EQ(Found("[repeat 3][#][/repeat]円", "代金は、1500円です"), "1500円");
  EXPECT_EQ(Find("[repeat 3][#][/repeat]円", "代金は、12円"), Hit(0, 0));
  EXPECT_EQ(Found("[repeat 3][#][/repeat]", "12 3456"), "3456");
  EXPECT_EQ(Found("[repeat 2][#][/repeat]", "1２３x"), "1２３");
  EXPECT_EQ(Found("[repeat 1]ab[/repeat]", "xababa"), "abab");
  EXPECT_EQ(Found("[repeat 2][repeat 2][#][/repeat]x[/repeat]", "12x34x5x"), "12x34x");
  // Greedy without giving back: the repetitions eat the 5 the literal needs.
  EXPECT_EQ(Find("[repeat 1][#][/repeat]5", "12345"), Hit(0, 0));
  EXPECT_EQ(Found("[repeat 2][which[a][b]][/repeat]c", "xabbac"), "abbac");
}

TEST_F(EngineTest, NotLooksAheadWhenAnchoredAndBehindWhenFloating) {
  EXPECT_EQ(Found("[not[総務][人事][経理]]部長", "総務部長と営業部長"), "部長");
  EXPECT_EQ(Find("[not[総務][人事][経理]]部長", "総務部長と営業部長"), Hit(15, 4));
  EXPECT_EQ(Found("[not[x]][*]abc", "yyabc"), "yyabc");
  EXPECT_EQ(Find("[not[x]][*]abc", "xyabc"), Hit(0, 0));
  EXPECT_EQ(Found("a[not[b]]", "abac"), "a");
  EXPECT_EQ(Find("a[not[b]]", "abac"), Hit(3, 1));
  EXPECT_EQ(Found("a[not[b]][?]", "abac"), "ac");
  // A trailing floating NOT: no alternative may follow anywhere.
  EXPECT_EQ(Find("a[*][not[z]]", "abz"), Hit(0, 0));
  EXPECT_EQ(Found("a[*][not[z]]", "abc"), "a");
  // Within a line only the line counts.
  EXPECT_EQ(Found("a[*csv][not[z]]", "ab\r\nz"), "a");
  // Two floating NOTs both hold.
  EXPECT_EQ(Find("[not[x]][*][not[y]][*]c", "ayc"), Hit(0, 0));
  EXPECT_EQ(Find("[not[x]][*][not[y]][*]c", "axc"), Hit(0, 0));
  EXPECT_EQ(Found("[not[x]][*][not[y]][*]c", "abc"), "abc");
}

TEST_F(EngineTest, StorageAreasKeepTheCaseOfTheText) {
  ASSERT_EQ(Found("初めまして、[into a][*][/to]です。", "初めまして、山田です。"),
            "初めまして、山田です。");
  EXPECT_EQ(U8(engine.AreaText(1)), "山田");
  ASSERT_EQ(Found("x[into b]abc[/to]", "xAbC"), "xAbC");
  EXPECT_EQ(engine.AreaText(2), "AbC");
  // A trailing STR with nothing after the group stores up to its own end.
  ASSERT_EQ(Found("k[into c]v[*][/to]", "kvxyz"), "kv");
  EXPECT_EQ(engine.AreaText(3), "v");
  ASSERT_EQ(Found("[into a][#][/to][into b][repeat 1][#][/repeat][/to]", "x12345"), "12345");
  EXPECT_EQ(engine.AreaText(1), "1");
  EXPECT_EQ(engine.AreaText(2), "2345");
  // A failed match leaves the areas as they were.
  EXPECT_TRUE(CompileFind("[into a][#][/to]"));
  engine.SetWorkingText("7");
  engine.StartPos = 1;
  ASSERT_TRUE(engine.Match());
  engine.SetWorkingText("x");
  EXPECT_FALSE(engine.Match());
  EXPECT_EQ(engine.AreaText(1), "7");
}

TEST_F(EngineTest, DigitsHalfAndFullWidth) {
  EXPECT_EQ(Find("[#]", "5"), Hit(1, 1));
  EXPECT_EQ(Find("[#]", "５"), Hit(1, 2));
  EXPECT_EQ(Find("x[#]", "xa"), Hit(0, 0));
}

TEST_F(EngineTest, OccurrencesInsideADoubleByteCharacterDoNotCount) {
  // "ソ" is 0x83 0x5C: its second byte is a backslash; "ａ" is 0x82 0x81.
  EXPECT_EQ(Find("\\", "ソ"), Hit(0, 0));
  EXPECT_EQ(Find("\\", "ソ\\"), Hit(3, 1));
  // "ａｂ" is 82 81 82 82; its middle bytes spell "≠" (81 82) across the two characters.
  engine.MatchCase = true;
  ASSERT_TRUE(engine.Compile(Sj("≠")));
  engine.SetWorkingText(Sj("ａｂ"));
  engine.StartPos = 1;
  EXPECT_FALSE(engine.Match());
  engine.SetWorkingText(Sj("ａ≠"));
  EXPECT_TRUE(engine.Match());
  EXPECT_EQ(engine.MatchPos, 3);
  // A find text ending in a lone lead byte does not match half of a character.
  ASSERT_TRUE(engine.Compile("\x82"));
  engine.SetWorkingText(Sj("ａ"));
  EXPECT_FALSE(engine.Match());
  engine.SetWorkingText("x\x82");
  EXPECT_TRUE(engine.Match());
  // A start inside a character moves on to the next one.
  EXPECT_EQ(Found("[*]", "あい", 2), "");
  EXPECT_EQ(Find("[*]", "あい", 2), Hit(3, 0));
  EXPECT_EQ(Find("[?]", "あい", 2), Hit(3, 2));
  // A full-width digit whose lead byte is really a trail byte is no digit.
  ASSERT_TRUE(engine.Compile(Sj("[#]")));
  engine.SetWorkingText("\x81\x82\x4F");  // 81 82 is one character, then "O"
  EXPECT_FALSE(engine.Match());
}

TEST_F(EngineTest, WhichWithoutAlternativesAbandonsNamingTheTag) {
  ASSERT_TRUE(CompileFind("abc[which[]]"));
  engine.SetWorkingText("xyz");
  engine.StartPos = 1;
  EXPECT_FALSE(engine.Match());  // never reached
  engine.SetWorkingText("abc");
  try {
    engine.Match();
    FAIL() << "expected an abort";
  } catch (const EngineAbort& abort) {
    EXPECT_EQ(abort.Reason(), EngineErrorCode::WhichWithoutAlternatives);
    EXPECT_EQ(abort.Error().fragment, "which");
  }
}

TEST_F(EngineTest, HopelessPatternsEndWithoutSearchingForever) {
  // These would take far too long without the remembered failures; the test only checks the
  // answers (a hang shows up as a timeout).
  const std::string as(64 * 1024, 'a');
  EXPECT_EQ(Find("[*]a[*]a[*]a[*]b", as), Hit(0, 0));
  EXPECT_EQ(Find("[*]a[*]a[*]a[*]b[?]c", as + "bc"), Hit(0, 0));
  EXPECT_EQ(Find("[*]a[*]a[*]a[*]b", as + "b"), Hit(1, 64 * 1024 + 1));
  const std::string some(1500, 'a');
  EXPECT_EQ(Find("[repeat 1][*]a[/repeat]b", some + "xb"), Hit(0, 0));
  EXPECT_EQ(Find("[repeat 1][*]a[*]a[/repeat]b", some + "xb"), Hit(0, 0));
  EXPECT_EQ(Find("[repeat 2][which[a][aa]][/repeat]b", some + "x"), Hit(0, 0));
  EXPECT_EQ(Find("[repeat 1][which[a][aa]][*][/repeat]bc", some + "b"), Hit(0, 0));
  EXPECT_EQ(Find("[not[b]][*]a[*]a[*]c", some), Hit(0, 0));
  EXPECT_EQ(Find("[?][*]a[*csv]a[*]c", some), Hit(0, 0));
}

// Node attempts of one search from the start of `text` (CP932) for the compiled find text.
std::uint64_t StepsOfOneSearch(const CompiledPattern& pattern, const std::string& text,
                               bool& found) {
  const std::string folded = ToUpperCp932Copy(text);
  MatchSession session(folded, text);
  Matcher matcher(pattern, [] { throw EngineAbort(EngineErrorCode::WhichWithoutAlternatives); });
  matcher.Begin(session);
  std::size_t start = 0, end = 0;
  found = matcher.Find(0, start, end);
  return matcher.Steps();
}

TEST_F(EngineTest, ALiteralEveryMatchNeedsEndsTheSearchAtOnceWhenTheTextLacksIt) {
  const std::string as(4000, 'a');
  for (const char* find : {"[repeat 1][?][/repeat]b", "[#][repeat 1][?][/repeat]b",
                           "[repeat 1][?][repeat 2][#][/repeat][/repeat]x",
                           "[into a][repeat 2][?][/repeat][/to]b[*]c"}) {
    ASSERT_TRUE(CompileFind(find)) << find;
    bool found = true;
    EXPECT_LT(StepsOfOneSearch(engine.Pattern(), "1" + as, found), 10u) << find;
    EXPECT_FALSE(found) << find;
  }
}

// Each state (node, position, repetition counts up to the minimum) is tried once: the work
// grows with the text, not with its square, also when every repetition is taken whole and
// what follows fails at the end, again from every later start.
TEST_F(EngineTest, TheMatchersWorkGrowsWithTheTextNotWithItsSquare) {
  constexpr std::size_t kSize = 4000;
  std::string deep;  // more levels than a word has bits for their counts
  for (int i = 0; i < 80; ++i) deep = "[repeat 1]" + (deep.empty() ? "[?]" : deep) + "[/repeat]";
  struct Case {
    std::string find;
    const char* piece;
    const char* tail;
  } cases[] = {
      {"[repeat 1][?][/repeat]b", "a", "b"},
      {deep + "b", "a", "b"},
      {"[repeat 2][?][/repeat]b", "a", "b"},
      {"[repeat 1][?][/repeat][?]b", "a", "b"},
      {"[repeat 1][repeat 1][?][/repeat][/repeat]b", "a", "b"},
      {"[into a][repeat 1][?][/repeat][/to]b", "ab", "b"},
      {"[repeat 1][not[b]][?][/repeat]c", "a", "c"},
      {"[repeat 1][which[a][b]][/repeat]c", "ab", "c"},
      // A NOT after a gap is pending when the next node searches.
      {"[repeat 1][not[b][ab]][which[b][a]][*csv][/repeat]a", "ab", "b"},
      {"[*csv][into a][repeat 1][not[b][ab]][which[a][ab]][*][/repeat]b[/to][?]", "a", "b"},
      {"[repeat 1][#][*][not[b][ab]][/repeat][*]1", "a1", "b"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(CompileFind(c.find)) << c.find;
    std::string text;
    while (text.size() < kSize) text += c.piece;
    text += c.tail;
    bool found = false;
    EXPECT_LT(StepsOfOneSearch(engine.Pattern(), text, found), 20 * kSize) << c.find;
  }
}

TEST_F(EngineTest, ChangedBracketsChangeTheLanguage) {
  symbols[TAG_BRACKET1] = "(";
  symbols[TAG_BRACKET2] = ")";
  EXPECT_EQ(Found("a(*)c", "xabbc"), "abbc");
  EXPECT_EQ(Found("a[*]c", "a[*]c"), "a[*]c");
  EXPECT_EQ(Found("(which(x)(y))z", "ayz"), "yz");
}

// Random patterns over small texts: the remembered outcomes and the required-literal check
// must never change an answer, only save work. The same pattern on the UTF-8 form of the same
// text must find the same matches, offsets mapped, whatever its characters' byte lengths.
class PatternGen {
 public:
  explicit PatternGen(unsigned seed) : rng_(seed) {}

  std::string Pattern() {
    nextArea_ = 'a';
    return Sequence(0, 1 + Pick(4));
  }
  std::string Text() {
    static const char* pieces[] = {"a", "a", "b", "1", "x", "\r\n", "ａ", "２", "ab",
                                   "Ａ", "α", "Ω", "я", "Ё", "ⅱ", "Ⅲ", "ｶ", "漢", "９"};
    std::string t;
    const int n = Pick(10);
    for (int i = 0; i < n; ++i) t += Sj(pieces[Pick(i % 2 == 0 ? 9 : 19)]);
    return t;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  std::string Sequence(int depth, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) out += Node(depth);
    return out;
  }

  std::string Node(int depth) {
    static const char* atoms[] = {"a",        "b",          "ab",          "1",
                                  "[*]",      "[*csv]",     "[?]",         "[#]",
                                  "[which[a][ab]]", "[which[b][a]]", "[not[a]]", "[not[b][ab]]",
                                  "\r\n",   "ａ", "Α", "Я", "Ⅱ", "ｶ漢", "[which[ω][ⅲ]]"};
    const int kind = depth < 2 ? Pick(18) : Pick(14);
    if (kind < 14) return Sj(atoms[kind == 13 ? 13 + Pick(6) : kind]);
    if (kind < 17) {
      return "[repeat " + std::to_string(1 + Pick(2)) + "]" + Sequence(depth + 1, 1 + Pick(3)) +
             "[/repeat]";
    }
    if (nextArea_ > 'c') return "a";
    const char area = nextArea_++;
    return std::string("[into ") + area + "]" + Sequence(depth + 1, 1 + Pick(3)) + "[/to]";
  }

  std::mt19937 rng_;
  char nextArea_ = 'a';
};

// Offsets of a CP932 text in its UTF-8 form, for every byte: a character's start maps to the
// start of its UTF-8 form, a later byte of it to the start of the next character (where a
// match attempt from inside a character begins).
std::vector<std::size_t> Utf8Offsets(const std::string& cp932) {
  std::vector<std::size_t> map(cp932.size() + 1, 0);
  std::size_t u = 0;
  for (std::size_t i = 0; i < cp932.size();) {
    const auto step = static_cast<std::size_t>(CharStepAt(cp932, i));
    map[i] = u;
    u += U8(cp932.substr(i, step)).size();
    for (std::size_t k = 1; k < step; ++k) map[i + k] = u;
    i += step;
  }
  map[cp932.size()] = u;
  return map;
}

TEST_F(EngineTest, ShortcutsNeverChangeAnAnswer) {
  PatternGen gen(20240601);
  SearchEngine utf8(symbols, clock);
  utf8.SetCharset(Charset::Utf8);
  auto abort = [] { throw EngineAbort(EngineErrorCode::WhichWithoutAlternatives); };
  int compared = 0;
  int wide = 0;  // comparisons over texts with characters of three UTF-8 bytes
  for (int round = 0; round < 4000; ++round) {
    const std::string pattern = gen.Pattern();
    if (!engine.Compile(pattern)) continue;
    ASSERT_TRUE(utf8.Compile(pattern, Charset::Cp932)) << U8(pattern);
    const std::string text = gen.Text();
    const std::string folded = ToUpperCp932Copy(text);
    MatchSession session(folded, text);
    const std::string text8 = U8(text);
    const std::string folded8 = ToUpperCopyIn(Charset::Utf8, text8);
    ASSERT_EQ(folded8, U8(folded)) << U8(text);  // the same letters fold
    MatchSession session8(folded8, text8, Charset::Utf8);
    const std::vector<std::size_t> at8 = Utf8Offsets(text);
    Matcher quick(engine.Pattern(), abort);
    Matcher plain(engine.Pattern(), abort);
    Matcher quick8(utf8.Pattern(), abort);
    plain.SetShortcuts(false);
    quick.Begin(session);
    plain.Begin(session);
    quick8.Begin(session8);
    for (std::size_t from = 0; from < text.size(); ++from) {
      std::size_t qs = 0, qe = 0, ps = 0, pe = 0, us = 0, ue = 0;
      const bool q = quick.Find(from, qs, qe);
      const bool p = plain.Find(from, ps, pe);
      const bool u = quick8.Find(at8[from], us, ue);
      ASSERT_EQ(q, p) << U8(pattern) << " on " << U8(text) << " from " << from;
      ASSERT_EQ(q, u) << "UTF-8: " << U8(pattern) << " on " << text8 << " from " << from;
      if (!q) continue;
      ASSERT_EQ(qs, ps) << U8(pattern) << " on " << U8(text) << " from " << from;
      ASSERT_EQ(qe, pe) << U8(pattern) << " on " << U8(text) << " from " << from;
      ASSERT_EQ(at8[qs], us) << "UTF-8: " << U8(pattern) << " on " << text8 << " from " << from;
      ASSERT_EQ(at8[qe], ue) << "UTF-8: " << U8(pattern) << " on " << text8 << " from " << from;
      ASSERT_EQ(quick.Captures().size(), plain.Captures().size());
      ASSERT_EQ(quick.Captures().size(), quick8.Captures().size());
      for (std::size_t i = 0; i < quick.Captures().size(); ++i) {
        EXPECT_EQ(quick.Captures()[i].start, plain.Captures()[i].start);
        EXPECT_EQ(quick.Captures()[i].end, plain.Captures()[i].end);
        EXPECT_EQ(at8[quick.Captures()[i].start], quick8.Captures()[i].start);
        EXPECT_EQ(at8[quick.Captures()[i].end], quick8.Captures()[i].end);
      }
      ++compared;
      if (text8.size() > text.size() + text.size() / 4) ++wide;
    }
  }
  EXPECT_GT(compared, 1000);
  EXPECT_GT(wide, 100);
}

// Every match of a replace-all over a long text, found one after another as the driver does,
// with and without the shortcuts (the digit-run search, the remembered outcomes and their
// pruning as the attempts move on).
TEST_F(EngineTest, ShortcutsAgreeOverLongRunsOfMatches) {
  std::mt19937 rng(99);
  static const char* pieces[] = {"1", "23", "４", "x", "\r\n", "円", "a", "ab", "1x"};
  std::string text;
  for (int i = 0; i < 40000; ++i) text += Sj(pieces[rng() % 9]);
  for (const char* find : {"[repeat 3][#][/repeat]", "[repeat 1][#][/repeat]",
                           "[repeat 2][#][/repeat]円", "[repeat 2][#][?][/repeat]x",
                           "a[*csv][#]", "[not[x]][#][*]b", "[repeat 1][which[1][23]][/repeat]a"}) {
    ASSERT_TRUE(CompileFind(find)) << find;
    const std::string folded = ToUpperCp932Copy(text);
    MatchSession session(folded, text);
    Matcher quick(engine.Pattern(), [] { throw EngineAbort(EngineErrorCode::WhichWithoutAlternatives); });
    Matcher plain(engine.Pattern(), [] { throw EngineAbort(EngineErrorCode::WhichWithoutAlternatives); });
    plain.SetShortcuts(false);
    quick.Begin(session);
    plain.Begin(session);
    int matches = 0;
    for (std::size_t from = 0; from < text.size();) {
      std::size_t qs = 0, qe = 0, ps = 0, pe = 0;
      const bool q = quick.Find(from, qs, qe);
      ASSERT_EQ(q, plain.Find(from, ps, pe)) << find << " from " << from;
      if (!q) break;
      ASSERT_EQ(qs, ps) << find << " from " << from;
      ASSERT_EQ(qe, pe) << find << " from " << from;
      ++matches;
      from = qe > qs ? qe : qe + session.StepAt(qe);
    }
    EXPECT_GT(matches, 100) << find;
  }
}

}  // namespace
}  // namespace norra
