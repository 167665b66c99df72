// The search-and-replace engine: compiles find and replace texts written in the tag language,
// finds matches and replaces all matches in a text. It computes and returns: refusals are
// error values (or an EngineAbort carrying one), and the caller applies a new text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineAbort.h"
#include "engine/EngineError.h"
#include "engine/PatternNode.h"
#include "engine/TagTable.h"
#include "text/Charset.h"
#include "text/ReplacedSpan.h"
#include "text/WidthKanaFold.h"

namespace norra {

class Clock;
class ReplaceSink;
class TextControl;
class MatchSession;
class Matcher;

// A match as 0-based byte offset and length in the text that was searched.
struct MatchSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  friend bool operator==(const MatchSpan&, const MatchSpan&) = default;
};

// What a replace-all asks for besides the text.
struct ReplaceRequest {
  bool spans = false;        // list the replaced spans (an undo then keeps only what they changed)
  std::size_t selStart = 0;  // a selection (0-based) to keep in step with the replacements
  std::size_t selLength = 0;
  // With spans: the result's text holds only the replacements, one after another, so that a
  // caller applying the spans one by one need not hold a whole new text.
  bool replacementsOnly = false;
};

// The outcome of a replace-all over one text.
struct ReplaceResult {
  std::int64_t count = 0;           // replacements made; ReplaceCount rose by as much
  std::string text;                 // the new text; empty when nothing was replaced
  std::size_t newLength = 0;        // the new text's length, also when text has only replacements
  std::vector<ReplacedSpan> spans;  // with ReplaceRequest::spans: where, in the old text
  // The request's selection, moved with the replacements: a selection of exactly one match
  // becomes its replacement; one at or after a match's end moves by the change in length.
  std::size_t selStart = 0;
  std::size_t selLength = 0;
  bool Replaced() const { return count > 0; }
};

constexpr int kAreaCount = 26;  // storage areas "a"-"z", numbered 1-26

class SearchEngine {
 public:
  // `symbols` are the tag symbols in force (owned by the settings; read at every compile).
  // The date tags read `clock` (the system clock when none is given).
  explicit SearchEngine(const TagSymbols& symbols);
  SearchEngine(const TagSymbols& symbols, const Clock& clock);
  ~SearchEngine();
  SearchEngine(const SearchEngine&) = delete;
  SearchEngine& operator=(const SearchEngine&) = delete;

  // ---- Fields shared with the find/replace window. Positions are 1-based bytes. ----
  std::int64_t StartPos = 1;  // where the next match attempt begins
  std::int64_t MatchPos = 0;  // start of the last match, 0 when none
  std::int64_t MatchLen = 0;  // its length in bytes
  bool ConditionsChanged = false;  // set by the window; cleared by the run reset
  std::int64_t FindCount = 0;     // read by the FCOUNT replace tag
  std::int64_t ReplaceCount = 0;  // read by the RCOUNT replace tag
  bool MatchCase = false;         // off: letters compare upper-cased; set before compiling
  bool PreFoldedText = false;     // the working text is already upper-cased (replace-all)
  // Width and kana folds (全角/半角, ひらがな/カタカナ), set before compiling: the compiled
  // literals and every match then compare folded texts, while positions, lengths and stored
  // texts stay those of the text as it is written.
  WidthKanaFolds Folds;

  // The charset of the texts this engine searches, and of the find and replace texts
  // Compile and CompileReplace take as they are (CP932 unless set). The tag symbols are
  // converted to it; counters, dates and storage areas insert text in it. Setting another
  // compiles the last find and replace texts again for it, from the texts as they were given
  // (so a run over files of both charsets switches back and forth without loss); the result
  // is that of the first compile that failed. A find text that fails leaves no pattern; a
  // replace text that fails leaves the pattern, for finding, and every replace-all refuses
  // (EngineAbort with that error) until a replace text compiles. Setting the charset in force
  // tells again why its texts could not be compiled, if they could not.
  CompileResult SetCharset(Charset charset);
  Charset TextCharset() const { return charset_; }

  // Compiles a find text (in TextCharset()) with the symbols in force. On failure the pattern
  // is empty and the result's error says why (NothingToFind for an empty text).
  CompileResult Compile(std::string_view findText);
  // Compiles a find text written in `given`, converted to TextCharset() first. A character
  // the engine's charset cannot hold refuses it (FindTextNotHeld naming the characters):
  // nothing is ever searched for in place of it.
  CompileResult Compile(std::string_view findText, Charset given);

  // Compiles a replace text (in TextCharset()). Fails only for an unusable date format.
  CompileResult CompileReplace(std::string_view replaceText);
  // The same for a replace text written in `given` (ReplaceTextNotHeld as above).
  CompileResult CompileReplace(std::string_view replaceText, Charset given);

  // Clears ConditionsChanged, FindCount and ReplaceCount (the window's run keeps the rest).
  void RunReset();

  // The text Match searches (CP932). With PreFoldedText set it must be upper-cased already.
  void SetWorkingText(std::string text);
  const std::string& WorkingText() const { return workingText_; }

  // Finds the first match at or after StartPos in the working text; sets MatchPos and
  // MatchLen (both 0 when none) and, on success, the storage areas. May throw EngineAbort
  // (a WHICH tag without alternatives).
  bool Match();

  // Takes the control's whole text as the working text and matches from StartPos, comparing
  // with the upper-cased text the control keeps when letters fold.
  bool MatchInControl(TextControl& control);

