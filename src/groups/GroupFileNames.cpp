// Type lists of the group file dialogs and the letter-case key of member paths.
#include "groups/GroupFileNames.h"

#include "text/AsciiCase.h"

namespace norra {

std::vector<FileFilter> GroupFileNames::LoadFilters() {
  return {{"文ｸﾞﾙｰﾌﾟ(*.tgp)", "*.tgp"}, {"全てのﾌｧｲﾙ", "*.*"}};
}

std::vector<FileFilter> GroupFileNames::SaveFilters() {
  return {{"ﾒﾝﾊﾞﾘｽﾄ(*.tgp)", "*.tgp"}, {"全てのﾌｧｲﾙ", "*.*"}};
}

std::vector<FileFilter> GroupFileNames::MenuFilters() {
  return {{"ﾒﾝﾊﾞﾘｽﾄ (*.tgp)", "*.tgp"}, {"全てのﾌｧｲﾙ(*.*)", "*.*"}};
}

std::string GroupFileNames::CaseKey(std::string_view path) {
  return AsciiLowered(path);
}

}  // namespace norra
