// Atomic replacement of many files that pays for durability once per batch rather than once
// per file: temporaries are written unflushed, then made durable together, then renamed in
// order, then each folder is synced once. Several files (or old names to remove) go through
// the write journal: a writer killed part-way has its renames finished at the next start, so
// files that swap names never lose a text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "text/FileIo.h"
#include "text/ReplacementFile.h"
#include "text/WriteJournal.h"

namespace norra {

class AtomicWriteBatch {
 public:
  // Up to this many files are flushed one by one; more take one sync of their file system.
  static constexpr std::size_t kFlushEachUpTo = 8;

  AtomicWriteBatch() = default;
  ~AtomicWriteBatch() = default;  // discards whatever was not committed
  AtomicWriteBatch(const AtomicWriteBatch&) = delete;
  AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;

  // Takes a finished, unflushed replacement. `target` says which file it will replace, and
  // when it carries the file's state as read, a file changed since is left alone.
  void Add(ReplacementFile file, const FileIdentity& target);
  // A name that goes once every file of the batch is in place (the old name of a moved file).
  // It stays when a file was not put in place, and when it changed meanwhile.
  void RemoveAfter(const std::string& path);
  // Names, before their temporaries are made, the folders they go to, so that the next start
  // removes them should this writer be killed before it commits.
  FileError Expect(const std::vector<std::string>& folders);
  // Whether a replacement of that file is waiting.
  bool Holds(const FileIdentity& target) const;
  std::size_t Size() const { return files_.size(); }
  bool Empty() const { return files_.empty(); }

  // Makes the waiting temporaries durable, renames them over their targets in the order they
  // were added and syncs their folders. A target another program changed since it was read
  // is left alone (see LeftAlone) and the rest go on. At the first failure, the files before
  // it stay replaced; it and every later one are discarded with their targets untouched.
  // `done` tells how many files were dealt with (replaced or left alone) before a failure, all
  // of them without one. The batch is empty afterwards.
  FileError Commit(std::size_t& done);
  // The places (in the order added) of the files the last Commit left alone because they had
  // changed.
  const std::vector<std::size_t>& LeftAlone() const { return leftAlone_; }
  // After a failed Commit: the backup of the old content of the file that failed, when it was
  // being written in place and may hold part of each; else empty.
  const std::string& LeftBackup() const { return leftBackup_; }
  // Removes every waiting temporary; no target changes.
  void Discard();

 private:
  FileError Flush();
  // The plan the journal records before the first rename; `alone` marks targets that changed
  // since they were read.
  JournalRecord Plan(const std::vector<bool>& alone) const;

  WriteJournal journal_;  // first made, last gone: it outlives the temporaries it names
  std::vector<std::string> folders_;
  std::vector<std::string> removals_;

  std::vector<ReplacementFile> files_;
  std::vector<FileIdentity> targets_;
  std::vector<std::size_t> leftAlone_;
  std::string leftBackup_;
};

}  // namespace norra
