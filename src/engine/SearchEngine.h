// The search-and-replace engine: compiles find and replace texts written in the tag language,
// finds matches and replaces all matches in a page, a selection or a text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineAbort.h"
#include "engine/PatternNode.h"
#include "engine/TagTable.h"
#include "text/ReplacedSpan.h"

namespace norra {

class Clock;
class ReplaceSink;
class TextControl;
class Ui;
class MatchSession;
class Matcher;

// Page index, 1-based position and length of a hit (find/replace window bookkeeping).
struct HitRecord {
  int pageIndex = 0;
  std::int64_t position = 0;
  std::int64_t length = 0;
};

struct SelectionRegionRecord {
  std::int64_t start = 0;  // 1-based
  std::int64_t length = 0;
};

// A match as 0-based byte offset and length in the text that was searched.
struct MatchSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  friend bool operator==(const MatchSpan&, const MatchSpan&) = default;
};

constexpr int kAreaCount = 26;  // storage areas "a"-"z", numbered 1-26

class SearchEngine {
 public:
  // `symbols` are the tag symbols in force (owned by the settings; read at every compile).
  // Messages go through `ui`; the date tags read `clock` (the system clock when none is given).
  SearchEngine(const TagSymbols& symbols, Ui& ui);
  SearchEngine(const TagSymbols& symbols, Ui& ui, const Clock& clock);
  ~SearchEngine();
  SearchEngine(const SearchEngine&) = delete;
  SearchEngine& operator=(const SearchEngine&) = delete;

  // ---- Fields shared with the find/replace window. Positions are 1-based bytes. ----
  std::int64_t StartPos = 1;  // where the next match attempt begins
  std::int64_t MatchPos = 0;  // start of the last match, 0 when none
  std::int64_t MatchLen = 0;  // its length in bytes
  bool ConditionsChanged = false;
  // Per-run memory of the window; the engine only clears it.
  HitRecord FirstHit;
  HitRecord LastHit;
  std::array<int, 3> WrapCount{};  // whole notebook, current file, selected text
  SelectionRegionRecord SelectionRegion;
  std::int64_t FindCount = 0;     // read by the FCOUNT replace tag
  std::int64_t ReplaceCount = 0;  // read by the RCOUNT replace tag
  bool MatchCase = false;         // off: letters compare upper-cased; set before compiling
  bool PreFoldedText = false;     // the working text is already upper-cased (replace-all)
  bool DownwardOnly = false;      // read only by the window

  // Compiles a find text (CP932) with the symbols in force. On failure the pattern is empty.
  // Refusals are shown as message boxes; the area-name and repeat-count refusals throw
  // EngineAbort after their message. An empty find text fails without a message.
  bool Compile(std::string_view findText);

  // Compiles a replace text (CP932). Fails, after a message, only for an unusable date format.
  bool CompileReplace(std::string_view replaceText);

  // Clears ConditionsChanged, the run fields, FindCount and ReplaceCount.
  void RunReset();

  // The text Match searches (CP932). With PreFoldedText set it must be upper-cased already.
  void SetWorkingText(std::string text);
  const std::string& WorkingText() const { return workingText_; }

  // Finds the first match at or after StartPos in the working text; sets MatchPos and
  // MatchLen (both 0 when none) and, on success, the storage areas. May throw EngineAbort
  // (a WHICH tag without alternatives), after its message.
  bool Match();

  // Takes the control's whole text as the working text and matches from StartPos, comparing
  // with the upper-cased text the control keeps when letters fold.
  bool MatchInControl(TextControl& control);

  // The replacement for the last match, from the replace list, the storage areas and the
  // counters (which the caller raises before expanding).
  std::string Expand() const;
  void ExpandInto(std::string& out) const;

  // Replace all matches. Each raises FindCount and ReplaceCount once per replacement; they
  // throw EngineAbort (after its message) when there is no pattern, and the selection driver
  // also when nothing is selected. With `replaced`, the spans replaced are appended to it.
  bool ReplaceAllInPage(TextControl& control, std::vector<ReplacedSpan>* replaced = nullptr);
  bool ReplaceAllInSelection(TextControl& control, std::vector<ReplacedSpan>* replaced = nullptr);
  // `text` (CP932) is overwritten only when something was replaced; compare ReplaceCount
  // before and after to know.
  bool ReplaceAllInText(std::string& text);
  // The same, handing the new text to `sink` piece by piece, from the first match on (a text
  // without a match gives it nothing), while `text` stays as it is.
  bool ReplaceAllInText(std::string_view text, ReplaceSink& sink);
  // The same for a text its caller needs no more as it is, handed to a sink that takes the
  // stretches left alone by their lengths only (it has their bytes elsewhere, as a file's
  // writer does): with MatchCase off and no storage group to fill, the text is upper-cased in
  // place instead of in a copy, saving a whole text's worth of memory.
  bool ReplaceAllInFoldableText(std::string& text, ReplaceSink& sink);

  // The matches ReplaceAllInText would replace, in order, as spans of `text`, without
  // changing anything but FindCount (raised once per match) and the storage areas.
  std::vector<MatchSpan> ListMatchesInText(std::string_view text);
  // The same for a text its caller needs no more as it is: with MatchCase off it is
  // upper-cased in place instead of in a copy (a whole file's worth of memory and time), and
  // the storage areas hold upper-cased texts.
  std::vector<MatchSpan> ListMatchesInFoldableText(std::string& text);
  // The same for a text the caller upper-cased already (ToUpperCp932), compared as it is.
  std::vector<MatchSpan> ListMatchesInFoldedText(std::string_view text);

  // ---- Read access. ----
  const CompiledPattern& Pattern() const { return pattern_; }
  const CompiledPattern& ReplaceList() const { return replaceList_; }
  bool HasPattern() const { return !pattern_.empty(); }
  const TagSymbols& Symbols() const { return symbols_; }
  // Area 1-26 ("a"-"z"): whether the pattern stores into it, and what the last match stored.
  bool HasAreaGroup(int area) const;
  const std::string& AreaText(int area) const;

 private:
  friend class PatternCompiler;
  friend class ReplaceCompiler;
  friend class ReplaceDriver;

  void ClearPattern();
  // Whether a match can be tried in a text of this size from StartPos.
  bool Matchable(std::string_view text) const;
  // Match on a compare text (upper-cased or not) and the text it came from, of equal length.
  bool MatchIn(std::string_view compare, std::string_view unfolded);
  bool MatchSessionAt(MatchSession& session, std::size_t from, std::size_t& matchStart,
                      std::size_t& matchEnd);

  const TagSymbols& symbols_;
  Ui& ui_;
  const Clock& clock_;
  std::string workingText_;
  std::uint64_t workingVersion_ = 0;  // the TextVersion of the control it was copied from
  CompiledPattern pattern_;
  CompiledPattern replaceList_;
  std::array<bool, kAreaCount> areaGroups_{};
  std::array<std::string, kAreaCount> areaTexts_;
  int intoGroupCount_ = 0;
  std::unique_ptr<Matcher> matcher_;  // execution form of pattern_, rebuilt by Compile
};

}  // namespace norra
