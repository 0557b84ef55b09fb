// A main window started headless in a fresh main folder, with scripted answers.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/Main.h"
#include "support/ScriptedUi.h"

class MainFormTest : public testing::Test {
protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("korvane_main_" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    // Closes the welcome window and any other modal window as soon as it runs.
    closer_.setInterval(5);
    QObject::connect(&closer_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    closer_.start();
  }

  void TearDown() override {
    form_.reset();
    closer_.stop();
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  std::string Folder() const { return folder_.string(); }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  void MakeFile(const std::string& name, const std::string& content = "x") {
    std::filesystem::create_directories((folder_ / name).parent_path());
    std::ofstream(folder_ / name, std::ios::binary) << content;
  }
  // A folder holding the PBT model and a database file, so start-up warns of nothing.
  void MakeCompleteFolder() {
    MakeFile("models/PBT Index.smd");
    MakeFile("database/chemicals.csv");
  }

  TMainForm& Start() {
    form_ = std::make_unique<TMainForm>();
    return *form_;
  }

  std::unique_ptr<TMainForm> form_;

private:
  std::filesystem::path previous_;
  std::filesystem::path folder_;
  QTimer closer_;
};
