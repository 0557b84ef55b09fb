#include "data/DataResult.h"

#include <climits>
#include <new>
#include <utility>

#include "data/ChemoData.h"
#include "data/RecordStreams.h"
#include "numerics/Utils.h"
#include "platform/base/ExtendedCodec.h"
#include "platform/base/NumberText.h"

namespace {

// Copies count items of source into a fresh array; a source that was never
// filled leaves the target null.
template <typename T>
void CopyArray(T*& target, const T* source, int32_t count, const char* name) {
  ReleaseArray(target);
  if (source == nullptr || count < 1) return;
  AllocCheckedArray(target, count, name);
  for (int32_t i = 0; i < count; ++i) target[i] = source[i];
}

// The statistic cells by number; each entry names either a real or an int cell.
struct CellSlot {
  CheckedValue ModelCells::*real;
  CheckedIntValue ModelCells::*integer;
};

constexpr CellSlot R(CheckedValue ModelCells::*cell) { return {cell, nullptr}; }
constexpr CellSlot I(CheckedIntValue ModelCells::*cell) { return {nullptr, cell}; }

using M = ModelCells;
constexpr CellSlot kCells[kModelCellCount + 1] = {
    {nullptr, nullptr},
    R(&M::cvQ2loo), R(&M::cvR2adj), R(&M::cvLOF), R(&M::cvR2), R(&M::cvKxx), R(&M::cvKxy),
    R(&M::cvRMSEtr), R(&M::cvRMSEcv), R(&M::cvRMSEext), R(&M::cvS), R(&M::cvF),
    I(&M::ciNOutAD), I(&M::ciNXOutl), I(&M::ciNYOutlUndModEq), I(&M::ciNYOutlOverModEq),
    I(&M::ciNYOutlUndLOO), I(&M::ciNYOutlOverLOO),
    R(&M::cvMCDMfit), R(&M::cvMCDMcv), R(&M::cvMCDMext), R(&M::cvMCDMall), I(&M::ciNExtOK),
    R(&M::cvQ2F1), R(&M::cvQ2F1c1), R(&M::cvQ2F1c2), R(&M::cvQ2F1c3),
    R(&M::cvQ2F2), R(&M::cvQ2F2c1), R(&M::cvQ2F2c2), R(&M::cvQ2F2c3),
    R(&M::cvQ2F3), R(&M::cvQ2F3c1), R(&M::cvQ2F3c2), R(&M::cvQ2F3c3),
    R(&M::cvCCCext), R(&M::cvCCCextc1), R(&M::cvCCCextc2), R(&M::cvCCCextc3),
    R(&M::cvCCCtr), R(&M::cvCCCcv), R(&M::cvR2extReg), R(&M::cvR2oPrime), R(&M::cvR2o),
    R(&M::cvKPrime), R(&M::cvK), R(&M::cvR2mAver), R(&M::cvR2mDelta), R(&M::cvClosPrime), R(&M::cvClos),
    R(&M::cvMAEtr), R(&M::cvMAEcv), R(&M::cvMAEext), R(&M::cvRSStr), R(&M::cvPRESScv), R(&M::cvPRESSext),
    R(&M::cvR2LMO), R(&M::cvQ2LMO), R(&M::cvLMOc1), R(&M::cvLMOc2), R(&M::cvLMOc3), R(&M::cvLMOc4),
    R(&M::cvLMOc5), R(&M::cvLMOc6), R(&M::cvLMOc7), R(&M::cvLMOc8),
    R(&M::cvR2Yscr), R(&M::cvQ2Yscr), R(&M::cvYscrc1), R(&M::cvYscrc2), R(&M::cvYscrc3), R(&M::cvYscrc4),
    R(&M::cvR2Xrnd), R(&M::cvQ2Xrnd), R(&M::cvXrndc1), R(&M::cvXrndc2), R(&M::cvXrndc3), R(&M::cvXrndc4),
    R(&M::cvR2Yrnd), R(&M::cvQ2Yrnd), R(&M::cvYrndc1), R(&M::cvYrndc2), R(&M::cvYrndc3), R(&M::cvYrndc4),
    R(&M::cvR2ext), I(&M::ciExtRegPar),
};

// The cells of the project record: always, then only from version 1 on.
constexpr int kProjectCells[] = {1,  2,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 22, 23, 27, 31, 35, 39, 40,
                             41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 61, 66, 67,
                             68, 70, 72, 73, 74, 76, 78, 79, 80, 82};
constexpr int kProjectCellsV1[] = {69, 71, 75, 77, 81, 83, 59, 60, 62, 63, 64, 65, 24, 25, 26, 28, 29,
                               30, 32, 33, 34, 36, 37, 38, 85, 84, 18, 19, 20, 21, 3,  16, 17};
// The cells of the single-model record.
constexpr int kSingleModelCells[] = {1,  2,  4,  5,  6,  7,  8,  10, 11, 39, 40, 41,
                                 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 53, 54};

}  // namespace

