// The batch file-list dialog: set-up by mode, rows, selection, sorting, status texts and keys.
#include "groups/FileListDialog.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "documents/DiskFileStore.h"
#include "documents/Documents.h"
#include "documents/FileStore.h"
#include "documents/Page.h"
#include "groups/FileListDialogView.h"
#include "groups/FileListPrintPanel.h"
#include "groups/GroupMode.h"
#include "groups/SaveAsAll.h"
#include "platform/TextControl.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/AsciiCase.h"
#include "text/Encoding.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr const char* kModifiedState = "変更";
constexpr const char* kSelectAllCaption = "全て選択(&A)";
constexpr const char* kDeselectAllCaption = "全て非選択(&A)";

// Virtual key codes the dialog handles itself.
constexpr int kKeyA = 'A';

// A view for a dialog that has none: it hears nothing and shows nothing.
class NoView : public FileListDialogView {
 public:
  void ShowModal(FileListDialog&) override {}
  void Close() override {}
};

NoView& TheNoView() {
  static NoView view;
  return view;
}

// The texts in the order of their CP932 bytes, as the platform without a Japanese collation
// would compare them; texts CP932 cannot hold are told apart by their UTF-8 bytes.
int CompareTexts(const std::string& a, const std::string& b) {
  const int byCp932 = Utf8ToCp932(a).compare(Utf8ToCp932(b));
  if (byCp932 != 0) return byCp932 < 0 ? -1 : 1;
  const int byUtf8 = a.compare(b);
  return byUtf8 < 0 ? -1 : (byUtf8 > 0 ? 1 : 0);
}

}  // namespace

const std::array<const char*, FileListRow::kColumnCount> FileListDialog::kColumnCaptions = {
    "ﾌｧｲﾙ名(F)", "ﾌｫﾙﾀﾞ名(D)", "拡張子(E)", "状態(U)", "ID."};

FileListDialog::FileListDialog(const FileListDialogContext& context, ListDialogMode mode)
    : context_(context),
      mode_(mode),
      ownFiles_(context.files == nullptr ? std::make_unique<DiskFileStore>() : nullptr),
      files_(context.files == nullptr ? *ownFiles_ : *context.files),
      facts_(&FileListModeFactsOf(mode)) {
  if (context.memory != nullptr) memory_ = context.memory;
  SetUp();
}

FileListDialog::~FileListDialog() = default;

void FileListDialog::AttachView(FileListDialogView* view) {
  view_ = view;
}

FileListDialogView& FileListDialog::View() {
  return view_ != nullptr ? *view_ : TheNoView();
}

const FileListControlState& FileListDialog::Control(FileListControl control) const {
  return controls_.at(static_cast<std::size_t>(control));
}

FileListControlState& FileListDialog::Mutable(FileListControl control) {
  return controls_.at(static_cast<std::size_t>(control));
}

const char* FileListDialog::ControlName(FileListControl control) {
  static constexpr std::array<const char*, static_cast<std::size_t>(FileListControl::kCount)>
      names = {"lvwFileName",
               "cmdDo",
               "cmdWithout",
               "cmdCancel",
               "cmdSelectAll",
               "cmdHelp",
               "cmdID",
               "cmdFile",
               "cmdDirectory",
               "cmdExp",
               "cmdModified",
               "lblRows",
               "txtRow",
               "txtCRLFCount",
               "txtCopyCount",
               "cmdChangeFileName",
               "cmdChangeDir",
               "cmdUndo",
               "cmdReleaseFileFromGroup",
               "fraQuotationAll",
               "fraJump",
               "fraSaveAsAll",
               "fraPrintAll",
               "fraOpenFromGroup",
               "lblGroupName",
               "cmdMakeNewGroup",
               "cmdOpenGroup",
               "cmdUpdateGroup",
               "cmdSaveAsGroup",
               "cmdAddFileFromDisk",
               "cmdAddFileFromWindow",
               "cmdEditByEditor"};
  return names.at(static_cast<std::size_t>(control));
}

void FileListDialog::SetControl(FileListControl control, const std::string& caption, bool visible) {
  FileListControlState& state = Mutable(control);
  state.caption = caption;
  state.visible = visible;
}

int FileListDialog::Message(const std::string& text, unsigned flags) {
  return context_.ui.ShowMessageBox(text, flags, "Norra");
}

// ---- set-up ----

