// The progress window of long operations that run in the user-interface thread.
#include "app/PBDialog.h"

#include <QCoreApplication>
#include <QPointer>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>
#include <algorithm>
#include <chrono>

#include "numerics/ProgressStepper.h"
#include "platform/qt/Dialogs.h"

namespace {

constexpr int kAnimationLeft = 87;
// How long after showing a window waits for the display to show it.
constexpr int64_t kExposeWaitMs = 1000;
// How often the whole window is painted again while the work runs.
constexpr int64_t kWholePaintMs = 100;

// The caller's hold on a progress window that may go with its owner first.
class ProgressWindowHandle : public Progress {
public:
  explicit ProgressWindowHandle(TProgressBarDialogForm* window) : window_(window) {}
  ~ProgressWindowHandle() override { delete window_.data(); }
  void SetText(const std::string& text) override {
    if (window_) window_->SetText(text);
  }
  void SetRange(int lo, int hi) override {
    if (window_) window_->SetRange(lo, hi);
  }
  void SetPosition(int pos) override {
    if (window_) window_->SetPosition(pos);
  }
  void AnimationTick() override {
    if (window_) window_->AnimationTick();
  }
  void SetCaption(const std::string& caption) override {
    if (window_) window_->SetCaption(caption);
  }
  void BringToFront() override {
    if (window_) window_->BringToFront();
  }

private:
  QPointer<TProgressBarDialogForm> window_;
};

}  // namespace

ProgressWindowFactory ProgressWindowsOver(QWidget* fallback) {
  QPointer<QWidget> kept(fallback);
  return [kept](bool animated) -> std::unique_ptr<Progress> {
    QWidget* over = WindowToOpenOver();
    auto* window = new TProgressBarDialogForm(over != nullptr ? over : kept.data(), animated);
    auto handle = std::make_unique<ProgressWindowHandle>(window);
    window->show();
    return handle;
  };
}

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

void TProgressBarDialogForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  shownAt_ = clock_();
  AddProgressWindow(this);
}

void TProgressBarDialogForm::hideEvent(QHideEvent* event) {
  RemoveProgressWindow(this);
  QDialog::hideEvent(event);
}

// The caller's loop keeps the event loop waiting, so the window paints itself.
// Until the display has shown the window (for a second at most), pending events
// other than user input are let through first, or nothing would appear. Then a
// changed text is painted at once, and the whole window with the bar's latest
// position every 100 ms: often enough for the eye, and it also repaints a
// window uncovered meanwhile, whose paint requests wait for the event loop.
// Loops that step the bar once per item of a long list so pay no paint per step.
void TProgressBarDialogForm::Refresh(QWidget* changedText) {
  const int64_t now = clock_();
  if (windowHandle() != nullptr && isVisible() && !windowHandle()->isExposed() && now - shownAt_ < kExposeWaitMs)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (now - lastWholePaint_ >= kWholePaintMs) {
    lastWholePaint_ = now;
    ProgressBar->setValue(position_);
    repaint();
  } else if (changedText != nullptr) {
    changedText->repaint();
  }
}

int TProgressBarDialogForm::ProgressStep(int lo, int hi, int first, int last) {
  return ::ProgressStep(lo, hi, first, last);
}

// Beside the animation the message keeps its whole width and the row of "+"
// starts after it. Above the bar a message wider than the bar widens the window.
void TProgressBarDialogForm::SetText(const std::string& text) {
  PBarStaticText->setText(QString::fromLatin1(text.c_str()));
  const int width = PBarStaticText->sizeHint().width();
  if (!StaticTextAnimation->isHidden()) {
    PBarStaticText->resize(width, PBarStaticText->height());
    const int left = std::max(kAnimationLeft, PBarStaticText->x() + width + 4);
    StaticTextAnimation->setGeometry(left, 24, this->width() - left, 17);
  } else if (width > PBarStaticText->width()) {
    PBarStaticText->resize(width, PBarStaticText->height());
    setFixedWidth(2 * PBarStaticText->x() + width);
  }
  Refresh(PBarStaticText);
}

void TProgressBarDialogForm::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromLatin1(caption.c_str()));
}

void TProgressBarDialogForm::BringToFront() { raise(); }

void TProgressBarDialogForm::SetAnimationText(const std::string& text) {
  StaticTextAnimation->setText(QString::fromLatin1(text.c_str()));
  Refresh(StaticTextAnimation);
}

void TProgressBarDialogForm::SetRange(int lo, int hi) { ProgressBar->setRange(lo, hi); }

void TProgressBarDialogForm::SetPosition(int pos) {
  position_ = pos;
  Refresh(nullptr);
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
