// The clipboard menu of the find window's two text boxes: which items are enabled and what
// cut, copy, paste and select-all do there (no undo: the boxes are not Pages).
#pragma once

namespace norra {

class Clipboard;
class TextControl;

struct ClipboardMenuState {
  bool cut = false;
  bool copy = false;
  bool paste = false;
  bool selectAll = false;

  bool operator==(const ClipboardMenuState&) const = default;
};

class TextBoxClipboard {
 public:
  // The items as the menu opens over `box`.
  static ClipboardMenuState MenuState(const TextControl& box, const Clipboard& clipboard);
  // The selected text to the clipboard, then removed from the box; nothing without a selection.
  static bool Cut(TextControl& box, Clipboard& clipboard);
  static bool Copy(const TextControl& box, Clipboard& clipboard);
  // The clipboard's text, put back on it as plain text alone, replaces the selection; nothing
  // when the clipboard holds no text.
  static bool Paste(TextControl& box, Clipboard& clipboard);
  // Selects the whole text (the menu item only offers it when there is text).
  static void SelectAll(TextControl& box);
};

}  // namespace norra
