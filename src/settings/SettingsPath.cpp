// Settings folder and "-F" option: joining split arguments into the settings file's path.
#include "settings/SettingsPath.h"

namespace norra {
namespace {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

bool EndsWithIni(std::string_view text) {
  if (text.size() <= 3) return false;
  std::string_view tail = text.substr(text.size() - 4);
  static constexpr std::string_view kIni = ".INI";
  for (std::size_t i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kIni[i]) return false;
  }
  return true;
}

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
