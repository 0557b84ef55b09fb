#include "platform/base/WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(WorkerThreads, EveryTaskRunsOnceAndTheLowestFailureIsRethrown) {
  for (int threads : {1, 4}) {
    SetWorkerThreadCount(threads);
    EXPECT_EQ(WorkerThreadCount(), threads);
    std::vector<std::atomic<int>> runs(1000);
    ParallelFor(1000, 1e6, [&](int i) { ++runs[static_cast<std::size_t>(i)]; });
    for (const auto& count : runs) EXPECT_EQ(count.load(), 1);
    std::atomic<int> ran{0};
    try {
      ParallelFor(100, 1e6, [&](int i) {
        ++ran;
        if (i % 10 == 7) throw std::runtime_error(std::to_string(i));
      });
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "7");
    }
    EXPECT_EQ(ran.load(), 100);  // the others still ran
  }
  SetWorkerThreadCount(0);
  EXPECT_GE(WorkerThreadCount(), 1);
}

}  // namespace
