// TdlgOption: the options dialog's window.
#include "gui/OptionsDialogWindow.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/OptionsDialog.h"
#include "engine/TagTable.h"
#include "printing/PrintCodes.h"

namespace norra {

namespace {

QString U(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
QString Name(OptionControl control) {
  return U(NameOf(control));
}

QLabel* Label(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

}  // namespace

TdlgOption::TdlgOption(OptionsDialog& logic, std::function<void()> help,
                       std::function<void()> printerSetUp, QWidget* parent)
    : QDialog(parent),
      logic_(logic),
      help_(std::move(help)),
      printerSetUp_(std::move(printerSetUp)) {
  setObjectName(QStringLiteral("TdlgOption"));
  setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ"));
  setModal(true);
  setFixedSize(kWidth, kHeight);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  menu_ = new QMenuBar(this);
  menu_->setObjectName(QStringLiteral("OptionMenu"));
  layout->setMenuBar(menu_);
  for (int page = 0; page < kOptionPageCount; ++page) {
    QAction* item = menu_->addAction(
        logic_.MenuCaption(page).empty() ? QString() : U(logic_.MenuCaption(page)));
    item->setObjectName(U(OptionsDialog::MenuName(page)));
    connect(item, &QAction::triggered, this, [this, page] { ShowPage(page); });
    menuItems_.push_back(item);
  }

  auto* stack = new QWidget(this);
  auto* grid = new QGridLayout(stack);
  grid->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(stack, 1);
  const std::array<QWidget* (TdlgOption::*)(), kOptionPageCount> builders = {
      &TdlgOption::BuildGeneral, &TdlgOption::BuildFile,   &TdlgOption::BuildPrint,
      &TdlgOption::BuildEdit,    &TdlgOption::BuildVision, &TdlgOption::BuildFindReplace,
      &TdlgOption::BuildHelp};
  for (int page = 0; page < kOptionPageCount; ++page) {
    auto* group = new QGroupBox(U(OptionsDialog::GroupCaption(page)), stack);
    group->setObjectName(U(OptionsDialog::GroupName(page)));
    groups_.push_back(group);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget((this->*builders.at(static_cast<std::size_t>(page)))());
    grid->addWidget(group, 0, 0);
    group->hide();
  }

  auto* buttons = new QHBoxLayout();
  layout->addLayout(buttons);
  auto button = [this, buttons](const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  QPushButton* ok = button("cmdOK", "OK");
  ok->setDefault(true);
  QPushButton* cancel = button("cmdCancel", "ｷｬﾝｾﾙ");
  apply_ = button("cmdApply", "適用(&A)");
  undo_ = button("cmdUndo", "戻す(&U)");
  QPushButton* reset = button("cmdReset", "ﾘｾｯﾄ(&C)");
  QPushButton* helpButton = button("cmdHelp", "ﾍﾙﾌﾟ  F1");
  connect(ok, &QPushButton::clicked, this, &TdlgOption::OkClicked);
  connect(cancel, &QPushButton::clicked, this, &TdlgOption::reject);
  connect(apply_, &QPushButton::clicked, this, &TdlgOption::ApplyClicked);
  connect(undo_, &QPushButton::clicked, this, [this] {
    logic_.Undo();
    Load(logic_.CurrentPage());
    UpdateButtons();
  });
  connect(reset, &QPushButton::clicked, this, [this] {
    logic_.Reset();
    UpdateButtons();
  });
  connect(helpButton, &QPushButton::clicked, this, [this] {
    if (help_) help_();
  });
}

// ---- building ----

QLineEdit* TdlgOption::Line(OptionControl control, QWidget* parent, bool digits, int maxLength) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(Name(control));
  if (digits)
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
  if (maxLength > 0) box->setMaxLength(maxLength);
  connect(box, &QLineEdit::textEdited, this,
          [this, control](const QString& text) { Edited(control, text); });
  controls_[control] = box;
  return box;
}

QWidget* TdlgOption::Check(OptionControl control, const char* caption, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(Name(control));
  connect(box, &QCheckBox::clicked, this, [this, control](bool on) {
    Edited(control, on ? QStringLiteral("1") : QStringLiteral("0"));
  });
  controls_[control] = box;
  return box;
}

QWidget* TdlgOption::FontBox(OptionControl control, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(Name(control));
  box->setEditable(true);
  box->addItems(QFontDatabase::families());
  connect(box, &QComboBox::currentTextChanged, this, [this, control](const QString& text) {
    if (!loading_) Edited(control, text);
  });
  controls_[control] = box;
  return box;
}

QWidget* TdlgOption::BuildGeneral() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* version = new QLabel(page);
  version->setObjectName(QStringLiteral("lblVersion"));
  version->setText(U(logic_.VersionText()));
  QFont big = version->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  version->setFont(big);
  layout->addWidget(version);
  layout->addWidget(Label("ﾕｰｻﾞ名", page));
  layout->addWidget(Line(txtUserName, page, false, static_cast<int>(OptionsDialog::kUserNameMax)));
  layout->addWidget(Check(chkDispUserName, "ﾒｲﾝｳｲﾝﾄﾞｳの上端にﾕｰｻﾞ名(↑)を表示する", page));
  layout->addStretch(1);
  return page;
}

QWidget* TdlgOption::BuildFile() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  grid->addWidget(Label("ﾌｧｲﾙの最大ｻｲｽﾞ(ﾊﾞｲﾄ)", page), 0, 0);
  grid->addWidget(Line(txtMaxLength, page, true, 9), 0, 1);
  grid->addWidget(Label("最近使ったﾌｧｲﾙの記憶数", page), 1, 0);
  grid->addWidget(Line(txtRecentMax, page, true, 2), 1, 1);
  grid->addWidget(Check(chkAutoReload, "他のﾌﾟﾛｸﾞﾗﾑで変更されたﾌｧｲﾙを、未編集ならすぐ再読込みする", page), 2, 0, 1, 2);
  grid->addWidget(Check(chkMakeBackup, "ﾊﾞｯｸｱｯﾌﾟを作成", page), 3, 0, 1, 2);
  grid->addWidget(Label("ﾊﾞｯｸｱｯﾌﾟ先ﾌｫﾙﾀﾞ (空欄: 元のﾌｧｲﾙと同じﾌｫﾙﾀﾞ)", page), 4, 0);
  grid->addWidget(Line(txtBackupFolder, page, false), 4, 1);
  grid->addWidget(Label("新規ﾌｧｲﾙの文字ｺｰﾄﾞ", page), 5, 0);
  auto* charset = new QComboBox(page);
  charset->setObjectName(Name(cboNewFileCharset));
  for (const auto& [caption, value] : OptionsDialog::NewFileCharsetChoices()) charset->addItem(U(caption), value);
  connect(charset, &QComboBox::currentIndexChanged, this, [this, charset](int index) {
    if (!loading_ && index >= 0) Edited(cboNewFileCharset, QString::number(charset->itemData(index).toInt()));
  });
  controls_[cboNewFileCharset] = charset;
  grid->addWidget(charset, 5, 1);
  grid->setRowStretch(6, 1);
  return page;
}

QWidget* TdlgOption::BuildPrint() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  grid->setVerticalSpacing(2);
  const int templateMax = static_cast<int>(OptionsDialog::kTemplateMax);
  auto codeButton = [this, page](const char* name, const char* caption, OptionControl box,
                                 Qt::Key key) {
    auto* b = new QPushButton(QString::fromUtf8(caption), page);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, box] { ToggleCodeList(box); });
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, b, [this, b] {
      if (b->isVisible()) b->click();
    });
    return b;
  };

  const std::pair<OptionControl, const char*> numbers[] = {{txtHeadLinePosition, "ﾍｯﾀﾞｰ位置(mm)"},
                                                           {txtFootLinePosition, "ﾌｯﾀｰ位置(mm)"},
                                                           {txtM_Top, "上余白(mm)"},
                                                           {txtM_Bottom, "下余白(mm)"},
                                                           {txtM_Left, "左余白(mm)"},
                                                           {txtM_Right, "右余白(mm)"},
                                                           {txtLinePerPage, "1ﾍﾟｰｼﾞの行数"},
                                                           {txtColumnsPerLine, "1行の字数"},
                                                           {txtPrintFontSize, "印刷文字ｻｲｽﾞ"}};
  int row = 0;
  int column = 0;
  for (const auto& [control, caption] : numbers) {
    grid->addWidget(Label(caption, page), row, column);
    grid->addWidget(Line(control, page, true, 5), row, column + 1);
    column = column == 0 ? 2 : 0;
    if (column == 0) ++row;
  }
  ++row;
  grid->addWidget(Label("印刷ﾌｫﾝﾄ", page), row, 0);
  grid->addWidget(FontBox(cboPrintFontName, page), row, 1, 1, 3);
  // The templates sit below the numbers, so the code list has room to open above them.
  ++row;
  grid->addWidget(Check(chkPrintHeadLine, "ﾍｯﾀﾞｰを印刷", page), row, 0);
  grid->addWidget(Line(txtHeadLine, page, false, templateMax), row, 1, 1, 3);
  grid->addWidget(codeButton("cmdHeadLineCode", "▼(F11)", txtHeadLine, Qt::Key_F11), row, 4);
  ++row;
  grid->addWidget(Check(chkPrintFootLine, "ﾌｯﾀｰを印刷", page), row, 0);
  grid->addWidget(Line(txtFootLine, page, false, templateMax), row, 1, 1, 3);
  grid->addWidget(codeButton("cmdFootLineCode", "▼(F12)", txtFootLine, Qt::Key_F12), row, 4);
  ++row;
  auto* printer = new QPushButton(QStringLiteral("ﾌﾟﾘﾝﾀ設定"), page);
  printer->setObjectName(QStringLiteral("cmdSetPrinter"));
  printer->setAutoDefault(false);
  printer->setEnabled(static_cast<bool>(printerSetUp_));
  connect(printer, &QPushButton::clicked, this, [this] {
    if (printerSetUp_) printerSetUp_();
    UpdateLabels();
  });
  grid->addWidget(printer, row, 4);
  const char* names[] = {"lblPrinterName", "lblPaperName",   "lblOrientation",
                         "lblPort",        "lblPaperLength", "lblPaperWidth"};
  for (int i = 0; i < 6; ++i) {
    auto* label = new QLabel(page);
    label->setObjectName(QString::fromLatin1(names[i]));
    grid->addWidget(label, row + i / 2, (i % 2) * 2, 1, 2);
    printerLabels_.push_back(label);
  }

  codeList_ = new QListWidget(page);
  codeList_->setObjectName(QStringLiteral("lstPrintCode"));
  for (const PrintCode& code : kPrintCodes)
    codeList_->addItem(U(code.code) + QStringLiteral("  ") + U(code.description));
  codeList_->hide();
  connect(codeList_, &QListWidget::itemDoubleClicked, this, [this] { InsertCode(); });
  return page;
}

