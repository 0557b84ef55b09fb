// The real event loop for tests of windows driven by idle calls and timers (GUI
// tests only).
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

// Processes events until done() holds or the time cap has passed; whether done() holds.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int capMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < capMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}
