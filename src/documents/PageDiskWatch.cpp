// Changes made on disk behind open Pages.
#include "documents/PageDiskWatch.h"

#include "documents/Documents.h"
#include "documents/FileStore.h"
#include "documents/Page.h"
#include "platform/Ui.h"
#include "settings/Settings.h"

namespace norra {

namespace {

bool SameState(const FileIdentity& a, const FileIdentity& b) {
  return a == b && a.size == b.size && a.modifiedNs == b.modifiedNs;
}

// The Pages with a file, at the moment of asking (a question lets Pages close meanwhile).
std::vector<Page*> FilePages(const Documents& docs) {
  std::vector<Page*> pages;
  for (const PageListEntry& entry : docs.List().Entries())
    if (entry.page && entry.page->HasFile()) pages.push_back(entry.page);
  return pages;
}

// Whether the Page is still open (a question lets Pages close meanwhile); compares addresses only.
bool StillOpen(const Documents& docs, const Page* page) {
  for (const PageListEntry& entry : docs.List().Entries())
    if (entry.page == page) return true;
  return false;
}

}  // namespace

std::string PageDiskWatch::ChangedText(const std::string& path) {
  return path + "\nは他のﾌﾟﾛｸﾞﾗﾑで変更されました。再読込みしますか?\n"
                "(いいえ: 今のﾃｷｽﾄを残す  ｷｬﾝｾﾙ: 後で比べる)";
}

std::string PageDiskWatch::GoneText(const std::string& path) {
  return path + "\nは削除または移動されました。ﾃｷｽﾄはﾍﾟｰｼﾞに残っています。";
}

std::vector<std::string> PageDiskWatch::WatchedPaths() const {
  std::vector<std::string> paths;
  for (Page* page : FilePages(docs_)) paths.push_back(page->FilePath());
  return paths;
}

bool PageDiskWatch::Marked(const Page& page) const {
  const auto notice = notices_.find(page.FilePath());
  return page.HasFile() && notice != notices_.end() && notice->second.marked;
}

void PageDiskWatch::PathChanged(const std::string& path) {
  if (checking_) {
    again_ = true;
    return;
  }
  for (Page* page : FilePages(docs_))
    if (StillOpen(docs_, page) && page->FilePath() == path) Check(*page);
  if (again_) CheckAll();
}

void PageDiskWatch::CheckAll() {
  if (checking_) {
    again_ = true;
    return;
  }
  // A change seen while a question was open is looked at again once it is answered.
  do {
    again_ = false;
    for (Page* page : FilePages(docs_))
      if (StillOpen(docs_, page)) Check(*page);
  } while (again_);
  // Files no Page holds any more are forgotten.
  std::vector<std::string> open = WatchedPaths();
  for (auto it = notices_.begin(); it != notices_.end();) {
    bool held = false;
    for (const std::string& path : open) held = held || path == it->first;
    it = held ? std::next(it) : notices_.erase(it);
  }
}

void PageDiskWatch::Check(Page& page) {
  const std::string path = page.FilePath();
  FileStore& files = docs_.Files();
  FileIdentity known;
  // Not read or written by us (or a save already said the file changed): nothing to compare.
  if (!files.KnownState(path, known)) return;
  FileIdentity now;
  const bool exists = files.StateNow(path, now);
  if (exists && SameState(known, now)) {
    notices_.erase(path);  // as we left it (written back, or changed back)
    return;
  }
  const auto previous = notices_.find(path);
  if (previous != notices_.end() && previous->second.gone == !exists &&
      (!exists || SameState(previous->second.seen, now)))
    return;  // this change was asked about already
  Notice& notice = notices_[path];
  notice = Notice{!exists, now, true};

  checking_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{checking_};
  if (!exists) {
    // Its text now lives only in the Page: closing it asks to save.
    page.SetModified(true);
    ui_.ShowMessageBox(GoneText(path), MB_OK | MB_ICONWARNING, kCaption);
    return;
  }
  if (!page.Modified() && settings_.File.AutoReload) {
    if (docs_.ReloadPage(page)) notices_.erase(path);
    return;
  }
  const int answer = ui_.ShowMessageBox(ChangedText(path), MB_YESNOCANCEL | MB_ICONQUESTION, kCaption);
  if (!StillOpen(docs_, &page) || page.FilePath() != path) return;  // closed or renamed meanwhile
  const auto asked = notices_.find(path);
  if (asked == notices_.end()) return;
  if (answer == IDYES) {
    if (docs_.ReloadPage(page)) notices_.erase(asked);
  } else if (answer == IDNO) {
    // The Page's text is kept and now differs from the file: closing it asks to save.
    asked->second.marked = false;
    page.SetModified(true);
  }
  // Cancel: the Page stays marked, and is not asked about again until the file changes again.
}

}  // namespace norra
