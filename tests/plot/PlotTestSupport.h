// Shared pieces of the plot tests: a main window stand-in that only knows the
// user's decimal separator, temporary files and file reading.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/ChemoData.h"
#include "data/ProjectHost.h"

class SeparatorHost : public ProjectHost {
public:
  explicit SeparatorHost(char separator) : separator_(separator) { MainForm = this; }
  ~SeparatorHost() override { MainForm = nullptr; }
  ChemoData& DataSet() override { return data_; }
  DataResultList*& ModelList() override { return models_; }
  TempFiles* Registry() override { return nullptr; }
  void DisableDataCommands() override {}
  void EnableDataCommands() override {}
  void EnableViewAndSelModels(bool) override {}
  void ReportDataLoaded(const std::string&) override {}
  void ClearProject() override {}
  void DiscardModels() override {}
  bool ConfirmDiscardModels() override { return true; }
  bool Modified() const override { return false; }
  void SetModified(bool) override {}
  void ActivityLog(const std::string&) override {}
  const std::string& MainFolder() const override { return empty_; }
  const std::string& ModelsFolder() const override { return empty_; }
  const std::vector<std::string>& StoredModelNames() const override { return none_; }
  const std::string& GetDatabaseFolder() const override { return empty_; }
  const std::vector<std::string>& GetDatabaseFiles() const override { return none_; }
  char UserDecimalSeparator() const override { return separator_; }

private:
  char separator_;
  ChemoData data_;
  DataResultList* models_ = nullptr;
  std::string empty_;
  std::vector<std::string> none_;
};

// A fresh folder for the files of one test, removed afterwards.
class TempFolder {
public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("korvane_plot_" + std::to_string(::getpid()) + "_" +
             testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
