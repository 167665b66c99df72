// One history list of the find window (find texts or replace texts) with its cursor and the
// flag that the box changed since its text was last stored.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

class TextControl;

class TextHistory {
 public:
  static constexpr std::size_t kMaxEntries = 30;
  // A row of the drop-down list shows at most this many bytes of its entry.
  static constexpr std::size_t kRowBytes = 200;

  // Entries, oldest first (CP932, line breaks CR LF).
  const std::vector<std::string>& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  bool Empty() const { return entries_.empty(); }
  // The entry last recalled or stored; Count() when the box changed since.
  int Cursor() const { return cursor_; }
  // The box changed since its text was last stored.
  bool Pending() const { return pending_; }

  // The box's change handler: its text is no longer the one stored or recalled.
  void BoxChanged();

  // Stores the box's whole text (an empty one too) as the newest entry, unless it is still the
  // text stored last. A text recalled from an older entry moves to the newest place; beyond
  // kMaxEntries the oldest goes. Returns whether the list changed.
  bool Store(std::string_view boxText);

  // Puts entry `index` into the box with all of it selected and makes it the cursor; nothing
  // for an index outside the list. The box then counts as changed, so the next Store moves
  // the recalled text to the newest place.
  bool Recall(int index, TextControl& box);

  // The rows of the drop-down list, newest first: each entry cut to kRowBytes (never inside
  // a two-byte character or a line break), with every CR LF shown as "..".
  std::vector<std::string> Rows() const;
  // The row of the cursor, or -1 when the cursor stands past the last entry.
  int CursorRow() const;
  // The entry a row stands for, or -1 for a row outside the list.
  int EntryOfRow(int row) const;

  // The row text of one entry (see Rows).
  static std::string RowText(std::string_view entry);

  // Replaces the list with stored entries (oldest first; only the newest kMaxEntries are
  // kept). The box is taken to hold none of them, so the next Store appends.
  void Restore(std::vector<std::string> entries);

 private:
  std::vector<std::string> entries_;
  int cursor_ = 1;  // as the window starts: the list is empty then, so it points at nothing
  bool pending_ = true;
};

}  // namespace norra
