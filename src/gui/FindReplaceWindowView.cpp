// TfrmR: builds the find/replace window's controls, forwards their events to the logic and
// shows what the logic says.
#include "gui/FindReplaceWindowView.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "findreplace/FindReplaceWindow.h"
#include "gui/QtKeys.h"
#include "gui/ScintillaTextControl.h"

namespace norra {

namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QColor ColourOf(int rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

TfrmR::TfrmR(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool) {
  setObjectName(QStringLiteral("frmR"));
  setWindowTitle(U("検索 (KARVO System)"));
  resize(391, 279);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);

  auto* menu = new QMenuBar(this);
  menu->setObjectName(QStringLiteral("mnuR"));
  auto addItem = [this](QWidget* owner, const char* name, const char* caption,
                        void (FindReplaceWindow::*command)()) {
    auto* action = new QAction(U(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    owner->addAction(action);
    connect(action, &QAction::triggered, this, [this, command] {
      if (logic_ != nullptr && command != nullptr) (logic_->*command)();
    });
    return action;
  };
  // The tag panel is not there yet: its items wait for it.
  addItem(menu, "mnuInsFindTags", "検索ﾀｸﾞ挿入(&Q)", nullptr)->setEnabled(false);
  addItem(menu, "mnuInsReplaceTags", "置換ﾀｸﾞ挿入(&W)", nullptr)->setEnabled(false);
  QAction* selectAll = new QAction(U("全て選択(&E)"), menu);
  selectAll->setObjectName(QStringLiteral("mnuSelectAll"));
  menu->addAction(selectAll);
  connect(selectAll, &QAction::triggered, this, [this] {
    if (logic_ != nullptr)
      logic_->SelectAll(FocusedBox() != nullptr ? *FocusedBox() : FindBox::Find);
  });
  QMenu* help = menu->addMenu(U("ﾍﾙﾌﾟ(&H)"));
  help->menuAction()->setObjectName(QStringLiteral("mnuHelp"));
  addItem(help, "mnuTagGuide", "検索/置換ﾀｸﾞの説明(&T)", &FindReplaceWindow::TagGuide);
  addItem(help, "mnuFindGuide", "検索のやり方(&F)", &FindReplaceWindow::FindGuide);
  addItem(help, "mnuReplaceGuide", "置換のやり方(&R)", &FindReplaceWindow::FindGuide);
  addItem(help, "mnuAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)", &FindReplaceWindow::About);
  // F6 reaches the options through the window's keys; the item is there for its name.
  addItem(this, "mnuOption", "ｵﾌﾟｼｮﾝ(&O)", &FindReplaceWindow::Options)->setVisible(false);
  layout->setMenuBar(menu);

  // The two text panels; each box fills its panel.
  auto makePanel = [this, layout](const char* frame, const char* label, const char* listButton,
                                  const char* blank, std::unique_ptr<ScintillaTextControl>& box,
                                  const char* boxName) {
    auto* panel = new QGroupBox(this);
    panel->setObjectName(QString::fromLatin1(frame));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(2, 2, 2, 2);
    auto* caption = new QLabel(U(label), panel);
    grid->addWidget(caption, 0, 0);
    auto* drop = new QPushButton(
        listButton == std::string("cmdDispFindTexts") ? U("▼(F11)") : U("▼(F12)"), panel);
    drop->setObjectName(QString::fromLatin1(listButton));
    drop->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(drop, 0, 1, Qt::AlignRight);
    box = std::make_unique<ScintillaTextControl>(panel);
    box->Widget()->setObjectName(QString::fromLatin1(boxName));
    caption->setBuddy(box->Widget());
    grid->addWidget(box->Widget(), 1, 0, 1, 2);
    auto* spacer = new QLabel(panel);
    spacer->setObjectName(QString::fromLatin1(blank));
    spacer->setFixedHeight(0);
    grid->addWidget(spacer, 2, 0, 1, 2);
    layout->addWidget(panel, 1);
    return drop;
  };
  QPushButton* findList =
      makePanel("fraFind", "検索する文(&F)", "cmdDispFindTexts", "lblBlank1", find_, "txtFind");
  QPushButton* replaceList = makePanel("fraReplace", "置換後の文(&P)", "cmdDispReplaceTexts",
                                       "lblBlank2", replace_, "txtReplace");
  // The history lists are not there yet: their buttons wait for them.
  findList->setEnabled(false);
  replaceList->setEnabled(false);

  auto* options = new QWidget(this);
  options->setObjectName(QStringLiteral("fraOption"));
  auto* grid = new QGridLayout(options);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(3);

  // Ranges.
  auto* ranges = new QGroupBox(U("範囲"), options);
  ranges->setObjectName(QStringLiteral("fraRange"));
  auto* rangeLayout = new QVBoxLayout(ranges);
  auto* rangeGroup = new QButtonGroup(this);
  for (auto [name, caption, range] :
       {std::tuple{"optRangeAllNote", "ﾒﾓ帳全体(&M)", FindRange::AllNote},
        std::tuple{"optRangeCurrentPad", "現在のﾌｧｲﾙ(&C)", FindRange::CurrentPad},
        std::tuple{"optRangeSelText", "選択された文(&T)", FindRange::SelText},
        std::tuple{"optRangeDirectory", "ﾌｫﾙﾀﾞ(DISK)(&D)", FindRange::Directory},
        std::tuple{"optRangeGroup", "ｸﾞﾙｰﾌﾟ(DISK)(&G)", FindRange::Group}}) {
    QRadioButton* button = AddRange(name, caption, range);
    button->setParent(ranges);
    rangeGroup->addButton(button);
    rangeLayout->addWidget(button);
  }
  grid->addWidget(ranges, 0, 0, 4, 1);

  // Direction and case.
  auto* direction = new QLabel(U("方向 :"), options);
  direction->setObjectName(QStringLiteral("lblDirection"));
  auto* all = new QRadioButton(U("全方向(&Z)"), options);
  all->setObjectName(QStringLiteral("optDirectionAll"));
  all->setChecked(true);
  auto* down = new QRadioButton(U("下へ(&J)"), options);
  down->setObjectName(QStringLiteral("optDirectionDown"));
  auto* directionGroup = new QButtonGroup(this);
  directionGroup->addButton(all);
  directionGroup->addButton(down);
  connect(down, &QRadioButton::toggled, this, [this](bool on) {
    if (logic_ != nullptr && !syncing_) logic_->SetDirectionDown(on);
  });
  auto* directionRow = new QHBoxLayout;
  directionRow->addWidget(direction);
  directionRow->addWidget(all);
  directionRow->addWidget(down);
  grid->addLayout(directionRow, 0, 1, 1, 2);
  auto* matchCase = new QCheckBox(U("大文字/小文字を識別(&X)"), options);
  matchCase->setObjectName(QStringLiteral("chkAa"));
  connect(matchCase, &QCheckBox::toggled, this, [this](bool on) {
    if (logic_ != nullptr && !syncing_) logic_->SetMatchCase(on);
  });
  grid->addWidget(matchCase, 1, 1, 1, 2);

  // Folder, group and masks.
  auto addPath = [this, options, grid](int row, const char* labelName, const char* labelText,
                                       const char* editName, const char* buttonName,
                                       QLineEdit*& edit) {
    auto* label = new QLabel(U(labelText), options);
    label->setObjectName(QString::fromLatin1(labelName));
    edit = new QLineEdit(options);
    edit->setObjectName(QString::fromLatin1(editName));
    label->setBuddy(edit);
    auto* row_ = new QHBoxLayout;
    row_->addWidget(label);
    row_->addWidget(edit, 1);
    if (buttonName != nullptr) {
      QPushButton* button = AddButton(buttonName, "...");
      button->setParent(options);
      button->setFixedWidth(28);
      row_->addWidget(button);
    }
    grid->addLayout(row_, row, 1, 1, 2);
  };
  addPath(2, "lblFindDirectory", "ﾌｫﾙﾀﾞ :", "txtFindDirectory", "cmdFindDirectory", folder_);
  addPath(2, "lblFindGroup", "ｸﾞﾙｰﾌﾟ :", "txtFindGroup", "cmdFindGroup", group_);
  addPath(3, "lblFindFileName", "検索するﾌｧｲﾙ名(&V) : ", "txtFindFileName", nullptr, mask_);
  folder_->setText(QStringLiteral("/"));
  group_->setText(U("文ｸﾞﾙｰﾌﾟ (*.tgp)"));
  connect(folder_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (logic_ != nullptr) logic_->SetFolderText(text.toStdString());
  });
  connect(group_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (logic_ != nullptr) logic_->SetGroupText(text.toStdString());
  });
  connect(mask_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (logic_ != nullptr) logic_->SetMaskText(text.toStdString());
  });
  auto* subFolders = new QCheckBox(U("ｻﾌﾞﾌｫﾙﾀﾞも検索(&S)"), options);
  subFolders->setObjectName(QStringLiteral("chkFindSubDirectory"));
  subFolders->setChecked(true);
  connect(subFolders, &QCheckBox::toggled, this, [this](bool on) {
    if (logic_ != nullptr && !syncing_) logic_->SetSubFolders(on);
  });
  grid->addWidget(subFolders, 4, 1, 1, 2);

