// Encoding, rebuilding and fingerprinting of replace-all deltas.
#include "documents/ReplaceDelta.h"

#include <cstring>

namespace norra {
namespace {

constexpr unsigned char kUniform = 1;  // every span has the same old and new length

void PutVarint(std::string& out, std::size_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

// Reads one varint at `pos`; false when the delta ends inside it or it overflows.
bool GetVarint(std::string_view in, std::size_t& pos, std::size_t& value) {
  value = 0;
  for (unsigned shift = 0; shift < 64; shift += 7) {
    if (pos >= in.size()) return false;
    const auto byte = static_cast<unsigned char>(in[pos++]);
    value |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ReplaceDelta::Encode(std::span<const ReplacedSpan> spans,
                                                std::string_view oldText) {
  bool uniform = true;
  std::size_t oldBytes = 0;
  std::size_t end = 0;  // end of the previous span in the old text
  for (const ReplacedSpan& span : spans) {
    if (span.oldStart < end || span.oldStart > oldText.size() ||
        span.oldLength > oldText.size() - span.oldStart) {
      return std::nullopt;
    }
    end = span.oldStart + span.oldLength;
    oldBytes += span.oldLength;
    uniform = uniform && span.oldLength == spans.front().oldLength &&
              span.newLength == spans.front().newLength;
  }
  std::string out;
  out.reserve(oldBytes + spans.size() * (uniform ? 2 : 4) + 24);
  PutVarint(out, spans.size());
  out.push_back(static_cast<char>(uniform ? kUniform : 0));
  if (uniform && !spans.empty()) {
    PutVarint(out, spans.front().oldLength);
    PutVarint(out, spans.front().newLength);
  }
  end = 0;
  for (const ReplacedSpan& span : spans) {
    PutVarint(out, span.oldStart - end);
    if (!uniform) {
      PutVarint(out, span.oldLength);
      PutVarint(out, span.newLength);
    }
    out.append(oldText.substr(span.oldStart, span.oldLength));
    end = span.oldStart + span.oldLength;
  }
  return out;
}

namespace {

// Walks the delta over the new text, handing the old text to `emit` piece by piece; false when
// the delta is malformed, does not fit `newText`, or `emit` refuses a piece.
template <typename Emit>
bool Decode(std::string_view newText, std::string_view delta, Emit&& emit) {
  std::size_t pos = 0;
  std::size_t count = 0;
  if (!GetVarint(delta, pos, count) || pos >= delta.size()) return false;
  const auto flags = static_cast<unsigned char>(delta[pos++]);
  if ((flags & ~kUniform) != 0) return false;
  std::size_t oldLength = 0;
  std::size_t newLength = 0;
  if ((flags & kUniform) != 0 && count > 0) {
    if (!GetVarint(delta, pos, oldLength) || !GetVarint(delta, pos, newLength)) return false;
  }
  // Every span takes at least one byte of the delta, so a forged count cannot run long.
  if (count > delta.size() - pos) return false;
  std::size_t at = 0;  // position in the new text
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t gap = 0;
    if (!GetVarint(delta, pos, gap)) return false;
    if ((flags & kUniform) == 0) {
      if (!GetVarint(delta, pos, oldLength) || !GetVarint(delta, pos, newLength)) return false;
    }
    if (gap > newText.size() - at || !emit(newText.substr(at, gap))) return false;
    at += gap;
    if (newLength > newText.size() - at || oldLength > delta.size() - pos) return false;
    if (!emit(delta.substr(pos, oldLength))) return false;
    pos += oldLength;
    at += newLength;
  }
  return pos == delta.size() && emit(newText.substr(at));
}

}  // namespace

std::optional<std::string> ReplaceDelta::Rebuild(std::string_view newText, std::string_view delta) {
  std::string out;
  out.reserve(newText.size());
  const bool ok = Decode(newText, delta, [&out](std::string_view piece) {
    out.append(piece);
    return true;
  });
  if (!ok) return std::nullopt;
  return out;
}

std::optional<std::string> ReplaceDelta::Invert(std::string_view newText, std::string_view delta) {
  // The same spans seen from the other side: gaps unchanged, the two lengths swapped, and the
  // new text's bytes of each span instead of the old ones. Written in one pass over the delta.
  std::size_t pos = 0;
  std::size_t count = 0;
  if (!GetVarint(delta, pos, count) || pos >= delta.size()) return std::nullopt;
  const auto flags = static_cast<unsigned char>(delta[pos++]);
  if ((flags & ~kUniform) != 0) return std::nullopt;
  const bool uniform = (flags & kUniform) != 0;
  std::size_t oldLength = 0;
  std::size_t newLength = 0;
  if (uniform && count > 0) {
    if (!GetVarint(delta, pos, oldLength) || !GetVarint(delta, pos, newLength)) return std::nullopt;
  }
  if (count > delta.size() - pos) return std::nullopt;
  std::string out;
  // Exact (give or take the two length fields) when every span is alike.
  if (uniform) {
    const std::size_t oldBytes = count * oldLength;
    if (oldBytes <= delta.size() && newLength <= newText.size() && count <= newText.size() + 1)
      out.reserve(delta.size() - oldBytes + count * newLength + 20);
  }
  PutVarint(out, count);
  out.push_back(static_cast<char>(flags));
  if (uniform && count > 0) {
    PutVarint(out, newLength);
    PutVarint(out, oldLength);
  }
  std::size_t at = 0;  // position in the new text
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t gap = 0;
    if (!GetVarint(delta, pos, gap)) return std::nullopt;
    if (!uniform) {
      if (!GetVarint(delta, pos, oldLength) || !GetVarint(delta, pos, newLength)) return std::nullopt;
    }
    if (gap > newText.size() - at) return std::nullopt;
    at += gap;
    if (newLength > newText.size() - at || oldLength > delta.size() - pos) return std::nullopt;
    pos += oldLength;
    PutVarint(out, gap);
    if (!uniform) {
      PutVarint(out, newLength);
      PutVarint(out, oldLength);
    }
    out.append(newText.substr(at, newLength));
    at += newLength;
  }
  if (pos != delta.size()) return std::nullopt;
  return out;
}

bool ReplaceDelta::Rebuilds(std::string_view newText, std::string_view delta,
                            std::string_view oldText) {
  std::size_t at = 0;
  const bool ok = Decode(newText, delta, [&](std::string_view piece) {
    if (piece.size() > oldText.size() - at || oldText.compare(at, piece.size(), piece) != 0)
      return false;
    at += piece.size();
    return true;
  });
  return ok && at == oldText.size();
}

std::uint64_t ReplaceDelta::Hash(std::string_view text) {
  // Four lanes of eight bytes, each step mixed so that a changed or moved byte changes the
  // result; the lanes run side by side, so a whole text costs little more than reading it.
  constexpr std::uint64_t kMul = 0xFF51AFD7ED558CCDULL;
  std::uint64_t lane[4] = {0x9E3779B97F4A7C15ULL ^ text.size(), 0xC2B2AE3D27D4EB4FULL,
                           0x165667B19E3779F9ULL, 0x27D4EB2F165667C5ULL};
  std::size_t i = 0;
  for (; i + 32 <= text.size(); i += 32) {
    for (int k = 0; k < 4; ++k) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + i + 8 * k, 8);
      lane[k] = (lane[k] ^ word) * kMul;
      lane[k] ^= lane[k] >> 32;
    }
  }
  std::uint64_t hash = lane[0];
  for (int k = 1; k < 4; ++k) {
    hash = (hash ^ lane[k]) * kMul;
    hash ^= hash >> 29;
  }
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    hash = (hash ^ word) * kMul;
    hash ^= hash >> 32;
  }
  std::uint64_t tail = 0;
  if (i < text.size()) std::memcpy(&tail, text.data() + i, text.size() - i);
  hash =
      (hash ^ tail ^ (static_cast<std::uint64_t>(text.size() - i) << 56)) * 0xC4CEB9FE1A85EC53ULL;
  return hash ^ (hash >> 29);
}

}  // namespace norra
