// What the windows of the program may ask of the main window, which owns the
// project: the data set, the model list, the temporary-file registry, the
// command states, the modified flag, the activity log and the number-text
// converters. The main window implements it; the windows reach it through
// the global MainForm.
#pragma once

#include <string>
#include <vector>

#include "numerics/Utils.h"

class ChemoData;
class DataResultList;
class TempFiles;

class ProjectHost {
public:
  virtual ~ProjectHost() = default;

  // The project.
  virtual ChemoData& DataSet() = 0;
  // The model-list field itself: the model list window may put another list into
  // it; the main window owns and frees whatever list the field holds.
  virtual DataResultList*& ModelList() = 0;
  // The temporary-file registry; null when no temporary folder could be made.
  virtual TempFiles* Registry() = 0;

  // Command states and the clearing of the project.
  virtual void DisableDataCommands() = 0;
  virtual void EnableDataCommands() = 0;
  virtual void EnableViewAndSelModels(bool enabled) = 0;
  virtual void ReportDataLoaded(const std::string& sourcePath) = 0;
  virtual void ClearProject() = 0;
  virtual void DiscardModels() = 0;
  virtual bool ConfirmDiscardModels() = 0;
  // The "Variable selection and models calculation" command, enabled once a
  // valid data set-up has been written.
  virtual void EnableCalculateAllSubset(bool enabled) { (void)enabled; }

  // The project has changes that were not saved.
  virtual bool Modified() const = 0;
  virtual void SetModified(bool modified) = 0;

  // Adds text to the activity log; line feeds inside it start new lines.
  virtual void ActivityLog(const std::string& text) = 0;
  // The current date and time as the log shows them ("<date> - <time>"); the
  // main window uses the user's locale, this default the C library's.
  virtual std::string DateTimeText() const;

  // Folders and files found at start-up. Folder paths end with '/', the main
  // folder has no trailing separator; each is empty when it was not found.
  virtual const std::string& MainFolder() const = 0;
  virtual const std::string& ModelsFolder() const = 0;
  virtual const std::vector<std::string>& StoredModelNames() const = 0;
  virtual const std::string& GetDatabaseFolder() const = 0;
  virtual const std::vector<std::string>& GetDatabaseFiles() const = 0;

  // The decimal separator of the user's locale, kept at start-up.
  virtual char UserDecimalSeparator() const = 0;

  std::string ToSystemDecimalSeparator(const std::string& text) const {
    return ::ToSystemDecimalSeparator(text, UserDecimalSeparator());
  }
  std::string FromSystemDecimalSeparator(const std::string& text) const {
    return ::FromSystemDecimalSeparator(text, UserDecimalSeparator());
  }
  std::string ConvertReportSeparators(const std::string& text) const {
    return ::ConvertReportSeparators(text, UserDecimalSeparator());
  }
};

// The main window, as every other window sees it; set while the main window exists.
inline ProjectHost* MainForm = nullptr;

// A number text with its first '.' turned into the user's decimal separator
// (unchanged while there is no main window).
std::string UserNumberText(const std::string& number);
// The user's decimal separator ('.' while there is no main window).
char UserSeparator();
