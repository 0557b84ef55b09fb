#include "platform/base/WorkerThreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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

// With T threads, T tasks that each wait until all T have started finish only when
// they run side by side (a task gives up after five seconds and reports it); a job
// too small to be worth a helper stays on the calling thread; the count left to the
// machine is its core count.
TEST(WorkerThreads, TasksRunSideBySideAndSmallJobsStayOnTheCaller) {
  for (int threads : {2, 3, 2}) {
    SetWorkerThreadCount(threads);
    for (int round = 0; round < 20; ++round) {
      std::atomic<int> arrived{0};
      std::atomic<int> gaveUp{0};
      ParallelFor(threads, 1e6, [&](int) {
        ++arrived;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (arrived.load() < threads)
          if (std::chrono::steady_clock::now() > deadline) {
            ++gaveUp;
            return;
          }
      });
      ASSERT_EQ(gaveUp.load(), 0) << threads << " threads, round " << round;
    }
  }
  SetWorkerThreadCount(4);
  std::mutex lock;
  std::set<std::thread::id> seen;
  ParallelFor(4, 10.0, [&](int) {
    const std::lock_guard<std::mutex> guard(lock);
    seen.insert(std::this_thread::get_id());
  });
  EXPECT_EQ(seen, std::set<std::thread::id>{std::this_thread::get_id()});
  SetWorkerThreadCount(0);
  EXPECT_EQ(WorkerThreadCount(), std::max(1, static_cast<int>(std::thread::hardware_concurrency())));
}

// The calling thread runs its own function while the helpers run theirs side by
// side, each with an index of its own; the call returns only when every helper
// that began has returned, and an exception of the caller's function comes back
// once they have.
TEST(WorkerThreads, RunBesideRunsTheCallersLoopBesideIndexedHelpers) {
  for (int round = 0; round < 50; ++round) {
    const int helpers = 1 + round % 3;
    std::mutex lock;
    std::set<int> indices;
    std::set<std::thread::id> threads;
    std::atomic<int> arrived{0}, finished{0};
    std::atomic<bool> stop{false};
    std::thread::id own;
    RunBeside(
        helpers,
        [&](int index) {
          {
            const std::lock_guard<std::mutex> guard(lock);
            EXPECT_TRUE(indices.insert(index).second);
            threads.insert(std::this_thread::get_id());
          }
          ++arrived;
          while (!stop.load()) std::this_thread::yield();
          std::this_thread::sleep_for(std::chrono::microseconds(200));
          ++finished;
        },
        [&] {
          own = std::this_thread::get_id();
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
          while (arrived.load() < helpers && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
          stop.store(true);
        });
    EXPECT_EQ(own, std::this_thread::get_id());
    ASSERT_EQ(arrived.load(), helpers) << "round " << round;  // side by side
    EXPECT_EQ(finished.load(), helpers);                      // all waited for
    EXPECT_EQ(*indices.rbegin(), helpers - 1);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
  }

  std::atomic<bool> stop{false};
  std::atomic<int> running{0};
  try {
    RunBeside(
        2,
        [&](int) {
          ++running;
          while (!stop.load()) std::this_thread::yield();
          --running;
        },
        [&] {
          struct StopOnExit {
            std::atomic<bool>& stop;
            ~StopOnExit() { stop.store(true); }
          } guard{stop};
          throw std::runtime_error("own");
        });
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "own");
  }
  EXPECT_EQ(running.load(), 0);

  // Inside a task of a running job the pool is busy: the caller's function runs alone.
  SetWorkerThreadCount(3);
  std::atomic<int> helperCalls{0}, ownCalls{0};
  ParallelFor(3, 1e6, [&](int) { RunBeside(2, [&](int) { ++helperCalls; }, [&] { ++ownCalls; }); });
  EXPECT_EQ(ownCalls.load(), 3);
  EXPECT_EQ(helperCalls.load(), 0);
  // No helpers asked for: the same.
  RunBeside(0, [&](int) { ++helperCalls; }, [&] { ++ownCalls; });
  EXPECT_EQ(ownCalls.load(), 4);
  EXPECT_EQ(helperCalls.load(), 0);
  SetWorkerThreadCount(0);
}

}  // namespace

namespace {

// Increments under the lock from several threads are never lost.
TEST(WorkerThreads, SpinLockExcludes) {
  SpinLock lock;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 100000; ++i) {
        const std::lock_guard<SpinLock> guard(lock);
        ++counter;
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 400000);
}

}  // namespace
