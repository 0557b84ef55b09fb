#include "prepare/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void PlaceOnScreen(QWidget& window, int offset) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const QSize size = window.frameGeometry().size();
  window.move(area.left() + (area.width() >> 1) - (size.width() >> 1) + offset,
              area.top() + (area.height() >> 1) - (size.height() >> 1) + offset);
}
