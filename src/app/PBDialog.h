// The "Please wait..." window of long operations: a progress bar, or a growing
// row of "+" characters when no count is known in advance.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/base/UiServices.h"

class QLabel;
class QProgressBar;

class TProgressBarDialogForm : public QDialog, public Progress {
  Q_OBJECT
public:
  // Milliseconds from a monotonic clock; tests inject their own.
  using Clock = std::function<int64_t()>;
  static int64_t MonotonicMilliseconds();

  TProgressBarDialogForm(QWidget* owner, bool animated, Clock clock = MonotonicMilliseconds);

  // Amount by which a bar position moves per item when items first..last map onto lo..hi.
  static int ProgressStep(int lo, int hi, int first, int last);

  // Progress: the caller's message, the bar and the animation.
  void SetText(const std::string& text) override;
  void SetRange(int lo, int hi) override;
  void SetPosition(int pos) override;
  // Adds a "+" at most once per 125 ms; the 19th step empties the row.
  void AnimationTick() override;
  void SetCaption(const std::string& caption) override;
  void BringToFront() override;
  void SetAnimationText(const std::string& text) override;

  QProgressBar* ProgressBar;
  QLabel* PBarStaticText;
  QLabel* StaticTextAnimation;

protected:
  // A shown progress window is the one questions asked during the work go over.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  void FormCreate();
  // Paints changedText (or nothing) now, or the whole window when it is time.
  void Refresh(QWidget* changedText);

  int animationSteps_ = 0;
  std::string animationText_;
  int64_t lastStepTime_;
  int64_t shownAt_ = 0;
  int64_t lastWholePaint_ = 0;
  int position_ = 0;  // the caller's latest; the bar shows it at the next whole paint
  Clock clock_;
};

// Progress windows for the long steps of a window: each opens over the window
// active at that moment (over fallback when none is) and closes when the caller
// lets go of it, unless the window it belongs to has closed it first.
ProgressWindowFactory ProgressWindowsOver(QWidget* fallback);
