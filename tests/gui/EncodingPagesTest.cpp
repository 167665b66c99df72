// Qt Test of Pages in other encodings in the real window: a UTF-8 file with emoji opens
// readable, is edited, replaced in over the notebook, undone in one step and saved byte-exact,
// and the status bar names its encoding; a CP932 file beside it stays as it was.
#include <Qsci/qsciscintillabase.h>

#include <QAbstractButton>
#include <QInputMethodEvent>
#include <QLabel>
#include <QtTest>
#include <string>

#include "AppFixture.h"
#include "documents/Documents.h"
#include "gui/FindReplaceWindowView.h"
#include "gui/FindWindowBridge.h"

using namespace norra;
using namespace norra::guitest;

class EncodingPagesTest : public AppFixture {
  Q_OBJECT

 private:
  template <class T = QWidget>
  T* Control(QWidget& parent, const char* name) {
    T* control = parent.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qWarning("no control %s", name);
    return control;
  }
  std::string WidgetText(Page& page) {
    ScintillaEditor* editor = EditorOf(page);
    const long length = editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    editor->SendScintilla(QsciScintillaBase::SCI_GETTEXT, static_cast<unsigned long>(length + 1), text.data());
    text.resize(static_cast<std::size_t>(length));
    return text;
  }
  void MainKey(int key, Qt::KeyboardModifiers modifiers) {
    View().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&View()));
    QTest::keyClick(&View(), static_cast<Qt::Key>(key), modifiers);
    Settle();
  }

  // Text an input method commits, as a Japanese user types it.
  static void Commit(QWidget* box, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(box, &event);
  }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void AUtf8FileWithEmojiIsEditedReplacedUndoneAndSavedByteExact() {
    const QString utf8Path = Work(QStringLiteral("notes.txt"));
    const std::string original = "猫と😀の話\n a cat and a cat\n最後";
    WriteBytes(utf8Path, original);
    const QString sjisPath = MakeFile(QStringLiteral("old.txt"), "ｶﾅと漢字\r\n");
    const std::string sjisBytes = ReadBytes(sjisPath);
    Start({sjisPath, utf8Path});
    Page& page = *Logic().Docs().ActivePage();
    QCOMPARE(page.Encoding().charset, FileCharset::Utf8);
    QCOMPARE(WidgetText(page), std::string("猫と😀の話\r\n a cat and a cat\r\n最後"));
    QCOMPARE(View().StatusPanel(StatusBar::kEncodingPanel)->text(), U("UTF-8 LF"));

    // Typed at the start: the emoji and everything else keep their bytes.
    ScintillaEditor* editor = EditorOf(page);
    editor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    Type(page, U("犬"));
    QCOMPARE(page.Control().Text(), std::string("犬猫と😀の話\r\n a cat and a cat\r\n最後"));

    // Replace all over the notebook: one undo step takes it back.
    MainKey(Qt::Key_H, Qt::ControlModifier);
    TfrmR* window = app_->FindWindow().Window();
    QTest::mouseClick(Control<QAbstractButton>(*window, "optRangeAllNote"), Qt::LeftButton);
    QWidget* find = Control(*window, "txtFind");
    find->setFocus();
    Commit(find, U("[which[猫][cat]]"));
    QWidget* replace = Control(*window, "txtReplace");
    replace->setFocus();
    Commit(replace, U("ねこ"));
    QTest::mouseClick(Control<QAbstractButton>(*window, "cmdReplaceAll"), Qt::LeftButton);
    Settle();
    QCOMPARE(page.Control().Text(), std::string("犬ねこと😀の話\r\n a ねこ and a ねこ\r\n最後"));
    QCOMPARE(WidgetText(page), page.Control().Text());
    Logic().Execute(UiItem::mnuUndo);
    Settle();
    QCOMPARE(page.Control().Text(), std::string("犬猫と😀の話\r\n a cat and a cat\r\n最後"));

    // Saved: LF line breaks again, every untouched byte as it was.
    Logic().Docs().ActivatePage(&page);
    Logic().Execute(UiItem::mnuUpdateFile);
    Settle();
    QCOMPARE(ReadBytes(utf8Path), "犬" + original);
    QCOMPARE(View().StatusPanel(StatusBar::kEncodingPanel)->text(), U("UTF-8 LF"));

    // The CP932 Page beside it: untouched, and named as such.
    Page* other = Logic().Docs().List().Entries().back().page;
    QVERIFY(other != &page);
    QVERIFY(!other->Modified());
    QCOMPARE(ReadBytes(sjisPath), sjisBytes);
    Logic().Docs().ActivatePage(other);
    Settle();
    QCOMPARE(View().StatusPanel(StatusBar::kEncodingPanel)->text(), U("Shift_JIS CRLF"));
  }
};

QTEST_MAIN(EncodingPagesTest)
#include "EncodingPagesTest.moc"
