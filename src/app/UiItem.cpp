// The table of the main window's menu items and toolbar buttons.
#include "app/UiItem.h"

namespace norra {

const std::array<UiItemInfo, kUiItemCount>& UiItems() {
  static const std::array<UiItemInfo, kUiItemCount> items = {{
#define NORRA_UI_ITEM_INFO(name, caption, shortcut, hint) {UiItem::name, #name, caption, shortcut, hint},
      NORRA_UI_ITEMS(NORRA_UI_ITEM_INFO)
#undef NORRA_UI_ITEM_INFO
  }};
  return items;
}

const UiItemInfo& InfoOf(UiItem item) { return UiItems().at(static_cast<std::size_t>(item)); }

std::optional<UiItem> UiItemNamed(std::string_view name) {
  for (const UiItemInfo& info : UiItems()) {
    if (info.name == name) return info.item;
  }
  return std::nullopt;
}

}  // namespace norra