QWidget* TdlgOption::BuildEdit() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  grid->setVerticalSpacing(2);
  grid->addWidget(Label("ﾀﾌﾞ間隔", page), 0, 0);
  grid->addWidget(Line(txtTabStop, page, true, 2), 0, 1);
  grid->addWidget(Check(chkUseTabCode, "ﾀﾌﾞｺｰﾄﾞを使用", page), 0, 2);
  grid->addWidget(Label("IMEの初期状態", page), 1, 0);
  auto* ime = new QComboBox(page);
  ime->setObjectName(Name(cboInitImeMode));
  for (const auto& [caption, mode] : OptionsDialog::ImeModeChoices())
    ime->addItem(U(caption), mode);
  connect(ime, &QComboBox::currentIndexChanged, this, [this, ime](int index) {
    if (!loading_ && index >= 0)
      Edited(cboInitImeMode, QString::number(ime->itemData(index).toInt()));
  });
  controls_[cboInitImeMode] = ime;
  grid->addWidget(ime, 1, 1, 1, 2);
  grid->addWidget(Check(chkWriteUndoLog, "[戻す] ための記録を行う(MDIｸﾛｽｱﾝﾄﾞｩ)", page), 2, 0, 1, 3);
  grid->addWidget(Check(chkKeepLogAfterSave, "保存後も [戻す] ための記録を残す", page), 3, 0, 1, 3);
  grid->addWidget(Check(chkClearLogsByBytes, "[戻す]記録を文字数で減らす", page), 4, 0, 1, 3);
  grid->addWidget(Label("減らし始める文字数", page), 5, 0);
  grid->addWidget(Line(txtLostBytesStartClear, page, true, 9), 5, 1);
  grid->addWidget(Label("減らし終える文字数", page), 6, 0);
  grid->addWidget(Line(txtLostBytesEndClear, page, true, 9), 6, 1);
  grid->addWidget(
      Check(chkClearLogsAllByBigChange, "1動作で大きく変わった時は[戻す]記録を全ｸﾘｱ", page), 7, 0,
      1, 3);
  grid->addWidget(Label("全ｸﾘｱさせる最低文字数", page), 8, 0);
  grid->addWidget(Line(txtMaxLogBytes, page, true, 9), 8, 1);
  logBytes_ = new QLabel(page);
  logBytes_->setObjectName(QStringLiteral("lblLogBytesSum"));
  undoLogs_ = new QLabel(page);
  undoLogs_->setObjectName(QStringLiteral("lblUndoLogsCount"));
  grid->addWidget(logBytes_, 9, 0, 1, 3);
  grid->addWidget(undoLogs_, 10, 0, 1, 3);
  grid->setRowStretch(11, 1);
  return page;
}

