// Consensus of the selected models of a model list: per object the averaged
// consensus (ACM, the mean of the models' values) and the weighted consensus
// (WCM, a least-squares regression of the response on the models' values), each
// from the model equations and from the leave-one-out predictions, with the
// spread of the models' values, their mean leverage, Williams residuals and a
// text of fitting and external-validation criteria. Everything is computed at
// construction, without any window.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "platform/base/UiServices.h"

class ChemoData;
class DataResultList;
class DataResultNode;

// Sorts ids[first..last] with Batcher's odd-even merge network, ascending or
// descending, moving labels (may be null) along with their ids.
void SortIdsWithLabels(int32_t* ids, std::string* labels, int32_t first, int32_t last, bool ascending);

// The number of models of the list in selection state 1 or 3.
int CountSelectedModels(const DataResultList& models);

// The per-object arrays, one cell per data-set object. Names ending in Pred are
// built from leave-one-out predictions, the others from the model equations.
enum class ConsensusArray {
  Exp,
  StdDev,
  StdDevPred,
  Min,
  MinPred,
  Max,
  MaxPred,
  AverageHat,
  AcmPred,
  AcmCalc,
  WcmPred,
  WcmCalc,
  WillAcmPred,
  WillAcmCalc,
  WillWcmPred,
  WillWcmCalc,
};
constexpr int kConsensusArrayCount = 16;

class Consensus {
public:
  static constexpr int Decimals = 4;

  // Runs the whole computation on the selected models of models (neither list
  // nor data is owned; both must outlive the object). progressWindow opens the
  // bar of the per-model loop, whose Escape poll may abort the rest. A failure
  // in one step sets the error flag and the later steps still run; at the end
  // one warning "Calculation errors occurs: ..." is shown through the UI services.
  Consensus(DataResultList& models, ChemoData& data, ProgressWindowFactory progressWindow = {});
  ~Consensus();
  Consensus(const Consensus&) = delete;
  Consensus& operator=(const Consensus&) = delete;

  const ChemoData& Data() const { return data_; }
  bool Aborted() const { return aborted_; }
  bool HadErrors() const { return errors_; }
  // False when the selected models differ in size: the Williams plots are not offered.
  bool WilliamsEnabled() const { return williamsEnabled_; }
  int CommonModelSize() const { return commonSize_; }

  // "ID: <id>   model: <variable names>" per selected model, sorted by ID.
  const std::vector<std::string>& ModelLines() const { return modelLines_; }
  // The criteria text, one entry per line (8-bit text: the degree sign is 0xB0).
  const std::vector<std::string>& CriteriaLines() const { return criteria_; }
  const CheckedValue* Array(ConsensusArray which) const { return arrays_[static_cast<int>(which)].get(); }
  // A copy of the ACM model-equation values, read by the criteria text.
  const CheckedValue* AvCalcRes() const { return avCalcRes_.get(); }
  // The WCM regression coefficients (intercept first) on the model-equation
  // values and on the leave-one-out predictions; empty when the fit failed.
  const std::vector<long double>& WcmCalcCoefficients() const { return wcmCalcCoefficients_; }
  const std::vector<long double>& WcmPredCoefficients() const { return wcmPredCoefficients_; }
  // The first selected model (null when none is selected).
  const DataResultNode* FirstSelectedModel() const;

  // For each object the cell of loo, replaced by the cell of calc for a
  // prediction object (status 2): the LOO plots' values.
  std::unique_ptr<CheckedValue[]> MergeLooWithCalc(ConsensusArray loo, ConsensusArray calc) const;

  // A number as the table and the criteria show it; empty when it is not finite.
  static std::string NumberText(long double value);

  // The steps of the construction.
  void RecalcSelectedModels();
  void FillSelModelList();
  void BuildConsensusArrays();
  void ObjectConsensus(int i);
  long double ModelEquationPrediction(const DataResultNode& model, int i) const;
  void BuildCriteriaText();
  // The text of 1 - a / b; for b = 0 the undefined value followed by "*".
  std::string Q2Text(long double a, long double b) const;
  int CountSelectedModels() const;
  int CountTrainingObjects() const;

private:
  // A selected model with what its single-model analysis left: the objects of
  // its response-less leverages.
  struct SelectedModel {
    DataResultNode* model;
    std::vector<int> unknownPosition;  // per object: index into its response-less leverages, or -1
  };

  void Compute();
  CheckedValue* Cells(ConsensusArray which) { return arrays_[static_cast<int>(which)].get(); }
  bool Active(int i) const;
  bool HasResponse(int i) const;
  long double Response(int i) const;
  long double LeaveOneOut(const DataResultNode& model, int i) const;
  bool AddLeverage(const SelectedModel& selected, int i, long double& sum) const;
  void CollectSelectedModels();
  std::vector<long double> FitWcm(const std::vector<std::vector<long double>>& design,
                                  const std::vector<long double>& y, const std::vector<std::vector<long double>>& values,
                                  const std::vector<int>& active, ConsensusArray target, bool trainingOnly);
  void WilliamsResiduals();
  void WilliamsPass(ConsensusArray consensus, ConsensusArray williams, const std::vector<uint8_t>& objects);
  void AddAngleLines();

  DataResultList& models_;
  ChemoData& data_;
  ProgressWindowFactory progressWindow_;
  const int n_;
  std::unique_ptr<CheckedValue[]> avCalcRes_;
  bool aborted_ = false;
  bool errors_ = false;
  bool williamsEnabled_ = true;
  std::vector<uint8_t> test_, training_;
  int trainingCount_ = 0;
  std::vector<int> trainingIndex_, testIndex_;  // per object: its position in its mask, or -1
  std::array<std::unique_ptr<CheckedValue[]>, kConsensusArrayCount> arrays_;
  int commonSize_ = 0;
  std::vector<SelectedModel> selected_;
  std::vector<long double> wcmCalcCoefficients_, wcmPredCoefficients_;
  std::vector<std::string> modelLines_;
  std::vector<std::string> criteria_;
};
