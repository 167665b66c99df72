// Keeping the handed-out hits, their texts, saving them, and going to one.
#include "findreplace/HitList.h"

#include <algorithm>

#include "documents/Documents.h"
#include "documents/Page.h"
#include "text/PathUtil.h"

namespace norra {

void HitList::Clear() {
  files_.clear();
  shown_.clear();
  hits_.clear();
  notText_ = unreadable_ = 0;
}

void HitList::Append(HitBatch&& batch) {
  for (ListedFile& file : batch.files) {
    if (file.state == ListedFileState::NotText) ++notText_;
    if (file.state == ListedFileState::Unreadable) ++unreadable_;
    files_.push_back(std::move(file));
  }
  // Hits name their file by its index in the whole list, which files_ now follows.
  for (ListedHit& hit : batch.hits) {
    if (shown_.empty() || shown_.back().file != hit.file) shown_.push_back({hit.file, hits_.size()});
    hits_.push_back(std::move(hit));
  }
}

std::pair<std::size_t, std::size_t> HitList::PlaceOf(std::size_t hitIndex) const {
  const auto after = std::upper_bound(shown_.begin(), shown_.end(), hitIndex,
                                      [](std::size_t index, const Shown& s) { return index < s.firstHit; });
  const std::size_t row = static_cast<std::size_t>(after - shown_.begin()) - 1;
  return {row, hitIndex - shown_[row].firstHit};
}

std::optional<std::size_t> HitList::Step(std::optional<std::size_t> current, bool forward) const {
  if (hits_.empty()) return std::nullopt;
  if (!current) return forward ? 0 : hits_.size() - 1;
  if (forward) return *current + 1 < hits_.size() ? std::optional(*current + 1) : std::nullopt;
  return *current > 0 ? std::optional(*current - 1) : std::nullopt;
}

std::string HitList::FileRowText(const ListedFile& file) {
  std::string text = file.path;
  text += " (" + std::to_string(file.hits) + ")";
  if (file.modified)
    text += kModifiedMark;
  else if (file.page != nullptr)
    text += kPageMark;
  return text;
}

std::string HitList::PlaceText(const ListedHit& hit) {
  return std::to_string(hit.line) + ":" + std::to_string(hit.column);
}

std::string HitList::SummaryText(const HitListProgress& progress) const {
  std::string text;
  if (!progress.finished) {
    text = "検索中... ﾌｧｲﾙ " + std::to_string(progress.filesDone) + " / " +
           std::to_string(progress.filesTotal) + "  ﾋｯﾄ " + std::to_string(progress.hits);
    return text;
  }
  text = std::to_string(hits_.size()) + " 件 (" + std::to_string(shown_.size()) + " ﾌｧｲﾙ / " +
         std::to_string(progress.filesTotal) + " ﾌｧｲﾙ中)";
  if (progress.stopped) text += "  中止しました";
  if (notText_ > 0) text += "  ﾊﾞｲﾅﾘ " + std::to_string(notText_);
  if (unreadable_ > 0) text += "  読めないﾌｧｲﾙ " + std::to_string(unreadable_);
  return text;
}

std::string HitList::SaveText() const {
  std::string text;
  for (const ListedHit& hit : hits_) {
    text += files_[hit.file].path;
    text += ':';
    text += std::to_string(hit.line);
    text += ':';
    text += std::to_string(hit.column);
    text += ':';
    text += hit.excerpt;
    text += '\n';
  }
  return text;
}

bool OpenHit(Documents& docs, const ListedFile& file, const ListedHit& hit) {
  Page* page = nullptr;
  for (const PageListEntry& entry : docs.List().Entries()) {
    if (file.page != nullptr && entry.page == file.page) {
      page = entry.page;
      break;
    }
  }
  if (page == nullptr) {
    // A Page already open on the file is used rather than a second one.
    for (const PageListEntry& entry : docs.List().Entries()) {
      if (!entry.page->FilePath().empty() && entry.page->FilePath() == file.path) {
        page = entry.page;
        break;
      }
    }
  }
  if (page == nullptr) {
    // The Page the hit was found in may have gone; its file, if it has one, is still there.
    if (!IsFile(file.path) || docs.OpenPage(file.path, true) != 1) return false;
    page = docs.ActivePage();
    if (page == nullptr) return false;
  } else {
    docs.ActivatePage(page);
  }
  TextControl& control = page->Control();
  // Line and column rather than an offset: they hold for the Page's text as for the file's,
  // whatever line breaks either has.
  const std::size_t length = control.TextLength();
  const std::size_t start = std::min(control.LineStart(hit.line - 1) + (hit.column - 1), length);
  control.SetSelection(start, std::min<std::size_t>(hit.length, length - start));
  control.ScrollCaret();
  return true;
}

}  // namespace norra
