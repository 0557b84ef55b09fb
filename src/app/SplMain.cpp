// The welcome window: the program's picture, closing on a click or, at
// start-up, by itself after about half a minute.
#include "app/SplMain.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/ModalForm.h"

TSplashForm::TSplashForm(QWidget* owner, bool welcome)
    : ModalDialog(owner), welcome_(welcome) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(welcome ? "Welcome" : "About");
  setFixedSize(498, 481);
  Image = new QLabel(this);
  Image->setGeometry(8, 8, 481, 360);
  Image->setPixmap(SplashPicture());
  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(8, 376, 481, 2);
  Timer.setInterval(1000);
  connect(&Timer, &QTimer::timeout, this, &TSplashForm::TimerTimer);
  Timer.start();
  FormCreate();
}

void TSplashForm::FormCreate() { CentreOnScreen(this); }

void TSplashForm::TimerTimer() {
  if (FirstTick) {
    Timer.setInterval(30000);
    FirstTick = false;
  } else if (welcome_) {
    close();
  }
}

void TSplashForm::FormClick() { close(); }

void TSplashForm::mousePressEvent(QMouseEvent*) { FormClick(); }

void ShowSplashForm(bool welcome) {
  RunModalForm<TSplashForm>("Cannot create Splash Screen dialog", nullptr, welcome);
}

namespace {

// A regression line through a cloud of points, as the program's emblem.
void DrawEmblem(QPainter& p, QRect frame) {
  p.setPen(QPen(QColor(255, 255, 255, 140), 1));
  p.drawLine(frame.bottomLeft(), frame.topLeft());
  p.drawLine(frame.bottomLeft(), frame.bottomRight());
  p.setPen(QPen(QColor(255, 200, 80), 3));
  p.drawLine(frame.left() + 10, frame.bottom() - 12, frame.right() - 8, frame.top() + 10);
  const int offsets[] = {9, -7, 4, -11, 6, -3, 12, -8, 2, -5, 7, -9};
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  const int n = static_cast<int>(std::size(offsets));
  for (int i = 0; i < n; ++i) {
    int x = frame.left() + 18 + i * (frame.width() - 36) / (n - 1);
    int y = frame.bottom() - 12 - (x - frame.left() - 10) * (frame.height() - 22) / (frame.width() - 18);
    p.drawEllipse(QPoint(x, y + offsets[i]), 4, 4);
  }
}

}  // namespace

QPixmap SplashPicture() {
  QPixmap picture(481, 360);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 360);
  sky.setColorAt(0, QColor(20, 50, 110));
  sky.setColorAt(1, QColor(40, 120, 160));
  p.fillRect(picture.rect(), sky);
  DrawEmblem(p, QRect(40, 40, 180, 150));
  QFont title("DejaVu Sans");
  title.setPixelSize(40);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRect(236, 60, 240, 70), Qt::AlignLeft | Qt::AlignVCenter, "KORVANE");
  QFont text("DejaVu Sans");
  text.setPixelSize(16);
  p.setFont(text);
  p.drawText(QRect(238, 130, 240, 24), Qt::AlignLeft, "version 2.1.1");
  text.setPixelSize(15);
  p.setFont(text);
  p.drawText(QRect(40, 230, 420, 90), Qt::AlignLeft | Qt::TextWordWrap,
             "QSAR and QSPR modelling by multiple linear regression: variable selection, "
             "validation, consensus and application of models");
  return picture;
}
