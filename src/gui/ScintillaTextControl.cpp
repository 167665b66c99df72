// ScintillaTextControl: keeps the CP932 mirror in step with QScintilla and reports the user's
// actions.
#include "gui/ScintillaTextControl.h"

#include <Qsci/qscicommandset.h>

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextCharFormat>
#include <algorithm>
#include <cstdio>

#include "gui/QtKeys.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace norra {
namespace {

using Sci = QsciScintillaBase;

// Scintilla colours are 0xBBGGRR.
long SciColour(const QColor& colour) {
  return static_cast<long>(colour.red()) | (static_cast<long>(colour.green()) << 8) |
         (static_cast<long>(colour.blue()) << 16);
}

// Byte offset in the UTF-8 form of `text` of its UTF-16 index.
std::size_t Utf8OffsetOf(const QString& text, int index) {
  index = std::clamp(index, 0, static_cast<int>(text.size()));
  return static_cast<std::size_t>(text.left(index).toUtf8().size());
}

const QColor kPreeditBack(255, 255, 255);
const QColor kPreeditText(0, 0, 0);
const QColor kTargetBack(0, 0, 128);
const QColor kTargetText(255, 255, 255);

}  // namespace

ScintillaTextControl::ScintillaTextControl(QWidget* parent)
    : context_(std::make_unique<QObject>()) {
  AttachWidget(parent);
}

ScintillaTextControl::ScintillaTextControl(Deferred) : context_(std::make_unique<QObject>()) {
  deferred_ = true;
}

ScintillaEditor* ScintillaTextControl::CreateWidget() {
  if (!deferred_) return editor_;
  deferred_ = false;
  const Selection held = held_;
  AttachWidget(nullptr);
  LoadWidget(mirror_.WidgetText());
  SetWordWrap(wordWrap_);
  ApplyTabWidth();
  ApplyViewOptions();
  if (paintingSuspended_ > 0) editor_->setUpdatesEnabled(false);
  Select(held.anchor, held.caret, false);
  lastSelection_ = CurrentSelection();
  return editor_;
}

void ScintillaTextControl::AttachWidget(QWidget* parent) {
  editor_ = new ScintillaEditor(parent);
  Configure();
  editor_->SetInput(this);
  QObject::connect(editor_, &Sci::SCN_MODIFIED, context_.get(),
                   [this](int position, int type, const char*, int length, int, int, int, int, int,
                          int) { OnModified(position, type, length); });
  // Selection moves QScintilla makes on its own (auto-scroll while dragging).
  QObject::connect(editor_, &Sci::SCN_UPDATEUI, context_.get(), [this](int) {
    UpdateLineNumberWidth();
    if (editor_ != nullptr && !editor_->InEvent() && programEdit_ == 0) NotifySelectionIfMoved();
  });
  QObject::connect(editor_, &Sci::SCN_STYLENEEDED, context_.get(),
                   [this](int position) { StyleBreaks(position); });
  QObject::connect(editor_, &Sci::SCN_ZOOM, context_.get(), [this] {
    numberDigits_ = 0;
    UpdateLineNumberWidth();
    UpdateWrapWidth();
  });
}

ScintillaTextControl::~ScintillaTextControl() {
  context_.reset();  // no more signals into this object
  if (editor_ == nullptr) return;
  editor_->SetInput(nullptr);
  if (editor_->parent() == nullptr && !editor_->InEvent()) {
    delete editor_.data();
  } else {
    editor_->hide();
    editor_->deleteLater();
  }
}

void ScintillaTextControl::NewDocument(bool styled) {
  // Plain text needs no style byte beside every byte of the text: a large file takes half the
  // memory without them. Only wrapping uses them. (Code page, line breaks and undo belong to the
  // document.)
  const long document = Send(Sci::SCI_CREATEDOCUMENT, 0,
                             styled ? Sci::SC_DOCUMENTOPTION_DEFAULT : Sci::SC_DOCUMENTOPTION_STYLES_NONE);
  if (document != 0) {
    Send(Sci::SCI_SETDOCPOINTER, 0, document);
    Send(Sci::SCI_RELEASEDOCUMENT, 0, document);
  }
  styledDocument_ = styled;
  editor_->setUtf8(true);
  editor_->setEolMode(QsciScintilla::EolWindows);
  Send(Sci::SCI_SETUNDOCOLLECTION, 0);
  Send(Sci::SCI_EMPTYUNDOBUFFER);
}

