// Lets the user follow and stop a long calculation of the user-interface thread.
// The calculation counts the steps of its inner loops as it goes; every
// kAskEvery steps (a few milliseconds of work) the callback is asked, with the
// share of the expected steps done, whether to stop, and a yes ends the
// calculation with CalculationStopped.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

// Thrown out of a calculation that its poll stopped. Not a failure: it carries
// no message, and the matrix routines let it pass unchanged.
struct CalculationStopped {};

class WorkPoll {
public:
  // Gets the share of the work done (0 to 1); true stops the calculation.
  using Callback = std::function<bool(double shareDone)>;
  static constexpr int64_t kAskEvery = int64_t{1} << 20;

  WorkPoll(Callback callback, double expectedSteps) : callback_(std::move(callback)), expected_(expectedSteps) {}

  void Count(int64_t steps) {
    done_ += steps;
    if (done_ >= nextAsk_) Ask();
  }

private:
  void Ask() {
    nextAsk_ = done_ + kAskEvery;
    if (callback_ && callback_(std::min(1.0, static_cast<double>(done_) / expected_))) throw CalculationStopped();
  }

  Callback callback_;
  double expected_;
  int64_t done_ = 0;
  int64_t nextAsk_ = kAskEvery;
};

// Counts steps on a poll that may be absent.
inline void CountSteps(WorkPoll* poll, int64_t steps) {
  if (poll != nullptr) poll->Count(steps);
}
