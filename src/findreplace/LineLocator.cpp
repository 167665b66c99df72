// Locating matches of the joined text in the file's own bytes.
#include "findreplace/LineLocator.h"

#include <algorithm>

namespace norra {

namespace {
constexpr std::size_t kJoinedBreak = 2;  // CR LF
}

LineLocator::LineLocator(std::string_view original) : original_(original), breaks_(original) {
  LoadLine();
}

void LineLocator::LoadLine() {
  const std::size_t end = breaks_.Next(origStart_);
  contentLength_ = end - origStart_;
  breakLength_ = end < original_.size() ? breaks_.LengthAt(end) : 0;
}

LineLocator::Place LineLocator::Locate(std::size_t joinedOffset) {
  while (joinedOffset >= joinedStart_ + contentLength_ + kJoinedBreak && HasNextLine()) {
    origStart_ += contentLength_ + breakLength_;
    joinedStart_ += contentLength_ + kJoinedBreak;
    ++line_;
    LoadLine();
  }
  Place place;
  place.line = line_;
  const std::size_t rel = joinedOffset - std::min(joinedOffset, joinedStart_);
  if (rel <= contentLength_) {
    place.originalOffset = origStart_ + rel;
  } else {
    // Inside (or past) the CR LF the engine saw: as far into the file's own break.
    place.originalOffset =
        origStart_ + contentLength_ + std::min(rel - contentLength_, breakLength_);
  }
  place.column = std::min(rel, contentLength_) + 1;
  place.lineText = original_.substr(origStart_, contentLength_);
  return place;
}

}  // namespace norra
