// Line positions of a text control's text.
#include "documents/TextLines.h"

#include <algorithm>
#include <string>

#include "platform/TextControl.h"

namespace norra {

LineSpan LineNumbered(const TextControl& control, std::size_t line) {
  LineSpan span;
  span.line = line;
  span.start = control.LineStart(line);
  if (line + 1 >= control.LineCount()) {
    span.end = control.TextLength();
    return span;
  }
  const std::size_t next = control.LineStart(line + 1);
  if (next >= 2 && control.TextRange(next - 2, 2) == "\r\n") {
    span.end = next - 2;
  } else {
    span.end = next > 0 ? next - 1 : 0;
  }
  span.end = std::max(span.end, span.start);
  return span;
}

LineSpan LineAt(const TextControl& control, std::size_t offset) {
  return LineNumbered(control, control.LineFromOffset(std::min(offset, control.TextLength())));
}

}  // namespace norra
