#include "platform/base/SystemMemory.h"

#include <gtest/gtest.h>

TEST(SystemMemory, TheAvailableMemoryIsTheKernelsEstimateNotTheWholeMemory) {
  const std::string meminfo =
      "MemTotal:       24567892 kB\n"
      "MemFree:         1234567 kB\n"
      "HugePages_Total:       0\n"
      "MemAvailable:    2097152 kB\n"
      "Hugepagesize:       2048 kB\n";
  EXPECT_EQ(MemAvailableBytes(meminfo), uint64_t{2} << 30);
  EXPECT_EQ(MemAvailableBytes("MemTotal:       24567892 kB\nMemFree:         1234567 kB\n"), 0u);
  EXPECT_GT(AvailableMemoryBytes(), 0u);
}
