// Test main of the core tests: no QApplication, the scripted UI installed.
#include <gtest/gtest.h>

#include "support/ScriptedUi.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  InstallUi(&TestUi());
  return RUN_ALL_TESTS();
}
