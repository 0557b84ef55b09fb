// Program entry: the application object titled "KORVANE" and the main window.
#include "app/Application.h"
#include "app/Main.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtUiServices.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  InstallQtUi();
  ApplyProgramFont();
  ReturnKeyboardFromClosedWindows();
  try {
    TMainForm mainForm;
    QObject::connect(&mainForm, &TMainForm::Closed, &app, &QApplication::quit);
    mainForm.show();
    TApplication::exec();
  } catch (const std::exception& e) {
    TApplication::ShowException(e);
  }
  return 0;
}
