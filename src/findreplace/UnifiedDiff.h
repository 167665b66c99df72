// A unified diff of a file's old content and the replacements made in it, in the file's own
// bytes, so that `patch` applied to the old file gives the new one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

// One replacement: the old bytes at [oldStart, oldStart + oldLength) become `newBytes`.
struct DiffSpan {
  std::size_t oldStart = 0;
  std::size_t oldLength = 0;
  std::string newBytes;
};

// Lines of context around each change.
constexpr std::size_t kDiffContext = 3;

// The diff of `old` and `old` with the spans (in order, apart) replaced, under the name
// `name` on both header lines; empty when the spans change nothing.
std::string UnifiedDiff(std::string_view name, std::string_view old,
                        const std::vector<DiffSpan>& spans);

// The content `old` becomes with the spans replaced.
std::string ApplySpans(std::string_view old, const std::vector<DiffSpan>& spans);

}  // namespace norra
