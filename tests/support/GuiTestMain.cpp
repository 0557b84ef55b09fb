// Test main of the GUI tests: an offscreen QApplication and the scripted UI.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/Dialogs.h"
#include "support/ScriptedUi.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  InstallUi(&TestUi());
  ReturnKeyboardFromClosedWindows();  // as the program does at start-up
  return RUN_ALL_TESTS();
}
