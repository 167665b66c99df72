// A byte-buffer TextControl for tests and tools.
#pragma once

#include <limits>

#include "platform/TextControl.h"
#include "text/FoldedText.h"
#include "text/TextVersion.h"

namespace norra {

class MemoryTextControl : public TextControl {
 public:
  MemoryTextControl() = default;
  explicit MemoryTextControl(std::string text) : text_(std::move(text)) {}

  std::string Text() const override { return text_; }
  std::size_t TextLength() const override { return text_.size(); }
  std::size_t SelStart() const override { return selStart_; }
  std::size_t SelLength() const override { return selLength_; }
  std::string SelText() const override;
  void SetSelection(std::size_t start, std::size_t length) override;
  bool ReplaceSelection(std::string_view text) override;
  std::size_t MaxLength() const override { return maxLength_; }
  void ScrollCaret() override { ++scrollCount_; }
  bool Modified() const override { return modified_; }
  void SetModified(bool modified) override { modified_ = modified; }

  // Test set-up: replaces the text without counting an edit; selection goes to 0.
  void SetText(std::string text);
  void SetMaxLength(std::size_t maxLength) { maxLength_ = maxLength; }
  // Makes the next edits fail, as a control that refuses a paste would.
  void SetFailEdits(bool fail) { failEdits_ = fail; }
  // Makes the next program edits throw, as a control that runs out of memory would.
  void SetThrowOnEdit(bool on) { throwOnEdit_ = on; }

  const std::string& Buffer() const { return text_; }
  std::size_t EditCount() const { return editCount_; }
  std::size_t ScrollCount() const { return scrollCount_; }

  std::string_view TextView() const override { return text_; }
  std::string_view FoldedTextView() const override { return folded_.View(SplitText{text_, {}}); }
  std::uint64_t TextVersion() const override { return version_; }
  std::string TextRange(std::size_t start, std::size_t length) const override;
  void ResetText(std::string_view text) override;
  void SetSelectionBackwards(std::size_t start, std::size_t length) override;
  bool SelectionBackwards() const override { return backwards_; }
  void LimitText(std::size_t maxLength) override { maxLength_ = maxLength; }
  std::size_t LineFromOffset(std::size_t offset) const override;
  std::size_t LineStart(std::size_t line) const override;
  std::size_t LineCount() const override { return LineFromOffset(text_.size()) + 1; }
  std::size_t FirstVisibleLine() const override { return firstVisibleLine_; }
  bool WordWrap() const override { return wordWrap_; }
  void SetWordWrap(bool on) override { wordWrap_ = on; }
  bool HideSelection() const override { return hideSelection_; }
  void SetHideSelection(bool hide) override { hideSelection_ = hide; }
  bool WantTabs() const override { return wantTabs_; }
  void SetWantTabs(bool on) override { wantTabs_ = on; }
  void ResetCaretColumn() override { goalColumn_ = kNoColumn; }
  void SetTabWidth(int columns) override { tabWidth_ = columns; }
  int TabWidth() const { return tabWidth_; }
  void SuspendPainting() override { ++paintingSuspended_; }
  void ResumePainting() override {
    if (paintingSuspended_ > 0) --paintingSuspended_;
  }

  // Acting as the user, the way a plain-text rich-edit control does: each call raises the
  // events a real control raises, and does the control's own work unless a key is swallowed.
  // Up and Down keep the column of the caret's last sideways move, as real controls do.
  // PressKey: Backspace (Ctrl: to the start of the word), Delete (Ctrl: to the end of the
  // word; with a selection both remove it), Enter, Tab, the arrows, Home,
  // End, Page Up/Down (Shift extends the selection, Ctrl+Home/End go to the ends); other keys
  // only raise the key-down event. Returns false when the key was swallowed.
  bool PressKey(int key, unsigned shift = 0);
  // Types one character (1 or 2 bytes in CP932, 1 to 4 in UTF-8): key down, key press, then the edit. A key code of -1
  // takes the one a keyboard gives (letters upper-cased, 0 for other characters).
  void TypeChar(std::string_view character, int keyCode = -1);
  // Types each character (in the control's charset); a CR LF pair is the Enter key.
  void TypeText(std::string_view text);
  // An input-method composition that commits `cp932` over the selection.
  void Compose(std::string_view cp932);
  // A click that puts the caret at offset.
  void ClickAt(std::size_t offset);
  void Focus();
  // The caret: the moving end of the selection.
  std::size_t Caret() const { return backwards_ ? selStart_ : selStart_ + selLength_; }
  std::size_t PaintingSuspendDepth() const { return paintingSuspended_; }
  void SetFirstVisibleLine(std::size_t line) { firstVisibleLine_ = line; }

 private:
  std::string text_;
  mutable FoldedText folded_;  // text_ upper-cased, once a search asked for it
  std::uint64_t version_ = NewTextVersion();
  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
  std::size_t maxLength_ = std::numeric_limits<std::size_t>::max();
  bool modified_ = false;
  bool failEdits_ = false;
  bool throwOnEdit_ = false;
  std::size_t editCount_ = 0;
  std::size_t scrollCount_ = 0;

  // For typing and ReplaceSelection alike; false when refused by the length limit.
  bool InsertOverSelection(std::string_view text);
  void MoveCaret(std::size_t caret, bool extend);
  std::size_t CharStartBefore(std::size_t offset) const;
  std::size_t CharEndAfter(std::size_t offset) const;
  void NotifyText();
  void NotifySelection();

  bool backwards_ = false;
  bool wordWrap_ = false;
  bool wantTabs_ = true;
  bool hideSelection_ = false;
  std::size_t paintingSuspended_ = 0;
  std::size_t firstVisibleLine_ = 0;
  static constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);
  std::size_t goalColumn_ = kNoColumn;  // the column Up and Down keep to
  int tabWidth_ = 8;
};

}  // namespace norra