void ScintillaTextControl::Configure() {
  ScintillaEditor& e = *editor_;
  e.setObjectName(QStringLiteral("txtEdit"));
  NewDocument(wordWrap_);
  Send(Sci::SCI_SETMODEVENTMASK,
       Sci::SC_MOD_BEFOREINSERT | Sci::SC_MOD_BEFOREDELETE | Sci::SC_MOD_INSERTCHECK);
  for (unsigned long margin = 0; margin < 5; ++margin) Send(Sci::SCI_SETMARGINWIDTHN, margin, 0);
  Send(Sci::SCI_SETSCROLLWIDTH, 1);
  Send(Sci::SCI_SETSCROLLWIDTHTRACKING, 1);
  e.setWrapMode(QsciScintilla::WrapNone);

  // A byte that is no CP932 character is held as a plane-15 code point; show it as its value.
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    std::string character;
    AppendUtf8(kEscapeBase + byte, character);
    char shown[4];
    std::snprintf(shown, sizeof shown, "x%02X", byte);
    Send(Sci::SCI_SETREPRESENTATION, reinterpret_cast<uintptr_t>(character.c_str()),
         reinterpret_cast<long>(shown));
  }

  // A composition: black on white and underlined, the clause being converted white on navy.
  Send(Sci::SCI_INDICSETSTYLE, kIndicatorPreeditBack, Sci::INDIC_FULLBOX);
  Send(Sci::SCI_INDICSETUNDER, kIndicatorPreeditBack, 1);
  Send(Sci::SCI_INDICSETALPHA, kIndicatorPreeditBack, 255);
  Send(Sci::SCI_INDICSETOUTLINEALPHA, kIndicatorPreeditBack, 255);
  Send(Sci::SCI_INDICSETFLAGS, kIndicatorPreeditBack, Sci::SC_INDICFLAG_VALUEBEFORE);
  Send(Sci::SCI_INDICSETSTYLE, kIndicatorPreeditText, Sci::INDIC_TEXTFORE);
  Send(Sci::SCI_INDICSETFLAGS, kIndicatorPreeditText, Sci::SC_INDICFLAG_VALUEBEFORE);
  Send(Sci::SCI_INDICSETSTYLE, kIndicatorPreeditLine, Sci::INDIC_PLAIN);
  Send(Sci::SCI_INDICSETFORE, kIndicatorPreeditLine, SciColour(kPreeditText));
}

long ScintillaTextControl::Send(unsigned int message, unsigned long wParam, long lParam) const {
  if (editor_ == nullptr) return 0;
  return editor_->SendScintilla(message, wParam, lParam);
}

long ScintillaTextControl::SendText(unsigned int message, unsigned long wParam,
                                    const char* text) const {
  if (editor_ == nullptr) return 0;
  return editor_->SendScintilla(message, wParam, text);
}

// ---- the document ----

std::string ScintillaTextControl::Text() const {
  return Doc().Bytes();
}
// Both from the mirror, which keeps the upper-cased copy in step with every widget edit.
std::string_view ScintillaTextControl::TextView() const {
  return Doc().View();
}
std::string_view ScintillaTextControl::FoldedTextView() const {
  return Doc().FoldedView();
}
std::uint64_t ScintillaTextControl::TextVersion() const {
  return Doc().Version();
}
std::size_t ScintillaTextControl::TextLength() const {
  return Doc().Size();
}

std::string ScintillaTextControl::TextRange(std::size_t start, std::size_t length) const {
  return Doc().TextRange(start, length);
}

std::size_t ScintillaTextControl::LineFromOffset(std::size_t offset) const {
  return Doc().LineOfOffset(offset);
}
std::size_t ScintillaTextControl::LineStart(std::size_t line) const {
  return Doc().LineStart(line);
}
std::size_t ScintillaTextControl::LineCount() const {
  return Doc().LineCount();
}

std::size_t ScintillaTextControl::FirstVisibleLine() const {
  const long visible = Send(Sci::SCI_GETFIRSTVISIBLELINE);
  return static_cast<std::size_t>(
      std::max(0L, Send(Sci::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(visible))));
}

