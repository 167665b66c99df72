// The recovery copies' writer thread and its queue.
#include "documents/RecoveryWriter.h"

#include <algorithm>
#include <utility>

namespace norra {

RecoveryWriter::RecoveryWriter(RecoveryStore& store) : store_(store), thread_([this] { Run(); }) {}

void RecoveryWriter::Write(std::uint64_t id, RecoveryCopy copy) {
  std::optional<RecoveryCopy> old;  // freed outside the lock
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    const auto waiting = std::find_if(jobs_.begin(), jobs_.end(),
                                      [id](const Job& job) { return job.id == id && job.copy; });
    if (waiting != jobs_.end()) {
      old = std::exchange(waiting->copy, std::move(copy));
    } else {
      jobs_.push_back({id, std::move(copy)});
    }
  }
  wake_.notify_one();
}

void RecoveryWriter::Remove(std::uint64_t id) {
  std::deque<Job> dropped;
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    for (auto it = jobs_.begin(); it != jobs_.end();) {
      if (it->id == id) {
        dropped.push_back(std::move(*it));
        it = jobs_.erase(it);
      } else {
        ++it;
      }
    }
    jobs_.push_back({id, std::nullopt});
  }
  wake_.notify_one();
}

void RecoveryWriter::Flush() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void RecoveryWriter::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

FileError RecoveryWriter::LastError() const {
  const std::lock_guard lock(mutex_);
  return lastError_;
}

std::uint64_t RecoveryWriter::Written() const {
  const std::lock_guard lock(mutex_);
  return written_;
}

void RecoveryWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) break;  // stopping, with nothing left
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    FileError error = FileError::None;
    const bool write = job.copy.has_value();
    if (write) {
      error = store_.Write(job.id, *job.copy);
    } else {
      store_.Remove(job.id);
    }
    job.copy.reset();
    lock.lock();
    busy_ = false;
    if (write) {
      lastError_ = error;
      if (error == FileError::None) ++written_;
    }
    if (jobs_.empty()) idle_.notify_all();
  }
  busy_ = false;
  idle_.notify_all();
}

}  // namespace norra