void FileListDialog::AddRow(const std::string& path, Page* page, bool selected) {
  const bool modified = page != nullptr && page->Modified();
  const PageKind kind = page != nullptr ? page->Kind() : PageKind::File;
  FileListRow row =
      FileListRow::Make(path, kind, page, modified ? kModifiedState : "", rows_.size() + 1);
  row.selected = selected;
  rows_.push_back(std::move(row));
}

void FileListDialog::AddPageRows(bool modifiedOnly, bool selected, const Page* except) {
  for (Page* page : context_.documents.WindowOrder()) {
    if (page == except) continue;
    if (modifiedOnly && !page->Modified()) continue;
    AddRow(page->FilePath(), page, selected);
  }
}

void FileListDialog::SetUp() {
  using C = FileListControl;
  using M = ListDialogMode;
  result_ = kListDialogCancelled;
  selectAllState_ = true;
  sortDirection_ = 1;
  facts_ = &FileListModeFactsOf(mode_);

  for (FileListControlState& state : controls_) state = FileListControlState{};
  SetControl(C::cmdCancel, "ｷｬﾝｾﾙ", true);
  SetControl(C::cmdSelectAll, kSelectAllCaption, true);
  SetControl(C::cmdHelp, "ﾍﾙﾌﾟ(&H) F1", true);
  SetControl(C::cmdID, "&ID.", true);
  SetControl(C::cmdFile, "ﾌｧｲﾙ名(&F)", true);
  SetControl(C::cmdDirectory, "ﾌｫﾙﾀﾞ名(&D)", true);
  SetControl(C::cmdExp, "拡張子(&E)", true);
  SetControl(C::cmdModified, "更新(&U)", true);
  for (C hidden : {C::lblRows, C::txtRow, C::txtCRLFCount, C::txtCopyCount, C::cmdChangeFileName,
                   C::cmdChangeDir, C::cmdUndo, C::cmdReleaseFileFromGroup, C::fraQuotationAll,
                   C::fraJump, C::fraSaveAsAll, C::fraPrintAll, C::fraOpenFromGroup,
                   C::lblGroupName, C::cmdMakeNewGroup, C::cmdOpenGroup, C::cmdUpdateGroup,
                   C::cmdSaveAsGroup, C::cmdAddFileFromDisk, C::cmdAddFileFromWindow,
                   C::cmdEditByEditor}) {
    Mutable(hidden).visible = false;
  }

  // The objects of the modes that have their own, and the rows.
  if (mode_ == M::SaveAsAll) saveAs_ = std::make_unique<SaveAsAll>(*this);
  if (mode_ == M::PrintAll) {
    printPanel_ = std::make_unique<FileListPrintPanel>(context_.printJob, context_.settings);
    printPanel_->Enter();
  }
  const bool all = facts_->preselect == FileListPreselect::All;
  switch (facts_->rows) {
    case FileListRows::ModifiedPages:
      AddPageRows(true, all);
      break;
    case FileListRows::Pages:
      AddPageRows(false, all);
      break;
    case FileListRows::OtherPages:
      AddPageRows(false, all, context_.documents.ActivePage());
      break;
    case FileListRows::RecentFiles:
      SetUpRecentFiles();
      break;
    case FileListRows::Reloadable:
      SetUpReloadAll();
      break;
    case FileListRows::GroupMembers:
      group_ = std::make_unique<GroupMode>(*this);
      group_->SetUp();
      break;
  }
  if (facts_->preselect == FileListPreselect::First && !rows_.empty()) rows_.front().selected = true;
  if (facts_->preselect == FileListPreselect::Last) PreselectJumpRow();
  if (mode_ == M::CloseAll) {
    // With a modified Page listed, close all asks about saving.
    anyModified_ = std::any_of(rows_.begin(), rows_.end(),
                               [](const FileListRow& row) { return row.page->Modified(); });
    facts_ = &FileListModeFactsOf(mode_, anyModified_);
  }
  const bool nothing = rows_.size() < facts_->fewestRows;

  // What the mode shows.
  SetControl(C::cmdDo, facts_->firstButton, true);
  SetControl(C::cmdWithout, facts_->secondButton != nullptr ? facts_->secondButton : "",
             facts_->secondButton != nullptr);
  if (facts_->panel != C::kCount) Mutable(facts_->panel).visible = true;
  for (const FileListPanelControl& inside : facts_->inPanel) {
    if (inside.control == C::kCount) continue;
    Mutable(inside.control).visible = true;
    if (inside.caption != nullptr) Mutable(inside.control).caption = inside.caption;
  }
  Mutable(C::cmdSelectAll).visible = facts_->multiSelect;
  Mutable(C::cmdHelp).visible = facts_->helpContext != 0;
  UpdateEnabling();
  if (nothing) result_ = kListDialogNothingToShow;
}

