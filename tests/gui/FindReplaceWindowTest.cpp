// Qt Test of the find/replace window through the whole program: opening, Find next with F3,
// Replace and next, Replace all over the notebook, the selection, a folder and a group.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/UiItem.h"
#include "documents/Documents.h"
#include "documents/UndoLog.h"
#include "findreplace/FindReplaceWindow.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/FindWindowBridge.h"
#include "platform/ScriptedFolderChooser.h"

using namespace norra;
using namespace norra::guitest;

class FindReplaceWindowTest : public AppFixture {
  Q_OBJECT

 private:
  ScriptedFolderChooser chooser_;

  TfrmR* Window() { return app_->FindWindow().Window(); }
  template <class T = QWidget>
  T* Control(const char* name) {
    T* control = Window()->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qWarning("no control %s", name);
    return control;
  }
  void Click(const char* name) {
    QTest::mouseClick(Control<QAbstractButton>(name), Qt::LeftButton);
    Settle();
  }
  // Types into a box of the window as the user would (ASCII).
  void TypeInto(const char* name, const char* text) {
    QWidget* box = Control(name);
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
  Page& PageAt(std::size_t index) { return *Logic().Docs().List().At(index).page; }
  Page& Active() { return *Logic().Docs().ActivePage(); }
  std::string Selected(Page& page) { return Cp932ToUtf8(page.Control().SelText()); }
  TextControl& FindControl() { return app_->FindWindow().Logic()->Box(norra::FindBox::Find); }
  TextControl& ReplaceControl() { return app_->FindWindow().Logic()->Box(norra::FindBox::Replace); }
  static ScintillaTextControl& Scintilla(TextControl& box) {
    return static_cast<ScintillaTextControl&>(box);
  }
  // Runs the preview a folder or group replace shows next, once it is up, and keeps its
  // heading for the test to read.
  void RunPreviewWhenShown() {
    previewHeading_.clear();
    // The pending timer holds the attempt; the attempt holds itself only weakly (no cycle).
    auto attempt = std::make_shared<std::function<void(int)>>();
    std::weak_ptr<std::function<void(int)>> self = attempt;
    *attempt = [this, self](int left) {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr || dialog->objectName() != QStringLiteral("frmDiskPreview")) {
        if (auto again = self.lock(); again && left > 0)
          QTimer::singleShot(10, [again, left] { (*again)(left - 1); });
        return;
      }
      if (auto* heading = dialog->findChild<QLabel*>(QStringLiteral("lblDiskPreview")))
        previewHeading_ = heading->text();
      QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdRun")), Qt::LeftButton);
    };
    QTimer::singleShot(0, [attempt] { (*attempt)(500); });
  }
  QString previewHeading_;

  std::string LastBox() {
    return ui_.Boxes().empty() ? "" : ui_.LastBox().caption + ": " + ui_.LastBox().text;
  }

 private slots:
  void init() {
    MakeFolders();
    folders_ = &chooser_;
    chooser_ = ScriptedFolderChooser();
  }
  void cleanup() { StopApp(); }

