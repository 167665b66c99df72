// Find-text compiler: nodes built for each construct, refusals as error values naming the
// fragment their message quotes, which of them abandon the command, and symbols in force.
#include <pthread.h>

#include <functional>

#include "EngineTestSupport.h"
#include "engine/AlignedText.h"
#include "engine/PatternCompiler.h"

namespace norra {
namespace {

using testing::EngineTest;
using testing::Sj;

TEST_F(EngineTest, CompilesLiteralsAndSimpleTags) {
  EXPECT_EQ(Dump("ABC"), R"("ABC")");
  EXPECT_EQ(Dump("abc"), R"("ABC")");
  EXPECT_EQ(Dump("a[xyz]b"), R"("A[XYZ]B")");  // not a tag: text
  EXPECT_EQ(Dump("[*][*csv]x"), R"(STRS "X")");
  EXPECT_EQ(Dump("[*csv][*]x"), R"(STR "X")");
  EXPECT_EQ(Dump("[*][*][*csv][*]"), "STR");
  EXPECT_EQ(Dump("山田[?]郎、[#]"), R"("山田" CHAR "郎、" NUM)");
  EXPECT_EQ(Dump("[?"), R"("[?")");
  EXPECT_EQ(Dump("[*] ]"), R"(STR " ]")");
  engine.MatchCase = true;
  EXPECT_EQ(Dump("abc"), R"("abc")");
  EXPECT_EQ(Dump("[which[a][B]]"), R"(WHICH("a"|"B"))");
  EXPECT_TRUE(refusal.Ok());
}

TEST_F(EngineTest, CompilesAlternatives) {
  EXPECT_EQ(Dump("[which[青森][秋田][岩手]]県"), R"(WHICH("青森"|"秋田"|"岩手") "県")");
  EXPECT_EQ(Dump("[not[総務][人事][経理]]部長"), R"(NOT("総務"|"人事"|"経理") "部長")");
  EXPECT_EQ(Dump("[which[a][][b]]"), R"(WHICH("A"|"B"))");  // empty ones are dropped
  EXPECT_EQ(Dump("[which[]]x"), R"(WHICH() "X")");
  EXPECT_EQ(Dump("[which[a]b]]"), R"(WHICH("A]B"))");
  EXPECT_EQ(Dump("[which[a]"), R"("[WHICH[A]")");  // no closing pair: text
  EXPECT_EQ(Dump("[not[a]]x[not[b]]"), R"(NOT("A") "X" NOT("B"))");
}

TEST_F(EngineTest, CompilesGroupsInnermostFirst) {
  EXPECT_EQ(Dump("代金は、[repeat 3][#][/repeat]円です"), R"("代金は、" REPEAT 3{NUM} "円です")");
  EXPECT_EQ(Dump("[into a][repeat 2][#][/repeat][/to]"), "INTO a{REPEAT 2{NUM}}");
  EXPECT_EQ(Dump("[repeat 2][repeat 3][#][/repeat]x[/repeat]"), R"(REPEAT 2{REPEAT 3{NUM} "X"})");
  EXPECT_EQ(Dump("[into a][into b]x[/to]y[/to]"), R"(INTO a{INTO b{"X"} "Y"})");
  EXPECT_EQ(Dump("初めまして、[into a][*][/to]です。"), R"("初めまして、" INTO a{STR} "です。")");
  EXPECT_EQ(Dump("[repeat 2][/repeat]abc"), R"("ABC")");  // an empty group vanishes
  EXPECT_EQ(Dump("[into a][/to]abc"), R"("ABC")");
  EXPECT_EQ(Dump("[into ab]x[/to]"), R"("[INTO AB]X[/TO]")");
  EXPECT_EQ(Dump("x[/repeat]"), R"("X[/REPEAT]")");
  EXPECT_EQ(Dump("[repeat 2]x"), R"("[REPEAT 2]X")");
  // An earlier opening fits when the nearest one does not name one letter.
  EXPECT_EQ(Dump("[into b][into xy]z[/to]"), R"(INTO b{"[INTO XY]Z"})");
  // Two separate groups, storage closing first.
  EXPECT_EQ(Dump("[into a]x[/to][repeat 1]y[/repeat]"), R"(INTO a{"X"} REPEAT 1{"Y"})");
  EXPECT_TRUE(engine.HasAreaGroup(1));
  EXPECT_FALSE(engine.HasAreaGroup(2));
  EXPECT_TRUE(refusal.Ok());
}

TEST_F(EngineTest, RefusalsAreErrorValuesNamingTheirFragment) {
  using C = EngineErrorCode;
  struct Case {
    const char* find;
    EngineErrorCode code;
    const char* fragment;
    bool abandons;  // the whole command, not only the compile
  } cases[] = {
      {"[not[a]][not[b]]", C::ConsecutiveNot, "not", false},
      {"[repeat 2][*][/repeat]", C::InfiniteLoop, "", false},
      {"[repeat 2][*][not[a]][/repeat]", C::InfiniteLoop, "", false},
      {"[repeat 2][into a][#][/to][/repeat]", C::IntoInsideRepeat, "into", false},
      {"[into a]x[/to][into a]y[/to]", C::DuplicateArea, "into", false},
      {"[into a][not[a]][not[b]][/to]", C::ConsecutiveNot, "not", false},
      {"[repeat 0][#][/repeat]", C::MinimumCount, "repeat", true},
      {"[repeat -2][#][/repeat]", C::MinimumCount, "repeat", true},
      {"[into A]x[/to]", C::AreaName, "into", true},
      {"[into ａ]x[/to]", C::AreaName, "into", true},
      {"[repeat ][#][/repeat]", C::RepeatCount, "repeat", true},
      {"[repeat x][#][/repeat]", C::RepeatCount, "repeat", true},
      {"[repeat 99999999999999999999][#][/repeat]", C::RepeatCount, "repeat", true},
      // Nothing to find: refused without a word.
      {"", C::NothingToFind, "", false},
      {"[repeat 2][/repeat]", C::NothingToFind, "", false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(CompileFind("abc"));
    EXPECT_FALSE(CompileFind(c.find)) << c.find;
    EXPECT_TRUE(engine.Pattern().empty()) << c.find;  // the old pattern is gone
    EXPECT_EQ(refusal.code, c.code) << c.find;
    EXPECT_EQ(refusal.fragment, c.fragment) << c.find;
    EXPECT_EQ(refusal.Abandons(), c.abandons) << c.find;
  }
}

// A storage group around `repeats` nested repeat groups around one CHAR: nesting depth
// repeats + 1.
std::string NestedGroups(int repeats) {
  std::string find = "[into a]";
  for (int i = 0; i < repeats; ++i) find += "[repeat 1]";
  find += "[?]";
  for (int i = 0; i < repeats; ++i) find += "[/repeat]";
  return find + "[/to]";
}

TEST_F(EngineTest, APatternOfAThousandNestedGroupsIsRefusedWithItsMessage) {
  for (int depth : {PatternCompiler::kMaxGroupDepth + 1, 1000, 10000}) {
    EXPECT_FALSE(CompileFind(NestedGroups(depth - 1))) << depth;
    EXPECT_TRUE(engine.Pattern().empty());
    EXPECT_EQ(refusal.code, EngineErrorCode::NestingTooDeep) << depth;
  }
}

// Compiling, dumping, matching and freeing the deepest pattern allowed fit in a thread with a
// small stack: every walk over the nested groups is bounded by the cap.
TEST_F(EngineTest, TheDeepestNestingAllowedCompilesAndMatchesOnASmallStack) {
  bool compiled = false;
  std::int64_t matchLen = 0;
  std::size_t dumpSize = 0;
  bool areaKept = false;
  std::function<void()> job = [&] {
    compiled = CompileFind(NestedGroups(PatternCompiler::kMaxGroupDepth - 1));
    if (!compiled) return;
    dumpSize = DumpPattern(engine.Pattern()).size();
    engine.SetWorkingText(std::string(20000, 'x') + "b");
    engine.StartPos = 1;
    engine.Match();
    matchLen = engine.MatchLen;
    areaKept = engine.AreaText(1) == engine.WorkingText();
    CompileFind("x");  // frees the nested pattern on this stack too
  };
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 256 * 1024), 0);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_TRUE(compiled);
  EXPECT_GT(dumpSize, 0u);
  EXPECT_EQ(matchLen, 20001);
  EXPECT_TRUE(areaKept);
}

TEST_F(EngineTest, RefusalsNameTheSymbolsInForce) {
  symbols[TAG_NOT] = Sj("ない");
  symbols[TAG_REPEAT] = "rep";
  EXPECT_FALSE(CompileFind("[ない[a]][ない[b]]"));
  EXPECT_EQ(refusal.code, EngineErrorCode::ConsecutiveNot);
  EXPECT_EQ(refusal.fragment, Sj("ない"));
  EXPECT_FALSE(CompileFind("[rep 0]x[/repeat]"));
  EXPECT_EQ(refusal.code, EngineErrorCode::MinimumCount);
  EXPECT_EQ(refusal.fragment, "rep");
}

TEST_F(EngineTest, TagsFollowTheBracketsInForce) {
  symbols[TAG_BRACKET1] = "(";
  symbols[TAG_BRACKET2] = ")";
  EXPECT_EQ(Dump("(*)"), "STR");
  EXPECT_EQ(Dump("[*]"), R"("[*]")");
  EXPECT_EQ(Dump("(which(a)(b))c"), R"(WHICH("A"|"B") "C")");
  EXPECT_EQ(Dump("(repeat 2)(#)(/repeat)"), "REPEAT 2{NUM}");
  EXPECT_EQ(Dump("(into a)(?)(/to)"), "INTO a{CHAR}");
  // Double-byte brackets.
  symbols[TAG_BRACKET1] = Sj("【");
  symbols[TAG_BRACKET2] = Sj("】");
  EXPECT_EQ(Dump("x【*】y【#】"), R"("X" STR "Y" NUM)");
}

TEST_F(EngineTest, BracketBytesInsideDoubleByteCharactersAreText) {
  // "ゼ" is 0x83 0x5B (second byte "["), "ゾ" is 0x83 0x5D (second byte "]").
  EXPECT_EQ(Dump("ゼ*]"), R"("ゼ*]")");
  EXPECT_EQ(Dump("[which[ゾ][a]]"), R"(WHICH("ゾ"|"A"))");
  EXPECT_EQ(Dump("[not[aゾ]]b"), R"(NOT("Aゾ") "B")");
  EXPECT_EQ(Dump("[repeat 2]ゼ#][/repeat]"), R"(REPEAT 2{"ゼ#]"})");
  EXPECT_EQ(Dump("[into a]xゾ[/to]"), R"(INTO a{"Xゾ"})");
}

TEST_F(EngineTest, TypedPlaceholderLookAlikesStayText) {
  EXPECT_EQ(Dump(std::string("[repeat\x01") + "0]x"), R"("[REPEAT\x010]X")");
  EXPECT_EQ(Dump(std::string("[repeat 2]a[/repeat][into\x01") + "0]"),
            R"(REPEAT 2{"A"} "[INTO\x010]")");
}

// Groups are found in one scan unless an opening could abandon the command; then by searching
// again after each group. Both find the same groups: a text ending in an opening with a count
// that is no number (which pairs with nothing) takes the searching pass, and the same text
// with that opening in capitals (plain text, folded alike) the scan.
TEST_F(EngineTest, GroupsFoundInOneScanAreThoseFoundBySearchingAgainAfterEachGroup) {
  const char* pieces[] = {"[repeat 1]", "[repeat 2]", "[/repeat]", "[into a]", "[into b]",
                          "[into ab]", "[/to]",      "x",         "[*]",      "[#]"};
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  // A compile the scan abandoned leaves nothing behind for the next one.
  EXPECT_FALSE(CompileFind("[repeat 0]a[/repeat]"));
  EXPECT_EQ(refusal.code, EngineErrorCode::MinimumCount);
  EXPECT_EQ(Dump("[repeat 2]a[/repeat][repeat x"), R"(REPEAT 2{"A"} "[REPEAT X")");
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (std::uint32_t i = 0, n = 1 + next(12); i < n; ++i) text += pieces[next(10)];
    EXPECT_EQ(Dump(text + "[repeat x"), Dump(text + "[REPEAT X")) << text;
  }
}

// Bytes the compilers look at, per byte of a find or replace text made of one construct
// repeated thousands of times: well-formed tags, tags that never close, closings without an
// opening, groups. The work grows with the text, not with its square.
TEST_F(EngineTest, CompilingAFindOrReplaceTextTakesWorkLinearInItsLength) {
  constexpr std::size_t kLength = 40000;
  struct Case {
    const char* piece;
    bool replace;
  } cases[] = {
      {"[from a]", true},          {"[fcount]", true},         {"[rcount]x", true},
      {"[now[yyyy]]", true},       {"[now[yyyy]", true},       {"[from ab]", true},
      {"[not[a]]b", false},        {"[which[a][b]]c", false},  {"[not[a]b", false},
      {"[*][*csv]", false},        {"[?]x", false},            {"[/repeat]", false},
      {"[repeat 1]", false},       {"[into a", false},         {"[into ab]x[/to]", false},
      {"[repeat 1]a[/repeat]", false}, {"[repeat 2][#][/repeat]-", false},
      {"[repeat\x01" "0]", false},
  };
  for (const Case& c : cases) {
    std::string text;
    while (text.size() < kLength) text += c.piece;
    AlignedText::Work() = 0;
    if (c.replace) {
      engine.CompileReplace(text);
    } else {
      engine.Compile(text);
    }
    EXPECT_LT(AlignedText::Work(), 30 * text.size()) << c.piece;
  }
}

}  // namespace
}  // namespace norra
