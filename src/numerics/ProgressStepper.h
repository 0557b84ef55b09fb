// A progress bar advanced by a fixed step from a running position, for core
// loops that step a progress window once per item.
#pragma once

#include "platform/base/UiServices.h"

class ProgressStepper {
public:
  ProgressStepper(Progress& progress, int step, int position = 0)
      : progress_(progress), step_(step), position_(position) {}

  // Moves the bar by one step and repaints it.
  void Step() {
    position_ += step_;
    progress_.SetPosition(position_);
  }
  int Position() const { return position_; }

private:
  Progress& progress_;
  int step_;
  int position_;
};
