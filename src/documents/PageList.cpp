// The ordered page list and its selected entry.
#include "documents/PageList.h"

#include <algorithm>

namespace norra {

void PageList::InsertFront(std::string text, Page& page) {
  entries_.insert(entries_.begin(), PageListEntry{std::move(text), &page});
  selected_ = 0;
}

void PageList::Remove(const Page& page) {
  const std::size_t index = IndexOf(page);
  if (index == npos) return;
  Page* selectedPage = SelectedPage();
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  selected_ = npos;
  if (selectedPage != nullptr && selectedPage != &page) Select(*selectedPage);
}

void PageList::Clear() {
  entries_.clear();
  selected_ = npos;
}

std::size_t PageList::IndexOf(const Page& page) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].page == &page) return i;
  }
  return npos;
}

Page* PageList::SelectedPage() const { return selected_ < entries_.size() ? entries_[selected_].page : nullptr; }

void PageList::Select(const Page& page) { selected_ = IndexOf(page); }

void PageList::SetText(const Page& page, std::string text) {
  const std::size_t index = IndexOf(page);
  if (index != npos) entries_[index].text = std::move(text);
}

void PageList::Reorder(const std::vector<Page*>& order) {
  Page* selectedPage = SelectedPage();
  std::vector<PageListEntry> sorted;
  sorted.reserve(entries_.size());
  for (Page* page : order) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [page](const PageListEntry& e) { return e.page == page; });
    if (it == entries_.end() || it->page == nullptr) continue;
    sorted.push_back(std::move(*it));
    it->page = nullptr;
  }
  for (PageListEntry& entry : entries_) {
    if (entry.page != nullptr) sorted.push_back(std::move(entry));
  }
  entries_ = std::move(sorted);
  selected_ = npos;
  if (selectedPage != nullptr) Select(*selectedPage);
}

}  // namespace norra
