// Settings folder and "-F" option: joining split arguments into the settings file's path.
#include "settings/SettingsPath.h"

#include "text/AsciiCase.h"

namespace norra {
namespace {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

bool EndsWithIni(std::string_view text) { return EndsWithIgnoringAsciiCase(text, ".INI"); }

}  // namespace

std::string SettingsFilePath(const std::vector<std::string>& args,
                             std::string_view settingsFolder) {
  if (args.size() >= 2 && args[0] == "-F") {
    std::string name;
    for (std::size_t i = 1; i < args.size(); ++i) {
      name += args[i];
      if (EndsWithIni(name)) break;
      name += ' ';
    }
    if (name.find_first_not_of(' ') != std::string::npos) {
      if (name.front() == '/') return name;
      return JoinPath(settingsFolder, name);
    }
  }
  return JoinPath(settingsFolder, "Norra.ini");
}

}  // namespace norra
