// Boundary-aware byte searches in short texts.
#include "engine/AlignedText.h"

#include <algorithm>
#include <cstring>

#include "text/Cp932.h"

namespace norra {

void AlignedText::Reset(std::string_view text, Charset charset) {
  text_ = text;
  charset_ = charset;
  // The group pass resets once per group over the whole find text: only the bytes after a
  // lead byte need a look of their own.
  const std::size_t size = text.size();
  Work() += size;
  boundary_.assign(size, 1);
  if (charset == Charset::Utf8) {
    for (std::size_t i = 0; i < size;) {
      const auto length = static_cast<std::size_t>(CharLengthAt(charset, text, i));
      for (std::size_t k = 1; k < length; ++k) boundary_[i + k] = 0;
      i += length;
    }
    return;
  }
  for (std::size_t i = 0; i + 1 < size; ++i) {
    if (IsLeadByte(static_cast<unsigned char>(text[i]))) boundary_[++i] = 0;
  }
}

std::size_t AlignedText::StepAt(std::size_t pos) const {
  return static_cast<std::size_t>(CharLengthAt(charset_, text_, pos));
}

std::size_t AlignedText::Find(std::string_view needle, std::size_t from) const {
  if (needle.empty()) return from <= text_.size() ? from : npos;
  while (from < text_.size()) {
    const std::size_t q = text_.find(needle, from);
    Work() += (q == npos ? text_.size() : q + needle.size()) - from;
    if (q == npos) return npos;
    if (boundary_[q] && IsBoundary(q + needle.size())) return q;
    from = q + 1;
  }
  return npos;
}

std::uint64_t& AlignedText::Work() {
  thread_local std::uint64_t work = 0;
  return work;
}

std::size_t NextOccurrence::From(std::size_t from) {
  const bool known = searchedFrom_ != AlignedText::npos && from >= searchedFrom_ &&
                     (found_ == AlignedText::npos || from <= found_);
  if (!known) {
    found_ = text_.Find(needle_, from);
    searchedFrom_ = from;
  }
  return found_;
}

std::size_t AlignedText::RFindEndingBy(std::string_view needle, std::size_t endLimit) const {
  endLimit = std::min(endLimit, text_.size());
  if (needle.size() > endLimit || needle.empty()) return npos;
  // Candidates by their first byte (a plain rfind compares the whole needle at every byte).
  const char* data = text_.data();
  std::size_t last = endLimit - needle.size();
  for (;;) {
    const void* hit = memrchr(data, needle[0], last + 1);
    if (hit == nullptr) {
      Work() += last + 1;
      return npos;
    }
    const auto q = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    Work() += last + 1 - q + needle.size();
    if (text_.compare(q, needle.size(), needle) == 0 && boundary_[q] &&
        IsBoundary(q + needle.size())) {
      return q;
    }
    if (q == 0) return npos;
    last = q - 1;
  }
}

bool AlignedText::At(std::size_t pos, std::string_view needle) const {
  return pos <= text_.size() && IsBoundary(pos) && text_.substr(pos).starts_with(needle) &&
         IsBoundary(pos + needle.size());
}

}  // namespace norra
