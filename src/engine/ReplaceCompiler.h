// Compiles a replace text into the engine's replace list and expands it for each match.
#pragma once

#include <string>
#include <string_view>

#include "engine/EngineError.h"

namespace norra {

class SearchEngine;

class ReplaceCompiler {
 public:
  // Fills the engine's replace list; on an unusable date format the list is empty and the
  // error names the format.
  static EngineError Compile(SearchEngine& engine, std::string_view replaceText);

  // Appends the replacement for the last match to `out`.
  static void ExpandInto(const SearchEngine& engine, std::string& out);
};

}  // namespace norra
