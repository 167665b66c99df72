// A byte-buffer text control.
#include "platform/MemoryTextControl.h"

#include <algorithm>
#include <stdexcept>

#include "text/Charset.h"

namespace norra {

std::string MemoryTextControl::SelText() const { return text_.substr(selStart_, selLength_); }

void MemoryTextControl::SetSelection(std::size_t start, std::size_t length) {
  selStart_ = std::min(start, text_.size());
  selLength_ = std::min(length, text_.size() - selStart_);
  backwards_ = false;
  NotifySelection();
}

bool MemoryTextControl::ReplaceSelection(std::string_view text) {
  if (throwOnEdit_) throw std::runtime_error("edit failed");
  if (failEdits_) return false;
  return InsertOverSelection(text);
}

void MemoryTextControl::SetText(std::string text) {
  goalColumn_ = kNoColumn;
  text_ = std::move(text);
  folded_.Clear();
  version_ = NewTextVersion();
  selStart_ = 0;
  selLength_ = 0;
  backwards_ = false;
}

// ---- the control's own behaviour, for driving the logic as a user would ----

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

void MemoryTextControl::NotifyText() {
  if (Events() != nullptr) Events()->TextChanged();
}

void MemoryTextControl::NotifySelection() {
  if (Events() != nullptr) Events()->SelectionChanged();
}

std::string MemoryTextControl::TextRange(std::size_t start, std::size_t length) const {
  start = std::min(start, text_.size());
  return text_.substr(start, length);
}

void MemoryTextControl::ResetText(std::string_view text) {
  goalColumn_ = kNoColumn;
  text_.assign(text);
  folded_.Clear();
  version_ = NewTextVersion();
  selStart_ = 0;
  selLength_ = 0;
  backwards_ = false;
  ++editCount_;
  NotifyText();
  NotifySelection();
}

void MemoryTextControl::SetSelectionBackwards(std::size_t start, std::size_t length) {
  selStart_ = std::min(start, text_.size());
  selLength_ = std::min(length, text_.size() - selStart_);
  backwards_ = selLength_ > 0;
  NotifySelection();
}

std::size_t MemoryTextControl::LineFromOffset(std::size_t offset) const {
  offset = std::min(offset, text_.size());
  std::size_t line = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    const char c = text_[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) ++line;
  }
  return line;
}

