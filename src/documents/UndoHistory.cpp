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
  if (!enabled_) return false;
  changed_ = true;
  if (clearOnBigChange_) {
    if (record.kind == kUndoReplaceAllPages) {
      groupBytes_ += changeBytes;
      if (groupBytes_ >= maxLogBytes_) {
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
  record.group = group_;
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
  return Append(record, delta ? std::string_view(*delta) : std::string_view(target_.keptText),
                target_.keptText.size());
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

void UndoHistory::ClearUndoLog() {
  records_.clear();
  for (Page* page : textList_) page->UndoText().Clear();
  textList_.clear();
  if (current_ != nullptr) textList_.push_back(current_);
  totalBytes_ = 0;
  changed_ = true;
}

void UndoHistory::DropPageUndo(Page& page) {
  std::erase_if(records_, [&page](const UndoRecord& record) { return record.page == &page; });
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

bool UndoHistory::TrimUndoLog() {
  if (!trimNeeded_) return false;
  trimNeeded_ = false;
  if (totalBytes_ <= trimStart_ || records_.empty()) return false;
  UndoRecord last;
  do {
    last = records_.front();
    DropOldest();
  } while (totalBytes_ > trimEnd_ && !records_.empty());
  // A group goes as a whole: half of a replace over all Pages cannot be taken back.
  if (last.kind == kUndoReplaceAllPages) {
    while (!records_.empty() && records_.front().kind == kUndoReplaceAllPages &&
           records_.front().group == last.group) {
      DropOldest();
    }
  }
  changed_ = true;
  return true;
}

std::size_t UndoHistory::MemoryFootprint() const {
  std::size_t bytes = sizeof(*this) + records_.size() * sizeof(UndoRecord);
  for (const Page* page : textList_) bytes += page->UndoText().Footprint();
  return bytes;
}

// ---- undo ----

UndoDescription UndoHistory::DescribeUndo() const {
  if (!enabled_) return {false, "[戻す]機能:OFF"};
  if (records_.empty()) return {false, "元に戻せません"};
  const UndoRecord& newest = records_.back();
  std::string what;
  switch (newest.kind) {
    case kUndoBackspace:
    case kUndoDelete:
    case kUndoUnindentAfter:
    case kUndoUnindentBefore:
    case kUndoDeleteWord:
      what = "削除";
      break;
    case kUndoCut:
      what = "切り取り";
      break;
    case kUndoPaste:
      what = "貼り付け";
      break;
    case kUndoReplaceOne:
      what = "逐次置換";
      break;
    case kUndoReplaceAll:
      what = "すべて置換";
      break;
    case kUndoReplaceSelection:
      what = "選択範囲置換";
      break;
    case kUndoReplaceAllPages:
      what = "すべて置換 - [ﾒﾓ帳全体]";
      break;
    case kUndoQuoteAll:
      what = "まとめて引用";
      break;
    case kUndoInsertFileName:
      what = "ﾌｧｲﾙ名挿入";
      break;
    case kUndoInsertDateTime:
      what = "日付と時刻";
      break;
    default:  // typing, composition, Tab, Enter
      if (newest.selLengthBefore == 0) {
        what = "挿入";
      } else if (newest.positionAfter > newest.startBefore) {
        what = "上書き";
      } else {
        what = "削除";
      }
      break;
  }
  std::string caption = "戻す(&U) " + what;
  if (newest.page != current_ && newest.kind != kUndoReplaceAllPages) {
    caption += " - [" + newest.page->DisplayName() + "]";
  }
  return {true, caption};
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

bool UndoHistory::Restore(const UndoRecord& record, const std::string& held) {
  // A delta rebuilds the removed text from the text now there, which must be the text the
  // record was made against; anything else would put wrong bytes in.
  std::string rebuilt;
  if (record.delta) {
    if (!DeltaFits(record)) return false;
    const TextControl& control = record.page->Control();
    std::optional<std::string> old =
        record.kind == kUndoReplaceSelection
            ? ReplaceDelta::Rebuild(control.TextRange(record.positionAfter, record.selLengthAfter),
                                    held)
            : ReplaceDelta::Rebuild(control.TextView(), held);
    if (!old) return false;
    rebuilt = std::move(*old);
  }
  const std::string& kept = record.delta ? rebuilt : held;
  TextControl& control = record.page->Control();
  const std::size_t length = control.TextLength();
  const std::size_t before = record.startBefore;
  const std::size_t after = record.positionAfter;
  // Offsets beyond the text mean the record no longer fits it.
  auto insert = [&control](std::string_view text) {
    const std::size_t expected = control.TextLength() - control.SelLength() + text.size();
    return control.ReplaceSelection(text) && control.TextLength() == expected;
  };
  // Puts the removed text back at the position the record left.
  auto putBack = [&] {
    if (after > length) return false;
    control.SetSelection(after, 0);
    return insert(kept);
  };
  switch (record.kind) {
    case kUndoBackspace:
      if (!putBack()) return false;
      if (record.selLengthBefore > 0) control.SetSelectionBackwards(after, kept.size());
      return true;
    case kUndoDelete:
      if (!putBack()) return false;
      control.SetSelection(before, record.selLengthBefore);
      return true;
    case kUndoDeleteWord:
    case kUndoUnindentAfter:
      if (!putBack()) return false;
      control.SetSelection(after, record.selLengthBefore);
      return true;
    case kUndoUnindentBefore:
      if (!putBack()) return false;
      control.SetSelection(control.SelStart(), record.selLengthBefore);
      return true;
    case kUndoCut:
      if (!putBack()) return false;
      control.SetSelectionBackwards(after, kept.size());
      return true;
    case kUndoReplaceAll:
    case kUndoReplaceAllPages:
      if (!record.page->ReplaceWholeText(kept)) return false;
      control.SetSelection(before, record.selLengthBefore);
      return true;
    case kUndoReplaceSelection:
      if (after > length || record.selLengthAfter > length - after) return false;
      control.SetSelection(after, record.selLengthAfter);
      if (!insert(kept)) return false;
      control.SetSelectionBackwards(after, kept.size());
      return true;
    case kUndoPaste:
    case kUndoReplaceOne:
      if (before > after || after > length) return false;
      control.SetSelectionBackwards(before, after - before);
      if (!insert(kept)) return false;
      control.SetSelectionBackwards(before, kept.size());
      return true;
    default:  // typing, composition, Tab, Enter, quote all, insertions
      if (before > after || after > length) return false;
      control.SetSelectionBackwards(before, after - before);
      if (!insert(record.selLengthBefore == 0 ? std::string_view() : std::string_view(kept)))
        return false;
      control.SetSelectionBackwards(before, record.selLengthBefore);
      return true;
  }
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
      bool ok = false;
      {
        PaintingSuspension painting(record.page->Control());
        ok = Restore(record, kept);
      }
      if (ok) {
        record.page->Control().ResetCaretColumn();
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
    if (std::find(touched.begin(), touched.end(), record.page) == touched.end()) {
      touched.push_back(record.page);
      painting.emplace_back(record.page->Control());
    }
    ok = Restore(record, kept);
    last = record.page;
  }
  return ok ? last : nullptr;
}

}  // namespace norra
