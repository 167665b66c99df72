// The tabs of the open Pages.
#include "app/PageTabs.h"

#include <string_view>

#include "app/MainView.h"
#include "documents/Page.h"
#include "documents/PageList.h"

namespace norra {

PageTab PageTabs::TabOf(const Page& page, const std::string& entryText) {
  return PageTab{page.DisplayName() + (page.Modified() ? kModifiedMark : ""), entryText};
}

void PageTabs::SetShown(bool on) {
  if (on == shown_) return;
  shown_ = on;
  told_ = false;
  tabs_.clear();
  selected_ = npos;
  view_.SetPageTabsVisible(on);
}

namespace {

// Whether the tab shows the Page as it is now; compared without building its caption, since
// this runs at every key.
bool Shows(const PageTab& tab, const Page& page, const std::string& entryText) {
  const std::string_view caption = tab.caption;
  const std::string& name = page.DisplayName();
  const std::string_view mark = page.Modified() ? PageTabs::kModifiedMark : "";
  return tab.tip == entryText && caption.size() == name.size() + mark.size() &&
         caption.starts_with(name) && caption.ends_with(mark);
}

}  // namespace

void PageTabs::Refresh(const PageList& list) {
  if (!shown_) return;
  const auto& entries = list.Entries();
  bool same = told_ && entries.size() == tabs_.size();
  for (std::size_t i = 0; same && i < entries.size(); ++i) {
    same = Shows(tabs_[i], *entries[i].page, entries[i].text);
  }
  const std::size_t selected = list.SelectedIndex();
  if (same && selected == selected_) return;
  if (same) {
    view_.SetPageTabSelection(selected);
  } else {
    std::vector<PageTab> tabs;
    tabs.reserve(entries.size());
    for (const PageListEntry& entry : entries) tabs.push_back(TabOf(*entry.page, entry.text));
    view_.SetPageTabs(tabs, selected);
    tabs_ = std::move(tabs);
  }
  selected_ = selected;
  told_ = true;
}

}  // namespace norra
