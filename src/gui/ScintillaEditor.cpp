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
#include <algorithm>
#include <iterator>

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

// Tab is the text's: the control decides whether it types a tab or moves the focus.
bool ScintillaEditor::focusNextPrevChild(bool /*next*/) {
  return false;
}

}  // namespace norra
