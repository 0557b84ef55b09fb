// The process's memory as /proc reports it, for benchmarks.
#pragma once

#include <fstream>
#include <string>

namespace benchsupport {

// A field of /proc/self/status in kB ("VmHWM:", "VmRSS:"), as MB.
inline double StatusMB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string name(field);
  while (std::getline(status, line))
    if (line.rfind(name, 0) == 0) return std::stod(line.substr(name.size())) / 1024.0;
  return 0.0;
}

// Starts the peak resident memory afresh.
inline void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
// The peak resident memory since the last ResetPeakMemory, in MB.
inline double PeakMemoryMB() { return StatusMB("VmHWM:"); }
inline double ResidentMB() { return StatusMB("VmRSS:"); }

}  // namespace benchsupport
