#include "data/ProjectFile.h"

#include <cctype>
#include <cstdio>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/FileVersionTags.h"
#include "data/RecordStreams.h"
#include "data/TempFiles.h"
#include "data/ValidationFiles.h"
#include "platform/base/Files.h"
#include "platform/base/ReplaceFile.h"
#include "platform/base/UiServices.h"

namespace {

// The validation files in the order the writer embeds them, with their kinds.
struct EmbeddedFile {
  const char* name;
  int kind;
};
constexpr EmbeddedFile kStoreOrder[] = {{"~yscr~", 1}, {"~rdes~", 2}, {"~rres~", 3}, {"~many~", 0}};

const char* const kDetailsMissing =
    "The project has been saved without the internal validation details: their temporary files are missing, and "
    "the models' validation plots will not be available.";

const char* const kOldVersionWarning =
    "You are loading a project saved with a previous version of KORVANE. Data will be converted in the new "
    "format: it would be safe to save now the new project with a different name. Note: concerning the models.";

const char* const kSettingsResetWarning =
    "The search settings stored in this project do not fit its data and have been reset: set up the search again "
    "before running it.";

int CurrentVersion() { return FileVersionTags::Count() - 1; }

// The message of the exception being handled.
std::string CurrentExceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (const char* text) {
    return text;
  } catch (...) {
    return "unknown error";
  }
}

void ReportError(const std::string& text) { Ui().MessageBox(text, "APPLICATION ERROR", MB_OK | MB_ICONERROR); }

bool IsValidationName(const std::string& name) {
  for (const EmbeddedFile& known : kStoreOrder) {
    if (name == known.name) return true;
  }
  return false;
}

// True when a model of the list carries the kind's validation results while the
// project leaves out its record.
bool LeavesOutCarriedDetails(const DataResultList& models, int kind, const StaleRecords& leftOut) {
  for (const DataResultNode* model = models.First(); model != nullptr; model = model->Next())
    if (!(model->*kValidationMeanQ2[kind]).Missing && leftOut.Holds(model->ipSelVarIdxPtr, model->iSize))
      return true;
  return false;
}

// Skips an embedded record's size and content.
void SkipEmbeddedFile(Stream& stream) {
  int64_t size = -1;
  StreamInt64(stream, size, kStreamRead);
  RequireRoom(stream, size, 1, "embedded file size");
  stream.Seek(size, SeekOrigin::Current);
}

void ReadEmbeddedFiles(Stream& stream, TempFiles& temp) {
  // A file that ends inside the length of a further record ends the list.
  while (stream.Size() - stream.Position() >= 4) {
    std::string name;
    StreamString(stream, name, kStreamRead);
    if (IsValidationName(name)) {
      temp.RestoreTempFile(stream, name);
    } else {
      SkipEmbeddedFile(stream);
    }
  }
}

void ReadProjectBody(Stream& stream, int version, ChemoData& data, DataResultList& models, TempFiles* temp) {
  ShortReadNotingStream in(stream);
  data.ReadWrite(&in, kStreamRead, version);
  if (in.ShortReadSeen()) throw EDamagedRecord("the data set ends early");
  // Settings only steer the next search: an impossible one costs the user nothing
  // when reset, where refusing the file would cost the data and the models.
  if (data.ResetImpossibleSearchSettings()) Ui().MessageBox(kSettingsResetWarning, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  int32_t count = 0;
  StreamInt(in, count, kStreamRead);
  if (in.ShortReadSeen()) throw EDamagedRecord("the number of models is missing");
  if (count < 0) throw EDamagedRecord("number of models");
  if (count > 0) {
    int32_t before = models.Count();
    models.ReadWrite(&in, kStreamRead, version);
    if (in.ShortReadSeen()) throw EDamagedRecord("the models end early");
    if (models.Count() - before != count) throw EDamagedRecord("number of models");
  }
  if (temp != nullptr) ReadEmbeddedFiles(in, *temp);
}

}  // namespace

std::string ProjectFileName(const std::string& chosen) {
  std::string extension = chosen.size() > 3 ? chosen.substr(chosen.size() - 4) : "";
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".kvp" ? chosen : chosen + ".kvp";
}

bool WriteProject(Stream& stream, ChemoData& data, DataResultList& models, TempFiles* temp) {
  stream.Write(FileVersionTags::Current(), static_cast<std::size_t>(FileVersionTags::Size()));
  data.ReadWrite(&stream, kStreamWrite, CurrentVersion());
  int32_t count = models.Count();
  StreamInt(stream, count, kStreamWrite);
  if (count > 0) models.ReadWrite(&stream, kStreamWrite, CurrentVersion());
  if (temp == nullptr) return true;
  bool complete = true;
  for (const EmbeddedFile& file : kStoreOrder) {
    StaleRecords leftOut = temp->Stale(file.name);  // a file that cannot be opened leaves out every record
    if (!temp->StoreTempFile(file.name, stream)) leftOut.MarkAll();
    if (LeavesOutCarriedDetails(models, file.kind, leftOut)) complete = false;
  }
  return complete;
}

bool SafeWriteFile(const std::string& fileName, const std::function<void(Stream&)>& write) {
  try {
    WriteReplacingFile(fileName, write);
    return true;
  } catch (...) {
    ReportError("Cannot save file " + fileName + ": " + CurrentExceptionText());
    return false;
  }
}

bool SaveProjectFile(const std::string& fileName, ChemoData& data, DataResultList& models, TempFiles* temp) {
  bool complete = true;
  if (!SafeWriteFile(fileName, [&](Stream& stream) { complete = WriteProject(stream, data, models, temp); }))
    return false;
  if (!complete) Ui().MessageBox(kDetailsMissing, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  return true;
}

ProjectOpenResult OpenProject(Stream& stream, ChemoData& data, DataResultList& models, TempFiles* temp,
                              const std::function<void()>& clearProject) {
  FileVersionTags tags;
  const std::size_t headerSize = static_cast<std::size_t>(FileVersionTags::Size());
  // A header cut short is no tag, even when its text matches one.
  int version = stream.Read(tags.Buffer().data(), headerSize) == headerSize ? tags.Find() : -1;
  if (version < 0) {
    ReportError("Cannot load file, wrong project file version: " + std::string(tags.Buffer().data()));
    return ProjectOpenResult::Unchanged;
  }
  if (version < CurrentVersion()) Ui().MessageBox(kOldVersionWarning, "APPLICATION WARNING", MB_OK | MB_ICONERROR);
  clearProject();
  try {
    ReadProjectBody(stream, version, data, models, temp);
    return ProjectOpenResult::Loaded;
  } catch (...) {
    std::string reason = CurrentExceptionText();
    clearProject();
    ReportError("Cannot load file, damaged project file: " + reason);
    return ProjectOpenResult::Refused;
  }
}

ProjectOpenResult OpenProjectFile(const std::string& fileName, ChemoData& data, DataResultList& models,
                                  TempFiles* temp, const std::function<void()>& clearProject) {
  FileStream file(fileName, FileMode::OpenRead);
  return OpenProject(file, data, models, temp, clearProject);
}
