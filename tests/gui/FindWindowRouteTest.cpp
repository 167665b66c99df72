// Qt Test of what passes between the find/replace window and the main window: the status
// panel's hints, the options dialog opened from the window, and options reaching the window.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <string>

#include "AppFixture.h"
#include "app/OptionsDialog.h"
#include "app/UiItem.h"
#include "documents/Documents.h"
#include "findreplace/FindReplaceWindow.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/FindWindowBridge.h"
#include "gui/OptionsDialogWindow.h"
#include "settings/Settings.h"

using namespace norra;
using namespace norra::guitest;

class FindWindowRouteTest : public AppFixture {
  Q_OBJECT

 private:
  TfrmR* Window() { return app_->FindWindow().Window(); }
  template <class T = QWidget>
  T* Control(QWidget& parent, const char* name) {
    T* control = parent.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qWarning("no control %s", name);
    return control;
  }
  void TypeInto(const char* name, const char* text) {
    QWidget* box = Control(*Window(), name);
    box->setFocus();
    QTest::keyClicks(box, QString::fromLatin1(text));
    Settle();
  }
  void MainKey(int key, Qt::KeyboardModifiers modifiers) {
    View().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&View()));
    QTest::keyClick(&View(), static_cast<Qt::Key>(key), modifiers);
    Settle();
  }
  // F6 in the find window's box opens the options dialog; body runs while it is up, and OK
  // closes it.
  void OptionsFromTheFindWindow(const std::function<void(TdlgOption&)>& body) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
      TdlgOption* dialog = app_->OptionsWindow();
      if (dialog == nullptr || !dialog->isVisible()) return;
      ran = true;
      body(*dialog);
      Control<QPushButton>(*dialog, "cmdOK")->click();
      if (dialog->isVisible()) dialog->reject();
    });
    QTest::keyClick(Control(*Window(), "txtFind"), Qt::Key_F6);
    Settle();
    QVERIFY(ran);
  }
  bool BoxWantsTabs(FindBox box) { return app_->FindWindow().Logic()->Box(box).WantTabs(); }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void AHintInPanelZeroIsShownAgainAfterAReplaceAll() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab ab")});
    MainKey(Qt::Key_H, Qt::ControlModifier);
    const std::string hint = "開く";
    Logic().ShowHint(hint);
    QCOMPARE(View().StatusPanel(0)->text().toStdString(), hint);
    QTest::mouseClick(Control<QAbstractButton>(*Window(), "optRangeAllNote"), Qt::LeftButton);
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "c");
    QTest::mouseClick(Control<QAbstractButton>(*Window(), "cmdReplaceAll"), Qt::LeftButton);
    Settle();
    QCOMPARE(TextOf(*Logic().Docs().ActivePage()), std::string("c c"));
    QCOMPARE(View().StatusPanel(0)->text(), QString());  // the run's progress is cleared
    Logic().ShowHint(hint);
    QCOMPARE(View().StatusPanel(0)->text().toStdString(), hint);
  }

  void SecondHelpCaptionsAreFreshAfterF6FromTheFindWindow() {
    const QString helpFile = MakeFile(QStringLiteral("manual.txt"), "words\r\n");
    Start({MakeFile(QStringLiteral("a.txt"), "ab")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    OptionsFromTheFindWindow([&](TdlgOption& dialog) {
      QCOMPARE(dialog.MenuItem(OptionsDialog::kPageFindReplace)->text(), U("▼検索/置換(&R)"));
      dialog.MenuItem(OptionsDialog::kPageHelp)->trigger();
      QLineEdit* box = Control<QLineEdit>(dialog, "txtSecondHelp");
      box->setFocus();
      box->selectAll();
      QTest::keyClicks(box, helpFile);
    });
    QCOMPARE(Logic().Prefs().Help.SecondHelpFile, helpFile.toStdString());
    const QString title = QString::fromStdString("[" + Logic().Prefs().Help.SecondHelpName + "]");
    QVERIFY(title != U("[第2ﾍﾙﾌﾟ]"));
    QCOMPARE(View().Action(UiItem::mnuHelpContent2)->text(), title + U("の目次(&C)"));
  }

  void OptionsReachAnOpenFindWindowAtOnce() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!BoxWantsTabs(FindBox::Find));
    bool appliedMeanwhile = false;
    OptionsFromTheFindWindow([&](TdlgOption& dialog) {
      Control<QCheckBox>(dialog, "chkWantTabs")->click();
      Control<QPushButton>(dialog, "cmdApply")->click();
      // Apply, not only closing the dialog, brings the choice to the window.
      appliedMeanwhile = BoxWantsTabs(FindBox::Find) && BoxWantsTabs(FindBox::Replace);
    });
    QVERIFY(appliedMeanwhile);
    QVERIFY(Logic().Prefs().FindReplace.WantTabs);
  }

  void WantTabsIsNotOverwrittenAtExit() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    OptionsFromTheFindWindow([&](TdlgOption& dialog) { Control<QCheckBox>(dialog, "chkWantTabs")->click(); });
    QVERIFY(Logic().Prefs().FindReplace.WantTabs);
    Logic().Destroy();
    const std::string ini = ReadBytes(dir_->filePath(QStringLiteral("config/Norra.ini")));
    QVERIFY2(ini.find("WantTabs=1") != std::string::npos, ini.c_str());
  }
};

QTEST_MAIN(FindWindowRouteTest)
#include "FindWindowRouteTest.moc"

