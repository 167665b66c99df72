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

namespace norra {
namespace {

// Keys the program owns (its menu shortcuts, its undo, its insert mode) or that a plain-text
// control does not have; QScintilla must neither act on them nor claim them from the menus.
constexpr QsciCommand::Command kUnboundCommands[] = {
    QsciCommand::Undo,
    QsciCommand::Redo,
    QsciCommand::SelectAll,
    QsciCommand::EditToggleOvertype,
    QsciCommand::LineCut,
    QsciCommand::LineDelete,
    QsciCommand::LineCopy,
    QsciCommand::LineTranspose,
    QsciCommand::LineDuplicate,
    QsciCommand::SelectionDuplicate,
    QsciCommand::SelectionLowerCase,
    QsciCommand::SelectionUpperCase,
    QsciCommand::MoveSelectedLinesUp,
    QsciCommand::MoveSelectedLinesDown,
    QsciCommand::ReverseLines,
    QsciCommand::Formfeed,
    QsciCommand::Tab,
    QsciCommand::Backtab,
};

// Ctrl+X, Ctrl+C and Ctrl+V are menu commands; Shift+Del, Ctrl+Ins and Shift+Ins stay the
// control's own, as in any edit control.
constexpr QsciCommand::Command kMenuClipboardCommands[] = {
    QsciCommand::SelectionCut,
    QsciCommand::SelectionCopy,
    QsciCommand::Paste,
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
  QsciCommandSet* commands = standardCommands();
  for (QsciCommand::Command command : kUnboundCommands) {
    if (QsciCommand* bound = commands->find(command)) {
      bound->setKey(0);
      bound->setAlternateKey(0);
    }
  }
  for (QsciCommand::Command command : kMenuClipboardCommands) {
    if (QsciCommand* bound = commands->find(command)) bound->setKey(0);
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
