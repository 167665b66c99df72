// Qt Test of the windows' sizes: every dialog of the program fits a 1024 by 768 screen, and the
// save-as-all rename run keeps its dialog on the screen.
#include <QApplication>
#include <QFont>
#include <QScopeGuard>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "BatchDialogFixture.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/HelpWindow.h"
#include "gui/TdlgSelectDirEx.h"

using namespace norra;
using namespace norra::guitest;
using C = FileListControl;

namespace {

const QSize kSmallScreen(1024, 768);

// What the window needs at least and what it takes now, both within the small screen.
void CheckFits(QWidget& window, const QString& what) {
  const QSize needed = window.minimumSizeHint().expandedTo(window.minimumSize());
  const QString size = QStringLiteral("%1: needs %2x%3, has %4x%5")
                           .arg(what)
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(window.frameGeometry().width())
                           .arg(window.frameGeometry().height());
  QVERIFY2(needed.width() <= kSmallScreen.width() && needed.height() <= kSmallScreen.height(),
           qPrintable(size));
  QVERIFY2(window.frameGeometry().width() <= kSmallScreen.width() &&
               window.frameGeometry().height() <= kSmallScreen.height(),
           qPrintable(size));
}

}  // namespace

class DialogsFitTheScreenTest : public BatchDialogFixture {
  Q_OBJECT

 private:
  void AfterScript(FileListDialogWindow& window) override {
    auto* editor = window.findChild<QLineEdit*>(QStringLiteral("txtChangeFileName"));
    if (window.isVisible() && editor != nullptr && editor->isVisible())
      QTest::keyClick(editor, Qt::Key_Escape);
    if (window.isVisible()) window.reject();
  }

 private slots:
  void init() { StartScripts(); }
  void cleanup() { EndScripts(); }

  void everyDialogFitsA1024By768Screen() {
    // A Japanese desktop's font at a common size: texts take the room they take there.
    const QFont before = QApplication::font();
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(11);
    QApplication::setFont(font);
    const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
    Start({MakeFile(QStringLiteral("a.txt"), "alpha"), MakeFile(QStringLiteral("b.txt"), "beta")});
    Type(*Logic().Docs().ActivePage(), QStringLiteral("x"));
    for (const ListDialogMode mode :
         {ListDialogMode::SaveAll, ListDialogMode::SaveAsAll, ListDialogMode::PrintAll,
          ListDialogMode::QuoteAll, ListDialogMode::Jump, ListDialogMode::SortList,
          ListDialogMode::ReloadAll, ListDialogMode::CloseAll}) {
      bool shown = false;
      WhenDialogShown([&](FileListDialogWindow& window) {
        shown = true;
        CheckFits(window, window.windowTitle());
      });
      Logic().RunListDialog(mode);
      QVERIFY2(shown, qPrintable(QString::number(static_cast<int>(mode))));
    }

    bool options = false;
    QTimer::singleShot(0, this, [&] {
      if (QWidget* dialog = app_->OptionsWindow(); dialog != nullptr && dialog->isVisible()) {
        options = true;
        CheckFits(*dialog, dialog->objectName());
        dialog->close();
      }
    });
    View().Action(UiItem::mnuOption)->trigger();
    QVERIFY(options);

    View().Action(UiItem::mnuFind)->trigger();
    Settle();
    QVERIFY(app_->FindWindow().Window() != nullptr);
    CheckFits(*app_->FindWindow().Window(), QStringLiteral("TfrmR"));

    HelpWindow help;
    QVERIFY(help.ShowContents(NorraApp::HelpFolder() + "Norra.hlp"));
    CheckFits(help, help.objectName());

    bool folders = false;
    QTimer::singleShot(0, this, [&] {
      if (auto* dialog = qobject_cast<TdlgSelectDirEx*>(QApplication::activeModalWidget())) {
        folders = true;
        CheckFits(*dialog, dialog->objectName());
        dialog->reject();
      }
    });
    app_->Folders().ChooseFolder(Work(QString()).toStdString());
    QVERIFY(folders);
  }

  void theRenameRunKeepsTheDialogOnTheScreen() {
    Start({MakeFile(QStringLiteral("a.txt"), "alpha"), MakeFile(QStringLiteral("b.txt"), "beta")});
    bool played = false;
    WhenDialogShown([&](FileListDialogWindow& window) {
      played = true;
      const QRect screen = window.screen()->availableGeometry();
      QVERIFY(screen.contains(window.frameGeometry()));
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QTest::mouseClick(window.Widget(C::cmdChangeFileName), Qt::LeftButton);
      auto* editor = window.findChild<QLineEdit*>(QStringLiteral("txtChangeFileName"));
      QVERIFY(editor->isVisible());
      QVERIFY2(screen.contains(window.frameGeometry()),
               qPrintable(QStringLiteral("at %1,%2").arg(window.x()).arg(window.y())));
    });
    Logic().RunListDialog(ListDialogMode::SaveAsAll);
    QVERIFY(played);
  }
};

QTEST_MAIN(DialogsFitTheScreenTest)
#include "DialogsFitTheScreenTest.moc"
