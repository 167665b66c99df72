// Qt Test of the help window: the program's pages and second help files shown inside the
// program, with no browser of the desktop, its links, history, topics and find in the page.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

#include "gui/HelpWindow.h"
#include "gui/NorraApp.h"

using namespace norra;

class HelpWindowTest : public QObject {
  Q_OBJECT

 private:
  static std::string OwnHelp() { return NorraApp::HelpFolder() + "Norra.hlp"; }
  static QString U(const char* utf8) { return QString::fromUtf8(utf8); }
  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  static QPushButton* Button(HelpWindow& w, const char* name) {
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  // Where the first link to href is drawn, in the page's viewport.
  static QRect LinkRect(QTextBrowser& page, const QString& href) {
    for (QTextBlock block = page.document()->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.charFormat().isAnchor() || fragment.charFormat().anchorHref() != href) continue;
        QTextCursor cursor(page.document());
        cursor.setPosition(fragment.position() + 1);
        page.setTextCursor(cursor);
        page.ensureCursorVisible();
        return page.cursorRect(cursor).adjusted(-2, 0, -2, 0);
      }
    }
    return {};
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void helpOpensInsideTheProgramWithoutADesktopBrowser() {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray("/nonexistent"));
    qunsetenv("BROWSER");
    HelpWindow help;
    const bool shown = help.ShowContents(OwnHelp());
    qputenv("PATH", path);
    QVERIFY(shown);
    QVERIFY(help.isVisible());
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("index.html"));
    QVERIFY(help.Page()->toPlainText().contains(U("まとめて別名保存")));
    // Nothing to show is said so, for the caller's message.
    QVERIFY(!help.ShowContents("/nonexistent/Norra.hlp"));
  }

  void aTopicOpensItsPageAtItsAnchorAndBackAndForwardRetraceTheSteps() {
    HelpWindow help;
    help.resize(600, 300);
    QVERIFY(help.ShowContents(OwnHelp()));
    QVERIFY(help.SearchKeyword(OwnHelp(), "topic1013"));
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("filelist.html"));
    QCOMPARE(help.Page()->source().fragment(), QStringLiteral("topic1013"));
    QVERIFY(help.Page()->verticalScrollBar()->value() > 0);  // scrolled down to the topic
    QPushButton* back = Button(help, "cmdHelpBack");
    QPushButton* forward = Button(help, "cmdHelpForward");
    QVERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());
    back->click();
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("index.html"));
    QVERIFY(forward->isEnabled());
    forward->click();
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("filelist.html"));
    // A click on a link of the page opens its target.
    Button(help, "cmdHelpContents")->click();
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("index.html"));
    const QRect link = LinkRect(*help.Page(), QStringLiteral("mainwindow.html"));
    QVERIFY(link.isValid());
    QTest::mouseClick(help.Page()->viewport(), Qt::LeftButton, Qt::NoModifier, link.center());
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("mainwindow.html"));
    // The contents button goes home.
    Button(help, "cmdHelpContents")->click();
    QCOMPARE(help.Page()->source().fileName(), QStringLiteral("index.html"));
  }

  void findInThePageSelectsEachMatchAndStartsAgainAtTheTop() {
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("second.html"));
    Write(page, "<html><body><p>alpha beta</p><p>gamma beta</p></body></html>");
    HelpWindow help;
    QVERIFY(help.ShowContents(page.toStdString()));
    auto* find = help.findChild<QLineEdit*>(QStringLiteral("txtHelpFind"));
    QTest::keyClick(&help, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(help.focusWidget(), find);
    QTest::keyClicks(find, QStringLiteral("beta"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(help.Page()->textCursor().selectedText(), QStringLiteral("beta"));
    const int first = help.Page()->textCursor().position();
    QVERIFY(help.FindNext(QStringLiteral("beta")));
    QVERIFY(help.Page()->textCursor().position() > first);
    QVERIFY(help.FindNext(QStringLiteral("beta")));
    QCOMPARE(help.Page()->textCursor().position(), first);
    QVERIFY(!help.FindNext(QStringLiteral("delta")));
  }

  void aSecondHelpTextFileOpensAsAPageAtTheKeywordsLine() {
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("manual.txt"));
    Write(text, "intro\r\nprintf formats output\r\nscanf reads\r\n");
    HelpWindow help;
    QVERIFY(help.SearchKeyword(text.toStdString(), "scanf"));
    QCOMPARE(help.Page()->source().fragment(), QStringLiteral("L3"));
    QCOMPARE(help.Page()->textCursor().selectedText(), QStringLiteral("scanf"));
    QVERIFY(help.Page()->toPlainText().contains(QStringLiteral("printf formats output")));
  }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
