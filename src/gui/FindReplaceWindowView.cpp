// TfrmR: builds the find/replace window's controls, forwards their events to the logic and
// shows what the logic says.
#include "gui/FindReplaceWindowView.h"

#include <algorithm>
#include <functional>

#include <QResizeEvent>
#include <QScreen>
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
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "findreplace/FindReplaceWindow.h"
#include "gui/DiskPreviewDialog.h"
#include "gui/QtKeys.h"
#include "gui/ScintillaTextControl.h"
#include "text/Encoding.h"

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
                        std::function<void(FindReplaceWindow&)> command) {
    auto* action = new QAction(U(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    owner->addAction(action);
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] {
      if (logic_ != nullptr) command(*logic_);
    });
    return action;
  };
  addItem(menu, "mnuInsFindTags", "検索ﾀｸﾞ挿入(&Q)", [](FindReplaceWindow& w) { w.InsFindTags(); });
  addItem(menu, "mnuInsReplaceTags", "置換ﾀｸﾞ挿入(&W)", [](FindReplaceWindow& w) { w.InsReplaceTags(); });
  QAction* selectAll = new QAction(U("全て選択(&E)"), menu);
  selectAll->setObjectName(QStringLiteral("mnuSelectAll"));
  menu->addAction(selectAll);
  connect(selectAll, &QAction::triggered, this, [this] {
    if (logic_ != nullptr)
      logic_->SelectAll(FocusedBox() != nullptr ? *FocusedBox() : FindBox::Find);
  });
  QMenu* help = menu->addMenu(U("ﾍﾙﾌﾟ(&H)"));
  help->menuAction()->setObjectName(QStringLiteral("mnuHelp"));
  addItem(help, "mnuTagGuide", "検索/置換ﾀｸﾞの説明(&T)", [](FindReplaceWindow& w) { w.TagGuide(); });
  addItem(help, "mnuFindGuide", "検索のやり方(&F)", [](FindReplaceWindow& w) { w.FindGuide(); });
  addItem(help, "mnuReplaceGuide", "置換のやり方(&R)", [](FindReplaceWindow& w) { w.FindGuide(); });
  addItem(help, "mnuAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)", [](FindReplaceWindow& w) { w.About(); });
  // F6 reaches the options through the window's keys; the item is there for its name.
  addItem(this, "mnuOption", "ｵﾌﾟｼｮﾝ(&O)", [](FindReplaceWindow& w) { w.Options(); })->setVisible(false);
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
  // The history lists lie over their boxes while they show.
  for (int which = 0; which < 2; ++which) {
    HistoryList& entry = lists_[which];
    entry.button = which == 0 ? findList : replaceList;
    entry.box = which == 0 ? find_->Widget() : replace_->Widget();
    entry.list = new QListWidget(entry.box->parentWidget());
    entry.list->setObjectName(which == 0 ? QStringLiteral("lstFindTexts")
                                         : QStringLiteral("lstReplaceTexts"));
    entry.list->hide();
    const FindBox box = which == 0 ? FindBox::Find : FindBox::Replace;
    connect(entry.button, &QPushButton::clicked, this, [this, box] {
      if (logic_ != nullptr) logic_->ToggleHistoryList(box);
    });
    connect(entry.list, &QListWidget::itemClicked, this,
            [this, which] { ApplyHistoryAction(which, lists_[which].dropDown.Click()); });
  }

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
  // The two folds beside the case option; the settings keep them.
  auto* foldWidth = new QCheckBox(U("全角/半角を区別しない"), options);
  foldWidth->setObjectName(QStringLiteral("chkFoldWidth"));
  connect(foldWidth, &QCheckBox::toggled, this, [this](bool on) {
    if (logic_ != nullptr && !syncing_) logic_->SetFoldWidth(on);
  });
  auto* foldKana = new QCheckBox(U("ひらがな/カタカナを区別しない"), options);
  foldKana->setObjectName(QStringLiteral("chkFoldKana"));
  connect(foldKana, &QCheckBox::toggled, this, [this](bool on) {
    if (logic_ != nullptr && !syncing_) logic_->SetFoldKana(on);
  });
  auto* caseRow = new QHBoxLayout;
  caseRow->addWidget(matchCase);
  caseRow->addWidget(foldWidth);
  caseRow->addWidget(foldKana);
  caseRow->addStretch(1);
  grid->addLayout(caseRow, 1, 1, 1, 2);

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
        std::pair{"cmdReplaceAll", "すべて置換(&A)"}, std::pair{"cmdListHits", "一覧(&L)"},
        std::pair{"cmdShiftReplaceMode", "置換ﾓｰﾄﾞ(&R)"}, std::pair{"cmdCancel", "閉じる"},
        std::pair{"cmdOption", "ｵﾌﾟｼｮﾝ(&O) F6"}}) {
    QPushButton* button = AddButton(name, caption);
    button->setParent(options);
    commands->addWidget(button);
  }
  commands->addStretch(1);
  grid->addLayout(commands, 0, 3, 5, 1);
  layout->addWidget(options);
  options_ = options;
  BuildTagPanel(options);
  BuildPopup();

  // Tab runs from txtFind to txtReplace and on through the controls, top to bottom.
  QWidget* previous = replace_->Widget();
  setTabOrder(find_->Widget(), previous);
  for (const char* name :
       {"optRangeAllNote",  "optRangeCurrentPad",  "optRangeSelText",  "optRangeDirectory",
        "optRangeGroup",    "optDirectionAll",     "optDirectionDown", "chkAa",
        "chkFoldWidth",     "chkFoldKana",
        "txtFindDirectory", "cmdFindDirectory",    "txtFindGroup",     "cmdFindGroup",
        "txtFindFileName",  "chkFindSubDirectory", "cmdFindNext",      "cmdReplace",
        "cmdReplaceAll",    "cmdListHits",  "cmdShiftReplaceMode", "cmdCancel",        "cmdOption"}) {
    QWidget* next = findChild<QWidget*>(QString::fromLatin1(name));
    setTabOrder(previous, next);
    previous = next;
  }
  WatchKeys();
}

