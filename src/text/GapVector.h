// A vector with a movable hole, so repeated edits at one place cost nothing for the rest: the
// elements between the hole and an edit move, nothing else. The hole only grows (half the size
// again when it is too small) and is never given back.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <string_view>
#include <vector>

#include "text/FoldedText.h"

namespace norra {

template <class T>
class GapVector {
 public:
  std::size_t Size() const { return body_.size() - gapLength_; }
  const T& operator[](std::size_t i) const {
    return i < gapStart_ ? body_[i] : body_[i + gapLength_];
  }
  T& operator[](std::size_t i) { return i < gapStart_ ? body_[i] : body_[i + gapLength_]; }

  void Assign(const T* values, std::size_t count) {
    body_.assign(values, values + count);
    gapStart_ = count;
    gapLength_ = 0;
  }
  void Insert(std::size_t pos, const T* values, std::size_t count) {
    if (count == 0) return;
    Reserve(count);
    MoveGap(pos);
    std::copy(values, values + count, body_.begin() + static_cast<std::ptrdiff_t>(pos));
    gapStart_ += count;
    gapLength_ -= count;
  }
  void Insert(std::size_t pos, const T& value) { Insert(pos, &value, 1); }
  void Erase(std::size_t pos, std::size_t count) {
    if (count == 0) return;
    MoveGap(pos);
    gapLength_ += count;
  }
  void CopyTo(std::size_t pos, std::size_t count, T* out) const {
    for (std::size_t i = 0; i < count; ++i) out[i] = (*this)[pos + i];
  }
  // All elements in one piece: the gap goes to the end.
  const T* Contiguous() {
    MoveGap(Size());
    return body_.data();
  }
  // The elements before and after the gap, where they are (for T = char).
  SplitText Split() const
    requires std::same_as<T, char>
  {
    const std::string_view body(body_.data(), body_.size());
    return SplitText{body.substr(0, gapStart_), body.substr(gapStart_ + gapLength_)};
  }

 private:
  void MoveGap(std::size_t pos) {
    auto at = [this](std::size_t i) { return body_.begin() + static_cast<std::ptrdiff_t>(i); };
    if (pos < gapStart_) {
      std::move_backward(at(pos), at(gapStart_), at(gapStart_ + gapLength_));
    } else if (pos > gapStart_) {
      std::move(at(gapStart_ + gapLength_), at(pos + gapLength_), at(gapStart_));
    }
    gapStart_ = pos;
  }
  void Reserve(std::size_t more) {
    if (gapLength_ >= more) return;
    const std::size_t size = Size();
    MoveGap(size);
    const std::size_t capacity = std::max(size + more, size + size / 2 + 64);
    body_.resize(capacity);
    gapLength_ = capacity - size;
  }

  std::vector<T> body_;
  std::size_t gapStart_ = 0;
  std::size_t gapLength_ = 0;
};

}  // namespace norra
