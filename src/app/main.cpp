// Program entry: the application object titled "KORVANE" and the main window.
#include <QApplication>

#include "app/Main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("KORVANE");
  TMainForm mainForm;
  mainForm.show();
  return QApplication::exec();
}
