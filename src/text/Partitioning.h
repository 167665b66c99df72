// Ascending start positions of consecutive parts (the first starts at 0). A shift of all
// starts after some part is recorded as a pending step and applied lazily, so typing at one
// place does not touch the starts after it. Positions are unsigned and wrap: a shift by a
// "negative" delta is its value modulo the word size.
#pragma once

#include <algorithm>
#include <cstddef>

#include "text/GapVector.h"

namespace norra {

class Partitioning {
 public:
  Partitioning() { Reset(); }

  void Reset() {
    starts_ = GapVector<std::size_t>();
    starts_.Insert(0, std::size_t{0});
    stepPart_ = 0;
    stepLength_ = 0;
  }
  std::size_t Count() const { return starts_.Size(); }
  std::size_t Start(std::size_t part) const {
    const std::size_t raw = starts_[part];
    return part > stepPart_ ? raw + stepLength_ : raw;
  }
  // The last part whose start is at or before pos. Edits and lookups cluster around the caret,
  // so the part found last and its successor are tried before a binary search.
  std::size_t Find(std::size_t pos) const {
    const std::size_t count = Count();
    for (std::size_t part = std::min(hint_, count - 1), k = 0; k < 2 && part < count; ++k, ++part) {
      if (Start(part) <= pos && (part + 1 == count || Start(part + 1) > pos)) {
        hint_ = part;
        return part;
      }
    }
    std::size_t lo = 0;
    std::size_t hi = count;
    while (hi - lo > 1) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (Start(mid) <= pos) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    hint_ = lo;
    return lo;
  }
  // The first part whose start is at or after pos (Count() when none).
  std::size_t LowerBound(std::size_t pos) const {
    const std::size_t part = Find(pos);
    return Start(part) < pos ? part + 1 : part;
  }
  void Insert(std::size_t part, std::size_t start) {
    if (part <= stepPart_) {
      starts_.Insert(part, start);
      ++stepPart_;
    } else {
      starts_.Insert(part, start - stepLength_);
    }
  }
  void Remove(std::size_t part) {
    starts_.Erase(part, 1);
    if (part <= stepPart_ && stepPart_ > 0) --stepPart_;
  }
  // Adds delta (modulo the word size, so it may be "negative") to every start after part.
  void Shift(std::size_t part, std::size_t delta) {
    if (part + 1 >= Count() || delta == 0) return;
    if (stepLength_ == 0) {
      stepPart_ = part;
      stepLength_ = delta;
    } else if (part >= stepPart_) {
      ApplyStep(part);
      stepLength_ += delta;
    } else if (stepPart_ - part <= Count() / 10 + 16) {
      BackStep(part);
      stepLength_ += delta;
    } else {
      ApplyStep(Count() - 1);
      stepPart_ = part;
      stepLength_ = delta;
    }
  }

 private:
  void ApplyStep(std::size_t upTo) {
    for (std::size_t i = stepPart_ + 1; i <= upTo; ++i) starts_[i] += stepLength_;
    stepPart_ = upTo;
  }
  void BackStep(std::size_t downTo) {
    for (std::size_t i = downTo + 1; i <= stepPart_; ++i) starts_[i] -= stepLength_;
    stepPart_ = downTo;
  }

  GapVector<std::size_t> starts_;
  std::size_t stepPart_ = 0;  // parts after this one lack stepLength_
  std::size_t stepLength_ = 0;
  mutable std::size_t hint_ = 0;  // the part Find returned last
};

}  // namespace norra
