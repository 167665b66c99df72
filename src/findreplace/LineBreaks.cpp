// Line splitting and joining for the files disk search reads and rewrites.
#include "findreplace/LineBreaks.h"

#include <cstring>

namespace norra {

namespace {

// Offset of the next CR or LF at or after pos, or size when there is none.
std::size_t NextBreak(std::string_view bytes, std::size_t pos) {
  const char* data = bytes.data();
  const std::size_t size = bytes.size();
  // LF-only and CR LF files are the common case; memchr on LF is far faster than a byte loop.
  const void* lf = std::memchr(data + pos, '\n', size - pos);
  std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
  const void* cr = std::memchr(data + pos, '\r', end - pos);
  return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : end;
}

// Length of the break at pos (which holds CR or LF): 2 for CR LF, else 1.
std::size_t BreakLength(std::string_view bytes, std::size_t pos) {
  return (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t brk = NextBreak(bytes, pos);
    lines.push_back(bytes.substr(pos, brk - pos));
    if (brk == bytes.size()) break;
    pos = brk + BreakLength(bytes, brk);
  }
  return lines;
}

std::string JoinLinesWith(std::string_view bytes, std::string_view lineBreak) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16 + lineBreak.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t brk = NextBreak(bytes, pos);
    out.append(bytes.data() + pos, brk - pos);
    out.append(lineBreak);
    if (brk == bytes.size()) break;
    pos = brk + BreakLength(bytes, brk);
  }
  return out;
}

bool IsJoinedWith(std::string_view bytes, std::string_view lineBreak) {
  if (bytes.empty()) return true;
  if (bytes.size() < lineBreak.size() || bytes.substr(bytes.size() - lineBreak.size()) != lineBreak)
    return false;
  std::size_t pos = 0;
  while ((pos = NextBreak(bytes, pos)) < bytes.size()) {
    if (bytes.compare(pos, lineBreak.size(), lineBreak) != 0) return false;
    pos += lineBreak.size();
  }
  return true;
}

std::string_view RewriteLineBreak(std::string_view original) {
  bool hasLf = original.find('\n') != std::string_view::npos;
  bool hasCr = original.find('\r') != std::string_view::npos;
  return (hasLf && !hasCr) ? kLf : kCrLf;
}

}  // namespace norra
