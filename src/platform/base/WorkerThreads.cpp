#include "platform/base/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> chosenCount{0};

// How long a helper that has finished a job looks for the next one before it
// sleeps: a search hands out a batch every few hundred microseconds and a genetic
// algorithm a generation every few milliseconds, and a wake-up from sleep costs
// tens of microseconds of the caller's time.
constexpr std::chrono::microseconds kHelperSpin{200};
// How long the calling thread waits for its helpers to leave before it sleeps.
constexpr std::chrono::microseconds kCallerSpin{100};

// Spins until done() holds or the time is up; returns done().
template <typename Done>
bool SpinUntil(const Done& done, std::chrono::microseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    for (int i = 0; i < 16; ++i) {
      if (done()) return true;
      CpuRelax();
    }
    if (std::chrono::steady_clock::now() >= until) return done();
  }
}

// What the helpers of one call run.
class Job {
public:
  virtual ~Job() = default;
  virtual void Help(int index) = 0;
};

// One ParallelFor's tasks, taken by index by the calling thread and the helpers.
class TaskJob final : public Job {
public:
  TaskJob(int count, const std::function<void(int)>& task) : count_(count), task_(task) {}

  void Help(int) override { Work(); }
  void Work() {
    for (int i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) {
      try {
        task_(i);
      } catch (...) {
        const std::lock_guard<std::mutex> guard(failureLock_);
        if (i < failedIndex_) {
          failedIndex_ = i;
          failure_ = std::current_exception();
        }
      }
    }
  }
  void RethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

private:
  const int count_;
  const std::function<void(int)>& task_;
  std::atomic<int> next_{0};
  std::mutex failureLock_;
  int failedIndex_ = count_;
  std::exception_ptr failure_;
};

// RunBeside's helper function.
class BesideJob final : public Job {
public:
  explicit BesideJob(const std::function<void(int)>& helper) : helper_(helper) {}
  void Help(int index) override { helper_(index); }

private:
  const std::function<void(int)>& helper_;
};

