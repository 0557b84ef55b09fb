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
// or another thread's) works alone.
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
    {
      const std::lock_guard<std::mutex> guard(lock_);
      job_ = &job;
      wanted_ = helpers;
      joined_ = 0;
      left_.store(0);
      generation_.fetch_add(1);
    }
    if (helpers > 0) wake_.notify_all();
    std::exception_ptr failure;
    try {
      own();
    } catch (...) {
      failure = std::current_exception();
    }
    int joined = 0;
    {
      // Helpers that have not joined yet are not waited for: they find the job gone.
      const std::lock_guard<std::mutex> guard(lock_);
      wanted_ = joined = joined_;
    }
    if (!SpinUntil([&] { return left_.load() == joined; }, kCallerSpin)) {
      std::unique_lock<std::mutex> guard(lock_);
      done_.wait(guard, [&] { return left_.load() == joined_; });
    }
    {
      const std::lock_guard<std::mutex> guard(lock_);
      job_ = nullptr;
    }
    if (failure) std::rethrow_exception(failure);
  }

private:
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
      SpinUntil([&] { return generation_.load() != seen; }, kHelperSpin);
      std::unique_lock<std::mutex> guard(lock_);
      wake_.wait(guard, [&] { return generation_.load() != seen; });
      if (stopping_.load()) return;
      seen = generation_.load();
      if (!job_ || index >= wanted_ || joined_ >= wanted_) continue;
      ++joined_;
      Job* job = job_;
      guard.unlock();
      job->Help(index);
      guard.lock();
      left_.fetch_add(1);
      if (left_.load() == joined_) done_.notify_one();
    }
  }

  std::atomic<bool> running_{false};
  std::mutex lock_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> helpers_;
  // Written under lock_; the generation and the count that left are also read
  // without it while spinning.
  Job* job_ = nullptr;
  std::atomic<uint64_t> generation_{0};
  int wanted_ = 0, joined_ = 0;
  std::atomic<int> left_{0};
  std::atomic<bool> stopping_{false};
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
