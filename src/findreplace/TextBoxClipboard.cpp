// Cut, copy, paste and select-all in the find window's text boxes.
#include "findreplace/TextBoxClipboard.h"

#include "platform/Clipboard.h"
#include "platform/TextControl.h"

namespace norra {

ClipboardMenuState TextBoxClipboard::MenuState(const TextControl& box, const Clipboard& clipboard) {
  ClipboardMenuState state;
  state.selectAll = box.TextLength() > 0;
  state.cut = state.copy = box.SelLength() > 0;
  state.paste = clipboard.HasText();
  return state;
}

bool TextBoxClipboard::Cut(TextControl& box, Clipboard& clipboard) {
  if (box.SelLength() == 0) return false;
  if (!clipboard.SetText(box.SelText())) return false;
  return box.ReplaceSelection("");
}

bool TextBoxClipboard::Copy(const TextControl& box, Clipboard& clipboard) {
  if (box.SelLength() == 0) return false;
  return clipboard.SetText(box.SelText());
}

bool TextBoxClipboard::Paste(TextControl& box, Clipboard& clipboard) {
  const std::string text = clipboard.GetText();
  if (text.empty()) return false;
  // Other formats on the clipboard are dropped: what was pasted is what stays there.
  clipboard.SetText(text);
  return box.ReplaceSelection(text);
}

void TextBoxClipboard::SelectAll(TextControl& box) {
  box.SetSelection(0, box.TextLength());
}

}  // namespace norra
