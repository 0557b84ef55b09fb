// Input as the window system delivers it (GUI tests only): spontaneous events
// sent to a widget's native window, through the application's event filters.
#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

inline void SendFromWindowSystem(QWidget* widget, QEvent& event) {
  QSpontaneKeyEvent::setSpontaneous(&event);
  QCoreApplication::instance()->notify(widget->window()->windowHandle(), &event);
}

// A click at the widget's centre: press, then release.
inline void ClickFromWindowSystem(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF local = widget->mapTo(widget->window(), widget->rect().center());
  const QPointF global = widget->mapToGlobal(widget->rect().center());
  QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
  SendFromWindowSystem(widget, press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
  SendFromWindowSystem(widget, release);
}