// QScintilla reports a change to assistive technology by counting characters from the start of
// the text, which makes every keystroke cost the whole text before it. So only the "before"
// notifications are asked for (they are not passed on that way), and an insertion, announced
// before it happens, is read from the widget once it is in (Settle).
void ScintillaTextControl::OnModified(int position, int type, int length) {
  if (resetting_) return;
  Settle();
  const bool user = programEdit_ == 0;
  if ((type & Sci::SC_MOD_INSERTCHECK) != 0) {
    // The text to come is not passed here either; a full text simply takes nothing more, and
    // anything else is checked once it is in (EnforceLimit).
    if (user && mirror_.Size() >= maxLength_) SendText(Sci::SCI_CHANGEINSERTION, 0, "");
    return;
  }
  if (length <= 0) return;
  const auto pos = static_cast<std::size_t>(position);
  const auto len = static_cast<std::size_t>(length);
  if ((type & Sci::SC_MOD_BEFOREINSERT) != 0) {
    pendingInsert_ = PendingInsert{true, user, pos, len};
    if (user) ScheduleFlush();
    return;
  }
  if ((type & Sci::SC_MOD_BEFOREDELETE) == 0) return;
  if (user && userInsert_.valid) {
    const std::size_t from = mirror_.ToCp932(pos);
    const std::size_t to = mirror_.ToCp932(pos + len);
    if (to <= userInsert_.start) {
      userInsert_.start -= to - from;
    } else if (from < userInsert_.start + userInsert_.length) {
      userInsert_.valid = false;
    }
  }
  mirror_.OnWidgetDelete(pos, len);
  ++textVersion_;
  if (user) {
    ++userChanges_;
    textDirty_ = true;
    ScheduleFlush();
  }
}

void ScintillaTextControl::Settle() {
  if (!pendingInsert_.valid || editor_ == nullptr) return;
  const PendingInsert inserted = pendingInsert_;
  pendingInsert_ = PendingInsert{};
  const auto* text = reinterpret_cast<const char*>(editor_->SendScintilla(
      Sci::SCI_GETRANGEPOINTER, inserted.position, static_cast<long>(inserted.length)));
  if (text == nullptr) return;
  const std::string_view utf8(text, inserted.length);
  // Checked before the mirror makes "?" of what CP932 lacks; such an insertion comes out again
  // at the flush (each event of the widget inserts once: a key, a composition, a drop).
  std::string refused = inserted.user ? Unstorable(utf8) : std::string();
  mirror_.OnWidgetInsert(inserted.position, utf8);
  ++textVersion_;
  if (!inserted.user) return;
  const std::size_t start = mirror_.ToCp932(inserted.position);
  userInsert_ =
      Insertion{true, start, mirror_.ToCp932(inserted.position + inserted.length) - start};
  if (refused.empty()) {
    ++userChanges_;
  } else {
    refused_ += refused;
  }
  textDirty_ = true;
  ScheduleFlush();
}

const Cp932Mirror& ScintillaTextControl::Doc() const {
  const_cast<ScintillaTextControl*>(this)->Settle();
  return mirror_;
}

// The user's insertion went in whole; what passes the maximum length comes out again, from its
// end, in whole characters and never between a CR and its LF.
void ScintillaTextControl::EnforceLimit() {
  const Insertion inserted = userInsert_;
  userInsert_ = Insertion{};
  const std::size_t size = mirror_.Size();
  if (size <= maxLength_ || !inserted.valid || inserted.length == 0) return;
  const std::size_t excess = std::min(size - maxLength_, inserted.length);
  const std::string bytes = mirror_.TextRange(inserted.start, inserted.length);
  std::size_t keep = 0;
  while (keep < bytes.size()) {
    const auto step = static_cast<std::size_t>(CharLengthAt(TextCharset(), bytes, keep));
    if (keep + step > inserted.length - excess) break;
    keep += step;
  }
  if (keep > 0 && keep < bytes.size() && bytes[keep - 1] == '\r' && bytes[keep] == '\n') --keep;
  const std::size_t cutFrom = inserted.start + keep;
  const std::size_t cutTo = inserted.start + inserted.length;
  Selection selection = CurrentSelection();
  auto shift = [&](std::size_t p) {
    return p >= cutTo ? p - (cutTo - cutFrom) : std::min(p, cutFrom);
  };
  {
    Cp932Mirror::LogicEdit edit = mirror_.ReplaceBytes(cutFrom, cutTo - cutFrom, {});
    if (!edit.Empty()) ApplyWidgetEdit(edit.Widget());
  }
  Select(shift(selection.anchor), shift(selection.caret), false);
}

void ScintillaTextControl::ApplyWidgetEdit(const WidgetEdit& edit) {
  if (deferred_) {
    // No widget to report the edit: the mirror is told as the widget would have told it.
    if (edit.utf8Length > 0) mirror_.OnWidgetDelete(edit.utf8Start, edit.utf8Length);
    if (!edit.utf8Text.empty()) mirror_.OnWidgetInsert(edit.utf8Start, edit.utf8Text);
    ++textVersion_;
    return;
  }
  ++programEdit_;
  Send(Sci::SCI_SETTARGETRANGE, edit.utf8Start,
       static_cast<long>(edit.utf8Start + edit.utf8Length));
  SendText(Sci::SCI_REPLACETARGET, edit.utf8Text.size(), edit.utf8Text.c_str());
  Settle();
  --programEdit_;
}

