// Where the settings file lives: the settings folder and the "-F" command-line option.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norra {

// The settings file named by the command-line arguments (the program's own path not
// included). With at least two arguments of which the first is exactly "-F", the following
// arguments are joined, one space between them, until the text is longer than 3 bytes and
// ends in ".ini" (any case); later arguments are ignored. A text that never ends in ".ini"
// keeps its trailing space. A name that is not absolute is taken from the settings folder (normally
// SettingsFolder() of text/PathUtil.h). Otherwise, and when the joined name is blank, the
// file is "Norra.ini" in the settings folder.
std::string SettingsFilePath(const std::vector<std::string>& args, std::string_view settingsFolder);

}  // namespace norra
