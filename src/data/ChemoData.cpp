#include "data/ChemoData.h"

#include <algorithm>
#include <limits>

#include "data/DataResult.h"
#include "data/LabelLists.h"
#include "data/RecordStreams.h"
#include "numerics/Utils.h"
#include "platform/base/UiServices.h"

namespace {

template <typename T>
void ReleaseRows(T**& rows, int32_t count) {
  if (rows != nullptr) {
    for (int32_t i = 0; i < count; ++i) delete[] rows[i];
  }
  ReleaseArray(rows);
}

void Require(bool condition, const char* what) {
  if (!condition) throw EDamagedRecord(what);
}

bool IsStatus(int32_t value) { return value >= kStatusExcluded && value <= kStatusPrediction; }

bool IndicesBelow(const int32_t* items, int32_t count, int32_t limit) {
  if (count > 0 && items == nullptr) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (items[i] < 0 || items[i] >= limit) return false;
  }
  return true;
}

bool AllStatus(const int32_t* items, int32_t count) {
  if (count > 0 && items == nullptr) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (!IsStatus(items[i])) return false;
  }
  return true;
}

}  // namespace

void ReportNullStream(uint8_t mode) {
  std::string verb = IsWriting(mode) ? "write" : "read";
  Ui().MessageBox("Empty file pointer: cannot " + verb + " data", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
}

ChemoData::ChemoData(int32_t varCount, int32_t objCount, int32_t responseIndex) {
  Init();
  Allocate(varCount, objCount);
  iResponseIndex = responseIndex;
}

void ChemoData::Init() {
  iVarCount = 0;
  iObjCount = 0;
  tpVarNameStrPtr = nullptr;
  tpObjNameStrPtr = nullptr;
  ipTrainingPtr = nullptr;
  tpChemoValuePtr = nullptr;
  ipSelectedVarPtr = nullptr;
  iSelectedVarCount = 0;
  iResponseIndex = GetUndefinedIndex();
  ipSelectedSplitPtr = nullptr;
  iSelectedSplitCount = 0;
  ipSelectedHoldPtr = nullptr;
  iSelectedHoldCount = 0;
  iEnumSize = 0;
  iAllSubsetUntil = 0;
  iCombinations = 0;
  iKeepPerSize = GetUndefinedIndex();
  ldQuikDelta = GetUndefinedReal();
  iSplitCount = 0;
  iCurrentSplit = 0;
  ipSplittingPtr = nullptr;
  tpSplitNameStrPtr = nullptr;
  iGAFirstSize = 0;
  iGAUntil = 0;
  iGAPopSize = 0;
  iGAGenerations = 0;
  iGAMutation = 0;
  iFitnessFunc = 0;
  iNextModelID = 0;
  ldLOFSmoothing = 1.0L;
  ldQ2F1Threshold = 0.7L;
  ldQ2F2Threshold = 0.7L;
  ldQ2F3Threshold = 0.7L;
  ldCCCextThreshold = 0.85L;
  ldR2mAverThreshold = 0.65L;
  ldR2mDeltaThreshold = 0.2L;
}

void ChemoData::ReleaseTable() {
  ReleaseRows(tpChemoValuePtr, iObjCount);
  ReleaseArray(tpVarNameStrPtr);
  ReleaseArray(tpObjNameStrPtr);
  ReleaseArray(ipTrainingPtr);
  ReleaseArray(ipSelectedVarPtr);
  iVarCount = iObjCount = iSelectedVarCount = 0;
}

void ChemoData::ReleaseArrays() {
  ReleaseTable();
  ReleaseArray(ipSelectedSplitPtr);
  ReleaseArray(ipSelectedHoldPtr);
  ReleaseSplittings();
  iSelectedSplitCount = iSelectedHoldCount = 0;
}

void ChemoData::ReleaseSplittings() {
  ReleaseRows(ipSplittingPtr, iSplitCount);
  ReleaseArray(tpSplitNameStrPtr);
  iSplitCount = 0;
}

void ChemoData::Clear() {
  ReleaseArrays();
  Init();
}

void ChemoData::Allocate(int32_t varCount, int32_t objCount) {
  Clear();
  if (varCount < 0) throw DataBadAllocEx("*tpVarNameStrPtr");
  AllocCheckedArray(tpChemoValuePtr, objCount, "*tpChemoValuePtr");
  iObjCount = objCount;
  for (int32_t i = 0; i < objCount; ++i) AllocCheckedArray(tpChemoValuePtr[i], varCount, "**tpChemoValuePtr");
  iVarCount = varCount;
  AllocCheckedArray(tpVarNameStrPtr, varCount, "*tpVarNameStrPtr");
  AllocCheckedArray(tpObjNameStrPtr, objCount, "*tpObjNameStrPtr");
  AllocCheckedArray(ipTrainingPtr, objCount, "*ipTrainingPtr");
}

bool ChemoData::ResetImpossibleSearchSettings() {
  bool reset = false;
  auto keepWithin = [&reset](int32_t& setting, int32_t low, int32_t high, int32_t fallback) {
    if (setting >= low && setting <= high) return;
    setting = fallback;
    reset = true;
  };
  const int32_t most = std::numeric_limits<int32_t>::max();
  for (int32_t* size : {&iEnumSize, &iAllSubsetUntil, &iGAFirstSize, &iGAUntil}) keepWithin(*size, 0, iSelectedVarCount, 0);
  for (int32_t* count : {&iGAPopSize, &iGAGenerations, &iGAMutation, &iNextModelID}) keepWithin(*count, 0, most, 0);
  keepWithin(iCombinations, -1, most, 0);
  keepWithin(iKeepPerSize, -1, most, GetUndefinedIndex());
  keepWithin(iFitnessFunc, 0, FitnessFunc().Count() - 1, 0);
  keepWithin(iCurrentSplit, 0, std::max(iSplitCount - 1, 0), 0);
  return reset;
}

bool ChemoData::HasResponse(int32_t obj) const {
  return iResponseIndex >= 0 && !tpChemoValuePtr[obj][iResponseIndex].Missing;
}

bool ChemoData::IsTrainingObject(int32_t obj) const {
  return ipTrainingPtr[obj] == kStatusTraining && HasResponse(obj);
}

bool ChemoData::IsPredictionObject(int32_t obj) const {
  return ipTrainingPtr[obj] == kStatusPrediction && HasResponse(obj);
}

void ChemoData::BuildObjectMasks(uint8_t* prediction, uint8_t* training, uint8_t* missing) const {
  for (int32_t i = 0; i < iObjCount; ++i) {
    if (prediction) prediction[i] = IsPredictionObject(i) ? 1 : 0;
    if (training) training[i] = IsTrainingObject(i) ? 1 : 0;
    if (missing) missing[i] = HasResponse(i) ? 0 : 1;
  }
}

void ChemoData::StreamCounts(Stream& stream, uint8_t mode) {
  StreamInt(stream, iVarCount, mode);
  StreamInt(stream, iObjCount, mode);
  if (IsWriting(mode)) return;
  // Every variable needs at least its name length, every object its name
  // length, its status and its row count.
  RequireRoom(stream, iVarCount, 4, "number of variables");
  RequireRoom(stream, iObjCount, 12, "number of objects");
}

void ChemoData::StreamTable(Stream& stream, uint8_t mode) {
  bool reading = !IsWriting(mode);
  StreamStringArray(stream, tpVarNameStrPtr, iVarCount, mode);
  StreamStringArray(stream, tpObjNameStrPtr, iObjCount, mode);
  int32_t count = iObjCount;
  StreamIntArray(stream, ipTrainingPtr, count, mode);
  if (reading) {
    RequireCount(count, iObjCount, "status count");
    AllocCheckedArray(tpChemoValuePtr, iObjCount, "*tpChemoValuePtr");
  }
  for (int32_t i = 0; i < iObjCount; ++i) {
    count = iVarCount;
    StreamValueRow(stream, tpChemoValuePtr[i], count, mode);
    if (reading) RequireCount(count, iVarCount, "row length");
  }
}

void ChemoData::StreamSplittings(Stream& stream, uint8_t mode) {
  if (iSplitCount <= 0) return;
  if (!IsWriting(mode)) {
    RequireRoom(stream, iSplitCount, 8, "number of splittings");
    AllocCheckedArray(ipSplittingPtr, iSplitCount, "*ipSplittingPtr");
  }
  for (int32_t k = 0; k < iSplitCount; ++k) {
    int32_t count = iObjCount;
    StreamIntArray(stream, ipSplittingPtr[k], count, mode);
    if (!IsWriting(mode)) RequireCount(count, iObjCount, "splitting length");
  }
  StreamStringArray(stream, tpSplitNameStrPtr, iSplitCount, mode);
}

void ChemoData::RequireTableConsistent() const {
  Require(iVarCount >= 0 && iObjCount >= 0, "negative count");
  Require(iVarCount == 0 || tpVarNameStrPtr != nullptr, "variable names");
  Require(iObjCount == 0 || (tpObjNameStrPtr && tpChemoValuePtr), "object names");
  Require(AllStatus(ipTrainingPtr, iObjCount), "object status");
  for (int32_t i = 0; i < iObjCount; ++i) Require(iVarCount == 0 || tpChemoValuePtr[i], "value rows");
  Require(IndicesBelow(ipSelectedVarPtr, iSelectedVarCount, iVarCount), "selected variables");
  Require(iResponseIndex >= -1 && iResponseIndex < iVarCount, "response index");
}

void ChemoData::RequireConsistent() const {
  RequireTableConsistent();
  Require(iSplitCount >= 0, "negative count");
  Require(IndicesBelow(ipSelectedSplitPtr, iSelectedSplitCount, iVarCount), "splitting variables");
  Require(IndicesBelow(ipSelectedHoldPtr, iSelectedHoldCount, iVarCount), "held variables");
  if (iSplitCount == 0) return;
  Require(ipSplittingPtr && tpSplitNameStrPtr, "splittings");
  for (int32_t k = 0; k < iSplitCount; ++k) Require(AllStatus(ipSplittingPtr[k], iObjCount), "splittings");
}

void ChemoData::ReadWrite(Stream* stream, uint8_t mode, int version) {
  if (stream == nullptr) {
    ReportNullStream(mode);
    return;
  }
  Stream& s = *stream;
  bool reading = !IsWriting(mode);
  if (reading) ReleaseArrays();
  try {
    StreamCounts(s, mode);
    StreamTable(s, mode);
    StreamIntArray(s, ipSelectedVarPtr, iSelectedVarCount, mode);
    StreamInt(s, iResponseIndex, mode);
    StreamIntArray(s, ipSelectedSplitPtr, iSelectedSplitCount, mode);
    StreamIntArray(s, ipSelectedHoldPtr, iSelectedHoldCount, mode);
    for (int32_t* setting : {&iEnumSize, &iAllSubsetUntil, &iCombinations, &iKeepPerSize}) StreamInt(s, *setting, mode);
    StreamLongDouble(s, ldQuikDelta, mode);
    StreamInt(s, iSplitCount, mode);
    StreamInt(s, iCurrentSplit, mode);
    StreamSplittings(s, mode);
    for (int32_t* setting : {&iGAFirstSize, &iGAUntil, &iGAPopSize, &iGAGenerations, &iGAMutation, &iFitnessFunc}) {
      StreamInt(s, *setting, mode);
    }
    if (version > 0) StreamInt(s, iNextModelID, mode);
    for (long double* threshold : {&ldQ2F1Threshold, &ldQ2F2Threshold, &ldQ2F3Threshold, &ldCCCextThreshold,
                                   &ldR2mAverThreshold, &ldR2mDeltaThreshold}) {
      StreamLongDouble(s, *threshold, mode);
    }
    if (reading) RequireConsistent();
  } catch (...) {
    if (reading) Clear();
    throw;
  }
}

void ChemoData::StreamSingleModelFields(Stream& stream, uint8_t mode) {
  bool reading = !IsWriting(mode);
  StreamCounts(stream, mode);
  StreamInt(stream, iSelectedVarCount, mode);
  int32_t count = iSelectedVarCount;
  StreamIntArray(stream, ipSelectedVarPtr, count, mode);
  if (reading) RequireCount(count, iSelectedVarCount, "selected variables");
  StreamTable(stream, mode);
  StreamInt(stream, iResponseIndex, mode);
}

void ChemoData::WriteSingleModel(Stream& stream, const DataResultNode& model) const {
  int32_t p = model.iSize;
  bool columnsExist = iResponseIndex >= 0 && iResponseIndex < iVarCount && p >= 0 && (p == 0 || model.ipSelVarIdxPtr);
  for (int32_t j = 0; columnsExist && j < p; ++j) {
    columnsExist = model.ipSelVarIdxPtr[j] >= 0 && model.ipSelVarIdxPtr[j] < iVarCount;
  }
  if (!columnsExist) throw Exception("The model's variables or the response are not in the data set");
  int32_t kept = 0;
  for (int32_t i = 0; i < iObjCount; ++i) kept += IsTrainingObject(i) ? 1 : 0;

  ChemoData reduced(p + 1, kept, p);
  auto sourceColumn = [&](int32_t col) { return col < p ? model.ipSelVarIdxPtr[col] : iResponseIndex; };
  for (int32_t col = 0; col <= p; ++col) reduced.tpVarNameStrPtr[col] = tpVarNameStrPtr[sourceColumn(col)];
  int32_t row = 0;
  for (int32_t i = 0; i < iObjCount; ++i) {
    if (!IsTrainingObject(i)) continue;
    reduced.tpObjNameStrPtr[row] = tpObjNameStrPtr[i];
    reduced.ipTrainingPtr[row] = kStatusTraining;
    for (int32_t col = 0; col <= p; ++col) reduced.tpChemoValuePtr[row][col] = tpChemoValuePtr[i][sourceColumn(col)];
    ++row;
  }
  AllocCheckedArray(reduced.ipSelectedVarPtr, p, "*tpChemoPointer->ipSelectedVarPtr");
  reduced.iSelectedVarCount = p;
  for (int32_t j = 0; j < p; ++j) reduced.ipSelectedVarPtr[j] = j;
  reduced.StreamSingleModelFields(stream, kStreamWrite);
}

void ChemoData::ReadWriteSingleModel(Stream* stream, const DataResultNode* model, uint8_t mode) {
  if (stream == nullptr) {
    ReportNullStream(mode);
    return;
  }
  if (IsWriting(mode)) {
    WriteSingleModel(*stream, *model);
    return;
  }
  const int32_t previousObjCount = iObjCount;
  ReleaseTable();
  try {
    StreamSingleModelFields(*stream, mode);
    RequireTableConsistent();
  } catch (...) {
    Clear();
    throw;
  }
  DropWhatNoLongerFits(previousObjCount);
}

void ChemoData::DropWhatNoLongerFits(int32_t previousObjCount) {
  if (iSplitCount > 0 && iObjCount != previousObjCount) {
    ReleaseSplittings();
    iCurrentSplit = 0;
  }
  if (!IndicesBelow(ipSelectedSplitPtr, iSelectedSplitCount, iVarCount)) {
    ReleaseArray(ipSelectedSplitPtr);
    iSelectedSplitCount = 0;
  }
  if (!IndicesBelow(ipSelectedHoldPtr, iSelectedHoldCount, iVarCount)) {
    ReleaseArray(ipSelectedHoldPtr);
    iSelectedHoldCount = 0;
  }
}
