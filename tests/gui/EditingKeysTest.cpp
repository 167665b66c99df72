// Qt Test of the keys of a Page in the running program: every key QScintilla binds by default
// edits only through the undo log, the clipboard keys are the program's commands, Up and Down
// after the program's own caret moves, Alt with a letter, the width of a TAB.
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QtTest>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/MainWindow.h"
#include "documents/CaptureSuspension.h"
#include "documents/Documents.h"
#include "documents/Page.h"
#include "documents/UndoLog.h"
#include "settings/Settings.h"

using namespace norra;
using namespace norra::guitest;
using Sci = QsciScintillaBase;

namespace {

// The batch dialog is not under test: Ctrl+L and the like open nothing.
class CancelledDialogs : public FileListDialogPort {
 public:
  int Run(ListDialogMode) override { return kListDialogCancelled; }
};

// Text with words, blanks, line breaks, double-byte and half-width characters, and a pair CP932
// spells twice (0x8790, which a fresh encoding would spell 0x81E0).
const std::string kBase =
    Utf8ToCp932("abc defgh  ijk\r\n日本語 テキスト\r\n\r\n  ｶﾅ xyz\r\n") + "\x87\x90" + "last";

struct Selection {
  std::size_t start;
  std::size_t length;
  bool backwards;
};

}  // namespace

class EditingKeysTest : public guitest::AppFixture {
  Q_OBJECT

 public:
  EditingKeysTest() : AppFixture(&dialogs_) {}

 private:
  CancelledDialogs dialogs_;

  Page& Active() { return *Logic().Docs().ActivePage(); }
  UndoLog& Log() { return Logic().Log(); }
  // Puts text in the Page as a fresh start: no history, insert mode, caret at `caret`.
  void Reset(Page& page, const std::string& text, std::size_t caret) {
    {
      CaptureSuspension suspended(Log());
      page.Control().ResetText(text);
    }
    Log().ClearUndoLog();
    if (!Log().InsertMode()) Log().ToggleInsertMode();
    Log().SetCurrentPage(&page);
    page.Control().SetSelection(caret, 0);
  }
  void TypeKey(ScintillaEditor* editor, int key, Qt::KeyboardModifiers modifiers,
               const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(editor, &release);
    Settle();
  }
  void UndoEverything() {
    for (int i = 0; i < 20 && Log().RecordCount() > 0; ++i) Log().UndoLast();
  }

 private slots:
  void init() { MakeFolders(); }
  void cleanup() { StopApp(); }

  void everyDefaultBindingUndoesToTheExactBytes() {
    // The bindings a QScintilla has before this program touches them.
    struct Binding {
      int key;
      QString what;
    };
    std::vector<Binding> bindings;
    {
      QsciScintilla plain;
      for (QsciCommand* command : plain.standardCommands()->commands()) {
        for (int key : {command->key(), command->alternateKey()}) {
          if (key != 0) bindings.push_back({key, command->description()});
        }
      }
    }
    QVERIFY(bindings.size() > 50);

    Start({});
    Page& page = Active();
    ScintillaEditor* editor = EditorOf(page);
    editor->setFocus();
    const std::size_t wordEnd = kBase.find("  ijk");  // after "defgh"
    const std::size_t secondLine = kBase.find("\r\n") + 2;
    const std::vector<Selection> selections = {
        {wordEnd, 0, false},          // the caret after a word
        {secondLine + 2, 15, false},  // a selection over a line break
        {secondLine + 2, 15, true},   // the same, caret at its start
    };
    const std::string pasted = "\x87\x90";  // pasted as these very bytes
    int checked = 0;
    for (const Binding& binding : bindings) {
      const auto key = static_cast<Qt::Key>(binding.key & ~Qt::KeyboardModifierMask);
      const auto modifiers =
          static_cast<Qt::KeyboardModifiers>(binding.key & Qt::KeyboardModifierMask);
      const QString name = QKeySequence(binding.key).toString() + " (" + binding.what + ")";
      for (const Selection& selection : selections) {
        Reset(page, kBase, kBase.size());
        TypeKey(editor, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));  // a record before the key
        QCOMPARE(Log().RecordCount(), std::size_t{1});
        if (selection.backwards) {
          page.Control().SetSelectionBackwards(selection.start, selection.length);
        } else {
          page.Control().SetSelection(selection.start, selection.length);
        }
        clipboard_.SetText(pasted);

        QTest::keyClick(editor, key, modifiers);
        Settle();
        const std::size_t records = Log().RecordCount();
        // Typing after it finds the control in its plain state (no overtype, one selection).
        QCOMPARE(editor->SendScintilla(Sci::SCI_GETOVERTYPE), 0L);
        QCOMPARE(editor->SendScintilla(Sci::SCI_SELECTIONISRECTANGLE), 0L);
        const std::string afterKey = page.Control().Text();
        TypeKey(editor, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
        UndoEverything();
        const std::string undone = page.Control().Text();
        // Either everything came back, or the key cleared the history and its edit stayed.
        const bool restored = undone == kBase;
        const bool clearedAndKept = records == 0 && undone == afterKey;
        QVERIFY2(restored || clearedAndKept,
                 qPrintable(name + " from " + QString::number(selection.start) + "+" +
                            QString::number(selection.length) + ": " +
                            QString::fromStdString(Cp932ToUtf8(undone))));
        ++checked;
      }
    }
    QCOMPARE(checked, static_cast<int>(bindings.size() * selections.size()));
  }

