#include "platform/base/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> chosenCount{0};

// One ParallelFor's tasks, taken by index by the calling thread and the helpers.
class Job {
public:
  Job(int count, const std::function<void(int)>& task) : count_(count), task_(task) {}

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

// Helper threads started once and kept waiting for jobs, so that a job costs a
// wake-up instead of starting threads. One job runs at a time; a ParallelFor that
// finds the pool busy (a task's own, or another thread's) works alone.
class Pool {
public:
  ~Pool() {
    {
      const std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
  }

  bool TryAcquire() {
    bool idle = false;
    return running_.compare_exchange_strong(idle, true);
  }
  void Release() { running_.store(false); }

  // With the pool acquired: runs the job on this thread and up to `helpers` helpers.
  void Run(Job& job, int helpers) {
    helpers = Grow(helpers);
    {
      const std::lock_guard<std::mutex> guard(lock_);
      job_ = &job;
      wanted_ = helpers;
      joined_ = 0;
      left_ = 0;
      ++generation_;
    }
    if (helpers > 0) wake_.notify_all();
    job.Work();
    std::unique_lock<std::mutex> guard(lock_);
    // Helpers that have not joined yet are not waited for: they find the job gone.
    wanted_ = joined_;
    done_.wait(guard, [&] { return left_ == joined_; });
    job_ = nullptr;
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
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
      wake_.wait(guard, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      if (!job_ || index >= wanted_ || joined_ >= wanted_) continue;
      ++joined_;
      Job* job = job_;
      guard.unlock();
      job->Work();
      guard.lock();
      ++left_;
      if (left_ == joined_) done_.notify_one();
    }
  }

  std::atomic<bool> running_{false};
  std::mutex lock_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> helpers_;
  Job* job_ = nullptr;
  uint64_t generation_ = 0;
  int wanted_ = 0, joined_ = 0, left_ = 0;
  bool stopping_ = false;
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

}  // namespace

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
  Job job(count, task);
  Pool& pool = ThePool();
  if (threads <= 1 || !pool.TryAcquire()) {
    job.Work();
  } else {
    pool.Run(job, threads - 1);
    pool.Release();
  }
  job.RethrowFailure();
}
