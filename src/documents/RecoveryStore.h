// Recovery copies of unsaved Pages in the user's state folder. Every running Norra keeps its
// copies in a folder of its own, locked while it runs; copies in a folder whose lock is free
// were left by a Norra that ended without removing them (a crash, a kill, a power cut).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "documents/Page.h"
#include "text/FileEncoding.h"
#include "text/FileIo.h"

namespace norra {

// One Page as a copy holds it.
struct RecoveryCopy {
  std::string path;                  // FilePath: the full path, or the untitled name
  PageKind kind = PageKind::Untitled;
  FileEncoding encoding;             // the file's encoding: the bytes are held in its charset
  bool lfLineBreaks = false;         // the text holds CR LF and its file is written with LF
  std::int64_t time = 0;             // when the copy was taken, seconds since the epoch
  std::string text;                  // the Page's bytes exactly as it held them
  friend bool operator==(const RecoveryCopy&, const RecoveryCopy&) = default;
};

// A copy as a file holds it; nothing when the text is cut short, altered or not a copy.
std::string FormatRecoveryCopy(const RecoveryCopy& copy);
bool ParseRecoveryCopy(std::string_view bytes, RecoveryCopy& copy);

// This run's copies. Only the owner's writer thread calls Write and Remove.
class RecoveryStore {
 public:
  // `root` holds one folder per run (made when missing, 0700).
  explicit RecoveryStore(std::string root);
  // The lock goes; the copies stay for the next start unless RemoveAll ran.
  ~RecoveryStore();
  RecoveryStore(const RecoveryStore&) = delete;
  RecoveryStore& operator=(const RecoveryStore&) = delete;

  // $XDG_STATE_HOME/norra/recovery/ (else ~/.local/state/norra/recovery/), beside the write
  // journal's records.
  static std::string DefaultRoot();

  // Makes this run's folder and locks it. Until it succeeds, nothing is written.
  FileError Open();
  bool IsOpen() const { return lock_ >= 0; }
  // This run's folder, ending in "/"; empty before Open.
  const std::string& Folder() const { return folder_; }

  // Replaces copy `id` atomically (temporary, flush, rename, folder flushed), 0600.
  FileError Write(std::uint64_t id, const RecoveryCopy& copy);
  void Remove(std::uint64_t id);
  // The run ended normally: every copy, the lock and the folder go.
  void RemoveAll();

  // Tests only: called after each piece of a copy reaches its temporary file, with the bytes
  // written so far, so that a kill test can stop the writer half-way.
  void SetWriteProgress(std::function<void(std::size_t written)> progress) {
    progress_ = std::move(progress);
  }

 private:
  std::string root_;
  std::string folder_;
  int lock_ = -1;
  std::function<void(std::size_t)> progress_;
};

// A copy an ended run left, with the file that holds it.
struct RecoverableCopy {
  std::string file;
  RecoveryCopy copy;
};

// The copies of ended runs, taken over for as long as this object lives: it holds their locks,
// so a second Norra starting meanwhile leaves them alone. Copies are oldest first.
class RecoveryClaim {
 public:
  RecoveryClaim() = default;
  ~RecoveryClaim() { Release(); }
  RecoveryClaim(RecoveryClaim&& other) noexcept;
  RecoveryClaim& operator=(RecoveryClaim&& other) noexcept;
  RecoveryClaim(const RecoveryClaim&) = delete;
  RecoveryClaim& operator=(const RecoveryClaim&) = delete;

  // Takes every folder of `root` whose run ended. Copies that cannot be read whole are skipped
  // (and stay); temporaries of unfinished writes go.
  static RecoveryClaim Take(const std::string& root);

  const std::vector<RecoverableCopy>& Copies() const { return copies_; }
  bool Empty() const { return copies_.empty(); }
  // The copy is no longer needed (restored elsewhere, or discarded): its file goes.
  void Discard(std::size_t index);
  // Gives the folders back: those left without copies go, the rest wait for the next start.
  void Release();

 private:
  struct Folder {
    std::string path;  // ends in "/"
    int lock = -1;
  };
  std::vector<Folder> folders_;
  std::vector<RecoverableCopy> copies_;
  std::vector<bool> discarded_;
};

}  // namespace norra
