// The text-control port on a QScintilla widget, with the CP932 document kept in a mirror.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "gui/ScintillaEditor.h"
#include "platform/TextControl.h"
#include "text/Cp932Mirror.h"

class QWidget;

namespace norra {

// What the view shows besides the text.
struct TextViewOptions {
  bool lineNumbers = false;
  bool caretLine = false;  // the caret's line on a background of its own
  EditorMarks marks;
  int wrapColumns = 0;  // where a wrapping text wraps: 0 the window's edge, else half-width columns
  bool operator==(const TextViewOptions&) const = default;
};

// The widget shows UTF-8; the document (everything this port answers) is the CP932 mirror, so
// no character is re-encoded unless the user typed it. Text the program produces enters the
// mirror as bytes. Typed and dropped text is checked as it enters, before the action is
// reported or painted: text with a character CP932 lacks is refused whole (TextRefused names the
// characters), and text beyond the maximum length is cut (a typed key is refused). Undecodable
// bytes show as escapes such as "x85".
//
// Events reach the listener once per user action: a key typed over a selection (a deletion and
// an insertion in the widget) is one TextChanged. Keys go to KeyDown/KeyPress before QScintilla
// sees them. While an input-method composition is shown, its text is in the widget (and the
// mirror) but no change is reported until it is committed.
class ScintillaTextControl : public TextControl, private EditorInput {
 public:
  explicit ScintillaTextControl(QWidget* parent = nullptr);
  // Without a widget until CreateWidget: a Page that is never shown costs its text and not an
  // editing widget. Until then the text and the selection live here alone.
  struct Deferred {};
  explicit ScintillaTextControl(Deferred);
  ~ScintillaTextControl() override;
  ScintillaTextControl(const ScintillaTextControl&) = delete;
  ScintillaTextControl& operator=(const ScintillaTextControl&) = delete;

  // The widget to place in a window (named "txtEdit"); null before CreateWidget of a deferred
  // control and once Qt destroyed it.
  ScintillaEditor* Widget() const { return editor_; }
  // Gives a deferred control its widget, showing the text and selection it holds; the widget
  // it has otherwise.
  ScintillaEditor* CreateWidget();

  std::string Text() const override;
  std::string_view TextView() const override;
  std::string_view FoldedTextView() const override;
  std::uint64_t TextVersion() const override;
  std::size_t TextLength() const override;
  std::size_t SelStart() const override;
  std::size_t SelLength() const override;
  std::string SelText() const override;
  void SetSelection(std::size_t start, std::size_t length) override;
  bool ReplaceSelection(std::string_view text) override;
  bool ReplaceSpans(std::size_t start, std::size_t length, std::string_view replacements,
                    const std::vector<ReplacedSpan>& spans) override;
  bool TakesSpans() const override { return true; }
  std::size_t MaxLength() const override { return maxLength_; }
  void ScrollCaret() override;
  bool Modified() const override { return modified_; }
  void SetModified(bool modified) override { modified_ = modified; }
  std::string TextRange(std::size_t start, std::size_t length) const override;
  void ResetText(std::string_view text) override;
  void SetSelectionBackwards(std::size_t start, std::size_t length) override;
  bool SelectionBackwards() const override;
  void LimitText(std::size_t maxLength) override { maxLength_ = maxLength; }
  std::size_t LineFromOffset(std::size_t offset) const override;
  std::size_t LineStart(std::size_t line) const override;
  std::size_t LineCount() const override;
  std::size_t FirstVisibleLine() const override;
  bool WordWrap() const override { return wordWrap_; }
  void SetWordWrap(bool on) override;
  bool HideSelection() const override { return hideSelection_; }
  void SetHideSelection(bool hide) override;
  // Whether the selection is drawn now (it is not while hidden for want of the focus).
  bool SelectionDrawn() const { return !selectionHidden_; }
  bool WantTabs() const override { return wantTabs_; }
  void SetWantTabs(bool on) override { wantTabs_ = on; }
  void SuspendPainting() override;
  void ResumePainting() override;
  // A UTF-8 document is shown as its own bytes; CP932 through the mirror's conversion.
  void SetCharset(Charset charset) override;

  // View attributes of a Page. A wrapped line breaks only where the line-break rules allow
  // (no line begins with 。 or a small kana or ends with 「), or where a run they cannot break
  // overflows.
  void SetViewOptions(const TextViewOptions& options);
  const TextViewOptions& ViewOptions() const { return view_; }
  void SetColours(const QColor& background, const QColor& foreground);
  void SetTextFont(const QFont& font);
  void ResetCaretColumn() override;
  void SetTabWidth(int columns) override;

  // True while an input-method composition is shown.
  bool Composing() const { return composing_; }
  // The mirror, for tests and diagnostics.
  const Cp932Mirror& Mirror() const { return Doc(); }

  // The caret: the moving end of the selection.
  std::size_t Caret() const;

  // Indicators that draw a composition: background box, text colour, underline.
  static constexpr int kIndicatorPreeditBack = 29;
  static constexpr int kIndicatorPreeditText = 30;
  static constexpr int kIndicatorPreeditLine = 31;

