// The text a run of matches works on: the compare text (upper-cased when letters fold), the
// unfolded text captures are taken from, and a character-boundary oracle for both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/LiteralFinder.h"
#include "text/Charset.h"

namespace norra {

class MatchSession {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  // Both views must have the same length and outlive the session; `charset` says how the
  // bytes form characters.
  MatchSession(std::string_view compare, std::string_view unfolded,
               Charset charset = Charset::Cp932);

  std::string_view Compare() const { return compare_; }
  std::string_view Unfolded() const { return unfolded_; }
  std::size_t Size() const { return compare_.size(); }
  Charset TextCharset() const { return charset_; }

  // Whether a character starts at 0-based pos (the end of the text counts as one).
  bool IsBoundary(std::size_t pos) const;
  // Bytes of the character at 0-based pos (CharLengthAt).
  std::size_t StepAt(std::size_t pos) const;
  // Start of the character that ends just before the boundary pos (pos > 0).
  std::size_t PreviousBoundary(std::size_t pos) const;

  // Whether needle stands at pos in the compare text as whole characters (it begins and ends
  // on boundaries; pos itself is taken to be one).
  bool WholeAt(std::size_t pos, std::string_view needle) const;

  // First occurrence of needle in the compare text at or after `from` that begins and ends on
  // character boundaries; npos when none.
  std::size_t FindAligned(std::string_view needle, std::size_t from) const;
  std::size_t FindAligned(const LiteralFinder& finder, std::size_t from) const;

  // Bytes of the digit ("0"-"9" or full-width ０-９) at pos, 0 when none stands there.
  std::size_t DigitLengthAt(std::size_t pos) const;
  // First digit at or after `from` that begins on a character boundary; npos when none.
  std::size_t FindDigit(std::size_t from) const;

  // Byte frequencies of a sample of the compare text, taken on first use (finders pick the
  // rarer bytes of a needle by them).
  const ByteCounts& Counts() const;

 private:
  bool ScanBoundary(std::size_t pos) const;
  bool Utf8Boundary(std::size_t pos) const;
  std::size_t FindDigitUtf8(std::size_t from) const;

  std::string_view compare_;
  std::string_view unfolded_;
  Charset charset_;
  // Boundary bits filled lazily from the start; used only where the quick test cannot decide.
  mutable std::vector<std::uint64_t> bits_;
  mutable std::size_t scannedTo_ = 0;
  mutable std::unique_ptr<ByteCounts> counts_;
};

}  // namespace norra