  void clipboardKeysAreTheProgramsCommands() {
    Start({});
    Page& page = Active();
    ScintillaEditor* editor = EditorOf(page);
    editor->setFocus();

    // Ctrl+Backspace takes back the whole word it removed.
    Reset(page, "abc defgh", 9);
    QTest::keyClick(editor, Qt::Key_Backspace, Qt::ControlModifier);
    Settle();
    QCOMPARE(page.Control().Text(), std::string("abc "));
    Log().UndoLast();
    QCOMPARE(page.Control().Text(), std::string("abc defgh"));

    // Shift+Delete cuts: CP932 on the clipboard, one cut record.
    Reset(page, kBase, 0);
    page.Control().SetSelection(kBase.find("\x87\x90"), 6);
    QTest::keyClick(editor, Qt::Key_Delete, Qt::ShiftModifier);
    Settle();
    QCOMPARE(clipboard_.GetText(), std::string("\x87\x90last"));
    QCOMPARE(Log().Records().back().kind, int{kUndoCut});

    // Shift+Insert pastes the clipboard's bytes as they are.
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
    Settle();
    QCOMPARE(page.Control().Text(), kBase);
    QCOMPARE(Log().Records().back().kind, int{kUndoPaste});

    // Ctrl+Insert copies and changes nothing.
    page.Control().SetSelection(0, 3);
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ControlModifier);
    Settle();
    QCOMPARE(clipboard_.GetText(), std::string("abc"));
    QCOMPARE(page.Control().Text(), kBase);
    QVERIFY(Log().InsertMode());

    // Alt+Backspace is the undo command.
    TypeKey(editor, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QTest::keyClick(editor, Qt::Key_Backspace, Qt::AltModifier);
    Settle();
    QCOMPARE(page.Control().Text(), kBase);
  }

  void upAndDownStartFromWhereTheProgramPutTheCaret() {
    Start({});
    Page& page = Active();
    ScintillaEditor* editor = EditorOf(page);
    editor->setFocus();
    const std::string text = "abcdef\r\nxy\r\nabcdef\r\nabcdef";
    struct Case {
      std::size_t caret;  // Right then moves one further, which sets the column Up and Down keep
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      Qt::Key vertical;
      std::size_t expected;
    };
    const Case cases[] = {
        {3, Qt::Key_Home, Qt::NoModifier, Qt::Key_Down, 8},        // column 0, not 4
        {0, Qt::Key_End, Qt::NoModifier, Qt::Key_Down, 10},        // the line end's column
        {15, Qt::Key_Home, Qt::ControlModifier, Qt::Key_Down, 8},  // from the text start
        {15, Qt::Key_End, Qt::ControlModifier, Qt::Key_Up, 18},    // from the text end
    };
    for (const Case& c : cases) {
      Reset(page, text, c.caret);
      QTest::keyClick(editor, Qt::Key_Right);
      QTest::keyClick(editor, c.key, c.modifiers);
      QTest::keyClick(editor, c.vertical);
      Settle();
      QCOMPARE(page.Control().SelStart(), c.expected);
    }
  }

