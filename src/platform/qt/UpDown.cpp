#include "platform/qt/UpDown.h"

#include <QToolButton>
#include <algorithm>

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
  UpButton = new QToolButton(this);
  UpButton->setArrowType(Qt::UpArrow);
  DownButton = new QToolButton(this);
  DownButton->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {UpButton, DownButton}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
  }
  connect(UpButton, &QToolButton::clicked, this, [this] { Click(Button::Up); });
  connect(DownButton, &QToolButton::clicked, this, [this] { Click(Button::Down); });
}

void UpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  SetPosition(position_);
}

void UpDown::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

void UpDown::Click(Button button) {
  SetPosition(button == Button::Up ? position_ + 1 : position_ - 1);
  if (OnClick) OnClick(button);
}

// The two arrows share the height, the upper one taking the odd pixel.
void UpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int upper = (height() + 1) / 2;
  UpButton->setGeometry(0, 0, width(), upper);
  DownButton->setGeometry(0, upper, width(), height() - upper);
}
