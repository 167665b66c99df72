// Qt Test of save-as all through the whole program: the rename editor and the checked save.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <vector>

#include "BatchDialogFixture.h"
#include "documents/Documents.h"
#include "gui/FileListDialogWindow.h"
#include "gui/TdlgSelectDirEx.h"

using namespace norra;
using namespace norra::guitest;
using C = FileListControl;

namespace {

QLineEdit* Editor(FileListDialogWindow& window) {
  return window.findChild<QLineEdit*>(QStringLiteral("txtChangeFileName"));
}

// Replaces the editor's text as the user would: select everything, type the new path.
void Retype(QLineEdit* editor, const QString& text) {
  editor->selectAll();
  QTest::keyClicks(editor, text);
}

}  // namespace

class SaveAsAllWindowTest : public guitest::BatchDialogFixture {
  Q_OBJECT

 private:
  // A failed check must not hang the test: a rename run left open is abandoned first.
  void AfterScript(FileListDialogWindow& window) override {
    if (window.isVisible() && Editor(window)->isVisible())
      QTest::keyClick(Editor(window), Qt::Key_Escape);
    if (window.isVisible()) window.reject();
  }

 private slots:
  void init() { StartScripts(); }
  void cleanup() { EndScripts(); }

  void renamedIntoANewFolderThePagesNameTheNewFilesAndTheOldOnesStay() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    Start({a, b});
    Page* pageA = PageNamed("a.txt");
    Page* pageB = PageNamed("b.txt");
    QVERIFY(pageA != nullptr && pageB != nullptr);
    Type(*pageA, "X");
    const QString newA = Work(QStringLiteral("out/new/first.txt"));
    const QString newB = Work(QStringLiteral("out/new/second.txt"));

    bool played = false;
    WhenDialogShown([&](FileListDialogWindow& window) {
      QCOMPARE(window.windowTitle(), U("まとめて別名保存"));
      QCOMPARE(static_cast<QAbstractButton*>(window.Widget(C::cmdDo))->text(), U("確認保存(&B)"));
      QVERIFY(window.Widget(C::fraSaveAsAll)->isVisible());
      QVERIFY(window.findChild<QCheckBox*>(QStringLiteral("chkDontDelFile"))->isChecked());
      QVERIFY(window.findChild<QRadioButton*>(QStringLiteral("optAddExp"))->isChecked());
      QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("txtAddExp"))->text(),
               QStringLiteral(".txt"));
      QLineEdit* editor = Editor(window);
      QVERIFY(!editor->isVisible());
      QCOMPARE(window.List()->topLevelItem(0)->text(0), QStringLiteral("a.txt"));  // active first

      // Both rows go to a folder typed in the folder dialog, which makes it.
      bool chosen = false;
      QTimer::singleShot(0, [&] {
        auto* folders = qobject_cast<TdlgSelectDirEx*>(QApplication::activeModalWidget());
        QVERIFY(folders != nullptr);
        auto* box = folders->findChild<QLineEdit*>(QStringLiteral("txtDir"));
        box->selectAll();
        QTest::keyClicks(box, Work(QStringLiteral("out/new/")));
        chosen = true;
        folders->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        if (folders->isVisible()) folders->close();
      });
      QTest::mouseClick(window.Widget(C::cmdChangeDir), Qt::LeftButton);
      QVERIFY(chosen);
      QCOMPARE(window.List()->topLevelItem(0)->text(1), Work(QStringLiteral("out/new")));
      QCOMPARE(window.List()->topLevelItem(1)->text(1), Work(QStringLiteral("out/new")));

