// The machine's memory as the program sees it.
#pragma once

#include <cstdint>

// The physical memory of the machine, in bytes.
uint64_t PhysicalMemoryBytes();

// Gives memory freed by the program back to the system, so that a process
// that held a large working set for a while does not keep it resident.
void ReleaseFreedMemory();
