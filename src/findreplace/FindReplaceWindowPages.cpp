// FindReplaceWindow over the open Pages: Find next, Replace and next and Replace all over the
// whole notebook, the current file and the selected text, with the run's bookkeeping.
#include <string>
#include <vector>

#include "documents/CaptureSuspension.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "findreplace/EngineMessages.h"
#include "findreplace/FindReplaceWindow.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "text/Cp932.h"
#include "text/FileMask.h"

namespace norra {

namespace {

constexpr const char* kAllNote = "ﾒﾓ帳全体";
constexpr const char* kSelText = "選択された文";

bool Same(const HitRecord& hit, int page, std::int64_t position, std::int64_t length) {
  return hit.pageIndex == page && hit.position == position && hit.length == length;
}

bool Same(const HitRecord& a, const HitRecord& b) {
  return Same(a, b.pageIndex, b.position, b.length);
}

std::string Caption(const char* command, const std::string& range) {
  return std::string("◆") + command + " - [" + range + "]";
}

std::int64_t Length(const std::string& text) {
  return static_cast<std::int64_t>(text.size());
}

std::int64_t Step(const std::string& text, std::int64_t position) {
  return CharStep(text, static_cast<std::size_t>(position < 1 ? 0 : position));
}

// The Pages in page-list order.
std::vector<Page*> PagesOf(const Documents& docs) {
  std::vector<Page*> pages;
  for (const PageListEntry& entry : docs.List().Entries()) pages.push_back(entry.page);
  return pages;
}

// Index of the active Page in the page list, or -1 (no Page, or one the list lacks).
int ActiveIndex(const Documents& docs) {
  const Page* page = docs.ActivePage();
  if (page == nullptr) return -1;
  const std::size_t index = docs.List().IndexOf(*page);
  return index == PageList::npos ? -1 : static_cast<int>(index);
}

// A new selected region is taken when the selection no longer lies in the remembered one.
bool NewRegion(const SearchEngine& engine, std::int64_t start, std::int64_t sel) {
  const SelectionRegionRecord& region = engine.SelectionRegion;
  return engine.FirstHit.position == 0 || region.length == 0 || sel < 0 || sel > region.length ||
         start + sel > region.start + region.length || start < region.start ||
         start > region.start + region.length;
}

}  // namespace

bool FindReplaceWindow::NameMatches(const Page& page) const {
  return MatchesAnyMaskUtf8Name(page.DisplayName(), FileMaskList);
}

std::string FindReplaceWindow::EntryText(const Page& page) const {
  const std::size_t index = docs_.List().IndexOf(page);
  return index == PageList::npos ? page.FilePath() : docs_.List().At(index).text;
}

void FindReplaceWindow::SelectHit(Page& page, std::int64_t position, std::int64_t length) {
  TextControl& control = page.Control();
  PaintingSuspension painting(control);
  control.SetSelection(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(length));
  control.ScrollCaret();
}

void FindReplaceWindow::MakeActive(Page& page) {
  if (docs_.ActivePage() != &page) docs_.ActivatePage(&page);
}

bool FindReplaceWindow::ApplyToPage(Page& page, PageChange change) {
  TextControl& control = page.Control();
  log_.SetCommandTarget(page, change.keep);
  CommandTarget& target = log_.Target();
  target.replaced = std::move(change.spans);
  try {
    CaptureSuspension capture(log_);
    const std::size_t expected = control.TextLength() - change.length + change.text.size();
    control.SetSelection(change.start, change.length);
    if (!control.ReplaceSelection(change.text) || control.TextLength() != expected) {
      // A control that took only part of the text gets the old one back.
      if (change.keep == KeepText::WholeText && control.TextView() != target.keptText) {
        control.SetSelection(0, control.TextLength());
        control.ReplaceSelection(target.keptText);
      }
      control.SetSelection(target.startBefore, target.selLengthBefore);
      return false;
    }
    control.SetSelection(change.selStart, change.selLength);
    page.SetModified(true);
    log_.TakeSelectionAfter();
    log_.RecordCommand(change.kind);
  } catch (...) {
    log_.ClearUndoLog();  // a half-made edit no longer leads back
    throw;
  }
  return true;
}

FindReplaceWindow::RegionReplace FindReplaceWindow::ReplaceAllInRegion(Page& page, bool selection,
                                                                       int kind) {
  SearchEngine& e = *engine_;
  TextControl& control = page.Control();
  const std::size_t start = selection ? control.SelStart() : 0;
  const std::size_t length = selection ? control.SelLength() : control.TextLength();
  ReplaceRequest request;
  request.spans = log_.Enabled();
  if (!selection) {
    request.selStart = control.SelStart();
    request.selLength = control.SelLength();
  }
  ReplaceResult result = e.ReplaceAll(control.TextView().substr(start, length), request);
  if (!result.Replaced()) {
    if (selection) control.ScrollCaret();
    return RegionReplace::Unchanged;
  }
  // A control would cut a text that does not fit; refuse instead of losing the tail.
  if (control.TextLength() - length + result.text.size() > control.MaxLength()) {
    e.ReplaceCount -= result.count;
    ShowReplaceRefusal(ui_, kTooLongForPage);
    return RegionReplace::Refused;
  }
  PageChange change{selection ? KeepText::Selection : KeepText::WholeText,
                    start,
                    length,
                    result.text,
                    selection ? start : result.selStart,
                    selection ? result.text.size() : result.selLength,
                    std::move(result.spans),
                    kind};
  if (!ApplyToPage(page, std::move(change))) {
    e.ReplaceCount -= result.count;
    ShowReplaceRefusal(ui_, kReplaceEditFailed);
    return RegionReplace::Failed;
  }
  if (!selection) ui_.ProcessPendingEvents();
  control.ScrollCaret();
  return RegionReplace::Replaced;
}

bool FindReplaceWindow::ReplaceSelectionWithExpansion(Page& page, std::int64_t& replacementLength) {
  const std::string replacement = engine_->Expand();
  replacementLength = Length(replacement);
  TextControl& control = page.Control();
  if (control.TextLength() - control.SelLength() + replacement.size() > control.MaxLength()) {
    --engine_->ReplaceCount;
    ShowReplaceRefusal(ui_, kTooLongForPage);
    return false;
  }
  const std::size_t start = control.SelStart();
  return ApplyToPage(page, {KeepText::Selection, start, control.SelLength(), replacement,
                            start + replacement.size(), 0, {}, kUndoReplaceOne});
}

// ---- Find next ----

// After a find shows its hit: a run that wrapped twice, or wrapped and came back to its first
// hit, ends with its message (a hit met again is not counted again); a run that wrapped and went
// past its first hit starts counting from there. The hits of one run lie in page-list order, so
// "past" compares the Page first. True when the run ended; the caller resets it.
bool FindReplaceWindow::RunEndsAfterHit(int& wrap, const std::string& caption) {
  SearchEngine& e = *engine_;
  const bool round = Same(e.LastHit, e.FirstHit);
  if (wrap > 1 || (wrap > 0 && e.FindCount > 1 && round)) {
    if (round) e.FindCount -= wrap;
    EndOfFind(caption);
    return true;
  }
  const bool past = e.LastHit.pageIndex > e.FirstHit.pageIndex ||
                    (e.LastHit.pageIndex == e.FirstHit.pageIndex &&
                     e.LastHit.position > e.FirstHit.position);
  if (wrap > 0 && e.FindCount > 1 && past) {
    e.FirstHit = e.LastHit;
    wrap = 0;
  }
  return false;
}

void FindReplaceWindow::FindNextAllNote() {
  SearchEngine& e = *engine_;
  const std::vector<Page*> pages = PagesOf(docs_);
  const int n = static_cast<int>(pages.size());
  int cur = ActiveIndex(docs_);
  if (cur < 0) return;
  Page& active = *pages[cur];
  const std::string text = active.Control().Text();
  const std::int64_t start = static_cast<std::int64_t>(active.Control().SelStart()) + 1;
  const std::int64_t sel = static_cast<std::int64_t>(active.Control().SelLength());
  int& wrap = e.WrapCount[0];
  const std::string caption = Caption("次を検索", kAllNote);

  e.StartPos = start;
  if (Same(e.LastHit, cur, start, sel)) {  // the selection is the hit shown last: step past it
    e.StartPos += Step(text, start);
    if (e.StartPos > Length(text)) {
      ++cur;
      e.StartPos = 1;
      if (cur >= n) {
        ++wrap;
        cur = 0;
      }
    }
  }
  int from = cur;
  int to = n - 1;
  int hit = -1;
  while (wrap < 4 && (wrap < 1 || !e.DownwardOnly)) {
    hit = -1;
    for (int j = from; j <= to; ++j) {
      Page& page = *pages[j];
      if (NameMatches(page) && e.MatchInControl(page.Control()) && e.MatchPos >= e.StartPos) {
        ++e.FindCount;
        hit = j;
        break;
      }
      e.StartPos = 1;
    }
    if (hit < 0) {
      if (e.DownwardOnly || wrap > 0 || (cur == 0 && start == 1)) break;
      ++wrap;
      to = cur;
      from = 0;
      continue;
    }
    e.LastHit = {hit, e.MatchPos, e.MatchLen};
    if (e.FindCount > 1) break;
    wrap = 0;
    e.FirstHit = e.LastHit;
    if (!Same(e.FirstHit, cur, start, sel)) break;
    // The first hit is the selection itself: look on after it.
    e.StartPos = start + Step(text, start);
    from = hit;
    if (e.StartPos > Length(text)) {
      ++cur;
      e.StartPos = 1;
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
    EndOfFind(caption);
    e.RunReset();
    return;
  }
  Page& found = *pages[hit];
  MakeActive(found);
  SelectHit(found, e.LastHit.position, e.LastHit.length);
  if (RunEndsAfterHit(wrap, caption)) e.RunReset();
}

void FindReplaceWindow::FindNextCurrentPad() {
  SearchEngine& e = *engine_;
  const int cur = ActiveIndex(docs_);
  if (cur < 0) return;
  Page& page = *docs_.ActivePage();
  TextControl& control = page.Control();
  if (e.FirstHit.pageIndex != cur) e.RunReset();
  const std::string text = control.Text();
  const std::int64_t start = static_cast<std::int64_t>(control.SelStart()) + 1;
  const std::int64_t sel = static_cast<std::int64_t>(control.SelLength());
  int& wrap = e.WrapCount[1];
  const std::string caption = Caption("次を検索", EntryText(page));

  e.StartPos = start;
  if (e.LastHit.position == start && e.LastHit.length == sel) {
    e.StartPos += Step(text, start);
    if (e.StartPos > Length(text)) {
      e.StartPos = 1;
      ++wrap;
    }
  }
  bool hit = false;
  while (wrap < 4 && (wrap < 1 || !e.DownwardOnly)) {
    hit = e.MatchInControl(control) && e.MatchPos >= e.StartPos;
    if (!hit) {
      if (e.DownwardOnly || wrap > 0 || start == 1) break;
      ++wrap;
      e.StartPos = 1;
      continue;
    }
    ++e.FindCount;
    e.LastHit = {cur, e.MatchPos, e.MatchLen};
    if (e.FindCount > 1) break;
    wrap = 0;
    e.FirstHit = e.LastHit;
    if (e.FirstHit.position != start || e.FirstHit.length != sel) break;
    e.StartPos = start + Step(text, start);
    if (e.StartPos > Length(text)) {
      ++wrap;
      e.StartPos = 1;
    }
    hit = false;
  }
  if (!hit) {
    EndOfFind(caption);
    e.RunReset();
    return;
  }
  SelectHit(page, e.LastHit.position, e.LastHit.length);
  if (RunEndsAfterHit(wrap, caption)) e.RunReset();
}

void FindReplaceWindow::FindNextSelText() {
  SearchEngine& e = *engine_;
  const int cur = ActiveIndex(docs_);
  if (cur < 0) return;
  Page& page = *docs_.ActivePage();
  TextControl& control = page.Control();
  if (e.FirstHit.pageIndex != cur) e.RunReset();
  const std::string text = control.Text();
  const std::int64_t start = static_cast<std::int64_t>(control.SelStart()) + 1;
  const std::int64_t sel = static_cast<std::int64_t>(control.SelLength());
  int& wrap = e.WrapCount[2];
  const std::string caption = Caption("次を検索", kSelText);

  e.StartPos = start;
  if (NewRegion(e, start, sel)) {
    e.RunReset();
    if (sel < 1) {
      Info(std::string(kNoSelection), "選択文字列内検索");
      return;
    }
    e.SelectionRegion = {start, sel};
  } else if (e.StartPos == e.LastHit.position && sel == e.LastHit.length) {
    e.StartPos += Step(text, start);
    const SelectionRegionRecord& region = e.SelectionRegion;
    if (e.StartPos < region.start || e.StartPos > region.start + region.length) {
      e.StartPos = region.start;
      ++wrap;
    }
  }
  const SelectionRegionRecord region = e.SelectionRegion;
  e.StartPos -= region.start - 1;
  bool hit = false;
  while (!(wrap > 3 || (wrap > 0 && e.DownwardOnly))) {
    e.SetWorkingText(text.substr(static_cast<std::size_t>(region.start - 1),
                                 static_cast<std::size_t>(region.length)));
    hit = e.Match() && e.MatchPos >= e.StartPos;
    if (!hit) {
      if (e.DownwardOnly || wrap > 0 || e.StartPos == 1) break;
      ++wrap;
      e.StartPos = 1;
      continue;
    }
    ++e.FindCount;
    e.LastHit = {cur, e.MatchPos + region.start - 1, e.MatchLen};
    if (e.FindCount > 1) break;
    wrap = 0;
    e.FirstHit = e.LastHit;
    if (e.FirstHit.position != start || e.FirstHit.length != sel) break;
    e.StartPos = e.MatchPos + Step(text, start);
    if (e.StartPos > region.length) {
      e.StartPos = 1;
      ++wrap;
    }
    hit = false;
  }
  auto selectRegion = [&] { SelectHit(page, region.start, region.length); };
  if (!hit) {
    selectRegion();
    NothingMore(caption);
    e.RunReset();
    return;
  }
  SelectHit(page, e.LastHit.position, e.LastHit.length);
  if (RunEndsAfterHit(wrap, caption)) {
    selectRegion();
    e.RunReset();
  }
}

// ---- Replace and next ----

void FindReplaceWindow::ReplaceNextAllNote() {
  SearchEngine& e = *engine_;
  const std::vector<Page*> pages = PagesOf(docs_);
  const int n = static_cast<int>(pages.size());
  const int activeIndex = ActiveIndex(docs_);
  if (n == 0 || activeIndex < 0) return;
  Page& active = *pages[activeIndex];
  int cur = activeIndex;
  const std::int64_t start = static_cast<std::int64_t>(active.Control().SelStart()) + 1;
  int& wrap = e.WrapCount[0];
  const std::string caption = Caption("置換して次", kAllNote);
  e.StartPos = start;
  wrap = 0;
  bool replaced = false;
  int to = n - 1;
  int hit = -1;
  for (int pass = 0; pass < 4 && wrap <= 1 && !(wrap > 0 && e.DownwardOnly); ++pass) {
    hit = -1;
    for (int j = cur; j <= to; ++j) {
      Page& page = *pages[j];
      if (NameMatches(page) && e.MatchInControl(page.Control()) && e.MatchPos >= e.StartPos) {
        if (!Same(e.LastHit, j, e.MatchPos, e.MatchLen)) ++e.FindCount;
        wrap = 0;
        e.LastHit = {j, e.MatchPos, e.MatchLen};
        hit = j;
        break;
      }
      e.StartPos = 1;
    }
    if (hit < 0) {
      if ((activeIndex == 0 && start == 1 && !replaced) || wrap > 1 || e.DownwardOnly) break;
      ++wrap;
      to = cur;
      cur = 0;
      e.StartPos = 1;
      continue;
    }
    // Only a selection that is exactly this match is replaced; otherwise the match is shown.
    if (hit != activeIndex || e.MatchPos != start ||
        static_cast<std::int64_t>(active.Control().SelLength()) != e.MatchLen || replaced) {
      break;
    }
    replaced = true;
    ++e.ReplaceCount;
    std::int64_t length = 0;
    if (!ReplaceSelectionWithExpansion(active, length)) return;
    cur = hit;
    e.StartPos = e.LastHit.position + length;
    hit = -1;
    if (e.StartPos > static_cast<std::int64_t>(active.Control().TextLength())) {
      e.StartPos = 1;
      ++cur;
      if (cur >= n) {
        if (e.DownwardOnly) {
          SelectHit(active, e.LastHit.position, length);
          break;
        }
        ++wrap;
        cur = 0;
      }
    }
  }
  if (hit < 0) {
    NothingMore(caption);
    e.RunReset();
    return;
  }
  Page& found = *pages[hit];
  MakeActive(found);
  SelectHit(found, e.LastHit.position, e.LastHit.length);
  view_.FocusBox(FindBox::Replace);
  e.FirstHit = e.LastHit;
  wrap = 0;
}

void FindReplaceWindow::ReplaceNextCurrentPad() {
  SearchEngine& e = *engine_;
  const int cur = ActiveIndex(docs_);
  if (cur < 0) return;
  Page& page = *docs_.ActivePage();
  TextControl& control = page.Control();
  if (e.FirstHit.pageIndex != cur) e.RunReset();
  const std::int64_t start = static_cast<std::int64_t>(control.SelStart()) + 1;
  int& wrap = e.WrapCount[1];
  const std::string caption = Caption("置換して次", EntryText(page));
  e.StartPos = start;
  wrap = 0;
  bool replaced = false;
  bool hit = false;
  for (int pass = 0; pass < 4 && wrap <= 1 && !(wrap > 0 && e.DownwardOnly); ++pass) {
    hit = e.MatchInControl(control) && e.MatchPos >= e.StartPos;
    if (!hit) {
      if ((e.StartPos == 1 && !replaced) || wrap > 1 || e.DownwardOnly) break;
      ++wrap;
      e.StartPos = 1;
      continue;
    }
    if (!Same(e.LastHit, cur, e.MatchPos, e.MatchLen)) ++e.FindCount;
    wrap = 0;
    e.LastHit = {cur, e.MatchPos, e.MatchLen};
    if (e.MatchPos != start || static_cast<std::int64_t>(control.SelLength()) != e.MatchLen ||
        replaced)
      break;
    replaced = true;
    ++e.ReplaceCount;
    std::int64_t length = 0;
    if (!ReplaceSelectionWithExpansion(page, length)) return;
    e.StartPos = e.LastHit.position + length;
    hit = false;
    if (e.StartPos > static_cast<std::int64_t>(control.TextLength())) {
      if (e.DownwardOnly) {
        SelectHit(page, e.LastHit.position, length);
        break;
      }
      ++wrap;
      e.StartPos = 1;
    }
  }
  if (!hit) {
    NothingMore(caption);
    e.RunReset();
    return;
  }
  SelectHit(page, e.LastHit.position, e.LastHit.length);
  view_.FocusBox(FindBox::Replace);
  e.FirstHit = e.LastHit;
  wrap = 0;
}

void FindReplaceWindow::ReplaceNextSelText() {
  SearchEngine& e = *engine_;
  const int cur = ActiveIndex(docs_);
  if (cur < 0) return;
  Page& page = *docs_.ActivePage();
  TextControl& control = page.Control();
  if (e.FirstHit.pageIndex != cur) e.RunReset();
  const std::int64_t start = static_cast<std::int64_t>(control.SelStart()) + 1;
  const std::int64_t sel = static_cast<std::int64_t>(control.SelLength());
  int& wrap = e.WrapCount[2];
  const std::string caption = Caption("置換して次", kSelText);

  e.StartPos = start;
  if (NewRegion(e, start, sel)) {
    e.RunReset();
    if (sel < 1) {
      ui_.ShowMessageBox(kNoSelection, MB_OK | MB_ICONERROR, caption);
      return;
    }
    e.SelectionRegion = {start, sel};
  } else if (e.StartPos < e.SelectionRegion.start ||
             e.StartPos > e.SelectionRegion.start + e.SelectionRegion.length) {
    e.StartPos = e.SelectionRegion.start;
  }
  SelectionRegionRecord& region = e.SelectionRegion;
  e.StartPos -= region.start - 1;
  wrap = 0;
  bool replaced = false;
  bool hit = false;
  for (int pass = 0; pass < 4 && wrap <= 1 && !(wrap > 0 && e.DownwardOnly); ++pass) {
    e.SetWorkingText(control.TextRange(static_cast<std::size_t>(region.start - 1),
                                       static_cast<std::size_t>(region.length)));
    hit = e.Match() && e.MatchPos >= e.StartPos;
    if (!hit) {
      if ((e.StartPos == 1 && !replaced) || wrap > 1 || e.DownwardOnly) break;
      ++wrap;
      e.StartPos = 1;
      continue;
    }
    const std::int64_t position = e.MatchPos + region.start - 1;
    if (!Same(e.LastHit, cur, position, e.MatchLen)) ++e.FindCount;
    wrap = 0;
    e.LastHit = {cur, position, e.MatchLen};
    if (position != start || e.MatchLen != sel || replaced) break;
    replaced = true;
    ++e.ReplaceCount;
    const std::int64_t relative = e.MatchPos;
    std::int64_t length = 0;
    if (!ReplaceSelectionWithExpansion(page, length)) return;
    region.length += length - sel;
    e.StartPos = relative + length;
    hit = false;
    if (e.StartPos <= region.length) continue;
    if (e.DownwardOnly) break;
    ++wrap;
    e.StartPos = 1;
  }
  if (!hit) {
    SelectHit(page, region.start, region.length);
    NothingMore(caption);
    e.RunReset();
    return;
  }
  SelectHit(page, e.LastHit.position, e.LastHit.length);
  view_.FocusBox(FindBox::Replace);
  e.FirstHit = e.LastHit;
  wrap = 0;
}

// ---- Replace all ----

void FindReplaceWindow::ReplaceAllAllNote() {
  SearchEngine& e = *engine_;
  const std::vector<Page*> pages = PagesOf(docs_);
  if (pages.empty()) return;
  e.ReplaceCount = 0;
  log_.BeginCommandGroup();
  // Pages repaint and the status panel clears however the loop ends.
  struct Cleanup {
    std::vector<Page*> suspended;
    FindWindowHost& host;
    ~Cleanup() {
      for (Page* page : suspended) page->Control().ResumePainting();
      host.SetStatusText("");
    }
  } cleanup{{}, host_};
  for (Page* page : pages) {
    if (!NameMatches(*page)) continue;
    host_.SetStatusText("置換処理中 - [" + page->DisplayName() +
                        "] 置換数 : " + std::to_string(e.ReplaceCount));
    ui_.ProcessPendingEvents();
    TextControl& control = page->Control();
    control.SuspendPainting();
    cleanup.suspended.push_back(page);
    if (ReplaceAllInRegion(*page, false, kUndoReplaceAllPages) == RegionReplace::Failed) break;
  }
  for (Page* page : cleanup.suspended) page->Control().ResumePainting();
  cleanup.suspended.clear();
  PlaceBesideCaret();
  host_.SetStatusText("");
  Info(DoneText(e.ReplaceCount), Caption("全て置換", kAllNote));
  e.RunReset();
}

void FindReplaceWindow::ReplaceAllCurrentPad() {
  SearchEngine& e = *engine_;
  Page* page = docs_.ActivePage();
  if (docs_.List().Empty() || page == nullptr) return;
  e.ReplaceCount = 0;
  host_.SetStatusText("▲置換処理中 - [" + page->DisplayName() + "]");
  ui_.ProcessPendingEvents();
  RegionReplace done = RegionReplace::Unchanged;
  try {
    PaintingSuspension painting(page->Control());
    done = ReplaceAllInRegion(*page, false, kUndoReplaceAll);
  } catch (...) {
    host_.SetStatusText("");
    throw;
  }
  if (done == RegionReplace::Failed || done == RegionReplace::Refused) {
    host_.SetStatusText("");
    return;
  }
  PlaceBesideCaret();
  host_.SetStatusText("");
  Info(DoneText(e.ReplaceCount), Caption("全て置換", page->DisplayName()));
  e.RunReset();
}

void FindReplaceWindow::ReplaceAllSelText() {
  SearchEngine& e = *engine_;
  Page* page = docs_.ActivePage();
  if (page == nullptr) return;
  if (page->Control().SelLength() < 1) {
    ui_.ShowMessageBox(kNoSelection, MB_OK | MB_ICONWARNING, "全て置換 - [選択された文]");
    return;
  }
  e.ReplaceCount = 0;
  host_.SetStatusText("▲置換処理中 - [選択された文]");
  ui_.ProcessPendingEvents();
  RegionReplace done = RegionReplace::Unchanged;
  try {
    PaintingSuspension painting(page->Control());
    done = ReplaceAllInRegion(*page, true, kUndoReplaceSelection);
  } catch (...) {
    host_.SetStatusText("");
    throw;
  }
  PlaceBesideCaret();
  if (done == RegionReplace::Failed || done == RegionReplace::Refused) {
    host_.SetStatusText("");
    return;
  }
  host_.SetStatusText("");
  Info(DoneText(e.ReplaceCount), Caption("全て置換", kSelText));
  e.RunReset();
}

}  // namespace norra
