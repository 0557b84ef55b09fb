// Drives a search window as the event loop does, for the window tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "select/CAsMain.h"

// Activates the window, then runs its steps and timer until it closes; before
// each step `beforeStep` may script the user.
inline void RunSearchWindow(TCalcAllSubForm& form, const std::function<void()>& beforeStep = {}) {
  form.FormActivate();
  for (int step = 0; step < 10000 && !form.Closed(); ++step) {
    if (beforeStep) beforeStep();
    form.IdleStep();
    form.TimerTimer();
  }
  ASSERT_TRUE(form.Closed());
}
