// Line positions of a text control's text, read one line at a time (never the whole text).
#pragma once

#include <cstddef>

namespace norra {

class TextControl;

struct LineSpan {
  std::size_t line = 0;   // 0-based
  std::size_t start = 0;  // offset of the line's first byte
  std::size_t end = 0;    // offset before its line break (CR LF, lone CR or lone LF), or the text end
};

// The line holding the offset.
LineSpan LineAt(const TextControl& control, std::size_t offset);
// The line by number (0-based, below LineCount()).
LineSpan LineNumbered(const TextControl& control, std::size_t line);

}  // namespace norra
