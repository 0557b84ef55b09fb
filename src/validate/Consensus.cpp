#include "validate/Consensus.h"

#include <cmath>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/ProgressStepper.h"
#include "numerics/Sorts.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "platform/base/ProgressWindow.h"
#include "validate/ExternalValidator.h"
#include "validate/SingleModelAnalysis.h"

namespace {

constexpr long double kDegreesPerRadian = 57.29577951308232L;

const char* const kArrayNames[kConsensusArrayCount] = {
    "*tpExp",         "*tpStdDev",      "*tpStdDevPred",  "*tpMin",           "*tpMinPred",       "*tpMax",
    "*tpMaxPred",     "*tpAverageHat",  "*tpACMpred",     "*tpACMcalc",       "*tpWCMpred",       "*tpWCMcalc",
    "*tpWillACMpred", "*tpWillACMcalc", "*tpWillWCMpred", "*tpWillWCMcalc"};

bool IsSelected(const DataResultNode& model) { return model.iSelStatus == 1 || model.iSelStatus == 3; }

// n cells, every one missing.
std::unique_ptr<CheckedValue[]> MissingCells(int n, const char* name) {
  std::unique_ptr<CheckedValue[]> cells = MakeCheckedArray<CheckedValue>(n, name);
  for (int i = 0; i < n; ++i) cells[i].InitMissing();
  return cells;
}

// Per object its position among the set entries of mask, -1 where it is not set.
std::vector<int> Positions(const std::vector<uint8_t>& mask) {
  std::vector<int> positions(mask.size(), -1);
  int next = 0;
  for (std::size_t i = 0; i < mask.size(); ++i)
    if (mask[i]) positions[i] = next++;
  return positions;
}

// The running minimum and maximum of the models' values, both present.
void Extend(CheckedValue& minimum, CheckedValue& maximum, long double v, bool first) {
  if (first) {
    minimum.Value = maximum.Value = v;
  } else {
    if (minimum.Value > v) minimum.Value = v;
    if (!(maximum.Value >= v)) maximum.Value = v;
  }
  minimum.Missing = maximum.Missing = false;
}

// A matrix of the given (x, y) rows; at least one row.
Matrix PairMatrix(const std::vector<std::pair<long double, long double>>& rows) {
  Matrix m(static_cast<int>(rows.size()), 2);
  for (int r = 0; r < m.Rows(); ++r) {
    m.At(r, 0) = rows[r].first;
    m.At(r, 1) = rows[r].second;
  }
  return m;
}

// R2 of the least-squares line of y on x, started from intercept 0 and slope 0.
long double LineFitR2(const Matrix& m) {
  LineCoefficients line;
  LineFit(m, line);
  return LineR2(m, line.a, line.b);
}

}  // namespace

void SortIdsWithLabels(int32_t* ids, std::string* labels, int32_t first, int32_t last, bool ascending) {
  BatcherSortNetwork(ids, labels, first, last, ascending, [] {});
}

int CountSelectedModels(const DataResultList& models) {
  int count = 0;
  for (const DataResultNode* model = models.First(); model != nullptr; model = model->Next())
    count += IsSelected(*model) ? 1 : 0;
  return count;
}

Consensus::Consensus(DataResultList& models, ChemoData& data, ProgressWindowFactory progressWindow)
    : models_(models), data_(data), progressWindow_(std::move(progressWindow)), n_(data.iObjCount) {
  Compute();
  if (errors_)
    Ui().MessageBox("Calculation errors occurs: listed data may be unreliable or incomplete.", "APPLICATION WARNING",
                    MB_OK | MB_ICONWARNING);
}

// The steps under the hourglass, which is gone before the error warning shows.
void Consensus::Compute() {
  BusyCursor busy;
  avCalcRes_ = MissingCells(n_, "*tpAvCalcResPtr");
  for (int k = 0; k < kConsensusArrayCount; ++k) arrays_[k] = MissingCells(n_, kArrayNames[k]);
  test_.assign(n_, 0);
  training_.assign(n_, 0);
  data_.BuildObjectMasks(test_.data(), training_.data(), nullptr);
  trainingIndex_ = Positions(training_);
  for (uint8_t set : training_) trainingCount_ += set ? 1 : 0;
  testIndex_ = Positions(test_);
  CollectSelectedModels();
  const auto step = [this](void (Consensus::*operation)()) {
    try {
      (this->*operation)();
    } catch (...) {
      errors_ = true;
    }
  };
  step(&Consensus::RecalcSelectedModels);
  if (!aborted_) {
    step(&Consensus::FillSelModelList);
    step(&Consensus::BuildConsensusArrays);
    step(&Consensus::BuildCriteriaText);
  }
}

