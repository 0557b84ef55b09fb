#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QWindow>

#include "app/PBDialog.h"
#include "app/SplMain.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtUiServices.h"

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

TEST(ProgressBarDialogFormTest, AMessageWiderThanTheBarShowsWhole) {
  TProgressBarDialogForm form(nullptr, false);
  form.show();
  form.SetText("Press ESC to abort...");
  EXPECT_EQ(form.width(), 314);
  form.SetText("Please wait until calculations for this model are completed...");
  EXPECT_GE(form.PBarStaticText->width(), form.PBarStaticText->sizeHint().width());
  EXPECT_LE(form.PBarStaticText->geometry().right(), form.width() - form.PBarStaticText->x());
  if (const char* dir = std::getenv("KORVANE_PNG_DIR")) form.grab().save(QString(dir) + "/progress-wait.png");
}

TEST(ProgressBarDialogFormTest, TheFirstTextReachesTheScreenWithoutWaitingForTheEventLoop) {
  TProgressBarDialogForm form(nullptr, true);
  form.show();
  form.SetText("Loading data...");
  ASSERT_NE(form.windowHandle(), nullptr);
  EXPECT_TRUE(form.windowHandle()->isExposed());
}

namespace {

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

}  // namespace

TEST(ProgressBarDialogFormTest, TheWholeWindowIsPaintedAgainWhileTheWorkRuns) {
  int64_t now = 1000;
  TProgressBarDialogForm form(nullptr, false, [&now] { return now; });
  form.show();
  form.SetText("Calculating...");
  QApplication::processEvents();
  PaintCounter text(form.PBarStaticText);
  for (int step = 1; step <= 10; ++step) {  // 50 ms apart, without the event loop
    now += 50;
    form.SetPosition(step);
  }
  EXPECT_EQ(text.paints, 5);  // every 100 ms
}

// A loop over a long list steps the bar far more often than the eye can see:
// the bar is painted with the latest position at most every 100 ms.
TEST(ProgressBarDialogFormTest, StepsPaintTheBarOnlyWhenTheWholeWindowIsDue) {
  int64_t now = 1000;
  TProgressBarDialogForm form(nullptr, false, [&now] { return now; });
  form.show();
  form.SetRange(0, 1000);
  form.SetText("Calculating...");
  QApplication::processEvents();
  PaintCounter bar(form.ProgressBar);
  for (int step = 1; step <= 199; ++step) form.SetPosition(step);
  EXPECT_EQ(bar.paints, 0);
  now += 99;
  form.SetPosition(200);
  EXPECT_EQ(bar.paints, 0);
  now += 1;
  form.SetPosition(201);
  EXPECT_GT(bar.paints, 0);
  EXPECT_LE(bar.paints, 2);
  EXPECT_EQ(form.ProgressBar->value(), 201);
  const int paints = bar.paints;
  for (int step = 202; step <= 1000; ++step) form.SetPosition(step);
  EXPECT_EQ(bar.paints, paints);
  PaintCounter text(form.PBarStaticText);
  form.SetText("Sending...");  // a new text shows at once
  EXPECT_EQ(text.paints, 1);
  EXPECT_EQ(form.PBarStaticText->text(), "Sending...");
}

TEST(ProgressWindowsTest, OpenOverTheActiveWindowAndQuestionsOpenOverThem) {
  QWidget main;
  main.show();
  ModalDialog dialog(&main);  // a modal window of the program, such as the validation window
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  dialog.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeModalWidget(), &dialog);

  const ProgressWindowFactory progressWindows = ProgressWindowsOver(&main);
  std::unique_ptr<Progress> outer = progressWindows(false);
  auto* outerWindow = dynamic_cast<QWidget*>(WindowToOpenOver());
  ASSERT_NE(outerWindow, nullptr);
  EXPECT_EQ(outerWindow->parentWidget(), &dialog);
  std::unique_ptr<Progress> inner = progressWindows(true);
  QWidget* innerWindow = WindowToOpenOver();
  EXPECT_EQ(innerWindow->parentWidget(), outerWindow);
  EXPECT_EQ(BuildMessageBox("Do you really want to abort calculation?", "APPLICATION WARNING",
                            MB_YESNO | MB_ICONQUESTION)
                ->parentWidget(),
            innerWindow);
  inner.reset();
  EXPECT_EQ(WindowToOpenOver(), outerWindow);
  outer.reset();
  EXPECT_EQ(WindowToOpenOver(), &dialog);
}

TEST(ProgressWindowsTest, AWindowClosedWithItsOwnerLeavesASilentHandle) {
  auto owner = std::make_unique<QWidget>();
  owner->show();
  owner->activateWindow();
  QApplication::processEvents();
  std::unique_ptr<Progress> progress = ProgressWindowsOver(nullptr)(false);
  EXPECT_NE(WindowToOpenOver(), owner.get());
  owner.reset();  // takes the progress window with it
  progress->SetText("Still going");
  progress->SetPosition(5);
  progress.reset();
}

TEST(ProgressBarDialogFormTest, AnimationTextReplacesTheRowOfPlusSigns) {
  int64_t now = 1000;
  TProgressBarDialogForm form(nullptr, true, [&now] { return now; });
  now += 126;
  form.AnimationTick();
  form.SetAnimationText(" finalizing, please wait...");
  EXPECT_EQ(form.StaticTextAnimation->text().toStdString(), " finalizing, please wait...");
}
