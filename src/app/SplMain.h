// The welcome window shown at start-up and, in about mode, by About KORVANE.
#pragma once

#include <QTimer>

#include "platform/qt/Dialogs.h"

class QFrame;
class QLabel;

class TSplashForm : public ModalDialog {
  Q_OBJECT
public:
  TSplashForm(QWidget* owner, bool welcome);

  // One tick of the timer: the program's first tick lengthens the interval to
  // 30 s; later ticks close a welcome-mode window.
  void TimerTimer();
  // A click on the picture or the window closes it.
  void FormClick();

  bool WelcomeMode() const { return welcome_; }

  // True until the first timer tick of the program; shared by all instances.
  static inline bool FirstTick = true;

  QLabel* Image;
  QFrame* Bevel1;
  QTimer Timer;

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  void FormCreate();

  bool welcome_;
};

// Shows the welcome window (welcome true) or the about window modally.
void ShowSplashForm(bool welcome);

// The program's picture (481 x 360) shown by the welcome window.
QPixmap SplashPicture();
