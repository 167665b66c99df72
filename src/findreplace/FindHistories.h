// The find and replace histories of the find window, kept across runs in their own file
// beside the settings file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "findreplace/TextHistory.h"

namespace norra {

// The window loads them when it is created, stores through StoreFind and StoreReplace, and
// saves with SaveIfChanged when it hides and when it is destroyed.
class FindHistories {
 public:
  // The histories' file: kFileName in the folder of the settings file.
  static constexpr std::string_view kFileName = "NorraHistory.ini";
  static std::string FilePathBeside(std::string_view settingsPath);

  FindHistories() = default;
  // Histories kept in `path`; nothing is read until Load.
  explicit FindHistories(std::string path) : path_(std::move(path)) {}

  TextHistory Find;
  TextHistory Replace;

  const std::string& Path() const { return path_; }

  // Takes the entries stored in the file. A missing, unreadable or damaged file gives empty
  // histories (entries that cannot be read are dropped); never fails.
  void Load();
  // Writes both histories atomically (CP932, or UTF-8 when CP932 cannot hold an entry's
  // form), creating the settings folder when missing. False when the file could not be
  // written; it then stays as it was.
  bool Save() const;
  // Saves when either history changed since the last Load or Save (see Store).
  bool SaveIfChanged();

  // Store a box's text in its history (see TextHistory::Store), noting the change for
  // SaveIfChanged.
  void StoreFind(std::string_view text) { changed_ |= Find.Store(text); }
  void StoreReplace(std::string_view text) { changed_ |= Replace.Store(text); }
  bool Changed() const { return changed_; }

  // The file's bytes for two lists of entries, and back. Entries are CP932 bytes; each is
  // kept byte for byte, also when it holds line breaks or bytes that are not CP932.
  static std::string Serialize(const std::vector<std::string>& find,
                               const std::vector<std::string>& replace);
  static void Parse(std::string_view bytes, std::vector<std::string>& find,
                    std::vector<std::string>& replace);

 private:
  std::string path_;
  bool changed_ = false;
};

}  // namespace norra