Consensus::~Consensus() = default;

void Consensus::CollectSelectedModels() {
  for (DataResultNode* model = models_.First(); model != nullptr; model = model->Next())
    if (IsSelected(*model)) selected_.push_back({model, {}});
}

const DataResultNode* Consensus::FirstSelectedModel() const {
  return selected_.empty() ? nullptr : selected_.front().model;
}

int Consensus::CountSelectedModels() const { return static_cast<int>(selected_.size()); }

int Consensus::CountTrainingObjects() const { return trainingCount_; }

bool Consensus::Active(int i) const { return data_.ipTrainingPtr[i] == 1 || data_.ipTrainingPtr[i] == 2; }

bool Consensus::HasResponse(int i) const { return !data_.tpChemoValuePtr[i][data_.iResponseIndex].Missing; }

long double Consensus::Response(int i) const { return data_.tpChemoValuePtr[i][data_.iResponseIndex].Value; }

std::string Consensus::NumberText(long double value) {
  return std::isfinite(value) ? FloatToStrF(value, FloatFormat::Fixed, 18, Decimals) : std::string();
}

// Each selected model is recomputed by a hidden single-model analysis, which
// stores its leverages; the objects of its response-less leverages are kept.
void Consensus::RecalcSelectedModels() {
  aborted_ = false;
  commonSize_ = 0;
  const int m = CountSelectedModels();
  std::unique_ptr<Progress> window = OpenProgress(progressWindow_, false);
  window->SetCaption("Calculating Consensus...");
  window->SetText("Press ESC to abort...");
  window->SetRange(0, LargestInt());
  window->SetPosition(0);
  ProgressStepper bar(*window, m > 0 ? LargestInt() / m : 0);
  LongCalculation calculation;
  for (SelectedModel& selected : selected_) {
    {
      const SingleModelAnalysis analysis(data_, *selected.model);
      selected.unknownPosition = Positions(analysis.UnknownMask());
    }
    bar.Step();
    if (Ui().EscapePressed() && Ui().MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING",
                                                MB_YESNO | MB_ICONQUESTION) == IDYES) {
      aborted_ = true;
      return;
    }
  }
}

void Consensus::FillSelModelList() {
  modelLines_.clear();
  std::vector<int32_t> ids;
  std::vector<std::string> lines;
  for (const SelectedModel& selected : selected_) {
    const DataResultNode& model = *selected.model;
    std::string line = "ID: " + IntToStr(model.iID) + "   model: ";
    for (int j = 0; j < model.iSize; ++j)
      line += (j > 0 ? " " : "") + data_.tpVarNameStrPtr[model.ipSelVarIdxPtr[j]];
    ids.push_back(model.iID);
    lines.push_back(line);
  }
  SortIdsWithLabels(ids.data(), lines.data(), 0, static_cast<int32_t>(ids.size()) - 1, true);
  modelLines_ = lines;
}

long double Consensus::ModelEquationPrediction(const DataResultNode& model, int i) const {
  return ModelEquationValue(model, data_.tpChemoValuePtr[i]);
}

long double Consensus::LeaveOneOut(const DataResultNode& model, int i) const {
  const int t = trainingIndex_[i];
  if (model.ldpTrainYCapPtr == nullptr || t < 0 || model.iTrainCount != trainingCount_)
    throw Exception("The leave-one-out predictions of model " + IntToStr(model.iID) +
                    " do not match the training objects");
  return model.ldpTrainYCapPtr[t];
}

