// The new content of a file, written to a temporary file beside it that later takes its place
// in one rename: the steps of an atomic file replacement, for one file or a batch.
#pragma once

#include <fcntl.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/Descriptor.h"
#include "text/FileIo.h"

namespace norra {

// Whether a file name is that of a temporary file made here: "." + the name it replaces +
// ".norra-" + the writer's process id + "-" + random letters + ".tmp" (or the older form
// without process id and ".tmp"). No folder run takes one.
bool IsReplacementTemporaryName(std::string_view fileName);
// The process id such a temporary's name carries; 0 when it carries none.
pid_t ReplacementTemporaryWriter(std::string_view fileName);
// A fresh name of that form for a temporary beside `target` (this process as its writer).
std::string ReplacementTemporaryPath(const std::string& target);
// Removes the temporaries in `folder` (ending in "/") whose writer no longer runs.
void RemoveTemporariesOfEndedWriters(const std::string& folder);

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
  // When a rename could not keep what the old file has (other hard links, an owner or
  // extended attributes the temporary cannot take, a folder that takes no new file), the new
  // content waits in the user's cache folder instead and Replace writes it into the old file.
  FileError Open(const std::string& path);
  // The same for the entry `name` of an open folder (whose path is `folderPath`, ending in
  // "/"), with no link followed: a link there is refused (IsLink), and the temporary, the
  // check for a change and the rename all go through that folder, so a link put anywhere on
  // the path meanwhile cannot lead the write to another file.
  FileError OpenIn(std::shared_ptr<const Descriptor> folder, const std::string& folderPath,
                   const std::string& name);
  // Appends bytes to the temporary file.
  FileError Write(std::string_view bytes);
  // Gives the temporary file the permission bits (and owner, where allowed) of the file it
  // replaces, optionally flushes it to disk, and closes it.
  FileError Finish(bool flush);
  // Renames the finished temporary file over its target. The target's folder is not synced.
  // Written in place, the old content is first copied to a backup in the cache folder, which
  // is removed once the file holds its new content, copied back when writing stopped part-way,
  // and kept only when even that failed (see LeftBackup).
  // With `read`, the state the target had when its old content was read: a target changed
  // since is left alone (Changed) and the temporary discarded. An in-place write has a journal
  // record of its own (see InPlaceWrite) unless `journaled`: the caller's record covers it.
  FileError Replace(const FileIdentity* read = nullptr, bool journaled = false);
  // Removes the temporary file, if any; the target stays as it was.
  void Discard();
  // Opens the finished temporary for reading (to flush it) through the folder it was made in;
  // -1 with errno when it cannot.
  int OpenTemporary() const;

  const std::string& Target() const { return target_; }  // the file that will be replaced
  const std::string& Temporary() const { return temporary_; }
  bool IsOpen() const { return fd_ >= 0; }
  bool IsPending() const { return !temporary_.empty(); }  // written, not yet in place
  bool WritesInPlace() const { return inPlace_; }
  std::uint64_t Written() const { return written_; }  // bytes of new content so far
  // After a failed Replace: the backup holding the old content, when the file may have been
  // changed part-way and could not be given its old content back; else empty.
  const std::string& LeftBackup() const { return leftBackup_; }
  dev_t Device() const { return device_; }  // of the target's folder

  // Flushes the folder holding `file` so that a rename in it survives a crash.
  static void SyncFolderOf(const std::string& file);

  // Where new content and backups of files written in place go: $XDG_CACHE_HOME/norra, else
  // ~/.cache/norra, made when missing; ends in "/". Empty when there is none.
  static std::string BackupFolder();

 private:
  FileError Fail(FileError error);
  FileError OpenTarget(const std::string& path);
  // Creates the temporary in `folder` (ending in "/"), which `at` holds open (or AT_FDCWD);
  // 0 or the errno value.
  int CreateTemporary(const std::string& folder, int at, mode_t mode);
  int FolderFd() const;  // the open folder of OpenIn, else AT_FDCWD
  FileError OpenInPlace();

  std::string target_;
  std::string temporary_;
  int fd_ = -1;
  bool exists_ = false;  // the target existed when opened; its mode and owner follow
  mode_t mode_ = 0;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  dev_t device_ = 0;
  std::uint64_t written_ = 0;
  bool inPlace_ = false;  // the temporary is in the cache folder; Replace writes the old file
  std::string leftBackup_;
  std::shared_ptr<const Descriptor> folder_;  // OpenIn: the target's folder
  std::string name_;                          // OpenIn: the target's name there
  int temporaryAt_ = AT_FDCWD;  // the folder the temporary was made in
};

}  // namespace norra
