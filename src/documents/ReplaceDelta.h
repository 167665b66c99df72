// What a replace-all changed, kept compactly: the old bytes of each span and where it was.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/ReplacedSpan.h"

namespace norra {

// A delta rebuilds the text before a replace-all from the text after it. It holds, per span,
// the gap since the previous span (unchanged bytes, the same on both sides), the two lengths
// (once for all spans when every span has the same ones) and the old bytes.
class ReplaceDelta {
 public:
  // The delta of `spans` over `oldText`; none when the spans do not fit the text or are not in
  // order and apart.
  static std::optional<std::string> Encode(std::span<const ReplacedSpan> spans,
                                           std::string_view oldText);
  // The text before, from the text after and the delta; none when the delta is malformed or
  // does not fit `newText`.
  static std::optional<std::string> Rebuild(std::string_view newText, std::string_view delta);
  // The delta that rebuilds `newText` from the text `delta` rebuilds (what redo keeps of a
  // replace all that undo took back); none when the delta does not fit `newText`.
  static std::optional<std::string> Invert(std::string_view newText, std::string_view delta);
  // Whether Rebuild would give exactly `oldText`, found without building it.
  static bool Rebuilds(std::string_view newText, std::string_view delta, std::string_view oldText);
  // A 64-bit fingerprint of a text, to tell that a text is still the one a delta was made for.
  static std::uint64_t Hash(std::string_view text);
};

}  // namespace norra
