// Character boundaries and aligned substring search over the text being matched.
#include "engine/MatchSession.h"

#include <cstring>

#include "text/Cp932.h"

namespace norra {

MatchSession::MatchSession(std::string_view compare, std::string_view unfolded)
    : compare_(compare), unfolded_(unfolded) {}

std::size_t MatchSession::StepAt(std::size_t pos) const {
  return static_cast<std::size_t>(CharStepAt(compare_, pos));
}

bool MatchSession::IsBoundary(std::size_t pos) const {
  if (pos == 0 || pos >= compare_.size()) return true;
  // A byte outside the lead range always ends a character, so the position after it is a
  // boundary; from there every lead-range byte pairs with the next. Count that run.
  constexpr std::size_t kQuickRun = 64;
  std::size_t run = 0;
  std::size_t i = pos;
  while (i > 0 && run < kQuickRun && IsLeadByte(static_cast<unsigned char>(compare_[i - 1]))) {
    --i;
    ++run;
  }
  if (i == 0 || run < kQuickRun) return run % 2 == 0;
  return ScanBoundary(pos);
}

bool MatchSession::ScanBoundary(std::size_t pos) const {
  if (bits_.empty()) bits_.assign(compare_.size() / 64 + 1, 0);
  while (scannedTo_ <= pos && scannedTo_ < compare_.size()) {
    bits_[scannedTo_ / 64] |= std::uint64_t{1} << (scannedTo_ % 64);
    scannedTo_ += StepAt(scannedTo_);
  }
  return (bits_[pos / 64] >> (pos % 64)) & 1;
}

std::size_t MatchSession::PreviousBoundary(std::size_t pos) const {
  if (pos <= 1) return 0;
  return IsBoundary(pos - 1) ? pos - 1 : pos - 2;
}

bool MatchSession::WholeAt(std::size_t pos, std::string_view needle) const {
  return pos <= compare_.size() && compare_.substr(pos).starts_with(needle) &&
         IsBoundary(pos + needle.size());
}

std::size_t MatchSession::FindAligned(std::string_view needle, std::size_t from) const {
  const std::size_t size = compare_.size();
  if (needle.empty() || from >= size || needle.size() > size - from) return npos;
  const char* base = compare_.data();
  while (from + needle.size() <= size) {
    const void* hit =
        needle.size() == 1
            ? std::memchr(base + from, needle[0], size - from)
            : ::memmem(base + from, size - from, needle.data(), needle.size());
    if (hit == nullptr) return npos;
    const auto q = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    if (IsBoundary(q) && IsBoundary(q + needle.size())) return q;
    from = q + 1;
  }
  return npos;
}

}  // namespace norra
