// Replace-all over a text: the output is built once, by appending, (or streamed to the caller)
// while the matcher walks the unchanged text; a page then gets the result in one edit.
#include "engine/ReplaceDriver.h"

#include "engine/Matcher.h"
#include "engine/MatchSession.h"
#include "text/CaseMap.h"
#include "text/LargeBuffer.h"

namespace norra {
namespace {

// Restores ReplaceCount when an abort leaves the text unchanged.
class CountGuard {
 public:
  explicit CountGuard(SearchEngine& engine) : engine_(engine), saved_(engine.ReplaceCount) {}
  ~CountGuard() {
    if (!released_) engine_.ReplaceCount = saved_;
  }
  void Release() { released_ = true; }
  std::int64_t Saved() const { return saved_; }

 private:
  SearchEngine& engine_;
  std::int64_t saved_;
  bool released_ = false;
};

// A selection kept in step with the replacements, in positions of the text being built.
struct Selection {
  std::size_t start = 0;
  std::size_t length = 0;
};

// Builds the new text in a string, keeping a selection in step when there is one.
class StringSink final : public ReplaceSink {
 public:
  // With replacementsOnly, out takes only the replacements (the spans say where they go).
  StringSink(std::string& out, std::size_t textSize, Selection* selection,
             std::vector<ReplacedSpan>* replaced = nullptr, bool replacementsOnly = false)
      : out_(out),
        textSize_(textSize),
        selection_(selection),
        replaced_(replaced),
        replacementsOnly_(replacementsOnly && replaced != nullptr) {}

  std::size_t NewLength() const { return newPos_; }

  void Copy(std::string_view original) override {
    Begin();
    if (!replacementsOnly_) out_.append(original);
    oldPos_ += original.size();
    newPos_ += original.size();
  }

  void Insert(std::string_view replacement, std::size_t matchLength) override {
    Begin();
    const std::size_t at = newPos_;
    out_.append(replacement);
    newPos_ += replacement.size();
    if (replaced_ != nullptr) replaced_->push_back({oldPos_, matchLength, replacement.size()});
    oldPos_ += matchLength;
    if (selection_ == nullptr) return;
    // With m the match's length and r the replacement's: a selection of exactly the match
    // becomes the replacement; one at or after the match's end moves by r - m.
    if (selection_->start == at && selection_->length == matchLength) {
      selection_->length = replacement.size();
    } else if (selection_->start >= at + matchLength) {
      selection_->start = selection_->start - matchLength + replacement.size();
    }
  }

 private:
  void Begin() {
    if (begun_) return;
    if (!replacementsOnly_) ReserveLargeBuffer(out_, out_.size() + textSize_ + textSize_ / 8);
    begun_ = true;
  }