LeverageStruct& LeverageStruct::operator=(const LeverageStruct& source) {
  if (&source == this) return *this;
  iCount = source.iCount;
  CopyArray(ldpValuePtr, source.ldpValuePtr, iCount, "*ldpValuePtr");
  CopyArray(bpHstarPtr, source.bpHstarPtr, iCount, "*bpHstarPtr");
  CopyArray(bpActiveIndexPtr, source.bpActiveIndexPtr, iCount, "*bpActiveIndexPtr");
  return *this;
}

void LeverageStruct::Release() {
  ReleaseArray(ldpValuePtr);
  ReleaseArray(bpActiveIndexPtr);
  ReleaseArray(bpHstarPtr);
  iCount = 0;
}

void LeverageStruct::Swap(LeverageStruct& other) noexcept {
  std::swap(iCount, other.iCount);
  std::swap(ldpValuePtr, other.ldpValuePtr);
  std::swap(bpActiveIndexPtr, other.bpActiveIndexPtr);
  std::swap(bpHstarPtr, other.bpHstarPtr);
}

bool DataResultNode::IsIntCell(int number) { return kCells[number].integer != nullptr; }

CheckedValue& DataResultNode::Cell(int number) { return this->*kCells[number].real; }

const CheckedValue& DataResultNode::Cell(int number) const { return this->*kCells[number].real; }

CheckedIntValue& DataResultNode::IntCell(int number) { return this->*kCells[number].integer; }

void DataResultNode::Reset() {
  ReleaseArrays();
  tpNext = tpPrev = nullptr;
  iSelStatus = iSize = iTrainCount = iRank = iID = 0;
  sName.clear();
  for (int n = 1; n <= kModelCellCount; ++n) {
    if (IsIntCell(n)) {
      IntCell(n) = CheckedIntValue(n == 85 ? -1 : 0, true);
    } else {
      Cell(n) = CheckedValue(n == 3 || n >= 18 ? GetUndefinedReal() : 0.0L, true);
    }
  }
  ldHstar = 0.0L;
}

void DataResultNode::ReleaseArrays() {
  ReleaseArray(ipSelVarIdxPtr);
  ReleaseArray(ldpBModelCoeffPtr);
  ReleaseArray(ldpBStdCoeffPtr);
  ReleaseArray(ldpBIntConfPtr);
  ReleaseArray(ldpBSignifPtr);
  ReleaseArray(ldpBStdErrPtr);
  ReleaseArray(ldpTrainYCapPtr);
  tsTrainLev.Release();
  tsTestLev.Release();
  tsNoRespLev.Release();
}

