// Boundary-aware byte searches in short CP932 texts.
#include "engine/AlignedText.h"

#include "text/Cp932.h"

namespace norra {

void AlignedText::Reset(std::string_view text) {
  text_ = text;
  boundary_.assign(text.size(), 0);
  for (std::size_t i = 0; i < text.size(); i += static_cast<std::size_t>(CharStepAt(text, i))) {
    boundary_[i] = 1;
  }
}

std::size_t AlignedText::StepAt(std::size_t pos) const {
  return static_cast<std::size_t>(CharStepAt(text_, pos));
}

std::size_t AlignedText::Find(std::string_view needle, std::size_t from) const {
  if (needle.empty()) return from <= text_.size() ? from : npos;
  while (from < text_.size()) {
    const std::size_t q = text_.find(needle, from);
    if (q == npos) return npos;
    if (boundary_[q] && IsBoundary(q + needle.size())) return q;
    from = q + 1;
  }
  return npos;
}

std::size_t AlignedText::RFindEndingBy(std::string_view needle, std::size_t endLimit) const {
  if (needle.size() > endLimit || needle.empty()) return npos;
  std::size_t last = endLimit - needle.size();
  for (;;) {
    const std::size_t q = text_.rfind(needle, last);
    if (q == npos) return npos;
    if (boundary_[q] && IsBoundary(q + needle.size())) return q;
    if (q == 0) return npos;
    last = q - 1;
  }
}

bool AlignedText::At(std::size_t pos, std::string_view needle) const {
  return pos <= text_.size() && IsBoundary(pos) && text_.substr(pos).starts_with(needle) &&
         IsBoundary(pos + needle.size());
}

}  // namespace norra
