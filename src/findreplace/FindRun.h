// One run of the find/replace window over the open Pages: its bookkeeping (first and last hit,
// wrap-arounds, the selected region, the direction) and the one loop over a list of regions
// (every listed Page, the active Page, or the selection) behind Find next, Replace and next
// and Replace all.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "documents/UndoHistory.h"
#include "findreplace/FindReplaceView.h"
#include "text/ReplacedSpan.h"

namespace norra {

class Documents;
class Page;
class SearchEngine;
class Ui;
class UndoLog;

// Page index (in the page list), 1-based position and length of a hit.
struct HitRecord {
  int pageIndex = 0;
  std::int64_t position = 0;
  std::int64_t length = 0;
  friend bool operator==(const HitRecord&, const HitRecord&) = default;
};

// The selected text a selected-text command works inside.
struct SelectionRegionRecord {
  std::int64_t start = 0;  // 1-based
  std::int64_t length = 0;
};

// What a run needs of the window it runs for: its placement and end-of-run messages.
class FindRunWindow {
 public:
  virtual ~FindRunWindow() = default;
  virtual void PlaceBesideCaret() = 0;
  // The end of a find: its message with the run's FindCount.
  virtual void EndOfFind(const std::string& caption) = 0;
  // Nothing more to find or replace: its message with the run's ReplaceCount.
  virtual void NothingMore(const std::string& caption) = 0;
  // An information box.
  virtual void Info(const std::string& text, const std::string& caption) = 0;
  virtual void FocusReplaceBox() = 0;
};

// What a run works with; all outlive it.
struct FindRunContext {
  SearchEngine& engine;
  Documents& docs;
  UndoLog& log;
  Ui& ui;
  FindWindowHost& host;
  FindRunWindow& window;
  const std::vector<std::string>& masks;  // the FileMaskList of the whole-notebook range
};

class FindRun {
 public:
  explicit FindRun(const FindRunContext& context);

  // ---- the run's memory; a run lasts from one Reset to the next ----
  HitRecord FirstHit;
  HitRecord LastHit;
  std::array<int, 3> WrapCount{};  // whole notebook, current file, selected text
  SelectionRegionRecord SelectionRegion;
  bool DownwardOnly = false;  // set by Find next and Replace and next from the direction

  // Clears the run's memory and the engine's run (ConditionsChanged and both counters).
  void Reset();

  // The three commands over the open Pages, in a range of the Pages (AllNote, CurrentPad or
  // SelText). An engine abort or a failure of the Pages ends them early and quietly.
  void FindNext(FindRange range);
  void ReplaceNext(FindRange range);
  void ReplaceAll(FindRange range);

 private:
  // A stretch of one Page's text the loop searches: the whole text, or the selected region.
  struct Region {
    int pageIndex = 0;
    Page* page = nullptr;
  };
  // The regions of a range and where the active Page's selection lies among them.
  struct Regions {
    std::vector<Region> list;
    int active = -1;  // index in list of the active Page; -1: nothing to work on
  };
  enum class ReplaceOutcome { Unchanged, Replaced, Refused, Failed };

  // Where Find next or Replace and next starts: the regions, the active Page and its
  // selection, the start of the region searched.
  struct Origin {
    Regions regions;
    Page* active = nullptr;
    int activeIndex = 0;     // in the page list
    std::int64_t start = 0;  // 1-based selection start
    std::int64_t sel = 0;    // selection length
    std::int64_t regionStart = 1;
  };
  // Fills the origin and sets the engine's StartPos at the selection; false when there is
  // nothing to work on (no Page, or no selection for the selected-text range, told).
  bool Begin(FindRange range, bool find, Origin& origin);
  // The first region of [from, to] with a match at or after StartPos (which goes back to 1
  // for each region after the first); -1 when none has.
  int FirstHitIn(FindRange range, const Regions& regions, int from, int to);
  void ShowLastHit(Page& page);

  Regions RegionsOf(FindRange range) const;
  bool Eligible(FindRange range, const Page& page) const;
  // 1-based start and length of the region's text in its Page.
  std::int64_t RegionStart(FindRange range) const;
  std::int64_t RegionLength(FindRange range, const Page& page) const;
  // Matches from the engine's StartPos (relative to the region) in a region.
  bool MatchIn(FindRange range, Page& page);
  // Takes a new selected region (and a new run) when the selection left the remembered one;
  // false, after the message of Find next (find) or Replace and next, when there is no
  // selection to take.
  bool TakeRegion(bool find, std::int64_t start, std::int64_t sel);
  // The bookkeeping after a find showed its hit; true when the run ended there.
  bool RunEndsAfterHit(int& wrap, const std::string& caption);
  std::string Caption(const char* command, FindRange range, bool displayName) const;
  std::string EntryText(const Page& page) const;
  void SelectRegion(Page& page);
  void MakeActive(Page& page);
  // The expansion of the last match over the active Page's selection; false when refused
  // (not counted) or refused by the control.
  bool ReplaceSelection(Page& page, std::int64_t& replacementLength);
  // Replace all in the whole text of a Page, or its selection, as one recorded edit.
  ReplaceOutcome ReplaceAllIn(Page& page, bool selection, int kind);

  // One change of a Page's text: `text` over the bytes [start, start + length) as one edit
  // recorded with `kind`, with the selection after it; false when the control refused it (the
  // text is then as it was). The one place a run edits a Page.
  struct PageChange {
    KeepText keep = KeepText::Selection;
    std::size_t start = 0;
    std::size_t length = 0;
    std::string_view text;  // the new text, or with spanWise only the spans' new bytes
    std::size_t selStart = 0;
    std::size_t selLength = 0;
    std::vector<ReplacedSpan> spans;  // of a replace all, so that its undo keeps only these
    int kind = 0;
    bool spanWise = false;
    std::size_t newLength = 0;  // with spanWise
  };
  bool ApplyToPage(Page& page, PageChange change);

  SearchEngine& engine_;
  Documents& docs_;
  UndoLog& log_;
  Ui& ui_;
  FindWindowHost& host_;
  FindRunWindow& window_;
  const std::vector<std::string>& masks_;
};

}  // namespace norra
