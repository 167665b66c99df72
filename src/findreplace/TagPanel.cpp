// The find window's tag panel.
#include "findreplace/TagPanel.h"

#include "findreplace/TagInsertion.h"

namespace norra {

TagSymbols TagPanel::Symbols() const {
  return table_.Symbols() != nullptr ? *table_.Symbols() : table_.BuiltInSymbols();
}

void TagPanel::Open(TagClass boxClass) {
  if (boxClass != TagClass::Find && boxClass != TagClass::Replace) return;
  const TagSymbols symbols = Symbols();
  indexes_ = table_.TagsForBox(boxClass);
  rows_.clear();
  for (int index : indexes_) rows_.push_back(symbols[index]);
  mode_ = boxClass == TagClass::Find ? TagPanelMode::FindTags : TagPanelMode::ReplaceTags;
  selected_ = rows_.empty() ? -1 : 0;
}

void TagPanel::Close() {
  mode_ = TagPanelMode::Closed;
}

std::string TagPanel::Caption() const {
  switch (mode_) {
    case TagPanelMode::FindTags:
      return "◆検索ﾀｸﾞ";
    case TagPanelMode::ReplaceTags:
      return "◆置換ﾀｸﾞ";
    default:
      return {};
  }
}

void TagPanel::SelectRow(int row) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) selected_ = row;
}

std::string TagPanel::Sample() const {
  std::string sample;
  if (selected_ < 0 || selected_ >= static_cast<int>(indexes_.size())) return sample;
  if (!table_.RenderExample(indexes_[selected_], sample)) sample.clear();
  return sample;
}

bool TagPanel::InsertRow(int row, TextControl& box) const {
  if (!IsOpen() || row < 0 || row >= static_cast<int>(indexes_.size())) return false;
  return InsertTag(box, indexes_[row], Symbols());
}

}  // namespace norra
