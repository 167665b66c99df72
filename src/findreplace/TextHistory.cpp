// The find window's history lists: storing, recalling and the rows of the drop-down list.
#include "findreplace/TextHistory.h"

#include "platform/TextControl.h"
#include "text/Cp932.h"

namespace norra {

void TextHistory::BoxChanged() {
  pending_ = true;
  cursor_ = Count();
}

bool TextHistory::Store(std::string_view boxText) {
  if (!pending_) return false;
  entries_.emplace_back(boxText);
  // A recalled older entry now stands at the newest place instead of twice.
  if (cursor_ >= 0 && cursor_ <= Count() - 2) entries_.erase(entries_.begin() + cursor_);
  if (entries_.size() > kMaxEntries) entries_.erase(entries_.begin());
  pending_ = false;
  cursor_ = Count() - 1;
  return true;
}

bool TextHistory::Recall(int index, TextControl& box) {
  if (index < 0 || index >= Count()) return false;
  const std::string text = entries_[index];
  box.ResetText(text);
  box.SetSelection(0, box.TextLength());
  BoxChanged();  // what the box's change handler does, whether or not the control raised it
  cursor_ = index;
  return true;
}

std::string TextHistory::RowText(std::string_view entry) {
  std::size_t keep = entry.size();
  if (keep > kRowBytes) {
    keep = entry[kRowBytes] == '\r' ? kRowBytes - 1 : kRowBytes;
    // Never half a character, never the CR of a split line break.
    std::size_t end = 0;
    while (end < keep) {
      const std::size_t step = CharStepAt(entry, end);
      if (end + step > keep) break;
      end += step;
    }
    keep = end;
    if (keep > 0 && entry[keep - 1] == '\r') --keep;
  }
  std::string row;
  row.reserve(keep);
  for (std::size_t i = 0; i < keep; ++i) {
    if (entry[i] == '\r' && i + 1 < keep && entry[i + 1] == '\n') {
      row += "..";
      ++i;
    } else {
      row += entry[i];
    }
  }
  return row;
}

std::vector<std::string> TextHistory::Rows() const {
  std::vector<std::string> rows;
  rows.reserve(entries_.size());
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) rows.push_back(RowText(*it));
  return rows;
}

int TextHistory::CursorRow() const {
  if (cursor_ < 0 || cursor_ >= Count()) return -1;
  return Count() - cursor_ - 1;
}

int TextHistory::EntryOfRow(int row) const {
  if (row < 0 || row >= Count()) return -1;
  return Count() - row - 1;
}

void TextHistory::Restore(std::vector<std::string> entries) {
  if (entries.size() > kMaxEntries) {
    entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(kMaxEntries));
  }
  entries_ = std::move(entries);
  // The window's initial cursor of 1 would delete entry 1 at the first store of a restored
  // list; the box holds none of the entries, so the cursor stands past them.
  pending_ = true;
  cursor_ = Count();
}

}  // namespace norra
