// A small deterministic number generator for the benchmarks' generated texts.
#pragma once

#include <cstdint>

namespace norra::bench {

// The same sequence on every run and every machine, so every run sees the same text.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed) {}
  unsigned Next(unsigned bound) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>((state_ >> 33) % bound);
  }

 private:
  std::uint64_t state_;
};

}  // namespace norra::bench
