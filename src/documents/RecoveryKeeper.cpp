// When modified Pages get their recovery copies, and when the copies go.
#include "documents/RecoveryKeeper.h"

#include <ctime>
#include <unordered_set>

#include "documents/Documents.h"
#include "documents/Page.h"

namespace norra {

RecoveryKeeper::RecoveryKeeper(Documents& docs, RecoveryWriter& writer, std::function<std::int64_t()> wallSeconds)
    : docs_(docs), writer_(writer), wallSeconds_(std::move(wallSeconds)) {
  if (!wallSeconds_) wallSeconds_ = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
}

RecoveryKeeper::Track& RecoveryKeeper::TrackOf(Page& page) {
  auto [it, made] = tracks_.try_emplace(&page);
  if (made) it->second.id = ++nextId_;
  return it->second;
}

void RecoveryKeeper::Tick(std::int64_t nowMs) {
  std::unordered_set<const Page*> open;
  for (const PageListEntry& entry : docs_.List().Entries()) {
    Page& page = *entry.page;
    open.insert(&page);
    Track& track = TrackOf(page);
    if (!page.Modified()) {
      if (track.hasCopy) writer_.Remove(track.id);
      track.hasCopy = false;
      track.dirtySince = -1;
      track.copiedVersion = 0;
      track.seenVersion = page.Control().TextVersion();
      continue;
    }
    const std::uint64_t version = page.Control().TextVersion();
    if (version != track.seenVersion) {
      track.changedAt = nowMs;
      track.seenVersion = version;
    }
    if (track.hasCopy && version == track.copiedVersion) continue;
    if (track.dirtySince < 0) track.dirtySince = nowMs;
    if (nowMs - track.changedAt >= kQuietMs || nowMs - track.dirtySince >= kLongestMs) Copy(page, track);
  }
  // Pages that went without a word (a closing the caller did not report).
  for (auto it = tracks_.begin(); it != tracks_.end();) {
    if (open.contains(it->first)) {
      ++it;
      continue;
    }
    if (it->second.hasCopy) writer_.Remove(it->second.id);
    it = tracks_.erase(it);
  }
}

void RecoveryKeeper::Copy(Page& page, Track& track) {
  RecoveryCopy copy;
  copy.path = page.FilePath();
  copy.kind = page.Kind();
  copy.encoding = page.Encoding();
  copy.lfLineBreaks = page.LfLineBreaks();
  copy.time = wallSeconds_();
  copy.text.assign(page.Control().TextView());
  track.copiedVersion = page.Control().TextVersion();
  track.hasCopy = true;
  track.dirtySince = -1;
  ++taken_;
  writer_.Write(track.id, std::move(copy));
}

void RecoveryKeeper::PageSaved(Page& page) {
  const auto it = tracks_.find(&page);
  if (it == tracks_.end()) return;
  Track& track = it->second;
  if (track.hasCopy) writer_.Remove(track.id);
  track.hasCopy = false;
  track.dirtySince = -1;
  track.copiedVersion = 0;
  track.seenVersion = page.Control().TextVersion();
}

void RecoveryKeeper::PageGone(Page& page) {
  const auto it = tracks_.find(&page);
  if (it == tracks_.end()) return;
  if (it->second.hasCopy) writer_.Remove(it->second.id);
  tracks_.erase(it);
}

void RecoveryKeeper::CopyNow(Page& page) {
  Track& track = TrackOf(page);
  track.seenVersion = page.Control().TextVersion();
  Copy(page, track);
}

}  // namespace norra
