// Qt Test of the group menu and the quote, jump and recent-file dialogs through the whole program.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

#include "BatchDialogFixture.h"
#include "FileListFacts.h"
#include "app/MainWindow.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "gui/FileListDialogWindow.h"
#include "gui/MainWindowView.h"
#include "settings/Settings.h"

using namespace norra;
using namespace norra::guitest;
using C = FileListControl;

namespace {

QStringList Names(QTreeWidget* list) {
  QStringList names;
  for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
  return names;
}

void Click(FileListDialogWindow& window, C control) {
  QTest::mouseClick(window.Widget(control), Qt::LeftButton);
}

QString Text(FileListDialogWindow& window, C control) {
  return static_cast<QAbstractButton*>(window.Widget(control))->text();
}

}  // namespace

class ListModesTest : public guitest::BatchDialogFixture {
  Q_OBJECT

 private:
  std::vector<std::string> PageListPaths() {
    std::vector<std::string> paths;
    for (const PageListEntry& entry : Logic().Docs().List().Entries())
      paths.push_back(entry.page->FilePath());
    return paths;
  }

  void Trigger(UiItem item) {
    View().Action(item)->trigger();
    Settle();
  }

 private slots:
  void init() { StartScripts(); }
  void cleanup() { EndScripts(); }

  void groupOfThreePagesReopensFromTheRecentGroupMenuInOrder() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    const QString c = MakeFile(QStringLiteral("c.txt"), "gamma");
    Start({a, b, c});
    const std::vector<std::string> order = PageListPaths();
    QCOMPARE(order.size(), std::size_t{3});
    const QString group = Work(QStringLiteral("three"));
    ui_.QueueDialogFiles({group.toStdString()});

