// The batch file-list dialog window: builds its controls once and mirrors the logic's state.
#include "gui/FileListDialogWindow.h"
#include "gui/FileListPrintPanelView.h"
#include "gui/QtKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "platform/TextControl.h"

namespace norra {

namespace {

using C = FileListControl;

constexpr int kInitialWidth = 561;
constexpr int kInitialHeight = 394;
constexpr std::array<int, FileListRow::kColumnCount> kColumnWidths = {150, 220, 60, 50, 40};

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QLineEdit* NumberBox(int maxLength, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setMaxLength(maxLength);
  box->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
  box->setInputMethodHints(Qt::ImhDigitsOnly);
  return box;
}

}  // namespace

FileListDialogWindow::FileListDialogWindow(QWidget* parent) : QDialog(parent) {
  BuildControls();
}

FileListDialogWindow::~FileListDialogWindow() = default;

QWidget* FileListDialogWindow::Widget(FileListControl control) const {
  const auto index = static_cast<std::size_t>(control);
  return index < controls_.size() ? controls_[index] : nullptr;
}

void FileListDialogWindow::BuildControls() {
  setObjectName(QStringLiteral("TfrmFileListView"));
  setSizeGripEnabled(true);
  resize(kInitialWidth, kInitialHeight);
  auto put = [this](C control, QWidget* widget) {
    widget->setObjectName(QString::fromLatin1(FileListDialog::ControlName(control)));
    controls_[static_cast<std::size_t>(control)] = widget;
  };
  auto button = [&put](C control, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setAutoDefault(false);  // only cmdDo is ever the default button
    put(control, b);
    return b;
  };

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  controlTable_ = new QFrame(this);
  controlTable_->setObjectName(QStringLiteral("fraControlTable"));
  auto* table = new QVBoxLayout(controlTable_);
  table->setContentsMargins(6, 6, 6, 6);

  auto* promptRow = new QHBoxLayout;
  icon_ = new QLabel(controlTable_);
  icon_->setObjectName(QStringLiteral("imgIcon"));
  icon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  prompt_ = new QLabel(controlTable_);
  prompt_->setObjectName(QStringLiteral("lblPrompt"));
  prompt_->setWordWrap(true);
  promptRow->addWidget(icon_);
  promptRow->addWidget(prompt_, 1);
  table->addLayout(promptRow);

  // Buttons from the left, the rest of the row empty.
  auto buttonRow = [&button](QHBoxLayout* row, QWidget* parent, std::initializer_list<C> controls) {
    for (C control : controls) row->addWidget(button(control, parent));
    row->addStretch(1);
  };
  // A panel shown only in the modes that use it: a frame with its widgets on one row.
  auto panel = [&put, table, this](C control) {
    auto* frame = new QFrame(controlTable_);
    put(control, frame);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    table->addWidget(frame);
    return std::pair{frame, row};
  };
  // A number box after its label.
  auto numberField = [&put](QHBoxLayout* row, QWidget* parent, C control, int maxLength,
                            const char* caption) {
    auto* box = NumberBox(maxLength, parent);
    put(control, box);
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
  };

  auto* commandRow = new QHBoxLayout;
  buttonRow(commandRow, controlTable_,
            {C::cmdDo, C::cmdWithout, C::cmdCancel, C::cmdSelectAll, C::cmdHelp});
  table->addLayout(commandRow);

  // Quote all: what each Page contributes and the line breaks after it.
  const auto [quotation, quotationRow] = panel(C::fraQuotationAll);
  auto* range = new QGroupBox(QString::fromUtf8("引用範囲"), quotation);
  auto* rangeRow = new QHBoxLayout(range);
  const std::array<std::pair<const char*, const char*>, 3> ranges = {
      {{"optText", "全文(&Z)"}, {"optSelText", "選択された文(&T)"}, {"optPathName", "ﾌｧｲﾙ名(&P)"}}};
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    auto* option = new QRadioButton(QString::fromUtf8(ranges[i].second), range);
    option->setObjectName(QString::fromLatin1(ranges[i].first));
    rangeRow->addWidget(option);
    quoteOptions_[i] = option;
    // Arrow keys in the group click as well; setting the choice from the logic does not.
    connect(option, &QRadioButton::clicked, this, [this, i] {
      if (dialog_ != nullptr) dialog_->SetQuoteChoice(static_cast<QuoteRange>(i));
    });
  }
  quotationRow->addWidget(range);
  numberField(quotationRow, quotation, C::txtCRLFCount, 2, "改行数(&C)");
  quotationRow->addStretch(1);

