// A progress display that keeps the range it was given and every position it was moved to.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/base/UiServices.h"

struct ProgressSteps : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int lo, int hi) override { range = {lo, hi}; }
  void SetPosition(int pos) override { positions.push_back(pos); }
  void AnimationTick() override {}
  std::pair<int, int> range;
  std::vector<int> positions;
};
