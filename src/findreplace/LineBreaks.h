// Line handling of files rewritten by disk search: lines end at CR LF, a lone CR or a lone LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kLf = "\n";

// Finds the breaks of a text from front to back. However the kinds of break are mixed, every
// byte is looked at a bounded number of times, so a whole text costs time in step with its size.
class LineBreakScanner {
 public:
  explicit LineBreakScanner(std::string_view bytes);
  // Offset of the next CR or LF at or after pos, or the size when there is none. pos must not
  // decrease from one call to the next.
  std::size_t Next(std::size_t pos);
  // Length of the break at `at` (which holds CR or LF): 2 for CR LF, else 1.
  std::size_t LengthAt(std::size_t at) const;

 private:
  std::size_t Find(char c, std::size_t pos) const;

  std::string_view bytes_;
  std::size_t nextLf_;  // the next LF at or after the last position asked for, or the size
  std::size_t nextCr_;  // the same for CR
};

// The lines of the bytes, without their breaks. A final break does not start another line,
// so "a\r\n" and "a" both give one line and "" gives none.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// Every line of the bytes followed by lineBreak: the same as joining SplitLines, in one pass.
std::string JoinLinesWith(std::string_view bytes, std::string_view lineBreak);

// True when JoinLinesWith(bytes, lineBreak) would give the bytes back unchanged, so the copy
// can be skipped (the common case of a file already in that form).
bool IsJoinedWith(std::string_view bytes, std::string_view lineBreak);

// What disk search must know of a file's bytes before it searches them, found in one pass
// over a file in the program's own form.
struct TextForm {
  bool hasNul = false;          // a NUL byte stands in it: not text
  bool joinedWithCrLf = false;  // IsJoinedWith(bytes, kCrLf)
};
TextForm ExamineText(std::string_view bytes);

}  // namespace norra