void Consensus::BuildConsensusArrays() {
  for (const std::unique_ptr<CheckedValue[]>& cells : arrays_)
    for (int i = 0; i < n_; ++i) cells[i].InitMissing();
  const int m = CountSelectedModels();
  std::vector<int> active;
  for (int i = 0; i < n_; ++i)
    if (Active(i)) active.push_back(i);
  // Column 0 of every row is the constant term.
  using Rows = std::vector<std::vector<long double>>;
  Rows pc(active.size(), std::vector<long double>(m + 1, 1.0L)), pl = pc;
  Rows xc(CountTrainingObjects(), std::vector<long double>(m + 1, 1.0L)), xl = xc;
  std::vector<long double> y(xc.size());
  for (int k = 1; k <= m; ++k) {
    const DataResultNode& model = *selected_[k - 1].model;
    for (std::size_t r = 0; r < active.size(); ++r) {
      const int i = active[r];
      if (k == 1) Cells(ConsensusArray::Exp)[i] = data_.tpChemoValuePtr[i][data_.iResponseIndex];
      const long double e = ModelEquationPrediction(model, i);
      pc[r][k] = e;
      if (!training_[i]) continue;
      const int t = trainingIndex_[i];
      if (k == 1) y[t] = Response(i);
      pl[r][k] = LeaveOneOut(model, i);
      xc[t][k] = e;
      xl[t][k] = pl[r][k];
    }
  }
  wcmCalcCoefficients_ = FitWcm(xc, y, pc, active, ConsensusArray::WcmCalc, false);
  wcmPredCoefficients_ = FitWcm(xl, y, pl, active, ConsensusArray::WcmPred, true);
  for (int i = 0; i < n_; ++i) {
    ObjectConsensus(i);
    avCalcRes_[i] = Cells(ConsensusArray::AcmCalc)[i];
  }
  try {
    WilliamsResiduals();
  } catch (...) {
    // The Williams cells keep what they held.
  }
}

// The weighted consensus: the response regressed on the models' values of the
// training objects, applied to the values of the active objects (of the
// training objects only when trainingOnly); returns the coefficients. A fit that
// fails leaves the target missing, sets the error flag and returns none.
std::vector<long double> Consensus::FitWcm(const std::vector<std::vector<long double>>& design,
                                           const std::vector<long double>& y,
                                           const std::vector<std::vector<long double>>& values,
                                           const std::vector<int>& active, ConsensusArray target,
                                           bool trainingOnly) {
  try {
    const int n = static_cast<int>(design.size());
    const int m = CountSelectedModels();
    Matrix b(n, m + 1);
    Matrix response(n, 1);
    for (int t = 0; t < n; ++t) {
      for (int k = 0; k <= m; ++k) b.At(t, k) = design[t][k];
      response.At(t, 0) = y[t];
    }
    OlsCoefficients(b, response, n, m);
    for (std::size_t r = 0; r < active.size(); ++r) {
      const int i = active[r];
      if (trainingOnly && !training_[i]) continue;
      long double v = b.At(0, 0);
      for (int k = 1; k <= m; ++k) v += b.At(k, 0) * values[r][k];
      Cells(target)[i] = IfFinite(v);
    }
    std::vector<long double> coefficients(m + 1);
    for (int k = 0; k <= m; ++k) coefficients[k] = b.At(k, 0);
    return coefficients;
  } catch (...) {
    errors_ = true;
    return {};
  }
}

// The leverage the model holds for object i, added to sum; false when it holds none.
bool Consensus::AddLeverage(const SelectedModel& selected, int i, long double& sum) const {
  const DataResultNode& model = *selected.model;
  const LeverageStruct* leverages = nullptr;
  int k = -1;
  if (training_[i]) {
    leverages = &model.tsTrainLev;
    k = trainingIndex_[i];
  } else if (test_[i]) {
    leverages = &model.tsTestLev;
    k = testIndex_[i];
  } else if (!HasResponse(i) && !selected.unknownPosition.empty()) {
    leverages = &model.tsNoRespLev;
    k = selected.unknownPosition[i];
  }
  if (leverages == nullptr || k < 0 || k >= leverages->iCount || leverages->ldpValuePtr == nullptr) return false;
  sum += leverages->ldpValuePtr[k];
  return true;
}

