// The part of a line shown for a hit: a line of any length gives a bounded piece.
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
  // Where in its line the piece For gave last begins (0 for a whole line), kCut not counted.
  std::size_t PieceStart() const { return pieceStart_; }
  // and where it ends (the line's length for a whole line).
  std::size_t PieceEnd() const { return pieceEnd_; }

 private:
  // Moves cursor on by whole characters as far as it stays at or before target.
  void StepTo(std::string_view line, std::size_t& cursor, std::size_t target) const;

  Charset charset_;
  const char* line_ = nullptr;  // the line the cursors belong to
  std::size_t start_ = 0;       // start of the last piece (a character boundary)
  std::size_t end_ = 0;         // end of the last piece (a character boundary)
  std::size_t pieceStart_ = 0;
  std::size_t pieceEnd_ = 0;
};

}  // namespace norra
