// Cutting a long line down to the piece around a hit, between whole characters.
#include "findreplace/LineExcerpt.h"

#include <algorithm>

#include "text/Charset.h"

namespace norra {

void LineExcerpt::StepTo(std::string_view line, std::size_t& cursor, std::size_t target) const {
  while (cursor < target) {
    const std::size_t step = static_cast<std::size_t>(CharLengthAt(charset_, line, cursor));
    if (cursor + step > target) break;
    cursor += step;
  }
}

std::string LineExcerpt::For(std::string_view line, std::size_t hit) {
  pieceStart_ = 0;
  pieceEnd_ = line.size();
  if (line.size() <= kWidth) return std::string(line);
  if (line.data() != line_) {
    line_ = line.data();
    start_ = 0;
    end_ = 0;
  }
  // Near the end of the line the piece reaches further back, so it is never shorter.
  StepTo(line, start_, std::min(hit > kBefore ? hit - kBefore : 0, line.size() - kWidth));
  end_ = std::max(end_, start_);
  StepTo(line, end_, std::min(line.size(), start_ + kWidth));
  pieceStart_ = start_;
  pieceEnd_ = end_;
  std::string piece;
  piece.reserve(end_ - start_ + 2 * kCut.size());
  if (start_ > 0) piece += kCut;
  piece.append(line, start_, end_ - start_);
  if (end_ < line.size()) piece += kCut;
  return piece;
}

}  // namespace norra
