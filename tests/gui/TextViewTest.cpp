// Qt Test of what the text control shows besides the text: line numbers, the caret's line,
// marks, and wrapping at a number of columns by the line-break rules.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QtTest>
#include <memory>
#include <string>

#include "gui/ScintillaTextControl.h"
#include "text/Encoding.h"

using namespace norra;
using Sci = QsciScintillaBase;

namespace {

std::string Repeat(const char* utf8, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += utf8;
  return s;
}

// Pixels of the widget in a clear red (the text is black on white), blended edges included.
int RedPixels(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > c.green() + 60 && c.red() > c.blue() + 60) ++count;
    }
  }
  return count;
}

}  // namespace

class TextViewTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScintillaTextControl> control_;
  ScintillaEditor* Editor() { return control_->Widget(); }
  long Send(unsigned message, unsigned long w = 0, long l = 0) {
    return Editor()->SendScintilla(message, w, l);
  }
  // The widget position of the CP932 offset.
  long At(std::size_t offset) { return static_cast<long>(control_->Mirror().ToUtf8(offset)); }
  bool OnLaterRow(std::size_t offset) {
    return Send(Sci::SCI_POINTYFROMPOSITION, 0, At(offset)) > Send(Sci::SCI_POINTYFROMPOSITION, 0, 0);
  }
  void Wrap(int columns) {
    TextViewOptions options = control_->ViewOptions();
    options.wrapColumns = columns;
    control_->SetViewOptions(options);
    control_->SetWordWrap(true);
    QApplication::processEvents();
    Editor()->repaint();
  }

 private slots:
  void init() {
    control_ = std::make_unique<ScintillaTextControl>();
    // A Japanese fixed-pitch font: a full-width glyph as wide as two half-width ones.
    control_->SetTextFont(QFont(QStringLiteral("IPAGothic"), 11));
    control_->SetColours(Qt::white, Qt::black);
    Editor()->resize(900, 400);
    Editor()->show();
    QVERIFY(QTest::qWaitForWindowExposed(Editor()));
  }
  void cleanup() { control_.reset(); }

  void optionsReachTheWidget() {
    control_->ResetText("a\r\nb");
    QCOMPARE(Send(Sci::SCI_GETMARGINWIDTHN, 0), 0L);
    TextViewOptions options;
    options.lineNumbers = true;
    options.caretLine = true;
    options.marks.tab = true;
    options.marks.eof = true;
    options.marks.colour = QColor(200, 0, 0);
    control_->SetViewOptions(options);
    const long narrow = Send(Sci::SCI_GETMARGINWIDTHN, 0);
    QVERIFY(narrow > 0);
    QCOMPARE(Send(Sci::SCI_GETCARETLINEVISIBLE), 1L);
    QVERIFY(Editor()->Marks() == options.marks);
    // The margin grows with the number of lines.
    control_->ResetText(Repeat("x\r\n", 20000));
    QApplication::processEvents();
    Editor()->repaint();
    QVERIFY(Send(Sci::SCI_GETMARGINWIDTHN, 0) > narrow);
    control_->SetViewOptions(TextViewOptions{});
    QCOMPARE(Send(Sci::SCI_GETMARGINWIDTHN, 0), 0L);
    QCOMPARE(Send(Sci::SCI_GETCARETLINEVISIBLE), 0L);
    QVERIFY(!Editor()->Marks().Any());
  }

  void wrapsAtColumnsByTheLineBreakRules() {
    const long half = Editor()->SendScintilla(Sci::SCI_TEXTWIDTH, 0UL, "0000000000");
    const long full = Editor()->SendScintilla(Sci::SCI_TEXTWIDTH, 0UL, "あああああ");
    if (full != half) QSKIP("no fixed-pitch Japanese font here: columns are counted in pixels");
    // 100 full-width characters at 40 columns: five rows of twenty.
    control_->ResetText(Cp932(Repeat("あ", 100).c_str()));
    Wrap(40);
    QCOMPARE(Send(Sci::SCI_GETWRAPMODE), long{Sci::SC_WRAP_WORD});
    QVERIFY(Send(Sci::SCI_GETMARGINRIGHT) > 0);
    QCOMPARE(Send(Sci::SCI_WRAPCOUNT, 0), 5L);
    QVERIFY(!OnLaterRow(19 * 2));
    QVERIFY(OnLaterRow(20 * 2));
    // 。 may not begin a row: the twentieth あ goes along with it.
    control_->ResetText(Cp932((Repeat("あ", 20) + "。").c_str()));
    QApplication::processEvents();
    Editor()->repaint();
    QVERIFY(!OnLaterRow(18 * 2));
    QVERIFY(OnLaterRow(19 * 2));
    // 「 may not end a row: it moves to the next.
    control_->ResetText(Cp932((Repeat("あ", 19) + "「" + Repeat("あ", 5)).c_str()));
    QApplication::processEvents();
    Editor()->repaint();
    QVERIFY(!OnLaterRow(18 * 2));
    QVERIFY(OnLaterRow(19 * 2));
    // A run the rules cannot break still wraps where it overflows.
    control_->ResetText(Cp932(Repeat("。", 30).c_str()));
    QApplication::processEvents();
    Editor()->repaint();
    QCOMPARE(Send(Sci::SCI_WRAPCOUNT, 0), 2L);
    // Half-width characters count one column each.
    control_->ResetText(std::string(100, 'x'));
    QApplication::processEvents();
    Editor()->repaint();
    QCOMPARE(Send(Sci::SCI_WRAPCOUNT, 0), 3L);
    // At the window's edge: no margin, and a narrower window gives more rows.
    Wrap(0);
    QVERIFY(Send(Sci::SCI_GETMARGINRIGHT) < full / 5);  // less than a column is left over
    const long wide = Send(Sci::SCI_WRAPCOUNT, 0);
    Editor()->resize(200, 400);
    QApplication::processEvents();
    Editor()->repaint();
    QVERIFY(Send(Sci::SCI_WRAPCOUNT, 0) > wide);
  }

  void textAndSelectionSurviveWrappingAndCopyCopiesNoMark() {
    const std::string text = Cp932("一\t二　三\r\n四\n五\r六");
    control_->ResetText(text);
    control_->SetSelection(2, 5);
    TextViewOptions options;
    options.lineNumbers = true;
    options.caretLine = true;
    options.marks = EditorMarks{true, true, true, true, QColor(200, 0, 0)};
    control_->SetViewOptions(options);
    Wrap(40);
    QCOMPARE(control_->Text(), text);
    QCOMPARE(control_->SelStart(), std::size_t{2});
    QCOMPARE(control_->SelLength(), std::size_t{5});
    Editor()->selectAll();
    Editor()->copy();
    QCOMPARE(QApplication::clipboard()->text().toStdString(), Cp932ToUtf8(text));
    QCOMPARE(control_->SelText(), text);
    control_->SetWordWrap(false);
    QCOMPARE(control_->Text(), text);
  }

  void marksAreDrawnOnlyWhenAskedInTheirColour() {
    const QColor colour(220, 0, 0);
    control_->ResetText(Cp932("\t　\r\na\nb\rc"));
    Editor()->repaint();
    QCOMPARE(RedPixels(Editor()), 0);
    const EditorMarks each[] = {
        {true, false, false, false, colour},
        {false, true, false, false, colour},
        {false, false, true, false, colour},
        {false, false, false, true, colour},
    };
    for (const EditorMarks& marks : each) {
      TextViewOptions options;
      options.marks = marks;
      control_->SetViewOptions(options);
      Editor()->repaint();
      QVERIFY2(RedPixels(Editor()) > 3, std::to_string(&marks - each).c_str());
    }
  }

 private:
  static std::string Cp932(const char* utf8) { return Utf8ToCp932(utf8); }
  static std::string Cp932(const std::string& utf8) { return Utf8ToCp932(utf8); }
};

QTEST_MAIN(TextViewTest)
#include "TextViewTest.moc"
