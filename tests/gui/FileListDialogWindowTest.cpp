// Qt Test of the batch file-list dialog window: what it shows of the logic and what it forwards.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <memory>
#include <vector>

#include "FileListFacts.h"
#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "engine/TagTable.h"
#include "groups/FileListDialog.h"
#include "gui/FileListDialogWindow.h"
#include "platform/MemoryTextControl.h"
#include "platform/MemoryUi.h"
#include "settings/Settings.h"

using namespace norra;
using norra::guitest::CompareFocusWithModeTable;
using norra::guitest::CompareWithModeTable;
using C = FileListControl;

namespace {

class MemoryHost : public DocumentsHost {
 public:
  std::unique_ptr<TextControl> CreateTextControl() override {
    return std::make_unique<MemoryTextControl>();
  }
};

// The open Pages and the services the dialog logic works with, headless.
class World {
 public:
  World()
      : settings_(BuiltTags(tags_), folder_.filePath(QStringLiteral("Norra.ini")).toStdString(),
                  folder_.path().toStdString(), ScreenSize{1920, 1080}),
        log_(ui),
        docs(settings_, log_, ui, host_) {}

  // Opens a new file; it becomes the active Page (so the window order is the reverse).
  Page& Open(const QString& relative, const char* bytes, bool modified = false) {
    const QString path = folder_.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    docs.OpenPage(path.toStdString(), true);
    Page& page = *docs.ActivePage();
    page.SetModified(modified);
    return page;
  }
  // c.md, b.TXT and the modified a.txt, in window order a, b, c.
  void ThreePages() {
    Open(QStringLiteral("z/c.md"), "c");
    Open(QStringLiteral("x/b.TXT"), "b");
    Open(QStringLiteral("y/a.txt"), "a", true);
  }
  FileListDialogContext Context() {
    return FileListDialogContext{docs,
                                 settings_,
                                 log_,
                                 ui,
                                 host_,
                                 nullptr,
                                 [this](int topic) { helpTopics.push_back(topic); },
                                 [this] { ++printOptions; }};
  }
  std::string Folder(const char* sub) const {
    return folder_.filePath(QString::fromLatin1(sub)).toStdString();
  }

  MemoryUi ui;
  std::vector<int> helpTopics;
  int printOptions = 0;

 private:
  static TagTable& BuiltTags(TagTable& tags) {
    tags.Build();
    return tags;
  }
  QTemporaryDir folder_;
  TagTable tags_;
  MemoryHost host_;
  Settings settings_;
  UndoLog log_;

 public:
  Documents docs;
};

// The dialog as the runner hands it to the window, shown without a modal loop.
void Show(FileListDialogWindow& window, FileListDialog& dialog) {
  dialog.AttachView(&window);
  dialog.Showing();
  window.Present(dialog);
}

QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QStringList ColumnTexts(QTreeWidget* list, int column) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(column);
  return texts;
}

QList<bool> WidgetSelection(QTreeWidget* list) {
  QList<bool> selected;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    selected << list->topLevelItem(i)->isSelected();
  return selected;
}

QList<bool> LogicSelection(const FileListDialog& dialog) {
  QList<bool> selected;
  for (const FileListRow& row : dialog.Rows()) selected << row.selected;
  return selected;
}

QString ButtonText(FileListDialogWindow& window, C control) {
  return static_cast<QAbstractButton*>(window.Widget(control))->text();
}

QString Panel(FileListDialogWindow& window, int panel) {
  return window.findChild<QLabel*>(QStringLiteral("StatusBarPanel%1").arg(panel))->text();
}

