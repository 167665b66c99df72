// The recovery dialog's rows and what its answer does.
#include "app/RecoveryDialog.h"

#include <algorithm>
#include <ctime>

#include "documents/Documents.h"
#include "documents/RecoveryKeeper.h"
#include "documents/RecoveryStore.h"
#include "platform/Ui.h"
#include "text/DateTime.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

std::string LocalTimeText(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (::localtime_r(&t, &local) == nullptr) return {};
  DateTime when;
  when.year = local.tm_year + 1900;
  when.month = local.tm_mon + 1;
  when.day = local.tm_mday;
  when.hour = local.tm_hour;
  when.minute = local.tm_min;
  when.second = std::min(local.tm_sec, 59);
  std::string text;
  return FormatDateTime("yyyy/mm/dd hh:nn:ss", when, text) ? text : std::string();
}

}  // namespace

RecoveryDialog::RecoveryDialog(RecoveryClaim& claim, Documents& docs, Ui& ui, RecoveryKeeper* keeper)
    : claim_(claim), docs_(docs), ui_(ui), keeper_(keeper) {
  for (const RecoverableCopy& found : claim_.Copies()) {
    const RecoveryCopy& copy = found.copy;
    RecoveryRow row;
    if (copy.kind == PageKind::Untitled) {
      row.name = copy.path;
    } else {
      row.name = (copy.kind == PageKind::LoadFailed ? "(Err)" : "") + FileNamePart(copy.path);
      row.folder = FolderPart(copy.kind == PageKind::LoadFailed && copy.path.starts_with("(Err)")
                                  ? copy.path.substr(5)
                                  : copy.path);
    }
    row.time = LocalTimeText(copy.time);
    row.size = std::to_string(copy.text.size()) + "ﾊﾞｲﾄ";
    rows_.push_back(std::move(row));
  }
}

void RecoveryDialog::SetChecked(std::size_t row, bool on) {
  if (row < rows_.size()) rows_[row].checked = on;
}

int RecoveryDialog::Finish(bool accepted) {
  const std::vector<RecoverableCopy>& copies = claim_.Copies();
  std::vector<bool> restored(copies.size(), false);
  int count = 0;
  if (accepted) {
    for (std::size_t i = 0; i < copies.size() && i < rows_.size(); ++i) {
      if (!rows_[i].checked) continue;
      Page* page = docs_.RestorePage(copies[i].copy);
      if (page == nullptr) continue;  // out of memory: the copy stays for another start
      restored[i] = true;
      ++count;
      if (keeper_ != nullptr) keeper_->CopyNow(*page);
    }
  }
  // The old copies go only once the new ones are on disk.
  if (keeper_ != nullptr) {
    keeper_->Flush();
    for (std::size_t i = 0; i < copies.size(); ++i) {
      if (restored[i]) claim_.Discard(i);
    }
  }
  bool left = false;
  for (std::size_t i = 0; i < copies.size(); ++i) left = left || (!restored[i] && (!accepted || !rows_[i].checked));
  if (left && ui_.ShowMessageBox(kDiscardQuestion, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, "Norra") == IDYES) {
    for (std::size_t i = 0; i < copies.size(); ++i) {
      if (!restored[i] && (!accepted || !rows_[i].checked)) claim_.Discard(i);
    }
  }
  claim_.Release();
  return count;
}

}  // namespace norra
