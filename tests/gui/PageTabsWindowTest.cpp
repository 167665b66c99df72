// Pages as tabs and the character count, on the real main window: the tabs follow opens,
// closes, renames and modified marks, a click activates a Page, a tab's close button is the
// close command; the page list and its F2 switch go on working beside them.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QtTest>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/MainWindow.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "gui/MainWindowView.h"
#include "settings/Settings.h"

using namespace norra;
using namespace norra::guitest;

class PageTabsWindowTest : public guitest::AppFixture {
  Q_OBJECT

  Page* Active() { return Logic().Docs().ActivePage(); }
  QTabBar* Tabs() { return View().findChild<QTabBar*>(QStringLiteral("tabPages")); }
  std::vector<QString> TabTexts() {
    std::vector<QString> texts;
    for (int i = 0; i < Tabs()->count(); ++i) texts.push_back(Tabs()->tabText(i));
    return texts;
  }
  void ClickTab(int index) {
    QTest::mouseClick(Tabs(), Qt::LeftButton, Qt::NoModifier, Tabs()->tabRect(index).center());
    Settle();
  }
  void CloseTab(int index) {
    auto* button = qobject_cast<QAbstractButton*>(Tabs()->tabButton(index, QTabBar::RightSide));
    QVERIFY(button != nullptr);
    button->click();
    Settle();
  }
  void WithTabs() {
    WriteBytes(dir_->filePath(QStringLiteral("config/Norra.ini")),
               "[Norra]\r\nIniVersion=3500\r\n[Vision]\r\nPageTabs=1\r\n");
  }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void tabsAreHiddenByDefault() {
    Start({});
    QVERIFY(Tabs() != nullptr);
    QVERIFY(!Tabs()->isVisibleTo(&View()));
  }

  void tabsFollowThePageList() {
    WithTabs();
    const QString a = MakeFile(QStringLiteral("a.txt"), "あいう\r\n");
    const QString b = MakeFile(QStringLiteral("b.txt"), "bee");
    Start({a, b});
    QVERIFY(Tabs()->isVisibleTo(&View()));
    QCOMPARE(TabTexts(), (std::vector<QString>{QStringLiteral("b.txt"), QStringLiteral("a.txt")}));
    QCOMPARE(Tabs()->currentIndex(), 0);
    QCOMPARE(Tabs()->tabToolTip(1), a);

    View().Action(UiItem::mnuMakeNewFile)->trigger();
    Settle();
    QCOMPARE(TabTexts(), (std::vector<QString>{U("無題1"), QStringLiteral("b.txt"), QStringLiteral("a.txt")}));
    Type(*Active(), QStringLiteral("x"));
    QCOMPARE(Tabs()->tabText(0), U("無題1 *"));

    // A click activates the tab's Page; the page list follows, and its own choice moves the tab.
    ClickTab(2);
    QCOMPARE(QString::fromStdString(Active()->FilePath()), a);
    QCOMPARE(View().PageList()->currentIndex(), 2);
    QCOMPARE(Tabs()->currentIndex(), 2);
    emit View().PageList()->activated(1);
    Settle();
    QCOMPARE(QString::fromStdString(Active()->FilePath()), b);
    QCOMPARE(Tabs()->currentIndex(), 1);

    // A Page saved under another name is renamed in its tab; the mark goes with the save.
    Page& untitled = *Logic().Docs().List().At(0).page;
    ui_.QueueDialogFiles({Work(QStringLiteral("c.txt")).toStdString()});
    Logic().Docs().ActivatePage(&untitled);
    View().Action(UiItem::mnuSaveAsFile)->trigger();
    Settle();
    QCOMPARE(Tabs()->tabText(0), QStringLiteral("c.txt"));
    QCOMPARE(ReadBytes(Work(QStringLiteral("c.txt"))), std::string("x"));
  }

  void closingATabIsTheCloseCommand() {
    WithTabs();
    const QString a = MakeFile(QStringLiteral("a.txt"), "old");
    const QString b = MakeFile(QStringLiteral("b.txt"), "bee");
    Start({a, b});
    Type(*Active(), QStringLiteral("X"));
    QCOMPARE(Tabs()->tabText(0), QStringLiteral("b.txt *"));

    ui_.QueueAnswer(IDCANCEL);
    CloseTab(0);
    QCOMPARE(ui_.LastBox().caption, std::string("保存確認"));
    QCOMPARE(Tabs()->count(), 2);
    ui_.QueueAnswer(IDYES);
    CloseTab(0);
    QCOMPARE(ReadBytes(b), std::string("Xbee"));
    QCOMPARE(TabTexts(), (std::vector<QString>{QStringLiteral("a.txt")}));
    QCOMPARE(View().PageList()->count(), 1);
    // A tab that is not the active Page's closes its own Page.
    View().Action(UiItem::mnuMakeNewFile)->trigger();
    Settle();
    CloseTab(1);
    QCOMPARE(TabTexts(), (std::vector<QString>{U("無題1")}));
    QCOMPARE(QString::fromStdString(Active()->DisplayName()), U("無題1"));
  }

  void theOptionShowsAndHidesTheTabsAtOnce() {
    Start({});
    Logic().Prefs().Vision.PageTabs = true;
    Logic().ShowBars(true, true);
    Settle();
    QVERIFY(Tabs()->isVisibleTo(&View()));
    QCOMPARE(TabTexts(), (std::vector<QString>{U("無題1")}));
    Logic().Prefs().Vision.PageTabs = false;
    Logic().ShowBars(true, true);
    QVERIFY(!Tabs()->isVisibleTo(&View()));
  }

  void charactersStandBesideTheBytes() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "あいう\r\nｱｲ");
    Start({a});
    QCOMPARE(View().StatusPanel(2)->text(), U("10ﾊﾞｲﾄ"));
    QCOMPARE(View().StatusPanel(StatusBar::kCharactersPanel)->text(), U("6文字"));
    Active()->Control().SetSelection(2, 6);
    Settle();
    QCOMPARE(View().StatusPanel(StatusBar::kCharactersPanel)->text(), U("選択3文字"));
    const int bytesX = View().StatusPanel(2)->x();
    const int charactersX = View().StatusPanel(StatusBar::kCharactersPanel)->x();
    QVERIFY(bytesX < charactersX);
    QVERIFY(charactersX < View().StatusPanel(3)->x());
  }
};

QTEST_MAIN(PageTabsWindowTest)
#include "PageTabsWindowTest.moc"
