#include "platform/base/JoinableLoops.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/base/WorkerThreads.h"

namespace {

// Threads that join every open loop until told to stop.
class Joiners {
public:
  explicit Joiners(JoinableLoops& loops, int count) {
    for (int i = 0; i < count; ++i)
      threads_.emplace_back([&] {
        while (!stop_.load())
          if (loops.HelpOne()) ++chunksRun_;
      });
  }
  ~Joiners() {
    stop_.store(true);
    for (std::thread& thread : threads_) thread.join();
  }
  int ChunksRun() const { return chunksRun_.load(); }

private:
  std::atomic<bool> stop_{false};
  std::atomic<int> chunksRun_{0};
  std::vector<std::thread> threads_;
};

// Several owners run loops one after the other while other threads join them: every
// chunk of every loop runs once, and some run on the joining threads.
TEST(JoinableLoops, EveryChunkRunsOnceWhateverThreadRunsIt) {
  JoinableLoops loops;
  EXPECT_FALSE(loops.HelpOne());
  std::atomic<int> wrong{0};
  int joined = 0;
  {
    Joiners joiners(loops, 3);
    std::vector<std::thread> owners;
    for (int owner = 0; owner < 3; ++owner)
      owners.emplace_back([&, owner] {
        for (int loop = 0; loop < 300; ++loop) {
          const int chunks = 1 + (loop + owner) % 40;
          std::vector<std::atomic<int>> runs(static_cast<std::size_t>(chunks));
          loops.Run(chunks, [&](int c) {
            for (int spin = 0; spin < 200; ++spin) CpuRelax();
            ++runs[static_cast<std::size_t>(c)];
          });
          for (const auto& count : runs)
            if (count.load() != 1) ++wrong;
        }
      });
    for (std::thread& owner : owners) owner.join();
    joined = joiners.ChunksRun();
  }
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(joined, 0);
  EXPECT_FALSE(loops.HelpOne());
}

// Waits until done() holds; false after five seconds.
template <typename Done>
bool WaitFor(const Done& done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done())
    if (std::chrono::steady_clock::now() > until) return false;
  return true;
}

// A loop whose first chunk waits for a look from another thread ends only when that
// thread joins it; once its chunks are all taken, joining finds nothing, though the
// loop is still open. More loops in a row than there are slots: each frees its slot.
TEST(JoinableLoops, AnotherThreadJoinsAnOpenLoopAndFindsNothingOnceAllIsTaken) {
  JoinableLoops loops;
  for (int round = 0; round < 40; ++round) {
    std::atomic<bool> ownerIn{false}, secondRan{false}, looked{false};
    bool foundMore = true, joined = false;
    std::thread joiner([&] {
      if (!WaitFor([&] { return ownerIn.load(); })) return;
      joined = WaitFor([&] { return loops.HelpOne(); });
      foundMore = loops.HelpOne();
      looked = true;
    });
    bool waited = true;
    loops.Run(2, [&](int c) {
      if (c == 1) {
        secondRan = true;
        return;
      }
      ownerIn = true;
      waited = WaitFor([&] { return looked.load(); });
    });
    joiner.join();
    ASSERT_TRUE(joined && waited) << "round " << round;
    EXPECT_TRUE(secondRan.load());
    EXPECT_FALSE(foundMore) << "round " << round;
  }
}

// More loops open at once than there are slots: those without a slot run alone,
// and all complete.
TEST(JoinableLoops, LoopsBeyondTheSlotsRunInTheirOwnThread) {
  JoinableLoops loops;
  constexpr int kOwners = 40;
  std::atomic<int> started{0}, done{0};
  std::vector<std::thread> owners;
  for (int owner = 0; owner < kOwners; ++owner)
    owners.emplace_back([&] {
      std::atomic<int> runs{0};
      // Chunk 0 waits until every owner has begun, so that all loops are open together.
      loops.Run(4, [&](int c) {
        if (c == 0) {
          ++started;
          while (started.load() < kOwners) std::this_thread::yield();
        }
        ++runs;
      });
      if (runs.load() == 4) ++done;
    });
  for (std::thread& owner : owners) owner.join();
  EXPECT_EQ(done.load(), kOwners);
}

}  // namespace
