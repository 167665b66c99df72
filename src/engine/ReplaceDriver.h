// The replace-all drivers: one loop of match, count, expand and splice over a page, a
// selection or a text in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SearchEngine.h"

namespace norra {

class TextControl;

class ReplaceDriver {
 public:
  static bool ReplaceAllInPage(SearchEngine& engine, TextControl& control);
  static bool ReplaceAllInSelection(SearchEngine& engine, TextControl& control);
  static bool ReplaceAllInText(SearchEngine& engine, std::string& text);
  static std::vector<MatchSpan> ListMatches(SearchEngine& engine, std::string_view text);

 private:
  // A selection kept in step with the replacements, in positions of the text being built.
  struct Selection {
    std::size_t start = 0;
    std::size_t length = 0;
  };

  // Runs the shared loop over `text`; when anything was replaced, appends the new text to
  // `out` (otherwise `out` may hold part of it). With `spans`, only records the matches (and
  // raises FindCount). Returns whether anything was replaced.
  static bool RunLoop(SearchEngine& engine, std::string_view text, std::string& out,
                      Selection* selection, std::vector<MatchSpan>* spans);
  static void RequirePattern(SearchEngine& engine);
  static void ShowError(SearchEngine& engine, const char* messageUtf8);
};

}  // namespace norra
