// The main window as the set-up and viewer windows see it: records the
// modified flag and the calculate command, asks the discard question.
#pragma once

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "platform/base/UiServices.h"

class RecordingHost : public ProjectHost {
public:
  RecordingHost() { MainForm = this; }
  ~RecordingHost() override { MainForm = nullptr; }
  ChemoData& DataSet() override { return data; }
  DataResultList*& ModelList() override { return models_; }
  TempFiles* Registry() override { return nullptr; }
  void DisableDataCommands() override {}
  void EnableDataCommands() override {}
  void EnableViewAndSelModels(bool) override {}
  void ReportDataLoaded(const std::string&) override {}
  void ClearProject() override {}
  void DiscardModels() override { ++discards; }
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
  void ActivityLog(const std::string&) override {}
  const std::string& MainFolder() const override { return empty_; }
  const std::string& ModelsFolder() const override { return empty_; }
  const std::vector<std::string>& StoredModelNames() const override { return none_; }
  const std::string& GetDatabaseFolder() const override { return empty_; }
  const std::vector<std::string>& GetDatabaseFiles() const override { return none_; }
  char UserDecimalSeparator() const override { return separator; }

  ChemoData data;
  bool modified = false;
  bool calculateEnabled = false;
  int discards = 0;
  char separator = '.';

private:
  DataResultList* models_ = nullptr;
  std::string empty_;
  std::vector<std::string> none_;
};
