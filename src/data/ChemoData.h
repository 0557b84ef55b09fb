// The project's data set: the table of objects by variables with their names,
// the role of every object and variable, the named splittings, the settings of
// the model search and the thresholds of external validation; and its two
// file records (project and single-model form).
#pragma once

#include <cstdint>
#include <string>

#include "numerics/CheckedValue.h"
#include "platform/base/Stream.h"

class DataResultNode;

// The value for "no index" and for a statistic not yet computed.
inline int GetUndefinedIndex() { return -1; }
inline long double GetUndefinedReal() { return -1.0L; }

// Object status values (the indices of TrainingStatus).
constexpr int32_t kStatusExcluded = 0;
constexpr int32_t kStatusTraining = 1;
constexpr int32_t kStatusPrediction = 2;

class ChemoData {
public:
  ChemoData() { Init(); }
  // An empty table of varCount x objCount present zeros with empty names, every
  // object excluded, and the given response column.
  ChemoData(int32_t varCount, int32_t objCount, int32_t responseIndex);
  ~ChemoData() { Clear(); }
  ChemoData(const ChemoData&) = delete;
  ChemoData& operator=(const ChemoData&) = delete;

  // Sets every field to its default without releasing anything.
  void Init();
  // Releases every array, then Init.
  void Clear();
  // Clear, then allocates the names, the status and the rows of an empty table
  // of varCount x objCount present zeros.
  void Allocate(int32_t varCount, int32_t objCount);

  // The data-set record of the project file; version is the index of the file's
  // version tag. Mode 1 writes, any other mode reads (allocating what it reads).
  // A read that meets a damaged record clears the data set and throws EDamagedRecord.
  void ReadWrite(Stream* stream, uint8_t mode, int version);
  // The reduced record of the single-model file: the training objects with a
  // response, the model's variables in model order and then the response.
  // The model is used only when writing. Reading keeps the fields the record
  // does not store, except those that no longer fit the new table.
  void ReadWriteSingleModel(Stream* stream, const DataResultNode* model, uint8_t mode);
  // The writing half of the single-model record; changes nothing.
  void WriteSingleModel(Stream& stream, const DataResultNode& model) const;

  // Resets to its default every search setting no search can run with: a model
  // or pool size outside 0 .. the number of selected variables, a negative count,
  // an unknown fitness function, a current splitting that does not exist.
  // Returns true when any was reset.
  bool ResetImpossibleSearchSettings();

  // A training object has status 1 and a response; a prediction object status 2 and a response.
  bool HasResponse(int32_t obj) const;
  bool IsTrainingObject(int32_t obj) const;
  bool IsPredictionObject(int32_t obj) const;
  // Fills the given masks (one byte per object, or null): 1 for a prediction
  // object, 1 for a training object, 1 for an object without a response.
  void BuildObjectMasks(uint8_t* prediction, uint8_t* training, uint8_t* missing) const;

  int32_t iVarCount;
  int32_t iObjCount;
  std::string* tpVarNameStrPtr;
  std::string* tpObjNameStrPtr;
  int32_t* ipTrainingPtr;
  CheckedValue** tpChemoValuePtr;
  int32_t* ipSelectedVarPtr;
  int32_t iSelectedVarCount;
  int32_t iResponseIndex;
  int32_t* ipSelectedSplitPtr;
  int32_t iSelectedSplitCount;
  int32_t* ipSelectedHoldPtr;
  int32_t iSelectedHoldCount;
  int32_t iEnumSize;
  int32_t iAllSubsetUntil;
  int32_t iCombinations;
  int32_t iKeepPerSize;
  long double ldQuikDelta;
  int32_t iSplitCount;
  int32_t iCurrentSplit;
  int32_t** ipSplittingPtr;
  std::string* tpSplitNameStrPtr;
  int32_t iGAFirstSize;
  int32_t iGAUntil;
  int32_t iGAPopSize;
  int32_t iGAGenerations;
  int32_t iGAMutation;
  int32_t iFitnessFunc;
  int32_t iNextModelID;
  long double ldLOFSmoothing;
  long double ldQ2F1Threshold;
  long double ldQ2F2Threshold;
  long double ldQ2F3Threshold;
  long double ldCCCextThreshold;
  long double ldR2mAverThreshold;
  long double ldR2mDeltaThreshold;

private:
  // Releases every array and zeroes the counts that size them.
  void ReleaseArrays();
  // Only what the single-model record stores: names, status, rows, selected list.
  void ReleaseTable();
  void ReleaseSplittings();
  // After a single-model read: splittings of another object count and variable
  // lists pointing past the new columns are released; the rest stays.
  void DropWhatNoLongerFits(int32_t previousObjCount);
  void StreamCounts(Stream& stream, uint8_t mode);
  // Names, status and value rows.
  void StreamTable(Stream& stream, uint8_t mode);
  void StreamSplittings(Stream& stream, uint8_t mode);
  void StreamSingleModelFields(Stream& stream, uint8_t mode);
  // Throws EDamagedRecord unless the arrays agree with the counts and every
  // index and status read lies in its range.
  void RequireConsistent() const;
  // The same for the fields of the single-model record only.
  void RequireTableConsistent() const;
};

// "Empty file pointer: cannot read data" (or write) as an error box.
void ReportNullStream(uint8_t mode);
