// The two command-line tools over the engine and disk search: norra-find and norra-replace.
#pragma once

namespace norra {

// Exit status: 0 something was found or replaced, 1 nothing was, 2 a refusal or an error.
constexpr int kExitFound = 0;
constexpr int kExitNothing = 1;
constexpr int kExitError = 2;

// norra-find [options] FIND FILE...: prints every match a replace-all would replace.
int RunFindTool(int argc, const char* const* argv);

// norra-replace [options] FIND REPLACE [FILE...]: replaces in files, a folder or a group.
int RunReplaceTool(int argc, const char* const* argv);

}  // namespace norra
