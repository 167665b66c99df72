// What went wrong in the engine, as a value: a code and the fragment of the pattern the
// message names. The engine never tells the user; the windows and tools choose the words.
#pragma once

#include <string>
#include <utility>

#include "text/Charset.h"

namespace norra {

enum class EngineErrorCode : int {
  None = 0,
  NothingToFind,             // the find text compiles to nothing (empty, or only empty groups)
  ConsecutiveNot,            // two NOT tags in a row; fragment: the NOT symbol
  InfiniteLoop,              // a repeat group whose body may match nothing
  IntoInsideRepeat,          // a storage group inside a repeat group; fragment: the INTO symbol
  DuplicateArea,             // two storage groups for one area; fragment: the INTO symbol
  NestingTooDeep,            // groups nested deeper than the compiler allows
  AreaName,                  // storage area not "a"-"z"; fragment: the INTO symbol
  MinimumCount,              // repeat count below 1; fragment: the REPEAT symbol
  RepeatCount,               // repeat count empty or not a number; fragment: the REPEAT symbol
  DateFormat,                // a NOW replace tag whose format cannot be used; fragment: the format
  EmptyPattern,              // a replace-all without a compiled pattern
  WhichWithoutAlternatives,  // a match reached a WHICH tag with nothing to choose from;
                             // fragment: the WHICH symbol
  FindTextNotHeld,     // the find text has characters the text's charset cannot hold;
                       // fragment: those characters, each once (UTF-8); charset: the text's
  ReplaceTextNotHeld,  // the same for the replace text
};

struct EngineError {
  EngineErrorCode code = EngineErrorCode::None;
  std::string fragment;  // as the pattern or the symbols in force spell it, in `charset`
  Charset charset = Charset::Cp932;

  EngineError() = default;
  EngineError(EngineErrorCode c, std::string f = {}, Charset cs = Charset::Cp932)
      : code(c), fragment(std::move(f)), charset(cs) {}

  bool Ok() const { return code == EngineErrorCode::None; }
  // Refusals that abandon the whole command rather than only failing the compile: the window
  // then ends the command without taking the focus.
  bool Abandons() const {
    return code == EngineErrorCode::AreaName || code == EngineErrorCode::MinimumCount ||
           code == EngineErrorCode::RepeatCount;
  }
};

// The outcome of compiling a find or replace text: true when it compiled.
struct CompileResult {
  EngineError error;
  explicit operator bool() const { return error.Ok(); }
};

}  // namespace norra
