// Decides when each modified Page gets its recovery copy: soon after the user stops typing,
// and now and then while the typing goes on. The Page's bytes are copied here, on the thread
// that edits them; the writer thread puts them on disk. Time comes in from the caller, so the
// rules run without waiting.
//
// Limits: a Page's bytes are copied whole each time (a 20 MB Page costs a 20 MB copy); a
// change that leaves the text's version number alone (a control that keeps none) is seen only
// when the modified flag changes.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "documents/RecoveryWriter.h"

namespace norra {

class Documents;
class Page;

class RecoveryKeeper {
 public:
  // A copy once the text has not changed for this long...
  static constexpr std::int64_t kQuietMs = 1000;
  // ...and at the latest this long after the first change not yet copied.
  static constexpr std::int64_t kLongestMs = 25000;
  // How often the caller should call Tick so the copy comes within 2 s of the last edit.
  static constexpr std::int64_t kTickMs = 250;

  // `wallSeconds` tells the time a copy is stamped with (default: the system's).
  RecoveryKeeper(Documents& docs, RecoveryWriter& writer, std::function<std::int64_t()> wallSeconds = {});

  // Looks at every open Page at `nowMs` (a steady clock's milliseconds): copies the modified
  // ones that are due, removes the copies of Pages no longer modified or gone.
  void Tick(std::int64_t nowMs);
  // The Page was saved, or its changes given up: its copy goes now.
  void PageSaved(Page& page);
  // The Page is going (its copy with it); call while it is still valid.
  void PageGone(Page& page);
  // Copies the Page now whatever the timing (a restored Page).
  void CopyNow(Page& page);
  // Waits for the writer.
  void Flush() { writer_.Flush(); }

  // Copies taken since the start (for tests and the benchmark).
  std::uint64_t CopiesTaken() const { return taken_; }

 private:
  struct Track {
    std::uint64_t id = 0;
    std::uint64_t seenVersion = 0;    // the text's version at the last look
    std::int64_t changedAt = 0;       // when that version was first seen
    std::int64_t dirtySince = -1;     // first change not yet copied; -1: none
    std::uint64_t copiedVersion = 0;
    bool hasCopy = false;
  };
  Track& TrackOf(Page& page);
  void Copy(Page& page, Track& track);

  Documents& docs_;
  RecoveryWriter& writer_;
  std::function<std::int64_t()> wallSeconds_;
  std::unordered_map<const Page*, Track> tracks_;
  std::uint64_t nextId_ = 0;
  std::uint64_t taken_ = 0;
};

}  // namespace norra
