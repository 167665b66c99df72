// The upper-cased copy of a text, refolded edit by edit around the changed bytes only.
#include "text/FoldedText.h"

#include <algorithm>
#include <cstring>

#include "text/CaseMap.h"
#include "text/Cp932.h"
#include "text/LargeBuffer.h"

namespace norra {
namespace {

// A change of at least this much of a text larger than this is left to a fresh fold on the
// next use: the text may well not be searched again (a reload, a replace-all).
constexpr std::size_t kRefoldLimit = 64 * 1024;

}  // namespace

void SplitText::CopyTo(std::size_t offset, std::size_t length, char* out) const {
  if (offset < head.size()) {
    const std::size_t n = std::min(length, head.size() - offset);
    std::memcpy(out, head.data() + offset, n);
    out += n;
    offset += n;
    length -= n;
  }
  if (length > 0) std::memcpy(out, tail.data() + (offset - head.size()), length);
}

void FoldedText::Clear() {
  built_ = false;
  std::string().swap(body_);
  gapStart_ = 0;
  gapLength_ = 0;
}

std::string_view FoldedText::View(const SplitText& text) {
  if (!built_) {
    const std::size_t size = text.Size();
    ReserveLargeBuffer(body_, size);
    body_.resize(size);
    text.CopyTo(0, size, body_.data());
    ToUpperCp932(body_.data(), size);
    gapStart_ = size;
    gapLength_ = 0;
    built_ = true;
  }
  MoveGap(Size());
  return std::string_view(body_.data(), Size());
}

void FoldedText::Replace(std::size_t offset, std::size_t removed, std::size_t inserted,
                         const SplitText& text) {
  if (!built_) return;
  const std::size_t size = text.Size();
  // A report that does not fit the copy would leave it wrong for good: start again instead.
  if (offset + removed > Size() || Size() - removed + inserted != size) {
    Clear();
    return;
  }
  if (size > kRefoldLimit && std::max(removed, inserted) >= size / 2) {
    Clear();
    return;
  }

  MoveGap(offset);
  gapLength_ += removed;
  if (gapLength_ < inserted) {
    const std::size_t kept = Size();
    MoveGap(kept);
    body_.resize(kept + std::max(inserted, kept / 2 + 64));
    gapLength_ = body_.size() - kept;
    MoveGap(offset);
  }
  gapStart_ += inserted;
  gapLength_ -= inserted;

  // Refold from the start of the character that holds the byte before the edit: in a run of
  // lead-range bytes that follows a byte which always ends a character (or the start), the
  // characters begin at even distances from the run's start.
  std::size_t runStart = offset;
  while (runStart > 0 && IsLeadByte(text.At(runStart - 1))) --runStart;
  const std::size_t from = (offset - runStart) % 2 == 1 ? offset - 1 : offset;
  // ... up to the first byte after the edit that always ends a character: from there on the
  // characters are read as before, and so is their folding.
  std::size_t to = offset + inserted;
  while (to < size && IsLeadByte(text.At(to))) ++to;
  if (to < size) ++to;

  std::string piece(to - from, '\0');
  text.CopyTo(from, piece.size(), piece.data());
  ToUpperCp932(piece);
  Write(from, piece);
}

void FoldedText::MoveGap(std::size_t pos) {
  char* data = body_.data();
  if (pos < gapStart_) {
    std::memmove(data + pos + gapLength_, data + pos, gapStart_ - pos);
  } else if (pos > gapStart_) {
    std::memmove(data + gapStart_, data + gapStart_ + gapLength_, pos - gapStart_);
  }
  gapStart_ = pos;
}

void FoldedText::Write(std::size_t from, std::string_view bytes) {
  std::size_t done = 0;
  if (from < gapStart_) {
    done = std::min(bytes.size(), gapStart_ - from);
    std::memcpy(body_.data() + from, bytes.data(), done);
  }
  if (done < bytes.size()) {
    std::memcpy(body_.data() + from + done + gapLength_, bytes.data() + done, bytes.size() - done);
  }
}

}  // namespace norra