  // Jump: the line number and the selected Page's line count.
  const auto [jump, jumpRow] = panel(C::fraJump);
  auto* row = NumberBox(9, jump);
  put(C::txtRow, row);
  jumpRow->addWidget(row);
  auto* rows = new QLabel(jump);
  put(C::lblRows, rows);
  jumpRow->addWidget(rows);
  jumpRow->addStretch(1);

  const auto [saveAs, saveAsRow] = panel(C::fraSaveAsAll);
  BuildSaveAsAllPanel(saveAs, saveAsRow);

  const auto [print, printRow] = panel(C::fraPrintAll);
  printPanel_ = new FileListPrintPanelView(print, printRow);
  put(C::txtCopyCount, printPanel_->CopiesBox());

  const auto [group, groupRow] = panel(C::fraOpenFromGroup);
  auto* groupLines = new QVBoxLayout;
  auto* groupName = new QLabel(group);
  put(C::lblGroupName, groupName);
  groupLines->addWidget(groupName);
  auto* groupFileRow = new QHBoxLayout;
  buttonRow(groupFileRow, group,
            {C::cmdMakeNewGroup, C::cmdOpenGroup, C::cmdUpdateGroup, C::cmdSaveAsGroup});
  groupLines->addLayout(groupFileRow);
  auto* groupMemberRow = new QHBoxLayout;
  buttonRow(groupMemberRow, group,
            {C::cmdAddFileFromDisk, C::cmdAddFileFromWindow, C::cmdReleaseFileFromGroup,
             C::cmdEditByEditor});
  groupLines->addLayout(groupMemberRow);
  groupRow->addLayout(groupLines, 1);

  auto* sortRow = new QHBoxLayout;
  buttonRow(sortRow, controlTable_,
            {C::cmdFile, C::cmdDirectory, C::cmdExp, C::cmdModified, C::cmdID});
  table->addLayout(sortRow);
  root->addWidget(controlTable_);

  list_ = new QTreeWidget(this);
  put(C::lvwFileName, list_);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSortingEnabled(false);  // the logic sorts; the list shows its order
  list_->setColumnCount(FileListRow::kColumnCount);
  QStringList captions;
  for (const char* caption : FileListDialog::kColumnCaptions)
    captions << QString::fromUtf8(caption);
  list_->setHeaderLabels(captions);
  list_->header()->setSectionsClickable(true);
  list_->header()->setSectionsMovable(false);
  list_->header()->setStretchLastSection(false);
  // The selection stays visible while another control has the focus.
  QPalette palette = list_->palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  list_->setPalette(palette);
  root->addWidget(list_, 1);

  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QStringLiteral("StatusBar"));
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    panels_[i] = new QLabel(statusBar_);
    panels_[i]->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
  }
  panels_[0]->setFixedWidth(240);
  panels_[1]->setMinimumWidth(50);
  statusBar_->addWidget(panels_[0]);
  statusBar_->addWidget(panels_[1], 1);
  root->addWidget(statusBar_);

  for (std::size_t i = 0; i < controls_.size(); ++i) {
    auto* b = qobject_cast<QAbstractButton*>(controls_[i]);
    if (b == nullptr) continue;
    const auto control = static_cast<C>(i);
    // The logic decides what a click does while one of its actions runs.
    connect(b, &QAbstractButton::clicked, this, [this, control] {
      if (dialog_ != nullptr) dialog_->Click(control);
    });
  }
  connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (dialog_ != nullptr) dialog_->ColumnClicked(column);
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this,
          &FileListDialogWindow::ListSelectionChanged);
  connect(list_, &QTreeWidget::currentItemChanged, this, &FileListDialogWindow::ListCurrentChanged);
  // The number boxes the logic reads: what the user types goes to it.
  for (C box : {C::txtRow, C::txtCRLFCount}) {
    connect(static_cast<QLineEdit*>(Widget(box)), &QLineEdit::textEdited, this,
            [this, box](const QString& text) {
              if (dialog_ != nullptr) dialog_->SetBoxText(box, text.toStdString());
            });
  }

  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (static_cast<C>(i) != C::lvwFileName) controls_[i]->hide();
  }
}

// ---- showing the logic's state ----

void FileListDialogWindow::Present(FileListDialog& dialog) {
  Load(dialog);
  show();
  FocusControl(dialog.FocusTarget());
}

