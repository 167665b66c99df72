// Splitting a text into print lines.
#include "printing/PrintLines.h"

#include <algorithm>

#include "text/Cp932.h"
#include "text/LineWrap.h"

namespace norra {

void PrintLines::Split(std::string_view text, int columnsWanted, int tabWidthWanted) {
  const std::size_t columns = static_cast<std::size_t>(std::max(2, columnsWanted));
  const std::size_t tabWidth = static_cast<std::size_t>(std::max(1, tabWidthWanted));
  text_.clear();
  ends_.clear();
  text_.reserve(text.size());
  ends_.reserve(text.size() / std::min<std::size_t>(columns, 64) / 2 + 1);

  std::size_t lineStart = 0;
  while (lineStart <= text.size()) {
    std::size_t lineEnd = text.find("\r\n", lineStart);
    const bool last = lineEnd == std::string_view::npos;
    if (last) lineEnd = text.size();
    // A text ending in CR LF has no empty line after it.
    if (last && lineStart == text.size() && lineStart > 0) break;
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);

    // Where the line wraps follows the line-break rules the view uses; tabs become spaces up to
    // the stop the wrapping counted.
    const std::vector<std::size_t> breaks =
        WrapPoints(Charset::Cp932, line, static_cast<int>(columns), static_cast<int>(tabWidth));
    std::size_t next = 0;  // the next break
    std::size_t column = 0;
    for (std::size_t i = 0; i < line.size();) {
      if (next < breaks.size() && breaks[next] == i) {
        ends_.push_back(text_.size());
        column = 0;
        ++next;
      }
      if (line[i] == '\t') {
        const std::size_t spaces = std::min(tabWidth - column % tabWidth, columns - column);
        text_.append(spaces, ' ');
        column += spaces;
        ++i;
        continue;
      }
      // A lead byte at the very end of the line stands alone, as CharStep counts it.
      const std::size_t step = static_cast<std::size_t>(CharStepAt(line, i));
      text_.append(line.substr(i, step));
      column += step;
      i += step;
    }
    ends_.push_back(text_.size());
    if (last) break;
    lineStart = lineEnd + 2;
  }
}

std::string_view PrintLines::Line(std::size_t index) const {
  const std::size_t start = index == 0 ? 0 : ends_.at(index - 1);
  return std::string_view(text_).substr(start, ends_.at(index) - start);
}

}  // namespace norra
