// ScintillaTextControl: what the view shows besides the text (line numbers, the caret's line,
// marks) and wrapping by the line-break rules.
#include <cmath>
#include <string>

#include "gui/ScintillaTextControl.h"
#include "text/LineWrap.h"

namespace norra {
namespace {

using Sci = QsciScintillaBase;

constexpr int kNumberMargin = 0;

}  // namespace

void ScintillaTextControl::SetViewOptions(const TextViewOptions& options) {
  if (options == view_) return;
  view_ = options;
  ApplyViewOptions();
}

void ScintillaTextControl::ApplyViewOptions() {
  if (editor_ == nullptr) return;
  editor_->SetMarks(view_.marks);
  // A shade of the background, darker on a light one and lighter on a dark one.
  const QColor paper = editor_->paper();
  editor_->setCaretLineBackgroundColor(paper.lightness() > 128 ? paper.darker(110)
                                                               : paper.lighter(140));
  editor_->setCaretLineVisible(view_.caretLine);
  // Also while another window has the focus: the line is where the user left off.
  Send(Sci::SCI_SETCARETLINEVISIBLEALWAYS, view_.caretLine ? 1 : 0);
  numberDigits_ = -1;
  UpdateLineNumberWidth();
  UpdateWrapWidth();
}

// Wide enough for the largest line number, and at least three digits so that typing the
// tenth line does not shift the text.
void ScintillaTextControl::UpdateLineNumberWidth() {
  if (editor_ == nullptr) return;
  int digits = 0;
  if (view_.lineNumbers) {
    digits = 3;
    for (long count = Send(Sci::SCI_GETLINECOUNT); count >= 1000; count /= 10) ++digits;
  }
  if (digits == numberDigits_) return;
  numberDigits_ = digits;
  long width = 0;
  if (digits > 0) {
    const std::string nines(static_cast<std::size_t>(digits) + 1, '9');
    width = SendText(Sci::SCI_TEXTWIDTH, Sci::STYLE_LINENUMBER, nines.c_str());
  }
  Send(Sci::SCI_SETMARGINTYPEN, kNumberMargin, Sci::SC_MARGIN_NUMBER);
  Send(Sci::SCI_SETMARGINWIDTHN, kNumberMargin, width);
  UpdateWrapWidth();
}

void ScintillaTextControl::Resized() {
  UpdateWrapWidth();
}

// The widget wraps a line where a character would pass the text area's edge, at the last
// place before it where the style changes, or else right there. So the rows are computed here,
// by the same rules printing uses, in half-width columns (the window's width in columns when
// wrapping at its edge); the style changes only where a row begins, and the area is one pixel
// wider than a row: a row the rules shortened ends at its change of style, a full one at the
// edge. (The widget also breaks after an ASCII space; a full row holding one ends there.) A
// column is as wide as a half-width character or half a full-width one, whichever is wider (a
// substituted font may draw one wider than two of the other).
void ScintillaTextControl::UpdateWrapWidth() {
  if (editor_ == nullptr) return;
  long right = 0;
  int columns = 0;
  if (wordWrap_) {
    const std::string halves(64, '0');
    std::string fulls;
    for (int i = 0; i < 32; ++i) fulls += "\xE3\x81\x82";  // あ
    const double half = static_cast<double>(SendText(Sci::SCI_TEXTWIDTH, 0, halves.c_str())) / 64;
    const double full = static_cast<double>(SendText(Sci::SCI_TEXTWIDTH, 0, fulls.c_str())) / 64;
    const double column = std::max(1.0, std::max(half, full));
    long left = Send(Sci::SCI_GETMARGINLEFT);
    for (unsigned long margin = 0; margin < 5; ++margin)
      left += Send(Sci::SCI_GETMARGINWIDTHN, margin);
    const long area = static_cast<long>(editor_->viewport()->width()) - left;
    columns = view_.wrapColumns > 0
                  ? view_.wrapColumns
                  : std::max(2, static_cast<int>(static_cast<double>(area - 1) / column));
    const long text = static_cast<long>(std::ceil(column * columns)) + 1;
    right = std::max(0L, area - text);
  }
  if (columns != rowColumns_) {
    // Every line is to be styled again before it is wrapped again.
    rowColumns_ = columns;
    Send(Sci::SCI_STARTSTYLING, 0, 0xFF);
  }
  if (Send(Sci::SCI_GETMARGINRIGHT) != right) Send(Sci::SCI_SETMARGINRIGHT, 0, right);
}

void ScintillaTextControl::UseStyledDocument(bool styled) {
  if (editor_ == nullptr) return;
  // Wrapped lines are laid out again at each paint unless the lines in view keep their layout.
  Send(Sci::SCI_SETLAYOUTCACHE, styled ? Sci::SC_CACHE_PAGE : Sci::SC_CACHE_CARET);
  if (styled == styledDocument_) return;
  AbandonComposition();
  ReportPendingText();
  const Selection selection = CurrentSelection();
  const long firstLine =
      Send(Sci::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(Send(Sci::SCI_GETFIRSTVISIBLELINE)));
  NewDocument(styled);
  LoadWidget(mirror_.WidgetText());
  ++textVersion_;
  Select(selection.anchor, selection.caret, false);
  Send(Sci::SCI_SETFIRSTVISIBLELINE,
       static_cast<unsigned long>(Send(Sci::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(firstLine))));
  numberDigits_ = -1;
  UpdateLineNumberWidth();
}

void ScintillaTextControl::StyleBreaks(long position) {
  if (editor_ == nullptr || !styledDocument_) return;
  const long length = Send(Sci::SCI_GETLENGTH);
  const long firstLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(Sci::SCI_GETENDSTYLED)));
  const long lastLine = Send(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(std::min(position, length)));
  const long start = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(firstLine));
  long end = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(lastLine + 1));
  if (end < start) end = length;
  if (end <= start) return;
  std::string text(static_cast<std::size_t>(end - start) + 1, '\0');
  editor_->SendScintilla(Sci::SCI_GETTEXTRANGE, start, end, text.data());
  text.resize(static_cast<std::size_t>(end - start));
  std::string styles(text.size(), '\0');
  const int tabWidth = tabColumns_ > 0 ? tabColumns_ : 8;
  for (std::size_t line = 0; line < text.size();) {
    std::size_t end = text.find_first_of("\r\n", line);
    if (end == std::string::npos) end = text.size();
    std::size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    char style = 0;
    std::size_t from = line;
    const std::string_view row(text.data() + line, end - line);
    for (std::size_t at : WrapPoints(Charset::Utf8, row, std::max(2, rowColumns_), tabWidth)) {
      styles.replace(from, line + at - from, line + at - from, style);
      from = line + at;
      style ^= 1;
    }
    styles.replace(from, next - from, next - from, style);
    line = next;
  }
  Send(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(start), 0xFF);
  editor_->SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<uintptr_t>(styles.size()), styles.c_str());
}

