// A progress bar advanced by a fixed step from a running position, for core
// loops that step a progress window once per item.
#pragma once

#include "platform/base/UiServices.h"

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
