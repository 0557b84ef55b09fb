// The application object: shows every exception that a handler lets escape,
// so none crosses the event loop unreported.
#pragma once

#include <QApplication>
#include <exception>

class TApplication : public QApplication {
public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // The standard display of an exception: its message under the application's title.
  static void ShowException(const std::exception& e);
};
