// The tabs of the open Pages.
#include "app/PageTabs.h"

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

void PageTabs::Refresh(const PageList& list) {
  if (!shown_) return;
  const auto& entries = list.Entries();
  bool same = told_ && entries.size() == tabs_.size();
  std::vector<PageTab> tabs;
  tabs.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    tabs.push_back(TabOf(*entries[i].page, entries[i].text));
    same = same && tabs.back() == tabs_[i];
  }
  const std::size_t selected = list.SelectedIndex();
  if (same && selected == selected_) return;
  if (same) {
    view_.SetPageTabSelection(selected);
  } else {
    view_.SetPageTabs(tabs, selected);
    tabs_ = std::move(tabs);
  }
  selected_ = selected;
  told_ = true;
}

}  // namespace norra
