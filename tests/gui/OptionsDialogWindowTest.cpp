// Qt Test of the options dialog through the whole program: F6, a page's values applied to the
// open Pages at once, a refused value, and the settings file after OK.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "AppFixture.h"
#include "app/UiItem.h"
#include "app/OptionsDialog.h"
#include "documents/Documents.h"
#include "gui/OptionsDialogWindow.h"
#include "settings/Settings.h"

using namespace norra;
using namespace norra::guitest;

namespace {

template <typename T>
T* Find(QWidget& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}

// Replaces the text the user sees in a box as typing would.
void Retype(QLineEdit* box, const QString& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
}

void Click(QWidget& dialog, const char* name) {
  QPushButton* button = Find<QPushButton>(dialog, name);
  QVERIFY(button != nullptr);
  QVERIFY(button->isEnabled());
  button->click();
}

}  // namespace

class OptionsDialogWindowTest : public AppFixture {
  Q_OBJECT

 private:
  // Runs body while the dialog that `open` shows is up; the dialog is cancelled afterwards
  // if body left it open.
  void WhileShown(const std::function<void()>& open, const std::function<void(TdlgOption&)>& body) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
      TdlgOption* dialog = app_->OptionsWindow();
      if (dialog == nullptr || !dialog->isVisible()) return;
      ran = true;
      body(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    open();
    QVERIFY(ran);
  }

