#include "validate/SingleModelFile.h"

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/FileVersionTags.h"
#include "data/ProjectFile.h"
#include "data/RecordStreams.h"
#include "numerics/Utils.h"
#include "select/SingleModelFit.h"
#include "platform/base/UiServices.h"
#include "validate/ExternalValidator.h"

namespace {

// The record version the single-model file always uses for the model.
constexpr int kSingleModelRecordVersion = 2;

void Require(bool condition, const char* what) {
  if (!condition) throw EDamagedRecord(what);
}

int32_t StoredTrainingObjects(const ChemoData& data) {
  int32_t count = 0;
  for (int32_t i = 0; i < data.iObjCount; ++i) count += data.IsTrainingObject(i) ? 1 : 0;
  return count;
}

// The checks a file must pass once both blocks are read.
void RequireModelFitsData(const DataResultNode& model, const ChemoData& data) {
  const int32_t p = model.iSize;
  Require(p >= 1, "model size");
  Require(data.iVarCount == p + 1 && data.iResponseIndex == p, "data columns");
  Require(data.iSelectedVarCount == p, "selected variables");
  for (int32_t j = 0; j < p; ++j) {
    Require(data.ipSelectedVarPtr[j] >= 0 && data.ipSelectedVarPtr[j] < p, "selected variables");
  }
  Require(model.iTrainCount == StoredTrainingObjects(data), "training count");
}

}  // namespace

void WriteSingleModelFile(Stream& stream, const DataResultNode& model, const ChemoData& data) {
  stream.Write(FileVersionTags::Current(), static_cast<std::size_t>(FileVersionTags::Size()));
  DataResultNode copy(model);
  copy.ReadWriteSingleModel(stream, kStreamWrite, kSingleModelRecordVersion);
  data.WriteSingleModel(stream, model);
}

bool SaveSingleModelFile(const std::string& fileName, const DataResultNode& model, const ChemoData& data) {
  return SafeWriteFile(fileName, [&](Stream& stream) { WriteSingleModelFile(stream, model, data); });
}

void ReadSingleModelFile(Stream& stream, DataResultNode& model, ChemoData& data) {
  ShortReadNotingStream in(stream);
  try {
    FileVersionTags header;
    in.Read(header.Buffer().data(), static_cast<std::size_t>(FileVersionTags::Size()));
    model.tpChemoData = &data;
    model.ReadWriteSingleModel(in, kStreamRead, kSingleModelRecordVersion);
    data.ReadWriteSingleModel(&in, nullptr, kStreamRead);
    Require(!in.ShortReadSeen(), "the file ends early");
    RequireModelFitsData(model, data);
  } catch (...) {
    data.Clear();
    model.Reset();
    throw;
  }
}

void CalculateSingleModel(DataResultList& models, ChemoData& data) {
  try {
    const int32_t count = data.iVarCount - 1;
    ReleaseArray(data.ipSelectedVarPtr);
    data.iSelectedVarCount = 0;
    if (count > 0) AllocCheckedArray(data.ipSelectedVarPtr, count, "*ipSelectedVarPtr");
    for (int32_t j = 0; j < count; ++j) data.ipSelectedVarPtr[j] = j;
    data.iSelectedVarCount = count;
    FitSingleModel(models, data, false);
    ExternalValidator validator(true, &models, &data);
    if (validator.TestCount() > 0) {
      validator.CalcExternalQ2Fn(&models, false);
      validator.CalcExternalCCC(&models, false);
    }
  } catch (...) {
    Ui().MessageBox("Cannot calculate single model", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
}

void ApplyStoredModel(Stream& stream, ChemoData& data, const StoredModelSteps& steps) {
  DataResultNode stored(&data);
  ReadSingleModelFile(stream, stored, data);
  if (steps.addExternalSet) steps.addExternalSet(data);
  bool predictions = false;
  for (int32_t i = 0; i < data.iObjCount; ++i) predictions = predictions || data.ipTrainingPtr[i] == kStatusPrediction;
  DataResultList models(&data);
  if (predictions) CalculateSingleModel(models, data);
  DataResultNode* shown = predictions ? models.First() : &stored;
  if (shown != nullptr && steps.showModel) steps.showModel(*shown, data);
}