void ScintillaTextControl::RepairDisplay() {
  // Each round fixes the first place; a bound keeps a misbehaving widget from looping.
  for (std::size_t round = 0; mirror_.NeedsDisplayRepair() && round < 100000; ++round) {
    const Selection before = CurrentSelection();
    {
      Cp932Mirror::LogicEdit edit = mirror_.RepairDisplay();
      if (edit.Empty()) break;
      ApplyWidgetEdit(edit.Widget());
    }
    Select(before.anchor, before.caret, false);
  }
}

bool ScintillaTextControl::ReplaceSelection(std::string_view text) {
  if (editor_ == nullptr && !deferred_) return false;
  AbandonComposition();
  ReportPendingText();
  const std::size_t start = SelStart();
  const std::size_t length = SelLength();
  const std::size_t kept = mirror_.Size() - length;
  if (kept > maxLength_ || text.size() > maxLength_ - kept) return false;
  {
    Cp932Mirror::LogicEdit edit = mirror_.ReplaceBytes(start, length, text);
    if (!edit.Empty()) ApplyWidgetEdit(edit.Widget());
  }
  FinishProgramEdit(start + text.size());
  return true;
}

bool ScintillaTextControl::ReplaceSpans(std::size_t start, std::size_t length,
                                        std::string_view replacements,
                                        const std::vector<ReplacedSpan>& spans) {
  // Taking a whole new text at once holds it several times over (the UTF-8 for the widget,
  // the widget's and the mirror's old and new copies) while the old text is still alive; span
  // by span, each step holds only its span. A span costs about as much time as a hundred bytes
  // of a whole replace, so spans closer than this take the whole text: at worst a few times
  // slower than the whole replace, never many.
  const std::size_t kMinBytesPerSpan = 32;
  if ((editor_ == nullptr && !deferred_) || spans.empty() ||
      length / spans.size() < kMinBytesPerSpan) {
    return TextControl::ReplaceSpans(start, length, replacements, spans);
  }
  AbandonComposition();
  ReportPendingText();
  std::size_t newLength = length;
  for (const ReplacedSpan& span : spans) newLength += span.newLength - span.oldLength;
  const std::size_t kept = mirror_.Size() - std::min(length, mirror_.Size());
  if (kept > maxLength_ || newLength > maxLength_ - kept) return false;
  // From the last span back, so that the offsets of the spans still to do stay valid.
  std::size_t taken = replacements.size();
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    taken -= span->newLength;
    Cp932Mirror::LogicEdit edit = mirror_.ReplaceBytes(
        start + span->oldStart, span->oldLength, replacements.substr(taken, span->newLength));
    if (!edit.Empty()) ApplyWidgetEdit(edit.Widget());
  }
  FinishProgramEdit(start + newLength);
  return true;
}

// After the program changed the text: the display repaired, the caret at `caret`, and the
// change and the selection reported once each.
void ScintillaTextControl::FinishProgramEdit(std::size_t caret) {
  RepairDisplay();
  Select(caret, caret, true);
  ResetCaretColumn();
  modified_ = true;
  if (Events() != nullptr) Events()->TextChanged();
  lastSelection_ = CurrentSelection();
  if (Events() != nullptr) Events()->SelectionChanged();
}

void ScintillaTextControl::LoadWidget(const std::string& utf8) {
  resetting_ = true;
  ++programEdit_;
  Send(Sci::SCI_CLEARALL);
  Send(Sci::SCI_ALLOCATE, utf8.size() + 1);
  SendText(Sci::SCI_APPENDTEXT, utf8.size(), utf8.c_str());
  --programEdit_;
  resetting_ = false;
}

void ScintillaTextControl::ResetText(std::string_view text) {
  if (editor_ == nullptr && !deferred_) {
    mirror_.Load(text);
    return;
  }
  AbandonComposition();
  pendingInsert_ = PendingInsert{};
  userInsert_ = Insertion{};
  if (deferred_) {
    mirror_.Load(text);
    held_ = Selection{};
  } else {
    LoadWidget(mirror_.Load(text));
  }
  ++textVersion_;
  textDirty_ = false;
  Send(Sci::SCI_GOTOPOS, 0);
  Send(Sci::SCI_SETXOFFSET, 0);
  if (Events() != nullptr) Events()->TextChanged();
  lastSelection_ = CurrentSelection();
  if (Events() != nullptr) Events()->SelectionChanged();
}

