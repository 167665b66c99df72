// Forward search for one byte string in a long text: a vector scan for two of its rarer bytes
// at their distance apart, each hit confirmed by a whole compare.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace norra {

// How often each byte value occurs in (a sample of) the text to be searched.
using ByteCounts = std::array<std::uint32_t, 256>;

class LiteralFinder {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  LiteralFinder() = default;
  // The needle must outlive the finder. The two bytes the scan looks for are the needle's
  // least frequent ones by `counts`; without counts, a guess for Japanese and ASCII text.
  explicit LiteralFinder(std::string_view needle, const ByteCounts* counts = nullptr);

  std::string_view Needle() const { return needle_; }

  // First occurrence starting at or after `from`, at any byte offset; npos when none.
  // An empty needle is found at `from` (when from <= text size).
  std::size_t Find(std::string_view text, std::size_t from) const;

  // Byte frequencies of a few slices spread over the text (at most 16 KB are read).
  static ByteCounts SampleCounts(std::string_view text);

 private:
  std::string_view needle_;
  std::size_t near_ = 0;  // offsets in the needle of the two bytes the scan looks for
  std::size_t far_ = 0;   // (near_ < far_ unless the needle is one byte long)
};

}  // namespace norra