  int DrawnTabColumns() { return guitest::DrawnTabColumns(EditorOf(*Logic().Docs().ActivePage())); }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void F6ChangesTheTabWidthAndThePageUsesItAtOnce() {
    Start({MakeFile(QStringLiteral("a.txt"), "a\tb")});
    QCOMPARE(DrawnTabColumns(), 4);
    WhileShown([this] { QTest::keyClick(&View(), Qt::Key_F6); },
               [this](TdlgOption& dialog) {
                 QCOMPARE(dialog.size(), QSize(TdlgOption::kWidth, TdlgOption::kHeight));
                 QCOMPARE(dialog.windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
                 dialog.MenuItem(OptionsDialog::kPageEdit)->trigger();
                 QCOMPARE(dialog.MenuItem(OptionsDialog::kPageEdit)->text(), U("▼編集(&E)"));
                 QCOMPARE(dialog.MenuItem(OptionsDialog::kPageFile)->text(), U("ﾌｧｲﾙ(&F)"));
                 QVERIFY(Find<QGroupBox>(dialog, "fraEdit")->isVisible());
                 QVERIFY(!Find<QGroupBox>(dialog, "fraFile")->isVisible());
                 QVERIFY(!Find<QPushButton>(dialog, "cmdApply")->isEnabled());
                 Retype(Find<QLineEdit>(dialog, "txtTabStop"), QStringLiteral("8"));
                 Click(dialog, "cmdApply");
                 QCOMPARE(DrawnTabColumns(), 8);
                 QVERIFY(!Find<QPushButton>(dialog, "cmdApply")->isEnabled());
                 QVERIFY(dialog.isVisible());
               });
    QCOMPARE(Logic().Prefs().Edit.TabStop, 8);
    QCOMPARE(Logic().OptionsPageShown(), static_cast<int>(OptionsDialog::kPageEdit));
  }

  void TabStopFromTheSettingsFileIsTheDrawnWidthFromTheStart() {
    WriteBytes(dir_->filePath(QStringLiteral("config/Norra.ini")),
               "[Norra]\r\nIniVersion=3500\r\n[Edit]\r\nTabStop=8\r\n");
    Start({MakeFile(QStringLiteral("a.txt"), "a\tb")});
    QCOMPARE(Logic().Prefs().Edit.TabStop, 8);
    QCOMPARE(DrawnTabColumns(), 8);
    // A Page opened later too.
    Logic().Execute(UiItem::mnuMakeNewFile);
    Settle();
    Page& page = *Logic().Docs().ActivePage();
    page.Control().SetSelection(0, 0);
    page.Control().ReplaceSelection("a\tb");
    QCOMPARE(DrawnTabColumns(), 8);
  }

  void AnOutOfRangeValueShowsItsMessageAndKeepsTheOldValue() {
    Start({MakeFile(QStringLiteral("a.txt"), "a\tb")});
    WhileShown([this] { View().Action(UiItem::mnuOption)->trigger(); },
               [this](TdlgOption& dialog) {
                 dialog.MenuItem(OptionsDialog::kPageEdit)->trigger();
                 QLineEdit* box = Find<QLineEdit>(dialog, "txtTabStop");
                 Retype(box, QStringLiteral("0"));
                 Click(dialog, "cmdOK");
                 QVERIFY(dialog.isVisible());  // OK does not close over a refused value
                 QCOMPARE(ui_.Boxes().size(), std::size_t{1});
                 QCOMPARE(ui_.LastBox().text, std::string("ﾀﾌﾞ間隔は 1 ～ 99 に設定して下さい。"));
                 QCOMPARE(ui_.LastBox().caption, std::string("設定 - [編集]"));
                 QCOMPARE(box->text(), QStringLiteral("0"));
                 QCOMPARE(dialog.focusWidget(), box);
               });
    QCOMPARE(Logic().Prefs().Edit.TabStop, 4);
    QCOMPARE(DrawnTabColumns(), 4);
  }

  void TheSettingsFileAfterOkHoldsTheNewValuesAndNothingElseChanged() {
    Start({});
    QVERIFY(Logic().Prefs().Save());
    const QString file = dir_->filePath(QStringLiteral("config/Norra.ini"));
    const std::string before = ReadBytes(file);
    QVERIFY(before.find("TabStop=4\r\n") != std::string::npos);
    QVERIFY(before.find("LeftBlank=3\r\n") != std::string::npos);
    WhileShown([this] { View().Action(UiItem::mnuOption)->trigger(); },
               [](TdlgOption& dialog) {
                 dialog.MenuItem(OptionsDialog::kPageEdit)->trigger();
                 Retype(Find<QLineEdit>(dialog, "txtTabStop"), QStringLiteral("8"));
                 dialog.MenuItem(OptionsDialog::kPageVision)->trigger();
                 Retype(Find<QLineEdit>(dialog, "txtLeftBlank"), QStringLiteral("5"));
                 Click(dialog, "cmdOK");
                 QVERIFY(!dialog.isVisible());
               });
    std::string after = ReadBytes(file);
    for (const auto& [now, was] :
         {std::pair<std::string, std::string>{"TabStop=8\r\n", "TabStop=4\r\n"},
          {"LeftBlank=5\r\n", "LeftBlank=3\r\n"}}) {
      const std::size_t at = after.find(now);
      QVERIFY2(at != std::string::npos, now.c_str());
      after.replace(at, now.size(), was);
    }
    QCOMPARE(after, before);
    QCOMPARE(View().WindowOf(*Logic().Docs().ActivePage())->LeftBlank()->width(), 5);
  }

  void PrintCodeListInsertsAtTheHeaderCaretAndItsButtonHidesIt() {
    Start({});
    WhileShown(
        [this] { View().Action(UiItem::mnuSetPrinter)->trigger(); },
        [](TdlgOption& dialog) {
          QVERIFY(Find<QGroupBox>(dialog, "fraPrint")->isVisible());
          QLineEdit* head = Find<QLineEdit>(dialog, "txtHeadLine");
          QListWidget* list = Find<QListWidget>(dialog, "lstPrintCode");
          Retype(head, QStringLiteral("AB"));
          head->setCursorPosition(1);
          Click(dialog, "cmdHeadLineCode");
          QVERIFY(list->isVisible());
          QCOMPARE(list->currentRow(), 0);
          QVERIFY(list->geometry().bottom() <= head->mapTo(list->parentWidget(), QPoint(0, 0)).y());
          const QRect row = list->visualItemRect(list->item(0));
          // A double click as the mouse gives it: a click, then the second press.
          QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
          QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
          QCOMPARE(head->text(), QStringLiteral("A[filename]B"));
          QCOMPARE(head->cursorPosition(), 11);
          QCOMPARE(dialog.focusWidget(), head);
          Click(dialog, "cmdHeadLineCode");
          QVERIFY(!list->isVisible());
          QVERIFY(Find<QPushButton>(dialog, "cmdApply")->isEnabled());
        });
  }

  void EscInThePrintCodeListClosesOnlyTheList() {
    Start({});
    WhileShown([this] { View().Action(UiItem::mnuSetPrinter)->trigger(); },
               [](TdlgOption& dialog) {
                 QLineEdit* foot = Find<QLineEdit>(dialog, "txtFootLine");
                 QListWidget* list = Find<QListWidget>(dialog, "lstPrintCode");
                 Retype(foot, QStringLiteral("edited"));
                 Click(dialog, "cmdFootLineCode");
                 QVERIFY(list->isVisible());
                 QTest::keyClick(list, Qt::Key_Escape);
                 QVERIFY(dialog.isVisible());
                 QVERIFY(!list->isVisible());
                 QCOMPARE(dialog.focusWidget(), foot);
                 QCOMPARE(foot->text(), QStringLiteral("edited"));
                 // The same button shows the list again at once.
                 Click(dialog, "cmdFootLineCode");
                 QVERIFY(list->isVisible());
               });
  }

  void ABadTemplateCodeIsRefusedByApplyAndOkWithItsPlace() {
    Start({});
    const std::string before = Logic().Prefs().Print.HeadLine;
    WhileShown([this] { View().Action(UiItem::mnuSetPrinter)->trigger(); },
               [this](TdlgOption& dialog) {
                 QLineEdit* head = Find<QLineEdit>(dialog, "txtHeadLine");
                 Retype(head, QStringLiteral("p[pageindex[x]]"));
                 for (const char* button : {"cmdApply", "cmdOK"}) {
                   ui_.ClearBoxes();
                   Click(dialog, button);
                   QVERIFY(dialog.isVisible());
                   QCOMPARE(ui_.Boxes().size(), std::size_t{1});
                   QVERIFY2(ui_.LastBox().text.starts_with(
                                "ﾍｯﾀﾞｰの 2文字目の [pageindex[x]] は、番号が数値ではありません。"),
                            ui_.LastBox().text.c_str());
                   QCOMPARE(ui_.LastBox().caption, std::string("設定 - [印刷]"));
                   QCOMPARE(dialog.focusWidget(), head);
                 }
               });
    QCOMPARE(Logic().Prefs().Print.HeadLine, before);
  }

  void VersionInformationOpensTheFirstPage() {
    Start({});
    WhileShown([this] { View().Action(UiItem::HelpAboutItem)->trigger(); },
               [](TdlgOption& dialog) {
                 QVERIFY(Find<QGroupBox>(dialog, "fraNorra")->isVisible());
                 QCOMPARE(dialog.MenuItem(OptionsDialog::kPageGeneral)->text(), U("▼Norra(&M)"));
                 const QString version = Find<QLabel>(dialog, "lblVersion")->text();
                 QVERIFY(version.startsWith(QStringLiteral("Norra Version ")));
                 QVERIFY(version.size() > QStringLiteral("Norra Version ").size());
                 QVERIFY(!Find<QPushButton>(dialog, "cmdApply")->isVisible());
               });
  }
};

QTEST_MAIN(OptionsDialogWindowTest)
#include "OptionsDialogWindowTest.moc"