QWidget* TdlgOption::BuildVision() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  grid->setVerticalSpacing(2);
  grid->addWidget(Check(chkToolBar, "ﾂｰﾙﾊﾞｰを表示", page), 0, 0);
  grid->addWidget(Check(chkStatusBar, "ｽﾃｰﾀｽﾊﾞｰを表示", page), 0, 1);
  grid->addWidget(Check(chkWordWrap, "右端で折返す(既定値)", page), 0, 2);
  grid->addWidget(Label("ﾌｫﾝﾄ", page), 1, 0);
  grid->addWidget(FontBox(cboFontName, page), 1, 1, 1, 2);
  grid->addWidget(Label("文字ｻｲｽﾞ", page), 2, 0);
  grid->addWidget(Line(txtFontSize, page, true, 3), 2, 1);
  grid->addWidget(Label("左余白", page), 3, 0);
  grid->addWidget(Line(txtLeftBlank, page, true, 2), 3, 1);

  auto family = [this, page, grid](int row, const char* caption, OptionControl yellow,
                                   OptionControl blue, OptionControl bar) {
    grid->addWidget(Label(caption, page), row, 0);
    auto* group = new QButtonGroup(page);
    auto radio = [this, page, group](OptionControl control, OptionControl other, const char* text) {
      auto* button = new QRadioButton(QString::fromUtf8(text), page);
      button->setObjectName(Name(control));
      group->addButton(button);
      connect(button, &QRadioButton::clicked, this, [this, control, other] {
        Edited(other, QStringLiteral("0"));
        Edited(control, QStringLiteral("1"));
      });
      controls_[control] = button;
      return button;
    };
    grid->addWidget(radio(yellow, blue, "ｲｴﾛｰ～ﾎﾜｲﾄ"), row, 1);
    grid->addWidget(radio(blue, yellow, "ﾌﾞﾗｯｸ～ﾈｲﾋﾞｰ～ﾌﾞﾙｰ"), row, 2);
    auto* scroll = new QScrollBar(Qt::Horizontal, page);
    scroll->setObjectName(Name(bar));
    scroll->setRange(0, 255);
    connect(scroll, &QScrollBar::valueChanged, this, [this, bar](int value) {
      if (!loading_) Edited(bar, QString::number(value));
    });
    controls_[bar] = scroll;
    grid->addWidget(scroll, row + 1, 1, 1, 2);
    return group;
  };
  foreFamily_ = family(4, "文字色", optForeYellowWhite, optForeBlackBlue, barForeColor);
  backFamily_ = family(6, "背景色", optBackYellowWhite, optBackBlackBlue, barBackColor);
  colourTest_ = new QTextEdit(page);
  colourTest_->setObjectName(QStringLiteral("txtColorTest"));
  colourTest_->setPlainText(QStringLiteral("Norra ｻﾝﾌﾟﾙ 見本 0123"));
  grid->addWidget(colourTest_, 8, 0, 1, 3);
  grid->addWidget(Check(chkPageTabs, "ﾍﾟｰｼﾞをﾀﾌﾞで表示", page), 9, 0, 1, 3);

  grid->addWidget(Check(chkLineNumbers, "行番号を表示", page), 10, 0);
  grid->addWidget(Check(chkCaretLine, "ｶｰｿﾙ行を強調", page), 10, 1);
  grid->addWidget(Check(chkShowMarks, "記号を表示 :", page), 11, 0);
  auto* marks = new QHBoxLayout();
  marks->addWidget(Check(chkMarkTab, "ﾀﾌﾞ", page));
  marks->addWidget(Check(chkMarkWideSpace, "全角空白", page));
  marks->addWidget(Check(chkMarkLineEnd, "改行(CR LF/LF/CR)", page));
  marks->addWidget(Check(chkMarkEof, "[EOF]", page));
  grid->addLayout(marks, 11, 1, 1, 2);
  grid->addWidget(Label("記号の色(赤,緑,青)", page), 12, 0);
  auto* colour = new QHBoxLayout();
  for (OptionControl part : {txtMarkRed, txtMarkGreen, txtMarkBlue})
    colour->addWidget(Line(part, page, true, 3));
  grid->addLayout(colour, 12, 1);
  grid->addWidget(Check(chkWrapAtColumns, "指定桁で折返す :", page), 13, 0);
  auto* columns = new QHBoxLayout();
  columns->addWidget(Line(txtWrapColumns, page, true, 3));
  columns->addWidget(Label("桁(半角で数える)", page));
  grid->addLayout(columns, 13, 1);
  return page;
}

