// The project file: the version tag, the data-set block, the model count and
// the model-list block, then the embedded validation files. Saving goes through
// a temporary file that replaces the old file only when it was written whole;
// opening refuses files that are damaged or end early.
#pragma once

#include <functional>
#include <string>

#include "platform/base/Stream.h"

class ChemoData;
class DataResultList;
class TempFiles;

// The name a project is saved under: ".kvp" is appended unless the last four
// characters of the chosen name are ".kvp" in any letter case.
std::string ProjectFileName(const std::string& chosen);

// Writes the whole project with the current tag; without a registry no
// validation file is embedded. False when it leaves out the record of a model
// that carries the record's validation results: its file is missing, or the
// record is out of date.
bool WriteProject(Stream& stream, ChemoData& data, DataResultList& models, TempFiles* temp);

// Writes fileName through write() into a new temporary file of a unique name in
// the same folder and renames that over fileName once everything was written,
// so that saves running at once each leave a whole file. An existing file keeps
// its permissions; a symbolic link keeps pointing at its target, which is
// replaced. On any failure the old file stays as it was, the temporary file is
// removed, the failure is reported and false is returned.
bool SafeWriteFile(const std::string& fileName, const std::function<void(Stream&)>& write);
// Saves the project through SafeWriteFile; a project saved without validation
// files its models carry results of is saved, and the user told so.
bool SaveProjectFile(const std::string& fileName, ChemoData& data, DataResultList& models, TempFiles* temp);

enum class ProjectOpenResult {
  Unchanged,  // not a project file of a known version: reported, nothing touched
  Loaded,     // the project is the file's content
  Refused,    // damaged or cut short: reported, the project left empty
};

// Reads a project from stream. Once the tag is known to be a project tag,
// clearProject() empties the project (data set, models, commands, temporary
// files); a file found damaged after that is refused and clearProject() runs
// again, which also deletes validation files already restored. Without a
// registry the embedded files are not read.
ProjectOpenResult OpenProject(Stream& stream, ChemoData& data, DataResultList& models, TempFiles* temp,
                              const std::function<void()>& clearProject);
// OpenProject on the named file; a file that cannot be opened throws
// EStreamError before anything is cleared.
ProjectOpenResult OpenProjectFile(const std::string& fileName, ChemoData& data, DataResultList& models,
                                  TempFiles* temp, const std::function<void()>& clearProject);