// ---- selection ----

ScintillaTextControl::Selection ScintillaTextControl::CurrentSelection() const {
  if (deferred_) return held_;
  if (editor_ == nullptr) return {};
  const auto anchor = static_cast<std::size_t>(Send(Sci::SCI_GETANCHOR));
  const auto caret = static_cast<std::size_t>(Send(Sci::SCI_GETCURRENTPOS));
  const Cp932Mirror& doc = Doc();
  return Selection{doc.ToCp932(anchor), doc.ToCp932(caret)};
}

std::size_t ScintillaTextControl::SelStart() const {
  const Selection s = CurrentSelection();
  return std::min(s.anchor, s.caret);
}

std::size_t ScintillaTextControl::SelLength() const {
  const Selection s = CurrentSelection();
  return std::max(s.anchor, s.caret) - std::min(s.anchor, s.caret);
}

std::string ScintillaTextControl::SelText() const {
  const Selection s = CurrentSelection();
  const std::size_t start = std::min(s.anchor, s.caret);
  return Doc().TextRange(start, std::max(s.anchor, s.caret) - start);
}

std::size_t ScintillaTextControl::Caret() const {
  return CurrentSelection().caret;
}

bool ScintillaTextControl::SelectionBackwards() const {
  const Selection s = CurrentSelection();
  return s.caret < s.anchor;
}

// Scrolls only where the user is looking: a command running with painting off, or on a text
// in the background, must not pay for layout it never shows.
void ScintillaTextControl::Select(std::size_t anchor, std::size_t caret, bool scroll) {
  if (deferred_) {
    held_ = Selection{anchor, caret};
    return;
  }
  const Cp932Mirror& doc = Doc();
  Send(Sci::SCI_SETSELECTION, doc.ToUtf8(caret), static_cast<long>(doc.ToUtf8(anchor)));
  if (!scroll) return;
  if (paintingSuspended_ == 0 && editor_ != nullptr && editor_->hasFocus()) {
    Send(Sci::SCI_SCROLLCARET);
    scrollPending_ = false;
  } else {
    // Owed until the text is shown: a view left scrolled for a text that has changed under it
    // (a long line gone) would show nothing but the space beyond its lines' ends.
    scrollPending_ = true;
  }
}

void ScintillaTextControl::ScrollIfOwed() {
  if (!scrollPending_ || paintingSuspended_ > 0 || editor_ == nullptr || !editor_->hasFocus())
    return;
  scrollPending_ = false;
  Send(Sci::SCI_SCROLLCARET);
}

void ScintillaTextControl::SetSelection(std::size_t start, std::size_t length) {
  SelectRange(start, length, false);
}

void ScintillaTextControl::SetSelectionBackwards(std::size_t start, std::size_t length) {
  SelectRange(start, length, true);
}

void ScintillaTextControl::SelectRange(std::size_t start, std::size_t length, bool backwards) {
  AbandonComposition();
  ReportPendingText();
  const std::size_t size = Doc().Size();
  start = std::min(start, size);
  const std::size_t end = start + std::min(length, size - start);
  if (backwards) {
    Select(end, start, true);
  } else {
    Select(start, end, true);
  }
  lastSelection_ = CurrentSelection();
  if (Events() != nullptr) Events()->SelectionChanged();
}

void ScintillaTextControl::ScrollCaret() {
  scrollPending_ = false;
  Send(Sci::SCI_SCROLLCARET);
}

// ---- reporting ----

void ScintillaTextControl::ScheduleFlush() {
  if (editor_ == nullptr || editor_->InEvent() || flushQueued_) return;
  // A change outside any event of the widget (someone called QScintilla directly).
  flushQueued_ = true;
  QMetaObject::invokeMethod(
      context_.get(),
      [this] {
        flushQueued_ = false;
        FlushChanges();
      },
      Qt::QueuedConnection);
}

void ScintillaTextControl::FlushChanges() {
  if (editor_ == nullptr || composing_) return;  // a composition reports when it ends
  Settle();
  std::string refused;
  refused.swap(refused_);
  if (!refused.empty()) RemoveRefusedInsert();
  userChanges_ = 0;
  if (textDirty_) {
    textDirty_ = false;
    EnforceLimit();
    RepairDisplay();
    modified_ = true;
    if (Events() != nullptr) Events()->TextChanged();
    lastSelection_ = CurrentSelection();
    if (Events() != nullptr) Events()->SelectionChanged();
  } else {
    NotifySelectionIfMoved();
  }
  if (!refused.empty() && Events() != nullptr) Events()->TextRefused(refused);
}

