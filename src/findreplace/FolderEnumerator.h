// Lists the files of a folder that disk search visits: masks in order, then sub-folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

// Whole-name match with the file system's wildcard rules: "*" any run of characters (also
// none), "?" one character; letters compare upper-cased. Other characters, brackets included,
// stand for themselves. "*.*" matches every name, dot or not. The mask is CP932 (a mask of
// the FileMaskList), the name as the file system gives it (UTF-8).
bool WildcardMatch(std::string_view maskCp932, std::string_view nameUtf8);

// The files of folder (UTF-8, ending in "/") in the folder command's order: for each mask in
// turn the matching names in name order, each file once however many masks match it;
// with recurse, then the sub-folders in name order, depth first. Only regular files are
// listed; symbolic links are skipped, to files and folders alike. A folder that cannot be
// listed contributes what could be read of it, and is counted in unreadableFolders.
std::vector<std::string> EnumerateFolderFiles(const std::string& folder,
                                              const std::vector<std::string>& masksCp932,
                                              bool recurse, int* unreadableFolders = nullptr);

}  // namespace norra
