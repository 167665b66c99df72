// A Page's removed texts that its undo records refer to, newest at the end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norra {

// Records take their texts back from the end (undo) and the oldest ones leave from the front
// (trimming); the front is dropped lazily so trimming never shifts the whole buffer per record.
class UndoTextBuffer {
 public:
  void Append(std::string_view text) { data_.append(text); }
  // Removes the last `length` bytes and returns them (fewer when the buffer is shorter).
  std::string TakeBack(std::size_t length);
  // Forgets the first `length` bytes.
  void DropFront(std::size_t length);
  void Clear();

  std::size_t Size() const { return data_.size() - head_; }
  std::string_view View() const { return std::string_view(data_).substr(head_); }
  // Bytes held in memory, including the dropped front not yet given back.
  std::size_t Footprint() const { return data_.capacity(); }

 private:
  std::string data_;
  std::size_t head_ = 0;  // bytes at the front already dropped
};

}  // namespace norra
