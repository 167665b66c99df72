// Line-break rewriting of a stream of pieces: whole stretches pass untouched, breaks are
// looked at one by one only where they can differ.
#include "findreplace/LineBreakWriter.h"

#include <cstring>
#include <utility>

#include "findreplace/LineBreaks.h"

namespace norra {

LineBreakWriter::LineBreakWriter(std::string_view lineBreak, Output output)
    : lineBreak_(lineBreak), output_(std::move(output)) {}

void LineBreakWriter::Flush() {
  if (buffer_.empty()) return;
  if (!failed_ && !output_(buffer_)) failed_ = true;
  buffer_.clear();
}

void LineBreakWriter::Emit(std::string_view bytes) {
  if (bytes.empty()) return;
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

void LineBreakWriter::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    // The next CR or LF: LF by memchr over the rest, then CR before it.
    const void* lf = std::memchr(bytes.data(), '\n', bytes.size());
    std::size_t stop =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data()) : bytes.size();
    if (const void* cr = std::memchr(bytes.data(), '\r', stop)) {
      stop = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data());
    }
    if (stop > 0) {
      Emit(bytes.substr(0, stop));
      afterCr_ = false;
      lineOpen_ = true;
    }
    if (stop == bytes.size()) return;
    if (bytes[stop] == '\r') {
      Emit(lineBreak_);
      afterCr_ = true;
    } else {
      if (!afterCr_) Emit(lineBreak_);  // an LF after a CR is part of its break
      afterCr_ = false;
    }
    lineOpen_ = false;
    bytes.remove_prefix(stop + 1);
  }
}

void LineBreakWriter::Copy(std::string_view original) {
  received_ = true;
  if (lineBreak_ != kCrLf) {
    Feed(original);
    return;
  }
  // In a text with CR LF after every line, a piece can only begin with the LF of a pair or end
  // with the CR of one; in between, every break is already CR LF.
  if (!original.empty() && original.front() == '\n') {
    Feed(original.substr(0, 1));
    original.remove_prefix(1);
  }
  const bool endsWithCr = !original.empty() && original.back() == '\r';
  if (endsWithCr) original.remove_suffix(1);
  if (!original.empty()) {
    Emit(original);
    afterCr_ = false;
    lineOpen_ = !original.ends_with(kCrLf);
  }
  if (endsWithCr) Feed("\r");
}

void LineBreakWriter::Insert(std::string_view replacement, std::size_t) {
  received_ = true;
  Feed(replacement);
}

bool LineBreakWriter::Finish() {
  if (lineOpen_) Emit(lineBreak_);
  lineOpen_ = false;
  Flush();
  return !failed_;
}

}  // namespace norra
