// Columns of a file-list row computed from its path.
#include "groups/FileListRow.h"

#include <cstdio>

#include "text/PathUtil.h"

namespace norra {

FileListRow FileListRow::Make(const std::string& path, PageKind kind, Page* page, std::string state,
                              std::size_t number) {
  FileListRow row;
  row.page = page;
  row.number = number;
  row.TakePath(path);
  row.kind = kind;
  row.columns[kState] = std::move(state);
  char id[24];
  std::snprintf(id, sizeof id, "%03zu", number);
  row.columns[kId] = id;
  return row;
}

void FileListRow::TakePath(const std::string& newPath) {
  path = newPath;
  kind = PageKind::File;
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    columns[kName] = path;
    columns[kFolder].clear();
  } else {
    columns[kName] = path.substr(slash + 1);
    columns[kFolder] = slash == 0 ? std::string("/") : path.substr(0, slash);
  }
  columns[kExtension] = ExtensionOf(path);
}

std::string FileListRow::TargetFolder() const {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace norra