 private:
  struct PendingInsert {
    bool valid = false;
    bool user = false;
    std::size_t position = 0;  // widget positions
    std::size_t length = 0;
  };
  struct Insertion {
    bool valid = false;
    std::size_t start = 0;  // CP932 offsets
    std::size_t length = 0;
  };
  struct Selection {
    std::size_t anchor = 0;  // CP932 offsets
    std::size_t caret = 0;
    bool operator==(const Selection&) const = default;
  };

  // EditorInput
  bool KeyPressed(QKeyEvent* event) override;
  bool InputMethod(QInputMethodEvent* event) override;
  void MousePressed() override;
  void FocusIn() override;
  void FocusOut() override;
  void EventDone() override;
  void Resized() override;

  void AttachWidget(QWidget* parent);
  // A new empty document for the widget; with a style byte beside every byte of the text when
  // `styled` (wrapping marks its break places with them).
  void NewDocument(bool styled);
  // The document the wrapping needs, the text and view kept.
  void UseStyledDocument(bool styled);
  // Marks where the wrapped rows begin in the lines from the first not yet styled up to the
  // one holding `position`: styles 0 and 1, which look alike, alternate at each row, and the
  // widget, wrapping at word boundaries, breaks where the style changes.
  void StyleBreaks(long position);
  void CopyTextStyle();
  void ApplyViewOptions();
  void UpdateLineNumberWidth();
  // Makes the text area as wide as the wrap columns (through the right margin).
  void UpdateWrapWidth();
  void Configure();
  // The text as the mirror holds it, put into the widget without reporting anything.
  void LoadWidget(const std::string& utf8);
  long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
  long SendText(unsigned int message, unsigned long wParam, const char* text) const;

  void OnModified(int position, int type, int length);
  // Takes an insertion the widget announced, now that it is in, into the mirror.
  void Settle();
  // The mirror with every change of the widget in it.
  const Cp932Mirror& Doc() const;
  void EnforceLimit();
  void RemoveRefusedInsert();
  // Puts a change the mirror asked for into the widget without reporting it as the user's.
  void ApplyWidgetEdit(const WidgetEdit& edit);
  void RepairDisplay();
  void FinishProgramEdit(std::size_t caret);
  void ShowOrHideSelection(bool focused);
  void ApplyTabWidth();
  // The characters of typed or dropped UTF-8 text the document cannot hold (none in UTF-8).
  std::string Unstorable(std::string_view utf8) const;

  Selection CurrentSelection() const;
  void Select(std::size_t anchor, std::size_t caret, bool scroll);
  // Brings the caret into view when a selection set while the view was hidden or painting was
  // off asked for it.
  void ScrollIfOwed();
  // A selection set by the program: clamped to the text, reported at once; backwards puts the
  // caret at its start.
  void SelectRange(std::size_t start, std::size_t length, bool backwards);
  // Reports what the last user action changed: the text once, then the selection.
  void FlushChanges();
  void NotifySelectionIfMoved();
  void ReportPendingText();
  void ScheduleFlush();

  void ShowPreedit(const QInputMethodEvent& event);
  void RemovePreedit();
  void FinishComposition();
  void EndComposition(bool keepText);
  // Ends a composition the program interrupts (reloading, its own edits).
  void AbandonComposition();

  QPointer<ScintillaEditor> editor_;
  bool deferred_ = false;   // no widget yet: held_ is the selection
  Selection held_;
  std::unique_ptr<QObject> context_;  // receiver of the widget's signals; goes first
  Cp932Mirror mirror_;
  std::size_t maxLength_ = std::numeric_limits<std::size_t>::max();
  bool modified_ = false;
  bool wordWrap_ = false;
  bool wantTabs_ = true;
  bool hideSelection_ = false;
  bool selectionHidden_ = false;
  int paintingSuspended_ = 0;
  bool scrollPending_ = false;  // a selection asked for the caret in view while it could not be
  int tabColumns_ = 0;  // TAB width in half-width columns; 0 until set
  TextViewOptions view_;
  bool styledDocument_ = false;
  int rowColumns_ = 0;    // half-width columns of a wrapped row; 0 while not wrapping
  int numberDigits_ = 0;  // digits the line-number margin is wide for; 0 without the margin

  int programEdit_ = 0;     // the program is changing the widget: no checks, nothing to report
  bool resetting_ = false;  // the widget is being given a whole new text the mirror has
  bool textDirty_ = false;  // the user changed the text; not reported yet
  bool flushQueued_ = false;
  Insertion userInsert_;         // the user's latest insertion not reported yet
  std::string refused_;          // characters of it CP932 lacks (UTF-8): it comes out again
  int userChanges_ = 0;          // the user's changes since the last report, refused ones not
  PendingInsert pendingInsert_;  // announced by the widget, not in the mirror yet
  Selection lastSelection_;      // as last reported
  std::size_t textVersion_ = 0;  // counts changes of the widget's text
  std::size_t lastAnchorU_ = 0;  // widget positions behind lastSelection_, at lastVersion_
  std::size_t lastCaretU_ = 0;
  std::size_t lastVersion_ = static_cast<std::size_t>(-1);

  bool composing_ = false;
  bool preeditShown_ = false;
  std::size_t preeditStart_ = 0;  // widget positions
  std::size_t preeditLength_ = 0;
  QString preeditText_;
};

}  // namespace norra
