// A file changed by another program behind an open Page, noticed by the program's watcher.
#include <QFile>
#include <QtTest>

#include "AppFixture.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/PageDiskWatch.h"
#include "gui/MainWindowView.h"

namespace norra {

class DiskChangeTest : public guitest::AppFixture {
  Q_OBJECT

  Page* PageOf(const QString& path) {
    for (const PageListEntry& entry : Logic().Docs().List().Entries())
      if (entry.page->FilePath() == path.toStdString()) return entry.page;
    return nullptr;
  }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  // The Page opened first lies behind the other and has no window yet: the file is watched
  // all the same.
  void ChangedFileBehindAPageAsksAndReloads() {
    const QString first = MakeFile(QStringLiteral("first.txt"), "mine");
    const QString second = MakeFile(QStringLiteral("second.txt"), "other");
    Start({first, second});
    Page* page = PageOf(first);
    QVERIFY(page != nullptr);
    QCOMPARE(TextOf(*page), std::string("mine"));

    ui_.QueueAnswer(IDYES);
    guitest::WriteBytes(first, "theirs, longer");
    QTRY_COMPARE_WITH_TIMEOUT(ui_.Boxes().size(), std::size_t{1}, 5000);
    QCOMPARE(ui_.Boxes()[0].text, PageDiskWatch::ChangedText(first.toStdString()));
    QCOMPARE(TextOf(*page), std::string("theirs, longer"));
    QVERIFY(!page->Modified());

    // A save of our own is no change by another program; the file stays watched after it.
    Type(*PageOf(second), QStringLiteral("x"));
    Logic().Docs().SavePage(*PageOf(second));
    QTest::qWait(600);
    QCOMPARE(ui_.Boxes().size(), std::size_t{1});
    guitest::WriteBytes(second, "changed again");
    QTRY_COMPARE_WITH_TIMEOUT(ui_.Boxes().size(), std::size_t{2}, 5000);
    QCOMPARE(ui_.Boxes()[1].text, PageDiskWatch::ChangedText(second.toStdString()));
  }
};

}  // namespace norra

QTEST_MAIN(norra::DiskChangeTest)
#include "DiskChangeTest.moc"
