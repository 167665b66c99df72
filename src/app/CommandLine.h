// The command line: the settings file named by "-F", and the paths of the files to open.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

struct CommandLine {
  std::string settingsFile;        // the settings file (the default one without "-F")
  std::vector<std::string> files;  // absolute paths, in command-line order
};

// What a command line asks instead of starting the window: "--help" (or "-h") and "--version"
// as the first argument print on standard output and end, as the command-line tools do.
enum class InfoRequest {
  None,     // start the program
  Help,     // the usage text
  Version,  // the name and version
};
InfoRequest InfoRequestOf(const std::vector<std::string>& args);
// What the request prints (UTF-8, ending in a line break); empty for None.
std::string InfoText(InfoRequest request, std::string_view version);

// args are the arguments without the program's path. Relative paths are taken from
// workingFolder; a relative "-F" name from settingsFolder.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& workingFolder,
                             const std::string& settingsFolder);

// Index of the first file argument: after the "-F" settings name (which ends at the argument
// that makes the joined name end in ".ini"), else 0. args.size() when no file arguments.
std::size_t FirstFileArgument(const std::vector<std::string>& args);

// Joins file arguments into paths: an unquoted path with spaces arrives split, so an argument
// continues the previous path after one space unless it begins with "/" or names an existing
// file or folder (relative to workingFolder). Empty arguments are skipped. The paths come back
// absolute and lexically normal.
std::vector<std::string> JoinFileArguments(const std::vector<std::string>& args, std::size_t first,
                                           const std::string& workingFolder);

}  // namespace norra
