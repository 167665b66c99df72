// Line handling of files rewritten by disk search: lines end at CR LF, a lone CR or a lone LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kLf = "\n";

// The lines of the bytes, without their breaks. A final break does not start another line,
// so "a\r\n" and "a" both give one line and "" gives none.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// Every line of the bytes followed by lineBreak: the same as joining SplitLines, in one pass.
std::string JoinLinesWith(std::string_view bytes, std::string_view lineBreak);

// True when JoinLinesWith(bytes, lineBreak) would give the bytes back unchanged, so the copy
// can be skipped (the common case of a file already in that form).
bool IsJoinedWith(std::string_view bytes, std::string_view lineBreak);

// The break a rewritten file gets: LF for a file with LF breaks and no CR byte at all, CR LF
// for every other file (so a file in the program's own form stays in it).
std::string_view RewriteLineBreak(std::string_view original);

}  // namespace norra
