// One step of the undo history and the kinds of change a step takes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace norra {

class Page;

// What a record undoes. The code of any typed key is a kind as well (typing); the key codes
// named here are the keys with an undo of their own.
enum UndoKind : int {
  kUndoTyping = 0,              // typed characters (so is any other key code)
  kUndoBackspace = 8,           // Backspace
  kUndoTab = 9,                 // indent inserted by Tab
  kUndoEnter = 13,              // line break with its indent
  kUndoDelete = 46,             // Delete
  kUndoCut = -11,               // cut
  kUndoPaste = -12,             // paste
  kUndoReplaceOne = -13,        // one match replaced
  kUndoReplaceAll = -14,        // replace all in one Page
  kUndoReplaceSelection = -15,  // replace all in the selection
  kUndoReplaceAllPages = -16,   // replace all over every Page: one record per Page, one group
  kUndoUnindentAfter = -20,     // Shift+Tab removing indent after the caret
  kUndoUnindentBefore = -21,    // Shift+Tab removing indent before the caret
  kUndoDeleteWord = -22,        // Ctrl+Delete
  kUndoComposition = -23,       // input-method composition
  kUndoQuoteAll = -24,          // quote all
  kUndoInsertFileName = -25,    // insert file name
  kUndoInsertDateTime = -26,    // insert date and time
  kPendingAfterChar = -27,      // pending only: overwrite emulation after a character
  kPendingBackward = -28,       // pending only: after Backspace or a move to the left
};

struct UndoRecord {
  Page* page = nullptr;
  int kind = kUndoTyping;
  std::size_t startBefore = 0;      // selection start before the change
  std::size_t positionAfter = 0;    // caret after the change
  std::size_t selLengthBefore = 0;  // length of the selection the change replaced or removed
  std::size_t selLengthAfter = 0;   // replace in selection and replace all only
  std::size_t textLength = 0;       // bytes this record holds at the end of its Page's UndoText
  long group = 0;                   // group number current when the record was added
  // A replace all may hold only a delta (ReplaceDelta) instead of the old text; it is undone
  // only while the text it rebuilds from still has the length and fingerprint taken here
  // (the whole text for -14 and -16, the selection after for -15).
  bool delta = false;
  std::size_t newLength = 0;
  std::uint64_t newHash = 0;
};

// A record that undo took back, kept so that redo can make its change again. Its text is what
// the undo removed (for a delta record, a delta that rebuilds that from the restored text); it
// is redone only while the Page still holds exactly what the undo left.
struct RedoRecord {
  UndoRecord record;
  std::string text;
  std::size_t start = 0;        // where the undo put the record's kept text back
  std::size_t length = 0;       // how long that is
  std::size_t pageLength = 0;   // the Page's text length after the undo
  std::uint64_t hash = 0;       // fingerprint of the kept text as the undo put it back
  std::size_t changeBytes = 0;  // bytes the redo puts in (all of them, also when `text` is a delta)
};

}  // namespace norra
