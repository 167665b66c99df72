// Entry of the desktop application (for now a frame with one text, for trying the text control).
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "gui/QtUi.h"
#include "gui/ScintillaTextControl.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Norra"));
  norra::QtUi::InstallJapaneseTranslations();

  QMainWindow frame;
  auto* area = new QMdiArea(&frame);
  frame.setCentralWidget(area);

  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* blank = new QFrame(page);
  blank->setObjectName(QStringLiteral("fraLeftBlank"));
  blank->setFixedWidth(3);
  layout->addWidget(blank);
  norra::ScintillaTextControl control(page);
  layout->addWidget(control.Widget());
  control.SetTextFont(QFont(QStringLiteral("ＭＳ ゴシック"), 11));

  if (argc > 1) {
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray bytes = file.readAll();
      control.ResetText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      page->setWindowTitle(file.fileName());
    }
  }
  QMdiSubWindow* window = area->addSubWindow(page);
  window->showMaximized();
  frame.resize(900, 700);
  frame.show();
  const int result = QApplication::exec();
  delete window;  // before the control it holds
  return result;
}
