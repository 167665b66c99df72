// Byte searches in a short CP932 text that only count occurrences starting on a character
// boundary (a second byte of a double-byte character never starts a tag or a match).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

class AlignedText {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  AlignedText() = default;
  explicit AlignedText(std::string_view text) { Reset(text); }

  // Takes a new text (the view must outlive the searches) and recomputes its boundaries.
  void Reset(std::string_view text);

  std::string_view View() const { return text_; }
  std::size_t Size() const { return text_.size(); }
  bool IsBoundary(std::size_t pos) const { return pos >= text_.size() || boundary_[pos]; }
  // Bytes of the character starting at pos (CharStep).
  std::size_t StepAt(std::size_t pos) const;

  // First occurrence of needle starting at or after `from` on a boundary; npos when none.
  std::size_t Find(std::string_view needle, std::size_t from) const;
  // Last occurrence that starts on a boundary and ends at or before `endLimit`; npos when none.
  std::size_t RFindEndingBy(std::string_view needle, std::size_t endLimit) const;
  // Whether needle stands at pos, pos being a boundary.
  bool At(std::size_t pos, std::string_view needle) const;

 private:
  std::string_view text_;
  std::vector<char> boundary_;
};

}  // namespace norra
