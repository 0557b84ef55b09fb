#include "app/Application.h"

#include <stdexcept>

#include "platform/base/CommandGuard.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("KORVANE");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowException(std::runtime_error("Unknown exception"));
  }
  return false;
}

void TApplication::ShowException(const std::exception& e) { ShowApplicationException(e); }
