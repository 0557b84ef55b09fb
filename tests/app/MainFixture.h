// A main window started headless in a fresh main folder, with scripted answers.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <string>

#include "app/Main.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"

class MainFormTest : public testing::Test {
protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Dir());
    // Closes the welcome window and any other modal window as soon as it runs,
    // unless the test's own handler takes care of it.
    closer_.setInterval(5);
    QObject::connect(&closer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != nullptr && !(handleModal_ && handleModal_(*modal))) modal->close();
    });
    closer_.start();
  }

  void TearDown() override {
    form_.reset();
    closer_.stop();
    std::filesystem::current_path(previous_);
  }

  // The main folder, without a trailing '/'.
  std::string Folder() const { return std::filesystem::path(folder_.Dir()).parent_path().string(); }
  std::string PathOf(const std::string& name) const { return folder_.Path(name); }

  void MakeFile(const std::string& name, const std::string& content = "x") {
    std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path());
    std::ofstream(PathOf(name), std::ios::binary) << content;
  }
  // A folder holding the PBT model and a database file, so start-up warns of nothing.
  void MakeCompleteFolder() {
    MakeFile("models/PBT Index.smd");
    MakeFile("database/chemicals.csv");
  }

  // Leaves the modal windows opened from now on to the test.
  void StopClosingModals() { closer_.stop(); }

  TMainForm& Start() {
    form_ = std::make_unique<TMainForm>();
    return *form_;
  }
  // Starts in a folder where start-up finds everything it looks for.
  TMainForm& StartInCompleteFolder() {
    MakeCompleteFolder();
    return Start();
  }
  // Starts in a complete folder, shown and active once the welcome window has
  // gone; the modal windows opened from then on are left to the test.
  TMainForm& StartShown() {
    TMainForm& main = StartInCompleteFolder();
    ShowActive(main);
    ProcessEventsUntil([] { return QApplication::activeModalWidget() == nullptr; });
    StopClosingModals();
    return main;
  }

  std::unique_ptr<TMainForm> form_;
  // Gets each modal window first; true when it handled the window.
  std::function<bool(QWidget& modal)> handleModal_;

private:
  TestFolder folder_;
  std::filesystem::path previous_;
  QTimer closer_;
};

// The texts of the messages shown so far, in order.
inline std::vector<std::string> ShownTexts() {
  std::vector<std::string> texts;
  for (const ScriptedUi::Message& message : TestUi().Shown()) texts.push_back(message.text);
  return texts;
}
