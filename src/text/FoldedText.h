// An upper-cased copy of a CP932 text kept in step with the text's edits, so that searches
// which ignore case do not fold the whole text again for every find.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norra {

// A text held as two pieces read one after the other (the two sides of a gap buffer); either
// may be empty.
struct SplitText {
  std::string_view head;
  std::string_view tail;

  std::size_t Size() const { return head.size() + tail.size(); }
  unsigned char At(std::size_t i) const {
    return static_cast<unsigned char>(i < head.size() ? head[i] : tail[i - head.size()]);
  }
  // Copies [offset, offset + length), which must lie inside the text.
  void CopyTo(std::size_t offset, std::size_t length, char* out) const;
};

// The copy is made on first use and from then on follows each edit reported to it, refolding
// only the edited bytes and the characters beside them whose reading the edit may change (a
// lead byte that lost or gained its second byte, and the run of lead-range bytes after the
// edit up to the first byte that always ends a character). Its bytes live in a gap buffer, so
// edits at one place cost nothing for the rest of the text.
class FoldedText {
 public:
  // Whether the copy exists; until then edits cost nothing.
  bool Built() const { return built_; }
  // Drops the copy (a whole new text); the next View makes it afresh.
  void Clear();

  // The text with ToUpperCp932 applied, valid until the next edit. `text` is the text as it
  // stands, after every edit reported so far.
  std::string_view View(const SplitText& text);

  // The bytes [offset, offset + removed) of the text were replaced by `inserted` bytes;
  // `text` is the text after the change.
  void Replace(std::size_t offset, std::size_t removed, std::size_t inserted,
               const SplitText& text);

 private:
  std::size_t Size() const { return body_.size() - gapLength_; }
  void MoveGap(std::size_t pos);
  // Writes bytes [from, from + length) of the logical text, the gap skipped.
  void Write(std::size_t from, std::string_view bytes);

  bool built_ = false;
  std::string body_;  // the folded bytes with a gap of unused bytes at gapStart_
  std::size_t gapStart_ = 0;
  std::size_t gapLength_ = 0;
};

}  // namespace norra
