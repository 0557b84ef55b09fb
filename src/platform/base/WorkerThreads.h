// Independent pieces of work spread over worker threads. Callers keep every
// decision that depends on order in their own thread: a task only computes.
#pragma once

#include <atomic>
#include <functional>

// The number of threads that ParallelFor uses: the machine's core count unless set.
int WorkerThreadCount();
// Sets the count (tests and benchmarks); 0 goes back to the machine's.
void SetWorkerThreadCount(int count);

// Runs task(i) for every i in [0, count) and returns when all have run; the calling
// thread works too, beside helper threads that are started once and then wait for
// the next call. workPerTask (about the number of arithmetic operations of one
// task) keeps small jobs in the calling thread, where waking helpers would cost
// more than it saves. A call made while another runs (from a task, say) works in
// its own thread alone. When tasks throw, the exception of the lowest i is
// rethrown after all have finished.
void ParallelFor(int count, double workPerTask, const std::function<void(int)>& task);

// Runs own() on the calling thread while up to `helpers` helper threads of the same
// pool each run helper(i) once, i a distinct index below `helpers`; returns when
// own has returned and every helper call that began has returned. A helper that
// has not begun when own returns never begins, and a call made while the pool is
// busy has no helpers: own must finish the work alone if need be, and must make the
// helper calls end (they share the work through the caller's data). helper must
// not throw; an exception of own is rethrown once the helpers have returned.
void RunBeside(int helpers, const std::function<void(int)>& helper, const std::function<void()>& own);

// One step of a spinning wait: a pause instruction where there is one.
void CpuRelax();

// A lock for short critical sections shared by busy threads: a waiting thread spins
// rather than sleeps (it yields the processor now and then, in case the holder was
// preempted). Meets the standard's Lockable requirements.
class SpinLock {
public:
  void lock();
  void unlock() { locked_.store(false, std::memory_order_release); }

private:
  std::atomic<bool> locked_{false};
};
