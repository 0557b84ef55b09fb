#include "platform/qt/IdleDriver.h"

IdleDriver::IdleDriver(QObject* parent) : QObject(parent) {
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &IdleDriver::Step);
}

void IdleDriver::SetOnIdle(Handler handler) {
  handler_ = std::move(handler);
  ++generation_;
  if (handler_ && !inStep_)
    timer_.start();
  else if (!handler_)
    timer_.stop();
}

// The timer is stopped while a step runs, so an event loop inside the step (a
// message box) does not start the next step.
void IdleDriver::Step() {
  if (inStep_ || !handler_) return;
  inStep_ = true;
  timer_.stop();
  const Handler handler = handler_;  // the step may replace or clear it
  const unsigned generation = generation_;
  bool done = true;
  handler(done);
  inStep_ = false;
  const bool replaced = generation_ != generation;
  if (handler_ && (!done || replaced)) timer_.start();
}
