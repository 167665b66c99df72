// The per-Page buffer of texts kept for undo.
#include "documents/UndoTextBuffer.h"

#include <algorithm>

namespace norra {

std::string UndoTextBuffer::TakeBack(std::size_t length) {
  length = std::min(length, Size());
  std::string taken = data_.substr(data_.size() - length);
  data_.resize(data_.size() - length);
  if (head_ >= data_.size()) Clear();
  return taken;
}

void UndoTextBuffer::DropFront(std::size_t length) {
  head_ += std::min(length, Size());
  if (head_ == data_.size()) {
    Clear();
  } else if (head_ > 4096 && head_ > data_.size() / 2) {
    data_.erase(0, head_);
    head_ = 0;
  }
}

void UndoTextBuffer::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  head_ = 0;
}

}  // namespace norra