  void CtrlFOpensTheFindModeAndCtrlHTheReplaceMode() {
    Start({MakeFile(QStringLiteral("a.txt"), "xab")});
    QVERIFY(!View().Action(UiItem::mnuFindNext)->isEnabled());  // no window yet
    MainKey(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(Window() != nullptr);
    QVERIFY(Window()->isVisible());
    QVERIFY(Window()->windowFlags() & Qt::Tool);
    QCOMPARE(Window()->parentWidget(), &View());
    QCOMPARE(Window()->windowTitle(), U("検索 (KARVO System)"));
    QVERIFY(!Control("cmdReplaceAll")->isVisible());
    QVERIFY(Control("cmdShiftReplaceMode")->isVisible());
    QVERIFY(Control<QRadioButton>("optRangeCurrentPad")->isChecked());
    QVERIFY(View().Action(UiItem::mnuFindNext)->isEnabled());
    for (const char* item : {"mnuSelectAll", "mnuTagGuide", "mnuFindGuide", "mnuReplaceGuide",
                             "mnuAbout", "mnuOption"})
      QVERIFY2(Window()->findChild<QAction*>(QString::fromLatin1(item)) != nullptr, item);

    MainKey(Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(Window()->windowTitle(), U("検索/置換 (KARVO System)"));
    QVERIFY(Control("cmdReplaceAll")->isVisible());
    // However much room its controls need, the window is placed on the screen.
    QVERIFY(Window()->screen()->availableGeometry().contains(Window()->geometry()));
    QVERIFY(Control("txtReplace")->isVisible());
    QVERIFY(!Control("cmdShiftReplaceMode")->isVisible());

    // Tab runs from the find box to the replace box (WantTabs is off by default).
    Control("txtFind")->setFocus();
    QTest::keyClick(Control("txtFind"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Control("txtReplace"));
    QTest::keyClick(Control("txtReplace"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Control("optRangeAllNote"));
  }

  void F3SelectsTheHitsAndWrapsWithTheEndOfFindMessage() {
    const QString path = MakeFile(QStringLiteral("a.txt"), "xab yab");
    Start({path});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    TypeInto("txtFind", "ab");
    QTest::keyClick(Control("txtFind"), Qt::Key_F3);
    Settle();
    QCOMPARE(Active().Control().SelStart(), 1u);
    QCOMPARE(Selected(Active()), std::string("ab"));
    QTest::keyClick(Control("txtFind"), Qt::Key_F3);
    QCOMPARE(Active().Control().SelStart(), 5u);
    QVERIFY(ui_.Boxes().empty());
    QTest::keyClick(Control("txtFind"), Qt::Key_F3);
    Settle();
    QCOMPARE(Active().Control().SelStart(), 1u);
    QCOMPARE(LastBox(), "◆次を検索 - [" + path.toStdString() +
                            "]: 指定対象の検索が終了しました。\n(現在の条件での検出数 : 2)");
    // F3 in the main window runs the window's Find next too.
    MainKey(Qt::Key_F3, Qt::NoModifier);
    QCOMPARE(Active().Control().SelStart(), 5u);
  }

  void EachFoldOptionFindsWhatItMakesEqual() {
    Start({MakeFile(QStringLiteral("a.txt"), "xＡＢＣ abc ｶﾅ かな")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    auto* width = Control<QAbstractButton>("chkFoldWidth");
    auto* kana = Control<QAbstractButton>("chkFoldKana");
    QCOMPARE(width->text(), U("全角/半角を区別しない"));
    QCOMPARE(kana->text(), U("ひらがな/カタカナを区別しない"));
    QVERIFY(!width->isChecked() && !kana->isChecked());
    auto findFromStart = [this] {
      Active().Control().SetSelection(0, 0);
      QTest::keyClick(Control("txtFind"), Qt::Key_F3);
      Settle();
      return Selected(Active());
    };
    // Without the width fold abc finds only itself; with it, ＡＢＣ first.
    TypeInto("txtFind", "abc");
    QCOMPARE(findFromStart(), std::string("abc"));
    Click("chkFoldWidth");
    QVERIFY(width->isChecked());
    QCOMPARE(findFromStart(), std::string("ＡＢＣ"));
    QVERIFY(app_->FindWindow().Logic()->Engine().Folds.width);
    // The kana fold alone: かな finds the half-width ｶﾅ as well.
    Click("chkFoldWidth");
    Click("chkFoldKana");
    TextControl& box = FindControl();
    box.SetSelection(0, box.TextLength());
    box.ReplaceSelection(Utf8ToCp932("かな"));
    Settle();
    QCOMPARE(findFromStart(), std::string("ｶﾅ"));
    QCOMPARE(app_->FindWindow().Logic()->Engine().Folds, (WidthKanaFolds{false, true}));
  }

  void ReplaceAndNextReplacesTheSelectedMatchAndSelectsTheNext() {
    Start({MakeFile(QStringLiteral("a.txt"), "xab yab")});
    MainKey(Qt::Key_H, Qt::ControlModifier);
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "Z");
    Click("cmdReplace");
    QCOMPARE(TextOf(Active()), std::string("xab yab"));
    QCOMPARE(Selected(Active()), std::string("ab"));
    Click("cmdReplace");
    QCOMPARE(TextOf(Active()), std::string("xZ yab"));
    QCOMPARE(Active().Control().SelStart(), 4u);
    QCOMPARE(Selected(Active()), std::string("ab"));
    QCOMPARE(QApplication::focusWidget(), Control("txtReplace"));
  }

  void ReplaceAllOverThreePagesIsUndoneByOneCtrlZ() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab\r\nあab"),
           MakeFile(QStringLiteral("b.txt"), "xxab"), MakeFile(QStringLiteral("c.txt"), "ab ab")});
    std::vector<std::string> before;
    for (std::size_t i = 0; i < 3; ++i) before.push_back(PageAt(i).Control().Text());
    MainKey(Qt::Key_H, Qt::ControlModifier);
    Click("optRangeAllNote");
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "QQQ");
    // The main window and this window take no input while the replace runs; the progress
    // shows in status panel 0.
    bool disabledMeanwhile = false;
    std::string progress;
    ui_.SetOnProcessEvents([&] {
      if (!View().isEnabled() && !Window()->isEnabled()) disabledMeanwhile = true;
      if (progress.empty()) progress = View().StatusPanel(0)->text().toStdString();
    });
    Click("cmdReplaceAll");
    ui_.SetOnProcessEvents({});
    QVERIFY(disabledMeanwhile);
    QVERIFY(progress.rfind("置換処理中 - [", 0) == 0);
    QVERIFY(View().isEnabled() && Window()->isEnabled());
    QCOMPARE(LastBox(),
             std::string("◆全て置換 - [ﾒﾓ帳全体]: 置換終了しました。\n(現在の条件での置換数 : 5)"));
    for (std::size_t i = 0; i < 3; ++i) QVERIFY(PageAt(i).Control().Text() != before[i]);
    QCOMPARE(TextOf(PageAt(0)), std::string("QQQ QQQ"));

    MainKey(Qt::Key_Z, Qt::ControlModifier);
    for (std::size_t i = 0; i < 3; ++i) QCOMPARE(PageAt(i).Control().Text(), before[i]);
    QCOMPARE(Logic().Log().RecordCount(), 0u);
  }

  void TheNotebookMaskSkipsAPageWhoseNameDoesNotPass() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab"), MakeFile(QStringLiteral("b.log"), "ab"),
           MakeFile(QStringLiteral("c.TXT"), "ab")});
    MainKey(Qt::Key_H, Qt::ControlModifier);
    Click("optRangeAllNote");
    QVERIFY(Control("txtFindFileName")->isVisible());
    TypeInto("txtFindFileName", "*.txt");
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "Z");
    Click("cmdReplaceAll");
    for (std::size_t i = 0; i < 3; ++i) {
      const bool log = PageAt(i).DisplayName() == "b.log";
      QCOMPARE(TextOf(PageAt(i)), std::string(log ? "ab" : "Z"));
    }
  }

  void TheSelectionRangeReplacesOnlyInsideTheSelection() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab ab ab ab")});
    Active().Control().SetSelection(3, 5);
    MainKey(Qt::Key_H, Qt::ControlModifier);
    Click("optRangeSelText");
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "Z");
    Click("cmdReplaceAll");
    QCOMPARE(TextOf(Active()), std::string("ab Z Z ab"));
    QCOMPARE(
        LastBox(),
        std::string("◆全て置換 - [選択された文]: 置換終了しました。\n(現在の条件での置換数 : 2)"));
  }

  void TheFolderRangeRewritesOnlyTheMatchingFiles() {
    QDir(dir_->path()).mkpath(QStringLiteral("tree/sub"));
    const QString a = dir_->filePath(QStringLiteral("tree/a.txt"));
    const QString b = dir_->filePath(QStringLiteral("tree/b.log"));
    const QString c = dir_->filePath(QStringLiteral("tree/sub/c.txt"));
    WriteBytes(a, "ab\r\n");
    WriteBytes(b, "ab\r\n");
    WriteBytes(c, "ab\r\n");
    chooser_.Queue(dir_->filePath(QStringLiteral("tree")).toStdString() + "/");
    Start({MakeFile(QStringLiteral("open.txt"), "ab")});
    MainKey(Qt::Key_H, Qt::ControlModifier);
    Click("optRangeDirectory");
    QVERIFY(!Control("cmdFindNext")->isEnabled());
    Click("cmdFindDirectory");
    QCOMPARE(Control<QLineEdit>("txtFindDirectory")->text(),
             dir_->filePath(QStringLiteral("tree")));
    TypeInto("txtFindFileName", "*.txt");
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "Z");
    RunPreviewWhenShown();
    Click("cmdReplaceAll");
    // The preview named the folder and the two files before anything was written.
    QVERIFY(previewHeading_.contains(dir_->filePath(QStringLiteral("tree"))));
    QVERIFY(previewHeading_.contains(QStringLiteral("2個のﾌｧｲﾙ")));
    QCOMPARE(ReadBytes(a), std::string("Z\r\n"));
    QCOMPARE(ReadBytes(b), std::string("ab\r\n"));
    QCOMPARE(ReadBytes(c), std::string("Z\r\n"));
    QCOMPARE(TextOf(Active()), std::string("ab"));  // the open Page is not a file on disk here
    QCOMPARE(
        LastBox(),
        std::string("◆全て置換 - [ﾌｫﾙﾀﾞ(DISK)]: 置換終了しました。\n(現在の条件での置換数 : 2)"));
  }

  void TheGroupRangeRewritesOnlyItsMembers() {
    const QString a = dir_->filePath(QStringLiteral("a.txt"));
    const QString b = dir_->filePath(QStringLiteral("b.txt"));
    const QString group = dir_->filePath(QStringLiteral("g.tgp"));
    WriteBytes(a, "ab");
    WriteBytes(b, "ab");
    WriteBytes(group, a.toStdString() + "\r\n");
    Start({});
    MainKey(Qt::Key_H, Qt::ControlModifier);
    Click("optRangeGroup");
    ui_.QueueDialogFiles({group.toStdString()});
    Click("cmdFindGroup");
    QCOMPARE(Control<QLineEdit>("txtFindGroup")->text(), group);
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "Z");
    RunPreviewWhenShown();
    Click("cmdReplaceAll");
    QCOMPARE(ReadBytes(a), std::string("Z"));
    QCOMPARE(ReadBytes(b), std::string("ab"));
  }

  void F11ShowsTheFindHistoryAndEnterRecallsTheChosenText() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab cd")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    TypeInto("txtFind", "ab");
    QTest::keyClick(Control("txtFind"), Qt::Key_F3);
    Control<QWidget>("txtFind")->setFocus();
    QTest::keyClick(Control("txtFind"), Qt::Key_A, Qt::ControlModifier);
    TypeInto("txtFind", "cd");
    QTest::keyClick(Control("txtFind"), Qt::Key_F3);
    Settle();
    QTest::keyClick(Control("txtFind"), Qt::Key_F11);
    auto* list = Control<QListWidget>("lstFindTexts");
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("cd"));
    QCOMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(list->isVisible());  // moving the selection recalls nothing
    QTest::keyClick(list, Qt::Key_Return);
    Settle();
    QVERIFY(!list->isVisible());
    QCOMPARE(Cp932ToUtf8(app_->FindWindow().Logic()->Box(FindBox::Find).Text()), std::string("ab"));
    QCOMPARE(QApplication::focusWidget(), Control("txtFind"));
    QVERIFY(Window()->isVisible());  // Enter and Esc in the list are the list's
  }

  void TheTagPanelInsertsATagWithTheSymbolsInForce() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    Window()->findChild<QAction*>(QStringLiteral("mnuInsFindTags"))->trigger();
    Settle();
    auto* tags = Control<QListWidget>("lstTagCode");
    QVERIFY(Control("fraTags")->isVisible());
    QVERIFY(!Control("fraOption")->isVisible());
    QCOMPARE(Control<QLabel>("lblTagListMode")->text(), U("◆検索ﾀｸﾞ"));
    QVERIFY(!Control<QLabel>("lblTagSample")->text().isEmpty());
    tags->setCurrentRow(1);
    QTest::keyClick(tags, Qt::Key_Return);
    Settle();
    QVERIFY(!Control("fraTags")->isVisible());
    QVERIFY(Control("fraOption")->isVisible());
    QCOMPARE(Cp932ToUtf8(app_->FindWindow().Logic()->Box(FindBox::Find).Text()),
             std::string("[*]"));
  }

  void CtrlZInFindBoxUndoesOnlyTheBox() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab ab"), MakeFile(QStringLiteral("b.txt"), "xab")});
    MainKey(Qt::Key_H, Qt::ControlModifier);
    Click("optRangeAllNote");
    TypeInto("txtFind", "ab");
    TypeInto("txtReplace", "Q");
    Click("cmdReplaceAll");
    const auto texts = [this] { return TextOf(PageAt(0)) + "|" + TextOf(PageAt(1)); };
    const std::string replaced = texts();
    QVERIFY(replaced == "Q Q|xQ" || replaced == "xQ|Q Q");
    const std::size_t records = Logic().Log().RecordCount();
    QWidget* find = Control("txtFind");
    QCOMPARE(QApplication::focusWidget(), find);
    QTest::keyClick(find, Qt::Key_C);  // the find text was selected: a stray key replaces it
    QTest::keyClick(find, Qt::Key_Z, Qt::ControlModifier);
    Settle();
    QCOMPARE(Cp932ToUtf8(FindControl().Text()), std::string("ab"));
    QCOMPARE(texts(), replaced);
    QCOMPARE(Logic().Log().RecordCount(), records);
    QTest::keyClick(find, Qt::Key_Y, Qt::ControlModifier);
    Settle();
    QCOMPARE(Cp932ToUtf8(FindControl().Text()), std::string("c"));
    QCOMPARE(texts(), replaced);
  }

  void InsertingATagLeavesItsBlankSelectedForTheCount() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    QWidget* find = Control("txtFind");
    find->setFocus();
    for (const QChar ch : U("代金は")) {  // as an input method sends them
      QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(find, &typed);
    }
    Settle();
    Window()->findChild<QAction*>(QStringLiteral("mnuInsFindTags"))->trigger();
    Settle();
    auto* tags = Control<QListWidget>("lstTagCode");
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tags));
    // The find box shows where the tag goes while the list has the focus; the other box not.
    QVERIFY(Scintilla(FindControl()).SelectionDrawn());
    QVERIFY(!Scintilla(ReplaceControl()).SelectionDrawn());
    const QList<QListWidgetItem*> repeat = tags->findItems(QStringLiteral("repeat"), Qt::MatchExactly);
    QCOMPARE(repeat.size(), 1);
    tags->setCurrentItem(repeat.front());
    QTest::keyClick(tags, Qt::Key_Return);
    Settle();
    QVERIFY(!Control("fraTags")->isVisible());
    QCOMPARE(QApplication::focusWidget(), find);
    QCOMPARE(FindControl().SelStart(), Utf8ToCp932("代金は[repeat ").size());
    QCOMPARE(FindControl().SelLength(), 1u);
    QTest::keyClick(find, Qt::Key_3);
    Settle();
    QCOMPARE(Cp932ToUtf8(FindControl().Text()), std::string("代金は[repeat 3][/repeat]"));

    // A double click inserts the same way; leaving the list for another control closes the
    // panel and leaves the focus there.
    Window()->findChild<QAction*>(QStringLiteral("mnuInsReplaceTags"))->trigger();
    Settle();
    QVERIFY(!Scintilla(FindControl()).SelectionDrawn());
    QVERIFY(Scintilla(ReplaceControl()).SelectionDrawn());
    const std::size_t findStart = FindControl().SelStart();
    const std::size_t findLength = FindControl().SelLength();
    Control("txtFind")->setFocus(Qt::MouseFocusReason);
    Settle();
    QVERIFY(!Control("fraTags")->isVisible());
    QCOMPARE(QApplication::focusWidget(), find);
    QCOMPARE(FindControl().SelStart(), findStart);
    QCOMPARE(FindControl().SelLength(), findLength);
    QVERIFY(!Scintilla(ReplaceControl()).SelectionDrawn());  // unfocused boxes hide it again
  }

  void LeavingAnOpenHistoryListLeavesTheFocusWhereItWent() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab cd")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    TypeInto("txtFind", "ab");
    QTest::keyClick(Control("txtFind"), Qt::Key_F3);
    Settle();
    TypeInto("txtFind", "cd");
    FindControl().SetSelection(1, 0);
    QTest::keyClick(Control("txtFind"), Qt::Key_F11);
    Settle();
    auto* list = Control<QListWidget>("lstFindTexts");
    QVERIFY(list->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
    QWidget* matchCase = Control("chkAa");
    matchCase->setFocus(Qt::MouseFocusReason);
    Settle();
    QVERIFY(!list->isVisible());
    QCOMPARE(QApplication::focusWidget(), matchCase);
    QCOMPARE(Cp932ToUtf8(FindControl().Text()), std::string("cd"));
    QCOMPARE(FindControl().SelStart(), 1u);
    QCOMPARE(FindControl().SelLength(), 0u);
    // Esc in the list still gives the box the focus back.
    QTest::keyClick(Control("txtFind"), Qt::Key_F11);
    Settle();
    QVERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Escape);
    Settle();
    QVERIFY(!list->isVisible());
    QCOMPARE(QApplication::focusWidget(), Control("txtFind"));
  }

  void ThePopupMenuOffersWhatTheBoxAllows() {
    Start({MakeFile(QStringLiteral("a.txt"), "ab")});
    MainKey(Qt::Key_F, Qt::ControlModifier);
    auto* popup = Window()->findChild<QMenu*>(QStringLiteral("popR"));
    QVERIFY(popup != nullptr);
    Control("txtFind")->setFocus();
    clipboard_.Clear();
    QMetaObject::invokeMethod(popup, "aboutToShow");
    QVERIFY(!popup->findChild<QAction*>(QStringLiteral("popCopy2"))->isEnabled());
    QVERIFY(!popup->findChild<QAction*>(QStringLiteral("popPaste2"))->isEnabled());
    TypeInto("txtFind", "xy");
    QTest::keyClick(Control("txtFind"), Qt::Key_A, Qt::ControlModifier);
    QMetaObject::invokeMethod(popup, "aboutToShow");
    QVERIFY(popup->findChild<QAction*>(QStringLiteral("popCopy2"))->isEnabled());
    popup->findChild<QAction*>(QStringLiteral("popCut2"))->trigger();
    QCOMPARE(clipboard_.GetText(), std::string("xy"));
    QCOMPARE(app_->FindWindow().Logic()->Box(FindBox::Find).TextLength(), 0u);

    // The keys act on the box, never on the Page behind the window.
    Active().Control().SetSelection(0, 2);
    TypeInto("txtFind", "zz");
    QTest::keyClick(Control("txtFind"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Control("txtFind"), Qt::Key_X, Qt::ControlModifier);
    Settle();
    QCOMPARE(clipboard_.GetText(), std::string("zz"));
    QCOMPARE(TextOf(Active()), std::string("ab"));
    QTest::keyClick(Control("txtFind"), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(Control("txtFind"), Qt::Key_V, Qt::ControlModifier);
    Settle();
    QCOMPARE(Cp932ToUtf8(app_->FindWindow().Logic()->Box(FindBox::Find).Text()),
             std::string("zzzz"));
    QCOMPARE(TextOf(Active()), std::string("ab"));
  }
};

QTEST_MAIN(FindReplaceWindowTest)
#include "FindReplaceWindowTest.moc"