  void altWithALetterNoMenuTakesTypesNothing() {
    Start({});
    Page& page = Active();
    ScintillaEditor* editor = EditorOf(page);
    editor->setFocus();
    Reset(page, "ab", 1);
    page.Control().SetSelection(1, 1);
    // With or without the text the platform sends along, and with Shift.
    TypeKey(editor, Qt::Key_Q, Qt::AltModifier, QStringLiteral("q"));
    TypeKey(editor, Qt::Key_Q, Qt::AltModifier, QString());
    TypeKey(editor, Qt::Key_Y, Qt::AltModifier | Qt::ShiftModifier, QStringLiteral("Y"));
    TypeKey(editor, Qt::Key_3, Qt::AltModifier, QStringLiteral("3"));
    QCOMPARE(page.Control().Text(), std::string("ab"));
    QCOMPARE(page.Control().SelStart(), 1u);
    QCOMPARE(page.Control().SelLength(), 1u);
    QVERIFY(!page.Modified());
    QCOMPARE(Log().RecordCount(), 0u);
    // A letter that opens a menu does not type either.
    QTest::keyClick(editor, Qt::Key_E, Qt::AltModifier);
    Settle();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    Settle();
    QCOMPARE(page.Control().Text(), std::string("ab"));
  }

  void charactersCp932LacksAreRefusedNamingThem() {
    Start({});
    Page& page = Active();
    ScintillaEditor* editor = EditorOf(page);
    editor->setFocus();
    Reset(page, Utf8ToCp932("ab"), 2);
    page.Control().SetSelection(1, 1);
    // A key's text, then an input method's commit, each with characters CP932 lacks.
    TypeKey(editor, 0, Qt::NoModifier, QString::fromUtf8("😀"));
    QCOMPARE(page.Control().Text(), std::string("ab"));
    QCOMPARE(page.Control().SelLength(), 1u);  // the selection was not typed over
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("絵文字😀と한글と𠮷野家"));
    QApplication::sendEvent(editor, &commit);
    Settle();
    // The composition took the selection away as it began; its text went back out whole.
    QCOMPARE(Cp932ToUtf8(page.Control().Text()), std::string("a"));
    QCOMPARE(std::string(editor->text().toUtf8().constData()), std::string("a"));
    QCOMPARE(ui_.Boxes().size(), std::size_t{2});
    QCOMPARE(ui_.Boxes()[0].text,
             std::string("次の文字は Shift-JIS で保存できないため、入力できません。\n😀"));
    QCOMPARE(ui_.Boxes()[1].text,
             std::string("次の文字は Shift-JIS で保存できないため、入力できません。\n😀 한 글 𠮷"));
    // What CP932 holds goes in as ever.
    commit.setCommitString(QString::fromUtf8("絵文字"));
    QApplication::sendEvent(editor, &commit);
    Settle();
    QCOMPARE(Cp932ToUtf8(page.Control().Text()), std::string("a絵文字"));
    QCOMPARE(ui_.Boxes().size(), std::size_t{2});
  }

  void aTabIsAsWideAsTabStop() {
    Start({});
    Page& page = Active();
    Reset(page, "a\tb", 0);
    QCOMPARE(Logic().Prefs().Edit.TabStop, 4);
    QCOMPARE(DrawnTabColumns(EditorOf(page)), 4);
    EditSettings edit = Logic().Prefs().Edit;
    edit.TabStop = 6;
    Log().Configure(edit);
    QCOMPARE(DrawnTabColumns(EditorOf(page)), 6);
    // A Page opened afterwards starts with it too.
    Logic().Execute(UiItem::mnuMakeNewFile);
    Settle();
    Reset(Active(), "a\tb", 0);
    QCOMPARE(DrawnTabColumns(EditorOf(Active())), 6);
  }

};

QTEST_MAIN(EditingKeysTest)
#include "EditingKeysTest.moc"