  // Commands, top to bottom on the right.
  auto* commands = new QVBoxLayout;
  for (auto [name, caption] :
       {std::pair{"cmdFindNext", "次を検索(&N) F3"}, std::pair{"cmdReplace", "置換して次(&R)"},
        std::pair{"cmdReplaceAll", "すべて置換(&A)"},
        std::pair{"cmdShiftReplaceMode", "置換ﾓｰﾄﾞ(&R)"}, std::pair{"cmdCancel", "閉じる"},
        std::pair{"cmdOption", "ｵﾌﾟｼｮﾝ(&O) F6"}}) {
    QPushButton* button = AddButton(name, caption);
    button->setParent(options);
    commands->addWidget(button);
  }
  commands->addStretch(1);
  grid->addLayout(commands, 0, 3, 5, 1);
  layout->addWidget(options);

  // Tab runs from txtFind to txtReplace and on through the controls, top to bottom.
  QWidget* previous = replace_->Widget();
  setTabOrder(find_->Widget(), previous);
  for (const char* name :
       {"optRangeAllNote",  "optRangeCurrentPad",  "optRangeSelText",  "optRangeDirectory",
        "optRangeGroup",    "optDirectionAll",     "optDirectionDown", "chkAa",
        "txtFindDirectory", "cmdFindDirectory",    "txtFindGroup",     "cmdFindGroup",
        "txtFindFileName",  "chkFindSubDirectory", "cmdFindNext",      "cmdReplace",
        "cmdReplaceAll",    "cmdShiftReplaceMode", "cmdCancel",        "cmdOption"}) {
    QWidget* next = findChild<QWidget*>(QString::fromLatin1(name));
    setTabOrder(previous, next);
    previous = next;
  }
  WatchKeys();
}

