// The undo history: records and their texts, undo by kind, trimming, descriptions.
#include "documents/UndoHistory.h"

#include <algorithm>
#include <list>
#include <new>
#include <stdexcept>

#include "documents/Page.h"
#include "documents/ReplaceDelta.h"
#include "platform/TextControl.h"

namespace norra {

void UndoHistory::SetUndoEnabled(bool on) {
  if (on == enabled_) return;
  ClearUndoLog();
  enabled_ = on;
}

void UndoHistory::SetClearOnBigChange(bool on, std::size_t maxLogBytes) {
  clearOnBigChange_ = on;
  maxLogBytes_ = maxLogBytes;
}

void UndoHistory::SetTrimming(bool on, std::size_t startBytes, std::size_t endBytes) {
  trimByBytes_ = on;
  trimStart_ = startBytes;
  trimEnd_ = endBytes;
}

void UndoHistory::SetCurrentPage(Page* page) {
  current_ = page;
  if (page != nullptr) EnsureListed(*page);
}

void UndoHistory::EnsureListed(Page& page) {
  if (std::find(textList_.begin(), textList_.end(), &page) == textList_.end())
    textList_.push_back(&page);
}

// ---- records ----

bool UndoHistory::AddRecord(Page& page, int kind, std::size_t startBefore,
                            std::size_t selLengthBefore, std::size_t positionAfter,
                            std::size_t selLengthAfter, std::string_view kept) {
  return Append({&page, kind, startBefore, positionAfter, selLengthBefore, selLengthAfter, 0, 0},
                kept, kept.size());
}

bool UndoHistory::Append(UndoRecord record, std::string_view held, std::size_t changeBytes) {
  ClearRedo();
  if (!enabled_) return false;
  record.group = group_;
  return Store(record, held, changeBytes, groupBytes_);
}

bool UndoHistory::Store(UndoRecord record, std::string_view held, std::size_t changeBytes,
                        std::size_t& groupBytes) {
  if (!enabled_) return false;
  changed_ = true;
  if (clearOnBigChange_) {
    if (record.kind == kUndoReplaceAllPages) {
      groupBytes += changeBytes;
      if (groupBytes >= maxLogBytes_) {
        ClearUndoLog();
        return false;
      }
    }
    if (changeBytes >= maxLogBytes_) {
      ClearUndoLog();
      return false;
    }
  }
  record.textLength = held.size();
  try {
    EnsureListed(*record.page);
    records_.push_back(record);
    try {
      record.page->UndoText().Append(held);
    } catch (...) {
      records_.pop_back();
      throw;
    }
  } catch (const std::bad_alloc&) {
    ClearUndoLog();
    return false;
  } catch (const std::length_error&) {
    ClearUndoLog();
    return false;
  }
  // Trimming counts the bytes records hold, which is what it frees.
  totalBytes_ += held.size();
  trimNeeded_ = trimByBytes_;
  return true;
}

void UndoHistory::SetCommandTarget(Page& page, KeepText keep) {
  TextControl& control = page.Control();
  target_ = CommandTarget{};
  target_.page = &page;
  target_.startBefore = control.SelStart();
  target_.selLengthBefore = control.SelLength();
  if (keep == KeepText::Selection) target_.keptText = control.SelText();
  if (keep == KeepText::WholeText) target_.keptText = control.Text();
  target_.startAfter = target_.startBefore;
}

void UndoHistory::TakeSelectionAfter() {
  if (target_.page == nullptr) return;
  target_.startAfter = target_.page->Control().SelStart();
  target_.selLengthAfter = target_.page->Control().SelLength();
}

bool UndoHistory::RecordCommand(int kind) {
  if (target_.page == nullptr) return false;
  UndoRecord record;
  record.page = target_.page;
  record.kind = kind;
  record.startBefore = target_.startBefore;
  record.positionAfter = target_.startAfter;
  record.selLengthBefore = target_.selLengthBefore;
  record.selLengthAfter = target_.selLengthAfter;
  const bool replaceAll =
      kind == kUndoReplaceAll || kind == kUndoReplaceSelection || kind == kUndoReplaceAllPages;
  std::optional<std::string> delta;
  if (enabled_ && replaceAll && !target_.replaced.empty()) {
    try {
      delta = MakeDelta(record);
    } catch (const std::exception&) {
      delta.reset();  // the whole text is kept instead
    }
    if (!delta) record.delta = false;
  }
  std::vector<ReplacedSpan>().swap(target_.replaced);  // of no use once recorded
  const std::size_t changeBytes = target_.keptText.size();
  const bool kept = Append(
      record, delta ? std::string_view(*delta) : std::string_view(target_.keptText), changeBytes);
  // The record's texts are in the Page's buffer now (or only its delta is): the whole text
  // the target took goes at once, not when the next command comes.
  std::string().swap(target_.keptText);
  return kept;
}

std::optional<std::string> UndoHistory::MakeDelta(UndoRecord& record) const {
  const std::string& kept = target_.keptText;
  std::optional<std::string> delta = ReplaceDelta::Encode(target_.replaced, kept);
  if (!delta || delta->size() >= kept.size()) return std::nullopt;
  const TextControl& control = record.page->Control();
  std::string range;
  std::string_view after;
  if (record.kind == kUndoReplaceSelection) {
    range = control.TextRange(record.positionAfter, record.selLengthAfter);
    if (range.size() != record.selLengthAfter) return std::nullopt;
    after = range;
  } else {
    after = control.TextView();
  }
  // A delta is kept only when it gives back exactly the text it stands for.
  if (!ReplaceDelta::Rebuilds(after, *delta, kept)) return std::nullopt;
  record.delta = true;
  record.newLength = after.size();
  record.newHash = ReplaceDelta::Hash(after);
  return delta;
}

void UndoHistory::BeginCommandGroup() {
  if (!enabled_) return;
  ++group_;
  groupBytes_ = 0;
}

void UndoHistory::ClearRedo() {
  if (redo_.empty()) return;
  redo_.clear();
  redo_.shrink_to_fit();
  redoBytes_ = 0;
  changed_ = true;
}

void UndoHistory::ClearUndoLog() {
  ClearRedo();
  records_.clear();
  for (Page* page : textList_) page->UndoText().Clear();
  textList_.clear();
  if (current_ != nullptr) textList_.push_back(current_);
  totalBytes_ = 0;
  changed_ = true;
}

void UndoHistory::DropPageUndo(Page& page) {
  std::erase_if(records_, [&page](const UndoRecord& record) { return record.page == &page; });
  std::erase_if(redo_, [this, &page](const RedoRecord& redo) {
    if (redo.record.page != &page) return false;
    redoBytes_ -= std::min(redoBytes_, redo.text.size());
    return true;
  });
  totalBytes_ -= std::min(totalBytes_, page.UndoText().Size());
  page.UndoText().Clear();
  std::erase(textList_, &page);
  changed_ = true;
}

void UndoHistory::PageGone(Page& page) {
  DropPageUndo(page);
  if (current_ == &page) current_ = nullptr;
  if (target_.page == &page) target_ = CommandTarget{};
}

void UndoHistory::DropOldest() {
  const UndoRecord& oldest = records_.front();
  oldest.page->UndoText().DropFront(oldest.textLength);
  totalBytes_ -= std::min(totalBytes_, oldest.textLength);
  records_.pop_front();
}

void UndoHistory::DropFarthestRedo() {
  redoBytes_ -= std::min(redoBytes_, redo_.front().text.size());
  redo_.pop_front();
}

bool UndoHistory::TrimUndoLog() {
  if (!trimNeeded_) return false;
  trimNeeded_ = false;
  auto held = [this] { return totalBytes_ + redoBytes_; };
  if (held() <= trimStart_ || (records_.empty() && redo_.empty())) return false;
  if (!records_.empty()) {
    UndoRecord last;
    do {
      last = records_.front();
      DropOldest();
    } while (held() > trimEnd_ && !records_.empty());
    // A group goes as a whole: half of a replace over all Pages cannot be taken back.
    if (last.kind == kUndoReplaceAllPages) {
      while (!records_.empty() && records_.front().kind == kUndoReplaceAllPages &&
             records_.front().group == last.group) {
        DropOldest();
      }
    }
  }
  // Then the redo records that would be redone last; a group of them also goes whole.
  if (held() > trimEnd_ && !redo_.empty()) {
    RedoRecord last;
    do {
      last.record = redo_.front().record;
      DropFarthestRedo();
    } while (held() > trimEnd_ && !redo_.empty());
    if (last.record.kind == kUndoReplaceAllPages) {
      while (!redo_.empty() && redo_.front().record.kind == kUndoReplaceAllPages &&
             redo_.front().record.group == last.record.group) {
        DropFarthestRedo();
      }
    }
  }
  changed_ = true;
  return true;
}

std::size_t UndoHistory::MemoryFootprint() const {
  std::size_t bytes = sizeof(*this) + records_.size() * sizeof(UndoRecord) +
                      redo_.size() * sizeof(RedoRecord);
  for (const Page* page : textList_) bytes += page->UndoText().Footprint();
  for (const RedoRecord& redo : redo_) bytes += redo.text.capacity();
  return bytes;
}

// ---- undo ----

namespace {

// What a record did, as the undo and redo captions name it.
std::string Describe(const UndoRecord& record) {
  switch (record.kind) {
    case kUndoBackspace:
    case kUndoDelete:
    case kUndoUnindentAfter:
    case kUndoUnindentBefore:
    case kUndoDeleteWord:
      return "削除";
    case kUndoCut:
      return "切り取り";
    case kUndoPaste:
      return "貼り付け";
    case kUndoReplaceOne:
      return "逐次置換";
    case kUndoReplaceAll:
      return "すべて置換";
    case kUndoReplaceSelection:
      return "選択範囲置換";
    case kUndoReplaceAllPages:
      return "すべて置換 - [ﾒﾓ帳全体]";
    case kUndoQuoteAll:
      return "まとめて引用";
    case kUndoInsertFileName:
      return "ﾌｧｲﾙ名挿入";
    case kUndoInsertDateTime:
      return "日付と時刻";
    default:  // typing, composition, Tab, Enter
      if (record.selLengthBefore == 0) return "挿入";
      if (record.positionAfter > record.startBefore) return "上書き";
      return "削除";
  }
}

// The caption of an undo or redo item: the action, and the Page when it is not the current one
// (a replace over every Page names none).
std::string Caption(const char* prefix, const UndoRecord& record, const Page* current) {
  std::string caption = prefix + Describe(record);
  if (record.page != current && record.kind != kUndoReplaceAllPages) {
    caption += " - [" + record.page->DisplayName() + "]";
  }
  return caption;
}

bool ReplacesWholeText(int kind) {
  return kind == kUndoReplaceAll || kind == kUndoReplaceAllPages;
}

// Replaces the selection, checking that the control took all of it.
bool InsertChecked(TextControl& control, std::string_view text) {
  const std::size_t expected = control.TextLength() - control.SelLength() + text.size();
  return control.ReplaceSelection(text) && control.TextLength() == expected;
}

}  // namespace

UndoDescription UndoHistory::DescribeUndo() const {
  if (!enabled_) return {false, "[戻す]機能:OFF"};
  if (records_.empty()) return {false, "元に戻せません"};
  return {true, Caption("戻す(&U) ", records_.back(), current_)};
}

UndoDescription UndoHistory::DescribeRedo() const {
  if (!enabled_ || redo_.empty()) return {false, "やり直し"};
  return {true, Caption("やり直し ", redo_.back().record, current_)};
}

bool UndoHistory::DeltaFits(const UndoRecord& record) const {
  const TextControl& control = record.page->Control();
  if (record.kind == kUndoReplaceSelection) {
    const std::size_t length = control.TextLength();
    if (record.positionAfter > length || record.selLengthAfter > length - record.positionAfter)
      return false;
    const std::string range = control.TextRange(record.positionAfter, record.selLengthAfter);
    return range.size() == record.newLength && ReplaceDelta::Hash(range) == record.newHash;
  }
  const std::string_view text = control.TextView();
  return text.size() == record.newLength && ReplaceDelta::Hash(text) == record.newHash;
}

bool UndoHistory::Restore(const UndoRecord& record, const std::string& held, RedoRecord& redo,
                          bool fitChecked) {
  TextControl& control = record.page->Control();
  const std::size_t length = control.TextLength();
  const std::size_t before = record.startBefore;
  const std::size_t after = record.positionAfter;
  // The stretch the change left, which the undo replaces by the kept text.
  std::size_t from = 0;
  std::size_t count = 0;
  switch (record.kind) {
    case kUndoBackspace:
    case kUndoDelete:
    case kUndoDeleteWord:
    case kUndoUnindentAfter:
    case kUndoUnindentBefore:
    case kUndoCut:
      from = after;
      break;
    case kUndoReplaceAll:
    case kUndoReplaceAllPages:
      count = length;
      break;
    case kUndoReplaceSelection:
      from = after;
      count = record.selLengthAfter;
      break;
    default:  // paste, replace one, typing, composition, Tab, Enter, quote all, insertions
      if (before > after) return false;
      from = before;
      count = after - before;
      break;
  }
  // Offsets beyond the text mean the record no longer fits it.
  if (from > length || count > length - from) return false;
  std::string range;
  std::string_view change;
  if (ReplacesWholeText(record.kind)) {
    change = control.TextView();
  } else {
    range = control.TextRange(from, count);
    change = range;
  }
  // A delta rebuilds the removed text from the text now there, which must be the text the
  // record was made against; anything else would put wrong bytes in.
  std::string rebuilt;
  if (record.delta) {
    if (!fitChecked &&
        (change.size() != record.newLength || ReplaceDelta::Hash(change) != record.newHash))
      return false;
    std::optional<std::string> old = ReplaceDelta::Rebuild(change, held);
    if (!old) return false;
    rebuilt = std::move(*old);
  }
  const std::string& kept = record.delta ? rebuilt : held;
  // What redo puts back is taken before the change goes; a delta record's redo keeps a delta too.
  redo.record = record;
  redo.changeBytes = change.size();
  if (record.delta) {
    std::optional<std::string> inverse = ReplaceDelta::Invert(change, held);
    if (inverse) {
      redo.text = std::move(*inverse);
      redo.text.shrink_to_fit();  // it may wait long; the encoder reserved for the worst case
    } else {
      redo.record.page = nullptr;
    }
  } else {
    redo.text.assign(change);
  }
  change = {};  // a view into the text, which the restore changes

  // Puts the removed text back at the position the record left.
  auto putBack = [&] {
    control.SetSelection(after, 0);
    return InsertChecked(control, kept);
  };
  std::string_view inserted = kept;
  switch (record.kind) {
    case kUndoBackspace:
      if (!putBack()) return false;
      if (record.selLengthBefore > 0) control.SetSelectionBackwards(after, kept.size());
      break;
    case kUndoDelete:
      if (!putBack()) return false;
      control.SetSelection(before, record.selLengthBefore);
      break;
    case kUndoDeleteWord:
    case kUndoUnindentAfter:
      if (!putBack()) return false;
      control.SetSelection(after, record.selLengthBefore);
      break;
    case kUndoUnindentBefore:
      if (!putBack()) return false;
      control.SetSelection(control.SelStart(), record.selLengthBefore);
      break;
    case kUndoCut:
      if (!putBack()) return false;
      control.SetSelectionBackwards(after, kept.size());
      break;
    case kUndoReplaceAll:
    case kUndoReplaceAllPages:
      if (!record.page->ReplaceWholeText(kept)) return false;
      control.SetSelection(before, record.selLengthBefore);
      break;
    case kUndoReplaceSelection:
      control.SetSelection(after, record.selLengthAfter);
      if (!InsertChecked(control, kept)) return false;
      control.SetSelectionBackwards(after, kept.size());
      break;
    case kUndoPaste:
    case kUndoReplaceOne:
      control.SetSelectionBackwards(before, after - before);
      if (!InsertChecked(control, kept)) return false;
      control.SetSelectionBackwards(before, kept.size());
      break;
    default:  // typing, composition, Tab, Enter, quote all, insertions
      if (record.selLengthBefore == 0) inserted = {};
      control.SetSelectionBackwards(before, after - before);
      if (!InsertChecked(control, inserted)) return false;
      control.SetSelectionBackwards(before, record.selLengthBefore);
      break;
  }
  redo.start = from;
  redo.length = inserted.size();
  redo.pageLength = control.TextLength();
  redo.hash = ReplaceDelta::Hash(inserted);
  return true;
}

void UndoHistory::KeepRedo(std::vector<RedoRecord> taken) {
  std::size_t bytes = 0;
  for (const RedoRecord& redo : taken) {
    if (redo.record.page == nullptr) {
      ClearRedo();
      return;
    }
    bytes += redo.changeBytes;
  }
  // The thresholds of the undo records hold here too: a step too large to keep leaves the
  // redo list empty, since what lies beyond it can no longer be reached.
  if (clearOnBigChange_ && bytes >= maxLogBytes_) {
    ClearRedo();
    return;
  }
  try {
    for (RedoRecord& redo : taken) {
      redoBytes_ += redo.text.size();
      redo_.push_back(std::move(redo));
    }
  } catch (const std::bad_alloc&) {
    ClearRedo();
    return;
  }
  trimNeeded_ = trimByBytes_;
  changed_ = true;
}

Page* UndoHistory::UndoStep() {
  if (records_.empty()) return nullptr;
  Page* result = nullptr;
  try {
    if (records_.back().kind == kUndoReplaceAllPages) {
      result = UndoGroup();
    } else {
      const UndoRecord record = records_.back();
      const std::string kept = record.page->UndoText().TakeBack(record.textLength);
      totalBytes_ -= std::min(totalBytes_, record.textLength);
      records_.pop_back();
      std::vector<RedoRecord> taken(1);
      bool ok = false;
      {
        PaintingSuspension painting(record.page->Control());
        ok = Restore(record, kept, taken.front());
      }
      if (ok) {
        record.page->Control().ResetCaretColumn();
        KeepRedo(std::move(taken));
        result = record.page;
      }
    }
  } catch (const std::exception&) {
    result = nullptr;
  }
  // A failed step leaves the text as it now is; the history no longer matches it.
  if (result == nullptr) ClearUndoLog();
  changed_ = true;
  return result;
}

Page* UndoHistory::UndoGroup() {
  const long group = records_.back().group;
  // Every Page of the group is checked before any is touched, so that a Page whose text no
  // longer fits its delta fails the step with all Pages as they are. Only the newest record of
  // a Page is checked: an older one fits the text its newer one restores.
  std::vector<const Page*> checked;
  for (auto it = records_.rbegin();
       it != records_.rend() && it->kind == kUndoReplaceAllPages && it->group == group; ++it) {
    if (std::find(checked.begin(), checked.end(), it->page) != checked.end()) continue;
    checked.push_back(it->page);
    if (it->delta && !DeltaFits(*it)) return nullptr;
  }
  std::vector<Page*> touched;
  std::vector<RedoRecord> taken;
  // Every Page touched paints again at the end, also when a restore throws.
  std::deque<PaintingSuspension> painting;
  Page* last = nullptr;
  bool ok = true;
  while (ok && !records_.empty() && records_.back().kind == kUndoReplaceAllPages &&
         records_.back().group == group) {
    const UndoRecord record = records_.back();
    const std::string kept = record.page->UndoText().TakeBack(record.textLength);
    totalBytes_ -= std::min(totalBytes_, record.textLength);
    records_.pop_back();
    // The newest record of each Page was checked above; an older one is checked as it comes.
    const bool newestOfPage =
        std::find(touched.begin(), touched.end(), record.page) == touched.end();
    if (newestOfPage) {
      touched.push_back(record.page);
      painting.emplace_back(record.page->Control());
    }
    ok = Restore(record, kept, taken.emplace_back(), newestOfPage);
    last = record.page;
  }
  if (!ok) return nullptr;
  KeepRedo(std::move(taken));
  return last;
}

// ---- redo ----

bool UndoHistory::RedoFits(const RedoRecord& redo) const {
  const TextControl& control = redo.record.page->Control();
  if (control.TextLength() != redo.pageLength || redo.start > redo.pageLength ||
      redo.length > redo.pageLength - redo.start)
    return false;
  if (ReplacesWholeText(redo.record.kind)) {
    return ReplaceDelta::Hash(control.TextView()) == redo.hash;
  }
  return ReplaceDelta::Hash(control.TextRange(redo.start, redo.length)) == redo.hash;
}

std::optional<std::string> UndoHistory::Reapply(const RedoRecord& redo) {
  if (!RedoFits(redo)) return std::nullopt;
  const UndoRecord& record = redo.record;
  Page& page = *record.page;
  TextControl& control = page.Control();
  const bool whole = ReplacesWholeText(record.kind);
  // What the undo put back becomes the undo record's kept text again.
  std::string restored = whole ? control.Text() : control.TextRange(redo.start, redo.length);
  std::string rebuilt;
  if (record.delta) {
    std::optional<std::string> changed = ReplaceDelta::Rebuild(restored, redo.text);
    if (!changed) return std::nullopt;
    rebuilt = std::move(*changed);
  }
  const std::string& text = record.delta ? rebuilt : redo.text;
  if (whole) {
    if (!page.ReplaceWholeText(text)) return std::nullopt;
  } else {
    control.SetSelection(redo.start, redo.length);
    if (!InsertChecked(control, text)) return std::nullopt;
  }
  control.SetSelection(record.positionAfter, record.selLengthAfter);
  if (record.delta) return ReplaceDelta::Invert(restored, redo.text);
  return restored;
}

Page* UndoHistory::RedoStep() {
  if (redo_.empty()) return nullptr;
  Page* result = nullptr;
  try {
    if (redo_.back().record.kind == kUndoReplaceAllPages) {
      result = RedoGroup();
    } else {
      const RedoRecord redo = std::move(redo_.back());
      redo_.pop_back();
      redoBytes_ -= std::min(redoBytes_, redo.text.size());
      std::optional<std::string> kept;
      {
        PaintingSuspension painting(redo.record.page->Control());
        kept = Reapply(redo);
      }
      if (kept) {
        redo.record.page->Control().ResetCaretColumn();
        std::size_t groupBytes = 0;
        Store(redo.record, *kept, redo.length, groupBytes);
        result = redo.record.page;
      }
    }
  } catch (const std::exception&) {
    result = nullptr;
  }
  // A text that is no longer what the undo left is refused: nothing more of the history fits.
  if (result == nullptr) ClearUndoLog();
  changed_ = true;
  return result;
}

Page* UndoHistory::RedoGroup() {
  const long group = redo_.back().record.group;
  std::vector<RedoRecord> taken;
  while (!redo_.empty() && redo_.back().record.kind == kUndoReplaceAllPages &&
         redo_.back().record.group == group) {
    taken.push_back(std::move(redo_.back()));
    redo_.pop_back();
    redoBytes_ -= std::min(redoBytes_, taken.back().text.size());
  }
  // Every Page is checked before any is touched (the first record of a Page: a later one fits
  // the text its earlier one makes).
  std::vector<const Page*> checked;
  for (const RedoRecord& redo : taken) {
    if (std::find(checked.begin(), checked.end(), redo.record.page) != checked.end()) continue;
    checked.push_back(redo.record.page);
    if (!RedoFits(redo)) return nullptr;
  }
  std::vector<Page*> touched;
  std::deque<PaintingSuspension> painting;
  std::vector<std::string> kept;
  kept.reserve(taken.size());
  for (const RedoRecord& redo : taken) {
    Page* page = redo.record.page;
    if (std::find(touched.begin(), touched.end(), page) == touched.end()) {
      touched.push_back(page);
      painting.emplace_back(page->Control());
    }
    std::optional<std::string> held = Reapply(redo);
    if (!held) return nullptr;
    kept.push_back(std::move(*held));
  }
  // The group's records come back in their order, under their own group number.
  std::size_t groupBytes = 0;
  for (std::size_t i = 0; i < taken.size(); ++i) {
    if (!Store(taken[i].record, kept[i], taken[i].length, groupBytes)) break;
  }
  return taken.back().record.page;
}

}  // namespace norra
