// norra-find: lists the matches of a find text in files, as a replace-all would replace them.
#include "cli/common/CliRunner.h"

int main(int argc, char** argv) {
  return norra::RunFindTool(argc, argv);
}
