#include "platform/qt/IdleDriver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

// Runs the event loop until the driver has nothing left to do (or a second passed).
void RunUntilIdle(IdleDriver& driver) {
  QElapsedTimer clock;
  clock.start();
  while (driver.Active() && clock.elapsed() < 1000) QCoreApplication::processEvents();
}

TEST(IdleDriverTest, RunsTheHandlerUntilItIsDoneReplacedOrCleared) {
  IdleDriver driver;
  std::vector<char> log;
  driver.SetOnIdle([&](bool& done) {
    log.push_back('a');
    done = log.size() == 2;
  });
  EXPECT_TRUE(log.empty());  // only from the event loop
  RunUntilIdle(driver);
  EXPECT_FALSE(driver.Active());

  driver.SetOnIdle([&](bool&) {
    log.push_back('b');
    driver.SetOnIdle([&](bool&) {
      log.push_back('c');
      driver.SetOnIdle(nullptr);
    });
  });
  RunUntilIdle(driver);
  EXPECT_EQ(log, (std::vector<char>{'a', 'a', 'b', 'c'}));
}

TEST(IdleDriverTest, AnEventLoopInsideAStepDoesNotStartTheNextStep) {
  IdleDriver driver;
  int steps = 0;
  int nested = 0;
  driver.SetOnIdle([&](bool& done) {
    ++steps;
    if (steps == 1) {
      // As a message box does: events are processed before the step returns.
      QEventLoop inner;
      QTimer::singleShot(20, &inner, &QEventLoop::quit);
      inner.exec();
      nested = steps;
    }
    done = steps == 3;
  });
  RunUntilIdle(driver);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(steps, 3);
}

}  // namespace
