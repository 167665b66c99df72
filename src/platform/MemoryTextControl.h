// A byte-buffer TextControl for tests and tools.
#pragma once

#include <limits>

#include "platform/TextControl.h"

namespace norra {

class MemoryTextControl : public TextControl {
 public:
  MemoryTextControl() = default;
  explicit MemoryTextControl(std::string text) : text_(std::move(text)) {}

  std::string Text() const override { return text_; }
  std::size_t TextLength() const override { return text_.size(); }
  std::size_t SelStart() const override { return selStart_; }
  std::size_t SelLength() const override { return selLength_; }
  std::string SelText() const override;
  void SetSelection(std::size_t start, std::size_t length) override;
  bool ReplaceSelection(std::string_view text) override;
  std::size_t MaxLength() const override { return maxLength_; }
  void ScrollCaret() override { ++scrollCount_; }
  bool Modified() const override { return modified_; }
  void SetModified(bool modified) override { modified_ = modified; }

  // Test set-up: replaces the text without counting an edit; selection goes to 0.
  void SetText(std::string text);
  void SetMaxLength(std::size_t maxLength) { maxLength_ = maxLength; }
  // Makes the next edits fail, as a control that refuses a paste would.
  void SetFailEdits(bool fail) { failEdits_ = fail; }

  const std::string& Buffer() const { return text_; }
  std::size_t EditCount() const { return editCount_; }
  std::size_t ScrollCount() const { return scrollCount_; }

 private:
  std::string text_;
  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
  std::size_t maxLength_ = std::numeric_limits<std::size_t>::max();
  bool modified_ = false;
  bool failEdits_ = false;
  std::size_t editCount_ = 0;
  std::size_t scrollCount_ = 0;
};

}  // namespace norra
