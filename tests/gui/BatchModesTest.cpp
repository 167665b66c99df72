// Qt Test of the batch dialog through the whole program: exit, close all and reload all.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
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
#include "gui/PageWindow.h"
#include "gui/ScintillaTextControl.h"

using namespace norra;
using namespace norra::guitest;
using C = FileListControl;

namespace {

QStringList Names(QTreeWidget* list) {
  QStringList names;
  for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
  return names;
}

QStringList SelectedNames(QTreeWidget* list) {
  QStringList names;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    if (list->topLevelItem(i)->isSelected()) names << list->topLevelItem(i)->text(0);
  }
  return names;
}

int RowNamed(QTreeWidget* list, const QString& name) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    if (list->topLevelItem(i)->text(0) == name) return i;
  }
  return -1;
}

void ClickRow(QTreeWidget* list, int row, Qt::KeyboardModifiers modifiers) {
  const QRect rect = list->visualItemRect(list->topLevelItem(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

void Click(FileListDialogWindow& window, C control) {
  QTest::mouseClick(window.Widget(control), Qt::LeftButton);
}

// Where a window was moved to.
class MoveRecorder : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Move) xs << static_cast<QMoveEvent*>(event)->pos().x();
    return QObject::eventFilter(watched, event);
  }
  QList<int> xs;
};

}  // namespace

class BatchModesTest : public guitest::BatchDialogFixture {
  Q_OBJECT

 private slots:
  void init() { StartScripts(); }
  void cleanup() { EndScripts(); }

  void exitWithAModifiedPageAsksAndItsCancelKeepsEverythingOpen() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    Start({a, b});
    Page* pageA = PageNamed("a.txt");
    QVERIFY(pageA != nullptr);
    Type(*pageA, "X");
    QVERIFY(pageA->Modified());