void Consensus::ObjectConsensus(int i) {
  using A = ConsensusArray;
  CheckedValue& acmCalc = Cells(A::AcmCalc)[i];
  CheckedValue& acmPred = Cells(A::AcmPred)[i];
  CheckedValue& sd = Cells(A::StdDev)[i];
  CheckedValue& sdPred = Cells(A::StdDevPred)[i];
  CheckedValue& minimum = Cells(A::Min)[i];
  CheckedValue& maximum = Cells(A::Max)[i];
  CheckedValue& minimumPred = Cells(A::MinPred)[i];
  CheckedValue& maximumPred = Cells(A::MaxPred)[i];
  CheckedValue& hat = Cells(A::AverageHat)[i];
  for (CheckedValue* cell : {&acmCalc, &acmPred, &sd, &sdPred, &minimum, &maximum, &minimumPred, &maximumPred, &hat})
    cell->InitMissing();
  if (data_.ipTrainingPtr[i] == 0) return;
  long double sumCalc = 0.0L, squaresCalc = 0.0L, sumLoo = 0.0L, squaresLoo = 0.0L, hatSum = 0.0L;
  int q = 0, hats = 0;
  for (const SelectedModel& selected : selected_) {
    const DataResultNode& model = *selected.model;
    if (commonSize_ == 0)
      commonSize_ = model.iSize;
    else if (model.iSize != commonSize_)
      williamsEnabled_ = false;
    if (training_[i]) {
      const long double v = LeaveOneOut(model, i);
      sumLoo += v;
      squaresLoo += v * v;
      Extend(minimumPred, maximumPred, v, q == 0);
    }
    const long double e = ModelEquationPrediction(model, i);
    sumCalc += e;
    squaresCalc += e * e;
    Extend(minimum, maximum, e, q == 0);
    if (AddLeverage(selected, i, hatSum)) ++hats;
    ++q;
  }
  if (q == 0) return;
  acmCalc = IfFinite(sumCalc / q);
  if (training_[i]) acmPred = IfFinite(sumLoo / q);
  if (q - 1 > 0) {
    sd = IfFinite(std::sqrt(std::fabs((squaresCalc - sumCalc * sumCalc / q) / (q - 1))));
    if (training_[i]) sdPred = IfFinite(std::sqrt(std::fabs((squaresLoo - sumLoo * sumLoo / q) / (q - 1))));
  }
  if (hats > 0) hat = IfFinite(hatSum / hats);
}

void Consensus::WilliamsResiduals() {
  if (commonSize_ <= 0) return;
  std::vector<uint8_t> withResponse(n_);
  for (int i = 0; i < n_; ++i) withResponse[i] = Active(i) && HasResponse(i);
  WilliamsPass(ConsensusArray::AcmCalc, ConsensusArray::WillAcmCalc, withResponse);
  WilliamsPass(ConsensusArray::WcmCalc, ConsensusArray::WillWcmCalc, withResponse);
  WilliamsPass(ConsensusArray::AcmPred, ConsensusArray::WillAcmPred, training_);
  WilliamsPass(ConsensusArray::WcmPred, ConsensusArray::WillWcmPred, training_);
}

// Standardized residuals of one consensus over the given objects; none when a
// consensus value is missing or the objects do not outnumber the model size.
void Consensus::WilliamsPass(ConsensusArray consensus, ConsensusArray williams, const std::vector<uint8_t>& objects) {
  const CheckedValue* values = Cells(consensus);
  const CheckedValue* exp = Cells(ConsensusArray::Exp);
  const CheckedValue* hat = Cells(ConsensusArray::AverageHat);
  long double ss = 0.0L;
  int count = 0;
  for (int i = 0; i < n_; ++i) {
    if (!objects[i]) continue;
    if (values[i].Missing || exp[i].Missing) return;
    const long double d = values[i].Value - exp[i].Value;
    ss += d * d;
    ++count;
  }
  if (!(commonSize_ < count)) return;
  const long double s = std::sqrt(std::fabs(ss) / (count - commonSize_));
  CheckedValue* out = Cells(williams);
  for (int i = 0; i < n_; ++i) {
    if (!objects[i] || hat[i].Missing || !(1.0L - hat[i].Value >= 0.0L)) continue;
    const long double d = std::sqrt(1.0L - hat[i].Value) * s;
    if (d != 0.0L) out[i] = IfFinite((values[i].Value - exp[i].Value) / d);
  }
}

std::string Consensus::Q2Text(long double a, long double b) const {
  if (b == 0.0L) return NumberText(GetUndefinedReal()) + "*";
  return NumberText(1.0L - a / b);
}