      window.activateWindow();  // so that a click could move the focus out of the editor
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QTest::mouseClick(window.Widget(C::cmdChangeFileName), Qt::LeftButton);
      QVERIFY(editor->isVisible());
      QCOMPARE(editor->text(), Work(QStringLiteral("out/new/a.txt")));
      QCOMPARE(editor->selectedText(), QStringLiteral("a"));  // the base name
      // While the editor runs, the dialog's buttons wait.
      QTest::mouseClick(window.Widget(C::cmdWithout), Qt::LeftButton);
      QVERIFY(window.isVisible());
      Retype(editor, newA);
      QTest::keyClick(editor, Qt::Key_Down);
      QVERIFY(editor->isVisible());
      QCOMPARE(editor->text(), Work(QStringLiteral("out/new/b.txt")));
      QCOMPARE(window.List()->topLevelItem(0)->text(0), QStringLiteral("first.txt"));
      Retype(editor, newB);
      QTest::keyClick(editor, Qt::Key_Return);
      QVERIFY(!editor->isVisible());
      QCOMPARE(window.List()->topLevelItem(1)->text(1), Work(QStringLiteral("out/new")));
      played = true;
      QTest::mouseClick(window.Widget(C::cmdWithout), Qt::LeftButton);
    });
    ui_.QueueAnswer(IDOK);  // make the typed folder
    View().Action(UiItem::mnuSaveAsAll)->trigger();
    Settle();
    QVERIFY(played);
    QCOMPARE(ui_.Boxes().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(ui_.Boxes()[0].text).endsWith(U("新しく作りますか?")));
    QCOMPARE(ReadBytes(newA), std::string("Xalpha"));
    QCOMPARE(ReadBytes(newB), std::string("beta"));
    QCOMPARE(ReadBytes(a), std::string("alpha"));  // the old files are untouched
    QCOMPARE(ReadBytes(b), std::string("beta"));
    QCOMPARE(pageA->FilePath(), newA.toStdString());
    QCOMPARE(pageB->FilePath(), newB.toStdString());
    QVERIFY(!pageA->Modified());
  }

  void aTargetThatCannotBeWrittenShowsTheMessageAndChangesNothing() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    // Its parent is a regular file, so not even root can make the folder.
    const QString plain = MakeFile(QStringLiteral("plain"), "just a file");
    Start({a});
    Page* pageA = PageNamed("a.txt");
    QVERIFY(pageA != nullptr);
    Type(*pageA, "X");
    const QString target = plain + QStringLiteral("/sub/a.txt");

    bool stayedOpen = false;
    WhenDialogShown([&](FileListDialogWindow& window) {
      // Leaving the editor for the list abandons the run: the row keeps its path. Focus moves
      // only within the active window.
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QTest::mouseClick(window.Widget(C::cmdChangeFileName), Qt::LeftButton);
      window.activateWindow();  // bringing the Page forward may have moved the activation
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QTRY_VERIFY(Editor(window)->hasFocus());
      Retype(Editor(window), Work(QStringLiteral("abandoned.txt")));
      const QRect row = window.List()->visualItemRect(window.List()->topLevelItem(0));
      QTest::mouseClick(window.List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(row.right() - 5, row.center().y()));
      QVERIFY(!Editor(window)->isVisible());
      QCOMPARE(window.List()->topLevelItem(0)->text(0), QStringLiteral("a.txt"));

      QTest::mouseClick(window.Widget(C::cmdChangeFileName), Qt::LeftButton);
      Retype(Editor(window), target);
      QTest::keyClick(Editor(window), Qt::Key_Return);
      QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
      stayedOpen = window.isVisible();
      QTest::mouseClick(window.Widget(C::cmdCancel), Qt::LeftButton);
    });
    View().Action(UiItem::mnuSaveAsAll)->trigger();
    Settle();
    QVERIFY(stayedOpen);
    QCOMPARE(ui_.Boxes().size(), std::size_t{1});
    QCOMPARE(ui_.Boxes()[0].text,
             "保存先フォルダ\n" + plain.toStdString() + "/sub\n (ID:1)の作成に失敗しました");
    QCOMPARE(ui_.Boxes()[0].flags, MB_OK | MB_ICONERROR);
    QCOMPARE(ReadBytes(plain), std::string("just a file"));
    QCOMPARE(ReadBytes(a), std::string("alpha"));
    QCOMPARE(pageA->FilePath(), a.toStdString());
    QVERIFY(pageA->Modified());
  }
};

QTEST_MAIN(SaveAsAllWindowTest)
#include "SaveAsAllWindowTest.moc"