void FileListDialog::SetUpReloadAll() {
  const std::int64_t maxLength = context_.settings.File.MaxLength;
  int untitled = 0;
  int inaccessible = 0;
  int tooLarge = 0;
  for (Page* page : context_.documents.WindowOrder()) {
    if (page->Kind() == PageKind::Untitled) {
      ++untitled;
      continue;
    }
    // A Page whose file failed to load names no file of its own: asking for its size could
    // find a stray file relative to the working folder.
    const std::string& path = page->FilePath();
    const std::int64_t size = page->HasFile() ? files_.QueryFileSize(path) : -1;
    if (size < 0) {
      ++inaccessible;
    } else if (size > maxLength) {
      ++tooLarge;
    } else {
      AddRow(path, page, false);
    }
  }
  if (!rows_.empty()) return;
  std::string text = "現在ﾃﾞｨｽｸから再読込み可能なﾌｧｲﾙはありません";
  if (untitled >= 1) text += "\n　無題ﾌｧｲﾙ : " + std::to_string(untitled);
  if (inaccessible >= 1) text += "\n　ｱｸｾｽ不能ﾌｧｲﾙ : " + std::to_string(inaccessible);
  if (tooLarge >= 1) text += "\n　ﾌｧｲﾙｻｲｽﾞ最大値ｵｰﾊﾞｰ : " + std::to_string(tooLarge);
  Message(text, MB_OK | MB_ICONINFORMATION);
}

void FileListDialog::SetUpRecentFiles() {
  std::vector<std::string> known;
  for (const Page* page : context_.documents.WindowOrder())
    known.push_back(AsciiLowered(page->FilePath()));
  const std::vector<std::string>& recent = context_.settings.File.RecentFiles;
  for (auto it = recent.rbegin(); it != recent.rend(); ++it) {
    const std::string lower = AsciiLowered(*it);
    if (std::find(known.begin(), known.end(), lower) != known.end()) continue;
    if (!files_.Exists(*it) || IsFolder(*it)) continue;
    AddRow(*it, nullptr, false);
    known.push_back(lower);
  }
  if (rows_.empty()) {
    Message("ﾃﾞｨｽｸ上に存在する\n｢最近使ったﾌｧｲﾙ｣は全てﾛｰﾄﾞ済みです", MB_OK | MB_ICONINFORMATION);
  }
}

// ---- selection ----

std::size_t FileListDialog::SelectedCount() const {
  return static_cast<std::size_t>(
      std::count_if(rows_.begin(), rows_.end(), [](const FileListRow& r) { return r.selected; }));
}

std::vector<std::size_t> FileListDialog::SelectedRows() const {
  std::vector<std::size_t> selected;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) selected.push_back(i);
  }
  return selected;
}

std::vector<std::size_t> FileListDialog::SelectedRowsLastFirst(std::vector<std::string>& paths) const {
  std::vector<std::size_t> rows = SelectedRows();
  std::reverse(rows.begin(), rows.end());
  paths.clear();
  for (std::size_t row : rows) paths.push_back(rows_[row].path);
  return rows;
}

void FileListDialog::UpdateEnabling() {
  using C = FileListControl;
  const bool any = SelectedCount() > 0;
  for (C control : facts_->followSelection) {
    if (control != C::kCount) Mutable(control).enabled = any;
  }
  if (mode_ == kGroupMode) {
    Mutable(C::cmdAddFileFromWindow).enabled = context_.documents.PageCount() > 0;
  } else if (mode_ == ListDialogMode::Jump) {
    const auto selected = SelectedRows();
    const Page* page = selected.empty() ? nullptr : rows_[selected.front()].page;
    Mutable(C::lblRows).caption = page != nullptr ? "/ " + std::to_string(page->Control().LineCount()) : "";
  }
  // The running print's cancel button stays live whatever the selection does.
  if (Printing()) Mutable(C::cmdDo).enabled = true;
}

void FileListDialog::SelectionChangedHandler() {
  selectionChanged_ = true;
  UpdateEnabling();
  View().ControlsChanged();
}