void Consensus::BuildCriteriaText() {
  criteria_.clear();
  using Pairs = std::vector<std::pair<long double, long double>>;
  Pairs training, external, acm, wcm;  // (c, y), (c, y), (y, ACM), (y, WCM)
  bool wcmComplete = true;
  for (int i = 0; i < n_; ++i) {
    if (avCalcRes_[i].Missing || !(training_[i] || test_[i])) continue;
    const long double y = Response(i);
    (training_[i] ? training : external).emplace_back(avCalcRes_[i].Value, y);
    acm.emplace_back(y, Cells(ConsensusArray::AcmCalc)[i].Value);
    const CheckedValue& w = Cells(ConsensusArray::WcmCalc)[i];
    wcmComplete = wcmComplete && !w.Missing;
    wcm.emplace_back(y, w.Value);
  }
  const auto mean = [](const Pairs& rows) {
    long double sum = 0.0L;
    for (const auto& row : rows) sum += row.second;
    return sum / static_cast<long double>(rows.size());
  };
  struct Sums {
    long double absolute = 0.0L, squares = 0.0L;
  };
  const auto deviations = [](const Pairs& rows) {
    Sums s;
    for (const auto& [c, y] : rows) {
      s.absolute += std::fabs(c - y);
      s.squares += (c - y) * (c - y);
    }
    return s;
  };
  const auto spread = [](const Pairs& rows, long double centre) {
    long double ss = 0.0L;
    for (const auto& row : rows) ss += (row.second - centre) * (row.second - centre);
    return ss;
  };
  const long double nTrain = static_cast<long double>(training.size());
  const long double nExt = static_cast<long double>(external.size());
  const long double meanTrain = training.empty() ? 0.0L : mean(training);
  const long double ssTrain = spread(training, meanTrain);
  if (!training.empty()) {
    const Sums d = deviations(training);
    const std::string r2Wcm = wcmComplete ? NumberText(LineFitR2(PairMatrix(wcm))) : std::string();
    criteria_.push_back("(Fitting criteria)");
    criteria_.push_back("R2 ACM: " + NumberText(LineFitR2(PairMatrix(acm))) + "\tR2 WCM: " + r2Wcm +
                        "\tMAE tr: " + NumberText(d.absolute / nTrain) +
                        "\tRMSE tr: " + NumberText(std::sqrt(d.squares / nTrain)) +
                        "\tCCC tr: " + NumberText(LinCCC(PairMatrix(training))));
    criteria_.emplace_back();
  }
  if (external.empty()) return;
  const Sums d = deviations(external);
  const long double press = d.squares;
  // Q2-F1 and Q2-F3 compare with the training mean: without training objects they have no value.
  const std::string q2f1 = training.empty() ? std::string() : Q2Text(press, spread(external, meanTrain));
  const std::string q2f3 = training.empty() ? std::string() : Q2Text(press / nExt, ssTrain / nTrain);
  criteria_.push_back("(External validation criteria)");
  criteria_.push_back("MAE ext: " + NumberText(d.absolute / nExt) + "\tRMSE ext: " +
                      NumberText(std::sqrt(press / nExt)) + "\tCCC ext: " + NumberText(LinCCC(PairMatrix(external))));
  criteria_.push_back("Q2-F1: " + q2f1 +
                      "\tQ2-F2: " + Q2Text(press, spread(external, mean(external))) + "\tQ2-F3: " + q2f3);
  if (external.size() > 1) AddAngleLines();
}

// The angle between the diagonal and the regression line of each consensus on
// the response of the prediction objects; a consensus with fewer than two
// values there has no line.
void Consensus::AddAngleLines() {
  criteria_.emplace_back();
  const std::pair<ConsensusArray, const char*> lines[] = {{ConsensusArray::AcmCalc, "ACM"},
                                                          {ConsensusArray::WcmCalc, "WCM"}};
  const CheckedValue* exp = Cells(ConsensusArray::Exp);
  for (const auto& [which, name] : lines) {
    std::vector<std::pair<long double, long double>> rows;
    const CheckedValue* values = Cells(which);
    for (int i = 0; i < n_; ++i)
      if (test_[i] && !exp[i].Missing && !values[i].Missing) rows.emplace_back(exp[i].Value, values[i].Value);
    if (rows.size() < 2) continue;
    LineCoefficients line;
    LineFit(PairMatrix(rows), line);
    const long double angle = std::atan(line.b) * kDegreesPerRadian - 45.0L;
    criteria_.push_back(std::string("Calc. external data (") + name +
                        ") regr. angle from diagonal: " + NumberText(angle) + "\xB0");
  }
}

std::unique_ptr<CheckedValue[]> Consensus::MergeLooWithCalc(ConsensusArray loo, ConsensusArray calc) const {
  std::unique_ptr<CheckedValue[]> merged = MakeCheckedArray<CheckedValue>(n_, "*tpCalcAdded");
  for (int i = 0; i < n_; ++i) merged[i] = data_.ipTrainingPtr[i] == 2 ? Array(calc)[i] : Array(loo)[i];
  return merged;
}