void FileListDialogWindow::Load(FileListDialog& dialog) {
  dialog_ = &dialog;
  setWindowTitle(Text(dialog.Caption()));
  prompt_->setText(Text(dialog.Prompt()));
  list_->setSelectionMode(dialog.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                               : QAbstractItemView::SingleSelection);
  ApplyColumns();
  FillRows();
  // Every run starts from the panels' initial values, whatever the last run left in them.
  static_cast<QLineEdit*>(Widget(C::txtCRLFCount))->setText(QStringLiteral("1"));
  static_cast<QLineEdit*>(Widget(C::txtRow))->clear();
  static_cast<QLineEdit*>(Widget(C::txtCopyCount))->clear();
  findChild<QRadioButton*>(QStringLiteral("optText"))->setChecked(true);
  quoteOptions_.at(static_cast<std::size_t>(dialog.QuoteChoice()))->setChecked(true);
  LoadSaveAsAll();
  printPanel_->Load(&dialog);
  ControlsChanged();
  StatusChanged();
  if (!placedOnce_) {
    resize(kInitialWidth, kInitialHeight);
    placedOnce_ = true;
  }
  if (const QScreen* s = screen()) {
    // Centred, but its top-left corner on the screen even when it is larger than the screen.
    const QRect area = s->availableGeometry();
    const QPoint at = area.center() - rect().center();
    move(std::max(at.x(), area.left()), std::max(at.y(), area.top()));
  }
}

void FileListDialogWindow::ShowModal(FileListDialog& dialog) {
  // A window already shown modeless would stay modeless through exec.
  if (isVisible()) hide();
  Load(dialog);
  // The focus target takes the focus when exec shows the window.
  FocusControl(dialog.FocusTarget());
  if (!dialog.Closed()) exec();
  Detach();
}

void FileListDialogWindow::Detach() {
  dialog_ = nullptr;
  printPanel_->Load(nullptr);
}

void FileListDialogWindow::Close() {
  if (isVisible()) QDialog::done(QDialog::Rejected);
}

void FileListDialogWindow::ApplyColumns() {
  columnWidths_ = kColumnWidths;
  const bool stateHidden = dialog_->StateColumnHidden();
  if (stateHidden) {
    columnWidths_[FileListRow::kFolder] += columnWidths_[FileListRow::kState];
    columnWidths_[FileListRow::kState] = 0;
  }
  list_->setColumnHidden(FileListRow::kState, stateHidden);
  for (int c = 0; c < FileListRow::kColumnCount; ++c) {
    if (columnWidths_[static_cast<std::size_t>(c)] > 0)
      list_->setColumnWidth(c, columnWidths_[static_cast<std::size_t>(c)]);
  }
}

void FileListDialogWindow::FillRows() {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  list_->clear();
  QList<QTreeWidgetItem*> items;
  for (const FileListRow& row : dialog_->Rows()) {
    QStringList texts;
    for (const std::string& column : row.columns) texts << Text(column);
    items << new QTreeWidgetItem(texts);
  }
  list_->addTopLevelItems(items);
  ApplySelection();
  if (dialog_->FocusedRow() < dialog_->Rows().size()) ApplyFocusedRow(dialog_->FocusedRow());
  syncing_ = wasSyncing;
}

void FileListDialogWindow::ApplySelection() {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  QItemSelection selection;
  const std::vector<FileListRow>& rows = dialog_->Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].selected) continue;
    const QModelIndex first = list_->model()->index(static_cast<int>(i), 0);
    const QModelIndex last =
        list_->model()->index(static_cast<int>(i), FileListRow::kColumnCount - 1);
    selection.select(first, last);
  }
  list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncing_ = wasSyncing;
}

void FileListDialogWindow::ApplyFocusedRow(std::size_t row) {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  const QModelIndex index = list_->model()->index(static_cast<int>(row), 0);
  list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  list_->scrollTo(index);
  syncing_ = wasSyncing;
}

void FileListDialogWindow::RowsChanged() {
  if (dialog_ != nullptr) FillRows();
}

void FileListDialogWindow::SelectionChanged() {
  if (dialog_ == nullptr) return;
  ApplySelection();
  // A row the logic deselected (an abandoned save) shows in the status bar once idle.
  ScheduleIdle();
}

void FileListDialogWindow::RowFocused(std::size_t row) {
  if (dialog_ != nullptr && row < dialog_->Rows().size()) ApplyFocusedRow(row);
}

void FileListDialogWindow::ControlsChanged() {
  if (dialog_ == nullptr) return;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const auto control = static_cast<C>(i);
    if (control == C::lvwFileName) continue;
    const FileListControlState& state = dialog_->Control(control);
    QWidget* widget = controls_[i];
    if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
      if (!state.caption.empty()) b->setText(Text(state.caption));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setText(Text(state.caption));
    } else if (control == C::txtRow || control == C::txtCRLFCount) {
      auto* box = static_cast<QLineEdit*>(widget);
      if (box->text() != Text(state.caption)) box->setText(Text(state.caption));
    }
    widget->setVisible(state.visible);
    widget->setEnabled(state.enabled);
  }
  static_cast<QPushButton*>(Widget(C::cmdDo))->setDefault(dialog_->DoIsDefault());
  printPanel_->Refresh();
}

