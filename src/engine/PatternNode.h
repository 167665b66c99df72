// One node of a compiled find pattern or replace list.
#pragma once

#include <string>
#include <vector>

#include "engine/TagTable.h"

namespace norra {

struct PatternNode {
  int kind = TAG_LITERAL;                 // tag index, TAG_LITERAL..TAG_NOWF
  std::string text;                       // LITERAL text (upper-cased when folding); NOWF format
  std::vector<std::string> alternatives;  // WHICH and NOT: non-empty, in written order
  std::vector<PatternNode> body;          // INTO and REPEAT groups: their own sequence
  int argument = 0;                       // REPEAT: minimum count; INTO, OUTFROM: area 1-26
  int bodyLength = 0;                     // number of body nodes as compiled
  bool mayBeEmpty = false;                // STRS, STR and NOT
};

// A find pattern's main sequence, or a replace list.
using CompiledPattern = std::vector<PatternNode>;

}  // namespace norra