QWidget* TdlgOption::BuildFindReplace() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Check(chkWantTabs, "[Tab]ｷｰでﾀﾌﾞ挿入", page));
  layout->addWidget(Label("ﾜｲﾙﾄﾞｶｰﾄﾞ/検索ﾀｸﾞ/置換ﾀｸﾞ (KARVO System)", page));
  auto* area = new QScrollArea(page);
  area->setObjectName(QStringLiteral("scrTagList"));
  area->verticalScrollBar()->setObjectName(QStringLiteral("barTagListTop"));
  area->horizontalScrollBar()->setObjectName(QStringLiteral("barTagListLeft"));
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* table = new QWidget(area);
  auto* grid = new QGridLayout(table);
  grid->setVerticalSpacing(1);
  const char* headers[] = {"記号(変更可)", "意味", "用例(検索する文/置換後の文)", "種別"};
  for (int c = 0; c < 4; ++c) grid->addWidget(Label(headers[c], table), 0, c);
  for (int i = 0; i < kTagCount; ++i) {
    const TagSymbolRow row = logic_.TagRow(i);
    auto* symbol = new QLineEdit(table);
    symbol->setObjectName(QStringLiteral("txtTagSymbol") + QString::number(i));
    symbol->setMaxLength(32);
    symbol->setFixedWidth(90);
    symbol->setEnabled(row.editable);
    connect(symbol, &QLineEdit::textEdited, this,
            [this, i](const QString& text) { Edited(txtTagSymbol, text, i); });
    symbolBoxes_.push_back(symbol);
    auto* meaning = new QLabel(U(row.meaning), table);
    meaning->setObjectName(QStringLiteral("lblTagMeaning") + QString::number(i));
    auto* example = new QLabel(table);
    example->setObjectName(QStringLiteral("lblTagExample") + QString::number(i));
    example->setTextFormat(Qt::PlainText);
    exampleLabels_.push_back(example);
    auto* kind = new QLabel(U(row.kind), table);
    kind->setObjectName(QStringLiteral("lblTagKind") + QString::number(i));
    grid->addWidget(symbol, i + 1, 0);
    grid->addWidget(meaning, i + 1, 1);
    grid->addWidget(example, i + 1, 2);
    grid->addWidget(kind, i + 1, 3);
  }
  area->setWidget(table);
  area->setWidgetResizable(true);
  layout->addWidget(area, 1);
  return page;
}

