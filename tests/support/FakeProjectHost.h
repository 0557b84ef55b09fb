// The main window as the other windows see it, for tests: holds a data set,
// records the modified flag, the log and the command states, asks the
// discard question through the scripted UI. Installed as MainForm while it lives.
#pragma once

#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "platform/base/UiServices.h"

class FakeProjectHost : public ProjectHost {
public:
  explicit FakeProjectHost(char userSeparator = '.') : separator(userSeparator) { MainForm = this; }
  ~FakeProjectHost() override { MainForm = nullptr; }

  ChemoData& DataSet() override { return data; }
  DataResultList*& ModelList() override { return models; }
  TempFiles* Registry() override { return registry; }
  void DisableDataCommands() override {
    dataCommands = false;
    modified = false;
  }
  void EnableDataCommands() override { dataCommands = true; }
  void EnableViewAndSelModels(bool enabled) override { viewModelsEnabled = enabled; }
  void ReportDataLoaded(const std::string&) override {}
  void ClearProject() override {
    data.Clear();
    DisableDataCommands();
    ++clears;
  }
  // As the main window: the list emptied and the seven search settings zeroed.
  void DiscardModels() override {
    ++discards;
    if (ModelList()) ModelList()->Clear();
    ChemoData& d = DataSet();
    for (int32_t* setting : {&d.iEnumSize, &d.iAllSubsetUntil, &d.iGAFirstSize, &d.iGAUntil, &d.iGAPopSize,
                             &d.iGAGenerations, &d.iGAMutation})
      *setting = 0;
  }
  bool ConfirmDiscardModels() override {
    if (Ui().MessageBox("Previous calculated models data will be erased! Do you want to continue?",
                        "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return false;
    DiscardModels();
    return true;
  }
  void EnableCalculateAllSubset(bool enabled) override { calculateEnabled = enabled; }
  bool Modified() const override { return modified; }
  void SetModified(bool value) override { modified = value; }
  void ActivityLog(const std::string& text) override { log.push_back(text); }
  const std::string& MainFolder() const override { return empty_; }
  const std::string& ModelsFolder() const override { return empty_; }
  const std::vector<std::string>& StoredModelNames() const override { return none_; }
  const std::string& GetDatabaseFolder() const override { return empty_; }
  const std::vector<std::string>& GetDatabaseFiles() const override { return none_; }
  char UserDecimalSeparator() const override { return separator; }

  ChemoData data;
  DataResultList* models = nullptr;
  TempFiles* registry = nullptr;
  char separator;
  bool modified = false;
  bool dataCommands = false;
  bool viewModelsEnabled = false;
  bool calculateEnabled = false;
  int clears = 0;
  int discards = 0;
  std::vector<std::string> log;

private:
  std::string empty_;
  std::vector<std::string> none_;
};
