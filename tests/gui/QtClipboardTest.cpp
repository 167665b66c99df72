// Qt Test of the clipboard port: exact bytes between texts, LF and UTF-8 towards other programs.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>

#include "gui/QtClipboard.h"
#include "text/Encoding.h"

using namespace norra;

class QtClipboardTest : public QObject {
  Q_OBJECT

 private slots:
  void bytesComeBackExactly() {
    QtClipboard clipboard;
    // An escape, a character CP932 spells twice, a lone CR and a CR LF.
    const std::string bytes = std::string("a\x85 \xED\x40\rb\r\n") + Utf8ToCp932("ｶﾅ");
    QVERIFY(clipboard.SetText(bytes));
    QVERIFY(clipboard.HasText());
    QCOMPARE(clipboard.GetText(), bytes);
    // Other programs read UTF-8 with LF line breaks.
    const QString plain = QGuiApplication::clipboard()->text();
    QVERIFY(plain.contains(QStringLiteral("\rb\nｶﾅ")));
    QVERIFY(!plain.contains(QStringLiteral("\r\n")));
  }

  void textFromElsewhereBecomesCp932WithCrLf() {
    QtClipboard clipboard;
    QVERIFY(!CanEncodeCp932("✓"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8("一\n二\r\n✓"));
    QVERIFY(clipboard.HasText());
    QCOMPARE(clipboard.GetText(), Utf8ToCp932("一\r\n二\r\n?"));

    QGuiApplication::clipboard()->clear();
    QVERIFY(!clipboard.HasText());
    QCOMPARE(clipboard.GetText(), std::string());
  }
};

QTEST_MAIN(QtClipboardTest)
#include "QtClipboardTest.moc"