QWidget* TdlgOption::BuildHelp() {
  using enum OptionControl;
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  grid->addWidget(Label("Norraのﾍﾙﾌﾟ", page), 0, 0);
  auto* first = new QLabel(U(logic_.MainHelpFile()), page);
  first->setObjectName(QStringLiteral("lblFirstHelp"));
  grid->addWidget(first, 0, 1, 1, 2);
  grid->addWidget(Label("第2ﾍﾙﾌﾟ", page), 1, 0);
  grid->addWidget(Line(txtSecondHelp, page, false), 1, 1);
  auto* browse = new QPushButton(QStringLiteral("参照..."), page);
  browse->setObjectName(QStringLiteral("cmdChangeSecondHelp"));
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, [this] {
    if (logic_.BrowseSecondHelp()) Load(OptionsDialog::kPageHelp);
    UpdateButtons();
  });
  grid->addWidget(browse, 1, 2);
  grid->setRowStretch(2, 1);
  return page;
}

QWidget* TdlgOption::Control(OptionControl control, int index) const {
  if (control == OptionControl::txtTagSymbol) {
    return index >= 0 && index < static_cast<int>(symbolBoxes_.size())
               ? symbolBoxes_.at(static_cast<std::size_t>(index))
               : nullptr;
  }
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : it->second;
}

