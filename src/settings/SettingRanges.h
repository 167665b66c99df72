// The range every numeric setting may take, as the options dialog allows it on entry.
#pragma once

#include <span>
#include <string_view>

namespace norra {

// A value read from the settings file outside its range is brought into it, so a hand-edited
// or damaged file cannot make any reader (the editor, norra-print, the tools) misbehave.
struct SettingRange {
  std::string_view section;
  std::string_view key;
  int low;
  int high;
  int belowLow;   // what a stored value below low becomes: low, or a default a rule names
  int aboveHigh;  // what a stored value above high becomes
};

// One row per numeric key the options dialog edits with a range. Settings it does not edit so
// (window placement, copies, print order and range, the input-method mode, whose every value
// the view takes safely) are left to the code that uses them.
std::span<const SettingRange> SettingRanges();

// The stored value of section/key brought into its range; keys without a row pass through.
int InRangeSetting(std::string_view section, std::string_view key, int value);

// The largest undo-log size trimming may end at: 80% of the size it starts at.
int LargestEndClear(int startClear);

}  // namespace norra
