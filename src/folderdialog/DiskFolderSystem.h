// The folder dialog's file system on disk: "/", the home folder and the mounted volumes of
// real devices as drives.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "folderdialog/FolderSystem.h"

namespace norra {

class DiskFolderSystem : public FolderSystem {
 public:
  // Drives from the system: "/", the home folder and the mount table's volumes.
  DiskFolderSystem() = default;
  // Exactly these drives (tests and tools that show one tree).
  explicit DiskFolderSystem(std::vector<FolderDrive> drives) : drives_(std::move(drives)) {}

  std::optional<std::vector<FolderDrive>> Drives() override;
  std::vector<std::string> SubfolderNames(const std::string& folder) override;
  bool IsFolder(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  bool CreateFolders(const std::string& path) override;

  // The drives of a mount table (the text of /proc/self/mounts): volumes of real devices and
  // network file systems, with their kinds; "/" itself and the system's own mounts (/proc,
  // /sys, /dev, /run except removable media, /boot, /snap) are left out. Each mount point once.
  static std::vector<FolderDrive> DrivesOfMountTable(std::string_view table);

 private:
  std::optional<std::vector<FolderDrive>> drives_;
};

}  // namespace norra
