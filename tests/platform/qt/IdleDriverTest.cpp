#include "platform/qt/IdleDriver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

// Runs the event loop until the driver has nothing left to do (or a second passed).
void RunUntilIdle(IdleDriver& driver) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!driver.Active()) loop.quit();
  });
  poll.start(1);
  QTimer::singleShot(1000, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST(IdleDriverTest, RunsTheHandlerWhileItIsNotDone) {
  IdleDriver driver;
  int steps = 0;
  driver.SetOnIdle([&](bool& done) { done = ++steps == 5; });
  EXPECT_EQ(steps, 0);  // only from the event loop
  RunUntilIdle(driver);
  EXPECT_EQ(steps, 5);
  EXPECT_FALSE(driver.Active());
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

TEST(IdleDriverTest, AStepMayReplaceOrClearTheHandler) {
  IdleDriver driver;
  std::vector<char> log;
  driver.SetOnIdle([&](bool&) {
    log.push_back('a');
    driver.SetOnIdle([&](bool& done) {
      log.push_back('b');
      done = false;
      if (log.size() == 3) driver.SetOnIdle(nullptr);
    });
  });
  RunUntilIdle(driver);
  EXPECT_EQ(log, (std::vector<char>{'a', 'b', 'b'}));
}

}  // namespace