// Takes the user's latest insertion out again, whole; when it was the only change since the
// last report, the text is as reported and nothing is to be reported.
void ScintillaTextControl::RemoveRefusedInsert() {
  const Insertion inserted = userInsert_;
  userInsert_ = Insertion{};
  if (inserted.valid && inserted.length > 0) {
    {
      Cp932Mirror::LogicEdit edit = mirror_.ReplaceBytes(inserted.start, inserted.length, {});
      if (!edit.Empty()) ApplyWidgetEdit(edit.Widget());
    }
    Select(inserted.start, inserted.start, false);
  }
  if (userChanges_ == 0) textDirty_ = false;
}

// A change of the user's that is not reported yet comes before the program's own step.
void ScintillaTextControl::ReportPendingText() {
  Settle();
  if (textDirty_) FlushChanges();
}

void ScintillaTextControl::NotifySelectionIfMoved() {
  if (editor_ == nullptr || composing_) return;
  const auto anchorU = static_cast<std::size_t>(Send(Sci::SCI_GETANCHOR));
  const auto caretU = static_cast<std::size_t>(Send(Sci::SCI_GETCURRENTPOS));
  // Most events (painting) move nothing; skip the mapping then.
  if (anchorU == lastAnchorU_ && caretU == lastCaretU_ && textVersion_ == lastVersion_) return;
  lastAnchorU_ = anchorU;
  lastCaretU_ = caretU;
  lastVersion_ = textVersion_;
  const Cp932Mirror& doc = Doc();
  const Selection now{doc.ToCp932(anchorU), doc.ToCp932(caretU)};
  if (now == lastSelection_) return;
  lastSelection_ = now;
  if (Events() != nullptr) Events()->SelectionChanged();
}

void ScintillaTextControl::EventDone() {
  FlushChanges();
}

// ---- keys, mouse, focus ----

bool ScintillaTextControl::KeyPressed(QKeyEvent* event) {
  TextControlEvents* events = Events();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (events != nullptr && events->KeyDown(KeyCodeOf(event->key()), ShiftOf(modifiers)))
    return true;
  if (editor_ == nullptr) return true;
  events = Events();  // the handler may have let go of this control
  const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
  const bool alt = (modifiers & Qt::AltModifier) != 0;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (alt) return false;
      // Ctrl+Enter types a line feed character, which the control takes as a line break too.
      if (events != nullptr && events->KeyPress(ctrl ? 10 : 13)) return true;
      Send(Sci::SCI_NEWLINE);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (ctrl || alt) return false;
      if (!wantTabs_) {
        editor_->FocusNeighbour(event->key() == Qt::Key_Tab);
        return true;
      }
      if (events != nullptr && events->KeyPress(9)) return true;
      // A plain tab over the selection; QScintilla's own Tab would indent lines.
      SendText(Sci::SCI_REPLACESEL, 0, "\t");
      return true;
    default:
      break;
  }
  // Only the caret moves and the deletions the undo log captures are still bound (see
  // ScintillaEditor); any other Ctrl key was the menus' to take and types nothing.
  const int combination =
      event->key() | static_cast<int>(modifiers & (Qt::ShiftModifier | Qt::ControlModifier |
                                                   Qt::AltModifier | Qt::MetaModifier));
  const bool bound = editor_->standardCommands()->boundTo(combination) != nullptr;
  // Alt with a key no menu took changes nothing either, as in an edit control.
  if ((ctrl || alt) && !bound) return true;
  const QString typed = event->text();
  if (typed.isEmpty() || ctrl || typed.at(0).unicode() < 0x20 || typed.at(0).unicode() == 0x7F)
    return false;
  const std::string utf8 = typed.toUtf8().toStdString();
  // A character the document cannot hold is refused before it replaces the selection.
  if (std::string refused = Unstorable(utf8); !refused.empty()) {
    if (events != nullptr) events->TextRefused(refused);
    return true;
  }
  const std::string bytes = TextCharset() == Charset::Utf8 ? utf8 : Utf8ToCp932(utf8);
  return events != nullptr && !bytes.empty() &&
         events->KeyPress(static_cast<unsigned char>(bytes[0]));
}

std::string ScintillaTextControl::Unstorable(std::string_view utf8) const {
  return TextCharset() == Charset::Utf8 ? std::string() : UnencodableCp932(utf8);
}

