// The engine object: its fields, the run reset, compiling, matching and expansion.
#include "engine/SearchEngine.h"

#include "engine/CharsetText.h"
#include "engine/Matcher.h"
#include "engine/MatchSession.h"
#include "engine/PatternCompiler.h"
#include "engine/ReplaceCompiler.h"
#include "engine/ReplaceDriver.h"
#include "platform/SystemClock.h"
#include "platform/TextControl.h"
#include "text/CaseMap.h"

namespace norra {

SearchEngine::SearchEngine(const TagSymbols& symbols)
    : SearchEngine(symbols, SystemClock::Instance()) {}

SearchEngine::SearchEngine(const TagSymbols& symbols, const Clock& clock)
    : symbols_(symbols), clock_(clock) {
  RunReset();
}

SearchEngine::~SearchEngine() = default;

void SearchEngine::RunReset() {
  ConditionsChanged = false;
  FindCount = 0;
  ReplaceCount = 0;
}

void SearchEngine::ClearPattern() {
  pattern_.clear();
  matcher_.reset();
  areaGroups_.fill(false);
  for (std::string& text : areaTexts_) text.clear();
  intoGroupCount_ = 0;
}

CompileResult SearchEngine::SetCharset(Charset charset) {
  if (charset == charset_) return {!findRefusal_.Ok() ? findRefusal_ : replaceRefusal_};
  charset_ = charset;
  ClearPattern();
  replaceList_.clear();
  if (givenFind_.set) {
    const Given find = givenFind_;
    if (CompileResult r = Compile(find.text, find.charset); !r) return r;
  }
  if (givenReplace_.set) {
    const Given replace = givenReplace_;
    if (CompileResult r = CompileReplace(replace.text, replace.charset); !r) return r;
  }
  return {};
}

const TagSymbols& SearchEngine::Tags() const {
  return charset_ == Charset::Cp932 ? symbols_ : convertedTags_;
}

void SearchEngine::ConvertTags() {
  // Converted again only when a symbol changed since the last compile.
  if (charset_ == Charset::Cp932 || convertedFrom_ == symbols_) return;
  convertedFrom_ = symbols_;
  for (std::size_t k = 0; k < symbols_.size(); ++k) {
    convertedTags_[k] = ConvertedSymbol(symbols_[k], charset_);
  }
}

CompileResult SearchEngine::Compile(std::string_view findText, Charset given) {
  givenFind_ = {true, std::string(findText), given};
  std::string converted;
  if (EngineError error = ConvertForEngine(findText, given, charset_,
                                           EngineErrorCode::FindTextNotHeld, converted);
      !error.Ok()) {
    ClearPattern();
    findRefusal_ = error;
    return {std::move(error)};
  }
  return CompileFind(converted);
}

CompileResult SearchEngine::CompileReplace(std::string_view replaceText, Charset given) {
  givenReplace_ = {true, std::string(replaceText), given};
  std::string converted;
  if (EngineError error = ConvertForEngine(replaceText, given, charset_,
                                           EngineErrorCode::ReplaceTextNotHeld, converted);
      !error.Ok()) {
    replaceList_.clear();
    replaceRefusal_ = error;
    return {std::move(error)};
  }
  return CompileReplaceList(converted);
}

CompileResult SearchEngine::Compile(std::string_view findText) {
  givenFind_ = {true, std::string(findText), charset_};
  return CompileFind(findText);
}

CompileResult SearchEngine::CompileReplace(std::string_view replaceText) {
  givenReplace_ = {true, std::string(replaceText), charset_};
  return CompileReplaceList(replaceText);
}

CompileResult SearchEngine::CompileFind(std::string_view findText) {
  findRefusal_ = {};
  ConvertTags();
  PatternCompiler compiler(*this);
  EngineError error = compiler.Compile(findText);
  if (!error.Ok()) return {std::move(error)};
  compiledFolds_ = Folds;
  compiledCharset_ = charset_;
  foldedVersion_ = 0;
  if (compiledFolds_.Any()) FoldLiterals(pattern_);
  matcher_ = std::make_unique<Matcher>(pattern_, [this] {
    throw EngineAbort(EngineError(EngineErrorCode::WhichWithoutAlternatives,
                                  Tags()[TAG_WHICH], charset_));
  });
  return {};
}

CompileResult SearchEngine::CompileReplaceList(std::string_view replaceText) {
  replaceRefusal_ = {};
  ConvertTags();
  return {ReplaceCompiler::Compile(*this, replaceText)};
}

void SearchEngine::FoldLiterals(CompiledPattern& pattern) const {
  // Folding may join or shorten characters, so it runs on each literal as a whole; the
  // compiler upper-cased them already, and upper-casing commutes with these folds.
  for (PatternNode& node : pattern) {
    if (node.kind == TAG_LITERAL) node.text = FoldWidthKanaCopy(compiledCharset_, node.text, compiledFolds_);
    for (std::string& alternative : node.alternatives) {
      alternative = FoldWidthKanaCopy(compiledCharset_, alternative, compiledFolds_);
    }
    FoldLiterals(node.body);
  }
}

bool SearchEngine::HasAreaGroup(int area) const {
  return area >= 1 && area <= kAreaCount && areaGroups_[area - 1];
}

const std::string& SearchEngine::AreaText(int area) const {
  static const std::string empty;
  return area >= 1 && area <= kAreaCount ? areaTexts_[area - 1] : empty;
}

void SearchEngine::SetWorkingText(std::string text) {
  workingText_ = std::move(text);
  workingVersion_ = 0;
  foldedVersion_ = 0;
}

bool SearchEngine::MatchSessionAt(MatchSession& session, std::size_t from,
                                  std::size_t& matchStart, std::size_t& matchEnd,
                                  const FoldMap* map, std::string_view original) {
  if (!matcher_ || !matcher_->Find(from, matchStart, matchEnd)) return false;
  for (const Matcher::Capture& c : matcher_->Captures()) {
    if (map != nullptr) {
      const std::size_t start = map->ToOriginal(c.start);
      areaTexts_[c.area - 1].assign(original.substr(start, map->ToOriginal(c.end) - start));
    } else {
      areaTexts_[c.area - 1].assign(session.Unfolded().substr(c.start, c.end - c.start));
    }
  }
  return true;
}

void SearchEngine::FoldWorkingText(bool upper) {
  // A control's text is folded once for as long as it stays the same (finds step through it).
  if (foldedVersion_ != 0 && foldedVersion_ == workingVersion_ && foldedUpper_ == upper) return;
  FoldWidthKana(compiledCharset_, workingText_, compiledFolds_, foldedWorking_, &foldedWorkingMap_);
  if (upper) ToUpperIn(charset_, foldedWorking_.data(), foldedWorking_.size());
  foldedVersion_ = workingVersion_;
  foldedUpper_ = upper;
}

bool SearchEngine::MatchInFolded(std::string_view compare, const FoldMap& map,
                                 std::string_view original) {
  MatchPos = 0;
  MatchLen = 0;
  if (!Matchable(original)) return false;
  const std::size_t from = map.ToFolded(static_cast<std::size_t>(StartPos - 1));
  if (from >= compare.size()) return false;
  MatchSession session(compare, compare, charset_);
  matcher_->Begin(session);
  std::size_t start = 0;
  std::size_t end = 0;
  if (!MatchSessionAt(session, from, start, end, &map, original)) return false;
  const std::size_t originalStart = map.ToOriginal(start);
  MatchPos = static_cast<std::int64_t>(originalStart) + 1;
  MatchLen = static_cast<std::int64_t>(map.ToOriginal(end) - originalStart);
  return true;
}

bool SearchEngine::Match() {
  if (compiledFolds_.Any() && Matchable(workingText_)) {
    FoldWorkingText(!MatchCase && !PreFoldedText);
    return MatchInFolded(foldedWorking_, foldedWorkingMap_, workingText_);
  }
  std::string folded;
  std::string_view compare = workingText_;
  if (!MatchCase && !PreFoldedText && Matchable(workingText_)) {
    folded = ToUpperCopyIn(charset_, workingText_);
    compare = folded;
  }
  return MatchIn(compare, workingText_);
}

bool SearchEngine::Matchable(std::string_view text) const {
  return matcher_ && !text.empty() && StartPos >= 1 &&
         StartPos <= static_cast<std::int64_t>(text.size());
}

bool SearchEngine::MatchIn(std::string_view compare, std::string_view unfolded) {
  MatchPos = 0;
  MatchLen = 0;
  if (!Matchable(unfolded)) return false;
  MatchSession session(compare, unfolded, charset_);
  matcher_->Begin(session);
  std::size_t start = 0;
  std::size_t end = 0;
  if (!MatchSessionAt(session, static_cast<std::size_t>(StartPos - 1), start, end)) return false;
  MatchPos = static_cast<std::int64_t>(start) + 1;
  MatchLen = static_cast<std::int64_t>(end - start);
  return true;
}

bool SearchEngine::MatchInControl(TextControl& control) {
  // The control keeps its text upper-cased and in step with its edits: nothing is folded, and
  // the working text is copied only when the text changed since the last find in it (the
  // version numbers of all controls differ, so one number cannot stand for another's text).
  const std::uint64_t version = control.TextVersion();
  if (version == 0 || version != workingVersion_) {
    const std::string_view text = control.TextView();
    workingText_.assign(text.data(), text.size());
    workingVersion_ = version;
  }
  if (compiledFolds_.Any() && Matchable(workingText_)) {
    FoldWorkingText(!MatchCase && !PreFoldedText);
    return MatchInFolded(foldedWorking_, foldedWorkingMap_, workingText_);
  }
  if (MatchCase || PreFoldedText || !Matchable(workingText_)) {
    return MatchIn(workingText_, workingText_);
  }
  if (charset_ != Charset::Cp932) return Match();  // the control's folded copy is CP932's
  const std::string_view folded = control.FoldedTextView();
  if (folded.size() != workingText_.size()) return Match();  // never compare past its end
  return MatchIn(folded, workingText_);
}

std::string SearchEngine::Expand() const {
  std::string out;
  ExpandInto(out);
  return out;
}

void SearchEngine::ExpandInto(std::string& out) const { ReplaceCompiler::ExpandInto(*this, out); }

ReplaceResult SearchEngine::ReplaceAll(std::string_view text, const ReplaceRequest& request) {
  return ReplaceDriver::ReplaceAll(*this, text, request);
}

std::int64_t SearchEngine::ReplaceAllInText(std::string_view text, ReplaceSink& sink) {
  return ReplaceDriver::ReplaceAllInText(*this, text, sink);
}

std::int64_t SearchEngine::ReplaceAllInFoldableText(std::string& text, ReplaceSink& sink) {
  return ReplaceDriver::ReplaceAllInFoldableText(*this, text, sink);
}

std::vector<MatchSpan> SearchEngine::ListMatchesInText(std::string_view text) {
  return ReplaceDriver::ListMatches(*this, text);
}

std::vector<MatchSpan> SearchEngine::ListMatchesInFoldableText(std::string& text,
                                                                bool upperCased) {
  return ReplaceDriver::ListMatchesFolding(*this, text, upperCased);
}

std::vector<MatchSpan> SearchEngine::ListMatchesInFoldedText(std::string_view text) {
  return ReplaceDriver::ListMatchesFolded(*this, text);
}

}  // namespace norra