TfrmR::~TfrmR() = default;

TextControl& TfrmR::FindBoxControl() {
  return *find_;
}
TextControl& TfrmR::ReplaceBoxControl() {
  return *replace_;
}

QPushButton* TfrmR::AddButton(const char* name, const char* caption) {
  auto* button = new QPushButton(U(caption), this);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  const std::string command = name;
  connect(button, &QPushButton::clicked, this, [this, command] {
    if (logic_ == nullptr) return;
    if (command == "cmdFindNext")
      logic_->FindNext();
    else if (command == "cmdReplace")
      logic_->ReplaceNext();
    else if (command == "cmdReplaceAll")
      logic_->ReplaceAll();
    else if (command == "cmdShiftReplaceMode")
      logic_->ShiftReplaceMode();
    else if (command == "cmdCancel")
      logic_->Close();
    else if (command == "cmdOption")
      logic_->Options();
    else if (command == "cmdFindDirectory")
      logic_->ChooseFolder();
    else if (command == "cmdFindGroup")
      logic_->ChooseGroup();
  });
  return button;
}

QRadioButton* TfrmR::AddRange(const char* name, const char* caption, FindRange range) {
  auto* button = new QRadioButton(U(caption), this);
  button->setObjectName(QString::fromLatin1(name));
  connect(button, &QRadioButton::toggled, this, [this, range](bool on) {
    if (on && logic_ != nullptr && !syncing_) logic_->ChooseRange(range);
  });
  return button;
}