void ScintillaTextControl::SetCharset(Charset charset) {
  if (charset == TextCharset()) return;
  TextControl::SetCharset(charset);
  // The text held so far is dropped: a new charset always comes with a new text (ResetText).
  AbandonComposition();
  pendingInsert_ = PendingInsert{};
  userInsert_ = Insertion{};
  mirror_.SetCharset(charset);
  const std::string shown = mirror_.Load({});
  if (editor_ != nullptr) LoadWidget(shown);
}

void ScintillaTextControl::MousePressed() {
  EndComposition(true);
  if (Events() != nullptr) Events()->MouseDown();
}

void ScintillaTextControl::FocusIn() {
  ScrollIfOwed();
  ShowOrHideSelection(true);
  if (Events() != nullptr) Events()->FocusReceived();
}

void ScintillaTextControl::FocusOut() {
  EndComposition(true);
  ShowOrHideSelection(false);
}

void ScintillaTextControl::SetHideSelection(bool hide) {
  hideSelection_ = hide;
  ShowOrHideSelection(editor_ != nullptr && editor_->hasFocus());
}

void ScintillaTextControl::ShowOrHideSelection(bool focused) {
  const bool hidden = hideSelection_ && !focused;
  if (hidden == selectionHidden_) return;
  selectionHidden_ = hidden;
  Send(Sci::SCI_HIDESELECTION, hidden ? 1 : 0);
}

// ---- input-method composition ----
// The composition is shown in the text itself (so it flows with the line) but is the program's
// edit: nothing is checked or reported until text is committed.

bool ScintillaTextControl::InputMethod(QInputMethodEvent* event) {
  if (editor_ == nullptr) return true;
  const QString commit = event->commitString();
  const QString preedit = event->preeditString();
  if (!composing_) {
    if (commit.isEmpty() && preedit.isEmpty()) return true;
    composing_ = true;
    if (Events() != nullptr) Events()->CompositionStarted();
    if (editor_ == nullptr) return true;
    // What the composition replaces goes at once, as in any edit control.
    if (Send(Sci::SCI_GETSELECTIONEND) != Send(Sci::SCI_GETSELECTIONSTART))
      SendText(Sci::SCI_REPLACESEL, 0, "");
  }
  RemovePreedit();
  if (!commit.isEmpty()) {
    const QByteArray utf8 = commit.toUtf8();
    SendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(utf8.size()), utf8.constData());
  }
  if (!preedit.isEmpty()) {
    ShowPreedit(*event);
  } else {
    FinishComposition();
  }
  return true;
}

void ScintillaTextControl::ShowPreedit(const QInputMethodEvent& event) {
  const QString preedit = event.preeditString();
  const QByteArray utf8 = preedit.toUtf8();
  const auto start = static_cast<std::size_t>(Send(Sci::SCI_GETCURRENTPOS));
  ++programEdit_;
  Send(Sci::SCI_SETTARGETRANGE, start, static_cast<long>(start));
  SendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()), utf8.constData());
  --programEdit_;
  preeditShown_ = true;
  preeditText_ = preedit;
  preeditStart_ = start;
  preeditLength_ = static_cast<std::size_t>(utf8.size());

  auto fill = [this](int indicator, long value, std::size_t from, std::size_t length) {
    Send(Sci::SCI_SETINDICATORCURRENT, static_cast<unsigned long>(indicator));
    Send(Sci::SCI_SETINDICATORVALUE, static_cast<unsigned long>(value));
    Send(Sci::SCI_INDICATORFILLRANGE, from, static_cast<long>(length));
  };
  auto clear = [this](int indicator, std::size_t from, std::size_t length) {
    Send(Sci::SCI_SETINDICATORCURRENT, static_cast<unsigned long>(indicator));
    Send(Sci::SCI_INDICATORCLEARRANGE, from, static_cast<long>(length));
  };
  fill(kIndicatorPreeditBack, Sci::SC_INDICVALUEBIT | SciColour(kPreeditBack), start,
       preeditLength_);
  fill(kIndicatorPreeditText, Sci::SC_INDICVALUEBIT | SciColour(kPreeditText), start,
       preeditLength_);
  fill(kIndicatorPreeditLine, 1, start, preeditLength_);

  std::size_t caret = start + preeditLength_;
  for (const QInputMethodEvent::Attribute& attribute : event.attributes()) {
    if (attribute.type == QInputMethodEvent::Cursor) {
      caret = start + Utf8OffsetOf(preedit, attribute.start);
      continue;
    }
    if (attribute.type != QInputMethodEvent::TextFormat) continue;
    // Input methods mark the clause being converted with a background of its own.
    const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
    if (format.background().style() == Qt::NoBrush) continue;
    const std::size_t from = start + Utf8OffsetOf(preedit, attribute.start);
    const std::size_t to = start + Utf8OffsetOf(preedit, attribute.start + attribute.length);
    if (to <= from) continue;
    fill(kIndicatorPreeditBack, Sci::SC_INDICVALUEBIT | SciColour(kTargetBack), from, to - from);
    fill(kIndicatorPreeditText, Sci::SC_INDICVALUEBIT | SciColour(kTargetText), from, to - from);
    clear(kIndicatorPreeditLine, from, to - from);
  }
  Send(Sci::SCI_GOTOPOS, caret);
}

