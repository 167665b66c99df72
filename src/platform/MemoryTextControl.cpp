// A byte-buffer text control.
#include "platform/MemoryTextControl.h"

#include <algorithm>

namespace norra {

std::string MemoryTextControl::SelText() const { return text_.substr(selStart_, selLength_); }

void MemoryTextControl::SetSelection(std::size_t start, std::size_t length) {
  selStart_ = std::min(start, text_.size());
  selLength_ = std::min(length, text_.size() - selStart_);
}

bool MemoryTextControl::ReplaceSelection(std::string_view text) {
  if (failEdits_) return false;
  if (text_.size() - selLength_ + text.size() > maxLength_) return false;
  text_.replace(selStart_, selLength_, text);
  selStart_ += text.size();
  selLength_ = 0;
  modified_ = true;
  ++editCount_;
  return true;
}

void MemoryTextControl::SetText(std::string text) {
  text_ = std::move(text);
  selStart_ = 0;
  selLength_ = 0;
}

}  // namespace norra
