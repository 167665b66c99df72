// Where a line is wrapped: the line-break rules of Japanese text (禁則) and display widths in
// half-width columns. The view and printing break lines with the same rules.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "text/Charset.h"

namespace norra {

// The character at `offset` of `text` as a code point, and its length in bytes (1 or more; 0
// at or past the end). A CP932 byte that is no character decodes as its escape.
char32_t CodePointAt(Charset charset, std::string_view text, std::size_t offset, int& length);

// Width in half-width columns: a character CP932 writes in two bytes takes two, one it writes
// in one byte (ASCII, half-width katakana) takes one, whatever the text's own encoding; a
// character CP932 lacks takes two when it is wide in East Asian text, else one.
int ColumnsOf(char32_t codePoint);

// A wrapped line may not begin with closing brackets, the comma and stop, ー and small kana;
// it may not end with an opening bracket.
bool MayBeginWrappedLine(char32_t codePoint);
bool MayEndWrappedLine(char32_t codePoint);
// Whether a line may be wrapped between two neighbouring characters.
inline bool MayBreakBetween(char32_t before, char32_t after) {
  return MayEndWrappedLine(before) && MayBeginWrappedLine(after);
}

// The offsets (from the line's start) where each wrapped line after the first begins, for a
// line without its line break and a width of `columns` (at least 2) half-width columns. A line
// is broken at the last place the rules allow before it overflows; a run the rules cannot
// break is broken where it overflows. A TAB advances to the next stop `tabWidth` columns apart
// but never past the line's width, and moves to the next line when the line is full.
std::vector<std::size_t> WrapPoints(Charset charset, std::string_view line, int columns,
                                    int tabWidth);

}  // namespace norra
