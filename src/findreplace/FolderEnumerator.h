// Lists the files of a folder that disk search visits: masks in order, then sub-folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

// Whole-name match with the file system's wildcard rules: "*" any run of characters (also
// none), "?" one character; letters compare without regard to case. Other characters,
// brackets included, stand for themselves. "*.*" matches every name, dot or not.
// Both texts are UTF-8 (bytes that are not are taken one by one).
bool WildcardMatch(std::string_view maskUtf8, std::string_view nameUtf8);

// The files of folder (UTF-8, ending in "/") in the folder command's order: for each mask in
// turn the matching names in name order, each file once however many masks match it;
// with recurse, then the sub-folders in name order, depth first. Only regular files (or links
// to them) are listed; linked folders are not entered, so a link cycle cannot trap the walk.
// A folder that cannot be listed contributes nothing.
std::vector<std::string> EnumerateFolderFiles(const std::string& folder,
                                              const std::vector<std::string>& masksUtf8,
                                              bool recurse);

}  // namespace norra
