// The part of a line norra-find prints for a hit: a line of any length gives a bounded piece.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/Charset.h"

namespace norra {

class LineExcerpt {
 public:
  // `charset`: how the lines' bytes form characters.
  explicit LineExcerpt(Charset charset = Charset::Cp932) : charset_(charset) {}

  static constexpr std::size_t kWidth = 200;       // at most this many bytes of the line
  static constexpr std::size_t kBefore = 60;       // of them, about this many before the hit
  static constexpr std::string_view kCut = "...";  // stands where the line was cut

  // The text to print for a hit at byte offset `hit` of `line` (without its break): the
  // whole line when it is at most kWidth bytes, else kWidth bytes or fewer around the hit, cut
  // between whole characters and marked with kCut at each cut end. Hits on one line must come
  // in order, so the character stepping of a long line is done once, however many hits it has.
  std::string For(std::string_view line, std::size_t hit);

 private:
  // Moves cursor on by whole characters as far as it stays at or before target.
  void StepTo(std::string_view line, std::size_t& cursor, std::size_t target) const;

  Charset charset_;
  const char* line_ = nullptr;  // the line the cursors belong to
  std::size_t start_ = 0;       // start of the last piece (a character boundary)
  std::size_t end_ = 0;         // end of the last piece (a character boundary)
};

}  // namespace norra
