// ScintillaEditor: a QScintilla set up as a plain-text edit control, with its input handed out
// first.
#include "gui/ScintillaEditor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace norra {
namespace {

// The only commands QScintilla keeps keys for: caret moves, scrolling and zooming, which
// change no text, and the deletions the undo log captures (it hands Delete and Backspace with
// modifiers to the program first). Every other binding, whatever the installed QScintilla
// binds, is removed: the program's own commands (clipboard, undo, insert mode, Tab, Enter) come
// from its menus and key handling, and anything else would edit the text behind the undo log.
// Rectangular selections go too: they make edits that no single selection describes.
constexpr QsciCommand::Command kKeptCommands[] = {
    QsciCommand::LineDown,
    QsciCommand::LineDownExtend,
    QsciCommand::LineScrollDown,
    QsciCommand::LineUp,
    QsciCommand::LineUpExtend,
    QsciCommand::LineScrollUp,
    QsciCommand::ScrollToStart,
    QsciCommand::ScrollToEnd,
    QsciCommand::VerticalCentreCaret,
    QsciCommand::ParaDown,
    QsciCommand::ParaDownExtend,
    QsciCommand::ParaUp,
    QsciCommand::ParaUpExtend,
    QsciCommand::CharLeft,
    QsciCommand::CharLeftExtend,
    QsciCommand::CharRight,
    QsciCommand::CharRightExtend,
    QsciCommand::WordLeft,
    QsciCommand::WordLeftExtend,
    QsciCommand::WordRight,
    QsciCommand::WordRightExtend,
    QsciCommand::WordLeftEnd,
    QsciCommand::WordLeftEndExtend,
    QsciCommand::WordRightEnd,
    QsciCommand::WordRightEndExtend,
    QsciCommand::WordPartLeft,
    QsciCommand::WordPartLeftExtend,
    QsciCommand::WordPartRight,
    QsciCommand::WordPartRightExtend,
    QsciCommand::Home,
    QsciCommand::HomeExtend,
    QsciCommand::HomeDisplay,
    QsciCommand::HomeDisplayExtend,
    QsciCommand::HomeWrap,
    QsciCommand::HomeWrapExtend,
    QsciCommand::VCHome,
    QsciCommand::VCHomeExtend,
    QsciCommand::VCHomeWrap,
    QsciCommand::VCHomeWrapExtend,
    QsciCommand::LineEnd,
    QsciCommand::LineEndExtend,
    QsciCommand::LineEndDisplay,
    QsciCommand::LineEndDisplayExtend,
    QsciCommand::LineEndWrap,
    QsciCommand::LineEndWrapExtend,
    QsciCommand::DocumentStart,
    QsciCommand::DocumentStartExtend,
    QsciCommand::DocumentEnd,
    QsciCommand::DocumentEndExtend,
    QsciCommand::PageUp,
    QsciCommand::PageUpExtend,
    QsciCommand::PageDown,
    QsciCommand::PageDownExtend,
    QsciCommand::StutteredPageUp,
    QsciCommand::StutteredPageUpExtend,
    QsciCommand::StutteredPageDown,
    QsciCommand::StutteredPageDownExtend,
    QsciCommand::Cancel,
    QsciCommand::ZoomIn,
    QsciCommand::ZoomOut,
    QsciCommand::Delete,
    QsciCommand::DeleteBack,
    QsciCommand::DeleteWordLeft,
    QsciCommand::DeleteWordRight,
};

// QScintilla's accessible text counts characters from the start of the text on every caret
// move, which makes typing in a large text slow; the editor is offered as a plain editable
// widget instead.
QAccessibleInterface* PlainAccessible(const QString& /*className*/, QObject* object) {
  if (auto* editor = dynamic_cast<ScintillaEditor*>(object)) {
    return new QAccessibleWidget(editor, QAccessible::EditableText);
  }
  return nullptr;
}

}  // namespace

ScintillaEditor::ScintillaEditor(QWidget* parent) : QsciScintilla(parent) {
  // After QScintilla's own factory, so that this one is asked first.
  static const bool plainAccessible = [] {
    QAccessible::installFactory(PlainAccessible);
    return true;
  }();
  (void)plainAccessible;
  for (QsciCommand* command : standardCommands()->commands()) {
    if (std::find(std::begin(kKeptCommands), std::end(kKeptCommands), command->command()) !=
        std::end(kKeptCommands))
      continue;
    command->setKey(0);
    command->setAlternateKey(0);
  }
}

