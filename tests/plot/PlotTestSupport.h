// Shared pieces of the plot tests: the main window stand-in, a test folder and
// file reading.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "support/FakeProjectHost.h"
#include "support/TestFolder.h"

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
