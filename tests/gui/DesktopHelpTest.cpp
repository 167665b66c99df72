// Qt Test of the desktop help: what it writes for the viewer and what it hands it.
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/HelpLocation.h"
#include "gui/NorraApp.h"

using namespace norra;

class DesktopHelpTest : public QObject {
  Q_OBJECT

 private:
  static QByteArray Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void aTopicOfTheProgramsHelpOpensThroughAPageThatKeepsItsFragment() {
    const std::string help = NorraApp::HelpFolder() + "Norra.hlp";
    const HelpLocation location = LocateHelp(help, "topic1013", DesktopHelp::CopyFolder());
    QVERIFY(location.found);
    const std::string opened = DesktopHelp::PrepareForViewer(location);
    QCOMPARE(QString::fromStdString(opened),
             QDir(QString::fromStdString(DesktopHelp::CopyFolder())).filePath("open.html"));
    QVERIFY(Read(opened).contains(QByteArray::fromStdString(FileUrl(location.page, "topic1013"))));
  }

  void theContentsOpenThePageItself() {
    const std::string help = NorraApp::HelpFolder() + "Norra.hlp";
    const HelpLocation location = LocateHelp(help, std::string(), DesktopHelp::CopyFolder());
    QCOMPARE(DesktopHelp::PrepareForViewer(location), location.page);
    QVERIFY(location.page.ends_with("/index.html"));
  }

  void aTextHelpFileIsCopiedAsAPageBeforeItOpens() {
    QTemporaryDir dir;
    // Named like the forwarding page: its copy must not be overwritten by it.
    const QString path = dir.filePath(QStringLiteral("open"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("alpha\r\nbeta gamma\r\n");
    file.close();
    const HelpLocation location =
        LocateHelp(path.toStdString(), "gamma", DesktopHelp::TextCopyFolder());
    QVERIFY(location.found);
    const std::string opened = DesktopHelp::PrepareForViewer(location);
    QVERIFY(Read(opened).contains("/text/open.html#L2:~:text=gamma"));
    QVERIFY(Read(location.page).contains("<span id=\"L2\">beta gamma</span>"));
  }

  void nothingToShowHandsTheViewerNothing() {
    QVERIFY(DesktopHelp::PrepareForViewer(HelpLocation{}).empty());
    DesktopHelp desktop;
    QVERIFY(!desktop.SearchKeyword("/no/such/folder/Norra.hlp", "topic1013"));
    QVERIFY(!desktop.ShowContents("/no/such/folder/Norra.hlp"));
  }
};

QTEST_MAIN(DesktopHelpTest)
#include "DesktopHelpTest.moc"
