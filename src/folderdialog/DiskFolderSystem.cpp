// Drives and folders on disk for the folder dialog.
#include "folderdialog/DiskFolderSystem.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text/FileIo.h"
#include "text/PathUtil.h"

namespace norra {

namespace {

namespace fs = std::filesystem;

// Mount tables write blanks and backslashes in names as octal escapes ("\040").
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string_view::npos) {
        out +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool Under(std::string_view path, std::string_view folder) {
  return path == folder ||
         (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

}  // namespace

std::vector<FolderDrive> DiskFolderSystem::DrivesOfMountTable(std::string_view table) {
  std::vector<FolderDrive> drives;
  std::size_t pos = 0;
  while (pos < table.size()) {
    std::size_t end = table.find('\n', pos);
    if (end == std::string_view::npos) end = table.size();
    const std::string_view line = table.substr(pos, end - pos);
    pos = end + 1;

    std::vector<std::string_view> fields;
    std::size_t f = 0;
    while (f < line.size() && fields.size() < 3) {
      const std::size_t start = line.find_first_not_of(" \t", f);
      if (start == std::string_view::npos) break;
      std::size_t stop = line.find_first_of(" \t", start);
      if (stop == std::string_view::npos) stop = line.size();
      fields.push_back(line.substr(start, stop - start));
      f = stop;
    }
    if (fields.size() < 3) continue;
    const std::string source = UnescapeMountField(fields[0]);
    std::string point = UnescapeMountField(fields[1]);
    const std::string_view type = fields[2];
    if (point.empty() || point[0] != '/' || point == "/") continue;
    point = WithoutTrailingSlash(point);
    bool system = false;
    for (std::string_view own : {"/proc", "/sys", "/dev", "/boot", "/snap", "/var/snap", "/efi"}) {
      system = system || Under(point, own);
    }
    if (Under(point, "/run") && !Under(point, "/run/media")) system = true;
    if (system) continue;

    FolderIcon kind;
    if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "smbfs" ||
        type == "fuse.sshfs" || type == "sshfs" || type == "afs") {
      kind = FolderIcon::Network;
    } else if (source.starts_with("/dev/") && !source.starts_with("/dev/loop")) {
      if (type == "iso9660" || type == "udf") {
        kind = FolderIcon::CdRom;
      } else if (source.starts_with("/dev/ram") || source.starts_with("/dev/zram")) {
        kind = FolderIcon::RamDisk;
      } else if (Under(point, "/media") || Under(point, "/run/media")) {
        kind = FolderIcon::Removable;
      } else {
        kind = FolderIcon::Fixed;
      }
    } else {
      continue;  // not a real device: proc, tmpfs, overlay, loop-mounted packages ...
    }
    bool seen = false;
    for (const FolderDrive& d : drives) seen = seen || d.path == point;
    if (!seen) drives.push_back({point, kind});
  }
  return drives;
}

std::optional<std::vector<FolderDrive>> DiskFolderSystem::Drives() {
  if (drives_) return drives_;
  std::vector<FolderDrive> drives{{"/", FolderIcon::Fixed}};
  auto add = [&drives](const FolderDrive& drive) {
    for (const FolderDrive& d : drives) {
      if (d.path == drive.path) return;
    }
    drives.push_back(drive);
  };
  const std::string home = WithoutTrailingSlash(HomeFolder());
  if (!home.empty() && home != "/" && norra::IsFolder(home)) add({home, FolderIcon::Fixed});
  std::string table;
  if (ReadWholeFile("/proc/self/mounts", table) == FileError::None) {
    for (const FolderDrive& drive : DrivesOfMountTable(table)) {
      // Some mounts put a single file in place (a container's /etc/hosts).
      if (norra::IsFolder(drive.path)) add(drive);
    }
  }
  return drives;
}

std::vector<std::string> DiskFolderSystem::SubfolderNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;  // links to folders count as folders
    std::string name = it->path().filename().string();
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  return names;
}

bool DiskFolderSystem::IsFolder(const std::string& path) {
  return norra::IsFolder(path);
}

bool DiskFolderSystem::IsFile(const std::string& path) {
  return norra::IsFile(path);
}

bool DiskFolderSystem::CreateFolders(const std::string& path) {
  std::error_code ec;
  fs::create_directories(WithoutTrailingSlash(path), ec);
  return norra::IsFolder(path);
}

}  // namespace norra