  // The replacement for the last match, from the replace list, the storage areas and the
  // counters (which the caller raises before expanding).
  std::string Expand() const;
  void ExpandInto(std::string& out) const;

  // Replaces all matches in `text` (CP932) and returns the new text; `text` is only read, so
  // it may be a view of a Page's text. FindCount and ReplaceCount rise once per replacement
  // (the caller takes result.count back from ReplaceCount when it does not apply the text).
  // An empty text gives an empty result at once; otherwise throws EngineAbort (EmptyPattern)
  // when there is no pattern. An abort half way leaves ReplaceCount as it was.
  ReplaceResult ReplaceAll(std::string_view text, const ReplaceRequest& request = {});
  // The same, handing the new text to `sink` piece by piece, from the first match on (a text
  // without a match gives it nothing). Returns the number of replacements.
  std::int64_t ReplaceAllInText(std::string_view text, ReplaceSink& sink);
  // The same for a text its caller needs no more as it is, handed to a sink that takes the
  // stretches left alone by their lengths only (it has their bytes elsewhere, as a file's
  // writer does): with MatchCase off and no storage group to fill, the text is upper-cased in
  // place instead of in a copy, saving a whole text's worth of memory.
  std::int64_t ReplaceAllInFoldableText(std::string& text, ReplaceSink& sink);

  // The matches ReplaceAllInText would replace, in order, as spans of `text`, without
  // changing anything but FindCount (raised once per match) and the storage areas.
  std::vector<MatchSpan> ListMatchesInText(std::string_view text);
  // The same for a text its caller needs no more as it is: with MatchCase off it is
  // upper-cased in place instead of in a copy (a whole file's worth of memory and time), and
  // the storage areas hold upper-cased texts. With `upperCased`, the caller upper-cased it
  // already (ToUpperCp932), as a file may be while it is read; only the width and kana folds
  // are left to do.
  std::vector<MatchSpan> ListMatchesInFoldableText(std::string& text, bool upperCased = false);
  // The same for a text the caller upper-cased already (ToUpperCp932), compared as it is.
  std::vector<MatchSpan> ListMatchesInFoldedText(std::string_view text);

  // ---- Read access. ----
  const CompiledPattern& Pattern() const { return pattern_; }
  const CompiledPattern& ReplaceList() const { return replaceList_; }
  bool HasPattern() const { return !pattern_.empty(); }
  const TagSymbols& Symbols() const { return symbols_; }
  // The symbols in force as TextCharset() spells them, as of the last compile (the compilers
  // read these).
  const TagSymbols& Tags() const;
  // Area 1-26 ("a"-"z"): whether the pattern stores into it, and what the last match stored.
  bool HasAreaGroup(int area) const;
  const std::string& AreaText(int area) const;

 private:
  friend class PatternCompiler;
  friend class ReplaceCompiler;
  friend class ReplaceDriver;

  void ClearPattern();
  void ConvertTags();
  CompileResult CompileFind(std::string_view findText);
  CompileResult CompileReplaceList(std::string_view replaceText);
  // Whether a match can be tried in a text of this size from StartPos.
  bool Matchable(std::string_view text) const;
  // Match on a compare text (upper-cased or not) and the text it came from, of equal length.
  bool MatchIn(std::string_view compare, std::string_view unfolded);
  // Match on a width- or kana-folded copy of `original` (upper-cased when letters fold), its
  // positions taken back through `map`.
  bool MatchInFolded(std::string_view compare, const FoldMap& map, std::string_view original);
  // With `map`, the session's text is a folded copy of `original`: stored texts come from it.
  bool MatchSessionAt(MatchSession& session, std::size_t from, std::size_t& matchStart,
                      std::size_t& matchEnd, const FoldMap* map = nullptr,
                      std::string_view original = {});
  // The working text folded for the compiled folds (and upper-cased when letters fold), kept
  // while the control it came from does not change.
  void FoldWorkingText(bool upper);
  void FoldLiterals(CompiledPattern& pattern) const;

  const TagSymbols& symbols_;
  const Clock& clock_;
  Charset charset_ = Charset::Cp932;
  // The last find and replace texts as they were given, for compiling them again.
  struct Given {
    bool set = false;
    std::string text;
    Charset charset = Charset::Cp932;
  };
  Given givenFind_;
  Given givenReplace_;
  EngineError findRefusal_;     // why the find text could not be converted for charset_
  EngineError replaceRefusal_;  // why the replace text could not be compiled for charset_
  TagSymbols convertedFrom_;  // the symbols convertedTags_ was made from
  TagSymbols convertedTags_;
  std::string workingText_;
  std::uint64_t workingVersion_ = 0;  // the TextVersion of the control it was copied from
  CompiledPattern pattern_;
  CompiledPattern replaceList_;
  std::array<bool, kAreaCount> areaGroups_{};
  std::array<std::string, kAreaCount> areaTexts_;
  int intoGroupCount_ = 0;
  std::unique_ptr<Matcher> matcher_;  // execution form of pattern_, rebuilt by Compile
  WidthKanaFolds compiledFolds_;      // the folds pattern_ was compiled with
  Charset compiledCharset_ = Charset::Cp932;
  std::string foldedWorking_;         // FoldWorkingText's copy, and its map and key
  FoldMap foldedWorkingMap_;
  std::uint64_t foldedVersion_ = 0;
  bool foldedUpper_ = false;
};

}  // namespace norra
