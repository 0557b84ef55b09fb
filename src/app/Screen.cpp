#include "app/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect area = screen->geometry();
  QSize size = window.frameGeometry().size();
  window.move(area.left() + (area.width() >> 1) - (size.width() >> 1),
              area.top() + (area.height() >> 1) - (size.height() >> 1));
}