void FileListDialogWindow::StatusChanged() {
  if (dialog_ == nullptr) return;
  for (std::size_t i = 0; i < panels_.size(); ++i)
    panels_[i]->setText(Text(dialog_->StatusText(static_cast<int>(i))));
}

void FileListDialogWindow::FocusControl(FileListControl control) {
  if (QWidget* widget = Widget(control)) widget->setFocus(Qt::OtherFocusReason);
}

int FileListDialogWindow::NameColumnWidth() const {
  return list_->columnWidth(FileListRow::kName);
}

void FileListDialogWindow::MoveLeftEdge(int x) {
  savedPosition_ = pos();
  // Toward the edge asked for, but never past the screen: the editor and the buttons of the
  // run must stay where the user can reach them.
  if (const QScreen* s = screen()) {
    const QRect area = s->availableGeometry();
    x = std::max(area.left(), std::min(x, area.left() + area.width() - frameGeometry().width()));
  }
  move(x, y());
}

void FileListDialogWindow::RestorePosition() {
  move(savedPosition_);
}

// ---- the user's events, forwarded ----

void FileListDialogWindow::ListSelectionChanged() {
  if (syncing_ || dialog_ == nullptr) return;
  if (dialog_->Running() != FileListAction::None) {
    ApplySelection();  // the rows belong to the running action
    return;
  }
  const std::size_t count = std::min<std::size_t>(
      dialog_->Rows().size(), static_cast<std::size_t>(list_->topLevelItemCount()));
  for (std::size_t i = 0; i < count && dialog_ != nullptr; ++i) {
    const bool selected = list_->topLevelItem(static_cast<int>(i))->isSelected();
    if (selected != dialog_->Rows()[i].selected) dialog_->SelectRow(i, selected);
  }
  if (dialog_ == nullptr) return;
  // Whatever the logic made of it is what the list shows.
  for (std::size_t i = 0; i < count; ++i) {
    if (list_->topLevelItem(static_cast<int>(i))->isSelected() != dialog_->Rows()[i].selected) {
      ApplySelection();
      break;
    }
  }
  ScheduleIdle();
}

void FileListDialogWindow::ListCurrentChanged() {
  if (syncing_ || dialog_ == nullptr || dialog_->Running() != FileListAction::None) return;
  const int index = list_->indexOfTopLevelItem(list_->currentItem());
  if (index < 0) return;
  dialog_->FocusRow(static_cast<std::size_t>(index));
  ScheduleIdle();
}

void FileListDialogWindow::ScheduleIdle() {
  if (idlePending_) return;
  idlePending_ = true;
  QTimer::singleShot(0, this, [this] {
    idlePending_ = false;
    if (dialog_ != nullptr) dialog_->Idle();
  });
}

bool FileListDialogWindow::ForwardKey(QKeyEvent* event) {
  if (dialog_ == nullptr) return false;
  const int key = KeyCodeOf(event->key());
  // While an action runs, even keys the logic has no code for stay away from the controls,
  // unless the action takes keys itself (the rename editor).
  if (key == 0) return !KeysLiveDuring(dialog_->Running());
  return dialog_->KeyDown(key, ShiftOf(event->modifiers()));
}

bool FileListDialogWindow::RefuseNumberKey(QObject* watched, QKeyEvent* event) const {
  if (watched != Widget(C::txtRow) && watched != Widget(C::txtCRLFCount) &&
      watched != Widget(C::txtCopyCount)) {
    return false;
  }
  const QString text = event->text();
  if (text.isEmpty()) return false;  // moving keys, not characters
  const char16_t character = text.at(0).unicode();
  if (character < 0x20) return false;  // Enter, Tab and control keys keep their work
  return !FileListDialog::NumberBoxAccepts(static_cast<int>(character));
}

bool FileListDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == renameEditor_ && event->type() == QEvent::FocusOut) RenameEditorFocusOut(event);
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool numberBox = watched == Widget(C::txtRow) || watched == Widget(C::txtCRLFCount) ||
                           watched == Widget(C::txtCopyCount);
    if (numberBox &&
        FileListDialog::NumberBoxOwnsKey(KeyCodeOf(key->key()), ShiftOf(key->modifiers())))
      return QDialog::eventFilter(watched, event);  // the box's own Ctrl+A
    if (ForwardKey(key)) return true;
    if (RefuseNumberKey(watched, key)) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void FileListDialogWindow::keyPressEvent(QKeyEvent* event) {
  if (ForwardKey(event)) return;
  QDialog::keyPressEvent(event);
}

void FileListDialogWindow::reject() {
  // The close box and any other way out is the logic's cancel.
  if (dialog_ != nullptr && !dialog_->Closed()) {
    dialog_->CloseBox();  // ignored while an action runs
    return;
  }
  QDialog::reject();
}

}  // namespace norra
