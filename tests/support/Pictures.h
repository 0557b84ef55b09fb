// Pictures of windows for a person to look at (GUI tests only).
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QWidget>
#include <cstdlib>
#include <string>

// Saves a picture of the window as name + ".png" into the folder KORVANE_PNG_DIR
// names, when it names one; tests write nowhere else.
inline void SavePictureWhenAsked(QWidget& window, const std::string& name) {
  const char* dir = std::getenv("KORVANE_PNG_DIR");
  if (dir == nullptr) return;
  QCoreApplication::processEvents();  // the layout as the user sees it
  window.grab().save(QString(dir) + "/" + QString::fromStdString(name) + ".png");
}
