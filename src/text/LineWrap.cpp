// Line-break rules and column widths.
#include "text/LineWrap.h"

#include <algorithm>
#include <string>

#include "text/Encoding.h"

namespace norra {
namespace {

// Closing brackets and punctuation, the prolonged sound mark, iteration marks and small kana,
// full-width and half-width.
constexpr std::u32string_view kNoBegin =
    U"、。，．・：；？！）］｝」』】〕〉》〙〗’”ヽヾゝゞ々ー"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
    U"､｡｣ｰｧｨｩｪｫｬｭｮｯ)]},.!?:;";
constexpr std::u32string_view kNoEnd = U"（［｛「『【〔〈《〘〖‘“｢([{";

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

char32_t CodePointAt(Charset charset, std::string_view text, std::size_t offset, int& length) {
  if (offset >= text.size()) {
    length = 0;
    return 0;
  }
  char32_t cp = 0;
  if (charset == Charset::Cp932) {
    length = DecodeCp932Char(text, offset, cp);
    return cp;
  }
  const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + offset;
  length = *s < 0x80 ? 1 : DecodeUtf8(s, text.size() - offset, cp);
  if (*s < 0x80) return *s;
  if (length <= 0) {
    length = 1;
    return kEscapeBase + *s;  // shown as its value, as the view shows such a byte
  }
  return cp;
}

int ColumnsOf(char32_t c) {
  if (c < 0x80) return 1;
  if (c >= 0xFF61 && c <= 0xFF9F) return 1;
  std::string bytes;
  if (EncodeCp932Char(c, bytes)) return static_cast<int>(bytes.size());
  return IsWide(c) ? 2 : 1;
}

bool MayBeginWrappedLine(char32_t c) {
  return kNoBegin.find(c) == std::u32string_view::npos;
}

bool MayEndWrappedLine(char32_t c) {
  return kNoEnd.find(c) == std::u32string_view::npos;
}

std::vector<std::size_t> WrapPoints(Charset charset, std::string_view line, int columnsWanted,
                                    int tabWidthWanted) {
  const int columns = std::max(2, columnsWanted);
  const int tabWidth = std::max(1, tabWidthWanted);
  std::vector<std::size_t> breaks;
  std::size_t start = 0;      // of the wrapped line being filled
  std::size_t allowed = 0;    // the last place after `start` the rules allow a break; 0: none
  int column = 0;
  char32_t previous = 0;
  for (std::size_t i = 0; i < line.size();) {
    int length = 0;
    const char32_t c = CodePointAt(charset, line, i, length);
    const bool tab = c == U'\t';
    const int width = tab ? std::min(tabWidth - column % tabWidth, columns - column) : ColumnsOf(c);
    if (i > start && MayBreakBetween(previous, c)) allowed = i;
    const bool overflows = tab ? column >= columns : column + width > columns;
    if (overflows && i > start) {
      // Back to the last allowed place, and measure the line from there again.
      start = allowed > start ? allowed : i;
      breaks.push_back(start);
      allowed = 0;
      column = 0;
      i = start;
      continue;
    }
    column += width;
    previous = c;
    i += static_cast<std::size_t>(length);
  }
  return breaks;
}

}  // namespace norra