DataResultNode& DataResultNode::operator=(const DataResultNode& source) {
  if (&source == this) return *this;
  tpChemoData = source.tpChemoData;
  iSelStatus = source.iSelStatus;
  iSize = source.iSize;
  iTrainCount = source.iTrainCount;
  iRank = source.iRank;
  iID = source.iID;
  sName = source.sName;
  static_cast<ModelCells&>(*this) = source;
  CopyArray(ipSelVarIdxPtr, source.ipSelVarIdxPtr, iSize, "*ipSelVarIdxPtr");
  CopyArray(ldpBModelCoeffPtr, source.ldpBModelCoeffPtr, iSize + 1, "*ldpBModelCoeffPtr");
  CopyArray(ldpBStdCoeffPtr, source.ldpBStdCoeffPtr, iSize + 1, "*ldpBStdCoeffPtr");
  CopyArray(ldpBIntConfPtr, source.ldpBIntConfPtr, iSize + 1, "*ldpBIntConfPtr");
  CopyArray(ldpBSignifPtr, source.ldpBSignifPtr, iSize + 1, "*ldpBSignifPtr");
  CopyArray(ldpBStdErrPtr, source.ldpBStdErrPtr, iSize + 1, "*ldpBStdErrPtr");
  tsTrainLev = source.tsTrainLev;
  tsTestLev = source.tsTestLev;
  tsNoRespLev = source.tsNoRespLev;
  ldHstar = source.ldHstar;
  CopyArray(ldpTrainYCapPtr, source.ldpTrainYCapPtr, iTrainCount, "*ldpTrainYCapPtr");
  return *this;
}

DataResultNode& DataResultNode::operator=(DataResultNode&& source) noexcept {
  if (&source == this) return *this;
  tpChemoData = source.tpChemoData;
  iSelStatus = source.iSelStatus;
  iSize = source.iSize;
  iTrainCount = source.iTrainCount;
  iRank = source.iRank;
  iID = source.iID;
  sName.swap(source.sName);
  static_cast<ModelCells&>(*this) = source;
  std::swap(ipSelVarIdxPtr, source.ipSelVarIdxPtr);
  std::swap(ldpBModelCoeffPtr, source.ldpBModelCoeffPtr);
  std::swap(ldpBStdCoeffPtr, source.ldpBStdCoeffPtr);
  std::swap(ldpBIntConfPtr, source.ldpBIntConfPtr);
  std::swap(ldpBSignifPtr, source.ldpBSignifPtr);
  std::swap(ldpBStdErrPtr, source.ldpBStdErrPtr);
  tsTrainLev.Swap(source.tsTrainLev);
  tsTestLev.Swap(source.tsTestLev);
  tsNoRespLev.Swap(source.tsNoRespLev);
  ldHstar = source.ldHstar;
  std::swap(ldpTrainYCapPtr, source.ldpTrainYCapPtr);
  // The source now holds this node's former arrays: reset it, keeping its links.
  DataResultNode* next = source.tpNext;
  DataResultNode* prev = source.tpPrev;
  source.Reset();
  source.tpNext = next;
  source.tpPrev = prev;
  return *this;
}

template <std::size_t N>
void DataResultNode::StreamCells(Stream& stream, const int (&numbers)[N], uint8_t mode) {
  for (int n : numbers) {
    if (IsIntCell(n)) {
      StreamIntCell(stream, IntCell(n), mode);
    } else {
      StreamCell(stream, Cell(n), mode);
    }
  }
}

void DataResultNode::StreamCounts(Stream& stream, uint8_t mode) {
  StreamInt(stream, iSelStatus, mode);
  StreamInt(stream, iSize, mode);
  StreamInt(stream, iTrainCount, mode);
  if (IsWriting(mode)) return;
  if (iSize == INT32_MAX) throw EDamagedRecord("model size");
  RequireRoom(stream, iSize, 4, "model size");
  RequireRoom(stream, iTrainCount, kExtendedSize, "training count");
}