// Style 1 marks every other break place and must look exactly like style 0, which QScintilla
// gives the font and colours.
void ScintillaTextControl::CopyTextStyle() {
  if (editor_ == nullptr) return;
  char font[256] = {};
  if (Send(Sci::SCI_STYLEGETFONT, 0) < static_cast<long>(sizeof font)) {
    editor_->SendScintilla(Sci::SCI_STYLEGETFONT, 0UL, static_cast<void*>(font));
    SendText(Sci::SCI_STYLESETFONT, 1, font);
  }
  for (auto [get, set] : {std::pair{Sci::SCI_STYLEGETSIZEFRACTIONAL, Sci::SCI_STYLESETSIZEFRACTIONAL},
                          std::pair{Sci::SCI_STYLEGETWEIGHT, Sci::SCI_STYLESETWEIGHT},
                          std::pair{Sci::SCI_STYLEGETITALIC, Sci::SCI_STYLESETITALIC},
                          std::pair{Sci::SCI_STYLEGETFORE, Sci::SCI_STYLESETFORE},
                          std::pair{Sci::SCI_STYLEGETBACK, Sci::SCI_STYLESETBACK},
                          std::pair{Sci::SCI_STYLEGETCHARACTERSET, Sci::SCI_STYLESETCHARACTERSET}}) {
    Send(set, 1, Send(get, 0));
  }
}

}  // namespace norra
