// The machine's memory as the program sees it.
#pragma once

#include <cstdint>
#include <string>

// The memory the program can still take, in bytes: the kernel's estimate of the
// memory available to new work (MemAvailable in /proc/meminfo), which leaves out
// what this program and the others already hold; the free physical memory where
// the kernel gives no estimate.
uint64_t AvailableMemoryBytes();

// MemAvailable of the text of /proc/meminfo, in bytes; 0 when it has none.
uint64_t MemAvailableBytes(const std::string& meminfo);

// Gives memory freed by the program back to the system, so that a process
// that held a large working set for a while does not keep it resident.
void ReleaseFreedMemory();
