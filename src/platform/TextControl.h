// The text-control port: what the program needs of a plain-text edit control.
// Text is CP932; positions and lengths are 0-based byte offsets into it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/CaseMap.h"
#include "text/Charset.h"
#include "text/ReplacedSpan.h"

namespace norra {

// Key codes carried by the key-down event: the classic virtual-key numbers, which undo records
// store as their kind. Views map their toolkit's keys onto these.
enum KeyCode : int {
  kKeyBack = 8,
  kKeyTab = 9,
  kKeyReturn = 13,
  kKeyShift = 16,
  kKeyControl = 17,
  kKeyEscape = 27,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
  kKeyDelete = 46,
  kKeyF1 = 112,  // F2 to F12 follow in order
  kKeyF2,
  kKeyF3,
  kKeyF4,
  kKeyF5,
  kKeyF6,
  kKeyF7,
  kKeyF8,
  kKeyF9,
  kKeyF10,
  kKeyF11,
  kKeyF12,
  kKeyProcess = 229,  // a key taken by the input method
};

// Modifier keys held with a key (bit set).
enum ShiftFlag : unsigned {
  kShiftKey = 1u << 0,
  kCtrlKey = 1u << 1,
  kAltKey = 1u << 2,
};

// What a text control reports to whoever listens (a Page). The defaults ignore everything.
class TextControlEvents {
 public:
  virtual ~TextControlEvents() = default;
  // Before the control acts on a key; true swallows it (the control then does nothing).
  virtual bool KeyDown(int /*key*/, unsigned /*shift*/) { return false; }
  // Before a typed character (a character code: 9 Tab, 13 Enter) goes in; true swallows it.
  virtual bool KeyPress(int /*character*/) { return false; }
  virtual void TextChanged() {}       // after every change of the text, typed or not
  virtual void SelectionChanged() {}  // after the caret or selection moved
  virtual void MouseDown() {}
  virtual void CompositionStarted() {}  // an input-method composition began
  virtual void CompositionEnded() {}    // it was committed or cancelled
  virtual void FocusReceived() {}
  // Text the user typed, dropped or composed was refused whole: the document's encoding cannot
  // hold these characters (UTF-8, each once).
  virtual void TextRefused(const std::string& /*characters*/) {}
};

class TextControl {
 public:
  virtual ~TextControl() = default;

  virtual std::string Text() const = 0;  // the whole text
  virtual std::size_t TextLength() const = 0;

  virtual std::size_t SelStart() const = 0;
  virtual std::size_t SelLength() const = 0;
  virtual std::string SelText() const = 0;
  // Selects [start, start + length), clamped to the text; the caret goes to the end.
  virtual void SetSelection(std::size_t start, std::size_t length) = 0;

  // Replaces the selection with `text` as one edit (like a plain-text paste) and leaves the
  // caret after it. Returns false, changing nothing, when the result would exceed MaxLength.
  virtual bool ReplaceSelection(std::string_view text) = 0;
  // Replaces the `spans` (offsets from `start`, ascending) of [start, start + length) with
  // `replacements` (their new bytes, one after another) as one edit like ReplaceSelection. A
  // control may apply the spans one by one instead of taking a whole new text at once; this one
  // builds the whole text.
  virtual bool ReplaceSpans(std::size_t start, std::size_t length, std::string_view replacements,
                            const std::vector<ReplacedSpan>& spans) {
    const std::string_view old = TextView().substr(std::min(start, TextLength()), length);
    std::size_t newLength = old.size();
    for (const ReplacedSpan& span : spans) newLength += span.newLength - span.oldLength;
    std::string text;
    text.reserve(newLength);
    std::size_t copied = 0;
    std::size_t taken = 0;
    for (const ReplacedSpan& span : spans) {
      text.append(old.substr(copied, span.oldStart - copied));
      text.append(replacements.substr(taken, span.newLength));
      copied = span.oldStart + span.oldLength;
      taken += span.newLength;
    }
    text.append(old.substr(std::min(copied, old.size())));
    SetSelection(start, length);
    return ReplaceSelection(text);
  }
  // True when ReplaceSpans is cheaper than building the whole text (callers then need not).
  virtual bool TakesSpans() const { return false; }

  // Largest text the control holds, in bytes.
  virtual std::size_t MaxLength() const = 0;

  virtual void ScrollCaret() = 0;

