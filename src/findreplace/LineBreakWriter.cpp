// Writing a rewritten file from the replace's pieces, mapped back onto the file's own bytes.
#include "findreplace/LineBreakWriter.h"

#include <algorithm>
#include <utility>

namespace norra {

namespace {
constexpr std::size_t kSearchedBreak = 2;  // CR LF after every line of the searched text
}

LineBreakWriter::LineBreakWriter(std::string_view original, bool searchedIsOriginal, Output output)
    : original_(original),
      identity_(searchedIsOriginal),
      output_(std::move(output)),
      scanner_(searchedIsOriginal ? std::string_view() : original) {
  if (!identity_) LoadLine();
}

void LineBreakWriter::LoadLine() {
  const std::size_t brk = scanner_.Next(lineOriginal_);
  lineLength_ = brk - lineOriginal_;
  breakLength_ = brk < original_.size() ? scanner_.LengthAt(brk) : 0;
}

std::size_t LineBreakWriter::ToOriginal(std::size_t searched) {
  if (identity_) return searched;
  while (searched >= lineSearched_ + lineLength_ + kSearchedBreak &&
         lineOriginal_ + lineLength_ + breakLength_ < original_.size()) {
    lineOriginal_ += lineLength_ + breakLength_;
    lineSearched_ += lineLength_ + kSearchedBreak;
    LoadLine();
  }
  const std::size_t rel = searched - std::min(searched, lineSearched_);
  if (rel <= lineLength_) return lineOriginal_ + rel;
  return lineOriginal_ + lineLength_ + std::min(rel - lineLength_, breakLength_);
}

void LineBreakWriter::Flush() {
  if (buffer_.empty()) return;
  if (!failed_ && !output_(buffer_)) failed_ = true;
  buffer_.clear();
}

void LineBreakWriter::Emit(std::string_view bytes) {
  if (bytes.empty()) return;
  emitted_ += bytes.size();
  if (bytes.size() >= kBufferSize / 4) {
    // A long stretch goes straight on, without a copy into the buffer.
    Flush();
    if (!failed_ && !output_(bytes)) failed_ = true;
    return;
  }
  if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
  if (buffer_.size() + bytes.size() > kBufferSize) Flush();
  buffer_.append(bytes);
}

void LineBreakWriter::Copy(std::string_view piece) {
  searchedPos_ += piece.size();
  const std::size_t to = ToOriginal(searchedPos_);
  Emit(original_.substr(originalPos_, to - originalPos_));
  originalPos_ = to;
}

void LineBreakWriter::Insert(std::string_view replacement, std::size_t matchLength) {
  searchedPos_ += matchLength;
  const std::size_t oldStart = originalPos_;
  originalPos_ = ToOriginal(searchedPos_);
  if (spans_ != nullptr) {
    WrittenSpan span{oldStart, originalPos_ - oldStart, emitted_, replacement.size(), {}};
    if (withNewBytes_) span.newBytes.assign(replacement);
    spans_->push_back(std::move(span));
  }
  Emit(replacement);
}

bool LineBreakWriter::Finish() {
  Flush();
  return !failed_;
}

}  // namespace norra
