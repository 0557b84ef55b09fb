#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

#include "app/PBDialog.h"
#include "app/SplMain.h"

namespace {

// A welcome or about window shown without waiting, with the program's first
// timer tick still to come.
struct ShownSplash {
  explicit ShownSplash(bool welcome) : form(nullptr, welcome) {
    TSplashForm::FirstTick = true;
    form.show();
  }
  ~ShownSplash() { TSplashForm::FirstTick = false; }
  TSplashForm form;
};

}  // namespace

TEST(SplashFormTest, FirstWelcomeWindowWaitsThirtySecondsMoreThenClosesItselfLaterOnesAtOnce) {
  ShownSplash s(true);
  s.form.TimerTimer();
  EXPECT_TRUE(s.form.isVisible());
  EXPECT_EQ(s.form.Timer.interval(), 30000);
  EXPECT_FALSE(TSplashForm::FirstTick);
  s.form.TimerTimer();
  EXPECT_FALSE(s.form.isVisible());

  TSplashForm later(nullptr, true);  // a later welcome window closes on its first tick
  later.show();
  later.TimerTimer();
  EXPECT_FALSE(later.isVisible());
}

TEST(SplashFormTest, AboutWindowIgnoresTheTimerAndClosesOnAClickOnThePicture) {
  ShownSplash s(false);
  for (int tick = 0; tick < 3; ++tick) s.form.TimerTimer();
  EXPECT_TRUE(s.form.isVisible());
  const QPointF at(10, 10);
  QMouseEvent press(QEvent::MouseButtonPress, at, s.form.Image->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(s.form.Image, &press);
  EXPECT_FALSE(s.form.isVisible());
}

TEST(ProgressBarDialogFormTest, ProgressStepSharesTheRangeOverTheItems) {
  EXPECT_EQ(TProgressBarDialogForm::ProgressStep(0, 100, 0, 9), 10);
  EXPECT_EQ(TProgressBarDialogForm::ProgressStep(0, 100, 5, 5), 100);
  EXPECT_EQ(TProgressBarDialogForm::ProgressStep(100, 100, 0, 9), 0);
  EXPECT_EQ(TProgressBarDialogForm::ProgressStep(0, 5, 0, 9), 0);
  EXPECT_EQ(TProgressBarDialogForm::ProgressStep(10, 0, 0, 9), -10);
  EXPECT_EQ(TProgressBarDialogForm::ProgressStep(0, 100, 0, 2), 33);
}

TEST(ProgressBarDialogFormTest, AnimationGrowsEvery125MsAndEmptiesOnTheNineteenthStep) {
  int64_t now = 1000;
  TProgressBarDialogForm form(nullptr, true, [&now] { return now; });
  auto label = [&form] { return form.StaticTextAnimation->text().toStdString(); };

  now += 126;
  form.AnimationTick();
  EXPECT_EQ(label(), "+");
  now += 125;  // not more than 125 ms: nothing happens
  form.AnimationTick();
  EXPECT_EQ(label(), "+");
  for (int step = 2; step <= 18; ++step) {
    now += 126;
    form.AnimationTick();
  }
  EXPECT_EQ(label(), std::string(18, '+'));
  now += 126;
  form.AnimationTick();
  EXPECT_EQ(label(), "");
  now += 126;  // and grows again
  form.AnimationTick();
  EXPECT_EQ(label(), "+");
}

TEST(ProgressBarDialogFormTest, TheCallerSetsTheCaption) {
  TProgressBarDialogForm form(nullptr, false);
  EXPECT_EQ(form.windowTitle(), "Please wait...");
  form.SetCaption("Calculating Q2-Fn...");
  EXPECT_EQ(form.windowTitle(), "Calculating Q2-Fn...");
}

TEST(ProgressBarDialogFormTest, TheFirstTextReachesTheScreenWithoutWaitingForTheEventLoop) {
  TProgressBarDialogForm form(nullptr, true);
  form.show();
  form.SetText("Loading data...");
  ASSERT_NE(form.windowHandle(), nullptr);
  EXPECT_TRUE(form.windowHandle()->isExposed());
}
