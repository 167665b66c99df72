// A hash map kept in one array (open addressing, linear probing) for the matcher's memory of
// states: no allocation per entry, and lookups that touch one or two cache lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace norra {

template <typename Key, typename Value, typename Hash>
class FlatHashMap {
 public:
  std::size_t Size() const { return size_; }
  std::size_t Capacity() const { return slots_.size(); }
  bool Empty() const { return size_ == 0; }

  // The value stored for key, or nullptr.
  const Value* Find(const Key& key) const {
    if (size_ == 0) return nullptr;
    for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
      const Slot& slot = slots_[i];
      if (!slot.used) return nullptr;
      if (slot.key == key) return &slot.value;
    }
  }

  // The value stored for key, a default one inserted when there is none.
  Value& operator[](const Key& key) {
    if ((size_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 64 : slots_.size() * 2);
    for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
      Slot& slot = slots_[i];
      if (!slot.used) {
        slot.used = true;
        slot.key = key;
        slot.value = Value{};
        ++size_;
        return slot.value;
      }
      if (slot.key == key) return slot.value;
    }
  }

  // Empties the map; a large array is given back rather than wiped slot by slot.
  void Clear() {
    if (slots_.size() > 4096) {
      std::vector<Slot>().swap(slots_);
    } else {
      for (Slot& slot : slots_) slot.used = false;
    }
    size_ = 0;
  }

  // Removes every entry for which remove(key, value) holds. The array keeps its size, so a
  // map that is pruned again and again does not allocate again and again.
  template <typename Predicate>
  void EraseIf(Predicate remove) {
    std::vector<Slot> kept;
    for (Slot& slot : slots_) {
      if (slot.used && !remove(slot.key, slot.value)) kept.push_back(std::move(slot));
      slot.used = false;
    }
    size_ = 0;
    for (Slot& slot : kept) Insert(std::move(slot));
  }

 private:
  struct Slot {
    Key key{};
    Value value{};
    bool used = false;
  };

  std::size_t Mask() const { return slots_.size() - 1; }
  std::size_t Home(const Key& key) const {
    // Mixed again, so that the low bits the mask keeps depend on every bit of the hash.
    std::uint64_t h = static_cast<std::uint64_t>(Hash{}(key));
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    return static_cast<std::size_t>(h) & Mask();
  }
  void Insert(Slot&& moved) {
    std::size_t i = Home(moved.key);
    while (slots_[i].used) i = (i + 1) & Mask();
    slots_[i] = std::move(moved);
    ++size_;
  }
  void Rehash(std::size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    size_ = 0;
    for (Slot& slot : old) {
      if (slot.used) Insert(std::move(slot));
    }
  }

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::size_t size_ = 0;
};

}  // namespace norra
