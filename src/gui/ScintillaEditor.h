// The QScintilla widget of a text: hands the user's input to a listener before QScintilla sees it,
// and draws marks for characters the text does not show.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>
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
  virtual void Resized() {}
};

// Marks drawn over the text, never part of it: TAB, the full-width space, the line ends (CR LF,
// LF and a lone CR each its own) and the end of the text.
struct EditorMarks {
  bool tab = false;
  bool wideSpace = false;
  bool lineEnd = false;
  bool eof = false;
  QColor colour{0, 128, 192};
  bool Any() const { return tab || wideSpace || lineEnd || eof; }
  bool operator==(const EditorMarks&) const = default;
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
  void SetMarks(const EditorMarks& marks);
  const EditorMarks& Marks() const { return marks_; }

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
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PaintMarks(const QRect& area);

  template <class Base>
  bool Dispatch(Base base);

  EditorInput* input_ = nullptr;
  QPointer<QMenu> contextMenu_;
  int depth_ = 0;
  EditorMarks marks_;
  QFont eofFont_;
};

}  // namespace norra
