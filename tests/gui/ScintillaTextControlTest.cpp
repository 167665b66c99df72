// Qt Test of the text control through the real QScintilla widget: bytes, typing, limits, keys,
// composition.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCharFormat>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "documents/Page.h"
#include "documents/PageEdit.h"
#include "documents/UndoLog.h"
#include "gui/ScintillaTextControl.h"
#include "platform/MemoryUi.h"
#include "text/CaseMap.h"
#include "text/Encoding.h"

using namespace norra;
using Sci = QsciScintillaBase;

namespace {

// Records every event in order and swallows what it is told to.
class EventLog : public TextControlEvents {
 public:
  std::vector<std::string> entries;
  int swallowKeyDown = -1;
  int swallowKeyPress = -1;

  bool KeyDown(int key, unsigned shift) override {
    entries.push_back("KeyDown " + std::to_string(key) + " " + std::to_string(shift));
    return key == swallowKeyDown;
  }
  bool KeyPress(int character) override {
    entries.push_back("KeyPress " + std::to_string(character));
    return character == swallowKeyPress;
  }
  void TextChanged() override { entries.push_back("TextChanged"); }
  void SelectionChanged() override { entries.push_back("SelectionChanged"); }
  void MouseDown() override { entries.push_back("MouseDown"); }
  void CompositionStarted() override { entries.push_back("CompositionStarted"); }
  void CompositionEnded() override { entries.push_back("CompositionEnded"); }
  void FocusReceived() override { entries.push_back("Focus"); }
  void TextRefused(const std::string& characters) override {
    entries.push_back("TextRefused " + characters);
  }

  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(entries.begin(), entries.end(), entry));
  }
  // Index of the first entry equal to `entry`, or -1.
  int IndexOf(const std::string& entry) const {
    const auto it = std::find(entries.begin(), entries.end(), entry);
    return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
  }
};

std::string WidgetText(ScintillaEditor* editor) {
  const long length = editor->SendScintilla(Sci::SCI_GETLENGTH);
  const auto* text =
      static_cast<const char*>(editor->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
  return std::string(text, static_cast<std::size_t>(length));
}

std::string Cp932(const char* utf8) {
  return Utf8ToCp932(utf8);
}

QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Sends one key press and release the way a keyboard does: letters and digits carry their key,
// other characters only their text.
void TypeText(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype width = text.at(i).isHighSurrogate() ? 2 : 1;
    const QString one = text.mid(i, width);
    i += width;
    const QChar c = one.at(0);
    int key = 0;
    if (c.unicode() < 0x80 && c.isLetterOrNumber()) key = c.toUpper().unicode();
    if (c == u' ') key = Qt::Key_Space;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
    QApplication::sendEvent(widget, &release);
  }
}

