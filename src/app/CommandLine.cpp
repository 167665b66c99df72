// Splitting the command line into the settings file and the files to open.
#include "app/CommandLine.h"

#include "settings/SettingsPath.h"
#include "text/AsciiCase.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

// The same test the settings path uses, so both agree on where the settings name ends.
bool EndsWithIni(const std::string& text) { return EndsWithIgnoringAsciiCase(text, ".INI"); }

}  // namespace

InfoRequest InfoRequestOf(const std::vector<std::string>& args) {
  if (args.empty()) return InfoRequest::None;
  if (args[0] == "--help" || args[0] == "-h") return InfoRequest::Help;
  if (args[0] == "--version") return InfoRequest::Version;
  return InfoRequest::None;
}

std::string InfoText(InfoRequest request, std::string_view version) {
  switch (request) {
    case InfoRequest::Help:
      return "Usage: norra [--new-window] [-F SETTINGS.ini] [FILE...]\n"
             "Opens each FILE in a window of its own (a path with spaces may come unquoted),\n"
             "or one untitled file when none is named. When Norra already runs on this display,\n"
             "the files open in its main window.\n"
             "Options:\n"
             "  -F SETTINGS.ini  the settings file, instead of Norra.ini in the settings folder\n"
             "                   (a relative name is taken from there)\n"
             "      --new-window another main window, even when Norra already runs\n"
             "  -h, --help       this text\n"
             "      --version    the version\n";
    case InfoRequest::Version:
      return "norra " + std::string(version) + "\n";
    case InfoRequest::None:
      break;
  }
  return {};
}

std::size_t FirstFileArgument(const std::vector<std::string>& args) {
  if (args.size() < 2 || args[0] != "-F") return 0;
  std::string name;
  for (std::size_t i = 1; i < args.size(); ++i) {
    name += args[i];
    if (EndsWithIni(name)) return i + 1;
    name += ' ';
  }
  return args.size();
}

std::vector<std::string> JoinFileArguments(const std::vector<std::string>& args, std::size_t first,
                                           const std::string& workingFolder) {
  std::vector<std::string> joined;
  bool open = false;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.empty()) continue;
    bool starts = !open || arg.front() == '/';
    if (!starts) {
      const std::string absolute = MakeAbsolute(arg, workingFolder);
      starts = IsFile(absolute) || IsFolder(absolute);
    }
    if (starts) {
      joined.push_back(arg);
      open = true;
    } else {
      joined.back() += ' ';
      joined.back() += arg;
    }
  }
  for (std::string& path : joined) path = MakeAbsolute(path, workingFolder);
  return joined;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& workingFolder,
                             const std::string& settingsFolder) {
  CommandLine line;
  line.settingsFile = SettingsFilePath(args, settingsFolder);
  line.files = JoinFileArguments(args, FirstFileArgument(args), workingFolder);
  return line;
}

}  // namespace norra
