#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
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
  EXPECT_EQ(s.form.windowTitle(), "Welcome");
  EXPECT_EQ(s.form.Timer.interval(), 1000);
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
  EXPECT_EQ(later.Timer.interval(), 1000);
}

TEST(SplashFormTest, AboutWindowClosesOnlyOnAClick) {
  ShownSplash s(false);
  EXPECT_EQ(s.form.windowTitle(), "About");
  for (int tick = 0; tick < 3; ++tick) s.form.TimerTimer();
  EXPECT_TRUE(s.form.isVisible());
  s.form.FormClick();
  EXPECT_FALSE(s.form.isVisible());
}

TEST(SplashFormTest, AClickOnThePictureClosesTheWindow) {
  ShownSplash s(true);
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
  EXPECT_TRUE(form.ProgressBar->isHidden());
  EXPECT_FALSE(form.StaticTextAnimation->isHidden());
  auto label = [&form] { return form.StaticTextAnimation->text().toStdString(); };

  now += 125;  // not more than 125 ms: nothing happens
  form.AnimationTick();
  EXPECT_EQ(label(), "+");
  now += 1;
  form.AnimationTick();
  EXPECT_EQ(label(), "+");
  form.AnimationTick();  // same time again: unchanged
  EXPECT_EQ(label(), "+");
  for (int step = 2; step <= 18; ++step) {
    now += 126;
    form.AnimationTick();
  }
  EXPECT_EQ(label(), std::string(18, '+'));
  now += 126;
  form.AnimationTick();
  EXPECT_EQ(label(), "");
  now += 126;
  form.AnimationTick();
  EXPECT_EQ(label(), "+");
}

TEST(ProgressBarDialogFormTest, AnimatedMessageIsShownWholeBeforeTheRowOfPlus) {
  TProgressBarDialogForm form(nullptr, true);
  form.SetText("Loading data...");
  EXPECT_GE(form.PBarStaticText->width(), form.PBarStaticText->sizeHint().width());
  EXPECT_GT(form.StaticTextAnimation->x(), form.PBarStaticText->geometry().right());
  EXPECT_GE(form.StaticTextAnimation->x(), 87);
  form.SetText("Wait");
  EXPECT_EQ(form.StaticTextAnimation->x(), 87);
}

TEST(ProgressBarDialogFormTest, TheFirstTextReachesTheScreenWithoutWaitingForTheEventLoop) {
  for (bool animated : {false, true}) {
    TProgressBarDialogForm form(nullptr, animated);
    form.show();
    form.SetText("Loading data...");
    ASSERT_NE(form.windowHandle(), nullptr);
    EXPECT_TRUE(form.windowHandle()->isExposed()) << "animated " << animated;
  }
}