void ScintillaTextControl::RemovePreedit() {
  if (!preeditShown_) return;
  preeditShown_ = false;
  preeditText_.clear();
  ++programEdit_;
  Send(Sci::SCI_DELETERANGE, preeditStart_, static_cast<long>(preeditLength_));
  --programEdit_;
  Send(Sci::SCI_SETEMPTYSELECTION, preeditStart_);
}

void ScintillaTextControl::FinishComposition() {
  composing_ = false;
  FlushChanges();
  if (Events() != nullptr) Events()->CompositionEnded();
}

// The user or the program leaves a composition half-way: the shown text is kept (a click, the
// focus going elsewhere) or dropped (the program replaces the text), and the input method is
// told to forget it.
void ScintillaTextControl::EndComposition(bool keepText) {
  if (!composing_) return;
  const QString shown = preeditText_;
  RemovePreedit();
  if (keepText && !shown.isEmpty()) {
    const QByteArray utf8 = shown.toUtf8();
    SendText(Sci::SCI_ADDTEXT, static_cast<unsigned long>(utf8.size()), utf8.constData());
  }
  FinishComposition();
  if (editor_ != nullptr && editor_->hasFocus()) QGuiApplication::inputMethod()->reset();
}

void ScintillaTextControl::AbandonComposition() {
  EndComposition(false);
}

// ---- view ----

void ScintillaTextControl::SetWordWrap(bool on) {
  wordWrap_ = on;
  if (editor_ == nullptr) return;
  UseStyledDocument(on);
  editor_->setWrapMode(on ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
  UpdateWrapWidth();
}

void ScintillaTextControl::SuspendPainting() {
  if (paintingSuspended_++ == 0 && editor_ != nullptr) editor_->setUpdatesEnabled(false);
}

void ScintillaTextControl::ResumePainting() {
  if (paintingSuspended_ == 0) return;
  if (--paintingSuspended_ == 0 && editor_ != nullptr) {
    ScrollIfOwed();
    editor_->setUpdatesEnabled(true);
    editor_->viewport()->update();
  }
}

void ScintillaTextControl::SetColours(const QColor& background, const QColor& foreground) {
  if (editor_ == nullptr) return;
  editor_->setPaper(background);
  editor_->setColor(foreground);
  editor_->setCaretForegroundColor(foreground);
  CopyTextStyle();
  ApplyViewOptions();  // the caret line's colour follows the background
}

void ScintillaTextControl::SetTextFont(const QFont& font) {
  if (editor_ == nullptr) return;
  editor_->setFont(font);
  editor_->setMarginsFont(font);
  CopyTextStyle();
  ApplyTabWidth();  // the widths it is counted in are the font's
  numberDigits_ = 0;
  UpdateLineNumberWidth();
  UpdateWrapWidth();
}

void ScintillaTextControl::SetTabWidth(int columns) {
  if (columns <= 0) return;
  tabColumns_ = columns;
  ApplyTabWidth();
}

// Scintilla puts tab stops a number of spaces apart, but a column is a half-width character,
// and the font that stands in for a Japanese fixed-pitch one may draw its space at half that
// width: counted in spaces, TabStop 8 would look 4 columns wide.
void ScintillaTextControl::ApplyTabWidth() {
  if (editor_ == nullptr || tabColumns_ <= 0) return;
  // A long run of each, since a space may be a fraction of a pixel wider than one is measured.
  const std::string zeros(64, '0');
  const std::string blanks(64, ' ');
  const long columns = SendText(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, zeros.c_str());
  const long spaces = SendText(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, blanks.c_str());
  long width = tabColumns_;
  if (columns > 0 && spaces > 0)
    width = std::max(1L, (tabColumns_ * columns + spaces / 2) / spaces);
  editor_->setTabWidth(static_cast<int>(width));
}

void ScintillaTextControl::ResetCaretColumn() {
  Send(Sci::SCI_CHOOSECARETX);
}

}  // namespace norra
