// The new content of a file, written to a temporary file beside it that later takes its place
// in one rename: the steps of an atomic file replacement, for one file or a batch.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "text/FileIo.h"

namespace norra {

// Whether a file name is that of a temporary file made here: "." + the name it replaces +
// ".norra-" + the writer's process id + "-" + random letters + ".tmp". No folder run takes one.
bool IsReplacementTemporaryName(std::string_view fileName);

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile();  // discards a temporary file that did not take its target's place
  ReplacementFile(ReplacementFile&& other) noexcept;
  ReplacementFile& operator=(ReplacementFile&& other) noexcept;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary file for `path`: a symbolic link is followed to the file it names
  // (the link stays), a folder, device or a file the caller may not write is refused, and
  // a file that does not exist yet may be created. The temporary is readable by no one the
  // old file's permissions keep out. Temporaries of killed writers in that folder are removed
  // (once per folder and process).
  FileError Open(const std::string& path);
  // Appends bytes to the temporary file.
  FileError Write(std::string_view bytes);
  // Gives the temporary file the permission bits (and owner, where allowed) of the file it
  // replaces, optionally flushes it to disk, and closes it.
  FileError Finish(bool flush);
  // Renames the finished temporary file over its target. The target's folder is not synced.
  // With `read`, the state the target had when its old content was read: a target changed
  // since is left alone (Changed) and the temporary discarded.
  FileError Replace(const FileIdentity* read = nullptr);
  // Removes the temporary file, if any; the target stays as it was.
  void Discard();

  const std::string& Target() const { return target_; }  // the file that will be replaced
  const std::string& Temporary() const { return temporary_; }
  bool IsOpen() const { return fd_ >= 0; }
  bool IsPending() const { return !temporary_.empty(); }  // written, not yet in place
  dev_t Device() const { return device_; }                // of the target's folder

  // Flushes the folder holding `file` so that a rename in it survives a crash.
  static void SyncFolderOf(const std::string& file);

 private:
  FileError Fail(FileError error);

  std::string target_;
  std::string temporary_;
  int fd_ = -1;
  bool exists_ = false;  // the target existed when opened; its mode and owner follow
  mode_t mode_ = 0;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  dev_t device_ = 0;
};

}  // namespace norra
