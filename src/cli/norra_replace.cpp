// norra-replace: replace-all over files, a folder or a group, from the command line.
#include "cli/common/CliRunner.h"

int main(int argc, char** argv) {
  return norra::RunReplaceTool(argc, argv);
}