ScintillaEditor::~ScintillaEditor() {
  input_ = nullptr;
}

template <class Base>
bool ScintillaEditor::Dispatch(Base base) {
  ++depth_;
  const bool result = base();
  if (--depth_ == 0 && input_ != nullptr) input_->EventDone();
  return result;
}

bool ScintillaEditor::event(QEvent* event) {
  return Dispatch([&] { return QsciScintilla::event(event); });
}

bool ScintillaEditor::viewportEvent(QEvent* event) {
  return Dispatch([&] { return QsciScintilla::viewportEvent(event); });
}

void ScintillaEditor::keyPressEvent(QKeyEvent* event) {
  if (input_ != nullptr && input_->KeyPressed(event)) {
    event->accept();
    return;
  }
  QsciScintilla::keyPressEvent(event);
}

void ScintillaEditor::inputMethodEvent(QInputMethodEvent* event) {
  if (input_ != nullptr && input_->InputMethod(event)) {
    event->accept();
    return;
  }
  QsciScintilla::inputMethodEvent(event);
}

void ScintillaEditor::mousePressEvent(QMouseEvent* event) {
  if (input_ != nullptr) input_->MousePressed();
  QsciScintilla::mousePressEvent(event);
}

void ScintillaEditor::focusInEvent(QFocusEvent* event) {
  QsciScintilla::focusInEvent(event);
  if (input_ != nullptr) input_->FocusIn();
}

void ScintillaEditor::focusOutEvent(QFocusEvent* event) {
  if (input_ != nullptr) input_->FocusOut();
  QsciScintilla::focusOutEvent(event);
}

void ScintillaEditor::contextMenuEvent(QContextMenuEvent* event) {
  // QScintilla's own menu would edit behind the program's back.
  if (contextMenu_ != nullptr) contextMenu_->popup(event->globalPos());
  event->accept();
}

// Dropped files belong to the main window, which opens them; only text is dropped here.
void ScintillaEditor::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  QsciScintilla::dragEnterEvent(event);
}

void ScintillaEditor::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  QsciScintilla::dragMoveEvent(event);
}

void ScintillaEditor::dropEvent(QDropEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  QsciScintilla::dropEvent(event);
}

// QScintilla answers the absolute position by counting every character before the caret; input
// methods work with the surrounding line, so the question stays unanswered.
QVariant ScintillaEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImAbsolutePosition) return {};
  return QsciScintilla::inputMethodQuery(query);
}

void ScintillaEditor::SetMarks(const EditorMarks& marks) {
  if (marks == marks_) return;
  marks_ = marks;
  viewport()->update();
}

void ScintillaEditor::resizeEvent(QResizeEvent* event) {
  QsciScintilla::resizeEvent(event);
  if (input_ != nullptr) input_->Resized();
}

void ScintillaEditor::paintEvent(QPaintEvent* event) {
  QsciScintilla::paintEvent(event);
  if (marks_.Any()) PaintMarks(event->rect());
}

namespace {

// An arrow from `from` to `to` with its head at `to`.
void Arrow(QPainter& painter, QPointF from, QPointF to, qreal head) {
  painter.drawLine(from, to);
  const QPointF d = from - to;
  const qreal length = std::max<qreal>(1, std::hypot(d.x(), d.y()));
  const QPointF u = d / length * head;
  const QPointF n(-u.y(), u.x());
  painter.drawLine(to, to + u + n * 0.7);
  painter.drawLine(to, to + u - n * 0.7);
}

}  // namespace

constexpr long kMarkScanLimit = 1 << 16;

