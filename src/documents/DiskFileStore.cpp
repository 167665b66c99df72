// Pages' file operations on the real file system.
#include "documents/DiskFileStore.h"

#include <algorithm>

#include "documents/PageFiles.h"
#include "text/AtomicWriteBatch.h"
#include "text/EditorConfigCharset.h"
#include "text/PathUtil.h"
#include "text/ReplacementFile.h"

namespace norra {

std::int64_t DiskFileStore::QueryFileSize(const std::string& path) { return norra::QueryFileSize(path); }

std::map<std::string, FileIdentity>& DiskFileStore::Known() {
  static std::map<std::string, FileIdentity> known;
  return known;
}

FileError DiskFileStore::Read(const std::string& path, std::string& bytes) {
  FileIdentity identity;
  const FileError error = ReadWholeFile(path, bytes, &identity);
  if (error == FileError::None) Known()[path] = identity;
  return error;
}

FileError DiskFileStore::Write(const std::string& path, std::string_view bytes) {
  auto& states = Known();
  const auto known = states.find(path);
  const FileError error =
      WriteFileAtomic(path, bytes, &leftBackup_, known != states.end() ? &known->second : nullptr);
  if (error != FileError::None) {
    // Reported once: the next write is the user's answer.
    if (error == FileError::Changed) states.erase(known);
    return error;
  }
  FileIdentity written;
  if (IdentifyFile(path, written)) states[path] = written;
  return error;
}

// The files of one WriteTogether: temporaries in a batch, committed through the write journal.
class DiskFileStore::DiskFileSet : public FileSetWrite {
 public:
  explicit DiskFileSet(const std::vector<std::string>& paths) {
    std::vector<std::string> folders;
    for (const std::string& path : paths) {
      const std::string folder = FolderPart(path);
      if (std::find(folders.begin(), folders.end(), folder) == folders.end())
        folders.push_back(folder);
    }
    expected_ = batch_.Expect(folders);
  }

  FileError Add(const std::string& path, std::string_view bytes,
                const std::string& removeAfter) override {
    if (expected_ != FileError::None) return expected_;
    // What cannot be written at all (a folder, no permission) is said before a change on disk,
    // as a single write says it.
    ReplacementFile file;
    FileError error = file.Open(path);
    if (error != FileError::None) return error;
    auto& states = Known();
    const auto known = states.find(path);
    FileIdentity now;
    // A file gone since is written anew, as a single write does.
    if (known != states.end() && IdentifyFile(path, now)) {
      if (!IsFileUnchanged(path, known->second)) {
        states.erase(known);  // reported once: the next write is the user's answer
        return FileError::Changed;
      }
    }
    error = file.Write(bytes);
    if (error == FileError::None) error = file.Finish(false);
    if (error != FileError::None) return error;
    // Checked here, before anything is in place: the set is written as a whole.
    batch_.Add(std::move(file), FileIdentity{});
    paths_.push_back(path);
    if (!removeAfter.empty()) batch_.RemoveAfter(removeAfter);
    return FileError::None;
  }

  FileError Commit(std::size_t& done) override {
    const std::vector<std::string> paths = std::move(paths_);
    paths_.clear();
    const FileError error = batch_.Commit(done);
    leftBackup_ = batch_.LeftBackup();
    auto& states = Known();
    for (std::size_t i = 0; i < done && i < paths.size(); ++i) {
      FileIdentity written;
      if (IdentifyFile(paths[i], written)) states[paths[i]] = written;
    }
    return error;
  }

  std::string LeftBackup() const override { return leftBackup_; }

 private:
  AtomicWriteBatch batch_;
  FileError expected_ = FileError::None;
  std::vector<std::string> paths_;
  std::string leftBackup_;
};

std::unique_ptr<FileSetWrite> DiskFileStore::WriteTogether(const std::vector<std::string>& paths) {
  return std::make_unique<DiskFileSet>(paths);
}

bool DiskFileStore::KnownState(const std::string& path, FileIdentity& state) {
  const auto& states = Known();
  const auto known = states.find(path);
  if (known == states.end()) return false;
  state = known->second;
  return true;
}

bool DiskFileStore::Exists(const std::string& path) { return IsFile(path) || IsFolder(path); }

std::optional<FileEncoding> DiskFileStore::ConfiguredEncoding(const std::string& path) {
  return EditorConfigEncoding(path);
}

}  // namespace norra
