// Qt Test of the main window: start-up with files, typing and undo, saving, closing, drops, F2, status.
#include <QAbstractItemView>
#include <QAction>
#include <QFrame>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/MainWindow.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "gui/MainWindowView.h"
#include "gui/PageWindow.h"
#include "gui/ScintillaTextControl.h"
#include "settings/Settings.h"
#include "text/Encoding.h"

using namespace norra;
using namespace norra::guitest;

namespace {

// The batch dialog is not under test here: every run is cancelled and recorded.
class CancelledDialogs : public FileListDialogPort {
 public:
  int Run(ListDialogMode mode) override {
    runs.push_back(mode);
    return kListDialogCancelled;
  }
  std::vector<ListDialogMode> runs;
};

}  // namespace

class MainWindowViewTest : public guitest::AppFixture {
  Q_OBJECT

 public:
  MainWindowViewTest() : AppFixture(&dialogs_) {}

 private:
  CancelledDialogs dialogs_;

  Page* Active() { return Logic().Docs().ActivePage(); }
  QString Panel(int i) { return View().StatusPanel(i)->text(); }
  std::vector<QString> ListTexts() {
    std::vector<QString> texts;
    for (int i = 0; i < View().PageList()->count(); ++i) texts.push_back(View().PageList()->itemText(i));
    return texts;
  }

  void Key(Page& page, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(EditorOf(page), key, modifiers);
    Settle();
  }
  void Trigger(UiItem item) {
    View().Action(item)->trigger();
    Settle();
  }

 private slots:
  void init() {
    MakeFolders();
    dialogs_.runs.clear();
  }

  void cleanup() { StopApp(); }