void ClickHeader(QTreeWidget* list, int column) {
  QHeaderView* header = list->header();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void ClickRow(QTreeWidget* list, int row, Qt::KeyboardModifiers modifiers) {
  const QRect rect = list->visualItemRect(list->topLevelItem(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

}  // namespace

class FileListDialogWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsAreNamedAfterTheirComponents() {
    FileListDialogWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("TfrmFileListView"));
    for (int i = 0; i < static_cast<int>(C::kCount); ++i) {
      const auto control = static_cast<C>(i);
      const QString name = QString::fromLatin1(FileListDialog::ControlName(control));
      QVERIFY2(window.Widget(control) != nullptr, qPrintable(name));
      QCOMPARE(window.Widget(control)->objectName(), name);
      QCOMPARE(window.findChild<QWidget*>(name), window.Widget(control));
    }
    for (const char* name :
         {"fraControlTable", "lblPrompt", "StatusBar", "optText", "optSelText", "optPathName"})
      QVERIFY2(window.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
    QCOMPARE(window.size(), QSize(561, 394));
  }

  void eachModeShowsWhatTheLogicGives() {
    World world;
    world.ThreePages();
    FileListDialogWindow window;
    // What each mode shows comes from the logic's mode table; the rows from the world.
    struct Case {
      ListDialogMode mode;
      QStringList names;
      QList<bool> selected;
    };
    const QList<Case> cases = {
        {ListDialogMode::SaveAll, {"a.txt"}, {true}},
        {ListDialogMode::Exit, {"a.txt"}, {true}},
        // Nothing preselected: showing selects the first row.
        {ListDialogMode::ReloadAll, {"a.txt", "b.TXT", "c.md"}, {true, false, false}},
        // A listed Page is modified: close all's question form.
        {ListDialogMode::CloseAll, {"a.txt", "b.TXT", "c.md"}, {true, true, true}},
        {ListDialogMode::Jump, {"a.txt", "b.TXT", "c.md"}, {true, false, false}},
        {ListDialogMode::QuoteAll, {"b.TXT", "c.md"}, {true, false}},
    };
    for (const Case& c : cases) {
      const QByteArray trace = QByteArray::number(static_cast<int>(c.mode));
      FileListDialog dialog(world.Context(), c.mode);
      QVERIFY2(dialog.DialogResult() == kListDialogCancelled, trace);
      Show(window, dialog);
      CompareWithModeTable(window);
      if (QTest::currentTestFailed()) return;
      QCOMPARE(ButtonText(window, C::cmdCancel), Q("ｷｬﾝｾﾙ"));
      QCOMPARE(static_cast<QPushButton*>(window.Widget(C::cmdDo))->isDefault(), dialog.DoIsDefault());

      QTreeWidget* list = window.List();
      QCOMPARE(list->headerItem()->text(0), Q("ﾌｧｲﾙ名(F)"));
      QCOMPARE(list->headerItem()->text(1), Q("ﾌｫﾙﾀﾞ名(D)"));
      QCOMPARE(list->headerItem()->text(2), Q("拡張子(E)"));
      QCOMPARE(list->headerItem()->text(3), Q("状態(U)"));
      QCOMPARE(list->headerItem()->text(4), Q("ID."));
      QCOMPARE(ColumnTexts(list, 0), c.names);
      QCOMPARE(WidgetSelection(list), c.selected);
      QCOMPARE(LogicSelection(dialog), c.selected);
      // Every column as the logic's row has it.
      for (int r = 0; r < list->topLevelItemCount(); ++r) {
        for (int col = 0; col < FileListRow::kColumnCount; ++col)
          QCOMPARE(list->topLevelItem(r)->text(col),
                   QString::fromStdString(dialog.Rows()[r].columns[col]));
      }
      if (c.names.front() == QStringLiteral("a.txt")) {
        QCOMPARE(list->topLevelItem(0)->text(1), QString::fromStdString(world.Folder("y")));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("TXT"));
        QCOMPARE(list->topLevelItem(0)->text(3), Q("変更"));
        QCOMPARE(list->topLevelItem(0)->text(4), QStringLiteral("001"));
      }
      QCOMPARE(list->currentItem(), list->topLevelItem(0));
      QCOMPARE(Panel(window, 0), QStringLiteral("1/%1").arg(c.names.size()) + Q("ﾌｧｲﾙ"));
      const int chosen = static_cast<int>(c.selected.count(true));
      QCOMPARE(Panel(window, 1),
               Q("処理対象 : 選択した ") + QString::number(chosen) + Q("個のﾌｧｲﾙ"));
      CompareFocusWithModeTable(window);
      window.Detach();
    }
    QVERIFY(world.ui.Boxes().empty());
    // The close-all question form differs from the plain one in the table; the window follows.
    QVERIFY(std::string(FileListModeFactsOf(ListDialogMode::CloseAll, true).prompt) !=
            FileListModeFactsOf(ListDialogMode::CloseAll, false).prompt);
    FileListDialog jump(world.Context(), ListDialogMode::Jump);
    Show(window, jump);
    QCOMPARE(static_cast<QLabel*>(window.Widget(C::lblRows))->text(), QStringLiteral("/ 1"));
    window.Detach();
  }

  void headerClicksSortBothWaysWithOneDirection() {
    World world;
    world.ThreePages();
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::CloseAll);
    Show(window, dialog);
    QTreeWidget* list = window.List();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    ClickHeader(list, 0);
    QCOMPARE(ColumnTexts(list, 0), (QStringList{"a.txt", "b.TXT", "c.md"}));
    ClickHeader(list, 0);
    QCOMPARE(ColumnTexts(list, 0), (QStringList{"c.md", "b.TXT", "a.txt"}));
    QCOMPARE(ColumnTexts(list, 4), (QStringList{"003", "002", "001"}));  // IDs stay with their rows
    // The next click, on any column, sorts ascending again; the extension then descending.
    ClickHeader(list, 2);
    QCOMPARE(ColumnTexts(list, 2), (QStringList{"MD", "TXT", "TXT"}));
    ClickHeader(list, 2);
    QCOMPARE(ColumnTexts(list, 2), (QStringList{"TXT", "TXT", "MD"}));
    QCOMPARE(dialog.SortColumn(), 1);
    for (int r = 0; r < 3; ++r) {
      for (int col = 0; col < FileListRow::kColumnCount; ++col)
        QCOMPARE(list->topLevelItem(r)->text(col),
                 QString::fromStdString(dialog.Rows()[r].columns[col]));
    }
    QCOMPARE(WidgetSelection(list), LogicSelection(dialog));

    // The sort buttons do the same and hand the focus to the list.
    window.Widget(C::cmdCancel)->setFocus();
    QTest::mouseClick(window.Widget(C::cmdID), Qt::LeftButton);
    QCOMPARE(ColumnTexts(list, 4), (QStringList{"001", "002", "003"}));
    QTest::mouseClick(window.Widget(C::cmdFile), Qt::LeftButton);
    QCOMPARE(ColumnTexts(list, 0), (QStringList{"c.md", "b.TXT", "a.txt"}));
    QCOMPARE(window.focusWidget(), static_cast<QWidget*>(list));
    QCOMPARE(ButtonText(window, C::cmdExp), Q("拡張子(&E)"));
    QCOMPARE(ButtonText(window, C::cmdModified), Q("更新(&U)"));
    window.Detach();
  }

  void selectAllFlipsAndTheStatusFollowsTheSelection() {
    World world;
    world.ThreePages();
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::ReloadAll);
    Show(window, dialog);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTreeWidget* list = window.List();
    QCOMPARE(ButtonText(window, C::cmdSelectAll), Q("全て選択(&A)"));

    QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
    QCOMPARE(WidgetSelection(list), (QList<bool>{true, true, true}));
    QCOMPARE(LogicSelection(dialog), (QList<bool>{true, true, true}));
    QCOMPARE(ButtonText(window, C::cmdSelectAll), Q("全て非選択(&A)"));
    QCOMPARE(Panel(window, 1), Q("処理対象 : 選択した 3個のﾌｧｲﾙ"));
    QCOMPARE(window.focusWidget(), static_cast<QWidget*>(list));

    QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
    QCOMPARE(WidgetSelection(list), (QList<bool>{false, false, false}));
    QCOMPARE(ButtonText(window, C::cmdSelectAll), Q("全て選択(&A)"));
    QCOMPARE(Panel(window, 1), QString());
    QVERIFY(!window.Widget(C::cmdDo)->isEnabled());  // nothing to reload
    QVERIFY(!static_cast<QPushButton*>(window.Widget(C::cmdDo))->isDefault());

    // The user's clicks reach the logic; the status bar follows once the events are through.
    ClickRow(list, 1, Qt::NoModifier);
    QCOMPARE(LogicSelection(dialog), (QList<bool>{false, true, false}));
    QVERIFY(window.Widget(C::cmdDo)->isEnabled());
    QTRY_COMPARE(Panel(window, 1), Q("処理対象 : 選択した 1個のﾌｧｲﾙ"));
    QCOMPARE(Panel(window, 0), Q("2/3ﾌｧｲﾙ"));
    ClickRow(list, 2, Qt::ControlModifier);
    QCOMPARE(LogicSelection(dialog), (QList<bool>{false, true, true}));
    QTRY_COMPARE(Panel(window, 1), Q("処理対象 : 選択した 2個のﾌｧｲﾙ"));
    QCOMPARE(Panel(window, 0), Q("3/3ﾌｧｲﾙ"));
    QVERIFY(!dialog.SelectionChangedFlag());
    // A selection the logic changes itself reaches the list and, once idle, the status bar.
    dialog.SetRowSelected(1, false);
    QCOMPARE(WidgetSelection(list), (QList<bool>{false, false, true}));
    QTRY_COMPARE(Panel(window, 1), Q("処理対象 : 選択した 1個のﾌｧｲﾙ"));
    window.Detach();

    // A one-row list: picking another row drops the first in the logic and on screen.
    FileListDialog sort(world.Context(), ListDialogMode::SortList);
    Show(window, sort);
    QCOMPARE(WidgetSelection(list), (QList<bool>{true, false, false}));
    ClickRow(list, 2, Qt::ControlModifier);
    QCOMPARE(LogicSelection(sort), (QList<bool>{false, false, true}));
    QCOMPARE(WidgetSelection(list), (QList<bool>{false, false, true}));
    window.Detach();
  }

  void keysGoToTheLogicFirst() {
    World world;
    world.ThreePages();
    FileListDialogWindow window;
    {
      FileListDialog dialog(world.Context(), ListDialogMode::ReloadAll);
      Show(window, dialog);
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QTest::keyClick(window.List(), Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(LogicSelection(dialog), (QList<bool>{true, true, true}));
      QCOMPARE(ButtonText(window, C::cmdSelectAll), Q("全て非選択(&A)"));
      // Ctrl+A from a button's focus is select all as well: this time deselecting.
      window.Widget(C::cmdCancel)->setFocus();
      QTest::keyClick(window.Widget(C::cmdCancel), Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(LogicSelection(dialog), (QList<bool>{false, false, false}));
      QCOMPARE(WidgetSelection(window.List()), (QList<bool>{false, false, false}));
      window.Detach();
    }
    {
      // Number boxes take digits only.
      FileListDialog dialog(world.Context(), ListDialogMode::QuoteAll);
      Show(window, dialog);
      auto* count = static_cast<QLineEdit*>(window.Widget(C::txtCRLFCount));
      QCOMPARE(count->text(), QStringLiteral("1"));
      count->clear();
      count->setFocus();
      QTest::keyClicks(count, QStringLiteral("x2-y3"));
      QCOMPARE(count->text(), QStringLiteral("23"));
      QTest::keyClick(count, Qt::Key_Backspace);
      QCOMPARE(count->text(), QStringLiteral("2"));
      QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("optPathName")), Qt::LeftButton);
      window.Detach();
      // The next run starts afresh.
      FileListDialog next(world.Context(), ListDialogMode::QuoteAll);
      Show(window, next);
      QCOMPARE(count->text(), QStringLiteral("1"));
      QVERIFY(window.findChild<QRadioButton*>(QStringLiteral("optText"))->isChecked());
      window.Detach();
    }

    // In the modal run: Esc cancels and ends it, whatever has the focus.
    FileListDialog dialog(world.Context(), ListDialogMode::CloseAll);
    dialog.AttachView(&window);
    dialog.Showing();
    bool sawModal = false;
    QTimer::singleShot(0, &window, [&] {
      sawModal = QApplication::activeModalWidget() == &window;
      QTest::keyClick(window.List(), Qt::Key_Escape);
    });
    window.ShowModal(dialog);
    QVERIFY(sawModal);
    QVERIFY(dialog.Closed());
    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogCancelled));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.Attached(), nullptr);
    QCOMPARE(world.docs.PageCount(), std::size_t{3});

    // The close box is a cancel too.
    FileListDialog again(world.Context(), ListDialogMode::CloseAll);
    again.AttachView(&window);
    again.Showing();
    QTimer::singleShot(0, &window, [&] { window.close(); });
    window.ShowModal(again);
    QVERIFY(again.Closed());
    QCOMPARE(again.DialogResult(), static_cast<int>(kListDialogCancelled));
    QCOMPARE(world.docs.PageCount(), std::size_t{3});
  }

  void helpKeysAndPlacement() {
    World world;
    world.ThreePages();
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::ReloadAll);
    Show(window, dialog);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(ButtonText(window, C::cmdHelp), Q("ﾍﾙﾌﾟ(&H) F1"));
    QTest::keyClick(window.List(), Qt::Key_F1);
    QTest::mouseClick(window.Widget(C::cmdHelp), Qt::LeftButton);
    QCOMPARE(world.helpTopics, (std::vector<int>{1016, 1016}));
    // F6 belongs to the print panel; F4 keeps the window open.
    QTest::keyClick(window.List(), Qt::Key_F6);
    QCOMPARE(world.printOptions, 0);
    QTest::keyClick(window.List(), Qt::Key_F4);
    QVERIFY(window.isVisible());
    QVERIFY(!dialog.Closed());
    window.Detach();
    FileListDialog print(world.Context(), ListDialogMode::PrintAll);
    Show(window, print);
    QTest::keyClick(window.List(), Qt::Key_F6);
    QCOMPARE(world.printOptions, 1);

    // Centred on the screen; the list fills the width between the top panel and the status bar.
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY((window.geometry().center() - screen.center()).manhattanLength() <= 8);  // frame
    window.resize(700, 500);
    QCoreApplication::processEvents();
    QWidget* table = window.findChild<QWidget*>(QStringLiteral("fraControlTable"));
    QWidget* status = window.findChild<QWidget*>(QStringLiteral("StatusBar"));
    QCOMPARE(window.List()->width(), 700);
    QCOMPARE(window.List()->geometry().top(), table->geometry().bottom() + 1);
    QCOMPARE(window.List()->geometry().bottom() + 1, status->geometry().top());

    // The preparation of a save moves the window aside and puts it back; never off the screen.
    window.move(screen.topLeft());
    const QPoint before = window.pos();
    window.MoveLeftEdge(before.x() + 40);
    QCOMPARE(window.pos(), QPoint(before.x() + 40, before.y()));
    window.RestorePosition();
    QCOMPARE(window.pos(), before);
    window.MoveLeftEdge(screen.right());
    QVERIFY(screen.contains(window.frameGeometry()));
    window.RestorePosition();
    QCOMPARE(window.NameColumnWidth(), window.List()->columnWidth(0));
    window.Detach();
  }

  void commandButtonsRunTheModesActions() {
    World world;
    world.ThreePages();
    FileListDialogWindow window;
    // Close all, "いいえ(&N)" for the rows the user leaves selected: c.md stays open.
    FileListDialog dialog(world.Context(), ListDialogMode::CloseAll);
    dialog.AttachView(&window);
    dialog.Showing();
    QTimer::singleShot(0, &window, [&] {
      ClickRow(window.List(), 0, Qt::NoModifier);
      ClickRow(window.List(), 1, Qt::ControlModifier);
      QTest::mouseClick(window.Widget(C::cmdWithout), Qt::LeftButton);
    });
    window.ShowModal(dialog);
    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogDoneSecond));
    QCOMPARE(world.docs.PageCount(), std::size_t{1});
    QCOMPARE(QString::fromStdString(world.docs.ActivePage()->FilePath()).section('/', -1),
             QStringLiteral("c.md"));
  }

  void nothingActsOnTheDialogWhileItsActionRuns() {
    World world;
    world.ThreePages();
    world.docs.ActivePage()->SetModified(false);  // no questions on the way
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::ReloadAll);
    Show(window, dialog);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The reload lets pending events run after each Page; the user clicks and types meanwhile.
    bool tried = false;
    world.ui.SetOnProcessEvents([&] {
      if (tried) return;
      tried = true;
      QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
      ClickHeader(window.List(), 2);
      QTest::keyClick(window.List(), Qt::Key_Escape);
      QTest::mouseClick(window.Widget(C::cmdCancel), Qt::LeftButton);
      ClickRow(window.List(), 2, Qt::NoModifier);
      window.close();
    });
    QTest::mouseClick(window.Widget(C::cmdDo), Qt::LeftButton);
    QVERIFY(tried);
    QCOMPARE(world.ui.ProcessEventsCount(), std::size_t{1});  // one row, reloaded once
    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogDone));
    QCOMPARE(dialog.SortDirection(), 1);
    QCOMPARE(LogicSelection(dialog), (QList<bool>{true, false, false}));
    QVERIFY(!window.isVisible());
    window.Detach();
  }

  void enterPressesTheFirstButtonWhileItIsEnabled() {
    World world;
    Page& page = world.Open(QStringLiteral("y/a.txt"), "a", true);
    static_cast<MemoryTextControl&>(page.Control()).SetText("a2");
    FileListDialogWindow window;
    FileListDialog dialog(world.Context(), ListDialogMode::SaveAll);
    dialog.AttachView(&window);
    dialog.Showing();
    bool stillOpen = false;
    QTimer::singleShot(0, &window, [&] {
      // With nothing selected the first button is off and Enter does nothing.
      QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
      QTest::keyClick(window.List(), Qt::Key_Return);
      stillOpen = window.isVisible() && !dialog.Closed();
      QTest::mouseClick(window.Widget(C::cmdSelectAll), Qt::LeftButton);
      QTest::keyClick(window.List(), Qt::Key_Return);
    });
    window.ShowModal(dialog);
    QVERIFY(stillOpen);
    QCOMPARE(dialog.DialogResult(), static_cast<int>(kListDialogDone));
    std::ifstream in(world.Folder("y/a.txt"), std::ios::binary);
    QCOMPARE(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
             std::string("a2"));
    QVERIFY(!page.Modified());
  }
};

QTEST_MAIN(FileListDialogWindowTest)
#include "FileListDialogWindowTest.moc"
