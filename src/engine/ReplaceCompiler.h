// Compiles a replace text into the engine's replace list and expands it for each match.
#pragma once

#include <string>
#include <string_view>

namespace norra {

class SearchEngine;

class ReplaceCompiler {
 public:
  // Fills the engine's replace list; false (list empty) after a message when a date format
  // cannot be used.
  static bool Compile(SearchEngine& engine, std::string_view replaceText);

  // Appends the replacement for the last match to `out`.
  static void ExpandInto(const SearchEngine& engine, std::string& out);
};

}  // namespace norra
