// The folder a folder run works in, held open, and the way down to each of its files without
// following a link: a file or folder that another program turns into a link meanwhile is not
// reached through it.
#pragma once

#include <memory>
#include <string>

#include "text/Descriptor.h"

namespace norra {

class ConfinedFolder {
 public:
  // Opens the folder (its path ends in "/"). Links within that path itself are followed: the
  // user named it.
  explicit ConfinedFolder(std::string folder);

  bool IsOpen() const { return root_ && root_->Get() >= 0; }
  const std::string& Path() const { return path_; }

  // For a path below the folder: the open folder that holds it, reached from the folder one
  // name at a time with no link followed, and its name there. False when the path is not
  // below the folder or a folder on the way is gone or no longer a folder (a link now).
  bool Locate(const std::string& path, std::shared_ptr<const Descriptor>& holder,
              std::string& name);

 private:
  std::string path_;
  std::shared_ptr<const Descriptor> root_;
  // The folder Locate last reached, by its path below the folder: a run visits the files of
  // one folder one after another.
  std::string lastRelative_;
  std::shared_ptr<const Descriptor> last_;
};

}  // namespace norra
