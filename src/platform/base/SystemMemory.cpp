#include "platform/base/SystemMemory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

uint64_t FreePhysicalMemoryBytes() {
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
}

}  // namespace

uint64_t MemAvailableBytes(const std::string& meminfo) {
  std::istringstream lines(meminfo);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string name;
    uint64_t kilobytes = 0;
    std::string unit;
    if (fields >> name >> kilobytes >> unit && name == "MemAvailable:" && unit == "kB") return kilobytes * 1024;
  }
  return 0;
}

uint64_t AvailableMemoryBytes() {
  std::ifstream file("/proc/meminfo");
  std::stringstream text;
  text << file.rdbuf();
  const uint64_t available = MemAvailableBytes(text.str());
  return available > 0 ? available : FreePhysicalMemoryBytes();
}

void ReleaseFreedMemory() { malloc_trim(0); }
