// The replace-all driver: one loop of match, count, expand and splice over a text, its result
// returned as a new text or streamed to a sink.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ReplaceSink.h"
#include "engine/SearchEngine.h"
#include "text/ReplacedSpan.h"

namespace norra {

class ReplaceDriver {
 public:
  static ReplaceResult ReplaceAll(SearchEngine& engine, std::string_view text,
                                  const ReplaceRequest& request);
  static std::int64_t ReplaceAllInText(SearchEngine& engine, std::string_view text,
                                       ReplaceSink& sink);
  static std::int64_t ReplaceAllInFoldableText(SearchEngine& engine, std::string& text,
                                               ReplaceSink& sink);
  static std::vector<MatchSpan> ListMatches(SearchEngine& engine, std::string_view text);
  static std::vector<MatchSpan> ListMatchesFolding(SearchEngine& engine, std::string& text,
                                                   bool upperCased);
  static std::vector<MatchSpan> ListMatchesFolded(SearchEngine& engine, std::string_view text);

 private:
  // Runs the shared loop over `text`. From the first match on, the new text goes to `sink`
  // piece by piece; a text without a match gives it nothing. With `spans`, only records the
  // matches (and raises FindCount). With `foldInPlace` (which must hold `text`), letters are
  // upper-cased in that string rather than in a copy; with `preFolded` the text is upper-cased
  // already. Returns whether anything was replaced.
  static bool RunLoop(SearchEngine& engine, std::string_view text, ReplaceSink* sink,
                      std::vector<MatchSpan>* spans, std::string* foldInPlace = nullptr,
                      bool preFolded = false);
  static void RequirePattern(SearchEngine& engine);
};

}  // namespace norra