TfrmR::~TfrmR() = default;

void TfrmR::BuildTagPanel(QWidget* options) {
  tags_ = new QWidget(this);
  tags_->setObjectName(QStringLiteral("fraTags"));
  auto* grid = new QGridLayout(tags_);
  grid->setContentsMargins(0, 0, 0, 0);
  tagMode_ = new QLabel(tags_);
  tagMode_->setObjectName(QStringLiteral("lblTagListMode"));
  grid->addWidget(tagMode_, 0, 0);
  tagList_ = new QListWidget(tags_);
  tagList_->setObjectName(QStringLiteral("lstTagCode"));
  grid->addWidget(tagList_, 1, 0, 1, 2);
  auto* guide = new QLabel(U("例 :"), tags_);
  guide->setObjectName(QStringLiteral("lblSampleGuid"));
  grid->addWidget(guide, 2, 0);
  tagSample_ = new QLabel(tags_);
  tagSample_->setObjectName(QStringLiteral("lblTagSample"));
  tagSample_->setAutoFillBackground(true);
  QPalette palette = tagSample_->palette();
  palette.setColor(QPalette::Window, QColor(255, 255, 200));
  tagSample_->setPalette(palette);
  grid->addWidget(tagSample_, 3, 0, 1, 2);
  tags_->setMinimumHeight(options->sizeHint().height());
  tags_->hide();
  layout()->addWidget(tags_);
  connect(tagList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (logic_ != nullptr && tags_->isVisible()) logic_->TagRowSelected(row);
  });
  connect(tagList_, &QListWidget::itemDoubleClicked, this, [this] {
    if (logic_ != nullptr) logic_->TagRowChosen(tagList_->currentRow());
  });
}

void TfrmR::BuildPopup() {
  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("popR"));
  auto add = [this](const char* name, const char* caption,
                    std::function<void(FindReplaceWindow&, FindBox)> command) {
    QAction* action = popup_->addAction(U(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] {
      if (logic_ != nullptr) command(*logic_, FocusedBox() != nullptr ? *FocusedBox() : FindBox::Find);
    });
    return action;
  };
  QAction* cut = add("popCut2", "切り取り(&T)", [](FindReplaceWindow& w, FindBox box) { w.Cut(box); });
  QAction* copy = add("popCopy2", "ｺﾋﾟｰ(&C)", [](FindReplaceWindow& w, FindBox box) { w.Copy(box); });
  QAction* paste = add("popPaste2", "貼り付け(&P)", [](FindReplaceWindow& w, FindBox box) { w.Paste(box); });
  popup_->addSeparator();
  QAction* selectAll = add("popSelectAll2", "全て選択(&A)", [](FindReplaceWindow& w, FindBox box) { w.SelectAll(box); });
  connect(popup_, &QMenu::aboutToShow, this, [this, cut, copy, paste, selectAll] {
    if (logic_ == nullptr) return;
    const ClipboardMenuState state =
        logic_->ClipboardMenu(FocusedBox() != nullptr ? *FocusedBox() : FindBox::Find);
    cut->setEnabled(state.cut);
    copy->setEnabled(state.copy);
    paste->setEnabled(state.paste);
    selectAll->setEnabled(state.selectAll);
  });
  find_->Widget()->SetContextMenu(popup_);
  replace_->Widget()->SetContextMenu(popup_);
}

