// A main window stand-in for the import: its data set, command states, modified
// flag and log.
#pragma once

#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/ProjectHost.h"

class FakeProjectHost : public ProjectHost {
public:
  ChemoData& DataSet() override { return data; }
  DataResultList*& ModelList() override { return models; }
  TempFiles* Registry() override { return nullptr; }
  void DisableDataCommands() override {
    dataCommands = false;
    modified = false;
  }
  void EnableDataCommands() override { dataCommands = true; }
  void EnableViewAndSelModels(bool) override {}
  void ReportDataLoaded(const std::string&) override {}
  void ClearProject() override {
    data.Clear();
    DisableDataCommands();
    ++clears;
  }
  void DiscardModels() override { ++discards; }
  bool ConfirmDiscardModels() override { return true; }
  bool Modified() const override { return modified; }
  void SetModified(bool value) override { modified = value; }
  void ActivityLog(const std::string& text) override { log.push_back(text); }
  const std::string& MainFolder() const override { return none; }
  const std::string& ModelsFolder() const override { return none; }
  const std::vector<std::string>& StoredModelNames() const override { return noNames; }
  const std::string& GetDatabaseFolder() const override { return none; }
  const std::vector<std::string>& GetDatabaseFiles() const override { return noNames; }
  char UserDecimalSeparator() const override { return '.'; }

  ChemoData data;
  DataResultList* models = nullptr;
  bool modified = false;
  bool dataCommands = false;
  int clears = 0;
  int discards = 0;
  std::vector<std::string> log;
  std::string none;
  std::vector<std::string> noNames;
};
