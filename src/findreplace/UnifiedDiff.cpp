// Unified diff from replaced spans: the lines the spans touch are the changed lines, whole;
// everything else is the same in both contents, so no general diff is needed.
#include "findreplace/UnifiedDiff.h"

#include <algorithm>

namespace norra {

namespace {

// Offsets where each line of a text starts; a last line without a break counts.
std::vector<std::size_t> LineStarts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    starts.push_back(at + 1);
  }
  if (starts.back() == text.size() && starts.size() > 1) starts.pop_back();
  if (text.empty()) starts.clear();
  return starts;
}

// The line holding byte `offset` (a text's end belongs to its last line).
std::size_t LineOf(const std::vector<std::size_t>& starts, std::size_t offset) {
  const auto it = std::upper_bound(starts.begin(), starts.end(), offset);
  return it == starts.begin() ? 0 : static_cast<std::size_t>(it - starts.begin()) - 1;
}

// Lines [first, last) of a text, each with a prefix, and a mark after a last line without
// its break.
void PutLines(std::string& out, char prefix, std::string_view text,
              const std::vector<std::size_t>& starts, std::size_t first, std::size_t last) {
  for (std::size_t k = first; k < last; ++k) {
    const std::size_t begin = starts[k];
    const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : text.size();
    out += prefix;
    out.append(text.substr(begin, end - begin));
    if (end == begin || text[end - 1] != '\n') out += "\n\\ No newline at end of file\n";
  }
}

// A change: old lines [oldFirst, oldLast) became new lines [newFirst, newLast).
struct Change {
  std::size_t oldFirst, oldLast, newFirst, newLast;
};

struct Region {
  std::size_t first, last;  // lines [first, last)
};

// The lines from the one where [start, start + length) begins to the one holding the first
// line break at or after its end (or the text's end).
Region LinesAround(std::string_view text, const std::vector<std::size_t>& starts,
                   std::size_t start, std::size_t length) {
  const std::size_t begin = text.rfind('\n', start == 0 ? std::string_view::npos : start - 1);
  const std::size_t from = start == 0 || begin == std::string_view::npos ? 0 : begin + 1;
  const std::size_t brk = text.find('\n', start + length);
  const std::size_t to = brk == std::string_view::npos ? text.size() : brk + 1;
  Region r;
  r.first = from >= text.size() ? starts.size() : LineOf(starts, from);
  r.last = to >= text.size() ? starts.size() : LineOf(starts, to);
  return r;
}

std::string Range(std::size_t first, std::size_t count) {
  // An empty range names the line before it.
  const std::size_t shown = count == 0 ? first : first + 1;
  return std::to_string(shown) + "," + std::to_string(count);
}

}  // namespace

std::string ApplySpans(std::string_view old, const std::vector<DiffSpan>& spans) {
  std::string text;
  text.reserve(old.size());
  std::size_t pos = 0;
  for (const DiffSpan& span : spans) {
    text.append(old.substr(pos, span.oldStart - pos));
    text.append(span.newBytes);
    pos = span.oldStart + span.oldLength;
  }
  text.append(old.substr(pos));
  return text;
}

std::string UnifiedDiff(std::string_view name, std::string_view old,
                        const std::vector<DiffSpan>& spans) {
  const std::string changed = ApplySpans(old, spans);
  if (changed == old) return {};
  const std::vector<std::size_t> oldStarts = LineStarts(old);
  const std::vector<std::size_t> newStarts = LineStarts(changed);

  // Each span as whole lines of both texts; spans sharing a line are one change.
  std::vector<Change> changes;
  std::ptrdiff_t shift = 0;  // new offset - old offset before the span
  for (const DiffSpan& span : spans) {
    const std::size_t newStart = static_cast<std::size_t>(
        static_cast<std::ptrdiff_t>(span.oldStart) + shift);
    shift += static_cast<std::ptrdiff_t>(span.newBytes.size()) -
             static_cast<std::ptrdiff_t>(span.oldLength);
    if (span.oldLength == 0 && span.newBytes.empty()) continue;
    // The whole lines around the span: what lies between their starts and the span, and
    // between the span and their ends, is the same on both sides.
    const Region oldRegion = LinesAround(old, oldStarts, span.oldStart, span.oldLength);
    const Region newRegion = LinesAround(changed, newStarts, newStart, span.newBytes.size());
    Change c{oldRegion.first, oldRegion.last, newRegion.first, newRegion.last};
    if (!changes.empty() && c.oldFirst < changes.back().oldLast) {
      changes.back().oldLast = std::max(changes.back().oldLast, c.oldLast);
      changes.back().newLast = std::max(changes.back().newLast, c.newLast);
    } else {
      changes.push_back(c);
    }
  }

  std::string out = "--- " + std::string(name) + "\n+++ " + std::string(name) + "\n";
  for (std::size_t k = 0; k < changes.size();) {
    // Changes no more than twice the context apart share a hunk.
    std::size_t last = k;
    while (last + 1 < changes.size() &&
           changes[last + 1].oldFirst - changes[last].oldLast <= 2 * kDiffContext) {
      ++last;
    }
    const std::size_t before = std::min(kDiffContext, changes[k].oldFirst);
    const std::size_t after = std::min(kDiffContext, oldStarts.size() - changes[last].oldLast);
    const std::size_t oldFirst = changes[k].oldFirst - before;
    const std::size_t oldLast = changes[last].oldLast + after;
    const std::size_t newFirst = changes[k].newFirst - before;
    const std::size_t newLast = changes[last].newLast + after;
    out += "@@ -" + Range(oldFirst, oldLast - oldFirst) + " +" + Range(newFirst, newLast - newFirst) +
           " @@\n";
    PutLines(out, ' ', old, oldStarts, oldFirst, changes[k].oldFirst);
    for (std::size_t c = k; c <= last; ++c) {
      PutLines(out, '-', old, oldStarts, changes[c].oldFirst, changes[c].oldLast);
      PutLines(out, '+', changed, newStarts, changes[c].newFirst, changes[c].newLast);
      const std::size_t gapEnd = c < last ? changes[c + 1].oldFirst : changes[c].oldLast + after;
      PutLines(out, ' ', old, oldStarts, changes[c].oldLast, gapEnd);
    }
    k = last + 1;
  }
  return out;
}

}  // namespace norra
