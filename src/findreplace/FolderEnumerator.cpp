// File enumeration for the folder command.
#include "findreplace/FolderEnumerator.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "text/FileMask.h"
#include "text/ReplacementFile.h"

namespace norra {

namespace {

namespace fs = std::filesystem;

// The file system's listing rules: only "*" and "?" are special; "*.*" means every name,
// also one without a dot.
FileMask ListingMask(std::string_view maskCp932) {
  if (maskCp932 == "*.*") maskCp932 = "*";
  return FileMask(maskCp932, FileMask::Syntax::Wildcard);
}

struct FolderEntries {
  std::vector<std::string> files;    // names, sorted
  std::vector<std::string> folders;  // names, sorted
  bool readable = true;              // false when the folder could not be listed (in full)
};

FolderEntries ListFolder(const std::string& folder) {
  FolderEntries entries;
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder), ec);
  if (ec) {
    entries.readable = false;
    return entries;
  }
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) {
      entries.readable = false;
      break;
    }
    const fs::directory_entry& entry = *it;
    std::string name = entry.path().filename().string();
    if (IsReplacementTemporaryName(name))
      continue;  // another save's work in progress, or a leftover
    std::error_code typeEc;
    // Links are left alone, to files as to folders: a link may lead anywhere, and whoever runs
    // the command must not write through it to a file outside the folder (nor walk round a
    // cycle of linked folders).
    if (entry.is_symlink(typeEc)) continue;
    if (entry.is_directory(typeEc)) {
      entries.folders.push_back(std::move(name));
    } else if (entry.is_regular_file(typeEc)) {
      // Devices, pipes and sockets are left alone: reading one could block or never end.
      entries.files.push_back(std::move(name));
    }
  }
  // Directory order is arbitrary on Linux; name order makes runs repeatable.
  std::sort(entries.files.begin(), entries.files.end());
  std::sort(entries.folders.begin(), entries.folders.end());
  return entries;
}

void Enumerate(const std::string& folder, const std::vector<FileMask>& masks, bool recurse,
               std::vector<std::string>& out, int& unreadable) {
  FolderEntries entries = ListFolder(folder);
  if (!entries.readable) ++unreadable;
  std::vector<FileMask::NameCodes> names;
  names.reserve(entries.files.size());
  for (const std::string& name : entries.files) names.push_back(FileMask::CodesOfUtf8Name(name));

  // Each entry once, even when several masks match it. Names that differ only in case are
  // different files here and each is listed.
  std::vector<bool> taken(entries.files.size(), false);
  for (const FileMask& mask : masks) {
    for (std::size_t i = 0; i < entries.files.size(); ++i) {
      if (taken[i] || !mask.MatchesCodes(names[i])) continue;
      out.push_back(folder + entries.files[i]);
      taken[i] = true;
    }
  }
  if (!recurse) return;
  for (const std::string& sub : entries.folders)
    Enumerate(folder + sub + "/", masks, true, out, unreadable);
}

}  // namespace

bool WildcardMatch(std::string_view maskCp932, std::string_view nameUtf8) {
  return ListingMask(maskCp932).MatchesUtf8Name(nameUtf8);
}

std::vector<std::string> EnumerateFolderFiles(const std::string& folder,
                                              const std::vector<std::string>& masksCp932,
                                              bool recurse, int* unreadableFolders) {
  std::vector<FileMask> masks;
  masks.reserve(masksCp932.size());
  for (const std::string& m : masksCp932) masks.push_back(ListingMask(m));
  std::vector<std::string> out;
  int unreadable = 0;
  Enumerate(folder, masks, recurse, out, unreadable);
  if (unreadableFolders != nullptr) *unreadableFolders = unreadable;
  return out;
}

}  // namespace norra
