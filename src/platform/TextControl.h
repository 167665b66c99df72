// The text-control port: what the program needs of a plain-text edit control.
// Text is CP932; positions and lengths are 0-based byte offsets into it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norra {

class TextControl {
 public:
  virtual ~TextControl() = default;

  virtual std::string Text() const = 0;  // the whole text
  virtual std::size_t TextLength() const = 0;

  virtual std::size_t SelStart() const = 0;
  virtual std::size_t SelLength() const = 0;
  virtual std::string SelText() const = 0;
  // Selects [start, start + length), clamped to the text; the caret goes to the end.
  virtual void SetSelection(std::size_t start, std::size_t length) = 0;

  // Replaces the selection with `text` as one edit (like a plain-text paste) and leaves the
  // caret after it. Returns false, changing nothing, when the result would exceed MaxLength.
  virtual bool ReplaceSelection(std::string_view text) = 0;

  // Largest text the control holds, in bytes.
  virtual std::size_t MaxLength() const = 0;

  virtual void ScrollCaret() = 0;

  virtual bool Modified() const = 0;
  virtual void SetModified(bool modified) = 0;
};

}  // namespace norra
