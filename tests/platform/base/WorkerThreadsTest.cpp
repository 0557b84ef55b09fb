#include "platform/base/WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
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

// The helpers are started once: many calls run on the same few threads, the
// count may change between calls, and calls made from a task or from another
// thread while one runs still run every task.
TEST(WorkerThreads, HelpersAreReusedAndNestedOrConcurrentCallsComplete) {
  std::mutex lock;
  std::set<std::thread::id> seen;
  for (int call = 0; call < 200; ++call) {
    SetWorkerThreadCount(call % 2 == 0 ? 3 : 2);
    std::atomic<int> sum{0};
    ParallelFor(30, 1e6, [&](int i) {
      {
        const std::lock_guard<std::mutex> guard(lock);
        seen.insert(std::this_thread::get_id());
      }
      sum += i;
    });
    ASSERT_EQ(sum.load(), 30 * 29 / 2);
  }
  EXPECT_LE(seen.size(), 3u);  // the caller and at most two helpers

  SetWorkerThreadCount(4);
  std::atomic<int> inner{0};
  ParallelFor(8, 1e6, [&](int) { ParallelFor(5, 1e6, [&](int) { ++inner; }); });
  EXPECT_EQ(inner.load(), 40);

  std::atomic<int> both{0};
  std::thread other([&] {
    for (int r = 0; r < 50; ++r) ParallelFor(10, 1e6, [&](int) { ++both; });
  });
  for (int r = 0; r < 50; ++r) ParallelFor(10, 1e6, [&](int) { ++both; });
  other.join();
  EXPECT_EQ(both.load(), 1000);
  SetWorkerThreadCount(0);
}

}  // namespace