bool TfrmR::HistoryListEvent(int which, QObject* watched, QEvent* event) {
  HistoryList& entry = lists_[which];
  if (watched == entry.list->viewport() && event->type() == QEvent::MouseButtonPress) {
    entry.dropDown.MousePress();
    return false;
  }
  if (watched != entry.list) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      const int key = KeyCodeOf(static_cast<QKeyEvent*>(event)->key());
      entry.dropDown.KeyDown(key);
      return key == kKeyReturn || key == kKeyEscape;  // the window must not act on them
    }
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->isAutoRepeat()) return false;
      ApplyHistoryAction(which, entry.dropDown.KeyUp(KeyCodeOf(key->key())));
      return false;
    }
    case QEvent::FocusOut:
      if (entry.list->isVisible()) {
        ApplyHistoryAction(which,
                           entry.dropDown.FocusLost(QApplication::focusWidget() == entry.button));
      }
      return false;
    default:
      return false;
  }
}

void TfrmR::ApplyHistoryAction(int which, HistoryListAction action) {
  if (logic_ == nullptr) return;
  const FindBox box = which == 0 ? FindBox::Find : FindBox::Replace;
  if (action == HistoryListAction::Recall)
    logic_->RecallHistory(box, lists_[which].list->currentRow());
  if (action == HistoryListAction::Close) logic_->CloseHistoryList(box);
  if (action == HistoryListAction::Hide) logic_->HideHistoryList(box);
}

bool TfrmR::TagListEvent(QEvent* event) {
  if (logic_ == nullptr) return false;
  if (event->type() == QEvent::KeyPress) {
    const int key = KeyCodeOf(static_cast<QKeyEvent*>(event)->key());
    if (key == kKeyReturn) {
      logic_->TagRowChosen(tagList_->currentRow());
      return true;
    }
    if (key == kKeyEscape) {
      logic_->CloseTagPanel();
      return true;
    }
  } else if (event->type() == QEvent::FocusOut && tags_->isVisible()) {
    logic_->CloseTagPanel();  // leaving the list closes the panel
  }
  return false;
}

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
    else if (command == "cmdListHits")
      logic_->ListHits();
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
  for (int which = 0; which < 2; ++which) {
    if (lists_[which].list != nullptr && HistoryListEvent(which, watched, event)) return true;
  }
  if (watched == tagList_ && TagListEvent(event)) return true;
  if (event->type() == QEvent::ShortcutOverride) {
    // The main window's shortcuts reach this tool window too; the keys the window has a use
    // for are its own (Ctrl+C in a box copies the box's text, not the Page's, and Ctrl+Z
    // undoes the box's typing, never the Pages').
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    const bool clipboardKey = modifiers == Qt::ControlModifier && FocusedBox() != nullptr &&
                              (key->key() == Qt::Key_X || key->key() == Qt::Key_C ||
                               key->key() == Qt::Key_V || key->key() == Qt::Key_A ||
                               key->key() == Qt::Key_Z || key->key() == Qt::Key_Y);
    const bool windowKey =
        modifiers == Qt::NoModifier &&
        (key->key() == Qt::Key_Escape || key->key() == Qt::Key_F1 || key->key() == Qt::Key_F3 ||
         key->key() == Qt::Key_F6 || key->key() == Qt::Key_F11 || key->key() == Qt::Key_F12);
    if (clipboardKey || windowKey) {
      event->accept();
      return true;
    }
  }
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

void TfrmR::CheckFolds(bool width, bool kana) {
  syncing_ = true;
  if (auto* box = findChild<QCheckBox*>(QStringLiteral("chkFoldWidth"))) box->setChecked(width);
  if (auto* box = findChild<QCheckBox*>(QStringLiteral("chkFoldKana"))) box->setChecked(kana);
  syncing_ = false;
}