  std::string& out_;
  std::size_t textSize_;
  Selection* selection_;
  std::vector<ReplacedSpan>* replaced_;
  bool replacementsOnly_;
  std::size_t oldPos_ = 0;  // bytes of the searched text passed so far
  std::size_t newPos_ = 0;  // length of the new text so far
  bool begun_ = false;
};

}  // namespace

void ReplaceDriver::RequirePattern(SearchEngine& engine) {
  if (engine.pattern_.empty() || !engine.matcher_) throw EngineAbort(EngineErrorCode::EmptyPattern);
}

bool ReplaceDriver::RunLoop(SearchEngine& engine, std::string_view text, ReplaceSink* sink,
                            std::vector<MatchSpan>* spans, std::string* foldInPlace,
                            bool preFolded) {
  RequirePattern(engine);
  if (spans == nullptr && !engine.replaceRefusal_.Ok()) throw EngineAbort(engine.replaceRefusal_);
  engine.PreFoldedText = true;
  const std::int64_t countBefore = engine.ReplaceCount;

  // Letters are folded once for the whole run; bytes for the output come from `text`.
  std::string folded;
  std::string_view compare = text;
  // With width or kana folds the copy may differ in length: positions found in it are taken
  // back to `text` through the map, and `text` itself is never folded in place.
  FoldMap foldMap;
  const FoldMap* map = nullptr;
  bool foldedInPlace = false;  // stored texts then come from the folded text
  if (engine.compiledFolds_.Any() && foldInPlace != nullptr && spans != nullptr) {
    // A listing of a text its caller needs no more: folded over itself, its storage areas
    // then holding folded texts.
    FoldWidthKanaInPlace(engine.compiledCharset_, *foldInPlace, engine.compiledFolds_, &foldMap);
    if (!engine.MatchCase && !preFolded) {
      ToUpperIn(engine.charset_, foldInPlace->data(), foldInPlace->size());
    }
    text = compare = *foldInPlace;
    map = &foldMap;
    foldedInPlace = true;
  } else if (engine.compiledFolds_.Any()) {
    FoldWidthKana(engine.compiledCharset_, text, engine.compiledFolds_, folded, &foldMap);
    if (!engine.MatchCase && !preFolded) ToUpperIn(engine.charset_, folded.data(), folded.size());
    compare = folded;
    map = &foldMap;
  } else if (engine.MatchCase || preFolded) {
    // compared as it is
  } else if (foldInPlace != nullptr) {
    ToUpperIn(engine.charset_, foldInPlace->data(), foldInPlace->size());
    text = compare = *foldInPlace;
  } else {
    ReserveLargeBuffer(folded, text.size());
    folded.assign(text);
    ToUpperIn(engine.charset_, folded.data(), folded.size());
    compare = folded;
  }
  const auto original = [map](std::size_t offset) {
    return map != nullptr ? map->ToOriginal(offset) : offset;
  };
  MatchSession session(compare, map != nullptr ? compare : text, engine.charset_);
  engine.matcher_->Begin(session);
  // The output begins at the first match: a text without one costs no copy.
  bool replaced = false;
  std::string expansion;

  std::size_t pos = 0;     // in the compared text
  std::size_t copied = 0;  // bytes of `text` accounted for in the output
  while (pos < compare.size()) {
    std::size_t start = 0;
    std::size_t end = 0;
    const bool found = foldedInPlace ? engine.MatchSessionAt(session, pos, start, end)
                                     : engine.MatchSessionAt(session, pos, start, end, map, text);
    if (!found) break;
    const std::size_t textStart = original(start);
    const std::size_t textEnd = original(end);
    engine.MatchPos = static_cast<std::int64_t>(textStart - original(pos)) + 1;
    engine.MatchLen = static_cast<std::int64_t>(textEnd - textStart);
    ++engine.FindCount;
    if (spans != nullptr) {
      spans->push_back({textStart, textEnd - textStart});
    } else {
      ++engine.ReplaceCount;
      replaced = true;
      if (textStart > copied) sink->Copy(text.substr(copied, textStart - copied));
      expansion.clear();
      engine.ExpandInto(expansion);
      sink->Insert(expansion, textEnd - textStart);
      copied = textEnd;
    }
    if (end == start) {
      // An empty match would be found again at once: move one character on.
      if (end >= compare.size()) {
        pos = end;
        break;
      }
      pos = end + session.StepAt(end);
    } else {
      pos = end;
    }
  }
  if (replaced && copied < text.size()) sink->Copy(text.substr(copied));
  return replaced && engine.ReplaceCount != countBefore;
}

ReplaceResult ReplaceDriver::ReplaceAll(SearchEngine& engine, std::string_view text,
                                        const ReplaceRequest& request) {
  ReplaceResult result;
  result.selStart = request.selStart;
  result.selLength = request.selLength;
  if (text.empty()) return result;
  CountGuard guard(engine);
  Selection selection{request.selStart, request.selLength};
  StringSink sink(result.text, text.size(), &selection, request.spans ? &result.spans : nullptr,
                  request.replacementsOnly);
  RunLoop(engine, text, &sink, nullptr);
  guard.Release();
  result.count = engine.ReplaceCount - guard.Saved();
  result.newLength = sink.NewLength();
  result.selStart = selection.start;
  result.selLength = selection.length;
  return result;
}

std::int64_t ReplaceDriver::ReplaceAllInText(SearchEngine& engine, std::string_view text,
                                             ReplaceSink& sink) {
  if (text.empty()) return 0;
  CountGuard guard(engine);
  RunLoop(engine, text, &sink, nullptr);
  guard.Release();
  return engine.ReplaceCount - guard.Saved();
}

std::int64_t ReplaceDriver::ReplaceAllInFoldableText(SearchEngine& engine, std::string& text,
                                                     ReplaceSink& sink) {
  if (text.empty()) return 0;
  CountGuard guard(engine);
  // A storage group keeps the matched text as it was, for the replacement: that needs the
  // text unfolded beside the folded one.
  RunLoop(engine, text, &sink, nullptr, engine.intoGroupCount_ == 0 ? &text : nullptr);
  guard.Release();
  return engine.ReplaceCount - guard.Saved();
}

std::vector<MatchSpan> ReplaceDriver::ListMatches(SearchEngine& engine, std::string_view text) {
  std::vector<MatchSpan> spans;
  if (text.empty()) return spans;
  RunLoop(engine, text, nullptr, &spans);
  return spans;
}

std::vector<MatchSpan> ReplaceDriver::ListMatchesFolded(SearchEngine& engine,
                                                        std::string_view text) {
  std::vector<MatchSpan> spans;
  if (text.empty()) return spans;
  RunLoop(engine, text, nullptr, &spans, nullptr, true);
  return spans;
}

std::vector<MatchSpan> ReplaceDriver::ListMatchesFolding(SearchEngine& engine, std::string& text,
                                                         bool upperCased) {
  std::vector<MatchSpan> spans;
  if (text.empty()) return spans;
  RunLoop(engine, text, nullptr, &spans, &text, upperCased);
  return spans;
}

}  // namespace norra
