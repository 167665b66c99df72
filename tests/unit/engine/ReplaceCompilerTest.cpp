// Replace texts: the replace tags, malformed tags as text, the date format check, expansion.
#include "engine/ReplaceCompiler.h"

#include "EngineTestSupport.h"

namespace norra {
namespace {

using testing::EngineTest;
using testing::Sj;
using testing::U8;

TEST_F(EngineTest, ReplaceTextsCompileToItems) {
  auto dump = [this](const char* replace) {
    EXPECT_TRUE(engine.CompileReplace(Sj(replace))) << replace;
    return DumpPattern(engine.ReplaceList());
  };
  EXPECT_EQ(dump("a[from a]b[fcount][rcount][now[yyyy]]c"),
            R"("a" FROM a "b" FCOUNT RCOUNT NOW("yyyy") "c")");
  EXPECT_EQ(dump("[from A]"), "FROM a");
  EXPECT_EQ(dump("[from ab] x [rcount]"), R"("[from ab] x [rcount]")");  // earliest is malformed
  EXPECT_EQ(dump("[from ａ][rcount]"), R"("[from ａ][rcount]")");
  EXPECT_EQ(dump("[now[yyyy]"), R"("[now[yyyy]")");
  EXPECT_EQ(dump("[[*]][which[a]]"), R"("[[*]][which[a]]")");  // find tags are text here
  EXPECT_EQ(dump("x[now[]]"), R"("x" NOW(""))");
  EXPECT_EQ(dump("[now[a]][from b]]"), R"(NOW("a") FROM b "]")");
  EXPECT_EQ(dump(""), "");
  symbols[TAG_BRACKET1] = "(";
  symbols[TAG_BRACKET2] = ")";
  EXPECT_EQ(dump("[rcount](rcount)"), R"("[rcount]" RCOUNT)");
}

TEST_F(EngineTest, ExpansionFillsCountersAreasAndDates) {
  EXPECT_EQ(ReplaceAll("x", "貴方の会員番号は [rcount]番 です。", "x-x"),
            "貴方の会員番号は 1番 です。-貴方の会員番号は 2番 です。");
  EXPECT_EQ(ReplaceAll("初めまして、[into a][*][/to]です。", "これは、[from a]さんへの返信です",
                       "初めまして、山田です。"),
            "これは、山田さんへの返信です");
  EXPECT_EQ(ReplaceAll("初めまして、[into a][*][/to]です。", "これは、[from A]さんへの返信です",
                       "初めまして、山田です。"),
            "これは、山田さんへの返信です");
  EXPECT_EQ(ReplaceAll("a", "<[from b]>", "a"), "<>");
  EXPECT_EQ(ReplaceAll("a", "", "banana"), "bnn");
  EXPECT_EQ(ReplaceAll("a", "[now[yyyy]]", "a"), "2001");
  EXPECT_EQ(ReplaceAll("a", "[fcount]/[rcount]", "aa"), "1/12/2");
  // Areas keep the letters' case; the replace text is never folded.
  EXPECT_EQ(ReplaceAll("k=[into v][*][/to];", "[from v]=Key", "k=MiXed;"), "MiXed=Key");
}

TEST_F(EngineTest, AnUnusableDateFormatIsRefusedAtCompileTime) {
  ASSERT_TRUE(engine.CompileReplace(Sj("keep")));
  const CompileResult result = engine.CompileReplace(Sj("a[now['yy]]b"));
  EXPECT_FALSE(result);
  EXPECT_TRUE(engine.ReplaceList().empty());
  EXPECT_EQ(result.error.code, EngineErrorCode::DateFormat);
  EXPECT_EQ(result.error.fragment, "'yy");
}

TEST_F(EngineTest, ExpansionNeverFails) {
  ASSERT_TRUE(engine.CompileReplace(Sj("<[now[yyyy]]>")));
  clock.Set(DateTime{2001, 13, 40, 0, 0, 0, 0});  // a clock gone wrong after the compile
  EXPECT_EQ(engine.Expand(), "<[Time's Error]>");
  ASSERT_TRUE(engine.CompileReplace(Sj("[fcount]")));
  engine.FindCount = 12345;
  EXPECT_EQ(engine.Expand(), "12345");
}

}  // namespace
}  // namespace norra