  virtual bool Modified() const = 0;
  virtual void SetModified(bool modified) = 0;

  // The bytes [start, start + length), clamped to the text. Controls override this so that
  // per-key work never copies the whole text.
  virtual std::string TextRange(std::size_t start, std::size_t length) const {
    const std::string text = Text();
    start = std::min(start, text.size());
    return text.substr(start, length);
  }

  // The whole text without a copy, and the same with ToUpperCp932 applied (what a search
  // that ignores case compares); both stay valid until the text changes. Controls keep the
  // upper-cased text in step with their edits, so a find does not fold the whole text every
  // time; these defaults make both afresh.
  virtual std::string_view TextView() const {
    viewText_ = Text();
    return viewText_;
  }
  virtual std::string_view FoldedTextView() const {
    viewFolded_ = ToUpperCp932Copy(Text());
    return viewFolded_;
  }
  // A number that changes with every change of the text and is never handed out again, by
  // this control or another (NewTextVersion): an equal number means the same text, unchanged.
  // 0 when the control keeps none.
  virtual std::uint64_t TextVersion() const { return 0; }

  // Replaces the whole text (loading a file, reloading) as one change: caret to 0, the
  // modified flag untouched, no length limit applied (a loaded file is never cut short).
  virtual void ResetText(std::string_view text) {
    SetSelection(0, TextLength());
    ReplaceSelection(text);
    SetSelection(0, 0);
  }

  // Selects [start, start + length) with the caret at start (a selection made backwards).
  virtual void SetSelectionBackwards(std::size_t start, std::size_t length) {
    SetSelection(start, length);
  }
  virtual bool SelectionBackwards() const { return false; }

  virtual void LimitText(std::size_t /*maxLength*/) {}

  // Lines end at CR LF, a lone CR or a lone LF; numbers are 0-based.
  virtual std::size_t LineFromOffset(std::size_t offset) const {
    const std::string text = Text();
    std::size_t line = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
    }
    return line;
  }
  // The start of a line; the text length for a line past the last one.
  virtual std::size_t LineStart(std::size_t line) const {
    const std::string text = Text();
    std::size_t i = 0;
    for (std::size_t found = 0; found < line; ++found) {
      while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
      if (i >= text.size()) return text.size();
      i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    }
    return i;
  }
  virtual std::size_t LineCount() const { return LineFromOffset(TextLength()) + 1; }
  virtual std::size_t FirstVisibleLine() const { return 0; }

  virtual bool WordWrap() const { return false; }
  virtual void SetWordWrap(bool /*on*/) {}
  // Whether the selection disappears while the control does not have the focus (an edit
  // control's default) or stays shown.
  virtual bool HideSelection() const { return false; }
  virtual void SetHideSelection(bool /*hide*/) {}
  // Whether Tab types a tab rather than moving the focus.
  virtual bool WantTabs() const { return true; }
  virtual void SetWantTabs(bool /*on*/) {}

  // Up and Down keep to the column the caret had when the user last moved it sideways; a caret
  // the program moved starts a new column here.
  virtual void ResetCaretColumn() {}
  // How many columns a TAB character takes on screen.
  virtual void SetTabWidth(int /*columns*/) {}

  // Repainting off and on again; calls nest.
  virtual void SuspendPainting() {}
  virtual void ResumePainting() {}

  // Where the events go; none by default.
  void SetEvents(TextControlEvents* events) { events_ = events; }
  TextControlEvents* Events() const { return events_; }

  // The form the text is held in (CP932 by default): the control steps and shows characters by
  // it. Set before the text is given (ResetText).
  Charset TextCharset() const { return charset_; }
  virtual void SetCharset(Charset charset) { charset_ = charset; }

 private:
  TextControlEvents* events_ = nullptr;
  Charset charset_ = Charset::Cp932;
  mutable std::string viewText_;  // what the default views hand out
  mutable std::string viewFolded_;
};

// Keeps a control's painting off for a scope, so that painting comes back even when the edit
// inside throws.
class PaintingSuspension {
 public:
  explicit PaintingSuspension(TextControl& control) : control_(control) {
    control_.SuspendPainting();
  }
  ~PaintingSuspension() { control_.ResumePainting(); }
  PaintingSuspension(const PaintingSuspension&) = delete;
  PaintingSuspension& operator=(const PaintingSuspension&) = delete;

 private:
  TextControl& control_;
};

}  // namespace norra
