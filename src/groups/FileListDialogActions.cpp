// The actions of the file-list dialog's modes that save, close and reload Pages.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <stdexcept>

#include "documents/Documents.h"
#include "documents/DocumentsHost.h"
#include "documents/FileStore.h"
#include "documents/Page.h"
#include "groups/BatchSave.h"
#include "groups/FileListDialog.h"
#include "groups/GroupMode.h"
#include "groups/RedrawHold.h"
#include "groups/SaveAsAll.h"
#include "platform/Ui.h"
#include "settings/Settings.h"

namespace norra {

namespace {

bool StillOpen(const Documents& documents, const Page* page) {
  const auto& order = documents.WindowOrder();
  return page != nullptr && std::find(order.begin(), order.end(), page) != order.end();
}

}  // namespace

// What cmdDo and cmdWithout do in each mode.
void FileListDialog::RunAction(bool first) {
  using Action = void (*)(FileListDialog&);
  struct ModeActions {
    ListDialogMode mode;
    Action first;
    Action second;  // null: the mode has no second button
  };
  using M = ListDialogMode;
  using D = FileListDialog;
  static constexpr ModeActions kActions[] = {
      {M::SaveAll, [](D& d) { d.SaveAll(); }, nullptr},
      {M::SaveAsAll, [](D& d) { d.SaveAsAllAction(true); }, [](D& d) { d.SaveAsAllAction(false); }},
      {M::PrintAll, [](D& d) { d.PrintAll(); }, nullptr},
      {M::QuoteAll, [](D& d) { d.QuoteAll(); }, nullptr},
      {M::RecentFiles, [](D& d) { d.OpenRecentFiles(); }, nullptr},
      {M::Jump, [](D& d) { d.Jump(); }, nullptr},
      {M::SortList, [](D& d) { d.SortPageList(); }, nullptr},
      {M::Exit, [](D& d) { d.ExitYes(); }, [](D& d) { d.ExitNo(); }},
      {M::ReloadAll, [](D& d) { d.ReloadAll(); }, nullptr},
      {M::CloseAll, [](D& d) { d.CloseAll(d.anyModified_); }, [](D& d) { d.CloseAll(false); }},
      {M::OpenFromGroup, [](D& d) { d.group_->OpenMembers(); }, [](D& d) { d.group_->ReloadMembers(); }},
  };
  for (const ModeActions& actions : kActions) {
    if (actions.mode != mode_) continue;
    const Action action = first ? actions.first : actions.second;
    if (action != nullptr) action(*this);
    return;
  }
}

void FileListDialog::ActionFailed(int result) {
  Message(std::string(facts_->actionName) + "処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR);
  RedrawHold(*this, false).Finish(result);
}

void FileListDialog::SaveAll() {
  try {
    BatchSave batch(*this);
    if (!batch.Prepare(false)) return;
    batch.Save();
    context_.host.UpdateStatusBar();
    Finish(kListDialogDone);
  } catch (const std::exception&) {
    ActionFailed(kListDialogDone);
  }
}

void FileListDialog::ExitYes() {
  try {
    BatchSave batch(*this);
    if (!batch.Prepare(false)) return;
    if (batch.Save()) {
      // The listed Pages the user left out are given up; a Page whose chosen file the user
      // would not overwrite was saved nowhere, so the main window asks about it once more.
      const std::vector<Page*>& declined = batch.Declined();
      for (FileListRow& row : rows_) {
        if (std::find(declined.begin(), declined.end(), row.page) == declined.end())
          row.page->SetModified(false);
      }
    }
    Finish(kListDialogDone);
  } catch (const std::exception&) {
    ActionFailed(kListDialogDone);
  }
}

void FileListDialog::SaveAsAllAction(bool confirm) {
  try {
    saveAs_->Save(confirm);
  } catch (const std::exception&) {
    ActionFailed(confirm ? kListDialogDone : kListDialogDoneSecond);
  }
}

void FileListDialog::ExitNo() {
  for (FileListRow& row : rows_) row.page->SetModified(false);
  Finish(kListDialogDoneSecond);
}

void FileListDialog::CloseAll(bool withSaving) {
  const int doneResult = withSaving ? kListDialogDone : kListDialogDoneSecond;
  Documents& documents = context_.documents;
  try {
    if (withSaving && !BatchSave(*this).Prepare(true)) return;

    RedrawHold hold(*this);
    Page* remembered = documents.ActivePage();
    // Closing the active Page would switch to another one each time; a Page that stays is
    // made active first.
    const auto firstUnselected =
        std::find_if(rows_.begin(), rows_.end(), [](const FileListRow& r) { return !r.selected; });
    Page* keep = firstUnselected != rows_.end() ? firstUnselected->page
                                                : (rows_.empty() ? nullptr : rows_.front().page);
    if (keep != nullptr && keep != documents.ActivePage()) documents.ActivatePage(keep);

    const std::vector<std::size_t> selected = SelectedRows();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
      FileListRow& row = rows_[*it];
      Page& page = *row.page;
      bool closed = false;
      FileError error = FileError::None;
      try {
        if (withSaving && page.Modified()) {
          error = Documents::FileHoldsText(page) ? files_.Write(row.path, Documents::FileBytes(page))
                                                 : FileError::NotEncodable;
          if (error != FileError::None) throw std::runtime_error("write");
          context_.settings.AddRecentFile(row.path);
        }
        page.SetModified(false);
        row.page = nullptr;
        closed = true;
        documents.DestroyPage(page);  // drops its undo records and its page-list entry
      } catch (const std::exception&) {
        if (closed) throw;
        ShowRow(*it);
        std::string text = row.path + "\nを閉じる処理中にｴﾗｰ発生";
        if (error != FileError::None) text += std::string("\n") + FileErrorReason(error);
        Message(text, MB_OK | MB_ICONERROR);
        hold.Finish(doneResult);
        return;
      }
    }
    context_.ui.ProcessPendingEvents();

    if (documents.PageCount() > 0) {
      Page* active = StillOpen(documents, remembered) ? remembered : documents.ActivePage();
      if (active == nullptr) active = documents.WindowOrder().front();
      documents.ActivatePage(active);
    }
    hold.Finish(doneResult);
  } catch (const std::exception&) {
    ActionFailed(doneResult);
  }
}

void FileListDialog::ReloadAll() {
  try {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      FileListRow& row = rows_[i];
      if (!row.selected || !row.page->Modified()) continue;
      ShowRow(i);
      const int answer = Message(row.page->FilePath() +
                                     "\nは変更されています。\nﾃﾞｨｽｸから再読込みすると\n現在の変更は"
                                     "失われます\nよろしいですか?",
                                 MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDNO) {
        SetRowSelected(i, false);
      } else if (answer != IDYES) {
        return;  // the dialog stays open, nothing reloaded
      }
    }

    RedrawHold hold(*this);
    const std::vector<std::size_t> selected = SelectedRows();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
      Page& page = *rows_[*it].page;
      if (!ReloadWithinLimit(page)) {
        ShowRow(*it);
        Message(page.FilePath() + "\nの再読込み処理中にｴﾗｰ発生", MB_OK | MB_ICONERROR);
        hold.Finish(kListDialogDone);
        return;
      }
    }
    hold.Finish(kListDialogDone);
  } catch (const std::exception&) {
    ActionFailed(kListDialogDone);
  }
}

// The file may have changed since the list was made: it is checked again, so a file grown past
// the limit or gone is reported rather than loaded or emptied.
bool FileListDialog::ReloadWithinLimit(Page& page) {
  const std::int64_t size = files_.QueryFileSize(page.FilePath());
  return size >= 0 && size <= context_.settings.File.MaxLength &&
         context_.documents.ReloadPage(page);
}

}  // namespace norra