// ---- showing ----

void TdlgOption::Present(int page) {
  logic_.Open(page);
  for (int p = 0; p < kOptionPageCount; ++p) Load(p);
  ShowPage(logic_.CurrentPage());
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
  show();
}

int TdlgOption::Run(int page) {
  Present(page);
  exec();
  return logic_.CurrentPage();
}

void TdlgOption::Load(int page) {
  loading_ = true;
  for (const auto& [control, widget] : controls_) {
    if (PageOf(control) != page) continue;
    const QString value = U(logic_.Value(control));
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
      line->setText(value);
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
      box->setChecked(value == QStringLiteral("1"));
    } else if (auto* scroll = qobject_cast<QScrollBar*>(widget)) {
      scroll->setValue(value.toInt());
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      if (combo->isEditable()) {
        combo->setCurrentText(value);
      } else {
        combo->setCurrentIndex(combo->findData(value.toInt()));
      }
    }
  }
  if (page == OptionsDialog::kPageVision) {
    // Neither family may be chosen: the groups let go while the buttons are set.
    for (QButtonGroup* group : {foreFamily_, backFamily_}) group->setExclusive(false);
    for (OptionControl control :
         {OptionControl::optForeYellowWhite, OptionControl::optForeBlackBlue,
          OptionControl::optBackYellowWhite, OptionControl::optBackBlackBlue}) {
      static_cast<QRadioButton*>(controls_.at(control))->setChecked(logic_.Checked(control));
    }
    for (QButtonGroup* group : {foreFamily_, backFamily_}) group->setExclusive(true);
  }
  if (page == OptionsDialog::kPageFindReplace) {
    for (int i = 0; i < kTagCount; ++i)
      symbolBoxes_.at(static_cast<std::size_t>(i))
          ->setText(U(logic_.Value(OptionControl::txtTagSymbol, i)));
  }
  loading_ = false;
  UpdateLabels();
}

void TdlgOption::ShowPage(int page) {
  logic_.SwitchTo(page);
  codeList_->hide();
  for (QGroupBox* group : groups_) group->hide();
  for (int p = 0; p < kOptionPageCount; ++p)
    menuItems_.at(static_cast<std::size_t>(p))->setText(U(logic_.MenuCaption(p)));
  Load(logic_.CurrentPage());
  QGroupBox* shown = groups_.at(static_cast<std::size_t>(logic_.CurrentPage()));
  shown->show();
  // Its first control takes the focus.
  QWidget* next = shown->nextInFocusChain();
  for (int guard = 0; next != nullptr && next != shown && guard < 1000;
       ++guard, next = next->nextInFocusChain()) {
    if (shown->isAncestorOf(next) && next->isEnabled() &&
        (next->focusPolicy() & Qt::TabFocus) != 0) {
      next->setFocus();
      break;
    }
  }
  UpdateButtons();
}

void TdlgOption::UpdateButtons() {
  apply_->setVisible(logic_.ApplyButtonsVisible());
  undo_->setVisible(logic_.ApplyButtonsVisible());
  apply_->setEnabled(logic_.ApplyButtonsEnabled());
  undo_->setEnabled(logic_.ApplyButtonsEnabled());
}

