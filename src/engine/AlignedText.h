// Byte searches in a short text (CP932 or UTF-8) that only count occurrences starting on a
// character boundary (a later byte of a multi-byte character never starts a tag or a match).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/Charset.h"

namespace norra {

class AlignedText {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  AlignedText() = default;
  explicit AlignedText(std::string_view text, Charset charset = Charset::Cp932) {
    Reset(text, charset);
  }

  // Takes a new text (the view must outlive the searches) and recomputes its boundaries.
  void Reset(std::string_view text, Charset charset = Charset::Cp932);

  std::string_view View() const { return text_; }
  std::size_t Size() const { return text_.size(); }
  bool IsBoundary(std::size_t pos) const { return pos >= text_.size() || boundary_[pos]; }
  // Bytes of the character starting at pos (CharLengthAt).
  std::size_t StepAt(std::size_t pos) const;

  // First occurrence of needle starting at or after `from` on a boundary; npos when none.
  std::size_t Find(std::string_view needle, std::size_t from) const;
  // Last occurrence that starts on a boundary and ends at or before `endLimit`; npos when none.
  std::size_t RFindEndingBy(std::string_view needle, std::size_t endLimit) const;
  // Whether needle stands at pos, pos being a boundary.
  bool At(std::size_t pos, std::string_view needle) const;

  // Bytes looked at by every text's resets and searches on this thread: a measure of the
  // compilers' work for tests, which expect it to grow with the text, not faster.
  static std::uint64_t& Work();

 private:
  std::string_view text_;
  Charset charset_ = Charset::Cp932;
  std::vector<char> boundary_;
};

// Forward searches for one needle from positions that mostly grow, as a left-to-right scan
// makes them: a search from inside the stretch an earlier one crossed without a hit takes its
// answer again, so each stretch of the text is scanned once however often it is asked about.
class NextOccurrence {
 public:
  NextOccurrence(const AlignedText& text, std::string needle)
      : text_(text), needle_(std::move(needle)) {}

  // The same as text.Find(needle, from).
  std::size_t From(std::size_t from);

 private:
  const AlignedText& text_;
  std::string needle_;
  std::size_t searchedFrom_ = AlignedText::npos;
  std::size_t found_ = AlignedText::npos;
};

}  // namespace norra