void FileListDialog::SelectRow(std::size_t row, bool selected) {
  if (running_ != FileListAction::None) return;  // the rows belong to the running action
  if (row >= rows_.size() || rows_[row].selected == selected) return;
  const bool dropOthers = selected && !MultiSelect() && SelectedCount() > 0;
  if (dropOthers) {
    for (FileListRow& other : rows_) other.selected = false;
  }
  rows_[row].selected = selected;
  if (dropOthers) View().SelectionChanged();
  SelectionChangedHandler();
}

void FileListDialog::SetRowSelected(std::size_t row, bool selected) {
  if (row >= rows_.size() || rows_[row].selected == selected) return;
  rows_[row].selected = selected;
  View().SelectionChanged();
  SelectionChangedHandler();
}

void FileListDialog::SetRowPath(std::size_t row, const std::string& path) {
  rows_.at(row).TakePath(path);
  View().RowsChanged();
}

void FileListDialog::FocusRow(std::size_t row) {
  if (row >= rows_.size() || running_ != FileListAction::None) return;
  focused_ = row;
  selectionChanged_ = true;
}

void FileListDialog::ShowRow(std::size_t row) {
  if (row >= rows_.size()) return;
  focused_ = row;
  View().RowFocused(row);
  RefreshStatus();
}

void FileListDialog::SelectAll() {
  for (FileListRow& row : rows_) row.selected = selectAllState_;
  View().SelectionChanged();
  SelectionChangedHandler();
  selectAllState_ = !selectAllState_;
  Mutable(FileListControl::cmdSelectAll).caption =
      selectAllState_ ? kSelectAllCaption : kDeselectAllCaption;
  View().ControlsChanged();
  View().FocusControl(FileListControl::lvwFileName);
  RefreshStatus();
}

void FileListDialog::Showing() {
  const bool fewer = SelectedCount() < rows_.size();
  selectAllState_ = fewer;
  Mutable(FileListControl::cmdSelectAll).caption = fewer ? kSelectAllCaption : kDeselectAllCaption;
  if (!rows_.empty()) {
    if (focused_ >= rows_.size()) focused_ = 0;
    View().RowFocused(focused_);
    if (SelectedCount() == 0) SetRowSelected(0, true);
  }
  View().ControlsChanged();
  View().FocusControl(FocusTarget());
  RefreshStatus();
}

void FileListDialog::RefreshStatus() {
  const std::string count = std::to_string(rows_.size());
  status_[0] = focused_ < rows_.size() ? std::to_string(focused_ + 1) + "/" + count + "ﾌｧｲﾙ"
                                       : count + "ﾌｧｲﾙ";
  const std::size_t selected = SelectedCount();
  status_[1] = selected > 0 ? "処理対象 : 選択した " + std::to_string(selected) + "個のﾌｧｲﾙ" : "";
  selectionChanged_ = false;
  View().StatusChanged();
}

void FileListDialog::Idle() {
  if (selectionChanged_) RefreshStatus();
}

// ---- sorting ----

void FileListDialog::SortBy(int column) {
  if (column < 0 || column >= FileListRow::kColumnCount) return;
  if (column != FileListRow::kName) sortColumn_ = column - 1;
  const std::size_t focusedNumber = focused_ < rows_.size() ? rows_[focused_].number : 0;
  const int direction = sortDirection_;
  std::stable_sort(rows_.begin(), rows_.end(),
                   [column, direction](const FileListRow& a, const FileListRow& b) {
                     const std::size_t c = static_cast<std::size_t>(column);
                     return CompareTexts(a.columns[c], b.columns[c]) * direction < 0;
                   });
  sortDirection_ = -sortDirection_;
  if (focusedNumber != 0) {
    const auto it = std::find_if(rows_.begin(), rows_.end(), [focusedNumber](const FileListRow& r) {
      return r.number == focusedNumber;
    });
    focused_ = static_cast<std::size_t>(it - rows_.begin());
  }
  View().RowsChanged();
  if (focused_ < rows_.size()) View().RowFocused(focused_);
  RefreshStatus();
}

void FileListDialog::ColumnClicked(int column) {
  if (running_ != FileListAction::None) return;
  SortBy(column);
}

// ---- buttons and keys ----

FileListDialog::ActionScope::ActionScope(FileListDialog& dialog, FileListAction action)
    : dialog_(dialog), previous_(dialog.running_), action_(action) {
  dialog_.running_ = action;
  if (action == FileListAction::PrintRun) dialog_.stopRequested_ = false;
}

