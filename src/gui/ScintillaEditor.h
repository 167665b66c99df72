// The QScintilla widget of a text: hands the user's input to a listener before QScintilla sees it.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QMenu>
#include <QPointer>

namespace norra {

// What the editor reports about its input. The text control implements it.
class EditorInput {
 public:
  virtual ~EditorInput() = default;
  // A key before QScintilla acts on it; true when it was dealt with (QScintilla never sees it).
  virtual bool KeyPressed(QKeyEvent* event) = 0;
  // An input-method event; true when it was dealt with.
  virtual bool InputMethod(QInputMethodEvent* event) = 0;
  virtual void MousePressed() = 0;  // before QScintilla moves the caret
  virtual void FocusIn() = 0;
  virtual void FocusOut() = 0;
  // The outermost event the widget received is over: report what it changed.
  virtual void EventDone() = 0;
};

class ScintillaEditor : public QsciScintilla {
 public:
  explicit ScintillaEditor(QWidget* parent = nullptr);
  ~ScintillaEditor() override;

  void SetInput(EditorInput* input) { input_ = input; }
  // The menu a right click opens (the owner keeps it); without one there is none.
  void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }
  // Moves the focus on as Tab does in a dialog.
  void FocusNeighbour(bool next) { QWidget::focusNextPrevChild(next); }
  // True while the widget is inside one of its own events.
  bool InEvent() const { return depth_ > 0; }

 protected:
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  template <class Base>
  bool Dispatch(Base base);

  EditorInput* input_ = nullptr;
  QPointer<QMenu> contextMenu_;
  int depth_ = 0;
};

}  // namespace norra
