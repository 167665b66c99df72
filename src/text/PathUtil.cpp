// Path helpers for "/"-separated UTF-8 paths.
#include "text/PathUtil.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "text/AsciiCase.h"

namespace norra {

namespace {

bool StatPath(std::string_view path, struct stat& info) {
  if (path.empty()) return false;
  const std::string stripped = WithoutTrailingSlash(path);
  return ::stat(stripped.c_str(), &info) == 0;
}

}  // namespace

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

std::string FileNamePart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtensionOf(std::string_view path, bool withDot) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  return AsciiUppered(path.substr(withDot ? dot : dot + 1));
}

std::string WithoutTrailingSlash(std::string_view path) {
  if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

bool IsFile(std::string_view path) {
  struct stat info {};
  return StatPath(path, info) && !S_ISDIR(info.st_mode);
}

bool IsFolder(std::string_view path) {
  struct stat info {};
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

std::string NormalizePath(std::string_view path) {
  if (path.empty()) return {};
  const bool absolute = path.front() == '/';
  std::vector<std::string_view> parts;
  bool endsAsFolder = false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    const bool last = end == path.size();
    if (part.empty() || part == ".") {
      endsAsFolder = true;
    } else if (part == "..") {
      endsAsFolder = true;
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.push_back(part);
      }
    } else {
      endsAsFolder = false;
      parts.push_back(part);
    }
    if (last) break;
    start = end + 1;
  }
  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '/';
    result += parts[i];
  }
  if (result.empty()) return ".";
  if (endsAsFolder && result.back() != '/') result += '/';
  return result;
}

std::string MakeAbsolute(std::string_view path, std::string_view base) {
  if (path.empty()) return {};
  if (path.front() == '/') return NormalizePath(path);
  std::string joined(base);
  if (joined.empty() || joined.back() != '/') joined += '/';
  joined += path;
  return NormalizePath(joined);
}

std::string MakeAbsolute(std::string_view path) {
  if (path.empty() || path.front() == '/') return MakeAbsolute(path, "/");
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return NormalizePath(path);
    buffer.resize(buffer.size() * 2);
  }
  return MakeAbsolute(path, buffer.data());
}

std::string XdgProgramFolder(const char* variable, std::string_view fallback) {
  const char* base = std::getenv(variable);
  std::string folder = (base != nullptr && base[0] == '/')
                           ? std::string(base)
                           : WithoutTrailingSlash(HomeFolder()) + "/" + std::string(fallback);
  if (folder.back() != '/') folder += '/';
  return folder + "norra";
}

std::string SettingsFolder() {
  return XdgProgramFolder("XDG_CONFIG_HOME", ".config") + "/";
}

}  // namespace norra
