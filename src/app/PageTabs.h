// Pages as tabs: one tab per Page in page-list order, each with the Page's name and a mark
// while it is modified; the view is told only what changed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace norra {

class MainView;
class Page;
class PageList;

struct PageTab {
  std::string caption;  // DisplayName, followed by kModifiedMark while the Page is modified
  std::string tip;      // the page-list entry's text (the FilePath)
  friend bool operator==(const PageTab&, const PageTab&) = default;
};

class PageTabs {
 public:
  static constexpr const char* kModifiedMark = " *";
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  explicit PageTabs(MainView& view) : view_(view) {}

  static PageTab TabOf(const Page& page, const std::string& entryText);

  // The option: with it off the view shows no tabs and is told nothing more.
  void SetShown(bool on);
  bool Shown() const { return shown_; }
  // Brings the tabs in line with the page list (entries, names, modified marks, the selected
  // entry, which follows the active Page). Cheap when nothing changed: called on every status
  // refresh.
  void Refresh(const PageList& list);

  const std::vector<PageTab>& Tabs() const { return tabs_; }
  std::size_t Selected() const { return selected_; }

 private:
  MainView& view_;
  bool shown_ = false;
  bool told_ = false;  // the view holds tabs_ and selected_
  std::vector<PageTab> tabs_;
  std::size_t selected_ = npos;
};

}  // namespace norra
