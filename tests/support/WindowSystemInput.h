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

// A press or a release of the mouse button at the widget's centre.
inline void MouseFromWindowSystem(QWidget* widget, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF local = widget->mapTo(widget->window(), widget->rect().center());
  const QPointF global = widget->mapToGlobal(widget->rect().center());
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
  QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
  SendFromWindowSystem(widget, event);
}

// A click at the widget's centre: press, then release.
inline void ClickFromWindowSystem(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
  MouseFromWindowSystem(widget, QEvent::MouseButtonPress, button);
  MouseFromWindowSystem(widget, QEvent::MouseButtonRelease, button);
}
