// Fixed label lists that turn object statuses, fitness-function ids and model selection
// states into display text.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

class LabelList {
public:
  int Count() const { return static_cast<int>(tpLabel.size()); }
  // The label of index, or "Undefined" outside 0 .. Count()-1.
  std::string GetLabel(int index) const;

protected:
  LabelList(std::initializer_list<const char*> labels) : tpLabel(labels.begin(), labels.end()) {}

private:
  std::vector<std::string> tpLabel;
};

// Object statuses of the data set: 0 "Excluded", 1 "Training", 2 "Prediction".
class TrainingStatus : public LabelList {
public:
  TrainingStatus() : LabelList({"Excluded", "Training", "Prediction"}) {}
};

// Fitness-function ids of the search settings: 0 "Q2loo", 1 "R2adj", 2 "LOF", 3 "RMSE cv".
class FitnessFunc : public LabelList {
public:
  FitnessFunc() : LabelList({"Q2loo", "R2adj", "LOF", "RMSE cv"}) {}
  static constexpr int Q2looIndex() { return 0; }
  static constexpr int R2adjIndex() { return 1; }
  static constexpr int LOFIndex() { return 2; }
};

// Selection state of a model: 0 "U", 1 "S", 2 "N", 3 "S"; states 1 and 3 both count as selected.
class ModelSelStatus : public LabelList {
public:
  ModelSelStatus() : LabelList({"U", "S", "N", "S"}) {}
};
