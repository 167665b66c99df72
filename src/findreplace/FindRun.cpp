// The find window's run over the open Pages: one loop over the regions of a range for each
// command, with the few places where the ranges keep rules of their own.
#include "findreplace/FindRun.h"

#include <exception>

#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/PageEdit.h"
#include "documents/UndoLog.h"
#include "engine/SearchEngine.h"
#include "findreplace/EngineMessages.h"
#include "findreplace/FindReplaceWindow.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "text/Cp932.h"
#include "text/FileMask.h"

namespace norra {

namespace {

constexpr std::string_view kNoSelection = FindReplaceWindow::kNoSelection;

// Which of the three WrapCounts a range keeps.
int WrapIndex(FindRange range) {
  return range == FindRange::AllNote ? 0 : range == FindRange::CurrentPad ? 1 : 2;
}

// CharStep at a 1-based position of a Page's text, reading only that character.
std::int64_t StepAt(const TextControl& control, std::int64_t position) {
  if (position < 1) return 1;
  return CharStep(control.TextRange(static_cast<std::size_t>(position - 1), 2), 1);
}

std::int64_t LengthOf(const Page& page) {
  return static_cast<std::int64_t>(page.Control().TextLength());
}

void SelectHit(Page& page, std::int64_t position, std::int64_t length) {
  TextControl& control = page.Control();
  PaintingSuspension painting(control);
  control.SetSelection(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(length));
  control.ScrollCaret();
}

}  // namespace

FindRun::FindRun(const FindRunContext& context)
    : engine_(context.engine),
      docs_(context.docs),
      log_(context.log),
      ui_(context.ui),
      host_(context.host),
      window_(context.window),
      masks_(context.masks) {}

void FindRun::Reset() {
  FirstHit = {};
  LastHit = {};
  WrapCount = {};
  SelectionRegion = {};
  engine_.RunReset();
}

// ---- regions ----

FindRun::Regions FindRun::RegionsOf(FindRange range) const {
  Regions regions;
  const Page* active = docs_.ActivePage();
  const PageList& list = docs_.List();
  if (range == FindRange::AllNote) {
    for (std::size_t i = 0; i < list.Count(); ++i) {
      Page* page = list.At(i).page;
      if (page == active) regions.active = static_cast<int>(i);
      regions.list.push_back({static_cast<int>(i), page});
    }
    return regions;
  }
  if (active == nullptr) return regions;
  const std::size_t index = list.IndexOf(*active);
  if (index == PageList::npos) return regions;
  regions.list.push_back({static_cast<int>(index), docs_.ActivePage()});
  regions.active = 0;
  return regions;
}

bool FindRun::Eligible(FindRange range, const Page& page) const {
  return range != FindRange::AllNote || MatchesAnyMaskUtf8Name(page.DisplayName(), masks_);
}

std::int64_t FindRun::RegionStart(FindRange range) const {
  return range == FindRange::SelText ? SelectionRegion.start : 1;
}

std::int64_t FindRun::RegionLength(FindRange range, const Page& page) const {
  return range == FindRange::SelText ? SelectionRegion.length : LengthOf(page);
}

bool FindRun::MatchIn(FindRange range, Page& page) {
  // Each Page is searched in the charset it holds its text in; one that cannot hold the find
  // text holds no match.
  if (!engine_.SetCharset(page.Control().TextCharset()) && !engine_.HasPattern()) return false;
  if (range != FindRange::SelText) return engine_.MatchInControl(page.Control());
  engine_.SetWorkingText(
      page.Control().TextRange(static_cast<std::size_t>(SelectionRegion.start - 1),
                               static_cast<std::size_t>(SelectionRegion.length)));
  return engine_.Match();
}

bool FindRun::TakeRegion(bool find, std::int64_t start, std::int64_t sel) {
  const SelectionRegionRecord& region = SelectionRegion;
  const bool inside = FirstHit.position != 0 && region.length != 0 && sel >= 0 &&
                      sel <= region.length && start + sel <= region.start + region.length &&
                      start >= region.start && start <= region.start + region.length;
  if (inside) return true;
  Reset();
  if (sel < 1) {
    if (find) {
      window_.Info(std::string(kNoSelection), "選択文字列内検索");
    } else {
      ui_.ShowMessageBox(kNoSelection, MB_OK | MB_ICONERROR,
                         Caption("置換して次", FindRange::SelText, false));
    }
    return false;
  }
  SelectionRegion = {start, sel};
  return true;
}

std::string FindRun::EntryText(const Page& page) const {
  const std::size_t index = docs_.List().IndexOf(page);
  return index == PageList::npos ? page.FilePath() : docs_.List().At(index).text;
}

std::string FindRun::Caption(const char* command, FindRange range, bool displayName) const {
  std::string name;
  if (range == FindRange::AllNote) {
    name = "ﾒﾓ帳全体";
  } else if (range == FindRange::SelText) {
    name = "選択された文";
  } else if (const Page* page = docs_.ActivePage(); page != nullptr) {
    name = displayName ? page->DisplayName() : EntryText(*page);
  }
  return std::string("◆") + command + " - [" + name + "]";
}

void FindRun::SelectRegion(Page& page) {
  SelectHit(page, SelectionRegion.start, SelectionRegion.length);
}

void FindRun::MakeActive(Page& page) {
  if (docs_.ActivePage() != &page) docs_.ActivatePage(&page);
}

// ---- Find next ----

// After a find shows its hit: a run that wrapped twice, or wrapped and came back to its first
// hit, ends with its message (a hit met again is not counted again); a run that wrapped and went
// past its first hit starts counting from there. The hits of one run lie in page-list order, so
// "past" compares the Page first. True when the run ended; the caller resets it.
bool FindRun::RunEndsAfterHit(int& wrap, const std::string& caption) {
  const bool round = LastHit == FirstHit;
  if (wrap > 1 || (wrap > 0 && engine_.FindCount > 1 && round)) {
    if (round) engine_.FindCount -= wrap;
    window_.EndOfFind(caption);
    return true;
  }
  const bool past =
      LastHit.pageIndex > FirstHit.pageIndex ||
      (LastHit.pageIndex == FirstHit.pageIndex && LastHit.position > FirstHit.position);
  if (wrap > 0 && engine_.FindCount > 1 && past) {
    FirstHit = LastHit;
    wrap = 0;
  }
  return false;
}

bool FindRun::Begin(FindRange range, bool find, Origin& o) {
  o.regions = RegionsOf(range);
  if (o.regions.active < 0) return false;
  o.active = o.regions.list[o.regions.active].page;
  o.activeIndex = o.regions.list[o.regions.active].pageIndex;
  // A run in one Page ends when another Page comes forward.
  if (range != FindRange::AllNote && FirstHit.pageIndex != o.activeIndex) Reset();
  o.start = static_cast<std::int64_t>(o.active->Control().SelStart()) + 1;
  o.sel = static_cast<std::int64_t>(o.active->Control().SelLength());
  if (range == FindRange::SelText && !TakeRegion(find, o.start, o.sel)) return false;
  o.regionStart = RegionStart(range);
  // Positions from here on are relative to the region (as in the Page for whole Pages).
  engine_.StartPos = o.start - o.regionStart + 1;
  return true;
}

int FindRun::FirstHitIn(FindRange range, const Regions& regions, int from, int to) {
  for (int j = from; j <= to; ++j) {
    Page& page = *regions.list[j].page;
    if (Eligible(range, page) && MatchIn(range, page) && engine_.MatchPos >= engine_.StartPos) {
      return j;
    }
    engine_.StartPos = 1;
  }
  return -1;
}

void FindRun::ShowLastHit(Page& page) {
  MakeActive(page);
  SelectHit(page, LastHit.position, LastHit.length);
}

void FindRun::FindNext(FindRange range) {
  Origin o;
  if (!Begin(range, true, o)) return;
  const Regions& regions = o.regions;
  const bool selText = range == FindRange::SelText;
  const int n = static_cast<int>(regions.list.size());
  int& wrap = WrapCount[WrapIndex(range)];
  int cur = regions.active;
  std::int64_t& startPos = engine_.StartPos;
  if (LastHit == HitRecord{o.activeIndex, o.start, o.sel}) {  // the selection is the hit shown last
    startPos += StepAt(o.active->Control(), o.start);
    // The selected region counts the place just after it as its own.
    const std::int64_t end = RegionLength(range, *o.active) + (selText ? 1 : 0);
    if (startPos > end) {
      ++cur;
      startPos = 1;
      if (cur >= n) {
        ++wrap;
        cur = 0;
      }
    }
  }
  int from = cur;
  int to = n - 1;
  int hit = -1;
  while (wrap < 4 && (wrap < 1 || !DownwardOnly)) {
    const std::int64_t entryStart = startPos;
    hit = FirstHitIn(range, regions, from, to);
    if (hit < 0) {
      // From the top already, nothing lies before the start: the Pages from their first one,
      // the selected region from where this pass began.
      const bool fromTop = selText ? entryStart == 1 : (cur == 0 && o.start == 1);
      if (DownwardOnly || wrap > 0 || fromTop) break;
      ++wrap;  // round to the top; the pass that failed left StartPos at 1
      to = cur;
      from = 0;
      continue;
    }
    ++engine_.FindCount;
    LastHit = {regions.list[hit].pageIndex, engine_.MatchPos + o.regionStart - 1, engine_.MatchLen};
    if (engine_.FindCount > 1) break;
    wrap = 0;
    FirstHit = LastHit;
    if (FirstHit != HitRecord{regions.list[cur].pageIndex, o.start, o.sel}) break;
    // The first hit is the selection itself: look on after it.
    startPos = o.start - o.regionStart + 1 + StepAt(o.active->Control(), o.start);
    from = hit;
    if (startPos > RegionLength(range, *o.active)) {
      ++cur;
      startPos = 1;
      from = cur;
      if (cur >= n) {
        ++wrap;
        cur = 0;
        from = 0;
        to = n - 1;
      }
    }
    hit = -1;
  }
  if (hit < 0) {
    if (selText) {
      SelectRegion(*o.active);
      window_.NothingMore(Caption("次を検索", range, false));
    } else {
      window_.EndOfFind(Caption("次を検索", range, false));
    }
    Reset();
    return;
  }
  Page& found = *regions.list[hit].page;
  ShowLastHit(found);
  if (RunEndsAfterHit(wrap, Caption("次を検索", range, false))) {
    if (selText) SelectRegion(found);
    Reset();
  }
}

// ---- Replace and next ----

// Replace and next replaces the match only when the selection is exactly that match;
// otherwise it finds and selects the next one, so a first press selects a match and a second
// press replaces it and selects the following one.
void FindRun::ReplaceNext(FindRange range) {
  Origin o;
  if (!Begin(range, false, o)) return;
  int& wrap = WrapCount[WrapIndex(range)];
  wrap = 0;
  const Regions& regions = o.regions;
  const int n = static_cast<int>(regions.list.size());
  std::int64_t& startPos = engine_.StartPos;
  const bool selText = range == FindRange::SelText;
  bool replaced = false;
  int cur = regions.active;
  int to = n - 1;
  int hit = -1;
  for (int pass = 0; pass < 4 && wrap <= 1 && !(wrap > 0 && DownwardOnly); ++pass) {
    hit = FirstHitIn(range, regions, cur, to);
    if (hit >= 0) {
      const HitRecord found{regions.list[hit].pageIndex, engine_.MatchPos + o.regionStart - 1,
                            engine_.MatchLen};
      if (found != LastHit) ++engine_.FindCount;  // a hit met again counts once
      wrap = 0;
      LastHit = found;
    }
    if (hit < 0) {
      const bool fromTop = regions.active == 0 && o.start - o.regionStart + 1 == 1 && !replaced;
      if (fromTop || wrap > 1 || DownwardOnly) break;
      ++wrap;
      to = cur;
      cur = 0;
      startPos = 1;
      continue;
    }
    // Only a selection that is exactly this match is replaced; otherwise the match is shown.
    if (hit != regions.active || LastHit.position != o.start || LastHit.length != o.sel ||
        replaced) {
      break;
    }
    replaced = true;
    const std::int64_t relative = engine_.MatchPos;
    std::int64_t length = 0;
    if (!ReplaceSelection(*o.active, length)) return;
    if (selText) SelectionRegion.length += length - o.sel;
    cur = hit;
    startPos = relative + length;
    hit = -1;
    if (startPos > RegionLength(range, *o.active)) {
      startPos = 1;
      ++cur;
      if (cur >= n) {
        if (DownwardOnly) {
          SelectHit(*o.active, LastHit.position, length);
          break;
        }
        ++wrap;
        cur = 0;
      }
    }
  }
  if (hit < 0) {
    if (selText) SelectRegion(*o.active);
    window_.NothingMore(Caption("置換して次", range, false));
    Reset();
    return;
  }
  ShowLastHit(*regions.list[hit].page);
  window_.FocusReplaceBox();
  FirstHit = LastHit;
  wrap = 0;
}

bool FindRun::ReplaceSelection(Page& page, std::int64_t& replacementLength) {
  ++engine_.ReplaceCount;  // before the expansion, which may show the count
  const std::string replacement = engine_.Expand();
  replacementLength = static_cast<std::int64_t>(replacement.size());
  TextControl& control = page.Control();
  if (control.TextLength() - control.SelLength() + replacement.size() > control.MaxLength()) {
    --engine_.ReplaceCount;
    ShowReplaceRefusal(ui_, kTooLongForPage);
    return false;
  }
  const std::size_t start = control.SelStart();
  return ApplyToPage(page, {KeepText::Selection,
                            start,
                            control.SelLength(),
                            replacement,
                            start + replacement.size(),
                            0,
                            {},
                            kUndoReplaceOne});
}

// ---- Replace all ----

void FindRun::ReplaceAll(FindRange range) {
  const Regions regions = RegionsOf(range);
  if (regions.list.empty()) return;
  const bool selText = range == FindRange::SelText;
  if (selText && regions.list.front().page->Control().SelLength() < 1) {
    ui_.ShowMessageBox(kNoSelection, MB_OK | MB_ICONWARNING, "全て置換 - [選択された文]");
    return;
  }
  const int kind = range == FindRange::AllNote      ? kUndoReplaceAllPages
                   : range == FindRange::CurrentPad ? kUndoReplaceAll
                                                    : kUndoReplaceSelection;
  const std::string caption = Caption("全て置換", range, true);
  engine_.ReplaceCount = 0;
  if (range == FindRange::AllNote) log_.BeginCommandGroup();
  // Pages repaint and the status panel clears however the loop ends.
  struct Cleanup {
    std::vector<Page*> suspended;
    FindWindowHost& host;
    void Resume() {
      for (Page* page : suspended) page->Control().ResumePainting();
      suspended.clear();
    }
    ~Cleanup() {
      Resume();
      host.SetStatusText("");
    }
  } cleanup{{}, host_};
  ReplaceOutcome outcome = ReplaceOutcome::Unchanged;
  for (const Region& region : regions.list) {
    Page& page = *region.page;
    if (!Eligible(range, page)) continue;
    if (range == FindRange::AllNote) {
      host_.SetStatusText("置換処理中 - [" + page.DisplayName() +
                          "] 置換数 : " + std::to_string(engine_.ReplaceCount));
    } else {
      host_.SetStatusText("▲置換処理中 - [" + (selText ? "選択された文" : page.DisplayName()) +
                          "]");
    }
    ui_.ProcessPendingEvents();
    page.Control().SuspendPainting();
    cleanup.suspended.push_back(&page);
    outcome = ReplaceAllIn(page, selText, kind);
    if (outcome == ReplaceOutcome::Failed) break;
  }
  cleanup.Resume();
  if (selText) window_.PlaceBesideCaret();
  // In one Page, a Page left as it was for a refusal or a failure has had its message.
  const bool ended = outcome == ReplaceOutcome::Failed || outcome == ReplaceOutcome::Refused;
  if (range != FindRange::AllNote && ended) return;
  if (!selText) window_.PlaceBesideCaret();
  host_.SetStatusText("");
  window_.Info(FindReplaceWindow::DoneText(engine_.ReplaceCount), caption);
  Reset();
}

FindRun::ReplaceOutcome FindRun::ReplaceAllIn(Page& page, bool selection, int kind) {
  TextControl& control = page.Control();
  const std::size_t start = selection ? control.SelStart() : 0;
  const std::size_t length = selection ? control.SelLength() : control.TextLength();
  ReplaceRequest request;
  request.spans = log_.Enabled();
  // A whole Page's replace goes to the control span by span: the engine then need not build
  // a whole new text beside the old one.
  request.replacementsOnly = request.spans && !selection && control.TakesSpans();
  request.selStart = control.SelStart();
  request.selLength = control.SelLength();
  if (!engine_.SetCharset(control.TextCharset()) && !engine_.HasPattern()) {
    return ReplaceOutcome::Unchanged;  // the Page's charset cannot hold the find text
  }
  ReplaceResult result = engine_.ReplaceAll(control.TextView().substr(start, length), request);
  if (!result.Replaced()) {
    if (selection) control.ScrollCaret();
    return ReplaceOutcome::Unchanged;
  }
  // A control would cut a text that does not fit; refuse instead of losing the tail.
  if (control.TextLength() - length + result.newLength > control.MaxLength()) {
    engine_.ReplaceCount -= result.count;  // the count names only what reached a Page
    ShowReplaceRefusal(ui_, kTooLongForPage);
    return ReplaceOutcome::Refused;
  }
  PageChange change;
  change.keep = selection ? KeepText::Selection : KeepText::WholeText;
  change.start = start;
  change.length = length;
  change.selStart = selection ? start : result.selStart;
  change.selLength = selection ? result.newLength : result.selLength;
  change.text = result.text;
  change.spanWise = request.replacementsOnly;
  change.newLength = result.newLength;
  change.spans = std::move(result.spans);
  change.kind = kind;
  if (!ApplyToPage(page, std::move(change))) {
    engine_.ReplaceCount -= result.count;
    ShowReplaceRefusal(ui_, kReplaceEditFailed);
    return ReplaceOutcome::Failed;
  }
  if (!selection) ui_.ProcessPendingEvents();
  control.ScrollCaret();
  return ReplaceOutcome::Replaced;
}

bool FindRun::ApplyToPage(Page& page, PageChange change) {
  TextControl& control = page.Control();
  PageEdit edit(log_, page, change.keep);
  std::vector<ReplacedSpan>* spans = edit.Spans();
  if (spans != nullptr) *spans = std::move(change.spans);
  const CommandTarget& target = edit.Target();
  const std::size_t newLength = change.spanWise ? change.newLength : change.text.size();
  const std::size_t expected = control.TextLength() - change.length + newLength;
  bool applied = false;
  if (change.spanWise) {
    // The control may go span by span; a failure part way is undone below from the kept text.
    applied = spans != nullptr &&
              control.ReplaceSpans(change.start, change.length, change.text, *spans);
  } else {
    control.SetSelection(change.start, change.length);
    applied = control.ReplaceSelection(change.text);
  }
  if (!applied || control.TextLength() != expected) {
    // A control that took only part of the text gets the old one back.
    if (change.keep == KeepText::WholeText && control.TextView() != target.keptText) {
      control.SetSelection(0, control.TextLength());
      control.ReplaceSelection(target.keptText);
    }
    control.SetSelection(target.startBefore, target.selLengthBefore);
    edit.Keep();
    return false;
  }
  control.SetSelection(change.selStart, change.selLength);
  edit.Record(change.kind);
  return true;
}

}  // namespace norra