  void startsWithTheCommandLineFilesNewestFirst() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "あいう\r\n");
    const QString b = MakeFile(QStringLiteral("b.txt"), "かき");
    const QString c = MakeFile(QStringLiteral("c d.txt"), "x");
    // An unquoted path with a space arrives as two arguments.
    Start({a, b, Work(QStringLiteral("c")), QStringLiteral("d.txt")});

    QCOMPARE(ListTexts(), (std::vector<QString>{c, b, a}));
    QCOMPARE(View().PageList()->currentIndex(), 0);
    // Maximized, only the active Page is seen: the others get their windows when first shown.
    QCOMPARE(View().Area()->subWindowList().size(), 1);
    QCOMPARE(QString::fromStdString(Active()->DisplayName()), QStringLiteral("c d.txt"));
    QCOMPARE(View().Area()->activeSubWindow(), View().WindowOf(*Active()));
    QCOMPARE(View().WindowOf(*Active())->windowTitle(), QStringLiteral("c d.txt"));
    QCOMPARE(View().windowTitle(), U("Norra - [c d.txt]"));
    QCOMPARE(Panel(1), U("1/3ﾌｧｲﾙ"));
    QCOMPARE(Panel(5), U("挿入"));
    Page* first = Logic().Docs().List().At(2).page;
    QCOMPARE(TextOf(*first), std::string("あいう\r\n"));
    QVERIFY(!first->Modified());

    // Every control carries its component name; menus come from the item table.
    for (const char* name : {"SpeedPanel", "cboContents", "StatusBar", "MainMenu1", "PopupMenu", "Label1",
                             "SpeedButton1", "OpenBtn", "SaveBtn", "PrintBtn", "Help2Btn", "ChangeHelp2Btn",
                             "FindBtn", "mnuFile", "mnuEdit", "mnuDisplay", "mnuWindow"}) {
      QVERIFY2(View().findChild<QObject*>(QString::fromUtf8(name)) != nullptr, name);
    }
    QCOMPARE(View().findChildren<QWidget*>(QStringLiteral("txtEdit")).size(), 1);
    QCOMPARE(View().findChildren<QWidget*>(QStringLiteral("fraLeftBlank")).size(), 1);
    QCOMPARE(View().Action(UiItem::mnuMovePage)->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(View().Action(UiItem::mnuUndo)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(View().Action(UiItem::mnuCloseAll)->text(), U("まとめて閉じる(&L)..."));
    QCOMPARE(View().Action(UiItem::OpenBtn)->toolTip(), U("開く"));
    QVERIFY(View().Action(UiItem::SaveBtn)->isEnabled());
    QVERIFY(View().Action(UiItem::mnuTileChildrenV)->isEnabled());
    // The second help's texts were set at start-up.
    QCOMPARE(View().Action(UiItem::mnuHelpContent2)->text(), U("[第2ﾍﾙﾌﾟ]の目次(&C)"));
  }

  void noArgumentsOpensOneUntitledPage() {
    WriteBytes(dir_->filePath(QStringLiteral("config/Norra.ini")),
               "[Norra]\r\nIniVersion=3500\r\n[Vision]\r\nLeftBlank=12\r\nBackRed=0\r\nBackGreen=0\r\n"
               "BackBlue=128\r\n[Edit]\r\nInitImeMode=5\r\n");
    Start({});
    // The margin panel and its colour come from the Vision settings.
    TfrmPage* window = View().WindowOf(*Active());
    QCOMPARE(window->LeftBlank()->width(), 12);
    QCOMPARE(window->LeftBlank()->palette().color(QPalette::Window), QColor(0, 0, 128));
    // The start-up input mode (alphabet) is asked for as a hint.
    QCOMPARE(EditorOf(*Active())->inputMethodHints(), Qt::InputMethodHints(Qt::ImhPreferLatin));
    QCOMPARE(ListTexts(), (std::vector<QString>{U("無題1")}));
    // The maximized Page's caption joins the frame's, as MDI frames show it.
    QCOMPARE(View().windowTitle(), U("Norra - [無題1]"));
    QCOMPARE(Panel(2), U("0ﾊﾞｲﾄ"));
    // With one Page the tilings are off.
    QVERIFY(!View().Action(UiItem::mnuTileChildrenV)->isEnabled());
  }

  void typingProgramKeysAndUndoAcrossTwoPages() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "");
    const QString b = MakeFile(QStringLiteral("b.txt"), "");
    Start({a, b});
    Page& pageB = *Active();
    Page& pageA = *Logic().Docs().List().At(1).page;

    // Enter repeats the indentation (spaces here); Home goes to the indent's end first.
    Type(pageB, QStringLiteral("  xy"));
    Key(pageB, Qt::Key_Return);
    Type(pageB, U("ぜ"));
    QCOMPARE(TextOf(pageB), std::string("  xy\r\n  ぜ"));
    QVERIFY(pageB.Modified());
    QCOMPARE(Panel(5), U("挿入 / 変更"));
    Key(pageB, Qt::Key_Home);
    QCOMPARE(pageB.Control().SelStart(), std::size_t{8});
    Key(pageB, Qt::Key_Home);
    QCOMPARE(pageB.Control().SelStart(), std::size_t{6});
    // Tab with spaces fills up to the next stop of 4.
    Key(pageB, Qt::Key_End);
    Key(pageB, Qt::Key_Tab);
    QCOMPARE(TextOf(pageB), std::string("  xy\r\n  ぜ    "));
    // Insert switches to overwrite, shown in panel 5.
    Key(pageB, Qt::Key_Insert);
    QCOMPARE(Panel(5), U("上書き / 変更"));
    Key(pageB, Qt::Key_Insert);

    // The other Page: a click makes it active, typing goes there.
    Logic().Docs().ActivatePage(&pageA);
    Settle();
    QCOMPARE(Active(), &pageA);
    Type(pageA, QStringLiteral("abc"));
    QCOMPARE(TextOf(pageA), std::string("abc"));

    // One history: Ctrl+Z undoes A's typing, then B's Tab, switching to B.
    Key(pageA, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TextOf(pageA), std::string());
    QCOMPARE(Active(), &pageA);
    Key(pageA, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Active(), &pageB);
    QCOMPARE(TextOf(pageB), std::string("  xy\r\n  ぜ"));
    QCOMPARE(Panel(1), U("1/2ﾌｧｲﾙ"));
  }

  void saveAndSaveAsThroughScriptedDialogs() {
    Start({});
    Page& page = *Active();
    Type(page, U("漢字abc"));
    const QString target = Work(QStringLiteral("saved.txt"));
    ui_.QueueDialogFiles({target.toStdString()});
    // Ctrl+S on an untitled Page asks for a name.
    Key(page, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ui_.Dialogs().size(), std::size_t{1});
    QVERIFY(ui_.Dialogs().front().save);
    QCOMPARE(ReadBytes(target), Utf8ToCp932("漢字abc"));
    QVERIFY(!page.Modified());
    QCOMPARE(ListTexts(), (std::vector<QString>{target}));
    QCOMPARE(View().WindowOf(page)->windowTitle(), QStringLiteral("saved.txt"));
    QCOMPARE(View().windowTitle(), U("Norra - [saved.txt]"));
    QCOMPARE(Panel(5), U("挿入"));

    // Another edit, saved in place without a dialog.
    Key(page, Qt::Key_End, Qt::ControlModifier);
    Type(page, QStringLiteral("!"));
    Trigger(UiItem::mnuUpdateFile);
    QCOMPARE(ui_.Dialogs().size(), std::size_t{1});
    QCOMPARE(ReadBytes(target), Utf8ToCp932("漢字abc!"));

    // Save as under a second name; a cancelled dialog writes nothing.
    ui_.QueueDialogCancel();
    Trigger(UiItem::mnuSaveAsFile);
    QCOMPARE(ListTexts(), (std::vector<QString>{target}));
    const QString other = Work(QStringLiteral("other.txt"));
    ui_.QueueDialogFiles({other.toStdString()});
    Trigger(UiItem::mnuSaveAsFile);
    QCOMPARE(ReadBytes(other), Utf8ToCp932("漢字abc!"));
    QCOMPARE(ListTexts(), (std::vector<QString>{other}));
  }

  void closingAModifiedPageAsks() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "old");
    const QString b = MakeFile(QStringLiteral("b.txt"), "bee");
    Start({a, b});
    Page& pageB = *Active();
    Type(pageB, QStringLiteral("X"));

    ui_.QueueAnswer(IDCANCEL);
    Trigger(UiItem::mnuCloseFile);
    QCOMPARE(ui_.LastBox().text, b.toStdString() + "\nは変更されています。保存しますか?");
    QCOMPARE(ui_.LastBox().caption, std::string("保存確認"));
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{2});

    // Yes saves, then closes; the other Page becomes active.
    ui_.QueueAnswer(IDYES);
    Trigger(UiItem::mnuCloseFile);
    QCOMPARE(ReadBytes(b), std::string("Xbee"));
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{1});
    QCOMPARE(ListTexts(), (std::vector<QString>{a}));
    Settle();
    QCOMPARE(View().Area()->subWindowList().size(), 1);
    Page& pageA = *Active();
    QCOMPARE(QString::fromStdString(pageA.FilePath()), a);

    // The window's close box asks too; No closes without writing.
    Type(pageA, QStringLiteral("Y"));
    ui_.QueueAnswer(IDNO);
    View().WindowOf(pageA)->close();
    Settle();
    QCOMPARE(ReadBytes(a), std::string("old"));
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{0});
    QCOMPARE(View().windowTitle(), U("Norra - [No File]"));
    QCOMPARE(Panel(1), U("0/0ﾌｧｲﾙ"));
    QVERIFY(!View().Action(UiItem::mnuCloseFile)->isEnabled());
    QVERIFY(!View().Action(UiItem::SaveBtn)->isEnabled());
  }

  void droppedFilesOpenInDropOrder() {
    Start({});
    const QString a = MakeFile(QStringLiteral("drop a.txt"), "1");
    const QString b = MakeFile(QStringLiteral("drop b.txt"), "2");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    const QPoint at = View().Area()->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&View(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&View(), &drop);
    Settle();
    QCOMPARE(ListTexts(), (std::vector<QString>{b, a, U("無題1")}));
    QCOMPARE(QString::fromStdString(Active()->FilePath()), b);
    QVERIFY(View().PageList()->isEnabled());
    QCOMPARE(Panel(1), U("1/3ﾌｧｲﾙ"));

    // Text dragged without file names is not a drop of files.
    QMimeData text;
    text.setText(QStringLiteral("plain"));
    QDragEnterEvent textEnter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&View(), &textEnter);
    QVERIFY(!textEnter.isAccepted());
  }

  void f2SwitchesThroughThePageList() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a");
    const QString b = MakeFile(QStringLiteral("b.txt"), "b");
    const QString c = MakeFile(QStringLiteral("c.txt"), "c");
    Start({a, b, c});
    Page* pageC = Active();
    QComboBox* list = View().PageList();
    QAbstractItemView* popup = list->view();

    // F2 drops the list down at the active Page; its own release goes to the list.
    Key(*pageC, Qt::Key_F2);
    QVERIFY(popup->isVisible());
    QCOMPARE(list->currentIndex(), 0);
    QTest::keyRelease(popup, Qt::Key_F2);
    // Arrows preview the position in panel 1 without switching.
    QTest::keyClick(popup, Qt::Key_Down);
    Settle();
    QCOMPARE(Panel(1), U("2/3ﾌｧｲﾙ"));
    QTest::keyClick(popup, Qt::Key_Down);
    Settle();
    QCOMPARE(Panel(1), U("3/3ﾌｧｲﾙ"));
    QCOMPARE(Active(), pageC);
    // Enter switches to the chosen entry.
    QTest::keyClick(popup, Qt::Key_Return);
    Settle();
    Page* pageA = Active();
    QCOMPARE(QString::fromStdString(pageA->FilePath()), a);
    QCOMPARE(View().Area()->activeSubWindow(), View().WindowOf(*pageA));
    QCOMPARE(Panel(1), U("3/3ﾌｧｲﾙ"));
    QCOMPARE(list->currentIndex(), 2);

    // Esc drops the choice: the Page active before stays.
    Key(*pageA, Qt::Key_F2);
    QVERIFY(popup->isVisible());
    QTest::keyRelease(popup, Qt::Key_F2);
    QTest::keyClick(popup, Qt::Key_Up);
    Settle();
    QCOMPARE(Panel(1), U("2/3ﾌｧｲﾙ"));
    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();
    QCOMPARE(Active(), pageA);
    QCOMPARE(Panel(1), U("3/3ﾌｧｲﾙ"));
    QCOMPARE(list->currentIndex(), 2);
    QVERIFY(!popup->isVisible());

    // A choice made with the mouse switches at once.
    emit list->activated(1);
    Settle();
    QCOMPARE(QString::fromStdString(Active()->FilePath()), b);
  }

  void aMouseChoiceSwitchesPagesAfterAnF2Switch() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a");
    const QString b = MakeFile(QStringLiteral("b.txt"), "b");
    const QString c = MakeFile(QStringLiteral("c.txt"), "c");
    Start({a, b, c});
    QComboBox* list = View().PageList();
    QAbstractItemView* popup = list->view();
    EditorOf(*Active())->setFocus();
    Settle();
    // Keys as the window system delivers them, with their shortcut check first: to the window
    // with the focus, which is the list's popup while it is open.
    auto press = [&](Qt::Key key) {
      QTest::keyPress(QGuiApplication::focusWindow(), key);
      Settle();
      QTest::keyRelease(QGuiApplication::focusWindow(), key);
      Settle();
    };
    Page* pageC = Active();
    press(Qt::Key_F2);
    QVERIFY(popup->isVisible());
    press(Qt::Key_Down);
    QCOMPARE(Panel(1), U("2/3ﾌｧｲﾙ"));
    QCOMPARE(Active(), pageC);
    press(Qt::Key_Return);
    QCOMPARE(QString::fromStdString(Active()->FilePath()), b);
    QVERIFY(!popup->isVisible());

    // Then the mouse: open the list and click an entry, twice.
    for (int row : {2, 0}) {
      QTest::mouseClick(list, Qt::LeftButton);
      Settle();
      QVERIFY(popup->isVisible());
      const QRect rect = popup->visualRect(popup->model()->index(row, 0));
      QTest::mouseMove(popup->viewport(), rect.center());
      QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
      Settle();
      QCOMPARE(list->currentIndex(), row);
      QCOMPARE(Panel(1), QStringLiteral("%1/3").arg(row + 1) + U("ﾌｧｲﾙ"));
      QCOMPARE(Active(), Logic().Docs().List().At(static_cast<std::size_t>(row)).page);
    }
  }

  void statusPanelsForSelectionAndCaret() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "abc\r\nde");
    Start({a});
    Page& page = *Active();
    EditorOf(page)->setFocus();
    QCOMPARE(Panel(2), U("7ﾊﾞｲﾄ"));
    QCOMPARE(Panel(3), U("1/2行"));
    QCOMPARE(Panel(4), U("1/4列"));
    for (int i = 0; i < 3; ++i) Key(page, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(Panel(2), U("選択3"));
    Key(page, Qt::Key_Down);
    Key(page, Qt::Key_End);
    QCOMPARE(Panel(2), U("7ﾊﾞｲﾄ"));
    QCOMPARE(Panel(3), U("2/2行"));
    QCOMPARE(Panel(4), U("3/3列"));
    QCOMPARE(Panel(1), U("1/1ﾌｧｲﾙ"));
    QCOMPARE(Panel(5), U("挿入"));
    // Hints of the items go to panel 0.
    View().Action(UiItem::OpenBtn)->showStatusText(&View());
    QCOMPARE(Panel(0), U("既存のﾌｧｲﾙを開く"));
  }

  void windowsFontNamesFindAnInstalledJapaneseFont() {
    if (!QFontDatabase::hasFamily(QStringLiteral("IPAGothic"))) QSKIP("IPAGothic is not installed");
    NorraApp::InstallFontSubstitutes();
    QCOMPARE(QFontInfo(QFont(U("ＭＳ ゴシック"), 11)).family(), QStringLiteral("IPAGothic"));
  }

  // The Vision settings and the display menu reach every Page's widget.
  void viewOptionsReachThePagesWidgets() {
    WriteBytes(dir_->filePath(QStringLiteral("config/Norra.ini")),
               "[Norra]\r\nIniVersion=3500\r\n[Vision]\r\nShowMarks=1\r\nMarkEof=0\r\n"
               "MarkRed=10\r\nMarkGreen=20\r\nMarkBlue=30\r\nWordWrap=1\r\nWrapAtColumns=1\r\n"
               "WrapColumns=40\r\n");
    Start({});
    ScintillaEditor* editor = EditorOf(*Active());
    const EditorMarks marks = editor->Marks();
    QVERIFY(marks.tab && marks.wideSpace && marks.lineEnd && !marks.eof);
    QCOMPARE(marks.colour, QColor(10, 20, 30));
    QCOMPARE(View().WindowOf(*Active())->Control().ViewOptions().wrapColumns, 40);
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE),
             long{QsciScintillaBase::SC_WRAP_WORD});
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0UL), 0L);
    Trigger(UiItem::mnuLineNumbers);
    QVERIFY(editor->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0UL) > 0);
    Trigger(UiItem::mnuCaretLine);
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETCARETLINEVISIBLE), 1L);
    Trigger(UiItem::mnuShowMarks);
    QVERIFY(!editor->Marks().Any());
    QVERIFY(View().Action(UiItem::mnuLineNumbers)->isCheckable());
  }

  void closingTheWindowOffersTheExitDialog() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a");
    Start({a});
    Type(*Active(), QStringLiteral("z"));
    // The exit dialog is cancelled: the window stays with its Page.
    QVERIFY(!View().close());
    QCOMPARE(dialogs_.runs, (std::vector<ListDialogMode>{ListDialogMode::Exit}));
    QVERIFY(View().isVisible());
    QCOMPARE(Logic().Docs().PageCount(), std::size_t{1});

    // Unmodified, the window closes without a dialog and remembers its place.
    Active()->SetModified(false);
    View().resize(700, 500);
    QVERIFY(View().close());
    QCOMPARE(dialogs_.runs.size(), std::size_t{1});
    QVERIFY(!View().isVisible());
    QCOMPARE(Logic().Prefs().Window.Width, View().Placement().width);
    QCOMPARE(ReadBytes(a), std::string("a"));
  }

  void theTitleNamesTheActivePageAndNothingElse() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a");
    const QString b = MakeFile(QStringLiteral("b.txt"), "b");
    const QString c = MakeFile(QStringLiteral("c.txt"), "c");
    Start({a, b, c});
    QVERIFY(View().WindowOf(*Active())->isMaximized());
    QCOMPARE(View().windowTitle(), U("Norra - [c.txt]"));
    Logic().Docs().ActivatePage(Logic().Docs().List().At(1).page);
    Settle();
    QCOMPARE(View().windowTitle(), U("Norra - [b.txt]"));
    // The desktop adds nothing of the application's to the title.
    QVERIFY(QGuiApplication::applicationDisplayName().isEmpty() ||
            QGuiApplication::applicationDisplayName() == QGuiApplication::applicationName());
    Trigger(UiItem::mnuCloseFile);
    QCOMPARE(View().windowTitle(), QStringLiteral("Norra - [") +
                                       QString::fromStdString(Active()->DisplayName()) + u']');
    // Restored or maximized again, a Page adds nothing either.
    auto named = [this] { return QStringLiteral("Norra - [") + QString::fromStdString(Active()->DisplayName()) + u']'; };
    View().WindowOf(*Active())->showNormal();
    Settle();
    QCOMPARE(View().windowTitle(), named());
    Trigger(UiItem::mnuMaximizeChild);
    QCOMPARE(View().windowTitle(), named());
    Trigger(UiItem::mnuMinimizeChildren);
    QCOMPARE(View().windowTitle(), named());
    View().WindowOf(*Active())->showMaximized();
    Settle();
    QCOMPARE(View().windowTitle(), named());
    Trigger(UiItem::mnuCloseFile);
    Trigger(UiItem::mnuCloseFile);
    QCOMPARE(View().windowTitle(), U("Norra - [No File]"));
  }

  void statusPanelsGrowToTheirTextAndStartWithoutSamples() {
    // Before any Page, the panels show no design-time samples.
    TfrmNote fresh;
    for (int i = 0; i < 6; ++i) QVERIFY2(fresh.StatusPanel(i)->text().isEmpty(), qPrintable(fresh.StatusPanel(i)->text()));

    Start({});
    const QString big = U("20971574ﾊﾞｲﾄ");
    View().SetStatusText(2, big.toStdString());
    View().SetStatusText(3, U("123456/1234567行").toStdString());
    Settle();
    for (int panel : {2, 3}) {
      QLabel* label = View().StatusPanel(panel);
      const int needed = label->fontMetrics().horizontalAdvance(label->text()) + label->contentsMargins().left() +
                         label->contentsMargins().right() + 2 * label->frameWidth();
      QVERIFY2(label->width() >= needed, qPrintable(QStringLiteral("%1 < %2").arg(label->width()).arg(needed)));
    }
  }

  void maximizedPagesStayMaximized() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a");
    const QString b = MakeFile(QStringLiteral("b.txt"), "b");
    const QString c = MakeFile(QStringLiteral("c.txt"), "c");
    Start({a, b, c});
    QVERIFY(View().WindowOf(*Active())->isMaximized());
    // Closing the maximized Page leaves the next one maximized, and so on.
    Trigger(UiItem::mnuCloseFile);
    QVERIFY(View().WindowOf(*Active())->isMaximized());
    QCOMPARE(Logic().Prefs().Window.ChildWindowState, kPageMaximized);
    // A new Page joins them maximized.
    Trigger(UiItem::mnuMakeNewFile);
    QVERIFY(View().WindowOf(*Active())->isMaximized());
    Trigger(UiItem::mnuCloseFile);
    QVERIFY(View().WindowOf(*Active())->isMaximized());
    // Switching keeps it so too.
    Logic().Docs().ActivatePage(Logic().Docs().List().At(1).page);
    Settle();
    QVERIFY(View().WindowOf(*Active())->isMaximized());

    // Cascaded, the Pages fill the area but for the steps between them.
    Trigger(UiItem::mnuCascadeChildren);
    const QSize room = View().Area()->viewport()->size();
    for (QMdiSubWindow* w : View().Area()->subWindowList()) {
      QVERIFY(!w->isMaximized());
      QVERIFY2(w->width() > room.width() * 3 / 4 && w->height() > room.height() / 2,
               qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(w->width()).arg(w->height()).arg(room.width()).arg(room.height())));
      QVERIFY(QRect(QPoint(0, 0), room).contains(w->geometry()));
    }
    // Once the user restored them, new Pages open restored too.
    QCOMPARE(Logic().Prefs().Window.ChildWindowState, kPageNormal);
    Trigger(UiItem::mnuMakeNewFile);
    QVERIFY(!View().WindowOf(*Active())->isMaximized());
  }

  void windowMenuArrangesThePages() {
    const QString a = MakeFile(QStringLiteral("a.txt"), "a");
    const QString b = MakeFile(QStringLiteral("b.txt"), "b");
    Start({a, b});
    Trigger(UiItem::mnuTileChildrenV);
    const QList<QMdiSubWindow*> windows = View().Area()->subWindowList();
    QCOMPARE(windows.size(), 2);
    for (QMdiSubWindow* w : windows) QVERIFY(!w->isMaximized());
    QCOMPARE(windows.at(0)->width(), windows.at(1)->width());
    QVERIFY(windows.at(0)->y() != windows.at(1)->y());
    Trigger(UiItem::mnuTileChildrenH);
    QCOMPARE(windows.at(0)->y(), windows.at(1)->y());
    QVERIFY(windows.at(0)->x() != windows.at(1)->x());
    // A click into the other Page's text makes it the active one.
    Page* other = Logic().Docs().List().At(1).page;
    QVERIFY(other != Active());
    QTest::mouseClick(EditorOf(*other)->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    Settle();
    QCOMPARE(Active(), other);
    QCOMPARE(View().Area()->activeSubWindow(), View().WindowOf(*other));
    QCOMPARE(View().PageList()->currentIndex(), 1);
    QCOMPARE(Panel(1), U("2/2ﾌｧｲﾙ"));
    Trigger(UiItem::mnuMinimizeChildren);
    for (QMdiSubWindow* w : windows) QVERIFY(w->isMinimized());
    Trigger(UiItem::mnuMaximizeChild);
    QVERIFY(View().WindowOf(*Active())->isMaximized());

    // The toolbar toggle hides the bar and the window menu's switch items.
    Trigger(UiItem::mnuDispToolBar);
    QVERIFY(View().findChild<QToolBar*>(QStringLiteral("SpeedPanel"))->isHidden());
    Logic().MenuOpening(MenuKind::Window);
    QVERIFY(!View().Action(UiItem::mnuMovePage)->isVisible());
    Trigger(UiItem::mnuDispStatusBar);
    QVERIFY(View().statusBar()->isHidden());
    Trigger(UiItem::mnuDispToolBar);
    Logic().MenuOpening(MenuKind::Window);
    QVERIFY(View().Action(UiItem::mnuMovePage)->isVisible());
    QVERIFY(View().Action(UiItem::mnuMovePage)->isEnabled());
  }
};

QTEST_MAIN(MainWindowViewTest)
#include "MainWindowViewTest.moc"