// Every control hands its keys to the window first, as the window previews them.
void TfrmR::WatchKeys() {
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  installEventFilter(this);
}

const FindBox* TfrmR::FocusedBox() const {
  static const FindBox find = FindBox::Find;
  static const FindBox replace = FindBox::Replace;
  const QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return nullptr;
  if (focus == find_->Widget()) return &find;
  if (focus == replace_->Widget()) return &replace;
  return nullptr;
}

bool TfrmR::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && logic_ != nullptr) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int code =
        key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z ? key->key() : KeyCodeOf(key->key());
    if (code != 0 && logic_->KeyDown(code, ShiftOf(key->modifiers()), FocusedBox())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TfrmR::closeEvent(QCloseEvent* event) {
  // The close box hides the window; it lives until the main window goes.
  event->ignore();
  if (logic_ != nullptr) {
    logic_->Close();
  } else {
    hide();
  }
}

void TfrmR::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && logic_ != nullptr &&
      !logic_->Busy()) {
    logic_->Activated();
  }
}

// ---- FindReplaceView ----

void TfrmR::SetCaption(const std::string& text) {
  setWindowTitle(QString::fromStdString(text));
}

void TfrmR::SetControlVisible(std::string_view name, bool visible) {
  if (QWidget* control = findChild<QWidget*>(
          QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))) {
    control->setVisible(visible);
  }
}

void TfrmR::SetControlEnabled(std::string_view name, bool enabled) {
  if (QWidget* control = findChild<QWidget*>(
          QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))) {
    control->setEnabled(enabled);
  }
}

void TfrmR::CheckRange(FindRange range) {
  const char* name = "optRangeCurrentPad";
  switch (range) {
    case FindRange::AllNote:
      name = "optRangeAllNote";
      break;
    case FindRange::CurrentPad:
      name = "optRangeCurrentPad";
      break;
    case FindRange::SelText:
      name = "optRangeSelText";
      break;
    case FindRange::Directory:
      name = "optRangeDirectory";
      break;
    case FindRange::Group:
      name = "optRangeGroup";
      break;
  }
  syncing_ = true;
  if (auto* button = findChild<QRadioButton*>(QString::fromLatin1(name))) button->setChecked(true);
  syncing_ = false;
}

void TfrmR::ShowFolderText(const std::string& textUtf8) {
  folder_->setText(QString::fromStdString(textUtf8));
}

void TfrmR::ShowGroupText(const std::string& textUtf8) {
  group_->setText(QString::fromStdString(textUtf8));
}

FindWindowGeometry TfrmR::Geometry() const {
  return {x(), y(), width(), height()};
}

void TfrmR::SetGeometry(const FindWindowGeometry& geometry) {
  move(geometry.left, geometry.top);
  resize(geometry.width, geometry.height);
}

void TfrmR::ShowWindow() {
  show();
  raise();
  activateWindow();
}

void TfrmR::FocusBox(FindBox box) {
  ScintillaTextControl& control = box == FindBox::Find ? *find_ : *replace_;
  control.Widget()->setFocus(Qt::OtherFocusReason);
  control.SetSelection(0, control.TextLength());
}

void TfrmR::ApplyColours(int foreRgb, int backRgb) {
  find_->SetColours(ColourOf(backRgb), ColourOf(foreRgb));
  replace_->SetColours(ColourOf(backRgb), ColourOf(foreRgb));
}

}  // namespace norra