    bool shown = false;
    WhenDialogShown([&](FileListDialogWindow& window) {
      shown = true;
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::Exit);
      CompareWithModeTable(window);
      // Only the modified Page, preselected.
      QCOMPARE(Names(window.List()), QStringList{"a.txt"});
      QCOMPARE(SelectedNames(window.List()), QStringList{"a.txt"});
      QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusBarPanel1"))->text(),
               U("処理対象 : 選択した 1個のﾌｧｲﾙ"));
      Click(window, C::cmdCancel);
    });
    QVERIFY(!View().close());
    QVERIFY(shown);
    Settle();
    QVERIFY(View().isVisible());
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{2});
    QVERIFY(pageA->Modified());
    QCOMPARE(TextOf(*pageA).find('X') != std::string::npos, true);
    QCOMPARE(ReadBytes(a), std::string("alpha"));

    // Esc in the dialog is a cancel as well.
    WhenDialogShown(
        [](FileListDialogWindow& window) { QTest::keyClick(window.List(), Qt::Key_Escape); });
    QVERIFY(!View().close());
    QCOMPARE(dialogsSeen_, 2);
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{2});
    QVERIFY(pageA->Modified());

    // "いいえ(&N)" lets the program close without writing anything.
    WhenDialogShown([](FileListDialogWindow& window) { Click(window, C::cmdWithout); });
    QVERIFY(View().close());
    QCOMPARE(dialogsSeen_, 3);
    QCOMPARE(ReadBytes(a), std::string("alpha"));
    QVERIFY(ui_.Boxes().empty());
  }

  void closeAllAnsweredNoClosesTheSelectedPagesWithoutWriting() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    const QString c = MakeFile(QStringLiteral("c.txt"), "gamma");
    Start({a, b, c});
    Type(*PageNamed("a.txt"), "X");

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::CloseAll);
      CompareWithModeTable(window);
      QCOMPARE(&window.Attached()->Facts(), &FileListModeFactsOf(ListDialogMode::CloseAll, true));
      QTreeWidget* list = window.List();
      QCOMPARE(list->topLevelItemCount(), 3);
      QCOMPARE(SelectedNames(list).size(), 3);
      const int rowA = RowNamed(list, QStringLiteral("a.txt"));
      QCOMPARE(list->topLevelItem(rowA)->text(3), U("変更"));
      // b.txt stays: the user takes it out of the selection.
      ClickRow(list, RowNamed(list, QStringLiteral("b.txt")), Qt::ControlModifier);
      QCOMPARE(SelectedNames(list).size(), 2);
      Click(window, C::cmdWithout);
    });
    View().Action(UiItem::mnuCloseAll)->trigger();
    Settle();
    QCOMPARE(dialogsSeen_, 1);
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{1});
    QVERIFY(PageNamed("b.txt") != nullptr);
    QCOMPARE(View().Area()->subWindowList().size(), 1);
    QCOMPARE(ReadBytes(a), std::string("alpha"));  // its change was dropped, not written
    QVERIFY(ui_.Boxes().empty());
  }

  void saveAllNamesAnUntitledPageAndWritesEveryChosenRow() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    Start({a});
    Type(*PageNamed("a.txt"), "X");
    View().Action(UiItem::mnuMakeNewFile)->trigger();
    Settle();
    Page* untitled = Logic().Docs().ActivePage();
    QVERIFY(untitled != nullptr && !untitled->HasFile());
    const std::string untitledName = untitled->DisplayName();
    Type(*untitled, "new");
    const QString chosen = Work(QStringLiteral("named.txt"));
    ui_.QueueDialogFiles({chosen.toStdString()});

    FileListDialogWindow* shown = nullptr;
    MoveRecorder moves;
    WhenDialogShown([&](FileListDialogWindow& window) {
      shown = &window;
      window.installEventFilter(&moves);
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::SaveAll);
      CompareWithModeTable(window);
      QCOMPARE(window.List()->topLevelItemCount(), 2);
      QCOMPARE(SelectedNames(window.List()).size(), 2);
      QCOMPARE(window.List()->topLevelItem(0)->text(0), QString::fromStdString(untitledName));
      QCOMPARE(window.List()->topLevelItem(0)->text(1), QString());  // no folder yet
      Click(window, C::cmdDo);
    });
    View().Action(UiItem::mnuUpdateAll)->trigger();
    Settle();
    QCOMPARE(dialogsSeen_, 1);
    // While the name was asked for, the dialog stood aside toward the right edge, as far as
    // the screen it is on lets it stay whole.
    QVERIFY(shown != nullptr);
    shown->removeEventFilter(&moves);
    const QRect area = shown->screen()->availableGeometry();
    const int aside = std::max(area.left(), std::min(1920 - shown->NameColumnWidth(),
                                                     area.left() + area.width() - shown->frameGeometry().width()));
    QVERIFY(moves.xs.contains(aside));

    // The untitled Page was named through the save dialog, proposing its name with ".txt".
    QCOMPARE(ui_.Dialogs().size(), std::size_t{1});
    QVERIFY(ui_.Dialogs()[0].save);
    QCOMPARE(ui_.Dialogs()[0].request.fileName, untitledName + ".txt");
    QCOMPARE(ReadBytes(chosen), std::string("new"));
    QCOMPARE(ReadBytes(a), std::string("Xalpha"));
    QCOMPARE(untitled->FilePath(), chosen.toStdString());
    QVERIFY(!untitled->Modified());
    QVERIFY(!PageNamed("a.txt")->Modified());
    QVERIFY(ui_.Boxes().empty());
  }

  void reloadAllOfAModifiedPageAfterItsConfirmation() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "alpha");
    const QString b = MakeFile(QStringLiteral("b.txt"), "beta");
    Start({a, b});
    Page* pageA = PageNamed("a.txt");
    Page* pageB = PageNamed("b.txt");
    Type(*pageA, "X");
    Type(*pageB, "Y");
    MakeFile(QStringLiteral("a.txt"), "alpha on disk");
    MakeFile(QStringLiteral("b.txt"), "beta on disk");
    // The first confirmation is answered No (b stays as it is), the second Yes.
    ui_.QueueAnswer(IDNO);
    ui_.QueueAnswer(IDYES);

    WhenDialogShown([](FileListDialogWindow& window) {
      QCOMPARE(window.Attached()->DialogMode(), ListDialogMode::ReloadAll);
      CompareWithModeTable(window);
      QTreeWidget* list = window.List();
      QCOMPARE(list->topLevelItemCount(), 2);
      // Nothing preselected: the first row (the active Page, b.txt) is selected on showing.
      QCOMPARE(SelectedNames(list), QStringList{"b.txt"});
      ClickRow(list, RowNamed(list, QStringLiteral("a.txt")), Qt::ControlModifier);
      QCOMPARE(SelectedNames(list), (QStringList{"b.txt", "a.txt"}));
      Click(window, C::cmdDo);
    });
    View().Action(UiItem::mnuReloadAll)->trigger();
    Settle();
    QCOMPARE(dialogsSeen_, 1);

    QCOMPARE(ui_.Boxes().size(), std::size_t{2});
    const std::string question =
        "\nは変更されています。\nﾃﾞｨｽｸから再読込みすると\n現在の変更は失われます\nよろしいですか?";
    QCOMPARE(ui_.Boxes()[0].text, b.toStdString() + question);
    QCOMPARE(ui_.Boxes()[1].text, a.toStdString() + question);
    QCOMPARE(TextOf(*pageA), std::string("alpha on disk"));
    QVERIFY(!pageA->Modified());
    QVERIFY(TextOf(*pageB).find('Y') != std::string::npos);
    QVERIFY(pageB->Modified());
    // The reloaded text is what the editor shows.
    QCOMPARE(View().WindowOf(*pageA)->Control().Widget()->text(), QStringLiteral("alpha on disk"));
  }
};

QTEST_MAIN(BatchModesTest)
#include "BatchModesTest.moc"
