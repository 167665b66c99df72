// A text split into print lines of at most a number of columns (bytes), never splitting a
// two-byte character and keeping the line-break rules (a print line does not begin with 。 or
// end with 「); tabs become spaces up to the next tab stop.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

class PrintLines {
 public:
  // Splits a CP932 text at its CR LF breaks (a final CR LF ends the last line without starting
  // another), then each line into pieces of at most `columns` bytes (at least 2). Tab stops
  // are `tabWidth` columns apart (at least 1). Replaces what was there before.
  void Split(std::string_view cp932, int columns, int tabWidth);

  std::size_t Count() const { return ends_.size(); }
  std::string_view Line(std::size_t index) const;
  // The memory the lines take, in bytes.
  std::size_t Footprint() const {
    return text_.capacity() + ends_.capacity() * sizeof(std::size_t);
  }

 private:
  std::string text_;               // the print lines one after another
  std::vector<std::size_t> ends_;  // where each line ends in text_
};

}  // namespace norra
