// Calculated models: one model record (DataResultNode) with its variables,
// coefficients, leverages, leave-one-out predictions and statistic cells, and
// the project's doubly linked model list (DataResultList).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "numerics/CheckedValue.h"
#include "platform/base/Stream.h"

class ChemoData;

// Leverages of one set of objects.
struct LeverageStruct {
  LeverageStruct() = default;
  LeverageStruct(const LeverageStruct& source) { *this = source; }
  ~LeverageStruct() { Release(); }
  // Copies the count and whichever arrays the source has.
  LeverageStruct& operator=(const LeverageStruct& source);
  void Release();
  void Swap(LeverageStruct& other) noexcept;

  int32_t iCount = 0;
  long double* ldpValuePtr = nullptr;   // hat diagonal of each object
  bool* bpActiveIndexPtr = nullptr;     // optional activity flags
  bool* bpHstarPtr = nullptr;           // leverage above the warning leverage h*
};

// The statistic cells of a model, in the order of their numbers 1 to 85 (the
// number is given where the record layouts refer to it). Int cells are counts.
struct ModelCells {
  CheckedValue cvQ2loo;              // 1
  CheckedValue cvR2adj;              // 2
  CheckedValue cvLOF;                // 3
  CheckedValue cvR2;                 // 4
  CheckedValue cvKxx;                // 5
  CheckedValue cvKxy;                // 6
  CheckedValue cvRMSEtr;             // 7
  CheckedValue cvRMSEcv;             // 8
  CheckedValue cvRMSEext;            // 9
  CheckedValue cvS;                  // 10
  CheckedValue cvF;                  // 11
  CheckedIntValue ciNOutAD;          // 12
  CheckedIntValue ciNXOutl;          // 13
  CheckedIntValue ciNYOutlUndModEq;  // 14
  CheckedIntValue ciNYOutlOverModEq; // 15
  CheckedIntValue ciNYOutlUndLOO;    // 16
  CheckedIntValue ciNYOutlOverLOO;   // 17
  CheckedValue cvMCDMfit;            // 18
  CheckedValue cvMCDMcv;             // 19
  CheckedValue cvMCDMext;            // 20
  CheckedValue cvMCDMall;            // 21
  CheckedIntValue ciNExtOK;          // 22
  CheckedValue cvQ2F1;               // 23
  CheckedValue cvQ2F1c1, cvQ2F1c2, cvQ2F1c3;        // 24-26
  CheckedValue cvQ2F2;               // 27
  CheckedValue cvQ2F2c1, cvQ2F2c2, cvQ2F2c3;        // 28-30
  CheckedValue cvQ2F3;               // 31
  CheckedValue cvQ2F3c1, cvQ2F3c2, cvQ2F3c3;        // 32-34
  CheckedValue cvCCCext;             // 35
  CheckedValue cvCCCextc1, cvCCCextc2, cvCCCextc3;  // 36-38
  CheckedValue cvCCCtr;              // 39
  CheckedValue cvCCCcv;              // 40
  CheckedValue cvR2extReg;           // 41 r2 of observed on predicted (prediction objects)
  CheckedValue cvR2oPrime;           // 42 R'2o, through the origin in the direction of k'
  CheckedValue cvR2o;                // 43 R2o, in the direction of k
  CheckedValue cvKPrime;             // 44 k'
  CheckedValue cvK;                  // 45 k
  CheckedValue cvR2mAver;            // 46
  CheckedValue cvR2mDelta;           // 47
  CheckedValue cvClosPrime;          // 48
  CheckedValue cvClos;               // 49
  CheckedValue cvMAEtr;              // 50
  CheckedValue cvMAEcv;              // 51
  CheckedValue cvMAEext;             // 52
  CheckedValue cvRSStr;              // 53
  CheckedValue cvPRESScv;            // 54
  CheckedValue cvPRESSext;           // 55
  CheckedValue cvR2LMO;              // 56 mean R2 of the leave-many-out fits
  CheckedValue cvQ2LMO;              // 57
  CheckedValue cvLMOc1, cvLMOc2, cvLMOc3, cvLMOc4, cvLMOc5, cvLMOc6, cvLMOc7, cvLMOc8;  // 58-65
  CheckedValue cvR2Yscr;             // 66
  CheckedValue cvQ2Yscr;             // 67
  CheckedValue cvYscrc1, cvYscrc2, cvYscrc3, cvYscrc4;  // 68-71
  CheckedValue cvR2Xrnd;             // 72
  CheckedValue cvQ2Xrnd;             // 73
  CheckedValue cvXrndc1, cvXrndc2, cvXrndc3, cvXrndc4;  // 74-77
  CheckedValue cvR2Yrnd;             // 78
  CheckedValue cvQ2Yrnd;             // 79
  CheckedValue cvYrndc1, cvYrndc2, cvYrndc3, cvYrndc4;  // 80-83
  CheckedValue cvR2ext;              // 84
  CheckedIntValue ciExtRegPar;       // 85 int cell of the external regression parameters
};

constexpr int kModelCellCount = 85;
// The external criteria a model can meet ("N. ext. OK" counts them).
constexpr int32_t kExternalCriteriaCount = 5;

