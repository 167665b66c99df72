// Maps offsets in a file's text as the engine saw it (every line ended by CR LF) back to the
// file's own bytes, with line and column, for hit listings.
#pragma once

#include <cstddef>
#include <string_view>

#include "findreplace/LineBreaks.h"

namespace norra {

class LineLocator {
 public:
  // The file's own bytes; they must outlive the locator.
  explicit LineLocator(std::string_view original);

  struct Place {
    std::size_t line = 1;            // 1-based line number
    std::size_t column = 1;          // 1-based byte column within the line
    std::size_t originalOffset = 0;  // 0-based offset in the file's bytes
    std::string_view lineText;       // the line without its break
  };

  // Offsets must not decrease from one call to the next (matches come in order).
  Place Locate(std::size_t joinedOffset);

 private:
  void LoadLine();
  bool HasNextLine() const { return origStart_ + contentLength_ + breakLength_ < original_.size(); }

  std::string_view original_;
  LineBreakScanner breaks_;  // finds each line's end with a vector scan, not byte by byte
  std::size_t line_ = 1;
  std::size_t origStart_ = 0;    // start of the current line in the file
  std::size_t joinedStart_ = 0;  // start of the current line in the joined text
  std::size_t contentLength_ = 0;
  std::size_t breakLength_ = 0;  // 0 (last line without a break), 1 or 2
};

}  // namespace norra
