// The main window's group menu: the recent groups and the commands that open the group dialog.
#include <algorithm>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "documents/FileListDialogPort.h"
#include "platform/Ui.h"
#include "settings/Settings.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

constexpr UiItem kRecentGroupItems[] = {UiItem::mnuOpenGroup1, UiItem::mnuOpenGroup2, UiItem::mnuOpenGroup3,
                                        UiItem::mnuOpenGroup4, UiItem::mnuOpenGroup5, UiItem::mnuOpenGroup6,
                                        UiItem::mnuOpenGroup7, UiItem::mnuOpenGroup8, UiItem::mnuOpenGroup9};

}  // namespace

// Item k stands for entry k - 1 of the list (oldest first); the newest is numbered 1 and, as
// the items run from 9 at the top to 1 at the bottom, shows at the top.
void MainWindow::ShowGroupMenu() {
  const std::vector<std::string>& recent = settings_->File.RecentGroups;
  const int n = static_cast<int>(std::min<std::size_t>(recent.size(), Settings::kRecentGroupMax));
  for (int k = 1; k <= Settings::kRecentGroupMax; ++k) {
    const UiItem item = kRecentGroupItems[k - 1];
    const bool shown = k <= n;
    view_.SetItemVisible(item, shown);
    if (shown) {
      const std::string& path = recent[static_cast<std::size_t>(k - 1)];
      view_.SetItemCaption(item, "&" + std::to_string(n - k + 1) + "." + FileNamePart(path));
    }
  }
}

void MainWindow::OpenGroupDialog(const std::string& groupPath) {
  settings_->File.GroupPath = groupPath;
  RunListDialog(ListDialogMode::OpenFromGroup);
}

void MainWindow::OpenRecentGroup(int number) {
  const std::vector<std::string>& recent = settings_->File.RecentGroups;
  const auto index = static_cast<std::size_t>(number - 1);
  if (number < 1 || index >= recent.size() || number > Settings::kRecentGroupMax) return;
  // A copy: the dialog adds to the list it is taken from.
  OpenGroupDialog(std::string(recent[index]));
}

void MainWindow::ChooseGroup() {
  FileDialogRequest request;
  request.filters = {{"ﾒﾝﾊﾞﾘｽﾄ (*.tgp)", "*.tgp"}, {"全てのﾌｧｲﾙ(*.*)", "*.*"}};
  request.initialFolder = FolderPart(settings_->File.GroupPath);
  request.mustExist = true;
  const FileDialogResult chosen = ui_.ShowOpenDialog(request);
  if (!chosen.accepted || chosen.files.empty()) return;
  OpenGroupDialog(chosen.files.front());
}

}  // namespace norra