// Helper threads started once and kept for the next jobs: a helper that finishes
// one spins a little before it sleeps, so that jobs in quick succession cost no
// wake-up. One job runs at a time; a call that finds the pool busy (a task's own,
// or another thread's) works alone. A spinning helper joins a job without a lock:
// the entry count admits helpers until the caller closes it.
class Pool {
public:
  ~Pool() {
    {
      const std::lock_guard<std::mutex> guard(lock_);
      stopping_.store(true);
      generation_.fetch_add(1);
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
  }

  bool TryAcquire() {
    bool idle = false;
    return running_.compare_exchange_strong(idle, true);
  }
  void Release() { running_.store(false); }

  // With the pool acquired: runs own() on this thread while up to `helpers` helpers
  // help with the job; returns when own and the helpers that joined are done.
  template <typename Own>
  void Run(Job& job, int helpers, const Own& own) {
    helpers = Grow(helpers);
    job_.store(&job, std::memory_order_relaxed);
    wanted_.store(helpers, std::memory_order_relaxed);
    left_.store(0, std::memory_order_relaxed);
    entry_.store(0, std::memory_order_release);
    {
      // Under the lock, so that a helper about to sleep sees the new generation.
      const std::lock_guard<std::mutex> guard(lock_);
      generation_.fetch_add(1);
    }
    if (helpers > 0) wake_.notify_all();
    std::exception_ptr failure;
    try {
      own();
    } catch (...) {
      failure = std::current_exception();
    }
    // Helpers that have not joined yet are not waited for: they find the entry closed.
    const int joined = entry_.fetch_or(kClosed) & ~kClosed;
    if (!SpinUntil([&] { return left_.load() == joined; }, kCallerSpin)) {
      std::unique_lock<std::mutex> guard(lock_);
      callerSleeps_.store(true);
      done_.wait(guard, [&] { return left_.load() == joined; });
      callerSleeps_.store(false);
    }
    job_.store(nullptr, std::memory_order_relaxed);
    if (failure) std::rethrow_exception(failure);
  }

private:
  static constexpr int kClosed = 1 << 30;

  // Starts helpers up to `count`; returns how many there are.
  int Grow(int count) {
    try {
      while (static_cast<int>(helpers_.size()) < count) {
        const int index = static_cast<int>(helpers_.size());
        helpers_.emplace_back([this, index] { Serve(index); });
      }
    } catch (const std::system_error&) {
      // Fewer helpers than asked for: those there are share the work.
    }
    return std::min(count, static_cast<int>(helpers_.size()));
  }

  void Serve(int index) {
    uint64_t seen = 0;
    for (;;) {
      if (!SpinUntil([&] { return generation_.load() != seen; }, kHelperSpin)) {
        std::unique_lock<std::mutex> guard(lock_);
        wake_.wait(guard, [&] { return generation_.load() != seen; });
      }
      if (stopping_.load()) return;
      seen = generation_.load();
      if (index >= wanted_.load(std::memory_order_relaxed) || !Join()) continue;
      // Joined the job whose entry is open: its own job and count.
      if (index < wanted_.load(std::memory_order_relaxed)) job_.load(std::memory_order_relaxed)->Help(index);
      left_.fetch_add(1);
      if (callerSleeps_.load()) {
        const std::lock_guard<std::mutex> guard(lock_);
        done_.notify_one();
      }
    }
  }

  bool Join() {
    int entry = entry_.load(std::memory_order_relaxed);
    while ((entry & kClosed) == 0)
      if (entry_.compare_exchange_weak(entry, entry + 1, std::memory_order_acquire)) return true;
    return false;
  }

  std::atomic<bool> running_{false};
  std::mutex lock_;  // for sleeping and waking only
  std::condition_variable wake_, done_;
  std::vector<std::thread> helpers_;
  std::atomic<Job*> job_{nullptr};
  std::atomic<uint64_t> generation_{0};
  std::atomic<int> wanted_{0}, entry_{kClosed}, left_{0};
  std::atomic<bool> callerSleeps_{false}, stopping_{false};
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

}  // namespace

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

void SpinLock::lock() {
  constexpr int kSpinsBeforeYield = 1000;
  int spins = 0;
  while (locked_.exchange(true, std::memory_order_acquire))
    while (locked_.load(std::memory_order_relaxed)) {
      if (++spins % kSpinsBeforeYield == 0)
        std::this_thread::yield();
      else
        CpuRelax();
    }
}

int WorkerThreadCount() {
  const int chosen = chosenCount.load();
  if (chosen > 0) return chosen;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void SetWorkerThreadCount(int count) { chosenCount.store(std::max(0, count)); }

void ParallelFor(int count, double workPerTask, const std::function<void(int)>& task) {
  // Waking a waiting helper costs some microseconds: below about 20,000 operations
  // per thread the work is done here.
  constexpr double kWorkPerThread = 2e4;
  const double threadsWorthIt = std::max(1.0, count * workPerTask / kWorkPerThread);
  const int threads = static_cast<int>(std::min<double>({static_cast<double>(WorkerThreadCount()),
                                                         static_cast<double>(count), threadsWorthIt}));
  TaskJob job(count, task);
  Pool& pool = ThePool();
  if (threads <= 1 || !pool.TryAcquire()) {
    job.Work();
  } else {
    pool.Run(job, threads - 1, [&] { job.Work(); });
    pool.Release();
  }
  job.RethrowFailure();
}

void RunBeside(int helpers, const std::function<void(int)>& helper, const std::function<void()>& own) {
  Pool& pool = ThePool();
  if (helpers <= 0 || !pool.TryAcquire()) {
    own();
    return;
  }
  BesideJob job(helper);
  try {
    pool.Run(job, helpers, own);
  } catch (...) {
    pool.Release();
    throw;
  }
  pool.Release();
}
