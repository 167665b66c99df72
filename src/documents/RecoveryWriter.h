// The thread that writes recovery copies, so that a Page's copy never waits on the disk while
// the user types: the user-interface thread hands over the bytes and goes on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "documents/RecoveryStore.h"

namespace norra {

class RecoveryWriter {
 public:
  // The store must be open and outlive the writer; from now on only the writer's thread
  // touches it, until Stop.
  explicit RecoveryWriter(RecoveryStore& store);
  ~RecoveryWriter() { Stop(); }
  RecoveryWriter(const RecoveryWriter&) = delete;
  RecoveryWriter& operator=(const RecoveryWriter&) = delete;

  // Copy `id` is to become `copy`. A newer copy of the same id replaces one still waiting, so
  // at most two copies of a Page are held: one being written, one waiting.
  void Write(std::uint64_t id, RecoveryCopy copy);
  // Copy `id` goes (after any write of it asked for before).
  void Remove(std::uint64_t id);
  // Waits until everything asked for so far is done.
  void Flush();
  // Does what is waiting, then ends the thread. Nothing is taken afterwards.
  void Stop();

  // The last write that failed (None after a success), for a report.
  FileError LastError() const;
  // Copies written since the start.
  std::uint64_t Written() const;

 private:
  struct Job {
    std::uint64_t id = 0;
    std::optional<RecoveryCopy> copy;  // none: remove
  };
  void Run();

  RecoveryStore& store_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;  // a job or the stop arrived
  std::condition_variable idle_;  // the queue ran empty
  std::deque<Job> jobs_;
  bool busy_ = false;     // a job is being done outside the lock
  bool stopping_ = false;
  FileError lastError_ = FileError::None;
  std::uint64_t written_ = 0;
  std::thread thread_;    // last: starts once everything above exists
};

}  // namespace norra