void DataResultNode::StreamFit(Stream& stream, uint8_t mode, bool sequence) {
  bool reading = !IsWriting(mode);
  int32_t count = iSize;
  if (sequence && !reading) {
    int32_t* indices = nullptr;
    AllocCheckedArray(indices, iSize, "*ipSequence");
    for (int32_t j = 0; j < iSize; ++j) indices[j] = j;
    StreamIntArray(stream, indices, count, mode);
    delete[] indices;
  } else {
    StreamIntArray(stream, ipSelVarIdxPtr, count, mode);
    if (reading) RequireCount(count, iSize, "variable count");
  }
  for (long double** coefficients : {&ldpBModelCoeffPtr, &ldpBStdCoeffPtr, &ldpBIntConfPtr}) {
    count = iSize + 1;
    StreamRealArray(stream, *coefficients, count, mode);
    if (reading) RequireCount(count, iSize + 1, "coefficient count");
  }
  StreamLongDouble(stream, ldHstar, mode);
  count = iTrainCount;
  StreamRealArray(stream, ldpTrainYCapPtr, count, mode);
  if (reading) RequireCount(count, iTrainCount, "training count");
}

void DataResultNode::StreamErrorArrays(Stream& stream, uint8_t mode, int version, int32_t columns) {
  bool reading = !IsWriting(mode);
  if (version >= 3) {
    for (long double** errors : {&ldpBSignifPtr, &ldpBStdErrPtr}) {
      int32_t count = iSize + 1;
      StreamRealArray(stream, *errors, count, mode);
      if (reading) RequireCount(count, iSize + 1, "coefficient count");
    }
  }
  if (!reading) return;
  RequireConsistent(columns);
  for (long double** errors : {&ldpBSignifPtr, &ldpBStdErrPtr}) {
    if (*errors != nullptr) continue;
    AllocCheckedArray(*errors, iSize + 1, errors == &ldpBSignifPtr ? "*ldpBSignifPtr" : "*ldpBStdErrPtr");
    for (int32_t j = 0; j <= iSize; ++j) (*errors)[j] = GetUndefinedReal();
  }
}

int32_t DataResultNode::OwnerColumns() const { return tpChemoData ? tpChemoData->iVarCount : INT32_MAX; }

int32_t DataResultNode::OwnerObjects() const { return tpChemoData ? tpChemoData->iObjCount : INT32_MAX; }

void DataResultNode::RequirePossibleCounts(int32_t objects) const {
  const auto within = [](const CheckedIntValue& cell, int32_t limit) { return cell.Value >= 0 && cell.Value <= limit; };
  if (!within(ciNExtOK, kExternalCriteriaCount)) throw EDamagedRecord("number of external criteria met");
  for (const CheckedIntValue* count : {&ciNOutAD, &ciNXOutl, &ciNYOutlUndModEq, &ciNYOutlOverModEq, &ciNYOutlUndLOO,
                                       &ciNYOutlOverLOO})
    if (!within(*count, objects)) throw EDamagedRecord("number of outlying objects");
}

void DataResultNode::RequireConsistent(int32_t columns) const {
  bool ok = iSize >= 0 && iTrainCount >= 0 && (iSize == 0 || ipSelVarIdxPtr) && ldpBModelCoeffPtr &&
            ldpBStdCoeffPtr && ldpBIntConfPtr && (iTrainCount == 0 || ldpTrainYCapPtr);
  for (int32_t j = 0; ok && j < iSize; ++j) ok = ipSelVarIdxPtr[j] >= 0 && ipSelVarIdxPtr[j] < columns;
  if (!ok) throw EDamagedRecord("model arrays");
}

template <typename Body>
void DataResultNode::RunRecord(uint8_t mode, Body body) {
  if (IsWriting(mode)) {
    body();
    return;
  }
  ReleaseArrays();
  try {
    body();
  } catch (...) {
    DataResultNode* next = tpNext;
    DataResultNode* prev = tpPrev;
    Reset();
    tpNext = next;
    tpPrev = prev;
    throw;
  }
}

