// The ordered list of open Pages (newest first) that the page list combo box shows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace norra {

class Page;

struct PageListEntry {
  std::string text;  // the Page's FilePath when it was listed or renamed (UTF-8)
  Page* page = nullptr;
};

class PageList {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // A new entry goes first and becomes the selected one.
  void InsertFront(std::string text, Page& page);
  void Remove(const Page& page);
  void Clear();

  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const std::vector<PageListEntry>& Entries() const { return entries_; }
  const PageListEntry& At(std::size_t index) const { return entries_.at(index); }
  std::size_t IndexOf(const Page& page) const;  // npos when absent
  bool Contains(const Page& page) const { return IndexOf(page) != npos; }

  std::size_t SelectedIndex() const { return selected_; }  // npos when none
  Page* SelectedPage() const;
  void Select(const Page& page);
  void SetText(const Page& page, std::string text);
  // Puts the entries in this order (the sort of the file-list dialog); Pages not in the list
  // are ignored and entries not named keep their relative order at the end.
  void Reorder(const std::vector<Page*>& order);

 private:
  std::vector<PageListEntry> entries_;
  std::size_t selected_ = npos;
};

}  // namespace norra
