#include "platform/base/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> chosenCount{0};

}  // namespace

int WorkerThreadCount() {
  const int chosen = chosenCount.load();
  if (chosen > 0) return chosen;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void SetWorkerThreadCount(int count) { chosenCount.store(std::max(0, count)); }

void ParallelFor(int count, double workPerTask, const std::function<void(int)>& task) {
  // A thread costs some tens of microseconds to start: below about 100,000
  // operations per thread the work is done here.
  constexpr double kWorkPerThread = 1e5;
  const double threadsWorthIt = std::max(1.0, count * workPerTask / kWorkPerThread);
  const int threads = static_cast<int>(std::min<double>({static_cast<double>(WorkerThreadCount()),
                                                         static_cast<double>(count), threadsWorthIt}));
  std::atomic<int> next{0};
  std::mutex failureLock;
  int failedIndex = count;
  std::exception_ptr failure;
  auto work = [&] {
    for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
      try {
        task(i);
      } catch (...) {
        const std::lock_guard<std::mutex> guard(failureLock);
        if (i < failedIndex) {
          failedIndex = i;
          failure = std::current_exception();
        }
      }
    }
  };
  std::vector<std::thread> helpers;
  try {
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer helpers than asked for: the threads there are share the work.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}
