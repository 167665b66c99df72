// Keeping a copy of a settings file under a free ".bak" name, written and flushed in full.
#include "settings/SettingsBackup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace norra {
namespace {

bool WriteAllTo(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return ::fsync(fd) == 0;
}

// So that the copy's name is on disk before the original is replaced.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string KeepSettingsBackup(const std::string& path, std::string_view bytes, int maxNumber) {
  mode_t mode = 0600;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 0777;
  for (int n = 0; n <= maxNumber; ++n) {
    std::string name = path + ".bak";
    if (n > 0) name += "." + std::to_string(n);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return std::string();  // the folder refuses new files: no name will do
    }
    ::fchmod(fd, mode);  // failing, the copy stays private (0600)
    bool ok = WriteAllTo(fd, bytes);
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
      ::unlink(name.c_str());
      return std::string();
    }
    SyncFolderOf(name);
    return name;
  }
  return std::string();
}

}  // namespace norra
