// Qt Test of the results window: a folder list of a tree with Japanese folder names fills in,
// and Enter on a hit opens its file as a Page with the hit selected.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

#include "AppFixture.h"
#include "documents/Documents.h"
#include "findreplace/FindReplaceWindow.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/FindWindowBridge.h"
#include "gui/HitListWindow.h"

using namespace norra;
using namespace norra::guitest;

class HitListWindowTest : public AppFixture {
  Q_OBJECT

 private:
  TfrmR* Window() { return app_->FindWindow().Window(); }
  template <class T = QWidget>
  T* Control(QWidget* parent, const char* name) {
    T* control = parent->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qWarning("no control %s", name);
    return control;
  }
  void Click(QWidget* parent, const char* name) {
    QTest::mouseClick(Control<QAbstractButton>(parent, name), Qt::LeftButton);
    Settle();
  }
  QString Tree(const char* relative, const std::string& bytes) {
    const QString path = dir_->filePath(QStringLiteral("tree/") + QString::fromUtf8(relative));
    QDir().mkpath(QFileInfo(path).path());
    WriteBytes(path, bytes);
    return path;
  }
  // A folder list of "ab" over the tree, as the user asks for it.
  HitListWindow* ListTheTree() {
    QTest::keyClick(&View(), Qt::Key_F, Qt::ControlModifier);
    Settle();
    Click(Window(), "optRangeDirectory");
    app_->FindWindow().Logic()->SetFolderText(dir_->filePath(QStringLiteral("tree")).toStdString());
    QWidget* find = Control(Window(), "txtFind");
    find->setFocus();
    QTest::keyClicks(find, QStringLiteral("ab"));
    Settle();
    if (!Control(Window(), "cmdListHits")->isEnabled()) return nullptr;
    Click(Window(), "cmdListHits");
    return app_->FindWindow().HitWindow();
  }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void EnterOnTheSecondHitOpensItsFileWithTheHitSelected() {
    Tree("a.txt", "ab first\r\n");
    const QString second = Tree("原稿/第一章/本文.txt", Utf8ToCp932("前置き\nその「ab」を\n"));
    Tree("原稿/第一章/無関係.txt", "nothing\r\n");
    Start({MakeFile(QStringLiteral("open.txt"), "x")});
    HitListWindow* list = ListTheTree();
    QVERIFY(list != nullptr);
    QTRY_VERIFY(!list->Running());
    QVERIFY(list->isVisible());
    QVERIFY(!Control(list, "cmdStop")->isEnabled());  // nothing left to stop
    auto* tree = Control<QTreeView>(list, "tvwHits");
    QCOMPARE(tree->model()->rowCount(), 4);  // two files with a hit each
    QCOMPARE(Control<QLabel>(list, "lblProgress")->text(),
             U("2 件 (2 ﾌｧｲﾙ / 3 ﾌｧｲﾙ中)"));
    QCOMPARE(tree->model()->index(2, 0).data().toString(), second + U(" (1)"));
    QCOMPARE(tree->model()->index(3, 0).data().toString(), U("    2:7: その「ab」を"));
    // The first hit is the current row; Down goes to the second and Enter opens it.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);  // past the second file's row to its hit
    QTest::keyClick(tree, Qt::Key_Return);
    Settle();
    Page& page = *Logic().Docs().ActivePage();
    QCOMPARE(QString::fromStdString(page.FilePath()), second);
    QCOMPARE(Cp932ToUtf8(page.Control().SelText()), std::string("ab"));
    QCOMPARE(page.Control().LineFromOffset(page.Control().SelStart()), std::size_t{1});
    // Shift+F8, pressed in the Page, goes back to the previous hit and opens its file.
    const std::size_t pages = Logic().Docs().PageCount();
    QTest::keyClick(EditorOf(page), Qt::Key_F8, Qt::ShiftModifier);
    Settle();
    QCOMPARE(Logic().Docs().ActivePage()->FilePath(), (dir_->filePath(QStringLiteral("tree/a.txt"))).toStdString());
    QCOMPARE(Logic().Docs().PageCount(), pages + 1);
    // Saved as norra-find prints it.
    const QString saved = dir_->filePath(QStringLiteral("hits.txt"));
    QVERIFY(list->SaveTo(saved.toStdString()));
    QCOMPARE(ReadBytes(saved), (dir_->filePath(QStringLiteral("tree/a.txt")) + U(":1:1:ab first\n") +
                                second + U(":2:7:その「ab」を\n")).toStdString());
  }

  void TheListCommandIsOffForTheCurrentFile() {
    Start({MakeFile(QStringLiteral("open.txt"), "ab")});
    QTest::keyClick(&View(), Qt::Key_F, Qt::ControlModifier);
    Settle();
    Click(Window(), "optRangeCurrentPad");
    QVERIFY(!Control(Window(), "cmdListHits")->isEnabled());
    Click(Window(), "optRangeAllNote");
    QVERIFY(Control(Window(), "cmdListHits")->isEnabled());
  }
};

QTEST_MAIN(HitListWindowTest)
#include "HitListWindowTest.moc"
