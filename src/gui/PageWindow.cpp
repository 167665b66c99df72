// TfrmPage: the MDI child that holds one Page's text.
#include "gui/PageWindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QStyle>

#include "app/MainWindow.h"
#include "documents/Page.h"
#include "gui/ScintillaTextControl.h"
#include "settings/Settings.h"

namespace norra {

TfrmPage::TfrmPage(Page& page, ScintillaTextControl& control, const VisionSettings& vision, QWidget* parent)
    : QMdiSubWindow(parent), page_(page), control_(control) {
  setObjectName(QStringLiteral("frmPage"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(QStringLiteral("ﾌｧｲﾙをﾛｰﾄﾞ中…"));
  setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));

  auto* client = new QWidget(this);
  auto* layout = new QHBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  leftBlank_ = new QFrame(client);
  leftBlank_->setObjectName(QStringLiteral("fraLeftBlank"));
  leftBlank_->setAutoFillBackground(true);
  layout->addWidget(leftBlank_);

  ScintillaEditor* editor = control.Widget();
  editor->setParent(client);
  layout->addWidget(editor, 1);
  Style(vision);
  setWidget(client);
  setFocusProxy(editor);
}

void TfrmPage::Style(const VisionSettings& vision) {
  const QColor back(vision.BackRed, vision.BackGreen, vision.BackBlue);
  const QColor fore(vision.ForeRed, vision.ForeGreen, vision.ForeBlue);
  leftBlank_->setFixedWidth(std::max(0, vision.LeftBlank));
  QPalette palette = leftBlank_->palette();
  palette.setColor(QPalette::Window, back);
  leftBlank_->setPalette(palette);
  control_.SetColours(back, fore);
  QFont font(QString::fromStdString(vision.FontName));
  if (vision.FontSize > 0) font.setPointSize(vision.FontSize);
  font.setStyleHint(QFont::TypeWriter);
  control_.SetTextFont(font);
  TextViewOptions view;
  view.lineNumbers = vision.LineNumbers;
  view.caretLine = vision.CaretLine;
  if (vision.ShowMarks) {
    view.marks = EditorMarks{vision.MarkTab, vision.MarkWideSpace, vision.MarkLineEnd,
                             vision.MarkEof,
                             QColor(vision.MarkRed, vision.MarkGreen, vision.MarkBlue)};
  }
  view.wrapColumns = vision.WrapAtColumns ? vision.WrapColumns : 0;
  control_.SetViewOptions(view);
}

int TfrmPage::StateOf(Qt::WindowStates states) {
  if (states & Qt::WindowMinimized) return kPageMinimized;
  if (states & Qt::WindowMaximized) return kPageMaximized;
  return kPageNormal;
}

void TfrmPage::Relayout() {
  if (QWidget* client = widget()) {
    if (client->layout() != nullptr) client->layout()->activate();
    client->update();
  }
}

void TfrmPage::closeEvent(QCloseEvent* event) {
  // The logic asks about saving; when the Page goes it destroys this window itself.
  event->ignore();
  if (logic_ != nullptr) logic_->PageWindowCloseRequested(page_);
}

}  // namespace norra
