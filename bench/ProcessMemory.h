// The benchmark process's own memory: the peak and the present resident size, in KB.
#pragma once

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace norra::bench {

inline long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

inline long CurrentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace norra::bench
