// The marked-text notation of the tests: text and selection in one string, "ab|c" (caret),
// "a[bc]d" (selection, caret at its end) and "a{bc}d" (caret at its start). UTF-8 in the test,
// CP932 in the control.
#pragma once

#include <string>
#include <string_view>

#include "platform/MemoryTextControl.h"
#include "text/Encoding.h"

namespace norra::testing {

struct Marked {
  std::string text;  // CP932
  std::size_t start = 0;
  std::size_t length = 0;
  bool backwards = false;
};

inline Marked ParseMarked(std::string_view notation) {
  Marked m;
  std::string utf8;
  std::size_t open = std::string::npos;
  for (const char c : notation) {
    if (c == '|') {
      m.start = Utf8ToCp932(utf8).size();
    } else if (c == '[' || c == '{') {
      open = Utf8ToCp932(utf8).size();
      m.backwards = c == '{';
    } else if (c == ']' || c == '}') {
      m.start = open;
      m.length = Utf8ToCp932(utf8).size() - open;
    } else {
      utf8 += c;
    }
  }
  m.text = Utf8ToCp932(utf8);
  return m;
}

inline void SetMarked(MemoryTextControl& control, std::string_view notation) {
  const Marked m = ParseMarked(notation);
  control.SetText(m.text);
  if (m.backwards) {
    control.SetSelectionBackwards(m.start, m.length);
  } else {
    control.SetSelection(m.start, m.length);
  }
}

inline std::string ShowMarked(const MemoryTextControl& control) {
  const std::string& text = control.Buffer();
  const std::size_t start = control.SelStart();
  const std::size_t end = start + control.SelLength();
  auto part = [&text](std::size_t from, std::size_t to) { return Cp932ToUtf8(std::string_view(text).substr(from, to - from)); };
  if (control.SelLength() == 0) return part(0, start) + "|" + part(start, text.size());
  const bool back = control.SelectionBackwards();
  return part(0, start) + (back ? "{" : "[") + part(start, end) + (back ? "}" : "]") + part(end, text.size());
}

}  // namespace norra::testing