class DataResultNode : public ModelCells {
public:
  DataResultNode() { Reset(); }
  explicit DataResultNode(ChemoData* owner) : tpChemoData(owner) { Reset(); }
  DataResultNode(const DataResultNode& source) : DataResultNode() { *this = source; }
  ~DataResultNode() { ReleaseArrays(); }
  // Copies everything but the links.
  DataResultNode& operator=(const DataResultNode& source);
  // Takes everything but the links, without copying the arrays; the source is
  // left reset, its own links kept.
  DataResultNode& operator=(DataResultNode&& source) noexcept;

  // Links, state, counts, ID 0; name empty; cells missing with their reset
  // values; arrays released; h* 0.
  void Reset();
  void ReleaseArrays();

  DataResultNode* Next() const { return tpNext; }
  DataResultNode* Prev() const { return tpPrev; }
  void SetNext(DataResultNode* node) { tpNext = node; }
  void SetPrev(DataResultNode* node) { tpPrev = node; }

  // Cell number 1..85: Cell for the real cells, IntCell for 12-17, 22 and 85.
  static bool IsIntCell(int number);
  CheckedValue& Cell(int number);
  const CheckedValue& Cell(int number) const;
  CheckedIntValue& IntCell(int number);

  // The model record of the project file (mode 1 writes, any other reads).
  // A damaged record leaves a released, reset node and throws EDamagedRecord.
  void ReadWrite(Stream& stream, uint8_t mode, int version);
  // The model record of the single-model file.
  void ReadWriteSingleModel(Stream& stream, uint8_t mode, int version);

  ChemoData* tpChemoData = nullptr;  // the data set the model was calculated on (not owned)
  int32_t iSelStatus = 0;                 // index of ModelSelStatus
  int32_t iSize = 0;                      // p, the number of variables
  int32_t iTrainCount = 0;                // n, the training objects the model was fitted on
  int32_t iRank = 0;                      // spare integer (the model list's rank); never stored
  int32_t iID = 0;
  std::string sName;
  int32_t* ipSelVarIdxPtr = nullptr;      // size entries: data-set column of each variable
  long double* ldpBModelCoeffPtr = nullptr;  // size+1 entries each, intercept first
  long double* ldpBStdCoeffPtr = nullptr;
  long double* ldpBIntConfPtr = nullptr;
  long double* ldpBSignifPtr = nullptr;
  long double* ldpBStdErrPtr = nullptr;
  LeverageStruct tsTrainLev;              // training objects
  LeverageStruct tsTestLev;               // prediction objects with a response
  LeverageStruct tsNoRespLev;             // objects without a response
  long double ldHstar = 0.0L;             // warning leverage h*
  long double* ldpTrainYCapPtr = nullptr;  // iTrainCount leave-one-out predictions

private:
  template <std::size_t N>
  void StreamCells(Stream& stream, const int (&numbers)[N], uint8_t mode);
  void StreamCounts(Stream& stream, uint8_t mode);
  // Variable indices (0..size-1 instead when sequence is set), the three
  // coefficient arrays, h* and the leave-one-out predictions.
  void StreamFit(Stream& stream, uint8_t mode, bool sequence);
  void StreamErrorArrays(Stream& stream, uint8_t mode, int version, int32_t columns);
  // Throws EDamagedRecord unless the arrays agree with size and training count
  // and every variable index is below columns.
  void RequireConsistent(int32_t columns) const;
  // Throws EDamagedRecord unless every count cell, missing or not, holds a
  // count that can be: criteria met up to their number, objects up to objects.
  void RequirePossibleCounts(int32_t objects) const;
  // The owner data set's variable and object counts; no limit without an owner.
  int32_t OwnerColumns() const;
  int32_t OwnerObjects() const;
  // Runs the record's body; a read starts from released arrays, and a failed
  // read leaves the node reset (links kept) and rethrows.
  template <typename Body>
  void RunRecord(uint8_t mode, Body body);

  DataResultNode* tpNext = nullptr;
  DataResultNode* tpPrev = nullptr;
};

// The report text of one model: 15 lines of labelled values, 4 decimals.
std::string ModelReportText(const DataResultNode& node);

class DataResultList {
public:
  explicit DataResultList(ChemoData* data) : tpChemoData(data) {}
  ~DataResultList() { Clear(); }
  DataResultList(const DataResultList&) = delete;
  DataResultList& operator=(const DataResultList&) = delete;

  // A new reset node bound to the list's data set, linked last.
  DataResultNode* Append();
  // Unlinks and destroys node; returns the node that followed it.
  DataResultNode* Remove(DataResultNode* node);
  void Clear();
  // Replaces the models by copies of the source's models.
  void CopyFrom(const DataResultList& source);

  int32_t Count() const { return iCount; }
  DataResultNode* First() const { return tpFirst; }
  DataResultNode* Last() const { return tpLast; }
  ChemoData* DataSet() const { return tpChemoData; }

  // The model-list block of the project file. Reading appends the models read;
  // on a damaged record those are removed again and EDamagedRecord is thrown.
  void ReadWrite(Stream* stream, uint8_t mode, int version);

private:
  ChemoData* tpChemoData;
  int32_t iCount = 0;
  DataResultNode* tpFirst = nullptr;
  DataResultNode* tpLast = nullptr;
};
