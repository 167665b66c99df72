// Nothing typed is lost: the real program killed with three edited Pages, and the editor's copy
// writer killed half-way through a newer copy, then a start that restores what they left.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTreeWidget>

#include "RecoveryFixture.h"
#include "documents/Documents.h"
#include "documents/PageFiles.h"
#include "text/Encoding.h"

using namespace norra;
using namespace norra::guitest;

class RecoveryKillTest : public RecoveryFixture {
  Q_OBJECT

  QProcessEnvironment ChildEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir_->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_->filePath(QStringLiteral("config-home")));
    env.insert(QStringLiteral("XDG_STATE_HOME"), dir_->filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir_->filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_->filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
  }
  // The copies on disk now, in every run's folder.
  int CopiesOnDisk() const {
    int count = 0;
    for (const QString& run : QDir(Recovery()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      count += QDir(Recovery() + run).entryList({QStringLiteral("*.copy")}, QDir::Files).size();
    return count;
  }
  static void PressEnter(QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Return); }

 private slots:
  void init() {
    MakeFolders();
    for (const char* sub : {"runtime", "state", "cache", "config-home/norra"}) QDir(dir_->path()).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(dir_->filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The 2 MB Page grows past the default limit when it is edited.
    WriteBytes(dir_->filePath(QStringLiteral("config-home/norra/Norra.ini")),
               "[Norra]\r\nIniVersion=3500\r\n[File]\r\nMaxLength=4194304\r\n");
    // This process's own start finishes journals in the test's state folder, not the user's.
    qputenv("XDG_STATE_HOME", dir_->filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_CACHE_HOME", dir_->filePath(QStringLiteral("cache")).toUtf8());
  }
  void cleanup() { StopApp(); }

  void threeEditedPagesSurviveAKillByteForByte() {
    std::string large;
    const std::string line = Utf8ToCp932("吾輩は猫である。名前はまだ無い。 line of a long text\r\n");
    while (large.size() + line.size() <= (2u << 20)) large += line;
    large.append((2u << 20) - large.size(), 'x');
    WriteBytes(Work(QStringLiteral("large.txt")), large);
    // Bytes that are no CP932 character, in a file with LF line breaks.
    const std::string invalid("\x85\x40 \xFF\xFE \x81\n\xA0\x82\nend\n", 15);
    WriteBytes(Work(QStringLiteral("invalid.txt")), invalid);
    const char* typed = "書き足し\t";
    const std::string typedCp932 = Utf8ToCp932(typed);

    QProcess editor;
    QProcessEnvironment env = ChildEnvironment();
    env.insert(QStringLiteral("NORRA_AUTOMATION_ITEMS"), QStringLiteral("mnuMakeNewFile"));
    env.insert(QStringLiteral("NORRA_AUTOMATION_TEXT"), QString::fromUtf8(typed));
    editor.setProcessEnvironment(env);
    editor.setWorkingDirectory(Work(QString()));
    editor.start(QStringLiteral(NORRA_EXE), {QStringLiteral("--new-window"), Work(QStringLiteral("large.txt")),
                                             Work(QStringLiteral("invalid.txt"))});
    QVERIFY(editor.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(CopiesOnDisk(), 3, 30000);
    editor.kill();  // SIGKILL
    QVERIFY(editor.waitForFinished(10000));
    QCOMPARE(editor.exitStatus(), QProcess::CrashExit);

    StartWithRecovery({}, &RecoveryKillTest::PressEnter);
    QVERIFY(dialogShown_);
    QVERIFY2(ui_.Boxes().empty(), "everything restored: nothing to ask");
    const PageList& list = Logic().Docs().List();
    QCOMPARE(list.Count(), std::size_t{3});
    int seen = 0;
    for (const PageListEntry& entry : list.Entries()) {
      Page& page = *entry.page;
      QVERIFY(page.Modified());
      if (page.Kind() == PageKind::Untitled) {
        QCOMPARE(page.Control().Text(), typedCp932);
        ++seen;
      } else if (QString::fromStdString(page.FilePath()) == Work(QStringLiteral("large.txt"))) {
        QVERIFY(page.Control().Text() == typedCp932 + large);
        QVERIFY(!page.LfLineBreaks());
        ++seen;
      } else if (QString::fromStdString(page.FilePath()) == Work(QStringLiteral("invalid.txt"))) {
        QCOMPARE(page.Control().Text(), typedCp932 + LfToCrLf(invalid));
        QVERIFY(page.LfLineBreaks());
        QCOMPARE(Documents::FileBytes(page), typedCp932 + invalid);
        ++seen;
      }
    }
    QCOMPARE(seen, 3);
    QCOMPARE(ReadBytes(Work(QStringLiteral("large.txt"))), large);  // the files were not touched
  }

  void killDuringACopysWriteLeavesTheOlderCopy() {
    QProcess child;
    child.setProcessEnvironment(ChildEnvironment());
    child.start(QStringLiteral(RECOVERY_CHILD), {Recovery(), Work(QString())});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("half"), 30000);
    QVERIFY(said.contains("first"));
    QCOMPARE(QDir(Recovery()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    const QString run = Recovery() + QDir(Recovery()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).first();
    QCOMPARE(QDir(run).entryList({QStringLiteral("*.copy.part")}, QDir::Files).size(), 1);
    child.kill();
    QVERIFY(child.waitForFinished(10000));

    StartWithRecovery({}, &RecoveryKillTest::PressEnter);
    QVERIFY(dialogShown_);
    QCOMPARE(Logic().Docs().List().Count(), std::size_t{1});
    Page& page = *Logic().Docs().List().At(0).page;
    QCOMPARE(page.Control().Text(), std::string("the older copy \x85\xFF\r\n"));
    QVERIFY(page.Modified());
    QVERIFY2(!QFileInfo::exists(run), "the killed run's folder went, its half-written copy with it");
  }
};

QTEST_MAIN(RecoveryKillTest)
#include "RecoveryKillTest.moc"
