// The table of setting ranges and the correction of stored values.
#include "settings/SettingRanges.h"

#include <array>
#include <cstdint>

namespace norra {
namespace {

// Boxes for numbers of up to five digits (the print page) and nine (sizes in bytes).
constexpr int kFiveDigits = 99999;
constexpr int kNineDigits = 999999999;

constexpr SettingRange Row(std::string_view section, std::string_view key, int low, int high) {
  return {section, key, low, high, low, high};
}
constexpr SettingRange Row(std::string_view section, std::string_view key, int low, int high,
                           int belowLow) {
  return {section, key, low, high, belowLow, high};
}

constexpr std::array kRanges = {
    Row("File", "MaxLength", 1024, 104857600, 2097152),
    Row("File", "RecentMax", 4, 99, 40),
    Row("Print", "M_Top", 0, kFiveDigits),
    Row("Print", "M_Bottom", 0, kFiveDigits),
    Row("Print", "M_Left", 0, kFiveDigits),
    Row("Print", "M_Right", 0, kFiveDigits),
    Row("Print", "LinePerPage", 1, kFiveDigits),
    Row("Print", "ColumnsPerLine", 2, kFiveDigits),
    Row("Print", "HeadLinePosition", 0, kFiveDigits),
    Row("Print", "FootLinePosition", 0, kFiveDigits),
    Row("Print", "PrintFontSize", 1, 128),
    Row("Edit", "TabStop", 1, 99, 4),
    Row("Edit", "LostBytesStartClear", 2048, kNineDigits),
    Row("Edit", "LostBytesEndClear", 0, kNineDigits),
    Row("Edit", "MaxLogBytes", 256, kNineDigits),
    Row("Vision", "LeftBlank", 0, 99),
    Row("Vision", "FontSize", 1, 128, 11),
    Row("Vision", "ForeRed", 0, 255),
    Row("Vision", "ForeGreen", 0, 255),
    Row("Vision", "ForeBlue", 0, 255),
    Row("Vision", "BackRed", 0, 255),
    Row("Vision", "BackGreen", 0, 255),
    Row("Vision", "BackBlue", 0, 255),
    Row("Vision", "MarkRed", 0, 255),
    Row("Vision", "MarkGreen", 0, 255),
    Row("Vision", "MarkBlue", 0, 255),
    Row("Vision", "WrapColumns", 4, 999),
};

// Section and key names compare without regard to ASCII case, as the settings file does.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::span<const SettingRange> SettingRanges() {
  return kRanges;
}

int InRangeSetting(std::string_view section, std::string_view key, int value) {
  for (const SettingRange& r : kRanges) {
    if (!SameName(r.section, section) || !SameName(r.key, key)) continue;
    if (value < r.low) return r.belowLow;
    if (value > r.high) return r.aboveHigh;
    return value;
  }
  return value;
}

int LargestEndClear(int startClear) {
  return static_cast<int>(static_cast<std::int64_t>(startClear) * 4 / 5);
}

}  // namespace norra