void SendComposition(QWidget* widget, const QString& preedit, const QString& commit,
                     const QList<QInputMethodEvent::Attribute>& attributes = {}) {
  QInputMethodEvent event(preedit, attributes);
  if (!commit.isEmpty()) event.setCommitString(commit);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

class ScintillaTextControlTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScintillaTextControl> control_;
  EventLog log_;

  ScintillaEditor* Editor() const { return control_->Widget(); }
  void ExpectInStep() {
    QCOMPARE(QByteArray::fromStdString(WidgetText(Editor())),
             QByteArray::fromStdString(Cp932ToUtf8(control_->Text())));
  }

 private slots:
  void init() {
    control_ = std::make_unique<ScintillaTextControl>();
    log_ = EventLog{};
    Editor()->resize(400, 300);
    Editor()->show();
    QVERIFY(QTest::qWaitForWindowExposed(Editor()));
  }
  void cleanup() { control_.reset(); }

  void everyByteValueComesBackUnchanged() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    for (int b = 255; b >= 0; --b) bytes.push_back(static_cast<char>(b));
    control_->ResetText(bytes);
    QCOMPARE(control_->Text(), bytes);
    QCOMPARE(control_->TextLength(), bytes.size());
    ExpectInStep();
    QCOMPARE(control_->Modified(), false);

    // Typing at both ends leaves every byte in between alone.
    control_->SetSelection(bytes.size(), 0);
    TypeText(Editor(), "z");
    control_->SetSelection(0, 0);
    TypeText(Editor(), "y");
    QCOMPARE(control_->Text(), "y" + bytes + "z");
    QCOMPARE(control_->Modified(), true);
    ExpectInStep();
  }

  void japaneseTextKeepsItsOwnSpelling() {
    // Half-width katakana, kanji, and characters CP932 spells twice: NEC row 13 (0x8790) and
    // the NEC-selected IBM extension 0xED40, which a fresh encoding would spell differently.
    const std::string text =
        Cp932("ﾃｷｽﾄ ｱｲｳ 日本語\r\n") + "\x87\x90\xED\x40" + Cp932("半角ｶﾅ\r\n");
    QVERIFY(Utf8ToCp932(Cp932ToUtf8("\x87\x90\xED\x40")) != "\x87\x90\xED\x40");
    control_->ResetText(text);
    QCOMPARE(control_->Text(), text);
    ExpectInStep();

    // An edit next to them (on the same line) and the program's own edit keep their bytes.
    control_->SetSelection(text.find("\x87\x90"), 0);
    TypeText(Editor(), Q("ア"));
    const std::string typed = Cp932("ア");
    std::string expected = text;
    expected.insert(text.find("\x87\x90"), typed);
    QCOMPARE(control_->Text(), expected);

    control_->SetSelection(0, 0);
    QVERIFY(control_->ReplaceSelection("\xED\x40"));
    QCOMPARE(control_->Text(), "\xED\x40" + expected);
    QCOMPARE(control_->SelStart(), std::size_t{2});
    ExpectInStep();
  }

  void replaceSpansLeavesTheSameBytesAsOneWholeReplace() {
    // (old start, old length, new bytes) per span, ascending.
    struct Change {
      std::size_t start;
      std::size_t length;
      std::string bytes;
    };
    struct Case {
      const char* name;
      std::string text;
      std::vector<Change> changes;
    };
    const std::string kana = Cp932("ファイル");
    const std::string line = "abc " + kana + Cp932("日本語") + "\r\n";
    std::string lines;
    for (int i = 0; i < 8; ++i) lines += line;
    const std::vector<Case> cases = {
        {"words", lines, {{4, kana.size(), "file"}, {4 + line.size(), kana.size(), ""}}},
        {"insert and grow", lines, {{0, 0, Cp932("先頭")}, {line.size() * 3, 3, kana + kana}}},
        // A lone lead byte before a span meets the new first byte and pairs with it; a lone
        // lead byte at a span's end takes the byte after it.
        {"lead bytes", "xx\x82" + lines + "\x82", {{3, 3, "\xA0zz"}, {lines.size() - 2, 2, "q\x83"}}},
        {"line breaks", lines, {{line.size() - 1, 2, "\n\r"}, {line.size() * 2 - 2, 1, ""}}},
        {"dense, taken whole", line, {{0, 1, "x"}, {2, 1, "y"}, {4, 1, "z"}, {6, 1, "w"}}},
    };
    for (const Case& c : cases) {
      std::string expected;
      std::string replacements;
      std::vector<ReplacedSpan> spans;
      std::size_t copied = 0;
      for (const Change& change : c.changes) {
        expected += c.text.substr(copied, change.start - copied) + change.bytes;
        replacements += change.bytes;
        spans.push_back({change.start, change.length, change.bytes.size()});
        copied = change.start + change.length;
      }
      expected += c.text.substr(copied);
      // Once the whole text, once a part after a prefix the spans must not touch.
      for (const std::string& prefix : {std::string(), Cp932("前置き")}) {
        control_->ResetText(prefix + c.text);
        control_->SetEvents(&log_);
        log_ = EventLog{};
        QVERIFY2(control_->ReplaceSpans(prefix.size(), c.text.size(), replacements, spans),
                 c.name);
        QVERIFY2(control_->Text() == prefix + expected, c.name);
        ExpectInStep();
        QCOMPARE(control_->SelStart(), prefix.size() + expected.size());
        QCOMPARE(log_.Count("TextChanged"), 1);
        control_->SetEvents(nullptr);
      }
    }
  }

  void typedCharactersEnterAsCp932() {
    control_->ResetText("");
    TypeText(Editor(), Q("abc"));
    TypeText(Editor(), Q("あｶ"));
    QCOMPARE(control_->Text(), std::string("abc\x82\xA0\xB6"));
    QCOMPARE(control_->SelStart(), std::size_t{6});

    SendComposition(Editor(), QString(), Q("漢字"));
    QCOMPARE(control_->Text(), std::string("abc\x82\xA0\xB6") + Cp932("漢字"));
    QCOMPARE(control_->SelStart(), std::size_t{10});
    ExpectInStep();
  }

  void textWithCharactersCp932LacksIsRefusedWholeNamingThem() {
    QVERIFY(!CanEncodeCp932("✓"));
    QVERIFY(!CanEncodeCp932("😀"));
    control_->ResetText("xy");
    control_->SetSelection(1, 0);
    control_->SetEvents(&log_);
    QGuiApplication::clipboard()->setText(Q("a✓b😀c✓"));
    Editor()->paste();  // outside any event: the check runs once the event loop turns
    QCoreApplication::processEvents();
    QCOMPARE(control_->Text(), std::string("xy"));
    QCOMPARE(QByteArray::fromStdString(WidgetText(Editor())), QByteArray("xy"));
    QCOMPARE(control_->SelStart(), std::size_t{1});
    QCOMPARE(log_.Count("TextRefused ✓😀"), 1);
    QCOMPARE(log_.Count("TextChanged"), 0);  // nothing changed

    TypeText(Editor(), Q("✓"));
    QCOMPARE(control_->Text(), std::string("xy"));
    QCOMPARE(log_.Count("TextRefused ✓"), 1);
    TypeText(Editor(), Q("b"));
    QCOMPARE(control_->Text(), std::string("xby"));
    control_->SetEvents(nullptr);
    ExpectInStep();
  }

  void textBeyondTheLimitIsRefused() {
    control_->LimitText(6);
    control_->ResetText("abcd");
    control_->SetSelection(4, 0);
    TypeText(Editor(), Q("xyz"));
    QCOMPARE(control_->Text(), std::string("abcdxy"));
    TypeText(Editor(), Q("あ"));
    QCOMPARE(control_->Text(), std::string("abcdxy"));

    // One byte left: a two-byte character and a line break (never half of one) are refused.
    control_->SetSelection(5, 1);
    TypeText(Editor(), Q("あ"));
    QCOMPARE(control_->Text(), std::string("abcdx"));
    QTest::keyClick(Editor(), Qt::Key_Return);
    QCOMPARE(control_->Text(), std::string("abcdx"));

    // A paste is cut to what fits.
    control_->SetSelection(4, 1);
    QGuiApplication::clipboard()->setText(Q("いう"));
    Editor()->paste();  // as a drop or another path past the program's commands would
    QCoreApplication::processEvents();
    QCOMPARE(control_->Text(), std::string("abcd\x82\xA2"));
    ExpectInStep();

    // The program's own edit is all or nothing; loading a file is never cut.
    control_->SetSelection(0, 0);
    QVERIFY(!control_->ReplaceSelection("z"));
    QCOMPARE(control_->Text(), std::string("abcd\x82\xA2"));
    control_->ResetText("0123456789");
    QCOMPARE(control_->Text(), std::string("0123456789"));
  }

  void keysReachTheListenerFirst() {
    control_->ResetText("ab");
    control_->SetEvents(&log_);
    control_->SetSelection(1, 0);

    log_.swallowKeyDown = kKeyReturn;
    QTest::keyClick(Editor(), Qt::Key_Return);
    QCOMPARE(control_->Text(), std::string("ab"));
    QCOMPARE(log_.Count("KeyDown 13 0"), 1);
    QCOMPARE(log_.Count("KeyPress 13"), 0);

    log_.swallowKeyDown = -1;
    log_.entries.clear();
    QTest::keyClick(Editor(), Qt::Key_Return);
    QCOMPARE(control_->Text(), std::string("a\r\nb"));
    QVERIFY(log_.IndexOf("KeyDown 13 0") < log_.IndexOf("KeyPress 13"));
    QVERIFY(log_.IndexOf("KeyPress 13") < log_.IndexOf("TextChanged"));

    // A swallowed Tab character types nothing; a plain Tab types one tab over the selection.
    log_.swallowKeyPress = 9;
    QTest::keyClick(Editor(), Qt::Key_Tab);
    QCOMPARE(control_->Text(), std::string("a\r\nb"));
    log_.swallowKeyPress = -1;
    control_->SetSelection(0, 4);
    QTest::keyClick(Editor(), Qt::Key_Tab);
    QCOMPARE(control_->Text(), std::string("\t"));

    // Shift+Home and Ctrl+End come with their modifiers; Insert never turns QScintilla to
    // overwriting by itself.
    log_.entries.clear();
    QTest::keyClick(Editor(), Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(Editor(), Qt::Key_Insert);
    QCOMPARE(log_.Count("KeyDown 36 1"), 1);
    QCOMPARE(log_.Count("KeyDown 35 2"), 1);
    QCOMPARE(log_.Count("KeyDown 45 0"), 1);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_GETOVERTYPE), 0L);
    control_->SetEvents(nullptr);
  }

  void menuShortcutsWinOverQScintillasKeys() {
    // The program's edit commands are menu items with these keys; QScintilla must not take them.
    QWidget window;
    control_->Widget()->setParent(&window);
    int triggered = 0;
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_X),
          QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_V),
          QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
      auto* action = new QAction(&window);
      action->setShortcut(keys);
      window.addAction(action);
      connect(action, &QAction::triggered, [&triggered] { ++triggered; });
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Editor()->setFocus();
    control_->ResetText("abc");
    control_->SetSelection(0, 3);
    QGuiApplication::clipboard()->setText(QStringLiteral("zz"));
    for (Qt::Key key : {Qt::Key_Z, Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_A, Qt::Key_Y}) {
      QTest::keyClick(Editor(), key, Qt::ControlModifier);
    }
    QCOMPARE(triggered, 6);
    // Nor does it keep a redo of its own on the keys it used to have for one.
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(control_->Text(), std::string("abc"));
    control_.reset();  // while its window still holds the widget
  }

  void altWithTheMouseSelectsNoRectangle() {
    // A rectangular selection would let one typed key change several lines at once.
    control_->ResetText("abcdef\r\nabcdef\r\nabcdef");
    const long lineHeight = Editor()->SendScintilla(Sci::SCI_TEXTHEIGHT, 0UL);
    const QPoint from(static_cast<int>(Editor()->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, 1L)),
                      static_cast<int>(lineHeight / 2));
    const QPoint to(from.x() + 20, from.y() + static_cast<int>(lineHeight) * 2);
    QTest::mousePress(Editor()->viewport(), Qt::LeftButton, Qt::AltModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(Editor()->viewport()->mapToGlobal(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
    QApplication::sendEvent(Editor()->viewport(), &move);
    QTest::mouseRelease(Editor()->viewport(), Qt::LeftButton, Qt::AltModifier, to);
    QVERIFY(control_->SelLength() > 0);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_SELECTIONISRECTANGLE), 0L);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_GETSELECTIONS), 1L);
  }

  void droppedFilesAreLeftToTheWindow() {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"))});
    QDragEnterEvent fileDrag(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Editor()->viewport(), &fileDrag);
    QVERIFY(!fileDrag.isAccepted());
    QMimeData text;
    text.setText(QStringLiteral("x"));
    QDragEnterEvent textDrag(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Editor()->viewport(), &textDrag);
    QVERIFY(textDrag.isAccepted());
  }

  void oneChangeIsReportedPerKey() {
    control_->ResetText("abcd");
    control_->SetEvents(&log_);
    control_->SetSelection(1, 2);
    log_.entries.clear();
    TypeText(Editor(), Q("x"));
    QCOMPARE(control_->Text(), std::string("axd"));
    QCOMPARE(log_.Count("TextChanged"), 1);
    QVERIFY(log_.IndexOf("TextChanged") < log_.IndexOf("SelectionChanged"));
    QCOMPARE(control_->SelStart(), std::size_t{2});

    log_.entries.clear();
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    QCOMPARE(control_->Text(), std::string("ad"));
    QCOMPARE(log_.Count("TextChanged"), 1);

    // Moving the caret reports the selection only.
    log_.entries.clear();
    QTest::keyClick(Editor(), Qt::Key_Right);
    QCOMPARE(log_.Count("TextChanged"), 0);
    QCOMPARE(log_.Count("SelectionChanged"), 1);
    QCOMPARE(control_->SelStart(), std::size_t{2});
    control_->SetEvents(nullptr);
  }

  void escapesShowTheirByteAndSurviveEdits() {
    // 0x85 never starts a character, 0x80 and 0xFD-0xFF are no characters at all.
    const std::string text = std::string("a\x85 b\x80\xFF") + "\r\nnext";
    control_->ResetText(text);
    char shown[8] = {};
    std::string escape;
    AppendUtf8(kEscapeBase + 0x85, escape);
    Editor()->SendScintilla(Sci::SCI_GETREPRESENTATION, escape.c_str(), shown);
    QCOMPARE(QByteArray(shown), QByteArray("x85"));
    QVERIFY(WidgetText(Editor()).find(escape) != std::string::npos);

    control_->SetSelection(4, 0);  // after the b, on the same line
    TypeText(Editor(), Q("Z"));
    control_->SetSelection(0, 1);
    TypeText(Editor(), Q("あ"));
    QCOMPARE(control_->Text(), std::string("\x82\xA0\x85 bZ\x80\xFF\r\nnext"));
    ExpectInStep();
  }

  void joinedBytesShowAsTheCharacterTheyMake() {
    // 0x82 before a space is an escape; with the space gone it pairs with 0xA0 into あ.
    control_->ResetText("\x82 \xA0");
    control_->SetSelection(1, 0);
    QTest::keyClick(Editor(), Qt::Key_Delete);
    QCOMPARE(control_->Text(), std::string("\x82\xA0"));
    QCOMPARE(QByteArray::fromStdString(WidgetText(Editor())), Q("あ").toUtf8());
  }

  void compositionIsReportedWhenCommitted() {
    control_->ResetText("ab");
    control_->SetEvents(&log_);
    control_->SetSelection(1, 0);
    log_.entries.clear();

    QTextCharFormat target;
    target.setBackground(QColor(0, 0, 255));
    SendComposition(Editor(), Q("かん"), QString(),
                    {QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, 1, target)});
    QVERIFY(control_->Composing());
    QCOMPARE(log_.Count("CompositionStarted"), 1);
    QCOMPARE(log_.Count("TextChanged"), 0);
    QCOMPARE(QByteArray::fromStdString(WidgetText(Editor())), Q("aかんb").toUtf8());
    // The clause being converted is white on navy, the rest underlined.
    const long navy = Sci::SC_INDICVALUEBIT | (128L << 16);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_INDICATORVALUEAT,
                                     ScintillaTextControl::kIndicatorPreeditBack, 1L),
             navy);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_INDICATORVALUEAT,
                                     ScintillaTextControl::kIndicatorPreeditLine, 1L),
             0L);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_INDICATORVALUEAT,
                                     ScintillaTextControl::kIndicatorPreeditLine, 4L),
             1L);

    SendComposition(Editor(), Q("漢"), QString());
    SendComposition(Editor(), QString(), Q("漢"));
    QVERIFY(!control_->Composing());
    QCOMPARE(control_->Text(), "a" + Cp932("漢") + "b");
    ExpectInStep();
    QCOMPARE(log_.Count("TextChanged"), 1);
    QVERIFY(log_.IndexOf("TextChanged") < log_.IndexOf("CompositionEnded"));
    QCOMPARE(control_->SelStart(), std::size_t{3});

    // A cancelled composition changes nothing.
    log_.entries.clear();
    SendComposition(Editor(), Q("x"), QString());
    SendComposition(Editor(), QString(), QString());
    QCOMPARE(control_->Text(), "a" + Cp932("漢") + "b");
    QCOMPARE(log_.Count("TextChanged"), 0);
    QCOMPARE(log_.Count("CompositionEnded"), 1);
    ExpectInStep();
    control_->SetEvents(nullptr);
  }

  void randomEditsKeepWidgetAndBytesInStep() {
    // Typing (some characters CP932 lacks), deleting, line breaks, the program's own edits of
    // raw bytes (lone lead bytes, escapes), under a length limit: after every step the widget
    // shows exactly what the bytes say, and the limit holds for what the user adds.
    const QString typed[] = {Q("a"), Q("あ"), Q("ｶ"), Q("✓"), Q("漢"), Q(" "), Q("😀"), Q("≒")};
    const std::string programBytes[] = {"\x82", "\xA0",     "\x85",     "x",
                                        "\r\n", "\x87\x90", "\xED\x40", ""};
    control_->LimitText(60);
    control_->ResetText(std::string("\x82 \xA0\x85z\r\n") + Cp932("日本語ﾃｷｽﾄ"));
    unsigned seed = 2024;
    auto next = [&seed](unsigned n) {
      seed = seed * 1664525u + 1013904223u;
      return (seed >> 8) % n;
    };
    int atLimit = 0;
    for (int step = 0; step < 1500; ++step) {
      const std::size_t size = control_->TextLength();
      const std::size_t start = next(static_cast<unsigned>(size + 1));
      control_->SetSelection(start, next(3));
      switch (next(6)) {
        case 0:
        case 1:
          TypeText(Editor(), typed[next(8)]);
          break;
        case 2:
          QTest::keyClick(Editor(), next(2) ? Qt::Key_Backspace : Qt::Key_Delete);
          break;
        case 3:
          QTest::keyClick(Editor(), Qt::Key_Return);
          break;
        default: {
          const std::string bytes = programBytes[next(8)];
          const std::string before = control_->Text();
          const std::size_t from = control_->SelStart();
          const std::size_t length = control_->SelLength();
          if (control_->ReplaceSelection(bytes)) {
            QCOMPARE(control_->Text(), std::string(before).replace(from, length, bytes));
          }
          break;
        }
      }
      QVERIFY2(WidgetText(Editor()) == Cp932ToUtf8(control_->Text()),
               qPrintable(QString::number(step)));
      if (step % 5 == 0) {  // a search now and then, with edits piling up in between
        QVERIFY(control_->TextView() == control_->Text());
        QVERIFY(control_->FoldedTextView() == ToUpperCp932Copy(control_->Text()));
      }
      QVERIFY(control_->TextLength() <= 60);
      if (control_->TextLength() >= 59) ++atLimit;
    }
    QVERIFY(atLimit > 10);  // the limit was really met
  }

  void foldedTextFollowsTypingProgramEditsAndReloads() {
    control_->ResetText(Cp932("abc ａｂｃ"));
    QVERIFY(control_->FoldedTextView() == Cp932("ABC ＡＢＣ"));
    control_->SetSelection(3, 0);
    TypeText(Editor(), Q("ｘy"));
    QVERIFY(control_->FoldedTextView() == Cp932("ABCＸY ＡＢＣ"));
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    control_->SetSelection(0, 1);
    QVERIFY(control_->ReplaceSelection(Cp932("α")));
    QVERIFY(control_->FoldedTextView() == Cp932("ΑBCＸ ＡＢＣ"));
    QVERIFY(control_->TextView() == Cp932("αbcｘ ａｂｃ"));
    control_->ResetText("xyz");
    QVERIFY(control_->FoldedTextView() == "XYZ");
  }

  void selectionAndLinesAreInBytes() {
    const std::string text = Cp932("あいう\r\nab\nc");
    control_->ResetText(text);
    control_->SetSelection(2, 4);
    QCOMPARE(control_->SelText(), Cp932("いう"));
    QVERIFY(!control_->SelectionBackwards());
    control_->SetSelectionBackwards(2, 2);
    QVERIFY(control_->SelectionBackwards());
    QCOMPARE(control_->Caret(), std::size_t{2});
    QCOMPARE(control_->SelLength(), std::size_t{2});
    control_->SetSelection(100, 5);
    QCOMPARE(control_->SelStart(), text.size());
    QCOMPARE(control_->SelLength(), std::size_t{0});
    QCOMPARE(control_->LineCount(), std::size_t{3});
    QCOMPARE(control_->LineFromOffset(9), std::size_t{1});
    QCOMPARE(control_->LineStart(2), std::size_t{11});
  }

  void viewAttributesReachTheText() {
    control_->ResetText("abc");
    control_->SetColours(QColor(0, 0, 128), QColor(255, 255, 0));
    control_->SetTextFont(QFont(QStringLiteral("Monospace"), 17));
    // Scintilla colours are 0xBBGGRR; style 0 is what plain text is drawn in.
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_STYLEGETBACK, 0UL), 128L << 16);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_STYLEGETFORE, 0UL), 0x00FFFFL);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_STYLEGETSIZE, 0UL), 17L);
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_GETCARETFORE), 0x00FFFFL);
  }

  void wordWrapAndPaintingSwitches() {
    control_->SetWordWrap(true);
    QVERIFY(control_->WordWrap());
    QCOMPARE(Editor()->SendScintilla(Sci::SCI_GETWRAPMODE), long{Sci::SC_WRAP_WORD});
    control_->SuspendPainting();
    control_->SuspendPainting();
    control_->ResumePainting();
    QVERIFY(!Editor()->updatesEnabled());
    control_->ResumePainting();
    QVERIFY(Editor()->updatesEnabled());
  }

  // A replace that joined every line into one long line leaves the view scrolled far to the
  // right; its undo, made with painting off, must bring the restored caret back into view
  // rather than show an empty stretch beyond the ends of the short lines.
  void undoOfAReplaceThatMadeALongLineShowsTheText() {
    MemoryUi ui;
    UndoLog undo(ui);
    auto owned = std::make_unique<ScintillaTextControl>();
    ScintillaTextControl* control = owned.get();
    ScintillaEditor* editor = control->Widget();
    editor->resize(400, 300);
    editor->show();
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    Page page(std::move(owned), undo);
    undo.SetCurrentPage(&page);
    std::string lines;
    std::string joined;
    for (int i = 0; i < 300; ++i) {
      lines += "line " + std::to_string(i) + "\r\n";
      joined += "line " + std::to_string(i) + " ";
    }
    control->ResetText(lines);
    control->SetSelection(0, 0);
    EditPage(
        undo, page, kUndoReplaceAll, KeepText::WholeText,
        [&](PageEdit&) {
          page.ReplaceWholeText(joined);
          control->SetSelection(joined.size(), 0);
          return EditOutcome::Changed;
        },
        true);
    control->ScrollCaret();
    QCoreApplication::processEvents();
    QVERIFY(editor->SendScintilla(Sci::SCI_GETXOFFSET) > 1000);

    QCOMPARE(undo.UndoLast(), &page);
    QCOMPARE(control->Text(), lines);
    QCoreApplication::processEvents();
    const long caret = editor->SendScintilla(Sci::SCI_GETCURRENTPOS);
    QCOMPARE(caret, 0L);
    const long x = editor->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, caret);
    QVERIFY2(x >= 0 && x < editor->viewport()->width(),
             qPrintable(QStringLiteral("caret at x %1").arg(x)));
    QCOMPARE(editor->SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE), 0L);
    // Redo puts the long line back with its caret in view as well.
    QCOMPARE(undo.RedoLast(), &page);
    QCOMPARE(control->Text(), joined);
    QCoreApplication::processEvents();
    const long end = editor->SendScintilla(Sci::SCI_GETCURRENTPOS);
    const long xEnd = editor->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, end);
    QVERIFY2(xEnd >= 0 && xEnd < editor->viewport()->width(),
             qPrintable(QStringLiteral("caret at x %1").arg(xEnd)));
    undo.PageGone(page);
  }

  void undoLogFollowsTheWidget() {
    MemoryUi ui;
    UndoLog undo(ui);
    auto owned = std::make_unique<ScintillaTextControl>();
    ScintillaTextControl* control = owned.get();
    control->Widget()->show();
    Page page(std::move(owned), undo);
    undo.SetCurrentPage(&page);
    control->ResetText("");

    TypeText(control->Widget(), Q("abc"));
    QTest::keyClick(control->Widget(), Qt::Key_Space);
    TypeText(control->Widget(), Q("あ"));
    QTest::keyClick(control->Widget(), Qt::Key_Backspace);
    QCOMPARE(control->Text(), std::string("abc "));
    undo.UndoLast();
    QCOMPARE(control->Text(), std::string("abc \x82\xA0"));
    while (undo.RecordCount() > 0) undo.UndoLast();
    QCOMPARE(control->Text(), std::string());

    // A composition committed over a selection is one step back.
    control->ResetText("abcd");
    control->SetSelection(1, 2);
    SendComposition(control->Widget(), Q("かん"), QString());
    SendComposition(control->Widget(), QString(), Q("漢"));
    QCOMPARE(control->Text(), "a" + Cp932("漢") + "d");
    undo.UndoLast();
    QCOMPARE(control->Text(), std::string("abcd"));

    // Overwrite mode: Insert, then typing replaces the characters under the caret.
    control->ResetText("abcd");
    control->SetSelection(0, 0);
    QTest::keyClick(control->Widget(), Qt::Key_Insert);
    TypeText(control->Widget(), Q("xy"));
    QCOMPARE(control->Text(), std::string("xycd"));
    undo.PageGone(page);
  }
};

QTEST_MAIN(ScintillaTextControlTest)
#include "ScintillaTextControlTest.moc"