void TdlgOption::UpdateLabels() {
  const std::vector<std::string> printer = logic_.PrinterLabels();
  for (std::size_t i = 0; i < printerLabels_.size() && i < printer.size(); ++i)
    printerLabels_[i]->setText(U(printer[i]));
  logBytes_->setText(U(logic_.LogBytesLabel()));
  undoLogs_->setText(U(logic_.UndoLogsLabel()));
  for (int i = 0; i < kTagCount; ++i)
    exampleLabels_.at(static_cast<std::size_t>(i))->setText(U(logic_.TagRow(i).example));
  UpdateColourSample();
}

void TdlgOption::UpdateColourSample() {
  const OptionColour fore = logic_.ForeColour();
  const OptionColour back = logic_.BackColour();
  QPalette palette = colourTest_->palette();
  palette.setColor(QPalette::Text, QColor(fore.red, fore.green, fore.blue));
  palette.setColor(QPalette::Base, QColor(back.red, back.green, back.blue));
  colourTest_->setPalette(palette);
  QFont font(U(logic_.Value(OptionControl::cboFontName)));
  if (const int size = U(logic_.Value(OptionControl::txtFontSize)).toInt(); size > 0 && size <= 128)
    font.setPointSize(size);
  colourTest_->setFont(font);
}

void TdlgOption::TakeFocusRequest() {
  const std::optional<OptionFocus> focus = logic_.TakeFocusRequest();
  if (!focus) return;
  if (QWidget* widget = Control(focus->control, focus->index)) {
    widget->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) line->selectAll();
  }
}

// ---- the user's actions ----

void TdlgOption::Edited(OptionControl control, const QString& value, int index) {
  if (loading_) return;
  logic_.Edit(control, value.toStdString(), index);
  if (PageOf(control) == OptionsDialog::kPageVision) UpdateColourSample();
  UpdateButtons();
}

void TdlgOption::ToggleCodeList(OptionControl box) {
  if (!logic_.ToggleCodeList(box)) {
    codeList_->hide();
    return;
  }
  // Just above the box, as wide as it.
  QWidget* edit = controls_.at(box);
  const QPoint at = edit->mapTo(codeList_->parentWidget(), QPoint(0, 0));
  const int height = std::min(160, at.y());
  codeList_->setGeometry(at.x(), at.y() - height, edit->width(), height);
  codeList_->raise();
  codeList_->show();
  codeList_->setCurrentRow(0);
  codeList_->setFocus();
}

void TdlgOption::InsertCode() {
  const std::optional<OptionControl> box = logic_.CodeListBox();
  const int row = codeList_->currentRow();
  if (!box || row < 0) return;
  auto* edit = static_cast<QLineEdit*>(controls_.at(*box));
  const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  const int length = edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
  if (const auto caret =
          logic_.InsertPrintCode(static_cast<std::size_t>(row), static_cast<std::size_t>(start),
                                 static_cast<std::size_t>(length))) {
    loading_ = true;
    edit->setText(U(logic_.Value(*box)));
    loading_ = false;
    edit->setCursorPosition(static_cast<int>(*caret));
  }
  edit->setFocus();
  UpdateButtons();
}

void TdlgOption::ApplyClicked() {
  logic_.Apply();
  Load(logic_.CurrentPage());
  UpdateButtons();
  TakeFocusRequest();
}

void TdlgOption::OkClicked() {
  if (logic_.Ok()) {
    accept();
    return;
  }
  const std::optional<OptionFocus> focus = logic_.TakeFocusRequest();
  ShowPage(logic_.CurrentPage());
  if (focus) {
    if (QWidget* widget = Control(focus->control, focus->index)) widget->setFocus();
  }
}

void TdlgOption::reject() {
  logic_.Cancel();
  QDialog::reject();
}

void TdlgOption::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    if (help_) help_();
    return;
  }
  // Esc in the code list leaves the list, not the dialog with its unapplied edits.
  if (event->key() == Qt::Key_Escape && codeList_->isVisible() && focusWidget() == codeList_) {
    const std::optional<OptionControl> box = logic_.CodeListBox();
    logic_.HideCodeList();
    codeList_->hide();
    if (box) controls_.at(*box)->setFocus();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace norra
