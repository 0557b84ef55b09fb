// Everything the single-model window shows of one model, computed at construction
// without any window: the parameter and object grids, the statistics text, the
// seven per-object point arrays of the model plots and the lists of objects whose
// residuals could not be calculated. FullModelStats writes its coefficient
// statistics and leverages into the model, which is what the hidden users keep.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "numerics/RowArray.h"
#include "platform/base/UiServices.h"

class ChemoData;
class DataResultNode;
class ProgressStepper;

// The kinds of internal validation whose plots the window offers.
enum class InternalValidationKind { LeaveManyOut, YScramble, RandomDescriptors, RandomResponses };

// Fill colours of grid cells, 0x00BBGGRR; kNoCellColour leaves the cell as it is.
constexpr uint32_t kNoCellColour = 0xFFFFFFFF;
constexpr uint32_t kCellRed = 0x0000FF;
constexpr uint32_t kCellYellow = 0x00FFFF;
constexpr uint32_t kCellMagenta = 0xFF00FF;

class SingleModelAnalysis {
public:
  static constexpr int Decimals = 4;
  static constexpr int ParamColumns = 6;
  static constexpr int ObjectColumns = 11;
  static constexpr int LeverageColumn = 8;
  // The items of the standardized-residual threshold list, and the one selected at first.
  static const std::vector<std::string>& ThresholdItems();
  static constexpr int DefaultThresholdItem = 4;

  // Runs the whole calculation. Neither data nor model is owned; both must
  // outlive the object. progressWindow opens the bar window (empty: no progress).
  // A failure in either calculation block ends that block; at the end one warning
  // "Calculation errors occurs: ..." is shown through the UI services.
  SingleModelAnalysis(ChemoData& data, DataResultNode& model, ProgressWindowFactory progressWindow = {});
  ~SingleModelAnalysis();
  SingleModelAnalysis(const SingleModelAnalysis&) = delete;
  SingleModelAnalysis& operator=(const SingleModelAnalysis&) = delete;

  ChemoData& Data() const { return data_; }
  DataResultNode& Model() const { return model_; }
  bool HadErrors() const { return errors_; }
  // Per object 1 when it is in none of the training and test masks, its response
  // is missing and the model's variables are all present: the objects of the
  // model's response-less leverages, in object order.
  const std::vector<uint8_t>& UnknownMask() const { return unknown_; }

  // "Model: " + the model's name.
  std::string Caption() const;
  // The model's internal validation of that kind stored its mean Q2.
  bool HasValidation(InternalValidationKind kind) const;

  // The statistics text, one entry per line (8-bit text: the degree sign is 0xB0).
  const std::vector<std::string>& TextLines() const { return text_; }
  // Grids as cells[row][col], row 0 the titles.
  const std::vector<std::vector<std::string>>& ParamCells() const { return paramCells_; }
  const std::vector<std::vector<std::string>>& ObjectCells() const { return objectCells_; }
  // The window widens the object grid with the scores of its descriptor PCA.
  std::vector<std::vector<std::string>>& ObjectCells() { return objectCells_; }
  // Fill colour of a cell (rows > 0); threshold is the selected standardized-residual limit.
  uint32_t ParamCellColour(int col, int row) const;
  uint32_t ObjectCellColour(int col, int row, long double threshold) const;

  // "name(number), ..." of the objects without a model-equation / leave-one-out residual.
  const std::string& NoResidualCalcNames() const { return noResidualCalc_; }
  const std::string& NoResidualPredNames() const { return noResidualPred_; }
  std::string& NoResidualCalcNames() { return noResidualCalc_; }
  std::string& NoResidualPredNames() { return noResidualPred_; }

  // The per-object point rows (X, Y), one row per data-set object.
  CheckedValue** ExpCalc() { return expCalc_.Get(); }
  CheckedValue** ExpPred() { return expPred_.Get(); }
  CheckedValue** StdResCalc() { return stdResCalc_.Get(); }
  CheckedValue** StdResPred() { return stdResPred_.Get(); }
  CheckedValue** ResCalc() { return resCalc_.Get(); }
  CheckedValue** ResPred() { return resPred_.Get(); }
  CheckedValue** Leverage() { return leverage_.Get(); }

  // A number as both grids and the text show it; empty for a value that is not finite.
  static std::string NumberText(long double value);

private:
  void FillParameterTitles();
  void FillObjectTitles();
  void FirstBlock(ProgressStepper* progress);
  void SecondBlock(ProgressStepper* progress);
  void AddAngleLine();
  void AddLeaveOneOutLines(const std::vector<std::pair<long double, long double>>& training);
  void AddExternalLines();
  void MarkUnmaskedResidualsMissing();
  void FillObjectRow(int i);
  void FillParameterStatistics();

  ChemoData& data_;
  DataResultNode& model_;
  int n_;
  std::vector<uint8_t> training_, test_, unknown_;
  int unknownCount_ = 0;
  RowArray<CheckedValue> expCalc_, expPred_, leverage_, stdResCalc_, stdResPred_, resCalc_, resPred_;
  std::unique_ptr<bool[]> hStar_;
  std::vector<std::string> text_;
  std::vector<std::vector<std::string>> paramCells_, objectCells_;
  std::string noResidualCalc_, noResidualPred_;
  bool statisticsShown_ = false;
  bool errors_ = false;
};
