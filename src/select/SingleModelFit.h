// One model of a given set of variables, fitted by the search engine as a search
// would fit it, and the temporary set-up the data set lends for such a fit.
#pragma once

#include <cstdint>
#include <vector>

class ChemoData;
class DataResultList;
class DataResultNode;

// What FitSingleModel did.
struct SingleModelFitResult {
  DataResultNode* model = nullptr;  // the fitted model, last in the list
  bool missingData = false;         // refused: a variable has a missing value (reported)
};

// Thrown after FitSingleModel reported why it could not fit, or when the engine
// kept no model for the subset; the caller's catch-all reports the failure.
struct SingleModelFitFailed {};

// Fits the one model of all the data set's selected variables (pool positions
// 0 .. count-1) on its training objects (status 1 with a response) with the hidden
// search engine, prediction objects (status 2 with a response) as its external
// set, and appends it to models. With checkMissingData, a selected variable with a
// missing value in any object, whatever its status, is reported ("Cannot calculate
// a model with missing data") and nothing is fitted. No training object: reports
// "Zero rows matrix, cannot continue" and throws SingleModelFitFailed; so does a
// subset the engine does not keep.
SingleModelFitResult FitSingleModel(DataResultList& models, ChemoData& data, bool checkMissingData);

// Lends the data set a working set-up for the lifetime of the object: the given
// variables as the selected list, the response and the object statuses. The
// destructor puts back the selected list, the splitting list, the response, the
// statuses and the next model ID as they were; the splitting list is never
// changed meanwhile.
class DataSetupLoan {
public:
  DataSetupLoan(ChemoData& data, const std::vector<int32_t>& variables, int32_t response,
                const std::vector<int32_t>& statuses);
  ~DataSetupLoan();
  DataSetupLoan(const DataSetupLoan&) = delete;
  DataSetupLoan& operator=(const DataSetupLoan&) = delete;

  // Applies the working set-up; throws when it cannot (the destructor still restores).
  void Apply();

private:
  ChemoData& data_;
  std::vector<int32_t> variables_, statuses_;
  int32_t response_;
  std::vector<int32_t> savedSelected_, savedSplit_, savedStatuses_;
  int32_t savedResponse_;
  int32_t savedNextModelID_;
};
