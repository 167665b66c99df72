// What the folder selection dialog needs of the file system: the drives, the sub-folders of a
// folder, the folder test and the creation of a folder with its parents.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace norra {

// The dialog's images, by index; a drive's kind is the index of its image.
enum class FolderIcon : int {
  Root = 0,            // the one top node
  Folder = 1,          // a folder, not selected
  FolderSelected = 2,  // a folder, selected
  UnknownDrive = 3,    // a drive of unknown type
  Removable = 4,       // a removable volume
  Fixed = 5,           // a fixed disk (also "/" and the home folder)
  Network = 6,         // a network file system
  CdRom = 7,           // an optical disc
  RamDisk = 8,         // a RAM disk
};

struct FolderDrive {
  std::string path;  // absolute, without a trailing "/" except for "/" itself
  FolderIcon kind = FolderIcon::Fixed;

  bool operator==(const FolderDrive&) const = default;
};

class FolderSystem {
 public:
  virtual ~FolderSystem() = default;
  // The drives the tree starts from; none when they cannot be listed.
  virtual std::optional<std::vector<FolderDrive>> Drives() = 0;
  // Names of the folders inside `folder` (which ends in "/"), in the order the system lists
  // them, without "." and ".."; empty when it cannot be read.
  virtual std::vector<std::string> SubfolderNames(const std::string& folder) = 0;
  // Whether the path (one trailing "/" allowed) names an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;
  // Whether the path names an existing entry that is not a folder (a file, a device ...).
  virtual bool IsFile(const std::string& path) = 0;
  // Creates the folder with every missing parent; true when it exists afterwards.
  virtual bool CreateFolders(const std::string& path) = 0;
};

}  // namespace norra