// Only the lines in view are looked at, so the cost does not grow with the text.
void ScintillaEditor::PaintMarks(const QRect& area) {
  using Sci = QsciScintillaBase;
  const long lineCount = SendScintilla(SCI_GETLINECOUNT);
  const long firstShown = SendScintilla(SCI_GETFIRSTVISIBLELINE);
  const long shown = SendScintilla(SCI_LINESONSCREEN) + 2;
  const long firstLine = SendScintilla(SCI_DOCLINEFROMVISIBLE, firstShown);
  const long lastLine =
      std::min(lineCount - 1, SendScintilla(SCI_DOCLINEFROMVISIBLE, firstShown + shown));
  long textLeft = SendScintilla(SCI_GETMARGINLEFT);
  for (unsigned long margin = 0; margin < 5; ++margin)
    textLeft += SendScintilla(SCI_GETMARGINWIDTHN, margin);
  const qreal height = static_cast<qreal>(SendScintilla(SCI_TEXTHEIGHT, 0));
  const qreal half = std::max<qreal>(4, static_cast<qreal>(SendScintilla(
                                            Sci::SCI_TEXTWIDTH, 0UL, static_cast<const char*>("0"))));

  QPainter painter(viewport());
  painter.setClipRect(area.intersected(QRect(static_cast<int>(textLeft), 0,
                                             viewport()->width(), viewport()->height())));
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(marks_.colour);
  pen.setWidthF(std::max<qreal>(1, height / 16));
  painter.setPen(pen);
  auto point = [this](long position) {
    return QPointF(static_cast<qreal>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, position)),
                   static_cast<qreal>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, position)));
  };

  std::string text;
  for (long line = firstLine; line <= lastLine; ++line) {
    const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
    const long next = line + 1 < lineCount ? SendScintilla(SCI_POSITIONFROMLINE, line + 1)
                                           : SendScintilla(SCI_GETLENGTH);
    // Of a very long line, only so much is looked at for tabs and spaces at each paint.
    const long scanned = std::min(end - start, kMarkScanLimit);
    if (marks_.tab || marks_.wideSpace) {
      text.assign(static_cast<std::size_t>(scanned) + 1, '\0');
      SendScintilla(SCI_GETTEXTRANGE, start, start + scanned, text.data());
      text.resize(static_cast<std::size_t>(scanned));
      for (long i = 0; i < scanned; ++i) {
        const auto c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        const bool tab = c == '\t' && marks_.tab;
        const bool wide = c == 0xE3 && marks_.wideSpace && i + 2 < scanned &&
                          text.compare(static_cast<std::size_t>(i), 3, "\xE3\x80\x80") == 0;
        if (!tab && !wide) continue;
        const QPointF at = point(start + i);
        const QPointF after = point(start + i + (tab ? 1 : 3));
        const qreal width = after.y() == at.y() ? after.x() - at.x() : 2 * half;
        if (tab) {
          const qreal y = at.y() + height / 2;
          Arrow(painter, QPointF(at.x() + 1, y),
                QPointF(at.x() + std::min(width - 1, std::max(half, height * 0.6)), y),
                height / 5);
        } else {
          // On whole pixels: a thin outline between two would blur to half its colour.
          painter.setRenderHint(QPainter::Antialiasing, false);
          painter.drawRect(QRect(static_cast<int>(at.x() + width * 0.15),
                                 static_cast<int>(at.y() + height * 0.2),
                                 static_cast<int>(width * 0.7), static_cast<int>(height * 0.6)));
          painter.setRenderHint(QPainter::Antialiasing, true);
          i += 2;
        }
      }
    }
    const QPointF at = point(end);
    if (marks_.lineEnd && next > end) {
      char bytes[3] = {};
      SendScintilla(SCI_GETTEXTRANGE, end, std::min(next, end + 2), bytes);
      const std::string_view ending(bytes);
      const qreal left = at.x() + half * 0.2;
      const qreal right = at.x() + half * 0.9;
      const qreal top = at.y() + height * 0.2;
      const qreal bottom = at.y() + height * 0.75;
      if (ending == "\r\n") {
        // Down, then back to the line's start: the two moves of CR LF.
        painter.drawLine(QPointF(right, top), QPointF(right, bottom));
        Arrow(painter, QPointF(right, bottom), QPointF(left, bottom), height / 5);
      } else if (ending == "\n") {
        Arrow(painter, QPointF((left + right) / 2, top), QPointF((left + right) / 2, bottom),
              height / 5);
      } else {
        Arrow(painter, QPointF(right, (top + bottom) / 2), QPointF(left, (top + bottom) / 2),
              height / 5);
      }
    }
    if (marks_.eof && line == lineCount - 1) {
      // Made once per size: a font made at every paint costs more than the rest of the marks.
      const int pixels = std::max(6, static_cast<int>(height * 0.8));
      if (eofFont_.pixelSize() != pixels) {
        eofFont_ = font();
        eofFont_.setPixelSize(pixels);
      }
      painter.setFont(eofFont_);
      painter.drawText(QRectF(at.x() + 2, at.y(), 10 * height, height),
                       Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("[EOF]"));
    }
  }
}

// Tab is the text's: the control decides whether it types a tab or moves the focus.
bool ScintillaEditor::focusNextPrevChild(bool /*next*/) {
  return false;
}

}  // namespace norra
