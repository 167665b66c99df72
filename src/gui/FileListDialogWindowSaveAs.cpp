// The file-list dialog window's save-as-all panel and its in-place rename editor.
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "groups/SaveAsAll.h"
#include "gui/FileListDialogWindow.h"

namespace norra {

namespace {

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A byte offset into UTF-8 text as a QString index.
int Index(const std::string& utf8, std::size_t bytes) {
  return static_cast<int>(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(bytes)).size());
}

}  // namespace

void FileListDialogWindow::BuildSaveAsAllPanel(QFrame* panel, QHBoxLayout* panelRow) {
  using C = FileListControl;
  // Two rows, so that the dialog fits a small screen: the targets, then the extension rule.
  auto* rows = new QVBoxLayout;
  panelRow->addLayout(rows, 1);
  auto* row = new QHBoxLayout;
  rows->addLayout(row);
  keepOldFiles_ = new QCheckBox(QString::fromUtf8("元を残す(&C)"), panel);
  keepOldFiles_->setObjectName(QStringLiteral("chkDontDelFile"));
  row->addWidget(keepOldFiles_);

  auto* edit = new QGroupBox(QString::fromUtf8("保存先編集(選択したﾌｧｲﾙ)"), panel);
  auto* editRow = new QHBoxLayout(edit);
  for (C control : {C::cmdChangeDir, C::cmdChangeFileName, C::cmdUndo}) {
    auto* b = new QPushButton(edit);
    b->setAutoDefault(false);
    b->setObjectName(QString::fromLatin1(FileListDialog::ControlName(control)));
    controls_[static_cast<std::size_t>(control)] = b;
    editRow->addWidget(b);
  }
  row->addWidget(edit);

  row->addStretch(1);
  auto* extension = new QGroupBox(QString::fromUtf8("拡張子設定(ﾌｧｲﾙ名変更時)"), panel);
  auto* extensionRow = new QHBoxLayout(extension);
  const std::array<std::pair<const char*, const char*>, 3> rules = {
      {{"optAddExp", "拡張子無しなら補う(&M)"},
       {"optAutoChangeExp", "自動で拡張子変更(&O)"},
       {"optDontAddExp", "補わない(&N)"}}};
  for (std::size_t i = 0; i < rules.size(); ++i) {
    auto* option = new QRadioButton(QString::fromUtf8(rules[i].second), extension);
    option->setObjectName(QString::fromLatin1(rules[i].first));
    extensionRules_[i] = option;
    extensionRow->addWidget(option);
    connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on && !syncing_ && dialog_ != nullptr && dialog_->SaveAs() != nullptr)
        dialog_->SaveAs()->SetRule(static_cast<ExtensionRule>(i));
    });
  }
  addExtension_ = new QLineEdit(extension);
  addExtension_->setObjectName(QStringLiteral("txtAddExp"));
  addExtension_->setMaxLength(static_cast<int>(SaveAsAll::kAddExtensionMax));
  auto* label = new QLabel(QString::fromUtf8("拡張子(&T) : "), extension);
  label->setBuddy(addExtension_);
  extensionRow->addWidget(label);
  extensionRow->addWidget(addExtension_);
  auto* second = new QHBoxLayout;
  rows->addLayout(second);
  second->addWidget(extension);
  second->addStretch(1);
  connect(addExtension_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (dialog_ != nullptr && dialog_->SaveAs() != nullptr)
      dialog_->SaveAs()->SetAddExtension(text.toStdString());
  });
  connect(keepOldFiles_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_ && dialog_ != nullptr && dialog_->SaveAs() != nullptr)
      dialog_->SaveAs()->SetKeepOldFiles(on);
  });

  // The editor lies over the list; it is the dialog's child so that it can stand on any row.
  renameEditor_ = new QLineEdit(this);
  renameEditor_->setObjectName(QStringLiteral("txtChangeFileName"));
  renameEditor_->hide();
  connect(renameEditor_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (dialog_ != nullptr && dialog_->SaveAs() != nullptr)
      dialog_->SaveAs()->EditorTextChanged(text.toStdString());
  });
}

void FileListDialogWindow::LoadSaveAsAll() {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  const SaveAsAll* saveAs = dialog_ != nullptr ? dialog_->SaveAs() : nullptr;
  const SaveAsAll defaults(*dialog_);
  const SaveAsAll& state = saveAs != nullptr ? *saveAs : defaults;
  keepOldFiles_->setChecked(state.KeepOldFiles());
  extensionRules_[static_cast<std::size_t>(state.Rule())]->setChecked(true);
  addExtension_->setText(Text(state.AddExtension()));
  renameEditor_->hide();
  syncing_ = wasSyncing;
}

void FileListDialogWindow::RenameEditorChanged() {
  const SaveAsAll* saveAs = dialog_ != nullptr ? dialog_->SaveAs() : nullptr;
  const bool renaming = saveAs != nullptr && saveAs->Renaming();
  // A click on a button would take the focus from the editor and so abandon the run before the
  // click itself arrived; while the run lasts the buttons leave the focus where it is, and their
  // clicks wait with the rest of the dialog.
  for (QWidget* control : controls_) {
    if (qobject_cast<QPushButton*>(control) != nullptr)
      control->setFocusPolicy(renaming ? Qt::TabFocus : Qt::StrongFocus);
  }
  if (!renaming) {
    renameEditor_->hide();
    return;
  }
  const RenameEditorState& editor = saveAs->Editor();
  QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(editor.row));
  if (item == nullptr) return;
  const bool wasSyncing = syncing_;
  syncing_ = true;
  // At the list's left edge, as wide as the file-name column, its top 2 pixels above the row's.
  const QRect rowRect = list_->visualItemRect(item);
  const QPoint at = list_->viewport()->mapTo(this, rowRect.topLeft());
  const int left = list_->mapTo(this, QPoint(0, 0)).x();
  renameEditor_->setGeometry(left, at.y() - 2, NameColumnWidth(),
                             std::max(rowRect.height() + 4, renameEditor_->sizeHint().height()));
  renameEditor_->setText(Text(editor.text));
  renameEditor_->setCursorPosition(static_cast<int>(renameEditor_->text().size()));
  const int start = Index(editor.text, editor.selStart);
  const int end = Index(editor.text, editor.selStart + editor.selLength);
  renameEditor_->setSelection(start, end - start);
  renameEditor_->show();
  renameEditor_->raise();
  renameEditor_->setFocus(Qt::OtherFocusReason);
  syncing_ = wasSyncing;
}

void FileListDialogWindow::RenameEditorFocusOut(QEvent* event) {
  if (syncing_ || dialog_ == nullptr || dialog_->SaveAs() == nullptr) return;
  // The window losing its activation (a message box, another program) is not the user
  // leaving the editor: the focus comes back with the window.
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  dialog_->SaveAs()->EditorLostFocus();
}

}  // namespace norra
