#include "app/Main.h"

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("KORVANE v2.1.1");
  resize(900, 640);
}
