// The sample database of the assets folder, loaded once for the tests.
#pragma once

#include <string>
#include <vector>

#include "database/DatabaseLoader.h"
#include "platform/base/Files.h"

inline const std::string& SampleFolder() {
  static const std::string folder = std::string(KORVANE_ASSETS_DIR) + "/database/";
  return folder;
}

inline const std::vector<std::string>& SampleFiles() {
  static const std::vector<std::string> files = ListFiles(SampleFolder(), "*.csv");
  return files;
}

inline const DatabaseContent& SampleContent() {
  static const DatabaseContent content = [] {
    DatabaseContent c;
    LoadDatabaseFiles(SampleFolder(), SampleFiles(), c, nullptr);
    return c;
  }();
  return content;
}