    // A new group: every open Page added, then written under a name.
    WhenDialogShown([&](FileListDialogWindow& window) {
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::OpenFromGroup);
      CompareWithModeTable(window);
      auto* name = qobject_cast<QLabel*>(window.Widget(C::lblGroupName));
      QVERIFY(name != nullptr && name->isVisible());
      QCOMPARE(name->text(), U("新グループ"));
      QCOMPARE(Text(window, C::cmdAddFileFromWindow), U("子ｳｲﾝﾄﾞｳを全て追加(&W)"));
      Click(window, C::cmdAddFileFromWindow);
      QCOMPARE(window.List()->topLevelItemCount(), 3);
      Click(window, C::cmdUpdateGroup);
      QCOMPARE(name->text(), group + QStringLiteral(".tgp"));
      Click(window, C::cmdCancel);
    });
    Trigger(UiItem::mnuMakeNewGroup);
    QCOMPARE(dialogsSeen_, 1);
    const std::string written = group.toStdString() + ".tgp";
    QCOMPARE(ReadBytes(QString::fromStdString(written)),
             order[0] + "\r\n" + order[1] + "\r\n" + order[2] + "\r\n");

    // Everything closed.
    WhenDialogShown([](FileListDialogWindow& window) { Click(window, C::cmdDo); });
    Trigger(UiItem::mnuCloseAll);
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{0});

    // The group menu lists the group as number 1; choosing it and opening every member brings
    // the three Pages back in their order.
    auto* menu = View().findChild<QMenu*>(QStringLiteral("mnuGroup"));
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->title(), U("ｸﾞﾙｰﾌﾟ(&G)"));
    emit menu->aboutToShow();
    QAction* recent = View().Action(UiItem::mnuOpenGroup1);
    QVERIFY(recent->isVisible());
    QVERIFY(recent->isEnabled());
    QCOMPARE(recent->text(), U("&1.three.tgp"));
    QVERIFY(!View().Action(UiItem::mnuOpenGroup2)->isVisible());
    QVERIFY(!View().Action(UiItem::mnuAddChildToGroup)->isEnabled());
    QVERIFY(menu->actions().contains(recent));

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(Names(window.List()), (QStringList{"c.txt", "b.txt", "a.txt"}));
      QCOMPARE(window.List()->topLevelItem(0)->text(3), QStringLiteral("DISK"));
      Click(window, C::cmdSelectAll);
      Click(window, C::cmdDo);
    });
    recent->trigger();
    Settle();
    QCOMPARE(dialogsSeen_, 3);
    QCOMPARE(PageListPaths(), order);
    QVERIFY(ui_.Boxes().empty());
  }

  void quoteAllPutsTwoPagesAtTheCaretOfTheThird() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    const QString t = MakeFile(QStringLiteral("t.txt"), "target");
    Start({a, b, t});
    Page* target = Logic().Docs().ActivePage();
    QCOMPARE(target->FilePath(), t.toStdString());
    QVERIFY(View().Action(UiItem::mnuQuotationAll)->isEnabled());

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::QuoteAll);
      CompareWithModeTable(window);
      QCOMPARE(Names(window.List()), (QStringList{"b.txt", "a.txt"}));
      auto* lineBreaks = static_cast<QLineEdit*>(window.Widget(C::txtCRLFCount));
      QCOMPARE(lineBreaks->text(), QStringLiteral("1"));
      lineBreaks->setFocus();
      lineBreaks->end(false);
      QTest::keyClick(lineBreaks, Qt::Key_Backspace);
      QTest::keyClicks(lineBreaks, QStringLiteral("x2"));  // the letter is refused
      QCOMPARE(lineBreaks->text(), QStringLiteral("2"));
      QVERIFY(window.findChild<QRadioButton*>(QStringLiteral("optText"))->isChecked());
      Click(window, C::cmdSelectAll);
      Click(window, C::cmdDo);
    });
    QTest::keyClick(EditorOf(*target), Qt::Key_Q, Qt::ControlModifier);
    Settle();
    QCOMPARE(dialogsSeen_, 1);
    QCOMPARE(TextOf(*target), std::string("beta\r\n\r\nalpha\r\n\r\ntarget"));
    QVERIFY(target->Modified());
    Trigger(UiItem::mnuUndo);
    QCOMPARE(TextOf(*target), std::string("target"));

    // The file names instead of the texts.
    WhenDialogShown([](FileListDialogWindow& window) {
      QTest::mouseClick(window.findChild<QRadioButton*>(QStringLiteral("optPathName")),
                        Qt::LeftButton);
      Click(window, C::cmdDo);  // the first row is selected on showing
    });
    Trigger(UiItem::mnuQuotationAll);
    QCOMPARE(TextOf(*target), b.toStdString() + "\r\ntarget");
  }

  void f5JumpsToTheLineAndTheNextJumpStartsThere() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a1\r\na2");
    const QString lines = MakeFile(QStringLiteral("lines.txt"), "l1\r\nl2\r\nl3");
    Start({lines, a});
    Page* page = nullptr;
    for (Page* p : Logic().Docs().WindowOrder()) {
      if (p->FilePath() == lines.toStdString()) page = p;
    }
    QVERIFY(page != nullptr && page != Logic().Docs().ActivePage());

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::Jump);
      CompareWithModeTable(window);
      auto* row = static_cast<QLineEdit*>(window.Widget(C::txtRow));
      // Under load the offscreen platform may not have activated the dialog yet.
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QTRY_VERIFY(row->hasFocus());
      QCOMPARE(row->text(), QStringLiteral("1"));
      QTreeWidget* list = window.List();
      QCOMPARE(Names(list), (QStringList{"a.txt", "lines.txt"}));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                        list->visualItemRect(list->topLevelItem(1)).center());
      QCOMPARE(qobject_cast<QLabel*>(window.Widget(C::lblRows))->text(), QStringLiteral("/ 3"));
      row->setFocus();
      // Ctrl+A selects the box's text (the list selects one row only), so a number replaces it.
      QTest::keyClick(row, Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(row->selectedText(), QStringLiteral("1"));
      QTest::keyClicks(row, QStringLiteral("9"));
      QCOMPARE(row->text(), QStringLiteral("9"));
      QTest::keyClick(row, Qt::Key_Return);  // past the end: said so, and the dialog stays
      QVERIFY(window.isVisible());
      QCOMPARE(window.List()->selectedItems().size(), 1);
      QTest::keyClick(row, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(row, QStringLiteral("3"));
      QTest::keyClick(row, Qt::Key_Return);  // the default button
    });
    QTest::keyClick(EditorOf(*Logic().Docs().ActivePage()), Qt::Key_F5);
    Settle();
    QCOMPARE(dialogsSeen_, 1);
    QCOMPARE(ui_.Boxes().size(), std::size_t{1});
    QCOMPARE(ui_.LastBox().text, std::string("行番号は 1 ～ 3 の範囲で入力して下さい"));
    QCOMPARE(Logic().Docs().ActivePage(), page);
    QCOMPARE(page->Control().SelStart(), std::size_t{8});
    QCOMPARE(page->Control().SelLength(), std::size_t{0});

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(static_cast<QLineEdit*>(window.Widget(C::txtRow))->text(), QStringLiteral("3"));
      QCOMPARE(window.List()->selectedItems().size(), 1);
      QCOMPARE(window.List()->selectedItems().front()->text(0), QStringLiteral("lines.txt"));
      QTest::keyClick(window.Widget(C::txtRow), Qt::Key_Escape);
    });
    QTest::keyClick(EditorOf(*page), Qt::Key_F5);
    Settle();
    QCOMPARE(dialogsSeen_, 2);
  }

  void f4OpensAClosedRecentFileOrSaysThereIsNone() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    Start({a, b});
    Trigger(UiItem::mnuCloseFile);  // b, the active one
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{1});

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::RecentFiles);
      CompareWithModeTable(window);
      QCOMPARE(Names(window.List()), QStringList{"b.txt"});
      Click(window, C::cmdDo);
    });
    QTest::keyClick(EditorOf(*Logic().Docs().ActivePage()), Qt::Key_F4);
    Settle();
    QCOMPARE(dialogsSeen_, 1);
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{2});
    QCOMPARE(Logic().Docs().ActivePage()->FilePath(), b.toStdString());

    Logic().Prefs().File.RecentFiles.clear();
    QTest::keyClick(EditorOf(*Logic().Docs().ActivePage()), Qt::Key_F4);
    Settle();
    QCOMPARE(dialogsSeen_, 1);
    QCOMPARE(ui_.Boxes().size(), std::size_t{1});
    QCOMPARE(ui_.Boxes()[0].text, std::string("｢最近使ったﾌｧｲﾙ｣の記録数は 0件 です"));
  }
};

QTEST_MAIN(ListModesTest)
#include "ListModesTest.moc"
