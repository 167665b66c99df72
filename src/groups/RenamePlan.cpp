// The save-as-all plan's rules: duplicates, the extension rule and the base-name selection.
#include "groups/RenamePlan.h"

#include <algorithm>

namespace norra {

namespace {

std::size_t NameStart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// The last "." of the file name, or npos.
std::size_t NameDot(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return dot != std::string::npos && dot >= NameStart(path) ? dot : std::string::npos;
}

}  // namespace

bool RenamePlan::TakenByOther(const std::string& path, std::size_t row) const {
  for (std::size_t i = 0; i < planned.size(); ++i) {
    if (i != row && planned[i] == path) return true;
  }
  return false;
}

std::string RenamePlan::NormalExtension(const std::string& typed) {
  return typed.find('.') == std::string::npos ? "." + typed : typed;
}

std::string RenamePlan::Propose(const std::string& path, ExtensionRule rule,
                                const std::string& extension) {
  const std::size_t dot = NameDot(path);
  switch (rule) {
    case ExtensionRule::AddIfMissing:
      return dot == std::string::npos ? path + extension : path;
    case ExtensionRule::Replace:
      return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
    case ExtensionRule::Keep:
      break;
  }
  return path;
}

std::pair<std::size_t, std::size_t> RenamePlan::BaseName(const std::string& path) {
  const std::size_t start = NameStart(path);
  const std::size_t dot = NameDot(path);
  return {start, (dot == std::string::npos ? path.size() : dot) - start};
}

bool RenamePlan::HasFolder(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

std::string RenamePlan::FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace norra