FileListDialog::ActionScope::~ActionScope() {
  if (dialog_.running_ == action_) dialog_.running_ = previous_;
}

void FileListDialog::Click(FileListControl control) {
  using C = FileListControl;
  const FileListControlState& state = Control(control);
  if (closed_ || !state.visible || !state.enabled) return;
  if (running_ != FileListAction::None) {
    if (!ClickLiveDuring(running_, control)) return;
    if (running_ == FileListAction::PrintRun) stopRequested_ = true;
    return;
  }
  const ActionScope scope(*this, FileListAction::Plain);
  switch (control) {
    case C::cmdDo:
    case C::cmdWithout:
      RunAction(control == C::cmdDo);
      break;
    case C::cmdCancel:
      Finish(kListDialogCancelled);
      break;
    case C::cmdSelectAll:
      SelectAll();
      break;
    case C::cmdHelp:
      if (context_.showHelp && HelpContext() != 0) context_.showHelp(HelpContext());
      break;
    case C::cmdFile:
    case C::cmdDirectory:
    case C::cmdExp:
    case C::cmdModified:
    case C::cmdID: {
      const int column = control == C::cmdFile        ? 0
                         : control == C::cmdDirectory ? 1
                         : control == C::cmdExp       ? 2
                         : control == C::cmdModified  ? 3
                                                      : 4;
      SortBy(column);
      View().FocusControl(C::lvwFileName);
      break;
    }
    case C::cmdMakeNewGroup:
    case C::cmdOpenGroup:
    case C::cmdUpdateGroup:
    case C::cmdSaveAsGroup:
    case C::cmdAddFileFromDisk:
    case C::cmdAddFileFromWindow:
    case C::cmdReleaseFileFromGroup:
    case C::cmdEditByEditor:
      if (group_ != nullptr) group_->Command(control);
      break;
    case C::cmdChangeDir:
      if (saveAs_ != nullptr) saveAs_->ChangeFolder();
      break;
    case C::cmdChangeFileName:
      if (saveAs_ != nullptr) saveAs_->StartRename();
      break;
    case C::cmdUndo:
      if (saveAs_ != nullptr) saveAs_->Reset();
      break;
    default:
      break;  // the option panels' buttons belong to their modes
  }
}

bool FileListDialog::KeyDown(int key, unsigned shift) {
  if (closed_) return false;
  if (running_ != FileListAction::None) {
    // A key meant for the dialog must not start a second action over the first one's rows.
    if (!KeysLiveDuring(running_)) return true;
    return RunningActionKey(key, shift);
  }
  const ActionScope scope(*this, FileListAction::Plain);
  switch (key) {
    case kKeyEscape:
      Finish(kListDialogCancelled);
      return true;
    case kKeyF1:
      if (context_.showHelp && HelpContext() != 0) context_.showHelp(HelpContext());
      return true;
    case kKeyF4:
      result_ = kListDialogCancelled;
      return true;
    case kKeyF6:
      if (!Control(FileListControl::fraPrintAll).visible) return false;
      PrintOptions();
      return true;
    case kKeyA:
      if ((shift & kCtrlKey) == 0) return false;
      // A list that selects one row only has no select-all.
      if (Control(FileListControl::cmdSelectAll).visible) SelectAll();
      return true;
    default:
      return false;
  }
}

void FileListDialog::CloseBox() {
  if (!closed_ && running_ == FileListAction::None) Finish(kListDialogCancelled);
}

bool FileListDialog::RunningActionKey(int key, unsigned /*shift*/) {
  if (running_ == FileListAction::RenameRun && saveAs_ != nullptr) return saveAs_->EditorKey(key);
  return true;
}

bool FileListDialog::NumberBoxAccepts(int character) {
  return (character >= '0' && character <= '9') || character == kKeyBack;
}

bool FileListDialog::NumberBoxOwnsKey(int key, unsigned shift) {
  return key == kKeyA && (shift & (kCtrlKey | kAltKey)) == kCtrlKey;
}

void FileListDialog::SetBoxText(FileListControl box, const std::string& text) {
  Mutable(box).caption = text;
}

void FileListDialog::Finish(int result) {
  result_ = result;
  if (closed_) return;
  closed_ = true;
  View().Close();
}

}  // namespace norra
