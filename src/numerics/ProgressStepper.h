// A progress bar advanced by a fixed step from a running position, for core
// loops that step a progress window once per item.
#pragma once

#include "platform/base/UiServices.h"

// The step that spreads lo..hi over the items first..last: (hi - lo) / (last -
// first + 1), or the whole span hi - lo when there is at most one item or no span.
inline int ProgressStep(int lo, int hi, int first, int last) {
  const int span = hi - lo;
  return (last > first && hi > lo) ? span / (last - first + 1) : span;
}

class ProgressStepper {
public:
  ProgressStepper(Progress& progress, int step, int position = 0, bool bringToFront = false)
      : progress_(progress), step_(step), position_(position), bringToFront_(bringToFront) {}

  // Moves the bar by one step and repaints it, raising the window first when asked.
  void Step() {
    position_ += step_;
    if (bringToFront_) progress_.BringToFront();
    progress_.SetPosition(position_);
  }
  int Position() const { return position_; }

private:
  Progress& progress_;
  int step_;
  int position_;
  bool bringToFront_;
};
