// Figures of a running process read from /proc, for the benchmarks.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace benchproc {

// The number after AKey ("VmRSS:", "Threads:") in /proc/PID/status, or -1.
inline long StatusValue(int APid, const std::string& AKey) {
  std::ifstream in("/proc/" + std::to_string(APid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(AKey, 0) == 0) return std::atol(line.c_str() + AKey.size());
  return -1;
}

inline long ResidentKB(int APid) {
  return StatusValue(APid, "VmRSS:");
}
inline int Threads(int APid) {
  return static_cast<int>(StatusValue(APid, "Threads:"));
}

}  // namespace benchproc
