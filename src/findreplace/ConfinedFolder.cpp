// Opening a run's folder once and each sub-folder below it with O_NOFOLLOW.
#include "findreplace/ConfinedFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string_view>
#include <utility>

namespace norra {

ConfinedFolder::ConfinedFolder(std::string folder) : path_(std::move(folder)) {
  if (path_.empty()) return;
  root_ = std::make_shared<const Descriptor>(
      ::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  last_ = root_;
}

bool ConfinedFolder::Locate(const std::string& path, std::shared_ptr<const Descriptor>& holder,
                            std::string& name) {
  if (!IsOpen() || !path.starts_with(path_)) return false;
  const std::string_view relative = std::string_view(path).substr(path_.size());
  const std::size_t slash = relative.rfind('/');
  const std::string_view folder =
      slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash + 1);
  name = std::string(relative.substr(folder.size()));
  if (name.empty()) return false;
  if (!last_ || folder != lastRelative_) {
    last_.reset();
    std::shared_ptr<const Descriptor> at = root_;
    for (std::size_t start = 0; start < folder.size();) {
      const std::size_t end = folder.find('/', start);
      const std::string part(folder.substr(start, end - start));
      start = end + 1;
      if (part.empty() || part == ".") continue;
      // ".." would climb out of the folder; the enumeration never lists it.
      if (part == "..") return false;
      auto next = std::make_shared<const Descriptor>(::openat(
          at->Get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      // O_PATH with O_NOFOLLOW would hand back the link itself: it must be a folder.
      struct stat info {};
      if (next->Get() < 0 || ::fstat(next->Get(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
      at = std::move(next);
    }
    last_ = std::move(at);
    lastRelative_ = std::string(folder);
  }
  holder = last_;
  return true;
}

}  // namespace norra
