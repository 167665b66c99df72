// A printable one-line form of compiled patterns and replace lists (tests, diagnostics).
#pragma once

#include <string>

#include "engine/PatternNode.h"

namespace norra {

// UTF-8, nodes separated by one space:
//   "TEXT"  STRS  STR  CHAR  NUM  WHICH("a"|"b")  NOT("a")  REPEAT 3{...}  INTO a{...}
//   FROM a  FCOUNT  RCOUNT  NOW("yyyy")
// Control bytes inside texts are written as \xHH.
std::string DumpPattern(const CompiledPattern& pattern);

}  // namespace norra