std::size_t MemoryTextControl::LineStart(std::size_t line) const {
  std::size_t i = 0;
  for (std::size_t found = 0; found < line; ++found) {
    while (i < text_.size() && !IsBreak(text_[i])) ++i;
    if (i >= text_.size()) return text_.size();
    i += (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ? 2 : 1;
  }
  return i;
}

// Line-break bytes are never second bytes, so stepping from the line start finds the
// character boundary without scanning the whole text.
std::size_t MemoryTextControl::CharStartBefore(std::size_t offset) const {
  if (offset == 0) return 0;
  if (offset >= 2 && text_[offset - 2] == '\r' && text_[offset - 1] == '\n') return offset - 2;
  std::size_t lineStart = offset;
  while (lineStart > 0 && !IsBreak(text_[lineStart - 1])) --lineStart;
  std::size_t pos = lineStart;
  std::size_t previous = lineStart;
  while (pos < offset) {
    previous = pos;
    pos += static_cast<std::size_t>(CharLengthAt(TextCharset(), text_, pos));
  }
  return previous;
}

std::size_t MemoryTextControl::CharEndAfter(std::size_t offset) const {
  if (offset >= text_.size()) return text_.size();
  if (text_[offset] == '\r' && offset + 1 < text_.size() && text_[offset + 1] == '\n') return offset + 2;
  return std::min(text_.size(), offset + static_cast<std::size_t>(CharLengthAt(TextCharset(), text_, offset)));
}

bool MemoryTextControl::InsertOverSelection(std::string_view text) {
  if (text_.size() - selLength_ + text.size() > maxLength_) return false;  // the control beeps
  text_.replace(selStart_, selLength_, text);
  folded_.Replace(selStart_, selLength_, text.size(), SplitText{text_, {}});
  version_ = NewTextVersion();
  selStart_ += text.size();
  selLength_ = 0;
  backwards_ = false;
  modified_ = true;
  ++editCount_;
  NotifyText();
  NotifySelection();
  return true;
}

void MemoryTextControl::MoveCaret(std::size_t caret, bool extend) {
  caret = std::min(caret, text_.size());
  if (extend) {
    const std::size_t anchor = backwards_ ? selStart_ + selLength_ : selStart_;
    if (caret < anchor) {
      selStart_ = caret;
      selLength_ = anchor - caret;
      backwards_ = true;
    } else {
      selStart_ = anchor;
      selLength_ = caret - anchor;
      backwards_ = false;
    }
  } else {
    selStart_ = caret;
    selLength_ = 0;
    backwards_ = false;
  }
  NotifySelection();
}

bool MemoryTextControl::PressKey(int key, unsigned shift) {
  if (Events() != nullptr && Events()->KeyDown(key, shift)) return false;
  const bool extend = (shift & kShiftKey) != 0;
  const bool ctrl = (shift & kCtrlKey) != 0;
  const std::size_t caret = Caret();
  auto lineOf = [this](std::size_t offset) { return LineFromOffset(offset); };
  auto lineEnd = [this](std::size_t line) {
    std::size_t end = LineStart(line);
    while (end < text_.size() && !IsBreak(text_[end])) ++end;
    return end;
  };
  auto verticalMove = [&](long lines) {
    const std::size_t line = lineOf(caret);
    const std::size_t column = goalColumn_ != kNoColumn ? goalColumn_ : caret - LineStart(line);
    const long last = static_cast<long>(LineCount()) - 1;
    const long target = std::clamp(static_cast<long>(line) + lines, 0L, last);
    const std::size_t start = LineStart(static_cast<std::size_t>(target));
    MoveCaret(std::min(start + column, lineEnd(static_cast<std::size_t>(target))), extend);
    goalColumn_ = column;
  };
  // Every other key of the control starts a new column.
  if (key != kKeyUp && key != kKeyDown && key != kKeyPageUp && key != kKeyPageDown) goalColumn_ = kNoColumn;
  switch (key) {
    case kKeyBack:
      if (selLength_ == 0) {
        if (selStart_ == 0) return true;
        std::size_t from = CharStartBefore(selStart_);
        if (ctrl) {  // the blanks before the caret and the word before them
          auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
          from = selStart_;
          while (from > 0 && isBlank(text_[from - 1])) --from;
          while (from > 0 && !isBlank(text_[from - 1]) && !IsBreak(text_[from - 1])) from = CharStartBefore(from);
          if (from == selStart_) from = CharStartBefore(selStart_);
        }
        selLength_ = selStart_ - from;
        selStart_ = from;
      }
      InsertOverSelection({});
      return true;
    case kKeyDelete:
      if (selLength_ == 0) {
        if (selStart_ >= text_.size()) return true;
        std::size_t end = CharEndAfter(selStart_);
        if (ctrl) {  // the rest of the word and the blanks after it
          auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
          end = selStart_;
          while (end < text_.size() && !isBlank(text_[end]) && !IsBreak(text_[end])) end = CharEndAfter(end);
          while (end < text_.size() && isBlank(text_[end])) ++end;
          if (end == selStart_) end = CharEndAfter(selStart_);
        }
        selLength_ = end - selStart_;
      }
      InsertOverSelection({});
      return true;
    case kKeyReturn:
      if (Events() == nullptr || !Events()->KeyPress(13)) InsertOverSelection("\r\n");
      return true;
    case kKeyTab:
      if (wantTabs_ && (Events() == nullptr || !Events()->KeyPress(9))) InsertOverSelection("\t");
      return true;
    case kKeyLeft:
      if (selLength_ > 0 && !extend) MoveCaret(selStart_, false);
      else MoveCaret(CharStartBefore(caret), extend);
      return true;
    case kKeyRight:
      if (selLength_ > 0 && !extend) MoveCaret(selStart_ + selLength_, false);
      else MoveCaret(CharEndAfter(caret), extend);
      return true;
    case kKeyHome:
      MoveCaret(ctrl ? 0 : LineStart(lineOf(caret)), extend);
      return true;
    case kKeyEnd:
      MoveCaret(ctrl ? text_.size() : lineEnd(lineOf(caret)), extend);
      return true;
    case kKeyUp:
      verticalMove(-1);
      return true;
    case kKeyDown:
      verticalMove(1);
      return true;
    case kKeyPageUp:
      verticalMove(-10);
      return true;
    case kKeyPageDown:
      verticalMove(10);
      return true;
    default:
      return true;
  }
}

void MemoryTextControl::TypeChar(std::string_view character, int keyCode) {
  if (character.empty()) return;
  if (keyCode < 0) {
    const unsigned char c = static_cast<unsigned char>(character[0]);
    keyCode = 0;
    if (character.size() == 1 && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ')) keyCode = c;
    if (character.size() == 1 && c >= 'a' && c <= 'z') keyCode = c - 'a' + 'A';
  }
  if (Events() != nullptr && Events()->KeyDown(keyCode, 0)) return;
  if (Events() != nullptr && Events()->KeyPress(static_cast<unsigned char>(character[0]))) return;
  goalColumn_ = kNoColumn;
  InsertOverSelection(character);
}

void MemoryTextControl::TypeText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      PressKey(kKeyReturn);
      i += 2;
      continue;
    }
    const std::size_t step = static_cast<std::size_t>(CharLengthAt(TextCharset(), text, i));
    TypeChar(text.substr(i, step));
    i += step;
  }
}

void MemoryTextControl::Compose(std::string_view cp932) {
  if (Events() != nullptr) Events()->CompositionStarted();
  if (!cp932.empty()) InsertOverSelection(cp932);
  if (Events() != nullptr) Events()->CompositionEnded();
}

void MemoryTextControl::ClickAt(std::size_t offset) {
  if (Events() != nullptr) Events()->MouseDown();
  MoveCaret(offset, false);
}

void MemoryTextControl::Focus() {
  if (Events() != nullptr) Events()->FocusReceived();
}

}  // namespace norra
