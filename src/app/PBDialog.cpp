// The progress window of long operations that run in the user-interface thread.
#include "app/PBDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>
#include <algorithm>
#include <chrono>

#include "numerics/ProgressStepper.h"
#include "platform/qt/Dialogs.h"

namespace {

constexpr int kAnimationLeft = 87;

}  // namespace

int64_t TProgressBarDialogForm::MonotonicMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TProgressBarDialogForm::TProgressBarDialogForm(QWidget* owner, bool animated, Clock clock)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), clock_(std::move(clock)) {
  setWindowTitle("Please wait...");
  setFixedSize(314, 66);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setGeometry(16, 24, 281, 17);
  ProgressBar->setTextVisible(false);
  PBarStaticText = new QLabel(this);
  PBarStaticText->setGeometry(16, 4, 281, 17);
  StaticTextAnimation = new QLabel("+", this);
  StaticTextAnimation->setGeometry(kAnimationLeft, 24, 210, 17);
  StaticTextAnimation->hide();
  if (animated) {
    ProgressBar->hide();
    PBarStaticText->move(PBarStaticText->x(), 24);
    StaticTextAnimation->show();
  }
  lastStepTime_ = clock_();
  FormCreate();
}

void TProgressBarDialogForm::FormCreate() { CentreOnScreen(this); }

// The caller's loop keeps the event loop waiting, so the window paints its part
// at once; until the display has shown the window, pending events other than
// user input are let through first, or nothing would appear.
void TProgressBarDialogForm::Refresh(QWidget* part) {
  if (windowHandle() != nullptr && isVisible() && !windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  part->repaint();
}

int TProgressBarDialogForm::ProgressStep(int lo, int hi, int first, int last) {
  return ::ProgressStep(lo, hi, first, last);
}

// Beside the animation the message keeps its whole width and the row of "+"
// starts after it.
void TProgressBarDialogForm::SetText(const std::string& text) {
  PBarStaticText->setText(QString::fromLatin1(text.c_str()));
  if (!StaticTextAnimation->isHidden()) {
    const int width = PBarStaticText->sizeHint().width();
    PBarStaticText->resize(width, PBarStaticText->height());
    const int left = std::max(kAnimationLeft, PBarStaticText->x() + width + 4);
    StaticTextAnimation->setGeometry(left, 24, this->width() - left, 17);
  }
  Refresh(PBarStaticText);
}

void TProgressBarDialogForm::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromLatin1(caption.c_str()));
}

void TProgressBarDialogForm::BringToFront() { raise(); }

void TProgressBarDialogForm::SetRange(int lo, int hi) { ProgressBar->setRange(lo, hi); }

void TProgressBarDialogForm::SetPosition(int pos) {
  ProgressBar->setValue(pos);
  Refresh(ProgressBar);
}

void TProgressBarDialogForm::AnimationTick() {
  int64_t now = clock_();
  if (now - lastStepTime_ <= 125) return;
  lastStepTime_ = now;
  if (++animationSteps_ != 19) {
    animationText_ += '+';
  } else {
    animationText_.clear();
    animationSteps_ = 0;
  }
  StaticTextAnimation->setText(QString::fromLatin1(animationText_.c_str()));
  Refresh(StaticTextAnimation);
}
