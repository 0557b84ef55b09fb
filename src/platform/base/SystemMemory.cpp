#include "platform/base/SystemMemory.h"

#include <malloc.h>
#include <unistd.h>

uint64_t PhysicalMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
}

void ReleaseFreedMemory() { malloc_trim(0); }
