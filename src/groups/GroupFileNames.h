// The names around group files: the file dialogs' type lists and how member paths compare.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Ui.h"

namespace norra {

class GroupFileNames {
 public:
  // The dialog's load dialog ("文ｸﾞﾙｰﾌﾟ(*.tgp)", all files).
  static std::vector<FileFilter> LoadFilters();
  // The save dialog of the dialog and of the main window ("ﾒﾝﾊﾞﾘｽﾄ(*.tgp)", all files).
  static std::vector<FileFilter> SaveFilters();
  // The main window's open dialog ("ﾒﾝﾊﾞﾘｽﾄ (*.tgp)", "全てのﾌｧｲﾙ(*.*)").
  static std::vector<FileFilter> MenuFilters();
  // Member paths compare without regard to ASCII letter case.
  static std::string CaseKey(std::string_view path);
};

}  // namespace norra