void TfrmR::ShowFolderText(const std::string& textUtf8) {
  folder_->setText(QString::fromStdString(textUtf8));
}

void TfrmR::ShowGroupText(const std::string& textUtf8) {
  group_->setText(QString::fromStdString(textUtf8));
}

// The size the window really takes: its controls may need more than the stored size, and the
// placement beside the caret must count with that or the window ends up off the screen.
FindWindowGeometry TfrmR::Geometry() const {
  const QSize size = this->size().expandedTo(minimumSizeHint());
  return {x(), y(), size.width(), size.height()};
}

void TfrmR::SetGeometry(const FindWindowGeometry& geometry) {
  resize(QSize(geometry.width, geometry.height).expandedTo(minimumSizeHint()));
  move(geometry.left, geometry.top);
  KeepOnScreen();
}

// Showing the replace controls or a panel can make the window grow past the screen's edge.
void TfrmR::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  KeepOnScreen();
}

void TfrmR::KeepOnScreen() {
  const QScreen* shown = screen();
  if (shown == nullptr) return;
  const QRect area = shown->availableGeometry();
  const QRect frame = frameGeometry();
  const int left = std::clamp(frame.left(), area.left(),
                              std::max(area.left(), area.right() - frame.width() + 1));
  const int top = std::clamp(frame.top(), area.top(),
                             std::max(area.top(), area.bottom() - frame.height() + 1));
  if (left != frame.left() || top != frame.top()) move(left, top);
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

void TfrmR::FocusBoxAsIs(FindBox box) {
  (box == FindBox::Find ? *find_ : *replace_).Widget()->setFocus(Qt::OtherFocusReason);
}

bool TfrmR::HasFocusedControl() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && isAncestorOf(focus);
}

void TfrmR::ShowHistoryList(FindBox box, const std::vector<std::string>& rows, int selected) {
  HistoryList& entry = lists_[box == FindBox::Find ? 0 : 1];
  {
    const QSignalBlocker blocker(entry.list);
    entry.list->clear();
    for (const std::string& row : rows)
      entry.list->addItem(QString::fromStdString(Cp932ToUtf8(row)));
    entry.list->setCurrentRow(selected);
  }
  QRect over = entry.box->geometry();
  over.setLeft(0);
  over.setWidth(entry.box->parentWidget()->width());
  entry.list->setGeometry(over);
  entry.list->show();
  entry.list->raise();
  entry.list->setFocus(Qt::OtherFocusReason);
}

void TfrmR::HideHistoryList(FindBox box) {
  lists_[box == FindBox::Find ? 0 : 1].list->hide();
}

bool TfrmR::HistoryListShown(FindBox box) const {
  return lists_[box == FindBox::Find ? 0 : 1].list->isVisible();
}

void TfrmR::ShowTagPanel(const std::string& caption, const std::vector<std::string>& rows,
                         int selected, const std::string& sample) {
  tagMode_->setText(QString::fromStdString(caption));
  {
    const QSignalBlocker blocker(tagList_);
    tagList_->clear();
    for (const std::string& row : rows) tagList_->addItem(QString::fromStdString(Cp932ToUtf8(row)));
    tagList_->setCurrentRow(selected);
  }
  ShowTagSample(sample);
  options_->hide();
  tags_->show();
  tagList_->setFocus(Qt::OtherFocusReason);
}

void TfrmR::ShowTagSample(const std::string& sample) {
  tagSample_->setText(QString::fromStdString(Cp932ToUtf8(sample)));
}

void TfrmR::HideTagPanel() {
  // Qt would hand a focus the list held to the next control in the chain; the logic decides.
  if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && tags_->isAncestorOf(focus))
    focus->clearFocus();
  tags_->hide();
  options_->show();
}

bool TfrmR::ShowDiskPreview(DiskReplacePreview& preview) {
  DiskPreviewDialog dialog(this, preview);
  return dialog.exec() == QDialog::Accepted;
}

void TfrmR::ApplyColours(int foreRgb, int backRgb) {
  find_->SetColours(ColourOf(backRgb), ColourOf(foreRgb));
  replace_->SetColours(ColourOf(backRgb), ColourOf(foreRgb));
}

}  // namespace norra