void DataResultNode::ReadWrite(Stream& stream, uint8_t mode, int version) {
  auto body = [&] {
    StreamCounts(stream, mode);
    if (version > 0) StreamInt(stream, iID, mode);
    StreamString(stream, sName, mode);
    StreamCells(stream, kProjectCells, mode);
    StreamFit(stream, mode, false);
    if (version > 0) StreamCells(stream, kProjectCellsV1, mode);
    StreamErrorArrays(stream, mode, version, OwnerColumns());
    if (!IsWriting(mode)) RequirePossibleCounts(OwnerObjects());
  };
  RunRecord(mode, body);
}

void DataResultNode::ReadWriteSingleModel(Stream& stream, uint8_t mode, int version) {
  auto body = [&] {
    StreamCounts(stream, mode);
    StreamString(stream, sName, mode);
    StreamCells(stream, kSingleModelCells, mode);
    StreamFit(stream, mode, true);
    // The data block with the model's columns follows this record, so the
    // indices can only be checked against the model's own size here.
    StreamErrorArrays(stream, mode, version, iSize);
  };
  RunRecord(mode, body);
}

namespace {

// One cell of the report: its label, the cell shown (0: label only), the cell
// subtracted from it (0: none) and whether the value separator follows.
struct ReportCell {
  const char* label;
  int cell;
  int minus;
  bool separator;
};

const ReportCell kReport[15][4] = {
    {{"(Fitting criteria)", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}},
    {{"R2: ", 4, 0, true}, {"R2adj: ", 2, 0, true}, {"R2-R2adj: ", 4, 2, true}, {"LOF: ", 3, 0, false}},
    {{"Kxx: ", 5, 0, true}, {"Delta K: ", 6, 5, true}, {"RMSE tr: ", 7, 0, true}, {"MAE tr: ", 50, 0, false}},
    {{"RSS tr: ", 53, 0, true}, {"CCC tr: ", 39, 0, true}, {"s: ", 10, 0, true}, {"F: ", 11, 0, false}},
    {{"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}},
    {{"(Internal validation criteria)", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}},
    {{"Q2loo: ", 1, 0, true}, {"R2-Q2loo: ", 4, 1, true}, {"RMSE cv: ", 8, 0, true}, {"MAE cv: ", 51, 0, false}},
    {{"PRESS cv: ", 54, 0, true}, {"CCC cv: ", 40, 0, true}, {"", 0, 0, false}, {"", 0, 0, false}},
    {{"Q2LMO: ", 57, 0, true}, {"R2Yscr: ", 66, 0, true}, {"Q2Yscr: ", 67, 0, false}, {"", 0, 0, false}},
    {{"R2Xrnd: ", 72, 0, true}, {"Q2Xrnd: ", 73, 0, true}, {"R2Yrnd: ", 78, 0, true}, {"Q2Yrnd: ", 79, 0, false}},
    {{"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}},
    {{"(External validation criteria)", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}},
    {{"RMSE ext: ", 9, 0, true}, {"MAE ext: ", 52, 0, true}, {"PRESS ext: ", 55, 0, true}, {"R2ext: ", 84, 0, true}},
    {{"Q2-F1: ", 23, 0, true}, {"Q2-F2: ", 27, 0, true}, {"Q2-F3: ", 31, 0, true}, {"CCC ext: ", 35, 0, false}},
    {{"r2m aver.: ", 46, 0, true}, {"r2m delta: ", 47, 0, false}, {"", 0, 0, false}, {"", 0, 0, false}},
};

}  // namespace

std::string ModelReportText(const DataResultNode& node) {
  std::string text;
  for (const auto& line : kReport) {
    for (const ReportCell& item : line) {
      text += item.label;
      if (item.cell == 0) continue;
      CheckedValue value = node.Cell(item.cell);
      if (item.minus != 0) {
        const CheckedValue& minus = node.Cell(item.minus);
        value = CheckedValue(value.Value - minus.Value, value.Missing || minus.Missing);
      }
      if (!value.Missing) text += FloatToStrF(value.Value, FloatFormat::Fixed, 18, 4);
      if (item.separator) text += " \t\t";
    }
    text += "\r\n";
  }
  return text;
}

DataResultNode* DataResultList::Append() {
  DataResultNode* node = nullptr;
  try {
    node = new (std::nothrow) DataResultNode(tpChemoData);
  } catch (const std::bad_alloc&) {
    throw DataBadAllocEx("*tpTempNodePtr");
  }
  if (node == nullptr) throw DataNoMemoryEx("*tpTempNodePtr");
  node->SetPrev(tpLast);
  if (tpLast != nullptr) {
    tpLast->SetNext(node);
  } else {
    tpFirst = node;
  }
  tpLast = node;
  ++iCount;
  return node;
}

DataResultNode* DataResultList::Remove(DataResultNode* node) {
  DataResultNode* next = node->Next();
  DataResultNode* prev = node->Prev();
  if (prev != nullptr) {
    prev->SetNext(next);
  } else {
    tpFirst = next;
  }
  if (next != nullptr) {
    next->SetPrev(prev);
  } else {
    tpLast = prev;
  }
  delete node;
  if (iCount >= 1) --iCount;
  return next;
}

void DataResultList::Clear() {
  while (tpFirst != nullptr) Remove(tpFirst);
  iCount = 0;
}

void DataResultList::CopyFrom(const DataResultList& source) {
  if (&source == this) return;
  Clear();
  for (DataResultNode* node = source.First(); node != nullptr; node = node->Next()) *Append() = *node;
}

namespace {

// The bytes of a record's cells: an int cell's image or a real cell's image each.
template <std::size_t N>
constexpr int64_t CellBytes(const int (&numbers)[N]) {
  int64_t bytes = 0;
  for (int n : numbers) bytes += kCells[n].integer != nullptr ? kCheckedIntValueSize : kCheckedValueSize;
  return bytes;
}

// The smallest model record of a version: no name, no variables, no training
// objects, so one coefficient in each of the three coefficient arrays.
int64_t MinimumModelRecordBytes(int version) {
  constexpr int64_t kInt = 4;
  constexpr int64_t counts = 3 * kInt;       // selection state, size, training count
  constexpr int64_t name = kInt;             // its length
  constexpr int64_t fit = kInt                               // variable indices: their count
                          + 3 * (kInt + kExtendedSize)       // three arrays of one coefficient
                          + kExtendedSize                    // h*
                          + kInt;                            // leave-one-out predictions: their count
  int64_t bytes = counts + name + CellBytes(kProjectCells) + fit;
  if (version > 0) bytes += kInt + CellBytes(kProjectCellsV1);  // the identifier and the later cells
  return bytes;
}

}  // namespace

void DataResultList::ReadWrite(Stream* stream, uint8_t mode, int version) {
  if (IsWriting(mode) && iCount == 0) return;
  if (stream == nullptr) {
    ReportNullStream(mode);
    return;
  }
  if (IsWriting(mode)) {
    int32_t count = iCount;
    StreamInt(*stream, count, mode);
    for (DataResultNode* node = tpFirst; node != nullptr; node = node->Next()) node->ReadWrite(*stream, mode, version);
    return;
  }
  int32_t count = 0;
  StreamInt(*stream, count, mode);
  RequireRoom(*stream, count, MinimumModelRecordBytes(version), "number of models");
  DataResultNode* lastBefore = tpLast;
  try {
    for (int32_t i = 0; i < count; ++i) Append()->ReadWrite(*stream, mode, version);
  } catch (...) {
    while (tpLast != lastBefore) Remove(tpLast);
    throw;
  }
}
