// Find next (F3) in a 2 MB Page whose next hit lies 1 MB after the caret, with letters folded
// and exact: on the in-memory control, on a control over the CP932 mirror the Qt view keeps
// (the same bytes and upper-cased copy), with a key typed before each find, and, for
// comparison, with the whole text copied and folded on every find as a control without a
// kept copy does.
//
//   find_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "Lcg.h"
#include "engine/SearchEngine.h"
#include "engine/TagTable.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "text/Cp932Mirror.h"
#include "text/Encoding.h"

namespace {

using namespace norra;

constexpr std::size_t kPageSize = 2 << 20;
constexpr std::size_t kCaret = 512 << 10;
constexpr std::size_t kHitDistance = 1 << 20;

// Japanese prose (kanji, hiragana, half-width katakana, ASCII words) in CR LF lines.
std::string MakeText(std::size_t size) {
  bench::Lcg rng(11);
  std::string s;
  s.reserve(size + 128);
  auto pair = [&s](unsigned code) {
    s += static_cast<char>(code >> 8);
    s += static_cast<char>(code & 0xFF);
  };
  while (s.size() < size) {
    const std::size_t lineStart = s.size();
    const unsigned length = 20 + rng.Next(60);
    while (s.size() - lineStart < length) {
      const unsigned kind = rng.Next(100);
      if (kind < 35) {
        const unsigned t = rng.Next(188);
        pair((0x89 + rng.Next(15)) << 8 | (t < 63 ? 0x40 + t : 0x41 + t));
      } else if (kind < 65) {
        pair(0x8200 | (0x9F + rng.Next(83)));
      } else if (kind < 70) {
        s += static_cast<char>(0xB1 + rng.Next(40));
      } else {
        s += "text ";
      }
    }
    s += "\r\n";
  }
  s.resize(size);
  return s;
}

// The Page's text with the one hit placed kHitDistance after the caret, on a line of its own.
const std::string& PageText() {
  static const std::string text = [] {
    std::string t = MakeText(kPageSize);
    const std::string hit = "\r\n" + Utf8ToCp932("Ｎｏｒｒａ検索") + "\r\n";
    t.replace(kCaret + kHitDistance, hit.size(), hit);
    return t;
  }();
  return text;
}

// A text control over a CP932 mirror, as the Qt view holds its text: typing reaches the
// mirror as the widget's notifications.
class MirrorControl : public TextControl {
 public:
  explicit MirrorControl(const std::string& text) { mirror_.Load(text); }
  std::string Text() const override { return mirror_.Bytes(); }
  std::string_view TextView() const override { return mirror_.View(); }
  std::string_view FoldedTextView() const override { return mirror_.FoldedView(); }
  std::size_t TextLength() const override { return mirror_.Size(); }
  std::size_t SelStart() const override { return 0; }
  std::size_t SelLength() const override { return 0; }
  std::string SelText() const override { return {}; }
  void SetSelection(std::size_t, std::size_t) override {}
  bool ReplaceSelection(std::string_view) override { return false; }
  std::size_t MaxLength() const override { return static_cast<std::size_t>(-1); }
  void ScrollCaret() override {}
  bool Modified() const override { return false; }
  void SetModified(bool) override {}
  std::size_t WidgetPosition(std::size_t offset) const { return mirror_.ToUtf8(offset); }
  // A key typed at a widget position, or taken back with Backspace.
  void Type(std::size_t utf8Pos, bool back) {
    if (back) {
      mirror_.OnWidgetDelete(utf8Pos, 1);
    } else {
      mirror_.OnWidgetInsert(utf8Pos, "a");
    }
  }

 private:
  Cp932Mirror mirror_;
};

// A control that keeps nothing for searches: every find copies and folds the whole text.
class PlainControl : public MemoryTextControl {
 public:
  using MemoryTextControl::MemoryTextControl;
  std::string_view TextView() const override { return TextControl::TextView(); }
  std::string_view FoldedTextView() const override { return TextControl::FoldedTextView(); }
};

struct Finder {
  TagTable tags;
  MemoryUi ui;
  TagSymbols symbols;
  std::unique_ptr<SearchEngine> engine;

  explicit Finder(bool matchCase) {
    if (!tags.Build()) std::abort();
    symbols = tags.BuiltInSymbols();
    engine = std::make_unique<SearchEngine>(symbols);
    engine->MatchCase = matchCase;
    const char* find = matchCase ? "Ｎｏｒｒａ検索" : "ｎｏｒｒａ検索";
    if (!engine->Compile(Utf8ToCp932(find))) std::abort();
  }
  // One F3 from the caret; the hit must be the one placed.
  void FindNext(TextControl& control, benchmark::State& state) {
    engine->PreFoldedText = false;
    engine->StartPos = static_cast<std::int64_t>(kCaret) + 1;
    if (!engine->MatchInControl(control) || engine->MatchPos < static_cast<std::int64_t>(kCaret)) {
      state.SkipWithError("the hit was not found");
    }
    benchmark::DoNotOptimize(engine->MatchPos);
  }
};

void BM_FindNext(benchmark::State& state) {
  const bool matchCase = state.range(0) != 0;
  Finder finder(matchCase);
  MemoryTextControl control(PageText());
  finder.FindNext(control, state);  // the first find makes the kept copy
  for (auto _ : state) finder.FindNext(control, state);
}
BENCHMARK(BM_FindNext)->ArgName("exact")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A character typed at the caret (and taken back the next time) before each find: the kept copy
// follows the edit.
void BM_FindNextAfterTyping(benchmark::State& state) {
  const bool matchCase = state.range(0) != 0;
  Finder finder(matchCase);
  MemoryTextControl control(PageText());
  finder.FindNext(control, state);
  bool typed = false;
  for (auto _ : state) {
    control.SetSelection(kCaret - 8, typed ? 1 : 0);
    control.ReplaceSelection(typed ? "" : "a");
    typed = !typed;
    finder.FindNext(control, state);
  }
}
BENCHMARK(BM_FindNextAfterTyping)->ArgName("exact")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same on the mirror the Qt view keeps: bytes in a gap buffer, typing as widget edits.
void BM_FindNextInMirrorAfterTyping(benchmark::State& state) {
  const bool matchCase = state.range(0) != 0;
  Finder finder(matchCase);
  MirrorControl control(PageText());
  finder.FindNext(control, state);
  const std::size_t at = control.WidgetPosition(kCaret - 8);
  bool typed = false;
  for (auto _ : state) {
    control.Type(at, typed);
    typed = !typed;
    finder.FindNext(control, state);
  }
}
BENCHMARK(BM_FindNextInMirrorAfterTyping)
    ->ArgName("exact")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

// For comparison: the whole text copied and upper-cased on every find.
void BM_FindNextFoldingEveryTime(benchmark::State& state) {
  Finder finder(false);
  PlainControl control(PageText());
  for (auto _ : state) finder.FindNext(control, state);
}
BENCHMARK(BM_FindNextFoldingEveryTime)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
